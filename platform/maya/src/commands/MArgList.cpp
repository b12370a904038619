#include <maya/MArgList.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "commands/ArgListAccess.h"
#include "commands/CommandLanguage.h"

using mayahost::ArgKind;

const unsigned int MArgList::kInvalidArgIndex = 0xffffffffu;

namespace {

MStatus invalid(const std::string& text) { return MStatus(MS::kInvalidParameter, text.c_str()); }

void report(MStatus* out, const MStatus& status) {
    if (out) *out = status;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The shortest text that reads back as exactly value.
std::string exactText(double value) {
    char buffer[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    return buffer;
}

}  // namespace

unsigned int MArgList::length(MStatus* ReturnStatus) const {
    report(ReturnStatus, MS::kSuccess);
    return static_cast<unsigned int>(args_.size());
}

MStatus MArgList::get(unsigned int index, MString& value) const {
    if (index >= args_.size())
        return invalid("no argument at index " + std::to_string(index) + " (there are " +
                       std::to_string(args_.size()) + ")");
    value = args_[index].text;
    return MS::kSuccess;
}

MStatus MArgList::get(unsigned int index, int& value) const {
    MString text;
    MStatus status = get(index, text);
    if (!status) return status;
    if (!mayahost::isIntegerText(text.str()))
        return invalid("argument " + quoted(text.str()) + " is not an integer");
    errno = 0;
    long long parsed = std::strtoll(text.asChar(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return invalid("integer argument " + text.str() + " is out of range");
    value = static_cast<int>(parsed);
    return MS::kSuccess;
}

MStatus MArgList::get(unsigned int index, double& value) const {
    MString text;
    MStatus status = get(index, text);
    if (!status) return status;
    if (!mayahost::isNumberText(text.str()))
        return invalid("argument " + quoted(text.str()) + " is not a number");
    value = std::strtod(text.asChar(), nullptr);
    return MS::kSuccess;
}

MStatus MArgList::get(unsigned int index, bool& value) const {
    MString text;
    MStatus status = get(index, text);
    if (!status) return status;
    const std::string& t = text.str();
    if (mayahost::isNumberText(t)) {
        value = std::strtod(t.c_str(), nullptr) != 0.0;
    } else if (t == "true" || t == "on" || t == "yes") {
        value = true;
    } else if (t == "false" || t == "off" || t == "no") {
        value = false;
    } else {
        return invalid("argument " + quoted(t) + " is not a boolean");
    }
    return MS::kSuccess;
}

int MArgList::asInt(unsigned int index, MStatus* ReturnStatus) const {
    int value = 0;
    report(ReturnStatus, get(index, value));
    return value;
}

double MArgList::asDouble(unsigned int index, MStatus* ReturnStatus) const {
    double value = 0.0;
    report(ReturnStatus, get(index, value));
    return value;
}

bool MArgList::asBool(unsigned int index, MStatus* ReturnStatus) const {
    bool value = false;
    report(ReturnStatus, get(index, value));
    return value;
}

MString MArgList::asString(unsigned int index, MStatus* ReturnStatus) const {
    MString value;
    report(ReturnStatus, get(index, value));
    return value;
}

unsigned int MArgList::flagIndex(const char* shortFlag, const char* longFlag) const {
    auto bare = [](const char* name) -> std::string {
        if (!name) return std::string();
        return name[0] == '-' ? name + 1 : name;
    };
    const std::string shortName = bare(shortFlag), longName = bare(longFlag);
    for (size_t i = 0; i < args_.size(); ++i) {
        const Arg& arg = args_[i];
        if (static_cast<ArgKind>(arg.kind) != ArgKind::kFlag) continue;
        const std::string name = arg.text.substr(1);
        if ((!shortName.empty() && name == shortName) || (!longName.empty() && name == longName))
            return static_cast<unsigned int>(i);
    }
    return kInvalidArgIndex;
}

MArgList& MArgList::addArg(bool arg) {
    args_.push_back({static_cast<unsigned char>(ArgKind::kInt), arg ? "1" : "0"});
    return *this;
}

MArgList& MArgList::addArg(int arg) {
    args_.push_back({static_cast<unsigned char>(ArgKind::kInt), std::to_string(arg)});
    return *this;
}

MArgList& MArgList::addArg(double arg) {
    args_.push_back({static_cast<unsigned char>(ArgKind::kFloat), exactText(arg)});
    return *this;
}

MArgList& MArgList::addArg(const MString& arg) {
    const std::string& t = arg.str();
    bool flag = t.size() > 1 && t[0] == '-' &&
                ((t[1] >= 'a' && t[1] <= 'z') || (t[1] >= 'A' && t[1] <= 'Z'));
    args_.push_back({static_cast<unsigned char>(flag ? ArgKind::kFlag : ArgKind::kString), t});
    return *this;
}

namespace mayahost {

MArgList ArgListAccess::fromArguments(const std::vector<Argument>& args) {
    MArgList list;
    for (const Argument& arg : args) append(list, arg.kind, arg.text);
    return list;
}

ArgKind ArgListAccess::kind(const MArgList& list, unsigned int index) {
    if (index >= list.args_.size()) return ArgKind::kWord;
    return static_cast<ArgKind>(list.args_[index].kind);
}

void ArgListAccess::append(MArgList& list, ArgKind kind, const std::string& text) {
    list.args_.push_back({static_cast<unsigned char>(kind), text});
}

}  // namespace mayahost
