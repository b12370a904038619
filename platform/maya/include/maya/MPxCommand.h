#pragma once
#include <maya/MArgList.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>

class MIntArray;
class MDoubleArray;
class MStringArray;

#ifndef MAYAHOST_CREATOR_FUNCTION
#define MAYAHOST_CREATOR_FUNCTION
// Makes a new instance of a plug-in class (a command or a node), owned by the host.
typedef void* (*MCreatorFunction)();
#endif

// The base of plug-in commands. The host creates an instance for each run of the command,
// calls doIt, takes the result set through the static result functions, and deletes it.
class OPENMAYA_EXPORT MPxCommand {
public:
    MPxCommand();
    virtual ~MPxCommand();

    virtual MStatus doIt(const MArgList& args) = 0;
    virtual MStatus undoIt();
    virtual MStatus redoIt();
    virtual bool isUndoable() const;
    virtual bool hasSyntax() const;

    MStatus setUndoable(bool state);
    MString commandString() const { return commandString_; }
    MStatus setCommandString(const MString& text);

    static void displayInfo(const MString& theInfo);
    static void displayWarning(const MString& theWarning, bool showLineNumber = false);
    static void displayError(const MString& theError, bool showLineNumber = false);

    // The result of the command now running: set replaces it, append makes it an array
    // (mixing numbers and strings gives a string array; ints and doubles, a double array).
    static void clearResult();
    static void setResult(bool result);
    static void setResult(int result);
    static void setResult(unsigned int result);
    static void setResult(double result);
    static void setResult(const char* result);
    static void setResult(const MString& result);
    static void setResult(const MIntArray& result);
    static void setResult(const MDoubleArray& result);
    static void setResult(const MStringArray& result);
    static void appendToResult(bool result);
    static void appendToResult(int result);
    static void appendToResult(double result);
    static void appendToResult(const char* result);
    static void appendToResult(const MString& result);
    static bool isCurrentResultArray();

private:
    MString commandString_;
    bool undoable_ = false;
};
