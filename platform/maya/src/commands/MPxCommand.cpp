#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPxCommand.h>
#include <maya/MStringArray.h>

#include "commands/CommandRegistry.h"

using mayahost::currentPluginResult;

MPxCommand::MPxCommand() = default;
MPxCommand::~MPxCommand() = default;

MStatus MPxCommand::undoIt() { return MS::kSuccess; }
MStatus MPxCommand::redoIt() { return MS::kSuccess; }
bool MPxCommand::isUndoable() const { return undoable_; }
bool MPxCommand::hasSyntax() const { return true; }

MStatus MPxCommand::setUndoable(bool state) {
    undoable_ = state;
    return MS::kSuccess;
}

MStatus MPxCommand::setCommandString(const MString& text) {
    commandString_ = text;
    return MS::kSuccess;
}

void MPxCommand::displayInfo(const MString& theInfo) { MGlobal::displayInfo(theInfo); }
void MPxCommand::displayWarning(const MString& theWarning, bool) {
    MGlobal::displayWarning(theWarning);
}
void MPxCommand::displayError(const MString& theError, bool) { MGlobal::displayError(theError); }

void MPxCommand::clearResult() { currentPluginResult().clear(); }
void MPxCommand::setResult(bool result) { currentPluginResult().set(result ? 1 : 0); }
void MPxCommand::setResult(int result) { currentPluginResult().set(result); }
void MPxCommand::setResult(unsigned int result) {
    currentPluginResult().set(static_cast<int>(result));
}
void MPxCommand::setResult(double result) { currentPluginResult().set(result); }
void MPxCommand::setResult(const char* result) { currentPluginResult().set(result); }
void MPxCommand::setResult(const MString& result) { currentPluginResult().set(result); }
void MPxCommand::setResult(const MIntArray& result) { currentPluginResult().set(result); }
void MPxCommand::setResult(const MDoubleArray& result) { currentPluginResult().set(result); }
void MPxCommand::setResult(const MStringArray& result) { currentPluginResult().set(result); }
void MPxCommand::appendToResult(bool result) { currentPluginResult().append(result ? 1 : 0); }
void MPxCommand::appendToResult(int result) { currentPluginResult().append(result); }
void MPxCommand::appendToResult(double result) { currentPluginResult().append(result); }
void MPxCommand::appendToResult(const char* result) {
    currentPluginResult().append(std::string(result ? result : ""));
}
void MPxCommand::appendToResult(const MString& result) {
    currentPluginResult().append(result.str());
}
bool MPxCommand::isCurrentResultArray() { return currentPluginResult().isArray(); }
