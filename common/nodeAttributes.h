#pragma once
// Attribute creation that the point nodes share: the point-set plugs, the mesh input, tables
// of numeric inputs, compounds, adding a list of attributes with their effect on the output,
// and the guard round compute (the bounding box input is boxInput.h).
#include <maya/MFnNumericData.h>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <exception>
#include <initializer_list>

// A numeric input: keyable, storable, readable and writable, with optional limits.
struct NumericInput {
    MObject* attribute;
    const char* longName;
    const char* shortName;
    MFnNumericData::Type type;
    double defaultValue;
    bool hasMin = false, hasMax = false;
    double min = 0, max = 0;
    bool hidden = false;
};

// Creates each input of the table in turn (not added). A failure writes
// "ERROR in <longName>.\n" and the status text to standard error and returns the status.
MStatus createNumericInputs(std::initializer_list<NumericInput> inputs);

// inPoints (ip: writable, not storable, not keyable) and outPoints (op: not writable, not
// storable, not keyable), point sets. A failure writes "ERROR in MFnData::kDynArrayAttrs.\n".
MStatus createPointSetPlugs(MObject& inPoints, MObject& outPoints, bool hiddenInput = false);

// inPoints alone, as createPointSetPlugs makes it, for nodes whose output is no point set.
MStatus createPointSetInput(MObject& inPoints, bool hidden = false);

// outPoints alone, as createPointSetPlugs makes it, for nodes whose input is no point set.
MStatus createPointSetOutput(MObject& outPoints);

// inMesh (im): a mesh input, keyable, storable, readable and writable.
MStatus createMeshInput(MObject& inMesh, bool hidden = false);

// inColor (ic): a vector-array input, keyable, storable, readable and writable.
MStatus createVectorArrayInput(MObject& attribute, const char* longName, const char* shortName);

// A vector-array output: readable, not writable, not storable, not keyable. A failure writes
// failureText, then the status text and a line end, to standard error.
MStatus createVectorArrayOutput(MObject& attribute, const char* longName, const char* shortName,
                                const char* failureText);

// Makes `compound` a compound attribute (readable, writable) of the children. A failure writes
// "ERROR in <longName>.\n" and the status text to standard error and returns the status.
MStatus createCompound(MObject& compound, const char* longName, const char* shortName,
                       std::initializer_list<const MObject*> children);

// Makes `compound` a compound array attribute (readable, writable, array) of the children.
MStatus createCompoundArray(MObject& compound, const char* longName, const char* shortName,
                            std::initializer_list<const MObject*> children, bool storable);

// Adds every attribute, then declares each of `inputs` as affecting `output`.
MStatus addAttributes(std::initializer_list<const MObject*> attributes,
                      std::initializer_list<const MObject*> inputs, const MObject& output);

// Runs a compute body; an exception from a library (a device allocation, a Thrust algorithm)
// becomes nodeName + ": " + its text as an error and a failure.
template <typename Body>
MStatus guardedCompute(const char* nodeName, Body&& body) {
    try {
        return body();
    } catch (const std::exception& error) {
        MGlobal::displayError(MString(nodeName) + ": " + error.what());
        return MS::kFailure;
    }
}
