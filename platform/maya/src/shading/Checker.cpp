// checker: color1 in the lower-left and upper-right quarter of every UV tile, color2 in the
// other two; contrast 1 keeps the colours, 0 gives their average.
#include <maya/MFnNumericAttribute.h>

#include "shading/TextureRegistration.h"

namespace mayahost {

namespace {

class CheckerNode : public Texture2dNode {
public:
    static MObject color1, color2, contrast;

    static MStatus initialize() {
        MStatus status = addCommonAttributes();
        if (!status) return status;
        MFnNumericAttribute numeric;
        color1 = numeric.createColor("color1", "c1");
        numeric.setDefault(1.0f, 1.0f, 1.0f);
        numeric.setKeyable(true);
        color2 = numeric.createColor("color2", "c2");
        numeric.setDefault(0.0f, 0.0f, 0.0f);
        numeric.setKeyable(true);
        contrast = numeric.create("contrast", "ct", MFnNumericData::kFloat, 1.0);
        numeric.setKeyable(true);
        for (const MObject* a : {&color1, &color2, &contrast})
            if (!(status = addInput(*a))) return status;
        return MS::kSuccess;
    }

protected:
    MStatus shade(TextureInputs& inputs, const UvBatch& batch, float* rgb, float*) override {
        ColorSamples first, second;
        MStatus status = inputs.color(color1, first);
        if (status) status = inputs.color(color2, second);
        if (!status) return status;
        const float amount = inputs.number(contrast);
        for (size_t i = 0; i < batch.count; ++i) {
            const bool lowU = wrapUv(batch.u[i]) < 0.5f, lowV = wrapUv(batch.v[i]) < 0.5f;
            const float* a = first.at(i);
            const float* b = second.at(i);
            for (int c = 0; c < 3; ++c) {
                const float average = 0.5f * (a[c] + b[c]);
                rgb[i * 3 + c] = average + ((lowU == lowV ? a[c] : b[c]) - average) * amount;
            }
        }
        return MS::kSuccess;
    }
};
MObject CheckerNode::color1, CheckerNode::color2, CheckerNode::contrast;

}  // namespace

void registerCheckerType() { registerTexture<CheckerNode>("checker", 0x4000020); }

}  // namespace mayahost
