// zuColorBuffer through the host: a checker sampled at known UVs, a network change followed,
// an unconnected inColor, empty and missing UVs, a failing network, and the copy that keeps one
// colour per UV when a sampler answers fewer; then UVs from zuPointsUV driving zuPointsScale.
#include <maya/MFloatVectorArray.h>

#include <limits>

#include "attributeTesting.h"
#include "pointSuite/attributes/sampledColors.h"

namespace {

using namespace attributeTesting;

const MVector kRed(1, 0, 0), kBlue(0, 0, 1);

class ColorBufferTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(
            run("createNode zuColorBuffer -n colors; createNode checker -n board;"
                "setAttr board.color1 1 0 0; setAttr board.color2 0 0 1"));
    }
};

TEST_F(ColorBufferTest, ACheckerSampledAtKnownUVsGivesItsTwoColoursInOrder) {
    ASSERT_TRUE(run("connectAttr board.outColor colors.inColor"));
    // color1 where u and v lie in the same half of a tile, color2 elsewhere; z is not read.
    setVectorArray("colors.inUVs", {{0.25, 0.25, 9},
                                    {0.75, 0.25, 0},
                                    {0.75, 0.75, 0},
                                    {0.25, 0.75, 0},
                                    {1.25, 2.25, 0},
                                    {-0.25, 0.25, 0}});
    EXPECT_EQ(evaluateVectors("colors.outColor"), (Vectors{kRed, kBlue, kRed, kBlue, kRed, kBlue}));
    EXPECT_TRUE(errorsShown().empty());

    // A change in the network reaches outColor through the connection.
    ASSERT_TRUE(run("setAttr board.color1 0 1 0"));
    EXPECT_EQ(evaluateVectors("colors.outColor")[0], MVector(0, 1, 0));

    // UVs that are no numbers take the texture's default colour.
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(run("setAttr board.defaultColor 0.5 0.25 0"));
    setVectorArray("colors.inUVs",
                   {{nan, 0.25, 0}, {0.25, inf, 0}, {1e300, 0.25, 0}, {0.25, 0.25, 0}});
    EXPECT_EQ(evaluateVectors("colors.outColor"),
              (Vectors{{0.5, 0.25, 0}, {0.5, 0.25, 0}, {0.5, 0.25, 0}, {0, 1, 0}}));
}

TEST_F(ColorBufferTest, AnUnconnectedInColorLeavesOutColorAsItWas) {
    setVectorArray("colors.inUVs", {{0.25, 0.25, 0}});
    MStatus status;
    EXPECT_TRUE(evaluateVectors("colors.outColor", &status).empty());
    EXPECT_TRUE(status) << "nothing to sample is no error";

    ASSERT_TRUE(run("connectAttr board.outColor colors.inColor"));
    ASSERT_EQ(evaluateVectors("colors.outColor"), Vectors{kRed});
    ASSERT_TRUE(run("disconnectAttr board.outColor colors.inColor"));
    setVectorArray("colors.inUVs", {{0.75, 0.25, 0}, {0.25, 0.25, 0}});
    EXPECT_EQ(evaluateVectors("colors.outColor", &status), Vectors{kRed});
    EXPECT_TRUE(status);
    EXPECT_TRUE(errorsShown().empty());
}

TEST_F(ColorBufferTest, EmptyUVsGiveAnEmptyArrayAndMissingOnesAreRefused) {
    ASSERT_TRUE(run("connectAttr board.outColor colors.inColor"));
    setVectorArray("colors.inUVs", {{0.25, 0.25, 0}});
    ASSERT_EQ(evaluateVectors("colors.outColor").size(), 1u);
    setVectorArray("colors.inUVs", {});
    MStatus status;
    EXPECT_TRUE(evaluateVectors("colors.outColor", &status).empty());
    EXPECT_TRUE(status);

    ASSERT_TRUE(run("createNode zuColorBuffer -n bare; connectAttr board.outColor bare.inColor"));
    mayahost::clearRecordedMessages();
    evaluateVectors("bare.outColor", &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errorsShown(),
              std::vector<std::string>{"bare.inUVs: please supply points UV from zuPointsUV node"});
}

TEST_F(ColorBufferTest, AFailingNetworkShowsAnErrorAndKeepsOutColor) {
    ASSERT_TRUE(
        run("createNode file -n picture; setAttr picture.fileTextureName -type \"string\" "
            "\"no-such.png\";"
            "connectAttr board.outColor colors.inColor"));
    setVectorArray("colors.inUVs", {{0.25, 0.25, 0}});
    ASSERT_EQ(evaluateVectors("colors.outColor"), Vectors{kRed});
    ASSERT_TRUE(run("connectAttr -f picture.outColor colors.inColor"));
    setVectorArray("colors.inUVs", {{0.75, 0.25, 0}, {0.25, 0.25, 0}});
    mayahost::clearRecordedMessages();
    MStatus status;
    EXPECT_EQ(evaluateVectors("colors.outColor", &status), Vectors{kRed});
    EXPECT_FALSE(status);
    // The texture reports its own failure too, when its outColor is pulled.
    const std::vector<std::string> errors = errorsShown();
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back().rfind("colors.inColor: cannot sample picture.outColor: ", 0), 0u)
        << errors.back();
    EXPECT_NE(errors.back().find("no-such.png"), std::string::npos) << errors.back();
}

TEST(SampledColors, FewerColoursThanUVsArePaddedWithBlack) {
    MFloatVectorArray sampled;
    sampled.append(MFloatVector(1, 0.5f, 0));
    MVectorArray colors;
    colors.append(MVector(7, 7, 7));
    EXPECT_EQ(copySampledColors(sampled, 3, colors), 1u);
    ASSERT_EQ(colors.length(), 3u);
    EXPECT_EQ(colors[0], MVector(1, 0.5, 0));
    EXPECT_EQ(colors[1], MVector(0, 0, 0));
    EXPECT_EQ(colors[2], MVector(0, 0, 0));
    EXPECT_EQ(copySampledColors(sampled, 0, colors), 0u);
    EXPECT_EQ(colors.length(), 0u);
}

TEST_F(ColorBufferTest, CheckerColoursSampledThroughUVsDriveScale) {
    ASSERT_TRUE(
        run("polyPlane -w 4 -h 4 -sx 4 -sy 4 -n ground;"
            "createNode zuScatterPoints -n scatter; setAttr scatter.radius 0.3;"
            "connectAttr groundShape.outMesh scatter.inMesh; connectAttr groundShape.boundingBox "
            "scatter.boundingBox;"
            "createNode zuPointsUV -n uvs; connectAttr scatter.outPoints uvs.inPoints; connectAttr "
            "groundShape.outMesh uvs.inMesh;"
            "connectAttr uvs.outUVs colors.inUVs; connectAttr board.outColor colors.inColor;"
            "setAttr board.color1 2 0 0; setAttr board.color2 0.5 0 0;"
            "createNode zuPointsScale -n grow; connectAttr scatter.outPoints grow.inPoints;"
            "connectAttr colors.outColor grow.inColor"));
    const PointSet scaled = evaluate("grow.outPoints");
    const Vectors uvs = evaluateVectors("uvs.outUVs");
    const size_t n = scaled.vectors.at("position").size();
    ASSERT_GT(n, 50u);
    ASSERT_EQ(uvs.size(), n);
    size_t large = 0;
    for (size_t i = 0; i < n; ++i) {
        // The plane's UVs run from 0 to 1 across it, so the checker's tile holds four squares.
        ASSERT_TRUE(uvs[i].x >= 0 && uvs[i].x <= 1 && uvs[i].y >= 0 && uvs[i].y <= 1) << i;
        const bool first = (uvs[i].x < 0.5) == (uvs[i].y < 0.5);
        const double s = first ? 2 : 0.5;
        large += first;
        expectNear(scaled.vectors.at("scale")[i], MVector(s, s, s), 1e-6,
                   "point " + std::to_string(i));
    }
    EXPECT_GT(large, n / 4);
    EXPECT_LT(large, 3 * n / 4);
}

}  // namespace
