// deformer -type <type> [-n name] <mesh>: a deformer between a mesh's geometry and its shape.
#include <maya/MDagModifier.h>
#include <maya/MPxDeformerNode.h>

#include "commands/CommandArgs.h"
#include "commands/CommandRegistry.h"
#include "graph/Scene.h"

using namespace mayahost;

namespace {

Node* meshShapeOf(const std::string& name) {
    Node* node = Scene::current().findNode(name);
    if (node && node->type->kind == NodeKind::Transform)
        for (Node* child : node->children)
            if (child->type->apiType == MFn::kMesh)
                return child;  // the shape, made before any original
    return node && node->type->apiType == MFn::kMesh ? node : nullptr;
}

PlugRef plug(Node& node, const std::string& attribute, int index = -1) {
    return PlugRef{node.shared_from_this(), pathOf(node.type->findAttribute(attribute), index)};
}

// The plug that gives the shape its geometry: what feeds its inMesh, or else the outMesh of a
// new hidden "<shape>Orig" mesh beside it that keeps the geometry the shape had.
MStatus geometrySource(Node& shape, PlugRef& source) {
    Scene& scene = Scene::current();
    const PlugRef inMesh = plug(shape, "inMesh");
    if (const Connection* c = scene.incoming(inMesh)) {
        source = c->source;
        return scene.disconnect(c->source, inMesh);
    }
    MStatus status;
    NodePtr orig = scene.createNode("mesh", shape.name + "Orig", shape.parent, status);
    if (!orig) return status;
    auto data = shape.slot(inMesh.attribute()).data;
    scene.setValue(*orig, plug(*orig, "inMesh").path,
                   [&](Slot& slot, int) { slot.data = data ? data->clone() : nullptr; });
    scene.setValue(*orig, plug(*orig, "visibility").path,
                   [](Slot& slot, int) { slot.number[0] = 0; });
    source = plug(*orig, "outMesh");
    return MS::kSuccess;
}

}  // namespace

// Answers the deformer's name. The deformer's accessoryNodeSetup, when it has one, creates and
// connects its accessory nodes.
MAYAHOST_BUILTIN_COMMAND(deformer, args, result) {
    CommandArgs parsed;
    MStatus status =
        CommandArgs::parse("deformer", args, {{"type", "type", 1}, {"n", "name", 1}}, parsed);
    if (!status) return status;
    if (!parsed.has("type") || parsed.positional.size() != 1)
        return commandError("deformer", "needs -type <deformer type> and one mesh");
    Scene& scene = Scene::current();
    Node* shape = meshShapeOf(parsed.positional[0]);
    if (!shape)
        return commandError("deformer",
                            "\"" + parsed.positional[0] + "\" is not a mesh or a transform of one");
    NodePtr node = scene.createNode(parsed.text("type"), parsed.text("name"), nullptr, status);
    if (!node) return commandError("deformer", status.errorString().asChar());
    auto* deformerNode = dynamic_cast<MPxDeformerNode*>(node->user);
    if (!deformerNode || node->type->kind != NodeKind::Deformer) {
        scene.deleteNode(*node);
        return commandError("deformer", "\"" + parsed.text("type") + "\" is not a deformer type");
    }
    PlugRef source;
    status = geometrySource(*shape, source);
    const PlugRef inputGeometry{node,
                                {PlugStep{node->type->findAttribute("input"), 0},
                                 PlugStep{node->type->findAttribute("inputGeometry"), -1}}};
    if (status) status = scene.connect(source, inputGeometry, false);
    if (status)
        status = scene.connect(plug(*node, "outputGeometry", 0), plug(*shape, "inMesh"), false);
    if (!status) return commandError("deformer", status.errorString().asChar());
    MDagModifier modifier;
    status = deformerNode->accessoryNodeSetup(modifier);
    if (status == MS::kNotImplemented)
        status = MS::kSuccess;
    else if (status)
        status = modifier.doIt();
    if (!status) {
        modifier.undoIt();
        return commandError("deformer", node->name + ": the accessory nodes could not be set up: " +
                                            status.errorString().asChar());
    }
    result.set(node->name);
    return MS::kSuccess;
}
