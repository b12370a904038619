#pragma once
// Reads and checks of input values as they reach compute. A connection passes values past an
// attribute's own limits (setAttr clamps, a connection does not), so a node checks what it cannot
// work with before it allocates anything. Each check that fails shows
// "<node>.<attribute>: <why>" as an error and answers false.
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MString.h>

// An input value; a failed read is reported with its file and line and reads as 0.
MDataHandle readInput(MDataBlock& block, const MObject& attribute);

// value is neither NaN nor infinite.
bool checkFinite(const MObject& node, const MObject& attribute, double value);

// value is finite and above 0.
bool checkFinitePositive(const MObject& node, const MObject& attribute, double value);

// value is finite; the message is led by plugName (for plugs of array elements, such as
// "node.vertexColor[2].vertexColorFactor").
bool checkFinite(const MString& plugName, double value);

// value is 0 or more (indices and seeds, whose attributes have the minimum 0).
bool checkNonNegative(const MObject& node, const MObject& attribute, int value);
// The same, the message led by plugName (for plugs of array elements).
bool checkNonNegative(const MString& plugName, int value);

// The value of a float attribute whose limits are [low, high]: a value arriving past them is
// taken at the nearer limit; one that is not finite is refused as checkFinite refuses it.
bool clampFinite(const MObject& node, const MObject& attribute, float low, float high, float& value);
