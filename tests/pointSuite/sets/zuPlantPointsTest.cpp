// zuPlantPoints through the host: positions that follow a mesh whose points move, aim frames
// worked out by hand on one triangle, a point on a vertex with a finite frame, the empty set,
// and the refusals.
#include <cmath>
#include <string>
#include <vector>

#include "../attributes/attributeTesting.h"

namespace {

using namespace attributeTesting;

class PlantTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPlantPoints -n plant"));
        // Corners A (0, 0, 0), B (1, 0, 0), C (0, 0, -1): face normal (0, 1, 0).
        setMesh(shapes::triangle(), "plant.inMesh");
    }
};

// One point at (u, v) with edge 0's reference point at parameter 0.25 (distance 0.25).
PointSet onePoint(MVector uv, MVector rgb) {
    PointSet set;
    set.ints = {{"triID", {0}}, {"pointID", {3}}};
    set.vectors = {{"uv", {uv}}, {"rotationRGB", {rgb}}, {"intersection", {{0.25, 0, 0}}},
                   {"distanceToEdge", {{0.25, 0, 0}}}};
    return set;
}

TEST_F(PlantTest, AimFramesFromTheNormalAndTheEdgeDirection) {
    // The point (0.25, 0, -0.25); its reference point (0.25, 0, 0); e = (0, 0, -1), n = (0, -1, 0).
    const struct {
        const char* name;
        MVector rgb, aim, up;
    } cases[] = {
        {"normal only", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}},
        {"edge only, towards the reference point", {1, 0, 0}, {0, 0, 1}, {1, 0, 0}},
        {"edge flipped, same up", {-1, 0, 0}, {0, 0, -1}, {1, 0, 0}},
        {"half and half", {0.5, 0, 0}, {0, 0.5, 0.5}, {1, 0, 0}},
        {"half a roll", {1, 0, 0.5}, {0, 0, 1}, {-1, 0, 0}},
        {"a quarter turn about the normal", {1, 0.25, 0}, {-1, 0, 0}, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setPoints("plant.inPoints", onePoint({0.25, 0.25, 0}, c.rgb));
        const PointSet out = evaluate("plant.outPoints");
        expectNear(out.vectors.at("position")[0], {0.25, 0, -0.25}, 1e-6, "position");
        expectNear(out.vectors.at("aimDirection")[0], c.aim, 1e-6, "aim");
        expectNear(out.vectors.at("aimWorldUp")[0], c.up, 1e-6, "up");
        EXPECT_EQ(out.ints.at("pointID"), Ints{3});
        EXPECT_EQ(out.vectors.at("rotationRGB")[0], c.rgb) << "carried arrays pass through";
    }
}

TEST_F(PlantTest, PointsFollowTheMeshAsItsPointsMove) {
    PointSet in = onePoint({0.5, 0.25, 0}, {0, 0, 0});
    in.ints["triID"] = {0};
    setPoints("plant.inPoints", in);
    expectNear(evaluate("plant.outPoints").vectors.at("position")[0], {0.5, 0, -0.25}, 1e-6, "before");
    setMesh(shapes::triangle({0, 0, 0}, {1, 2, 0}, {0, 0, -1}));
    const PointSet out = evaluate("plant.outPoints");
    expectNear(out.vectors.at("position")[0], {0.5, 1, -0.25}, 1e-6, "after B moved up by 2");
    const MVector aim = out.vectors.at("aimDirection")[0];
    expectNear(aim, MVector(-2, 1, 0).normal(), 1e-6, "the new face normal");
}

TEST_F(PlantTest, APointOnItsReferencePointGetsAFiniteUnitFrame) {
    // On corner A, where edge 0 (the one its distances choose) has its reference point: the
    // edge of the next larger distance, edge 1 (B to C) at 0.5, gives the direction.
    PointSet in = onePoint({0, 0, 0}, {1, 0, 0});
    in.vectors["intersection"] = {{0, 0.5, 1}};
    in.vectors["distanceToEdge"] = {{0.3, 0.2, 0.1}};
    setPoints("plant.inPoints", in);
    const PointSet out = evaluate("plant.outPoints");
    const MVector aim = out.vectors.at("aimDirection")[0], up = out.vectors.at("aimWorldUp")[0];
    EXPECT_NEAR(aim.length(), 1.0, 1e-6);
    EXPECT_NEAR(up.length(), 1.0, 1e-6);
    expectNear(aim, MVector(0.5, 0, -0.5).normal(), 1e-6, "towards edge 1's reference point");
}

TEST_F(PlantTest, AnEmptySetKeepsItsArraysAndGainsTheFrame) {
    PointSet empty;
    empty.ints = {{"triID", {}}};
    empty.vectors = {{"uv", {}}, {"rotationRGB", {}}, {"intersection", {}}, {"distanceToEdge", {}}};
    setPoints("plant.inPoints", empty);
    const PointSet out = evaluate("plant.outPoints");
    for (const char* name : {"position", "aimDirection", "aimWorldUp", "uv", "distanceToEdge"})
        EXPECT_TRUE(out.vectors.at(name).empty()) << name;
}

TEST_F(PlantTest, RefusalsLeaveTheOutputAsItWas) {
    PointSet outside = onePoint({0.2, 0.2, 0}, {0, 0, 0});
    outside.ints["triID"] = {1};
    PointSet negative = onePoint({0.2, 0.2, 0}, {0, 0, 0});
    negative.ints["triID"] = {-1};
    PointSet shortRgb = onePoint({0.2, 0.2, 0}, {0, 0, 0});
    shortRgb.vectors["rotationRGB"].clear();
    PointSet noEdges = onePoint({0.2, 0.2, 0}, {0, 0, 0});
    noEdges.vectors.erase("distanceToEdge");
    PointSet doubleUv = onePoint({0.2, 0.2, 0}, {0, 0, 0});
    doubleUv.vectors.erase("uv");
    doubleUv.doubles["uv"] = {0.2};
    PointSet noTriangles = onePoint({0.2, 0.2, 0}, {0, 0, 0});
    noTriangles.ints.erase("triID");
    const struct {
        const char* name;
        PointSet set;
        std::string error;
    } refusals[] = {
        {"triID at the triangle count", outside, "plant.inPoints: 'triID' 1 of point 0 is not one of the 1 triangles of inMesh"},
        {"negative triID", negative, "plant.inPoints: 'triID' -1 of point 0 is not one of the 1 triangles of inMesh"},
        {"short rotationRGB", shortRgb, "plant.inPoints: 'rotationRGB' has 0 entries, 'triID' 1"},
        {"no distanceToEdge", noEdges, "plant.inPoints: Input array does not contain distanceToEdge information"},
        {"uv of doubles", doubleUv, "plant.inPoints: wrong 'uv' attribute type"},
        {"no triID", noTriangles, "plant.inPoints: Input array does not contain sample-triangle ID information"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        setPoints("plant.inPoints", onePoint({0.25, 0.25, 0}, {0, 0, 0}));
        ASSERT_EQ(evaluate("plant.outPoints").vectors.at("position").size(), 1u);
        mayahost::clearRecordedMessages();
        setPoints("plant.inPoints", r.set);
        MStatus status;
        const PointSet kept = evaluate("plant.outPoints", &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
        expectNear(kept.vectors.at("position")[0], {0.25, 0, -0.25}, 1e-6, "kept");
    }
}

}  // namespace
