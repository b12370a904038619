// The "particle" shape: per-particle arrays that grow from the emitters connected to it and move
// by their velocities as time moves forward, emptied when time goes back to the start frame.
#include <maya/MDataBlock.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <map>

#include "data/DataTypes.h"
#include "dynamics/Dynamics.h"
#include "graph/NumberRange.h"
#include "graph/Registry.h"
#include "graph/Scene.h"

namespace mayahost {

namespace {

const MVector kDefaultColor(1.0, 1.0, 1.0);
const double kDefaultOpacity = 1.0;

// The particles of one shape, in emission order.
struct ParticleArrays {
    std::vector<MVector> position, velocity, rgb;
    std::vector<double> timeInStep, opacity;
    std::vector<int> ids;
    bool hasRgb = false, hasOpacity = false;

    size_t size() const { return position.size(); }
    void clear() { *this = ParticleArrays(); }
};

class ParticleShape : public MPxNode {
public:
    static MObject startFrame, maxCount, inheritFactor, newParticles, startTime, timeStepSize,
        isFull, count, particleArrays;

    static MStatus initialize();
    void postConstructor() override { lastTime = Scene::current().time(); }

    // Follows the scene's time: a rewind at or before the start frame, a step when it moved on.
    void follow(const MTime& now);

private:
    void rewind(const MTime& now);
    void step(const MTime& now);
    // Asks each connected emitter for its element: the particles it adds in this step.
    std::vector<std::shared_ptr<ArrayAttrsData>> collectEmissions();
    void append(const ArrayAttrsData& emitted, size_t room);
    void publish();
    template <class Write>
    void store(const MObject& attribute, Write write) {
        Scene::current().setValue(*hostNode(), pathOf(attributeOf(attribute)),
                                  [&](Slot& slot, int) { write(slot); });
    }
    // The input's current value, as the plug holds it: what a connection brings is evaluated
    // first.
    double number(const MObject& attribute) {
        const Attribute* input = attributeOf(attribute);
        Scene::current().evaluate(*hostNode(), pathOf(input));
        return input->heldValue(hostNode()->slot(input).number[0]);
    }

    ParticleArrays particles;
    int nextId = 0;
    MTime lastTime;
};

MObject ParticleShape::startFrame, ParticleShape::maxCount, ParticleShape::inheritFactor,
    ParticleShape::newParticles, ParticleShape::startTime, ParticleShape::timeStepSize,
    ParticleShape::isFull, ParticleShape::count, ParticleShape::particleArrays;

MObject output(MObject attribute) {
    MFnAttribute fn(attribute);
    fn.setWritable(false);
    fn.setStorable(false);
    return attribute;
}

MStatus ParticleShape::initialize() {
    MFnNumericAttribute numeric;
    MFnTypedAttribute typed;
    MFnUnitAttribute unit;
    startFrame = numeric.create("startFrame", "stf", MFnNumericData::kDouble, 1.0);
    maxCount = numeric.create("maxCount", "mxc", MFnNumericData::kInt, -1);
    inheritFactor = numeric.create("inheritFactor", "inh", MFnNumericData::kDouble, 0.0);
    newParticles = typed.create("newParticles", "npt", MFnData::kDynArrayAttrs);
    typed.setArray(true);
    typed.setStorable(false);
    startTime = output(unit.create("startTime", "stt", MFnUnitAttribute::kTime, 0.0));
    timeStepSize = output(unit.create("timeStepSize", "tss", MFnUnitAttribute::kTime, 0.0));
    isFull = output(numeric.create("isFull", "ifl", MFnNumericData::kBoolean, 0));
    count = output(numeric.create("count", "cnt", MFnNumericData::kInt, 0));
    particleArrays = output(typed.create("particleArrays", "pa", MFnData::kDynArrayAttrs));
    for (MObject* a : {&startFrame, &maxCount, &inheritFactor, &newParticles, &startTime,
                       &timeStepSize, &isFull, &count, &particleArrays}) {
        MStatus status = addAttribute(*a);
        if (!status) return status;
    }
    return MS::kSuccess;
}

void ParticleShape::follow(const MTime& now) {
    const MTime start(number(startFrame), MTime::uiUnit());
    store(startTime, [&](Slot& slot) { slot.number[0] = start.as(MTime::kSeconds); });
    if (now <= start) {
        rewind(now);
    } else if (now > lastTime) {
        if (lastTime < start) {  // a jump over the start frame: nothing happens before it
            rewind(start);
            lastTime = start;
        }
        step(now);
    }
    lastTime = now;
}

// The emitters are asked too, with a step of 0, so that they forget what they emitted.
void ParticleShape::rewind(const MTime&) {
    particles.clear();
    nextId = 0;
    store(timeStepSize, [](Slot& slot) { slot.number[0] = 0.0; });
    store(isFull, [](Slot& slot) { slot.number[0] = 0.0; });
    collectEmissions();
    publish();
}

// Particles already alive move over the whole step; the emitters place their new ones where they
// are at its end.
void ParticleShape::step(const MTime& now) {
    const double dt = (now - lastTime).as(MTime::kSeconds);
    const int limit = toNearest<int>(number(maxCount));  // below 0: no limit
    store(timeStepSize, [&](Slot& slot) { slot.number[0] = dt; });
    store(isFull,
          [&](Slot& slot) { slot.number[0] = limit >= 0 && particles.size() >= size_t(limit); });
    for (size_t i = 0; i < particles.size(); ++i)
        particles.position[i] += particles.velocity[i] * dt;
    for (const auto& emitted : collectEmissions()) {
        const size_t room =
            limit < 0 ? SIZE_MAX : size_t(limit) - std::min(size_t(limit), particles.size());
        if (emitted) append(*emitted, room);
    }
    publish();
}

std::vector<std::shared_ptr<ArrayAttrsData>> ParticleShape::collectEmissions() {
    const Attribute* input = attributeOf(newParticles);
    std::map<unsigned, Connection> sources;  // by element of newParticles
    for (const Connection& c : Scene::current().incomingTo(*hostNode()))
        if (c.destination.attribute() == input && c.destination.path.back().index >= 0)
            sources.emplace(unsigned(c.destination.path.back().index), c);
    std::vector<std::shared_ptr<ArrayAttrsData>> emissions;
    for (auto& [index, c] : sources) {
        Node& emitter = *c.source.node;
        const int element = c.source.path.back().index;
        if (!emitter.alive || !emitter.user || element < 0) continue;
        auto& elements = emitter.slot(c.source.path[0].attribute).elements;
        elements[unsigned(element)].data.reset();  // an emitter that emits nothing writes nothing
        MDataBlock block(&emitter);
        const MStatus status = emitter.user->compute(MPlug(emitter.object(), c.source.path), block);
        auto emitted = std::dynamic_pointer_cast<ArrayAttrsData>(elements[unsigned(element)].data);
        emissions.push_back(status ? emitted : nullptr);
    }
    return emissions;
}

// Arrays shorter than "position" give their default to the particles they do not reach.
void ParticleShape::append(const ArrayAttrsData& emitted, size_t room) {
    auto vectors = [&](const char* name) {
        auto* e = const_cast<ArrayAttrsData&>(emitted).find(name);
        return e && e->kind == ArrayAttrsData::kVector ? e->vectors.get() : nullptr;
    };
    auto doubles = [&](const char* name) {
        auto* e = const_cast<ArrayAttrsData&>(emitted).find(name);
        return e && e->kind == ArrayAttrsData::kDouble ? e->doubles.get() : nullptr;
    };
    const std::vector<MVector>* position = vectors("position");
    if (!position) return;
    const std::vector<MVector>* velocity = vectors("velocity");
    const std::vector<MVector>* rgb = vectors("rgbPP");
    const std::vector<double>* timeInStep = doubles("timeInStep");
    const std::vector<double>* opacity = doubles("opacityPP");
    if (rgb && !particles.hasRgb)
        particles.rgb.assign(particles.size(), kDefaultColor), particles.hasRgb = true;
    if (opacity && !particles.hasOpacity)
        particles.opacity.assign(particles.size(), kDefaultOpacity), particles.hasOpacity = true;
    const size_t n = std::min(position->size(), room);
    for (size_t i = 0; i < n; ++i) {
        particles.position.push_back((*position)[i]);
        particles.velocity.push_back(velocity && i < velocity->size() ? (*velocity)[i] : MVector());
        particles.timeInStep.push_back(timeInStep && i < timeInStep->size() ? (*timeInStep)[i]
                                                                            : 0.0);
        particles.ids.push_back(nextId++);
        if (particles.hasRgb)
            particles.rgb.push_back(rgb && i < rgb->size() ? (*rgb)[i] : kDefaultColor);
        if (particles.hasOpacity)
            particles.opacity.push_back(opacity && i < opacity->size() ? (*opacity)[i]
                                                                       : kDefaultOpacity);
    }
}

void ParticleShape::publish() {
    auto data = std::make_shared<ArrayAttrsData>();
    auto vectors = [&](const char* name, const std::vector<MVector>& values) {
        *data->obtain(name, ArrayAttrsData::kVector)->vectors = values;
    };
    auto doubles = [&](const char* name, const std::vector<double>& values) {
        *data->obtain(name, ArrayAttrsData::kDouble)->doubles = values;
    };
    vectors("position", particles.position);
    vectors("velocity", particles.velocity);
    doubles("timeInStep", particles.timeInStep);
    *data->obtain("particleId", ArrayAttrsData::kInt)->ints = particles.ids;
    if (particles.hasRgb) vectors("rgbPP", particles.rgb);
    if (particles.hasOpacity) doubles("opacityPP", particles.opacity);
    store(particleArrays, [&](Slot& slot) { slot.data = data; });
    store(count, [&](Slot& slot) { slot.number[0] = double(particles.size()); });
}

void followTime(const MTime&, const MTime& now) {
    Scene& scene = Scene::current();
    NodeType* type = Registry::instance().findType("particle");
    for (const NodePtr& node : scene.nodesOfType(type))
        if (auto* shape = dynamic_cast<ParticleShape*>(node->user)) shape->follow(now);
}

}  // namespace

void registerParticleType() {
    auto type = std::make_shared<NodeType>();
    type->name = "particle";
    type->id = MTypeId(0x4000030);  // from the range the host keeps for itself
    type->kind = NodeKind::Shape;
    type->apiType = MFn::kParticle;
    type->creator = [] { return new ParticleShape; };
    Registry::instance().registerType(type, &ParticleShape::initialize);
    Scene::addTimeListener(followTime);
}

const ParticleAttributes& particleAttributes() {
    static const ParticleAttributes attributes{
        attributeOf(ParticleShape::newParticles),  attributeOf(ParticleShape::isFull),
        attributeOf(ParticleShape::inheritFactor), attributeOf(ParticleShape::startTime),
        attributeOf(ParticleShape::timeStepSize),  attributeOf(ParticleShape::particleArrays)};
    return attributes;
}

bool isParticleShape(const Node& node) {
    return dynamic_cast<ParticleShape*>(node.user) != nullptr;
}

bool particleArraysPlug(const std::string& name, PlugRef& plug) {
    Node* node = Scene::current().findNode(name);
    if (node && !isParticleShape(*node) && node->type->kind == NodeKind::Transform)
        for (Node* child : node->children)
            if (isParticleShape(*child)) node = child;
    if (!node || !isParticleShape(*node)) return false;
    plug = PlugRef{node->shared_from_this(), pathOf(particleAttributes().particleArrays)};
    return true;
}

}  // namespace mayahost
