#pragma once
// What every DAG node has: a place under a transform and a world matrix.
#include <maya/MMatrix.h>

#include "graph/Node.h"

namespace mayahost {

// The world matrix attribute every DAG node inherits.
const Attribute* worldMatrixAttribute();
// The node's own matrix (a transform's; identity for shapes).
MMatrix localMatrix(Node& node);
// The node's world matrix plug, evaluated: the product of the local matrices up to the root.
MMatrix worldMatrix(Node& node);
// Computes the attributes the host itself maintains on DAG nodes; false for any other.
bool computeDagAttribute(Node& node, const Attribute* attribute);

}  // namespace mayahost
