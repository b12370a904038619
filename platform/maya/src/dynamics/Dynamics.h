#pragma once
// The host's dynamics: the emitter base's attributes, the particle shape and its stepping.
#include <maya/MObject.h>

#include <string>
#include <vector>

#include "graph/Node.h"

namespace mayahost {

// The attributes every emitter inherits (output last); built once.
const std::vector<AttributePtr>& emitterAttributes();
// The emitter base's inputs: each affects `output`.
std::vector<const MObject*> emitterInputs();
// Registers the "particle" shape type and its stepping on time changes.
void registerParticleType();

// The particle shape's attributes, for the commands that connect it.
struct ParticleAttributes {
    const Attribute* newParticles;
    const Attribute* isFull;
    const Attribute* inheritFactor;
    const Attribute* startTime;
    const Attribute* timeStepSize;
    const Attribute* particleArrays;
};
const ParticleAttributes& particleAttributes();
bool isParticleShape(const Node& node);
// The particleArrays plug of the particle shape a name gives (the shape or its transform);
// false when the name gives no particle shape.
bool particleArraysPlug(const std::string& name, struct PlugRef& plug);

}  // namespace mayahost
