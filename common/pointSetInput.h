#pragma once
// Reading a node's input point set (an inPoints-like plug) and checking its arrays before any
// device work. Every message goes through MGlobal::displayError, led by the plug's
// node-qualified name ("scale1.inPoints: ..."); texts passed in are appended as they stand, so
// a node keeps its own wording. Nothing here allocates device memory.
//
// Length rule shared by the point nodes: every per-point array a node reads must be exactly as
// long as the array that gives the point count ("position", or "triID" where a node reads only
// that); a shorter or longer one is refused with checkLength's message, never clamped.
#include <maya/MDataBlock.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MVectorArray.h>

#include <vector>

class PointSetInput {
public:
    // node: the node computing; attribute: its point-set input.
    PointSetInput(const MObject& node, const MObject& attribute);

    // Takes the input handle (a failure writes "ERROR getting inPoints handle" and the status
    // text to standard error) and attaches the point set; without one, shows
    // plug name + missingText (for example ": please supply inPoints"). Returns the failing
    // status in both cases.
    MStatus read(MDataBlock& block, const char* missingText);

    MFnArrayAttrsData& set() { return set_; }
    const MString& plugName() const { return plugName_; }
    // Shows plug name + text as an error.
    void show(const MString& text) const;

    // True when the set holds an array `name` of that kind.
    bool has(const char* name, MFnArrayAttrsData::Type kind);

    // True when the set holds the array `name` that the node needs, of that kind. When the set
    // lacks it, shows missingText; when it holds another kind, shows
    // ": wrong '<name>' attribute type". The caller then takes the array from set() (the
    // arrays share storage with the set, so taking one copies nothing).
    // With leadWithPlug false, missingText is shown as it stands (a node's own full message).
    bool requireArray(const char* name, MFnArrayAttrsData::Type kind, const char* missingText,
                      bool leadWithPlug = true);

    // True when length equals expected; otherwise shows
    // ": '<name>' has <length> entries, '<reference>' <expected>" and answers false.
    bool checkLength(const char* name, unsigned int length, unsigned int expected,
                     const char* reference = "position") const;

    // True when every vector, double and int array of the set has `expected` entries; otherwise
    // shows checkLength's message for the first that has not. For nodes that split or filter
    // the whole set, so that no array loses or keeps entries past the point count.
    bool checkAllLengths(unsigned int expected, const char* reference);

    // True when every "triID" entry names one of the triangleCount triangles of the mesh;
    // otherwise shows ": 'triID' <value> of point <i> is not one of the <count> triangles of
    // inMesh" (negative values included) and answers false.
    bool checkTriangleIds(const MIntArray& triID, unsigned int triangleCount) const;

private:
    MObject node_, attribute_;
    MString plugName_;
    MFnArrayAttrsData set_;
};

// The first point whose triangle index is negative or not below triangleCount, or -1 when
// every index is in range.
long long firstTriangleOutOfRange(const MIntArray& triID, unsigned int triangleCount);

// Attaches `mesh` to the mesh on the node's `attribute`. A failed read writes "ERROR getting
// inMesh" and the status text to standard error; no mesh there shows the plug's name followed by
// ": please supply inMesh". Both return the failing status.
MStatus readInputMesh(MDataBlock& block, const MObject& node, const MObject& attribute,
                      MFnMesh& mesh);

// x, y (and z for 3 components) of every vector as floats, in point order. When a component
// is not finite as a float (NaN, infinite, or beyond the float range), shows
// what + ": entry <i> is not a finite float" and answers false; `values` is then unspecified.
bool vectorsAsFloats(const MString& what, const MVectorArray& vectors, unsigned int components,
                     std::vector<float>& values);

// Every double as a float, with the check and message of vectorsAsFloats.
bool doublesAsFloats(const MString& what, const MDoubleArray& doubles, std::vector<float>& values);

// True when every component of every vector is finite; otherwise shows
// lead + ": '<name>': entry <i> is not finite" for the first vector that is not (without the
// lead and its ": " when lead is empty) and answers false.
bool checkFiniteVectors(const MVectorArray& vectors, const MString& lead, const char* name);

// The int array as unsigned values (callers check the range first).
std::vector<unsigned int> intsAsUnsigned(const MIntArray& values);

// The per-point colour input (inColor): in use when it holds exactly `count` vectors, and then
// given as x, y, z floats per point; any other length, or no value, leaves it unused without a
// message. Answers false (with vectorsAsFloats' message, led by the plug's name) when a colour
// in use is beyond the float range.
bool readPerPointColor(MDataBlock& block, const MObject& node, const MObject& attribute,
                       unsigned int count, bool& inUse, std::vector<float>& colors);
