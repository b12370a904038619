// Shading-network sampling: the network behind a texture output, shaded for a whole batch.
#include <maya/MRenderUtil.h>

#include "graph/Scene.h"
#include "shading/Texture2d.h"

using namespace mayahost;

namespace {

MStatus invalid(const std::string& text) {
    return MStatus(MS::kInvalidParameter,
                   ("(kInvalidParameter): sampleShadingNetwork: " + text).c_str());
}

// Which output of a texture a name asks for: 0 to 2 a channel of outColor, 3 the alpha, -1 the
// whole colour.
bool textureOutput(const PlugRef& plug, int& channel) {
    const Attribute* a = plug.attribute();
    if (a == attributeOf(Texture2dNode::outColor))
        channel = -1;
    else if (a->parent == attributeOf(Texture2dNode::outColor))
        channel = a->component;
    else if (a == attributeOf(Texture2dNode::outAlpha))
        channel = 3;
    else
        return false;
    return true;
}

// A plug of one to three numbers, read once: its value as a colour for every sample.
MStatus constantColor(PlugRef& plug, int count, MFloatVectorArray& colors) {
    const Attribute* a = plug.attribute();
    const bool numeric = a->kind == Attribute::Kind::Numeric || a->component >= 0;
    const int components = a->component >= 0 ? 1 : numeric ? a->componentCount() : 0;
    if (components != 1 && components != 3)
        return invalid("'" + plug.name() + "' is neither a texture nor a colour");
    MStatus status = Scene::current().evaluate(*plug.node, plug.path);
    if (!status) return status;
    int component = -1;
    const Slot* slot = Scene::current().slotFor(*plug.node, plug.path, &component);
    float value[3];
    for (int c = 0; c < 3; ++c)
        value[c] = float(slot->number[components == 1 ? std::max(component, 0) : c]);
    colors.setLength(unsigned(count));
    for (int i = 0; i < count; ++i)
        colors[unsigned(i)] = MFloatVector(value[0], value[1], value[2]);
    return MS::kSuccess;
}

}  // namespace

MStatus MRenderUtil::sampleShadingNetwork(MString shadingNodeName, int numSamples, bool, bool,
                                          MFloatMatrix&, MFloatPointArray*, MFloatArray* uCoords,
                                          MFloatArray* vCoords, MFloatVectorArray*,
                                          MFloatPointArray*, MFloatVectorArray*, MFloatVectorArray*,
                                          MFloatArray*, MFloatVectorArray& resultColors,
                                          MFloatVectorArray& resultTransparencies) {
    resultColors.clear();
    resultTransparencies.clear();
    if (numSamples < 0) return invalid("the sample count is negative");
    if (!uCoords || !vCoords)
        return invalid("only 2-D sampling is supported: u and v coordinates are needed");
    if (uCoords->length() < unsigned(numSamples) || vCoords->length() < unsigned(numSamples))
        return invalid("fewer u or v coordinates than samples");
    Scene& scene = Scene::current();
    std::string name = shadingNodeName.asChar(), error;
    PlugRef plug;
    if (name.find('.') == std::string::npos) {
        Node* node = scene.findNode(name);
        if (!node) return invalid("no node named \"" + name + "\"");
        name += ".outColor";
    }
    if (!scene.parsePlug(name, plug, error)) return invalid(error);
    int channel = -1;
    MFloatVectorArray colors, transparencies;
    if (!textureOf(*plug.node) || !textureOutput(plug, channel)) {
        MStatus status = constantColor(plug, numSamples, colors);
        if (!status) return status;
        transparencies.setLength(unsigned(numSamples));
    } else {
        const size_t n = size_t(numSamples);
        std::vector<float> u(n), v(n);
        for (size_t i = 0; i < n; ++i)
            u[i] = (*uCoords)[unsigned(i)], v[i] = (*vCoords)[unsigned(i)];
        NetworkSampler network(UvBatch{u.data(), v.data(), n}, true);
        const ShadedSamples* shaded = nullptr;
        MStatus status = network.shaded(*plug.node, shaded);
        if (!status) return status;
        colors.setLength(unsigned(n));
        transparencies.setLength(unsigned(n));
        for (size_t i = 0; i < n; ++i) {
            const float* rgb = &shaded->rgb[i * 3];
            const float alpha = shaded->alpha[i];
            if (channel == -1)
                colors[unsigned(i)] = MFloatVector(rgb[0], rgb[1], rgb[2]);
            else {
                const float value = channel == 3 ? alpha : rgb[channel];
                colors[unsigned(i)] = MFloatVector(value, value, value);
            }
            transparencies[unsigned(i)] = MFloatVector(1 - alpha, 1 - alpha, 1 - alpha);
        }
    }
    resultColors = colors;
    resultTransparencies = transparencies;
    return MS::kSuccess;
}
