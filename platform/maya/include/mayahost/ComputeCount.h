#pragma once
// How often the host has called a node's compute, so that a test can tell a value kept clean
// from one computed again on every read.
#include <maya/MPlug.h>

namespace mayahost {

// Calls of compute for the plug's attribute on its node since the node was made; 0 for a
// null plug.
unsigned computeCount(const MPlug& plug);

}  // namespace mayahost
