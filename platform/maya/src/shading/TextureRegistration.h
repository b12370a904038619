#pragma once
// Registers a texture class as a built-in node type.
#include "graph/Registry.h"
#include "shading/Texture2d.h"

namespace mayahost {

template <class T>
void registerTexture(const char* name, unsigned id) {
    auto type = std::make_shared<NodeType>();
    type->name = name;
    type->id = MTypeId(id);
    type->kind = NodeKind::Depend;
    type->apiType = MFn::kTexture2d;
    type->creator = [] { return new T; };
    Registry::instance().registerType(type, &T::initialize);
}

}  // namespace mayahost
