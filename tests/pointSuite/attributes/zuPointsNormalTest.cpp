// zuPointsNormal through the host: each point gets its triangle's face normal, worked out by
// hand on a cube; the pass-through, degenerate triangles, an empty set, and the inputs it refuses.
#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

class NormalTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsNormal -n normals"));
    }
};

TEST_F(NormalTest, EachPointGetsTheFlatNormalOfItsTriangle) {
    setMesh(shapes::cube(2), "normals.inMesh");
    // Two triangles per face, faces in order +Z, +Y, -Z, -Y, +X, -X.
    const Vectors faceNormals = {{0, 0, 1}, {0, 1, 0}, {0, 0, -1}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
    PointSet in;
    for (int t = 11; t >= 0; --t) {
        in.ints["triID"].push_back(t);
        in.vectors["uv"].push_back(MVector(0.1 * (t % 3), 0.2, 0));  // not read
    }
    in.vectors["normal"] = Vectors(12, MVector(9, 9, 9));
    in.ints["pointID"] = Ints(12, 4);
    setPoints("normals.inPoints", in);
    const PointSet out = evaluate("normals.outPoints");
    ASSERT_EQ(out.vectors.at("normal").size(), 12u);
    for (int i = 0; i < 12; ++i)
        expectNear(out.vectors.at("normal")[i], faceNormals[(11 - i) / 2], 1e-6, "point " + std::to_string(i));
    EXPECT_EQ(out.vectors.at("uv"), in.vectors.at("uv"));
    EXPECT_EQ(out.ints.at("pointID"), in.ints.at("pointID"));
    EXPECT_EQ(out.order.front(), "normal");
}

TEST_F(NormalTest, ATriangleOfAnyFiniteSizeGetsAUnitNormal) {
    // The triangle (0, 0, 0), (s, 0, 0), (0, 0, -s) faces +y at every scale s.
    for (const float s : {1e-6f, 1.0f, 1e19f, 1e20f, 3e38f}) {
        SCOPED_TRACE(s);
        setMesh(shapes::triangle({0, 0, 0}, {s, 0, 0}, {0, 0, -s}), "normals.inMesh");
        setPoints("normals.inPoints", PointSet{{}, {{"triID", {0}}}, {}, {}});
        MStatus status;
        const PointSet out = evaluate("normals.outPoints", &status);
        ASSERT_TRUE(status) << (errorsShown().empty() ? "" : errorsShown()[0]);
        expectNear(out.vectors.at("normal")[0], {0, 1, 0}, 1e-6, "normal");
        ASSERT_TRUE(run("delete shape"));
    }
}

TEST_F(NormalTest, ADegenerateTriangleGivesAZeroNormalAndAnEmptySetSucceeds) {
    setMesh(shapes::triangle({0, 0, 0}, {1, 0, 0}, {2, 0, 0}), "normals.inMesh");
    setPoints("normals.inPoints", PointSet{{}, {{"triID", {0, 0}}}, {}, {}});
    EXPECT_EQ(evaluate("normals.outPoints").vectors.at("normal"), (Vectors{{0, 0, 0}, {0, 0, 0}}));

    setMesh(shapes::Shape{}, "", "shape");  // no triangles, no points
    setPoints("normals.inPoints", PointSet{{}, {{"triID", {}}}, {}, {}});
    EXPECT_TRUE(evaluate("normals.outPoints").vectors.at("normal").empty());
    EXPECT_TRUE(errorsShown().empty());
}

TEST_F(NormalTest, RefusedInputsFailAndLeaveTheOutputAsItWas) {
    setMesh(shapes::quad(), "normals.inMesh");  // two triangles
    const struct {
        Ints triID;
        bool hasTriID;
        std::string error;
    } refusals[] = {
        {{0, 2}, true, "zuPointsNormal: sample triId out of range, probably wrong inMesh input"},
        {{-1, 0}, true, "zuPointsNormal: sample triId out of range, probably wrong inMesh input"},
        {{}, false, "normals.inPoints: Input array does not contain sample-triangle ID information"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.error);
        setPoints("normals.inPoints", PointSet{{}, {{"triID", {1}}}, {}, {}});
        evaluate("normals.outPoints");
        mayahost::clearRecordedMessages();
        PointSet bad;
        if (r.hasTriID) bad.ints["triID"] = r.triID;
        else bad.ints["pointID"] = {0};
        setPoints("normals.inPoints", bad);
        MStatus status;
        const PointSet kept = evaluate("normals.outPoints", &status);
        EXPECT_FALSE(status) << "a missing triID fails too";
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
        EXPECT_EQ(kept.ints.at("triID"), Ints{1});
    }
    ASSERT_TRUE(run("createNode zuPointsNormal -n bare"));
    setPoints("bare.inPoints", PointSet{{}, {{"triID", {0}}}, {}, {}});
    mayahost::clearRecordedMessages();
    MStatus status;
    evaluate("bare.outPoints", &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errorsShown(), std::vector<std::string>{"bare.inMesh: please supply inMesh"});
}

}  // namespace
