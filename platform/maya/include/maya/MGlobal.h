#pragma once
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>

class MTime;
class MIntArray;
class MDoubleArray;
class MStringArray;

// Process-wide services: messages to the user and running commands.
class OPENMAYA_EXPORT MGlobal {
public:
    enum MMayaState { kBaseUIMode, kInteractive, kBatch, kLibraryApp };

    // Always kBatch: this host has no user interface.
    static MMayaState mayaState(MStatus* ReturnStatus = NULL);
    static int apiVersion();
    static MString mayaVersion();

    // Write "// Error: text", "// Warning: text" or "text", and a newline, to standard error.
    static void displayError(const MString& theError);
    static void displayWarning(const MString& theWarning);
    static void displayInfo(const MString& theInfo);

    // Run command text. Errors are shown as they happen; the status is that of the first
    // failing statement. displayEnabled echoes the command as info; undoEnabled is ignored.
    static MStatus executeCommand(const MString& command, bool displayEnabled = false,
                                  bool undoEnabled = false);
    // As above, and hand back the last statement's result. A result of another type fails with
    // kInvalidParameter, except that an int is accepted for a double, an int array for a
    // double array, a single value for an array of its type, and no result for an empty array.
    static MStatus executeCommand(const MString& command, MString& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, int& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, double& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MIntArray& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MDoubleArray& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MStringArray& result,
                                  bool displayEnabled = false, bool undoEnabled = false);
    static MString executeCommandStringResult(const MString& command, bool displayEnabled = false,
                                              bool undoEnabled = false,
                                              MStatus* ReturnStatus = NULL);
    // Runs the script file; a relative name is taken from the working directory.
    static MStatus sourceFile(const MString& fileName);

    // Moves the scene to the given time (in the current time unit) and evaluates it.
    static MStatus viewFrame(const MTime& time);
    static MStatus viewFrame(double time);
};
