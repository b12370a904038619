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

// What the command changes on its way, so that a failure part way puts the scene back as it
// was: the deformer, the shape's former geometry source (what fed its inMesh, or a new hidden
// "<shape>Orig" mesh beside it that keeps the geometry the shape had).
class DeformerEdits {
public:
    explicit DeformerEdits(Node& shape) : shape_(shape) {}

    MStatus addDeformer(const std::string& type, const std::string& name, NodePtr& node) {
        MStatus status;
        node = deformer_ = Scene::current().createNode(type, name, nullptr, status);
        return status;
    }

    // The plug that gives the shape its geometry, free to feed the deformer.
    MStatus takeGeometrySource(PlugRef& source) {
        Scene& scene = Scene::current();
        const PlugRef inMesh = plug(shape_, "inMesh");
        if (const Connection* c = scene.incoming(inMesh)) {
            source = formerSource_ = c->source;
            return scene.disconnect(c->source, inMesh);
        }
        MStatus status;
        orig_ = scene.createNode("mesh", shape_.name + "Orig", shape_.parent, status);
        if (!orig_) return status;
        copyGeometry(shape_, *orig_);
        scene.setValue(*orig_, plug(*orig_, "visibility").path,
                       [](Slot& slot, int) { slot.number[0] = 0; });
        source = plug(*orig_, "outMesh");
        return MS::kSuccess;
    }

    // Deletes what was made and gives the shape its former geometry source again: the
    // connection, or the geometry that the Orig mesh kept.
    void undo() {
        Scene& scene = Scene::current();
        if (deformer_ && deformer_->alive) scene.deleteNode(*deformer_);
        const PlugRef inMesh = plug(shape_, "inMesh");
        if (orig_ && orig_->alive) {
            copyGeometry(*orig_, shape_);
            scene.deleteNode(*orig_);
        }
        if (formerSource_.node && formerSource_.node->alive)
            scene.connect(formerSource_, inMesh, true);
    }

private:
    // Gives mesh `to` a copy of the geometry that mesh `from` holds in its inMesh.
    static void copyGeometry(Node& from, Node& to) {
        const PlugRef fromMesh = plug(from, "inMesh");
        auto data = from.slot(fromMesh.attribute()).data;
        Scene::current().setValue(to, plug(to, "inMesh").path, [&](Slot& slot, int) {
            slot.data = data ? data->clone() : nullptr;
        });
    }

    Node& shape_;
    NodePtr deformer_, orig_;
    PlugRef formerSource_;
};

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
    DeformerEdits edits(*shape);
    auto fail = [&](const std::string& message) {
        edits.undo();
        return commandError("deformer", message);
    };
    NodePtr node;
    status = edits.addDeformer(parsed.text("type"), parsed.text("name"), node);
    if (!node) return fail(status.errorString().asChar());
    auto* deformerNode = dynamic_cast<MPxDeformerNode*>(node->user);
    if (!deformerNode || node->type->kind != NodeKind::Deformer)
        return fail("\"" + parsed.text("type") + "\" is not a deformer type");
    PlugRef source;
    status = edits.takeGeometrySource(source);
    const PlugRef inputGeometry{node,
                                {PlugStep{node->type->findAttribute("input"), 0},
                                 PlugStep{node->type->findAttribute("inputGeometry"), -1}}};
    if (status) status = scene.connect(source, inputGeometry, false);
    if (status)
        status = scene.connect(plug(*node, "outputGeometry", 0), plug(*shape, "inMesh"), false);
    if (!status) return fail(status.errorString().asChar());
    MDagModifier modifier;
    status = deformerNode->accessoryNodeSetup(modifier);
    if (status == MS::kNotImplemented)
        status = MS::kSuccess;
    else if (status)
        status = modifier.doIt();
    if (!status) {
        modifier.undoIt();
        return fail(node->name + ": the accessory nodes could not be set up: " +
                    status.errorString().asChar());
    }
    result.set(node->name);
    return MS::kSuccess;
}
