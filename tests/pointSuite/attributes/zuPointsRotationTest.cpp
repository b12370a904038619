// zuPointsRotation through the host: frames worked out by hand for the channels R, G and B on a
// flat triangle, the fallback directions, incoming channels, inColor and layers with the masked
// output, the edge measures at two scales, the random part, and the inputs it refuses.
#include <cmath>
#include <limits>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

// The triangle (0, 0, 0), (1, 0, 0), (0, 0, -1) faces +y. Its point at (u, v) = (0.25, 0.25) is
// (0.25, 0, -0.25); a target at (5, 3, -0.25) projects onto the plane straight along +x.
const MVector kPoint(0.25, 0, -0.25);

PointSet onePoint(const MVector& normal = MVector(0, 1, 0)) {
    return PointSet{{{"position", {kPoint}}, {"uv", {{0.25, 0.25, 0}}}, {"normal", {normal}}}, {{"triID", {0}}, {"pointID", {0}}}, {}, {}};
}

class RotationTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsRotation -n rot; setAttr rot.target 5 3 -0.25"));
        setPoints("rot.inPoints", onePoint());
    }
    PointSet out(MStatus* status = nullptr) { return evaluate("rot.outPoints", status); }
    void expectFrame(const MVector& aim, const MVector& up, const std::string& what) {
        PointSet o = out();
        ASSERT_EQ(o.vectors["aimDirection"].size(), 1u) << what;
        expectNear(o.vectors["aimDirection"][0], aim, 1e-6, what + ": aim");
        expectNear(o.vectors["aimWorldUp"][0], up, 1e-6, what + ": up");
        EXPECT_EQ(o.ints["rotationType"], Ints{1}) << what;
    }
};

struct FrameCase {
    const char* settings;
    MVector aim, up, rgb;
};

TEST_F(RotationTest, TheChannelsTiltTurnAndRollTheFrame) {
    // n = (0, 1, 0) and dir = (1, 0, 0): up starts at n x dir = (0, 0, -1).
    const FrameCase cases[] = {
        {"setAttr rot.offsetR 1", {1, 0, 0}, {0, 0, -1}, {1, 0, 0}},
        {"setAttr rot.offsetR 0", {0, 1, 0}, {0, 0, -1}, {0, 0, 0}},
        {"setAttr rot.offsetR -1", {-1, 0, 0}, {0, 0, -1}, {-1, 0, 0}},
        {"setAttr rot.offsetR 0.5", {0.5, 0.5, 0}, {0, 0, -1}, {0.5, 0, 0}},
        {"setAttr rot.offsetR 1; setAttr rot.offsetG 90", {0, 0, -1}, {-1, 0, 0}, {1, 0.25, 0}},
        {"setAttr rot.offsetR 1; setAttr rot.offsetB 90", {1, 0, 0}, {0, 1, 0}, {1, 0, 0.25}},
        {"setAttr rot.offsetR 1; setAttr rot.offsetG 360", {1, 0, 0}, {0, 0, -1}, {1, 1, 0}},
        {"setAttr rot.offsetR 1; setAttr rot.offsetG 720; setAttr rot.offsetB -360", {1, 0, 0}, {0, 0, -1}, {1, 2, -1}},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.settings);
        ASSERT_TRUE(run("setAttr rot.offsetG 0; setAttr rot.offsetB 0; " + std::string(c.settings)));
        expectFrame(c.aim, c.up, c.settings);
        expectNear(out().vectors["rotationRGB"][0], c.rgb, 1e-6, "rotationRGB");
    }
}

TEST_F(RotationTest, ATargetOnThePointOrAZeroNormalStillGivesAFiniteFrame) {
    ASSERT_TRUE(run("setAttr rot.offsetR 1; setAttr rot.target 0.25 7 -0.25"));
    expectFrame({0, 0, 1}, {1, 0, 0}, "target above the point: n x (-1, 0, 0)");
    setPoints("rot.inPoints", onePoint(MVector(2, 0, 0)));
    ASSERT_TRUE(run("setAttr rot.target 3 0 -0.25"));  // along the normal: projects onto the point
    expectFrame({0, 0, 1}, {0, -2, 0}, "normal along x: n x (0, 1, 0)");
    setPoints("rot.inPoints", onePoint(MVector(0, 0, 0)));
    ASSERT_TRUE(run("setAttr rot.target 5 3 -0.25"));
    expectFrame({1, 0, 0}, {0, 0, -1}, "a normal without length is taken as (0, 1, 0)");
}

TEST_F(RotationTest, ANormalOfAnyLengthProjectsTheTargetOntoTheTangentPlane) {
    setPoints("rot.inPoints", onePoint(MVector(0, 3, 0)));
    ASSERT_TRUE(run("setAttr rot.offsetR 1"));
    // The aim is the unit target direction; up = n x dir is as long as n.
    expectFrame({1, 0, 0}, {0, 0, -3}, "normal of length 3");
}

TEST_F(RotationTest, IncomingChannelsAndInColorStartTheChannels) {
    PointSet in = onePoint();
    in.vectors["rotationRGB"] = {{0.5, 0.25, 0}};
    setPoints("rot.inPoints", in);
    expectFrame({0, 0.5, -0.5}, {-1, 0, 0}, "R 0.5, G a quarter turn");

    setVectorArray("rot.inColor", {{1, 0.5, 0.5}});
    expectNear(out().vectors["rotationRGB"][0], {1, 0.5, 0.5}, 1e-6, "inColor replaces at factor 1");
    ASSERT_TRUE(run("setAttr rot.addColorMode 1; setAttr rot.inColorFactor 0.5"));
    expectNear(out().vectors["rotationRGB"][0], {0.5 + 0.5, 0.25, 0}, 1e-6, "adds factor (2 c - 1)");
    setVectorArray("rot.inColor", {{1, 0.5, 0.5}, {1, 1, 1}});
    expectNear(out().vectors["rotationRGB"][0], {0.5, 0.25, 0}, 1e-6, "inColor of another length is ignored");

    in.vectors["rotationRGB"] = {{0.5, 0.25, 0}, {0, 0, 0}};
    setPoints("rot.inPoints", in);
    mayahost::clearRecordedMessages();
    expectNear(out().vectors["rotationRGB"][0], {0, 0, 0}, 1e-6, "a rotationRGB of another length is left out");
    EXPECT_EQ(errorsShown(), std::vector<std::string>{
                                 "zuPointsRotation: rotationRGB array size differs from point array size, omitting rgb rotation"});
}

// Three points inside the triangle: at (u, v) = (0.5, 0), (0, 0.5) and (0.2, 0).
PointSet threePoints() {
    PointSet set;
    set.vectors["uv"] = {{0.5, 0, 0}, {0, 0.5, 0}, {0.2, 0, 0}};
    for (const MVector& uv : set.vectors["uv"]) set.vectors["position"].push_back(MVector(uv.x, 0, -uv.y));
    set.vectors["normal"] = Vectors(3, MVector(0, 1, 0));
    set.ints["triID"] = {0, 0, 0};
    set.ints["pointID"] = {0, 1, 2};
    return set;
}

TEST_F(RotationTest, AnActiveAdditiveLayerDropsThePointsWhereItsAlphaIsZero) {
    setMesh(shapes::triangle(), "rot.inMesh");
    // Layer 0: alpha only at the third corner, so the interpolated alpha is v. Layer 1: opaque.
    addColorSet("mask", {{0.5, 0, 0, 0}, {0.5, 0, 0, 0}, {0.5, 0, 0, 1}});
    addColorSet("full", {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}});
    setPoints("rot.inPoints", threePoints());
    ASSERT_TRUE(run("setAttr rot.vertexColor[0].vertexColorType 1; setAttr rot.vertexColor[1].vertexColorType 0"));
    const struct {
        int activeLayer;
        Ints kept;
    } cases[] = {{0, {1}}, {-1, {0, 1, 2}}, {1, {0, 1, 2}}, {5, {0, 1, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.activeLayer);
        if (c.activeLayer > 1) {
            connectValue("rot.activeLayer", c.activeLayer);  // past the layers: all of them
        } else {
            ASSERT_TRUE(run("setAttr rot.activeLayer " + std::to_string(c.activeLayer)));
        }
        const PointSet o = out();
        EXPECT_EQ(o.ints.at("pointID"), c.kept);
        EXPECT_EQ(o.ints.at("rotationType"), Ints(c.kept.size(), 1));
        EXPECT_EQ(o.vectors.at("aimDirection").size(), c.kept.size());
        EXPECT_EQ(o.vectors.at("position").size(), c.kept.size());
    }
    ASSERT_TRUE(run("setAttr rot.vertexColor[0].vertexColorType 0"));
    connectValue("rot.activeLayer", 0);
    EXPECT_EQ(out().ints.at("pointID"), (Ints{0, 1, 2})) << "a blend layer never drops points";
}

TEST_F(RotationTest, AnActiveLayerOutsideTheLayersMeansEveryLayer) {
    setMesh(shapes::triangle(), "rot.inMesh");
    // Each layer blends half way to its colour: red alone gives R 0.5, green alone G 0.5, and the
    // two in turn (0.25, 0.5, 0).
    addColorSet("red", {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}});
    addColorSet("green", {{0, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 0, 1}});
    ASSERT_TRUE(
        run("setAttr rot.vertexColor[0].vertexColorWeight 0.5; "
            "setAttr rot.vertexColor[1].vertexColorWeight 0.5"));
    const struct {
        int activeLayer;
        MVector rgb;
    } cases[] = {{0, {0.5, 0, 0}},    {1, {0, 0.5, 0}},    {-1, {0.25, 0.5, 0}},
                 {2, {0.25, 0.5, 0}}, {9, {0.25, 0.5, 0}}, {-3, {0.25, 0.5, 0}}};
    for (const auto& c : cases) {
        connectValue("rot.activeLayer", c.activeLayer);  // so that -3 passes the minimum
        expectNear(out().vectors["rotationRGB"][0], c.rgb, 1e-6,
                   "activeLayer " + std::to_string(c.activeLayer));
    }
}

TEST_F(RotationTest, LayersBlendOrAddTheirInterpolatedColour) {
    setMesh(shapes::triangle(), "rot.inMesh");
    addColorSet("paint", {{1, 0.5, 0, 1}, {1, 0.5, 0, 1}, {1, 0.5, 0, 1}});
    ASSERT_TRUE(run("setAttr rot.vertexColor[0].vertexColorWeight 0.5"));
    expectNear(out().vectors["rotationRGB"][0], {0.5, 0.25, 0}, 1e-6, "blend by alpha times weight");
    ASSERT_TRUE(run("setAttr rot.vertexColor[0].vertexColorType 1"));
    expectNear(out().vectors["rotationRGB"][0], {0.5, 0, -0.5}, 1e-6, "add alpha weight (2 c - 1)");
}

TEST_F(RotationTest, EdgeMeasuresFollowTheAimAtAnyScale) {
    // Edges first-second, second-third, third-first; the aim along +x crosses the second one
    // half a unit ahead and the line of the third a quarter behind; the first is parallel.
    for (const double scale : {1.0, 0.005}) {
        SCOPED_TRACE(scale);
        SetUp();
        const float s = static_cast<float>(scale);
        setMesh(shapes::triangle({0, 0, 0}, {s, 0, 0}, {0, 0, -s}), "rot.inMesh");
        PointSet in = onePoint();
        in.vectors["position"] = {scale * kPoint};
        setPoints("rot.inPoints", in);
        ASSERT_TRUE(run("setAttr rot.localAimDirection 1; setAttr rot.offsetR 1; setAttr rot.target 5 3 " +
                        std::to_string(-0.25 * scale)));
        const PointSet o = out();
        expectNear(o.vectors.at("intersection")[0], {100, 0.25, 0.75}, 1e-5, "edge parameters");
        expectNear(o.vectors.at("distanceToEdge")[0], {100 * scale - 0.25 * scale, 0.5 * scale, -0.25 * scale}, 1e-5,
                   "distances");
        TearDown();
    }
}

TEST_F(RotationTest, TheRandomPartStaysWithinItsRangeAndRepeatsForASeed) {
    PointSet many;
    for (int i = 0; i < 3000; ++i) {
        many.vectors["position"].push_back(kPoint);
        many.vectors["uv"].push_back(MVector(0.25, 0.25, 0));
        many.vectors["normal"].push_back(MVector(0, 1, 0));
        many.ints["triID"].push_back(0);
    }
    setPoints("rot.inPoints", many);
    ASSERT_TRUE(run("setAttr rot.randomR 0.5; setAttr rot.randomAmplitudeG 0.25; setAttr rot.maxRandSpeedG 2;"
                    "setAttr rot.randTimeG 10; setAttr rot.seed 3"));
    const PointSet first = out();
    double meanR = 0;
    for (const MVector& rgb : first.vectors.at("rotationRGB")) {
        EXPECT_LE(std::fabs(rgb.x), 0.5);
        EXPECT_LE(std::fabs(rgb.y), 0.25 + 1e-6);
        EXPECT_EQ(rgb.z, 0);
        meanR += rgb.x / 3000;
    }
    EXPECT_NEAR(meanR, 0, 0.03) << "a jitter within plus and minus randomR";
    EXPECT_EQ(out().vectors.at("aimDirection"), first.vectors.at("aimDirection"));
    ASSERT_TRUE(run("setAttr rot.seed 4"));
    EXPECT_NE(out().vectors.at("rotationRGB"), first.vectors.at("rotationRGB"));
}

TEST_F(RotationTest, AnEmptySetSucceeds) {
    setMesh(shapes::triangle(), "rot.inMesh");
    addColorSet("paint", {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}});
    ASSERT_TRUE(run("setAttr rot.localAimDirection 1; setAttr rot.randomR 1"));
    setPoints("rot.inPoints", PointSet{{{"position", {}}, {"uv", {}}, {"normal", {}}}, {{"triID", {}}}, {}, {}});
    const PointSet o = out();
    EXPECT_TRUE(o.vectors.at("aimDirection").empty());
    EXPECT_TRUE(o.vectors.at("distanceToEdge").empty());
    EXPECT_TRUE(errorsShown().empty());
}

TEST_F(RotationTest, RefusedInputsFailAndLeaveTheOutputAsItWas) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    PointSet noNormal = onePoint(), shortUv = onePoint(), farTriangle = onePoint(), hugeNormal = onePoint({1e39, 0, 0});
    noNormal.vectors.erase("normal");
    shortUv.vectors["uv"].clear();
    farTriangle.ints["triID"] = {1};
    const struct {
        const char* name;
        PointSet set;
        const char* plug;
        double value;
        std::string error;
    } refusals[] = {
        {"no normal", noNormal, nullptr, 0, "rot.inPoints: Points normal missing"},
        {"short uv", shortUv, nullptr, 0, "rot.inPoints: 'uv' has 0 entries, 'position' 1"},
        {"triID outside the mesh", farTriangle, nullptr, 0, "rot.inPoints: 'triID' 1 of point 0 is not one of the 1 triangles of inMesh"},
        {"normal beyond floats", hugeNormal, nullptr, 0, "rot.inPoints: 'normal': entry 0 is not a finite float"},
        {"NaN offsetG", onePoint(), "rot.offsetG", nan, "rot.offsetG: must be finite, not nan"},
        {"infinite target", onePoint(), "rot.targetY", 1e39, "rot.targetY: must be finite, not inf"},
        {"NaN weight", onePoint(), "rot.vertexColor[0].vertexColorWeight", nan, "rot.vertexColor[0].vertexColorWeight: must be finite, not nan"},
        {"random time times speed", onePoint(), "rot.randTimeB", 1e30, "rot.randTimeB: times the random speeds it goes beyond the float range"},
        {"negative seed", onePoint(), "rot.seed", -3, "rot.seed: must be 0 or more, not -3"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        SetUp();
        setMesh(shapes::triangle(), "rot.inMesh");
        addColorSet("paint", {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}});
        ASSERT_TRUE(run("setAttr rot.vertexColor[0].vertexColorWeight 1; setAttr rot.randomB 1; setAttr rot.maxRandSpeedB 1e10"));
        const PointSet good = out();
        setPoints("rot.inPoints", r.set);
        if (r.plug) connectValue(r.plug, r.value);
        mayahost::clearRecordedMessages();
        MStatus status;
        const PointSet kept = out(&status);
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
        EXPECT_EQ(kept.vectors.at("aimDirection"), good.vectors.at("aimDirection"));
        TearDown();
    }
    ASSERT_TRUE(run("createNode zuPointsRotation -n bare; setAttr bare.localAimDirection 1"));
    setPoints("bare.inPoints", onePoint());
    MStatus status;
    evaluate("bare.outPoints", &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errorsShown(), std::vector<std::string>{"bare.inMesh: missing inMesh, can not compute localAimDirection"});
}

}  // namespace
