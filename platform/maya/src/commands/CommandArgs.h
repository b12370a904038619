#pragma once
// Reading a built-in command's flags and positional arguments.
#include <maya/MArgList.h>
#include <maya/MStatus.h>

#include <map>
#include <string>
#include <vector>

namespace mayahost {

struct FlagSpec {
    const char* shortName;
    const char* longName;
    int values;  // how many arguments follow the flag
};

class CommandArgs {
public:
    // Splits args into the flags of `specs` (by long name) and the rest, in order. An unknown
    // flag or a missing flag value is shown as an error naming the command.
    static MStatus parse(const char* command, const MArgList& args, const std::vector<FlagSpec>& specs,
                         CommandArgs& out);

    bool has(const std::string& longName) const { return flags.count(longName) != 0; }
    // The flag's first value, or `fallback` when the flag is absent.
    std::string text(const std::string& longName, const std::string& fallback = "") const;
    // The flag's first value as a number; shows an error when it is not one.
    MStatus number(const std::string& longName, double fallback, double& value) const;

    const char* command = "";
    std::map<std::string, std::vector<std::string>> flags;
    std::vector<std::string> positional;
};

// Shows "command: text" as an error and answers a failure that carries it.
MStatus commandError(const char* command, const std::string& text);

}  // namespace mayahost
