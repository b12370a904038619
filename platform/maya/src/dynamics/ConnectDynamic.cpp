// connectDynamic -em <emitter> <particle shape>: makes an emitter emit into a particle shape.
#include <maya/MPxEmitterNode.h>

#include "commands/CommandArgs.h"
#include "commands/CommandRegistry.h"
#include "dynamics/Dynamics.h"
#include "graph/Scene.h"

using namespace mayahost;

namespace {

// The node itself, or the first child of a transform, that passes the test.
Node* shapeOf(const std::string& name, bool (*test)(const Node&)) {
    Node* node = Scene::current().findNode(name);
    if (!node) return nullptr;
    if (test(*node)) return node;
    if (node->type->kind == NodeKind::Transform)
        for (Node* child : node->children)
            if (test(*child)) return child;
    return nullptr;
}

bool isEmitter(const Node& node) { return node.type->kind == NodeKind::Emitter; }
bool isParticle(const Node& node) { return isParticleShape(node); }

PlugRef plug(Node& node, const Attribute* attribute, int index = -1) {
    return PlugRef{node.shared_from_this(), pathOf(attribute, index)};
}

// The first element of the output array that feeds nothing.
int freeOutput(Node& emitter) {
    int j = 0;
    while (
        !Scene::current().outgoing(plug(emitter, attributeOf(MPxEmitterNode::mOutput), j)).empty())
        ++j;
    return j;
}

// The first element of the input array that nothing feeds.
int freeInput(Node& node, const Attribute* attribute) {
    int k = 0;
    while (Scene::current().incoming(plug(node, attribute, k))) ++k;
    return k;
}

bool feeds(Node& emitter, Node& particle) {
    for (const Connection& c : Scene::current().incomingTo(particle))
        if (c.source.node.get() == &emitter &&
            c.destination.attribute() == particleAttributes().newParticles)
            return true;
    return false;
}

}  // namespace

// The emitter's next output element feeds the shape's next newParticles element, and the
// shape's start time, step, fullness and inherit factor feed the emitter's elements of the
// same index; the scene's time feeds the emitter's currentTime. Answers the shape's name.
MAYAHOST_BUILTIN_COMMAND(connectDynamic, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("connectDynamic", args, {{"em", "emitters", 1}}, parsed);
    if (!status) return status;
    if (!parsed.has("emitters") || parsed.positional.size() != 1)
        return commandError("connectDynamic", "needs -em <emitter> and one particle shape");
    Node* emitter = shapeOf(parsed.text("emitters"), isEmitter);
    if (!emitter)
        return commandError("connectDynamic",
                            "\"" + parsed.text("emitters") + "\" is not an emitter");
    Node* particle = shapeOf(parsed.positional[0], isParticle);
    if (!particle)
        return commandError("connectDynamic",
                            "\"" + parsed.positional[0] + "\" is not a particle shape");
    if (feeds(*emitter, *particle))
        return commandError("connectDynamic",
                            emitter->name + " already emits into " + particle->name);
    const ParticleAttributes& p = particleAttributes();
    const int j = freeOutput(*emitter);
    const int k = freeInput(*particle, p.newParticles);
    Scene& scene = Scene::current();
    Node& time = *scene.timeNode();
    const std::pair<PlugRef, PlugRef> connections[] = {
        {plug(*particle, p.isFull), plug(*emitter, attributeOf(MPxEmitterNode::mIsFull), j)},
        {plug(*particle, p.inheritFactor),
         plug(*emitter, attributeOf(MPxEmitterNode::mInheritFactor), j)},
        {plug(*particle, p.startTime), plug(*emitter, attributeOf(MPxEmitterNode::mStartTime), j)},
        {plug(*particle, p.timeStepSize),
         plug(*emitter, attributeOf(MPxEmitterNode::mDeltaTime), j)},
        {plug(*emitter, attributeOf(MPxEmitterNode::mOutput), j),
         plug(*particle, p.newParticles, k)},
    };
    for (const auto& [source, destination] : connections) {
        status = scene.connect(source, destination, true);
        if (!status) return commandError("connectDynamic", status.errorString().asChar());
    }
    const PlugRef currentTime = plug(*emitter, attributeOf(MPxEmitterNode::mCurrentTime));
    if (!scene.incoming(currentTime)) {
        status = scene.connect(plug(time, time.type->findAttribute("outTime")), currentTime, false);
        if (!status) return commandError("connectDynamic", status.errorString().asChar());
    }
    result.set(particle->name);
    return MS::kSuccess;
}
