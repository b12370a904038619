#include "commands/CommandRegistry.h"

#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <mayahost/Interrupt.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <mutex>

#include "commands/ArgListAccess.h"
#include "mesh/RegularFile.h"

namespace mayahost {

unsigned long errorsShown();  // MGlobal.cpp

// ---- CommandResult

void CommandResult::clear() {
    type_ = kNone;
    ints_.clear();
    doubles_.clear();
    strings_.clear();
}

void CommandResult::set(int value) {
    set(std::vector<int>{value});
    type_ = kInt;
}
void CommandResult::set(double value) {
    set(std::vector<double>{value});
    type_ = kDouble;
}
void CommandResult::set(const std::string& value) {
    set(std::vector<std::string>{value});
    type_ = kString;
}
void CommandResult::set(const char* value) { set(std::string(value ? value : "")); }
void CommandResult::set(const MString& value) { set(value.str()); }

void CommandResult::set(std::vector<int> values) {
    clear();
    ints_ = std::move(values);
    type_ = kIntArray;
}
void CommandResult::set(std::vector<double> values) {
    clear();
    doubles_ = std::move(values);
    type_ = kDoubleArray;
}
void CommandResult::set(std::vector<std::string> values) {
    clear();
    strings_ = std::move(values);
    type_ = kStringArray;
}

void CommandResult::set(const MIntArray& values) {
    std::vector<int> items(values.length());
    for (unsigned int i = 0; i < values.length(); ++i) items[i] = values[i];
    set(std::move(items));
}
void CommandResult::set(const MDoubleArray& values) {
    std::vector<double> items(values.length());
    for (unsigned int i = 0; i < values.length(); ++i) items[i] = values[i];
    set(std::move(items));
}
void CommandResult::set(const MStringArray& values) {
    std::vector<std::string> items(values.length());
    for (unsigned int i = 0; i < values.length(); ++i) items[i] = values[i].str();
    set(std::move(items));
}

namespace {

std::string formatDouble(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    return buffer;
}

}  // namespace

void CommandResult::toStrings() {
    std::vector<std::string> texts = strings_;
    for (int v : ints_) texts.push_back(std::to_string(v));
    for (double v : doubles_) texts.push_back(formatDouble(v));
    set(std::move(texts));
}

void CommandResult::append(int value) {
    if (type_ == kNone || type_ == kInt || type_ == kIntArray) {
        ints_.push_back(value);
        type_ = kIntArray;
    } else if (type_ == kDouble || type_ == kDoubleArray) {
        append(static_cast<double>(value));
    } else {
        append(std::to_string(value));
    }
}

void CommandResult::append(double value) {
    if (type_ == kInt || type_ == kIntArray) {
        std::vector<double> values(ints_.begin(), ints_.end());
        set(std::move(values));
    }
    if (type_ == kNone || type_ == kDouble || type_ == kDoubleArray) {
        doubles_.push_back(value);
        type_ = kDoubleArray;
    } else {
        append(formatDouble(value));
    }
}

void CommandResult::append(const std::string& value) {
    if (type_ != kNone && type_ != kString && type_ != kStringArray) toStrings();
    strings_.push_back(value);
    type_ = kStringArray;
}

std::string CommandResult::toString() const {
    std::string out;
    bool first = true;
    auto add = [&](const std::string& text) {
        if (!first) out += ' ';
        out += text;
        first = false;
    };
    for (int v : ints_) add(std::to_string(v));
    for (double v : doubles_) add(formatDouble(v));
    for (const std::string& s : strings_) add(s);
    return out;
}

// ---- registry

namespace {

struct Entry {
    BuiltinCommand builtin;
    MCreatorFunction creator = nullptr;
};

struct Registry {
    std::mutex mutex;
    std::map<std::string, Entry> commands;
};

// Never destroyed: plug-ins may deregister their commands while the process exits.
Registry& registry() {
    static auto* instance = new Registry;
    return *instance;
}

bool isCommandName(const std::string& name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

MStatus addCommand(const std::string& name, Entry entry) {
    if (!isCommandName(name))
        return MStatus(MS::kInvalidParameter,
                       ("\"" + name + "\" is not a valid command name").c_str());
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.commands.emplace(name, std::move(entry)).second)
        return MStatus(MS::kInvalidParameter, ("command \"" + name + "\" already exists").c_str());
    return MS::kSuccess;
}

bool findCommand(const std::string& name, Entry& entry) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.commands.find(name);
    if (it == r.commands.end()) return false;
    entry = it->second;
    return true;
}

CommandResult* runningPluginResult = nullptr;
int nestingDepth = 0;
const int kMaxNesting = 200;

MStatus runPluginCommand(const std::string& name, MCreatorFunction creator, const MArgList& args,
                         CommandResult& result) {
    std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(creator()));
    if (!command) {
        MGlobal::displayError(("the plug-in's creator for " + name + " made no command").c_str());
        return MS::kFailure;
    }
    command->setCommandString(name.c_str());
    struct ResultScope {
        CommandResult* saved;
        explicit ResultScope(CommandResult* r) : saved(runningPluginResult) {
            runningPluginResult = r;
        }
        ~ResultScope() { runningPluginResult = saved; }
    } scope(&result);
    return command->doIt(args);
}

}  // namespace

MStatus registerBuiltinCommand(const std::string& name, BuiltinCommand command) {
    if (!command) return MStatus(MS::kInvalidParameter, "a built-in command needs a function");
    return addCommand(name, Entry{std::move(command), nullptr});
}

MStatus registerPluginCommand(const std::string& name, MCreatorFunction creator) {
    if (!creator) return MStatus(MS::kInvalidParameter, "a plug-in command needs a creator");
    return addCommand(name, Entry{BuiltinCommand(), creator});
}

MStatus deregisterPluginCommand(const std::string& name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.commands.find(name);
    if (it == r.commands.end() || !it->second.creator)
        return MStatus(MS::kNotFound, ("no plug-in command \"" + name + "\"").c_str());
    r.commands.erase(it);
    return MS::kSuccess;
}

bool commandExists(const std::string& name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.commands.count(name) != 0;
}

BuiltinRegistration::BuiltinRegistration(const char* name, BuiltinCommand command) {
    MStatus status = registerBuiltinCommand(name ? name : "", std::move(command));
    if (!status) MGlobal::displayError(("built-in command: " + status.errorString().str()).c_str());
}

CommandResult& currentPluginResult() {
    static CommandResult scratch;
    return runningPluginResult ? *runningPluginResult : scratch;
}

MStatus executeStatement(const Statement& statement, CommandResult& result) {
    result.clear();
    Entry entry;
    if (!findCommand(statement.command, entry)) {
        MGlobal::displayError(("Cannot find procedure \"" + statement.command + "\".").c_str());
        return MS::kNotFound;
    }
    if (nestingDepth >= kMaxNesting) {
        MGlobal::displayError(("commands nested more than " + std::to_string(kMaxNesting) +
                               " deep at " + statement.command)
                                  .c_str());
        return MS::kFailure;
    }
    const MArgList args = ArgListAccess::fromArguments(statement.args);
    const unsigned long errorsBefore = errorsShown();
    ++nestingDepth;
    MStatus status;
    std::string thrown;
    try {
        status = entry.creator ? runPluginCommand(statement.command, entry.creator, args, result)
                               : entry.builtin(args, result);
    } catch (const std::exception& e) {
        thrown = e.what();
    } catch (...) {
        thrown = "unknown exception";
    }
    --nestingDepth;
    if (!thrown.empty()) {
        status = MStatus(MS::kFailure, (statement.command + ": " + thrown).c_str());
        MGlobal::displayError(status.errorString());
    } else if (!status && errorsShown() == errorsBefore) {
        MGlobal::displayError(status.errorString());
    }
    return status;
}

MStatus executeText(const std::string& text, const std::string& sourceName, CommandResult* result) {
    CommandResult scratch;
    CommandResult& out = result ? *result : scratch;
    out.clear();
    const std::string where = sourceName.empty() ? "" : sourceName + " ";
    std::vector<Statement> statements;
    std::string error;
    if (!parseStatements(text, statements, error)) {
        MGlobal::displayError((where + error).c_str());
        return MStatus(MS::kInvalidParameter, (where + error).c_str());
    }
    for (const Statement& statement : statements) {
        const std::string at = where + "line " + std::to_string(statement.line) + ": ";
        if (interruptPending()) {
            MGlobal::displayError((at + "interrupted").c_str());
            return MStatus(MS::kFailure, (at + "interrupted").c_str());
        }
        MStatus status = executeStatement(statement, out);
        if (!status) {
            MGlobal::displayError((at + statement.command + " failed").c_str());
            return status;
        }
    }
    return MS::kSuccess;
}

MStatus executeFile(const std::string& path, CommandResult* result) {
    auto failure = [&path](MS::MStatusCode code, const std::string& why) {
        const std::string message = "Cannot read file \"" + path + "\": " + why;
        MGlobal::displayError(message.c_str());
        return MStatus(code, message.c_str());
    };
    const RegularFile input = openRegularFile(path);
    if (!input.file) return failure(input.missing ? MS::kNotFound : MS::kFailure, input.failure);
    std::string text;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, input.file.get())) > 0)
        text.append(buffer, got);
    if (std::ferror(input.file.get())) return failure(MS::kFailure, std::strerror(errno));
    return executeText(text, path, result);
}

}  // namespace mayahost
