// ramp: colours placed along a direction of the UV square (colorEntryList), blended between
// their positions. Before the first and after the last entry the end colours hold.
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPlug.h>

#include <algorithm>
#include <cmath>

#include "shading/TextureRegistration.h"

namespace mayahost {

namespace {

enum RampType { kVRamp, kURamp, kDiagonalRamp, kRadialRamp, kCircularRamp };
enum Interpolation { kNone, kLinear, kSmooth };

struct Entry {
    float position;
    float rgb[3];
};

// Where along the ramp a UV lies, from 0 to 1.
float rampPosition(int type, float u, float v) {
    switch (type) {
        case kURamp:
            return u;
        case kDiagonalRamp:
            return 0.5f * (u + v);
        case kRadialRamp:
            return float((std::atan2(double(v) - 0.5, double(u) - 0.5) + M_PI) / (2 * M_PI));
        case kCircularRamp:
            return std::min(1.0f, float(std::hypot(double(u) - 0.5, double(v) - 0.5) * 2.0));
        default:
            return v;
    }
}

class RampNode : public Texture2dNode {
public:
    static MObject type, interpolation, colorEntryList, position, color;

    static MStatus initialize() {
        MStatus status = addCommonAttributes();
        if (!status) return status;
        MFnEnumAttribute enumeration;
        type = enumeration.create("type", "t", kVRamp);
        const char* types[] = {"vRamp", "uRamp", "diagonalRamp", "radialRamp", "circularRamp"};
        for (short i = 0; i < 5; ++i) enumeration.addField(types[i], i);
        enumeration.setKeyable(true);
        interpolation = enumeration.create("interpolation", "in", kLinear);
        const char* blends[] = {"none", "linear", "smooth"};
        for (short i = 0; i < 3; ++i) enumeration.addField(blends[i], i);
        enumeration.setKeyable(true);
        MFnNumericAttribute numeric;
        position = numeric.create("position", "ep", MFnNumericData::kFloat, 0.0);
        numeric.setKeyable(true);
        color = numeric.createColor("color", "ec");
        numeric.setKeyable(true);
        MFnCompoundAttribute compound;
        colorEntryList = compound.create("colorEntryList", "cel");
        compound.addChild(position);
        compound.addChild(color);
        compound.setArray(true);
        for (const MObject* a : {&type, &interpolation, &colorEntryList})
            if (!(status = addInput(*a))) return status;
        return MS::kSuccess;
    }

    // A new ramp runs from red through green to blue.
    void postConstructor() override {
        MPlug list(thisMObject(), colorEntryList);
        const float colors[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (unsigned i = 0; i < 3; ++i) {
            MPlug entry = list.elementByLogicalIndex(i);
            entry.child(position).setValue(0.5f * float(i));
            for (unsigned c = 0; c < 3; ++c) entry.child(color).child(c).setValue(colors[i][c]);
        }
    }

protected:
    MStatus shade(TextureInputs& inputs, const UvBatch& batch, float* rgb, float*) override {
        std::vector<Entry> entries = readEntries(inputs);
        const int rampType = inputs.plug(type).asInt(), blend = inputs.plug(interpolation).asInt();
        ColorSamples fallback;
        MStatus status = inputs.color(defaultColor, fallback);
        if (!status) return status;
        for (size_t i = 0; i < batch.count; ++i) {
            float* out = rgb + i * 3;
            if (entries.empty()) {
                std::copy_n(fallback.at(i), 3, out);
                continue;
            }
            const float at = rampPosition(rampType, std::clamp(batch.u[i], 0.0f, 1.0f),
                                          std::clamp(batch.v[i], 0.0f, 1.0f));
            colorAt(entries, blend, at, out);
        }
        return MS::kSuccess;
    }

private:
    // The entries with a finite position, in order of position.
    std::vector<Entry> readEntries(TextureInputs& inputs) {
        std::vector<Entry> entries;
        MPlug list = inputs.plug(colorEntryList);
        for (unsigned i = 0, n = list.numElements(); i < n; ++i) {
            MPlug element = list.elementByPhysicalIndex(i);
            Entry e;
            e.position = element.child(position).asFloat();
            MPlug rgb = element.child(color);
            for (unsigned c = 0; c < 3; ++c) e.rgb[c] = rgb.child(c).asFloat();
            if (std::isfinite(e.position)) entries.push_back(e);
        }
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.position < b.position; });
        return entries;
    }

    static void colorAt(const std::vector<Entry>& entries, int blend, float at, float* out) {
        auto next =
            std::upper_bound(entries.begin(), entries.end(), at,
                             [](float value, const Entry& e) { return value < e.position; });
        if (next == entries.begin() || next == entries.end() || blend == kNone) {
            const Entry& e = next == entries.begin() ? entries.front() : *(next - 1);
            std::copy_n(e.rgb, 3, out);
            return;
        }
        const Entry& a = *(next - 1);
        const Entry& b = *next;
        float t = (at - a.position) / (b.position - a.position);
        if (blend == kSmooth) t = t * t * (3 - 2 * t);
        for (int c = 0; c < 3; ++c) out[c] = a.rgb[c] + (b.rgb[c] - a.rgb[c]) * t;
    }
};
MObject RampNode::type, RampNode::interpolation, RampNode::colorEntryList, RampNode::position,
    RampNode::color;

}  // namespace

void registerRampType() { registerTexture<RampNode>("ramp", 0x4000021); }

}  // namespace mayahost
