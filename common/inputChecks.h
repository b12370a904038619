#pragma once
// Checks of input values as they reach compute. A connection passes values past an attribute's
// own limits (setAttr clamps, a connection does not), so a node checks what it cannot work
// with before it allocates anything. Each check that fails shows
// "<node>.<attribute>: <why>" as an error and answers false.
#include <maya/MObject.h>

// value is neither NaN nor infinite.
bool checkFinite(const MObject& node, const MObject& attribute, double value);

// value is finite and above 0.
bool checkFinitePositive(const MObject& node, const MObject& attribute, double value);
