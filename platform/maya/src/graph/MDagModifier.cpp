// Graph edits collected by a modifier and made on doIt.
#include <maya/MDagModifier.h>
#include <maya/MPlug.h>

#include "graph/Registry.h"
#include "graph/Scene.h"

using mayahost::Scene;

namespace {

mayahost::PlugRef refOf(const MPlug& plug) {
    mayahost::Node* node = mayahost::nodeOf(plug.node());
    return mayahost::PlugRef{node ? node->shared_from_this() : nullptr, plug.hostPath()};
}

}  // namespace

MDagModifier::MDagModifier() = default;
MDagModifier::~MDagModifier() = default;

MObject MDagModifier::createNode(const MString& typeName, const MObject& parent, MStatus* status) {
    mayahost::Node* up = parent.isNull() ? nullptr : mayahost::nodeOf(parent);
    MStatus s;
    if (!parent.isNull() && !up) {
        s = MStatus(MS::kInvalidParameter,
                    "(kInvalidParameter): The parent is not a node that exists");
    } else if (auto node = Scene::current().createNode(typeName.asChar(), "", up, s)) {
        created_.push_back(node->object());
        // A shape made without a parent comes with a new transform: it is the modifier's too.
        if (!up && node->parent) created_.push_back(node->parent->object());
        if (status) *status = s;
        return node->object();
    }
    if (status) *status = s;
    return MObject();
}

MObject MDagModifier::createNode(const MTypeId& typeId, const MObject& parent, MStatus* status) {
    mayahost::NodeType* type = mayahost::Registry::instance().findType(typeId.id());
    if (!type) {
        if (status)
            *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Unknown type id");
        return MObject();
    }
    return createNode(MString(type->name.c_str()), parent, status);
}

MStatus MDagModifier::connect(const MObject& sourceNode, const MObject& sourceAttribute,
                              const MObject& destinationNode, const MObject& destinationAttribute) {
    return connect(MPlug(sourceNode, sourceAttribute),
                   MPlug(destinationNode, destinationAttribute));
}

MStatus MDagModifier::connect(const MPlug& source, const MPlug& destination) {
    if (source.isNull() || destination.isNull())
        return MStatus(MS::kInvalidParameter,
                       "(kInvalidParameter): A plug of the connection does not exist");
    pending_.emplace_back(source, destination);
    return MS::kSuccess;
}

// Makes the connections in the order given; the first that fails ends doIt with its status,
// the ones made before it stay.
MStatus MDagModifier::doIt() {
    while (!pending_.empty()) {
        auto [source, destination] = pending_.front();
        MStatus status = Scene::current().connect(refOf(source), refOf(destination), false);
        if (!status) return status;
        made_.emplace_back(source, destination);
        pending_.erase(pending_.begin());
    }
    return MS::kSuccess;
}

MStatus MDagModifier::undoIt() {
    Scene& scene = Scene::current();
    for (auto it = made_.rbegin(); it != made_.rend(); ++it)
        scene.disconnect(refOf(it->first), refOf(it->second));
    made_.clear();
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
        if (mayahost::Node* node = mayahost::nodeOf(*it)) scene.deleteNode(*node);
    created_.clear();
    return MS::kSuccess;
}
