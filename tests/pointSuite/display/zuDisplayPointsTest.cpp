// zuDisplayPoints: its compute (the counter, the kept positions and their box) and its drawing,
// checked in snapshots where the front camera projects the points.
#include <maya/MFnDependencyNode.h>
#include <maya/MPxLocatorNode.h>

#include <cmath>
#include <limits>

#include "displayTesting.h"

namespace {

using namespace displayTesting;
using mayahost::Message;

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0};

class DisplayPoints : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        // The locator's transform stands away from the origin, so that its axis cross is apart
        // from the points drawn in world space.
        ASSERT_TRUE(
            run("createNode transform -n holder; setAttr holder.translate 6 6 0; "
                "createNode zuDisplayPoints -p holder; setAttr zuDisplayPointsShape1.pointSize 3; "
                "setAttr zuDisplayPointsShape1.pointColor 0 1 0"));
    }

    void set(const Arrays& arrays) { setPoints("zuDisplayPointsShape1.inPoints", arrays); }
    void setAttr(const std::string& rest) {
        ASSERT_TRUE(run("setAttr zuDisplayPointsShape1." + rest)) << rest;
    }
    int state() { return plugOf("zuDisplayPointsShape1.state").asInt(); }

    MBoundingBox box() {
        MFnDependencyNode node(plugOf("zuDisplayPointsShape1.state").node());
        auto* locator = dynamic_cast<MPxLocatorNode*>(node.userNode());
        EXPECT_TRUE(locator && locator->isBounded());
        return locator ? locator->boundingBox() : MBoundingBox();
    }

    Rgb pixelAt(const mayahost::RgbaImage& image, double x, double y) {
        auto [column, row] = at(x, y);
        return pixel(image, column, row);
    }
    // For lines, which may fall on either side of a pixel boundary.
    bool near(const mayahost::RgbaImage& image, double x, double y, const Rgb& color,
              int tolerance = 0) {
        auto [column, row] = at(x, y);
        return countColor(image, column - 1, column + 2, row - 1, row + 2, color, tolerance) > 0;
    }
};

void expectBox(const MBoundingBox& box, const MPoint& low, const MPoint& high) {
    EXPECT_EQ(box.min(), low);
    EXPECT_EQ(box.max(), high);
}

TEST_F(DisplayPoints, EachComputeCountsAndBoxesThePositionsWithTheUnitCube) {
    EXPECT_EQ(state(), 1);
    expectBox(box(), MPoint(-1, -1, -1), MPoint(1, 1, 1));
    set(Arrays().num("pointID", {0, 1}));  // no positions: as empty
    EXPECT_EQ(state(), 2);
    expectBox(box(), MPoint(-1, -1, -1), MPoint(1, 1, 1));
    set(Arrays().vec("position", {MVector(0.5, 0, 0.5)}));
    EXPECT_EQ(state(), 3);
    expectBox(box(), MPoint(-1, -1, -1), MPoint(1, 1, 1));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    set(Arrays().vec("position", {MVector(5, 0, 0), MVector(nan, 0, 0), MVector(0, INFINITY, 0)}));
    EXPECT_EQ(state(), 4);
    expectBox(box(), MPoint(-1, -1, -1), MPoint(5, 1, 1));
    // The counter runs to 9999 and starts again at 0.
    for (int n = 5; n <= 9999; ++n) {
        set(Arrays().vec("position", {MVector(n, 0, 0)}));
        ASSERT_EQ(state(), n);
    }
    set(Arrays());
    EXPECT_EQ(state(), 0);
    expectBox(box(), MPoint(-1, -1, -1), MPoint(1, 1, 1));
}

// The compute runs once per change of the points: reading state again, drawing, or changing
// how the points are drawn leaves it where it is.
TEST_F(DisplayPoints, StateStaysPutUntilThePointsChange) {
    set(Arrays().vec("position", {MVector(3, 2, 0)}));
    const int computed = state();
    EXPECT_EQ(state(), computed);
    snapshot();
    snapshot();
    setAttr("pointSize 5");
    EXPECT_EQ(pixelAt(snapshot(), 3, 2), kGreen);
    EXPECT_EQ(state(), computed);
    set(Arrays().vec("position", {MVector(1, -3, 0)}));
    EXPECT_EQ(state(), computed + 1);
    EXPECT_EQ(state(), computed + 1);
}

TEST_F(DisplayPoints, DotsStayInTheWorldWhileTheTransformMovesTheCross) {
    set(Arrays().vec("position", {MVector(3, 2, 0), MVector(-4, -1, 0)}));
    mayahost::RgbaImage image = snapshot();
    EXPECT_EQ(pixelAt(image, 3, 2), kGreen);
    EXPECT_EQ(pixelAt(image, -4, -1), kGreen);
    EXPECT_TRUE(near(image, 6.5, 6, kRed));  // the cross round the transform
    EXPECT_EQ(pixelAt(image, 0.5, 0), kBackground);

    ASSERT_TRUE(run("setAttr holder.translate -6 -6 0"));
    image = snapshot();
    EXPECT_EQ(pixelAt(image, 3, 2), kGreen);
    EXPECT_FALSE(near(image, 6.5, 6, kRed));
    EXPECT_TRUE(near(image, -6.5, -6, kRed));

    // New positions are drawn at once: the draw reads state, which computes.
    set(Arrays().vec("position", {MVector(1, -3, 0)}));
    image = snapshot();
    EXPECT_EQ(pixelAt(image, 3, 2), kBackground);
    EXPECT_EQ(pixelAt(image, 1, -3), kGreen);
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(DisplayPoints, FallofWeightsBlendThePointAndFallofColours) {
    setAttr("pointColor 1 0 0");
    setAttr("fallofColor 0 0 1");
    set(Arrays()
            .vec("position", {MVector(-4, 0, 0), MVector(0, 0, 0), MVector(4, 0, 0)})
            .dbl("fallof", {0.25, 1.0, 0.0}));
    mayahost::RgbaImage image = snapshot();
    auto [x, row] = at(-4, 0);
    EXPECT_EQ(countColor(image, x, x + 1, row, row + 1, {64, 0, 191}, 1), 1);
    EXPECT_EQ(pixelAt(image, 0, 0), kRed);
    EXPECT_EQ(pixelAt(image, 4, 0), (Rgb{0, 0, 255}));
}

TEST_F(DisplayPoints, DirectionLinesWithBarbsAndRotationColours) {
    setAttr("displayDir 1");
    setAttr("arrowSize 4");
    const Arrays withoutUp =
        Arrays().vec("position", {MVector(0, 0, 0)}).vec("aimDirection", {MVector(1, 0, 0)});
    set(withoutUp);
    mayahost::RgbaImage image = snapshot();
    EXPECT_TRUE(near(image, 2, 0, kGreen));
    EXPECT_TRUE(near(image, 3.5, 0, kGreen));
    EXPECT_FALSE(near(image, 5, 0, kGreen));
    EXPECT_FALSE(colorNear(image, at(3, 1).first, at(3, 1).second, kGreen));

    // The barb runs from the tip (4, 0) to half-way towards half an up vector above the start:
    // with up (0, 8, 0), to (2, 2).
    Arrays withUp = withoutUp;
    withUp.vec("aimWorldUp", {MVector(0, 8, 0)});
    set(withUp);
    image = snapshot();
    EXPECT_TRUE(colorNear(image, at(3, 1).first, at(3, 1).second, kGreen));

    // Rotation colours: r (-0.5, 0.5, 1) gives (0.5, 1, 0); a rotationRGB of another length is
    // ignored.
    setAttr("colorFromRot 1");
    withUp.vec("rotationRGB", {MVector(-0.5, 0.5, 1.0)});
    set(withUp);
    image = snapshot();
    EXPECT_TRUE(near(image, 3.5, 0, {128, 255, 0}, 1));
    withUp.vec("rotationRGB", {MVector(-0.5, 0.5, 1.0), MVector(1, 1, 1)});
    set(withUp);
    EXPECT_TRUE(near(snapshot(), 3.5, 0, kGreen));

    // Without aimDirection there are no lines, and no message.
    set(Arrays().vec("position", {MVector(0, 0, 0)}));
    EXPECT_FALSE(near(snapshot(), 2, 0, kGreen));
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(DisplayPoints, ALineSizeBelowZeroThroughAConnectionDrawsNoLine) {
    setAttr("displayDir 1");
    set(Arrays().vec("position", {MVector(0, 0, 0)}).vec("aimDirection", {MVector(1, 0, 0)}));
    // The time in frames drives the size, past the attribute's minimum.
    ASSERT_TRUE(run("connectAttr time1.outTime zuDisplayPointsShape1.arrowSize"));
    for (int frame : {-2, 0}) {
        ASSERT_TRUE(run("currentTime " + std::to_string(frame)));
        mayahost::RgbaImage image = snapshot();
        EXPECT_EQ(pixelAt(image, 0, 0), kGreen) << frame;
        EXPECT_FALSE(near(image, 2, 0, kGreen)) << frame;
        EXPECT_FALSE(near(image, -2, 0, kGreen)) << frame;
    }
    ASSERT_TRUE(run("currentTime 4"));
    EXPECT_TRUE(near(snapshot(), 2, 0, kGreen));
}

TEST_F(DisplayPoints, LabelsOfTheNamedArray) {
    setAttr("displayAttribute 1");
    setAttr("attributeName -type \"string\" \"value\"");
    auto labelPixels = [&](double fromX, double toX) {
        auto [x0, row] = at(fromX, 0);
        auto [x1, unused] = at(toX, 0);
        (void)unused;
        return countColor(snapshot(), x0, x1, row - 14, row + 4, kLabel);
    };
    // Ints and doubles start at the point; vectors are centred on it.
    set(Arrays().vec("position", {MVector(0, 0, 0)}).num("value", {7}));
    EXPECT_GT(labelPixels(0.2, 3), 0);
    EXPECT_EQ(labelPixels(-3, -0.2), 0);
    set(Arrays().vec("position", {MVector(0, 0, 0)}).dbl("value", {0.5}));
    EXPECT_GT(labelPixels(0.2, 3), 0);
    set(Arrays().vec("position", {MVector(0, 0, 0)}).vec("value", {MVector(1, 2, 3)}));
    EXPECT_GT(labelPixels(0.2, 6), 0);
    EXPECT_GT(labelPixels(-6, -0.2), 0);
    EXPECT_TRUE(mayahost::recordedMessages().empty());

    // A label array of another length warns on each draw and draws no text.
    set(Arrays().vec("position", {MVector(0, 0, 0)}).num("value", {7, 8}));
    EXPECT_EQ(labelPixels(-6, 6), 0);
    EXPECT_TRUE(mayahost::hasMessage(Message::kWarning,
                                     "zuDisplayPoints: Invalid attribute array length: value"));
    EXPECT_EQ(pixelAt(snapshot(), 0, 0), kGreen);  // the points are still drawn
    // Off, or naming nothing, draws no text and says nothing.
    mayahost::clearRecordedMessages();
    setAttr("displayAttribute 0");
    EXPECT_EQ(labelPixels(-6, 6), 0);
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(DisplayPoints, ArraysShorterThanThePositionsDrawOnlyThePointsTheyCover) {
    setAttr("displayDir 1");
    setAttr("arrowSize 2");
    setAttr("pointColor 1 0 0");
    setAttr("fallofColor 1 0 0");
    set(Arrays()
            .vec("position", {MVector(-4, 0, 0), MVector(0, 3, 0), MVector(4, -3, 0)})
            .vec("aimDirection", {MVector(0, -1, 0)})
            .vec("aimWorldUp", {MVector(0, 1, 0), MVector(0, 1, 0)})
            .dbl("fallof", {1.0, 1.0}));
    mayahost::RgbaImage image = snapshot();
    EXPECT_EQ(pixelAt(image, -4, 0), kRed);
    EXPECT_EQ(pixelAt(image, 0, 3), kRed);
    EXPECT_EQ(pixelAt(image, 4, -3), kBackground);
    EXPECT_TRUE(near(image, -4, -1, kRed));  // the first point's line
    EXPECT_FALSE(near(image, 0, 2, kRed));   // none for the second
}

TEST_F(DisplayPoints, WithoutPointsOnlyTheCrossIsDrawn) {
    for (const Arrays& arrays : {Arrays(), Arrays().vec("position", {}).num("value", {})}) {
        set(arrays);
        setAttr("displayAttribute 1");
        setAttr("attributeName -type \"string\" \"value\"");
        mayahost::RgbaImage image = snapshot();
        EXPECT_TRUE(near(image, 6.5, 6, kRed));
        EXPECT_EQ(countColor(image, 0, kSize, 0, kSize, kGreen), 0);
        EXPECT_TRUE(mayahost::recordedMessages().empty());
    }
}

}  // namespace
