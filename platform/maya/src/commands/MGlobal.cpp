#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <mayahost/Messages.h>

#include <iostream>
#include <mutex>

#include "commands/CommandRegistry.h"

namespace mayahost {
namespace {

std::mutex messageMutex;
unsigned long errorCount = 0;

// Never destroyed, so that messages shown while the process exits are still recorded.
std::vector<Message>& messages() {
    static auto* list = new std::vector<Message>;
    return *list;
}

void show(Message::Kind kind, const MString& text) {
    static const char* const prefixes[] = {"// Error: ", "// Warning: ", ""};
    std::lock_guard<std::mutex> lock(messageMutex);
    std::cout.flush();
    std::cerr << prefixes[kind] << text.str() << std::endl;
    messages().push_back(Message{kind, text.str()});
    if (kind == Message::kError) ++errorCount;
}

const char* typeName(CommandResult::Type type) {
    switch (type) {
        case CommandResult::kNone:
            return "no result";
        case CommandResult::kInt:
            return "an int";
        case CommandResult::kDouble:
            return "a float";
        case CommandResult::kString:
            return "a string";
        case CommandResult::kIntArray:
            return "an int array";
        case CommandResult::kDoubleArray:
            return "a float array";
        case CommandResult::kStringArray:
            return "a string array";
    }
    return "an unknown result";
}

MStatus run(const MString& command, bool displayEnabled, CommandResult& result) {
    if (displayEnabled) MGlobal::displayInfo(command);
    return executeText(command.str(), "", &result);
}

// Runs command and checks that its result is one of the accepted types.
MStatus runFor(const MString& command, bool displayEnabled, CommandResult& result,
               std::initializer_list<CommandResult::Type> accepted, const char* wanted) {
    MStatus status = run(command, displayEnabled, result);
    if (!status) return status;
    for (CommandResult::Type type : accepted)
        if (result.type() == type) return MS::kSuccess;
    return MStatus(MS::kInvalidParameter, ("MGlobal::executeCommand: \"" + command.str() +
                                           "\" gave " + typeName(result.type()) + ", not " + wanted)
                                              .c_str());
}

}  // namespace

unsigned long errorsShown() {
    std::lock_guard<std::mutex> lock(messageMutex);
    return errorCount;
}

const std::vector<Message>& recordedMessages() { return messages(); }

void clearRecordedMessages() {
    std::lock_guard<std::mutex> lock(messageMutex);
    messages().clear();
}

bool hasMessage(Message::Kind kind, const std::string& text) {
    std::lock_guard<std::mutex> lock(messageMutex);
    for (const Message& m : messages())
        if (m.kind == kind && m.text == text) return true;
    return false;
}

}  // namespace mayahost

using mayahost::CommandResult;

MGlobal::MMayaState MGlobal::mayaState(MStatus* ReturnStatus) {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return kBatch;
}

int MGlobal::apiVersion() { return MAYA_API_VERSION; }

MString MGlobal::mayaVersion() { return "2014"; }

void MGlobal::displayError(const MString& theError) {
    mayahost::show(mayahost::Message::kError, theError);
}

void MGlobal::displayWarning(const MString& theWarning) {
    mayahost::show(mayahost::Message::kWarning, theWarning);
}

void MGlobal::displayInfo(const MString& theInfo) {
    mayahost::show(mayahost::Message::kInfo, theInfo);
}

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool) {
    CommandResult result;
    return mayahost::run(command, displayEnabled, result);
}

MStatus MGlobal::executeCommand(const MString& command, MString& result, bool displayEnabled,
                                bool) {
    CommandResult r;
    MStatus status =
        mayahost::runFor(command, displayEnabled, r, {CommandResult::kString}, "a string");
    if (status) result = r.strings().front();
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, int& result, bool displayEnabled, bool) {
    CommandResult r;
    MStatus status = mayahost::runFor(command, displayEnabled, r, {CommandResult::kInt}, "an int");
    if (status) result = r.ints().front();
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, double& result, bool displayEnabled, bool) {
    CommandResult r;
    MStatus status = mayahost::runFor(command, displayEnabled, r,
                                      {CommandResult::kDouble, CommandResult::kInt}, "a float");
    if (status) result = r.type() == CommandResult::kInt ? r.ints().front() : r.doubles().front();
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MIntArray& result, bool displayEnabled,
                                bool) {
    CommandResult r;
    MStatus status = mayahost::runFor(
        command, displayEnabled, r,
        {CommandResult::kIntArray, CommandResult::kInt, CommandResult::kNone}, "an int array");
    if (!status) return status;
    result.clear();
    for (int v : r.ints()) result.append(v);
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MDoubleArray& result, bool displayEnabled,
                                bool) {
    CommandResult r;
    MStatus status =
        mayahost::runFor(command, displayEnabled, r,
                         {CommandResult::kDoubleArray, CommandResult::kDouble,
                          CommandResult::kIntArray, CommandResult::kInt, CommandResult::kNone},
                         "a float array");
    if (!status) return status;
    result.clear();
    for (int v : r.ints()) result.append(v);
    for (double v : r.doubles()) result.append(v);
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MStringArray& result, bool displayEnabled,
                                bool) {
    CommandResult r;
    MStatus status = mayahost::runFor(
        command, displayEnabled, r,
        {CommandResult::kStringArray, CommandResult::kString, CommandResult::kNone},
        "a string array");
    if (!status) return status;
    result.clear();
    for (const std::string& s : r.strings()) result.append(s);
    return status;
}

MString MGlobal::executeCommandStringResult(const MString& command, bool displayEnabled,
                                            bool undoEnabled, MStatus* ReturnStatus) {
    MString result;
    MStatus status = executeCommand(command, result, displayEnabled, undoEnabled);
    if (ReturnStatus) *ReturnStatus = status;
    return result;
}

MStatus MGlobal::sourceFile(const MString& fileName) {
    return mayahost::executeFile(fileName.str());
}
