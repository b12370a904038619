// zuPointsContainer through the host: weights at the centre, in the fall-off band, on the border
// and outside, for the sphere and the box of a moved, scaled locator, the box along each of its
// axes; the kept points' arrays and "fallof"; refusals of matrices without an inverse.
#include <maya/MFnMatrixData.h>
#include <maya/MMatrix.h>

#include <limits>
#include <string>
#include <vector>

#include "../attributes/attributeTesting.h"

namespace {

using namespace attributeTesting;

class ContainerTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        // A container locator moved to (10, 0, 0) and scaled by 2: its unit shape spans 8 to 12.
        ASSERT_TRUE(run("createNode zuPointsContainer -n keep; createNode transform -n volume; "
                        "createNode zuDisplayContainer -p volume; setAttr volume.translate 10 0 0; "
                        "setAttr volume.scale 2 2 2; "
                        "connectAttr zuDisplayContainerShape1.worldMatrix[0] keep.inWorldMatrix"));
    }
};

struct WeightCase {
    const char* name;
    int type;
    double fallof;
    std::vector<double> x;       // points at (x, 0.2, 0)
    std::vector<double> weight;  // of the kept points, in order
};

TEST_F(ContainerTest, WeightsFallFromTheInnerShapeToTheSurface) {
    // Local positions (x - 10) / 2 and 0.1.
    const WeightCase cases[] = {
        {"sphere, no band", 0, 0, {10, 11, 11.98, 12.5}, {1, 1, 1}},
        {"sphere, half band", 0, 0.5, {10, 11, 11.5, 12.5}, {1, 0.980, 0.487}},
        {"box, no band", 1, 0, {8.5, 10, 11.99, 12}, {1, 1, 1}},
        {"box, half band", 1, 0.5, {10, 11, 11.5, 7}, {1, 1, 0.5}},
        {"other type", 2, 0, {10}, {}},
        {"type of 65536, a sphere in 16 bits", 65536, 0, {10, 11, 11.98, 12.5}, {1, 1, 1}},
    };
    PointSet in;
    for (const WeightCase& c : cases) {
        SCOPED_TRACE(c.name);
        in.vectors["position"].clear();
        in.ints["pointID"].clear();
        for (size_t i = 0; i < c.x.size(); ++i) {
            in.vectors["position"].push_back(MVector(c.x[i], 0.2, 0));
            in.ints["pointID"].push_back(static_cast<int>(i));
        }
        setPoints("keep.inPoints", in);
        if (c.type > 1) connectValue("keep.type", c.type);
        else ASSERT_TRUE(run("setAttr keep.type " + std::to_string(c.type)));
        ASSERT_TRUE(run("setAttr keep.fallof " + std::to_string(c.fallof)));
        const PointSet out = evaluate("keep.outPoints");
        const std::vector<double>& weights = out.doubles.at("fallof");
        ASSERT_EQ(weights.size(), c.weight.size());
        for (size_t i = 0; i < weights.size(); ++i) EXPECT_NEAR(weights[i], c.weight[i], 2e-3) << i;
        EXPECT_EQ(out.ints.at("pointID").size(), c.weight.size());
    }
}

TEST_F(ContainerTest, TheBoxBoundsEachLocalAxisAtItsOwnScale) {
    // Scaled by 2, 1 and 3, the box spans x 8 to 12, y -1 to 1 and z -3 to 3.
    ASSERT_TRUE(run("setAttr keep.type 1; setAttr volume.scale 2 1 3"));
    const Vectors points = {{10, 0, 0},   {10, 0, 2.9}, {10, 0, 3.1},  {10, 0, -3.1},
                            {10, 0.9, 0}, {10, 1.1, 0}, {10, -1.1, 0}, {10, 0.75, 2.25}};
    PointSet in;
    in.vectors["position"] = points;
    for (int i = 0; i < static_cast<int>(points.size()); ++i) in.ints["pointID"].push_back(i);
    setPoints("keep.inPoints", in);
    const struct {
        double fallof;
        Ints kept;
        std::vector<double> weight;
    } cases[] = {
        {0, {0, 1, 4, 7}, {1, 1, 1, 1}},
        // The weight falls from 1 at local 0.5 to 0 at 1 on the axis nearest a face: local z
        // 2.9 / 3 gives 1/15, y 0.9 gives 1/5, y and z 0.75 give 1/2.
        {0.5, {0, 1, 4, 7}, {1, 1.0 / 15, 0.2, 0.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fallof);
        ASSERT_TRUE(run("setAttr keep.fallof " + std::to_string(c.fallof)));
        const PointSet out = evaluate("keep.outPoints");
        EXPECT_EQ(out.ints.at("pointID"), c.kept);
        const std::vector<double>& weights = out.doubles.at("fallof");
        ASSERT_EQ(weights.size(), c.weight.size());
        for (size_t i = 0; i < weights.size(); ++i) EXPECT_NEAR(weights[i], c.weight[i], 1e-5) << i;
    }
}

TEST_F(ContainerTest, KeptPointsCarryEveryArrayAndANewFallof) {
    PointSet in;
    in.vectors["position"] = {{10, 0, 0}, {20, 0, 0}, {11, 0, 0}};
    in.ints["pointID"] = {4, 5, 6};
    in.doubles["fallof"] = {0.1, 0.2, 0.3};
    setPoints("keep.inPoints", in);
    ASSERT_TRUE(run("setAttr keep.fallof 1"));
    const PointSet out = evaluate("keep.outPoints");
    EXPECT_EQ(out.ints.at("pointID"), (Ints{4, 6}));
    EXPECT_EQ(out.vectors.at("position"), (Vectors{{10, 0, 0}, {11, 0, 0}}));
    ASSERT_EQ(out.doubles.at("fallof").size(), 2u);
    EXPECT_NEAR(out.doubles.at("fallof")[0], 1.0, 1e-6);
    EXPECT_NEAR(out.doubles.at("fallof")[1], 0.5, 1e-6);

    setPoints("keep.inPoints", PointSet{{{"position", {}}}, {{"pointID", {}}}, {}, {}});
    const PointSet empty = evaluate("keep.outPoints");
    EXPECT_TRUE(empty.doubles.at("fallof").empty());
    EXPECT_TRUE(empty.ints.at("pointID").empty());
}

TEST_F(ContainerTest, RefusesAMatrixWithoutAnInverseAndInputsItCannotUse) {
    const PointSet good{{{"position", {{10, 0, 0}}}}, {}, {}, {}};
    setPoints("keep.inPoints", good);
    ASSERT_EQ(evaluate("keep.outPoints").doubles.at("fallof").size(), 1u);
    ASSERT_TRUE(run("setAttr volume.scale 0 1 1"));
    mayahost::clearRecordedMessages();
    MStatus status;
    PointSet kept = evaluate("keep.outPoints", &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errorsShown(), std::vector<std::string>{"keep.inWorldMatrix: the matrix has no inverse"});
    EXPECT_EQ(kept.doubles.at("fallof").size(), 1u);
    ASSERT_TRUE(run("setAttr volume.scale 2 2 2"));

    const struct {
        const char* name;
        PointSet set;
        std::string error;
    } refusals[] = {
        {"no position", PointSet{{}, {{"pointID", {1}}}, {}, {}}, "keep.inPoints: Input array does not contain position information"},
        {"position of doubles", PointSet{{}, {}, {{"position", {1.0}}}, {}}, "keep.inPoints: wrong 'position' attribute type"},
        {"an array of another length", PointSet{{{"position", {{10, 0, 0}}}}, {{"pointID", {1, 2}}}, {}, {}},
         "keep.inPoints: 'pointID' has 2 entries, 'position' 1"},
        {"position beyond floats", PointSet{{{"position", {{1e300, 0, 0}}}}, {}, {}, {}},
         "keep.inPoints: 'position': entry 0 is not a finite float"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        mayahost::clearRecordedMessages();
        setPoints("keep.inPoints", r.set);
        kept = evaluate("keep.outPoints", &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
        EXPECT_EQ(kept.doubles.at("fallof").size(), 1u);
    }
    setPoints("keep.inPoints", good);
    connectValue("keep.fallof", std::numeric_limits<double>::quiet_NaN());
    evaluate("keep.outPoints", &status);
    EXPECT_FALSE(status);
    connectValue("keep.fallof", 4.0);
    EXPECT_NEAR(evaluate("keep.outPoints").doubles.at("fallof")[0], 1.0, 1e-6) << "4 is taken as 1";
}

}  // namespace
