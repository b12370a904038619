#include "graph/Node.h"

#include <maya/MPxNode.h>

namespace mayahost {

Node::~Node() { delete user; }

bool Node::hasFn(MFn::Type fn) const {
    if (HostObject::hasFn(fn) || fn == MFn::kDependencyNode) return true;
    if (type->isDag() && fn == MFn::kDagNode) return true;
    if (type->isShape() && fn == MFn::kShape) return true;
    if (type->kind == NodeKind::Locator && fn == MFn::kLocator) return true;
    return false;
}

Slot& Node::slot(const Attribute* topLevel) {
    auto it = values.find(topLevel);
    if (it != values.end()) return it->second;
    Slot& slot = values[topLevel];
    initializeSlot(*topLevel, slot);
    return slot;
}

// An array slot starts without elements; each element starts at the defaults when added.
void initializeSlot(const Attribute& attribute, Slot& slot) {
    for (int i = 0; i < 4; ++i) slot.number[i] = attribute.defaults[i];
    slot.data = attribute.defaultData ? attribute.defaultData->clone() : nullptr;
    if (attribute.kind == Attribute::Kind::Compound)
        for (auto& child : attribute.children)
            if (!child->array) initializeSlot(*child, slot.children[child.get()]);
}

Attribute* NodeType::findAttribute(const std::string& name) const {
    for (Attribute* a : allAttributes)
        if (a->longName == name) return a;
    for (Attribute* a : allAttributes)
        if (a->shortName == name) return a;
    return nullptr;
}

bool NodeType::hasAttribute(const Attribute* attribute) const {
    for (auto& a : attributes)
        if (a.get() == attribute) return true;
    return false;
}

Node* nodeOf(const MObject& object) {
    Node* node = dynamic_cast<Node*>(object.host().get());
    return node && node->alive ? node : nullptr;
}

}  // namespace mayahost
