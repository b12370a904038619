// zuNoiseLocator: the red axis cross alone, the deformer's curves drawn as one blue strip where
// the front camera projects them, the values it passes on, and its fixed bounding box.
#include <maya/MFnDependencyNode.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MPxLocatorNode.h>

#include "displayTesting.h"

namespace {

using namespace displayTesting;

const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255};

class NoiseLocator : public DisplayTest {
protected:
    static int bluePixels(const mayahost::RgbaImage& image) {
        return countColor(image, 0, kSize, 0, kSize, kBlue);
    }
};

TEST_F(NoiseLocator, AloneItDrawsOnlyTheAxisCross) {
    ASSERT_TRUE(
        run("createNode transform -n holder; setAttr holder.scale 4 4 4; createNode zuNoiseLocator "
            "-p holder"));
    mayahost::RgbaImage image = snapshot();
    auto [column, row] = at(3.5, 0);
    EXPECT_TRUE(colorNear(image, column, row, kRed));
    std::tie(column, row) = at(0, -3.5);
    EXPECT_TRUE(colorNear(image, column, row, kRed));
    EXPECT_EQ(bluePixels(image), 0);
    EXPECT_EQ(plugOf("zuNoiseLocatorShape1.oxCrvLenOut").asFloat(), 1.0f);
    ASSERT_TRUE(
        run("setAttr zuNoiseLocatorShape1.ozCrvPtsCountIn 77; setAttr "
            "zuNoiseLocatorShape1.oyCrvLenIn 2.5"));
    EXPECT_EQ(plugOf("zuNoiseLocatorShape1.ozCrvPtsCountOut").asInt(), 77);
    EXPECT_EQ(plugOf("zuNoiseLocatorShape1.oyCrvLenOut").asFloat(), 2.5f);
}

TEST_F(NoiseLocator, TheDeformersCurvesAreDrawnInBlue) {
    ASSERT_TRUE(run(
        "polyPlane -w 1 -h 1 -sx 1 -sy 1 -n plane; deformer -type zuNoise plane; "
        "setAttr zuNoise1.oyNoiseAmp 1; setAttr zuNoise1.ozNoiseAmp 1; "
        "setAttr zuNoiseLocatorShape1.oxCrvLenIn 8; setAttr zuNoiseLocatorShape1.oyCrvLenIn 6"));
    mayahost::RgbaImage image = snapshot();
    MFnVectorArrayData fn(plugOf("zuNoise1.oxVisualisationPoints").asMObject());
    const MVectorArray curve = fn.array();
    ASSERT_EQ(curve.length(), 30u);
    for (unsigned i = 3; i < curve.length(); i += 5) {
        auto [column, row] = at(curve[i].x, curve[i].y);
        EXPECT_TRUE(colorNear(image, column, row, kBlue)) << i;
    }
    // The y curve rises along y, at x = Nx(s, 0).
    fn.setObject(plugOf("zuNoise1.oyVisualisationPoints").asMObject());
    const MVectorArray rising = fn.array();
    auto [column, row] = at(rising[25].x, rising[25].y);
    EXPECT_TRUE(colorNear(image, column, row, kBlue));
    EXPECT_GT(bluePixels(image), 100);
}

TEST_F(NoiseLocator, TheBoundingBoxIsTheFixedFlatSquare) {
    ASSERT_TRUE(
        run("polyPlane -n plane; deformer -type zuNoise plane; setAttr zuNoise1.oyNoiseAmp 3; "
            "setAttr zuNoiseLocatorShape1.oxCrvLenIn 40"));
    MFnDependencyNode node(plugOf("zuNoiseLocatorShape1.oxCrvLenIn").node());
    auto* locator = dynamic_cast<MPxLocatorNode*>(node.userNode());
    ASSERT_TRUE(locator && locator->isBounded());
    EXPECT_EQ(locator->boundingBox().min(), MPoint(-5, 0, -5));
    EXPECT_EQ(locator->boundingBox().max(), MPoint(5, 0, 5));
}

}  // namespace
