// zuDisplayContainer: the outer sphere or box, the inner shape only for 0 < fallof < 1, and a
// type from a connection that draws neither; the fixed bounding box.
#include <maya/MFnDependencyNode.h>
#include <maya/MPxLocatorNode.h>

#include <cmath>

#include "displayTesting.h"

namespace {

using namespace displayTesting;

const Rgb kOuter{51, 0, 0}, kInner{255, 0, 0};

class DisplayContainer : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        // Four times as large, so that the outer shape spans 80 pixels from the centre.
        ASSERT_TRUE(
            run("createNode transform -n volume; setAttr volume.scale 4 4 4; "
                "createNode zuDisplayContainer -p volume"));
    }

    // Whether the colour is near where a point of the XY plane, in the locator's space, lands.
    bool near(const mayahost::RgbaImage& image, double x, double y, const Rgb& color) {
        auto [column, row] = at(4 * x, 4 * y);
        return colorNear(image, column, row, color);
    }

    // Bright red pixels away from the axis cross, which lies along the centre lines.
    static int innerPixels(const mayahost::RgbaImage& image) {
        auto [column, row] = at(0, 0);
        int count = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                count += std::abs(x - column) > 2 && std::abs(y - row) > 2 &&
                         pixel(image, x, y) == kInner;
        return count;
    }
};

TEST_F(DisplayContainer, TheInnerShapeAppearsOnlyBetweenNoAndFullFallof) {
    const double diagonal =
        std::cos(M_PI / 4) * std::cos(M_PI / 36);  // the circle's chord at 45 degrees
    struct Case {
        int type;
        double fallof;
        bool inner;
    };
    for (Case c : {Case{0, 0.0, false}, Case{0, 0.25, true}, Case{0, 1.0, false},
                   Case{1, 0.0, false}, Case{1, 0.5, true}, Case{1, 1.0, false}}) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " fallof " + std::to_string(c.fallof));
        ASSERT_TRUE(run("setAttr zuDisplayContainerShape1.type " + std::to_string(c.type) +
                        "; setAttr zuDisplayContainerShape1.fallof " + std::to_string(c.fallof)));
        mayahost::RgbaImage image = snapshot();
        const double inner = 1 - c.fallof;
        EXPECT_TRUE(c.type == 0 ? near(image, diagonal, diagonal, kOuter)
                                : near(image, 1, 0.5, kOuter));
        EXPECT_EQ(innerPixels(image) > 0, c.inner);
        if (c.inner) {
            EXPECT_TRUE(c.type == 0 ? near(image, inner * diagonal, inner * diagonal, kInner)
                                    : near(image, inner, inner / 2, kInner));
        }
    }
}

// Beyond the enum's 16 bits a connected type is held at the nearest end of its range, never
// wrapped round to a shape.
TEST_F(DisplayContainer, AnotherTypeThroughAConnectionDrawsOnlyTheCross) {
    ASSERT_TRUE(sceneTesting::loadTestAdder());
    ASSERT_TRUE(
        run("setAttr zuDisplayContainerShape1.fallof 0.5; currentTime 2; createNode testAdder -n "
            "adder; setAttr adder.input1 0; setAttr adder.input2 0"));
    const std::string weight = "setAttr \"adder.w[0]\" ";
    const std::string commands[] = {
        "connectAttr time1.outTime zuDisplayContainerShape1.type",  // 2
        "connectAttr -f adder.sum zuDisplayContainerShape1.type; " + weight + "1e30",
        weight + "-1e30",
        weight + "65536",
        weight + "3e9",
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(run(command));
        mayahost::RgbaImage image = snapshot();
        EXPECT_EQ(countColor(image, 0, kSize, 0, kSize, kOuter), 0);
        EXPECT_TRUE(near(image, 0.2, 0, kInner));  // the axis cross
        EXPECT_EQ(innerPixels(image), 0);
    }
}

TEST_F(DisplayContainer, TheBoundingBoxIsTheFixedFlatSquare) {
    ASSERT_TRUE(run(
        "setAttr zuDisplayContainerShape1.type 1; setAttr zuDisplayContainerShape1.fallof 0.5"));
    MFnDependencyNode node(plugOf("zuDisplayContainerShape1.type").node());
    auto* locator = dynamic_cast<MPxLocatorNode*>(node.userNode());
    ASSERT_TRUE(locator);
    EXPECT_TRUE(locator->isBounded());
    EXPECT_EQ(locator->boundingBox().min(), MPoint(-5, 0, -5));
    EXPECT_EQ(locator->boundingBox().max(), MPoint(5, 0, 5));
}

}  // namespace
