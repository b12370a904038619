#include "commands/CommandArgs.h"

#include <maya/MGlobal.h>

#include "commands/ArgListAccess.h"

namespace mayahost {

MStatus commandError(const char* command, const std::string& text) {
    std::string message = std::string(command) + ": " + text;
    MGlobal::displayError(message.c_str());
    return MStatus(MS::kFailure, message.c_str());
}

MStatus CommandArgs::parse(const char* command, const MArgList& args, const std::vector<FlagSpec>& specs,
                           CommandArgs& out) {
    out.command = command;
    for (unsigned i = 0; i < args.length(); ++i) {
        std::string arg = args.asString(i).asChar();
        if (ArgListAccess::kind(args, i) != ArgKind::kFlag) {
            out.positional.push_back(arg);
            continue;
        }
        const FlagSpec* spec = nullptr;
        for (const FlagSpec& s : specs)
            if (arg == std::string("-") + s.shortName || arg == std::string("-") + s.longName) spec = &s;
        if (!spec) return commandError(command, "Invalid flag '" + arg + "'");
        std::vector<std::string>& values = out.flags[spec->longName];
        for (int v = 0; v < spec->values; ++v) {
            if (++i >= args.length()) return commandError(command, "Flag '" + arg + "' needs a value");
            values.push_back(args.asString(i).asChar());
        }
    }
    return MS::kSuccess;
}

std::string CommandArgs::text(const std::string& longName, const std::string& fallback) const {
    auto it = flags.find(longName);
    return it == flags.end() || it->second.empty() ? fallback : it->second[0];
}

MStatus CommandArgs::number(const std::string& longName, double fallback, double& value) const {
    value = fallback;
    if (!has(longName)) return MS::kSuccess;
    std::string t = text(longName);
    if (!isNumberText(t)) return commandError(command, "-" + longName + " needs a number, not \"" + t + "\"");
    value = std::stod(t);
    return MS::kSuccess;
}

}  // namespace mayahost
