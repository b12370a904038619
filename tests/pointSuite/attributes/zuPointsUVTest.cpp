// zuPointsUV through the host: corner weights give the corner UVs of either triangle of a quad
// whose vertices are listed out of order, a second UV set, the warning for a set past the last,
// unmapped corners, an empty set, and the inputs it refuses.
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnMeshData.h>

#include <limits>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

struct UV {
    double u, v;
};

// The quad of shapes::quad, its face listed from vertex 1 (1, 2, 3, 0), with UVs in map1 and,
// with a second set, in map2; UV ids are not vertex ids.
const UV kMap1[4] = {{0.1, 0.2}, {0.9, 0.3}, {0.8, 0.7}, {0.2, 0.95}};  // by vertex
const UV kMap2[4] = {{0.05, 0.5}, {0.3, 0.5}, {0.55, 0.5}, {0.8, 0.5}};

MObject mappedQuad(bool secondSet) {
    const shapes::Shape quad = shapes::quad();
    MFloatPointArray points;
    for (const shapes::Point& p : quad.points) points.append(p.x, p.y, p.z);
    const int counts[] = {4}, connects[] = {1, 2, 3, 0};
    // map1 holds the UVs in the order of vertices 2, 1, 3, 0.
    const int order[] = {2, 1, 3, 0}, uvIds[] = {1, 0, 2, 3};
    MFloatArray u, v;
    for (int vertex : order) u.append(float(kMap1[vertex].u)), v.append(float(kMap1[vertex].v));
    MObject owner = MFnMeshData().create();
    MFnMesh fn;
    MStatus status;
    fn.create(4, 1, points, MIntArray(counts, 1), MIntArray(connects, 4), u, v, owner, &status);
    EXPECT_TRUE(status);
    EXPECT_TRUE(fn.assignUVs(MIntArray(counts, 1), MIntArray(uvIds, 4)));
    if (secondSet) {
        MString name("map2");
        EXPECT_TRUE(fn.createUVSet(name));
        MFloatArray u2, v2;
        for (const UV& uv : kMap2) u2.append(float(uv.u)), v2.append(float(uv.v));
        EXPECT_TRUE(fn.setUVs(u2, v2, &name));
        for (int k = 0; k < 4; ++k) EXPECT_TRUE(fn.assignUV(0, k, connects[k], &name));
    }
    return owner;
}

class UVTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(
            run("createNode zuPointsUV -n uvs; createNode mesh -n shape; connectAttr shape.outMesh "
                "uvs.inMesh"));
    }
    void setMappedQuad(bool secondSet) {
        MObject data = mappedQuad(secondSet);
        ASSERT_TRUE(plugOf("shape.inMesh").setValue(data));
        ASSERT_TRUE(plugOf("shape.outMesh").getValue(data));
        MIntArray counts;
        ASSERT_TRUE(MFnMesh(data).getTriangles(counts, corners_));
        ASSERT_EQ(corners_.length(), 6u);
    }
    // The UV of (u, v) on triangle t, blended from the corners' UVs in `map`.
    MVector expected(const UV* map, int t, double u, double v) const {
        const UV& a = map[corners_[3 * t]];
        const UV& b = map[corners_[3 * t + 1]];
        const UV& c = map[corners_[3 * t + 2]];
        return MVector(blend(a.u, b.u, c.u, u, v), blend(a.v, b.v, c.v, u, v), 0);
    }
    // Points at the corners and at one inner place of both triangles.
    static PointSet cornerPoints() {
        PointSet points;
        for (int t = 0; t < 2; ++t)
            for (const UV& w : {UV{0, 0}, UV{1, 0}, UV{0, 1}, UV{0.2, 0.3}}) {
                points.ints["triID"].push_back(t);
                points.vectors["uv"].push_back(MVector(w.u, w.v, 5));  // z is not read
            }
        return points;
    }
    void expectUVsOf(const UV* map, const Vectors& uvs) const {
        const PointSet points = cornerPoints();
        ASSERT_EQ(uvs.size(), points.ints.at("triID").size());
        for (size_t i = 0; i < uvs.size(); ++i) {
            const MVector& w = points.vectors.at("uv")[i];
            expectNear(uvs[i], expected(map, points.ints.at("triID")[i], w.x, w.y), 1e-6,
                       "point " + std::to_string(i));
            EXPECT_EQ(uvs[i].z, 0.0);
        }
    }

    MIntArray corners_;
};

TEST_F(UVTest, CornerWeightsGiveTheCornerUVsOfEitherTriangle) {
    setMappedQuad(false);
    setPoints("uvs.inPoints", cornerPoints());
    expectUVsOf(kMap1, evaluateVectors("uvs.outUVs"));
    EXPECT_TRUE(errorsShown().empty());
    EXPECT_TRUE(warningsShown().empty());
}

TEST_F(UVTest, UvSetPicksASetByPlaceAndAPlacePastTheLastWarns) {
    setMappedQuad(true);
    setPoints("uvs.inPoints", cornerPoints());
    const struct {
        double uvSet;
        bool connected;
        const UV* map;
        bool warns;
    } cases[] = {
        {0, false, kMap1, false}, {1, false, kMap2, false}, {2, false, kMap1, true},
        {1, true, kMap2, false},  {2, true, kMap1, true},   {-1, true, kMap1, true},
        {1e9, true, kMap1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("uvSet " + std::to_string(c.uvSet) + (c.connected ? " connected" : ""));
        if (c.connected) {
            connectValue("uvs.uvSet", c.uvSet);
        } else {
            ASSERT_TRUE(run("setAttr uvs.uvSet " + std::to_string(int(c.uvSet))));
        }
        mayahost::clearRecordedMessages();
        expectUVsOf(c.map, evaluateVectors("uvs.outUVs"));
        EXPECT_EQ(
            warningsShown(),
            c.warns
                ? std::vector<std::string>{"zuPointsUV: UV set not found, using default UV set."}
                : std::vector<std::string>{});
    }
}

TEST_F(UVTest, UnmappedCornersReadZeroAndAnEmptySetGivesAnEmptyArray) {
    setMesh(shapes::quad());  // no UV assigned anywhere
    PointSet points = cornerPoints();
    setPoints("uvs.inPoints", points);
    EXPECT_EQ(evaluateVectors("uvs.outUVs"), Vectors(8, MVector(0, 0, 0)));

    setPoints("uvs.inPoints", PointSet{{{"uv", {}}}, {{"triID", {}}}, {}, {}});
    MStatus status;
    EXPECT_TRUE(evaluateVectors("uvs.outUVs", &status).empty());
    EXPECT_TRUE(status);
    EXPECT_TRUE(errorsShown().empty());
}

TEST_F(UVTest, RefusedInputsFailAndLeaveTheOutputAsItWas) {
    setMappedQuad(false);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        Ints triID;
        Vectors uv;
        bool hasTriID, hasUV;
        std::string error;
    } refusals[] = {
        {{0, 2},
         {{0, 0, 0}, {0, 0, 0}},
         true,
         true,
         "uvs.inPoints: 'triID' 2 of point 1 is not one of the 2 triangles of inMesh"},
        {{-1},
         {{0, 0, 0}},
         true,
         true,
         "uvs.inPoints: 'triID' -1 of point 0 is not one of the 2 triangles of inMesh"},
        {{0}, {{0, 0, 0}}, false, true, "uvs.inPointsMissing 'triID' attribute in point array"},
        {{0}, {{0, 0, 0}}, true, false, "uvs.inPointsMissing 'uv' attribute in point array"},
        {{0, 1}, {{0, 0, 0}}, true, true, "uvs.inPoints: 'uv' has 1 entries, 'triID' 2"},
        {{0}, {{nan, 0, 0}}, true, true, "uvs.inPoints: 'uv': entry 0 is not a finite float"},
        {{0}, {{0, 1e300, 0}}, true, true, "uvs.inPoints: 'uv': entry 0 is not a finite float"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.error);
        setPoints("uvs.inPoints", PointSet{{{"uv", {{1, 0, 0}}}}, {{"triID", {1}}}, {}, {}});
        const Vectors before = evaluateVectors("uvs.outUVs");
        ASSERT_EQ(before.size(), 1u);
        PointSet bad;
        if (r.hasTriID) bad.ints["triID"] = r.triID;
        if (r.hasUV) bad.vectors["uv"] = r.uv;
        bad.ints["pointID"] = {0};
        setPoints("uvs.inPoints", bad);
        mayahost::clearRecordedMessages();
        MStatus status;
        EXPECT_EQ(evaluateVectors("uvs.outUVs", &status), before);
        EXPECT_FALSE(status) << "a missing array fails too";
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
    }
    ASSERT_TRUE(run("createNode zuPointsUV -n bare"));
    setPoints("bare.inPoints", cornerPoints());
    mayahost::clearRecordedMessages();
    MStatus status;
    evaluateVectors("bare.outUVs", &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errorsShown(), std::vector<std::string>{"bare.inMesh: please supply inMesh"});
}

}  // namespace
