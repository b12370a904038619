#pragma once
// The commands the host knows, built in or from plug-ins, and running command text.
//
// A built-in command is registered from its own .cpp, at library load:
//
//     MAYAHOST_BUILTIN_COMMAND(currentTime, args, result) {
//         ...
//         result.set(12.0);
//         return MS::kSuccess;
//     }
//
// A command that fails shows its own cause with MGlobal::displayError; one that fails silently
// has its status's errorString() shown for it.
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>

#include <functional>
#include <string>
#include <vector>

#include "commands/CommandLanguage.h"

class MIntArray;
class MDoubleArray;
class MStringArray;

namespace mayahost {

// What a command hands back: nothing, one value, or an array.
class CommandResult {
public:
    enum Type { kNone, kInt, kDouble, kString, kIntArray, kDoubleArray, kStringArray };

    Type type() const { return type_; }
    bool isArray() const { return type_ >= kIntArray; }
    void clear();

    void set(int value);
    void set(double value);
    void set(const std::string& value);
    void set(const char* value);
    void set(const MString& value);
    void set(std::vector<int> values);
    void set(std::vector<double> values);
    void set(std::vector<std::string> values);
    void set(const MIntArray& values);
    void set(const MDoubleArray& values);
    void set(const MStringArray& values);

    // Makes the result an array and adds value: ints and doubles mix into a double array,
    // numbers and strings into a string array.
    void append(int value);
    void append(double value);
    void append(const std::string& value);

    // The values of an int / double / string result, one for a single value. For another
    // type they are empty.
    const std::vector<int>& ints() const { return ints_; }
    const std::vector<double>& doubles() const { return doubles_; }
    const std::vector<std::string>& strings() const { return strings_; }

    // Values separated by single spaces ("1 2 3"); floats with up to 10 significant digits;
    // empty for no result.
    std::string toString() const;

private:
    void toStrings();
    Type type_ = kNone;
    std::vector<int> ints_;
    std::vector<double> doubles_;
    std::vector<std::string> strings_;
};

using BuiltinCommand = std::function<MStatus(const MArgList&, CommandResult&)>;

// Fail with kInvalidParameter when the name is empty, not a word, or already a command.
MStatus registerBuiltinCommand(const std::string& name, BuiltinCommand command);
MStatus registerPluginCommand(const std::string& name, MCreatorFunction creator);
// Fails with kNotFound for a name that is not a plug-in command.
MStatus deregisterPluginCommand(const std::string& name);
bool commandExists(const std::string& name);

// Registers a built-in command when constructed; a failure is shown as an error.
struct BuiltinRegistration {
    BuiltinRegistration(const char* name, BuiltinCommand command);
};

#define MAYAHOST_BUILTIN_COMMAND(name, argsName, resultName)                         \
    static MStatus mayahostBuiltin_##name(const MArgList& argsName,                  \
                                          ::mayahost::CommandResult& resultName);    \
    static const ::mayahost::BuiltinRegistration mayahostBuiltinRegistration_##name( \
        #name, mayahostBuiltin_##name);                                              \
    static MStatus mayahostBuiltin_##name(const MArgList& argsName,                  \
                                          ::mayahost::CommandResult& resultName)

// Runs one statement. An unknown command shows `Cannot find procedure "name".`
MStatus executeStatement(const Statement& statement, CommandResult& result);

// Parses text, then runs its statements in order. A syntax error runs nothing and shows
// "<sourceName> line N: what is wrong"; the first failing statement stops the run and shows
// "<sourceName> line N: <command> failed" after the command's own message. A pending interrupt
// stops the run before the next statement. result receives the last statement's result.
MStatus executeText(const std::string& text, const std::string& sourceName,
                    CommandResult* result = nullptr);
// As executeText, with the path as source name; a file that cannot be read, or that is not a
// regular file, is an error.
MStatus executeFile(const std::string& path, CommandResult* result = nullptr);

// The result MPxCommand's static result functions write to: that of the plug-in command now
// running, or a scratch result outside one.
CommandResult& currentPluginResult();

}  // namespace mayahost
