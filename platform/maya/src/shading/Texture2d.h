#pragma once
// The host's 2-D textures: ordinary nodes with a UV input (uvCoord) and colour outputs
// (outColor, outAlpha) that can also be shaded a whole batch of UVs at once, as shading-network
// sampling does.
#include <maya/MPxNode.h>
#include <maya/MStatus.h>

#include <map>
#include <set>
#include <vector>

#include "graph/Node.h"

namespace mayahost {

struct UvBatch {
    const float* u = nullptr;
    const float* v = nullptr;
    size_t count = 0;
};

// A colour for every sample of a batch: one value shared by all (stride 0) or one each (stride 3).
struct ColorSamples {
    std::vector<float> rgb{0, 0, 0};
    size_t stride = 0;
    const float* at(size_t i) const { return &rgb[i * stride]; }
};

// What a texture shaded for a batch: three colour values and one alpha per sample.
struct ShadedSamples {
    std::vector<float> rgb;
    std::vector<float> alpha;
};

class NetworkSampler;

// A texture's inputs as its shading sees them. A colour input connected from another texture's
// colour (or a channel of it) is that texture shaded at the same UVs when the network is being
// sampled; every other input is read once for the whole batch.
class TextureInputs {
public:
    TextureInputs(Node& node, NetworkSampler* network) : node_(node), network_(network) {}
    MStatus color(const MObject& attribute, ColorSamples& out);
    float number(const MObject& attribute);
    MPlug plug(const MObject& attribute) const;
    Node& node() const { return node_; }

private:
    Node& node_;
    NetworkSampler* network_;
};

class Texture2dNode : public MPxNode {
public:
    // The attributes every texture type shares.
    static MObject uvCoord, uCoord, vCoord, outColor, outAlpha, defaultColor, colorGain,
        colorOffset;

    // Adds the shared attributes to the type being registered, with what they affect.
    static MStatus addCommonAttributes();
    // Adds a type's own input, which affects outColor and outAlpha.
    static MStatus addInput(const MObject& attribute);

    // outColor and outAlpha at the node's own uvCoord.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    // Shades every sample: rgb gets three values and alpha one per sample. UVs that are not
    // finite give defaultColor with alpha 1; the rest are scaled by colorGain and moved by
    // colorOffset. On failure the outputs are left as they were.
    MStatus shadeBatch(TextureInputs& inputs, const UvBatch& batch, ShadedSamples& out);

protected:
    // The texture's own colours at finite UVs, before gain and offset.
    virtual MStatus shade(TextureInputs& inputs, const UvBatch& batch, float* rgb,
                          float* alpha) = 0;
};

// Samples the network behind a batch of UVs: each texture reached is shaded once per batch.
class NetworkSampler {
public:
    explicit NetworkSampler(const UvBatch& batch, bool followConnections)
        : batch_(batch), follow_(followConnections) {}
    // The node's colours, shaded on first request; fails for a node that is no texture and for a
    // network that leads back into itself.
    MStatus shaded(Node& node, const ShadedSamples*& out);
    bool followsConnections() const { return follow_; }
    size_t count() const { return batch_.count; }

private:
    UvBatch batch_;
    bool follow_;
    std::map<const Node*, ShadedSamples> done_;
    std::set<const Node*> active_;
};

Texture2dNode* textureOf(Node& node);

// The fractional part of a UV, in [0, 1); 0 for values too large to have one.
float wrapUv(float value);

void registerShadingTypes();
void registerCheckerType();
void registerRampType();
void registerFileTextureType();

}  // namespace mayahost
