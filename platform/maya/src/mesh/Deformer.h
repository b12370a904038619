#pragma once
// The attributes every deformer inherits.
#include <vector>

#include "graph/Attribute.h"

namespace mayahost {

// input[] (inputGeometry, groupId), outputGeom[] and envelope; built once.
const std::vector<AttributePtr>& deformerAttributes();

}  // namespace mayahost
