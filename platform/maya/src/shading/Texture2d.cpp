#include "shading/Texture2d.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPlug.h>

#include <cmath>

#include "graph/Registry.h"
#include "graph/Scene.h"

namespace mayahost {

MObject Texture2dNode::uvCoord, Texture2dNode::uCoord, Texture2dNode::vCoord,
    Texture2dNode::outColor, Texture2dNode::outAlpha, Texture2dNode::defaultColor,
    Texture2dNode::colorGain, Texture2dNode::colorOffset;

namespace {

MObject color(const char* name, const char* brief, float r, float g, float b, bool input) {
    MFnNumericAttribute numeric;
    MObject attribute = numeric.createColor(name, brief);
    numeric.setDefault(r, g, b);
    if (input) {
        numeric.setKeyable(true);
    } else {
        numeric.setWritable(false);
        numeric.setStorable(false);
    }
    return attribute;
}

// The attributes are made once and shared by every texture type, as the DAG attributes are.
void makeCommonAttributes() {
    if (!Texture2dNode::uvCoord.isNull()) return;
    MFnNumericAttribute numeric;
    Texture2dNode::uCoord = numeric.create("uCoord", "u", MFnNumericData::kFloat, 0.0);
    Texture2dNode::vCoord = numeric.create("vCoord", "v", MFnNumericData::kFloat, 0.0);
    Texture2dNode::uvCoord =
        numeric.create("uvCoord", "uv", Texture2dNode::uCoord, Texture2dNode::vCoord);
    numeric.setKeyable(true);
    Texture2dNode::defaultColor = color("defaultColor", "dc", 0.5f, 0.5f, 0.5f, true);
    Texture2dNode::colorGain = color("colorGain", "cg", 1, 1, 1, true);
    Texture2dNode::colorOffset = color("colorOffset", "co", 0, 0, 0, true);
    Texture2dNode::outColor = color("outColor", "oc", 0, 0, 0, false);
    Texture2dNode::outAlpha = numeric.create("outAlpha", "oa", MFnNumericData::kFloat, 1.0);
    numeric.setWritable(false);
    numeric.setStorable(false);
}

// The texture connected into a plug, and which of its outputs: 0 to 2 a channel of outColor,
// 3 its alpha, -1 the whole colour. Null when the plug's source is not a texture's output.
Node* textureSource(Node& node, const PlugPath& path, int& channel) {
    const Connection* c = Scene::current().incoming(PlugRef{node.shared_from_this(), path});
    if (!c || !textureOf(*c->source.node)) return nullptr;
    const Attribute* from = c->source.attribute();
    if (from == attributeOf(Texture2dNode::outColor))
        channel = -1;
    else if (from->parent == attributeOf(Texture2dNode::outColor))
        channel = from->component;
    else if (from == attributeOf(Texture2dNode::outAlpha))
        channel = 3;
    else
        return nullptr;
    return c->source.node.get();
}

}  // namespace

Texture2dNode* textureOf(Node& node) {
    return node.alive ? dynamic_cast<Texture2dNode*>(node.user) : nullptr;
}

float wrapUv(float value) {
    const double fraction = double(value) - std::floor(double(value));
    return fraction < 1.0 ? float(fraction) : 0.0f;
}

MStatus Texture2dNode::addCommonAttributes() {
    makeCommonAttributes();
    for (const MObject* a :
         {&uvCoord, &defaultColor, &colorGain, &colorOffset, &outColor, &outAlpha}) {
        MStatus status = addAttribute(*a);
        if (!status) return status;
    }
    for (const MObject* input : {&uvCoord, &defaultColor, &colorGain, &colorOffset}) {
        MStatus status = attributeAffects(*input, outColor);
        if (status) status = attributeAffects(*input, outAlpha);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus Texture2dNode::addInput(const MObject& attribute) {
    MStatus status = addAttribute(attribute);
    if (status) status = attributeAffects(attribute, outColor);
    if (status) status = attributeAffects(attribute, outAlpha);
    return status;
}

MStatus Texture2dNode::compute(const MPlug& plug, MDataBlock& block) {
    MPlug top = plug.isChild() ? plug.parent() : plug;
    if (top != outColor && top != outAlpha) return MS::kUnknownParameter;
    MDataHandle uv = block.inputValue(uvCoord);
    const float u = uv.asFloat2()[0], v = uv.asFloat2()[1];
    TextureInputs inputs(*hostNode(), nullptr);
    ShadedSamples shaded;
    MStatus status = shadeBatch(inputs, UvBatch{&u, &v, 1}, shaded);
    if (!status) return status;
    block.outputValue(outColor).set(shaded.rgb[0], shaded.rgb[1], shaded.rgb[2]);
    block.outputValue(outAlpha).set(shaded.alpha[0]);
    block.setClean(outColor);
    block.setClean(outAlpha);
    return MS::kSuccess;
}

MStatus Texture2dNode::shadeBatch(TextureInputs& inputs, const UvBatch& batch, ShadedSamples& out) {
    const size_t n = batch.count;
    // Shading sees finite UVs only; the others are shaded at 0 and given the default colour.
    std::vector<float> u(batch.u, batch.u + n), v(batch.v, batch.v + n);
    std::vector<char> outside(n, 0);
    for (size_t i = 0; i < n; ++i)
        if (!std::isfinite(u[i]) || !std::isfinite(v[i])) outside[i] = 1, u[i] = v[i] = 0;
    ShadedSamples result;
    result.rgb.assign(n * 3, 0.0f);
    result.alpha.assign(n, 1.0f);
    MStatus status =
        shade(inputs, UvBatch{u.data(), v.data(), n}, result.rgb.data(), result.alpha.data());
    ColorSamples gain, offset, fallback;
    if (status) status = inputs.color(colorGain, gain);
    if (status) status = inputs.color(colorOffset, offset);
    if (status) status = inputs.color(defaultColor, fallback);
    if (!status) return status;
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c) {
            float& value = result.rgb[i * 3 + c];
            value = outside[i] ? fallback.at(i)[c] : value * gain.at(i)[c] + offset.at(i)[c];
        }
    for (size_t i = 0; i < n; ++i)
        if (outside[i]) result.alpha[i] = 1.0f;
    out = std::move(result);
    return MS::kSuccess;
}

// ---- inputs

MPlug TextureInputs::plug(const MObject& attribute) const {
    return MPlug(node_.object(), attribute);
}

float TextureInputs::number(const MObject& attribute) { return plug(attribute).asFloat(); }

MStatus TextureInputs::color(const MObject& attribute, ColorSamples& out) {
    MPlug whole = plug(attribute);
    out = ColorSamples();
    for (int c = 0; c < 3; ++c) out.rgb[c] = whole.child(c).asFloat();
    if (!network_ || !network_->followsConnections()) return MS::kSuccess;
    // Each channel may come from a texture: from its whole colour into the whole input, or
    // from one of its outputs into one channel.
    const Attribute* a = attributeOf(attribute);
    const ShadedSamples* sources[3] = {nullptr, nullptr, nullptr};
    int channels[3] = {0, 1, 2};
    for (int c = 0; c < 3; ++c) {
        int channel = -1;
        Node* source = textureSource(node_, pathOf(a->children[c].get()), channel);
        if (!source) {
            source = textureSource(node_, pathOf(a), channel);
            channel = channel == -1 ? c : channel;
        }
        if (!source) continue;
        MStatus status = network_->shaded(*source, sources[c]);
        if (!status) return status;
        channels[c] = channel;
    }
    if (!sources[0] && !sources[1] && !sources[2]) return MS::kSuccess;
    const size_t n = network_->count();
    const float uniform[3] = {out.rgb[0], out.rgb[1], out.rgb[2]};
    out.rgb.assign(n * 3, 0.0f);
    out.stride = 3;
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c) {
            const ShadedSamples* s = sources[c];
            out.rgb[i * 3 + c] = !s                 ? uniform[c]
                                 : channels[c] == 3 ? s->alpha[i]
                                                    : s->rgb[i * 3 + channels[c]];
        }
    return MS::kSuccess;
}

// ---- network

MStatus NetworkSampler::shaded(Node& node, const ShadedSamples*& out) {
    auto found = done_.find(&node);
    if (found != done_.end()) {
        out = &found->second;
        return MS::kSuccess;
    }
    Texture2dNode* texture = textureOf(node);
    if (!texture)
        return MStatus(MS::kInvalidParameter,
                       ("(kInvalidParameter): " + node.name + " is not a texture").c_str());
    if (!active_.insert(&node).second)
        return MStatus(MS::kFailure,
                       ("(kFailure): the shading network leads back into " + node.name).c_str());
    TextureInputs inputs(node, this);
    ShadedSamples shaded;
    MStatus status = texture->shadeBatch(inputs, batch_, shaded);
    active_.erase(&node);
    if (!status) return status;
    out = &(done_[&node] = std::move(shaded));
    return MS::kSuccess;
}

// ---- registration

void registerShadingTypes() {
    registerCheckerType();
    registerRampType();
    registerFileTextureType();
}

}  // namespace mayahost
