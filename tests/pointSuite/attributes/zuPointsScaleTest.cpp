// zuPointsScale through the host: scales worked out by hand for the base scale, inColor and
// blend and additive layers of a coloured triangle, the random spread's range and repetition,
// values through connections, and the inputs it refuses.
#include <cmath>
#include <limits>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

// Three points on the one triangle: inside at (u, v) = (0.25, 0.5), on corner A and on corner B.
const Vectors kUV = {{0.25, 0.5, 0}, {0, 0, 0}, {1, 0, 0}};

class ScaleTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsScale -n sc; setAttr sc.uniform 0;"
                        "setAttr sc.scaleX 2; setAttr sc.scaleY 3; setAttr sc.scaleZ 4"));
        setPoints("sc.inPoints", points());
    }
    static PointSet points() {
        return PointSet{{{"position", Vectors(3, MVector(0, 0, 0))}, {"uv", kUV}}, {{"triID", {0, 0, 0}}}, {}, {}};
    }
    // The triangle with corner colours red, green, blue in the set "paint", on sc.inMesh.
    void paintedTriangle(float alpha = 1) {
        setMesh(shapes::triangle(), "sc.inMesh");
        addColorSet("paint", {{1, 0, 0, alpha}, {0, 1, 0, alpha}, {0, 0, 1, alpha}});
    }
    Vectors scales() { return evaluate("sc.outPoints").vectors["scale"]; }
};

void expectScales(const Vectors& actual, const Vectors& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) expectNear(actual[i], expected[i], 1e-6, "point " + std::to_string(i));
}

struct LayerCase {
    const char* name;
    const char* settings;
    Vectors expected;
};

TEST_F(ScaleTest, LayersBlendOrAddTheInterpolatedColour) {
    // At the inside point the corner weights are 0.25, 0.25, 0.5: colour (0.25, 0.25, 0.5).
    const LayerCase cases[] = {
        {"no layer element", "", {{2, 3, 4}, {2, 3, 4}, {2, 3, 4}}},
        {"blend, weight 1", "setAttr sc.vertexColor[0].vertexColorWeight 1",
         {{0.5, 0.75, 2}, {2, 0, 0}, {0, 3, 0}}},
        {"blend, weight 0.5", "setAttr sc.vertexColor[0].vertexColorWeight 0.5",
         {{1.25, 1.875, 3}, {2, 1.5, 2}, {1, 3, 2}}},
        {"add, weight 0.5 and factor 2",
         "setAttr sc.vertexColor[0].vertexColorType 1; setAttr sc.vertexColor[0].vertexColorWeight 0.5;"
         "setAttr sc.vertexColor[0].vertexColorFactor 2",
         {{2.25, 3.25, 4.5}, {3, 3, 4}, {2, 4, 4}}},
        {"weight 0", "setAttr sc.vertexColor[0].vertexColorWeight 0", {{2, 3, 4}, {2, 3, 4}, {2, 3, 4}}},
        {"uniform: red only", "setAttr sc.uniform 1; setAttr sc.vertexColor[0].vertexColorWeight 1",
         {{0.5, 0.5, 0.5}, {2, 2, 2}, {0, 0, 0}}},
    };
    for (const LayerCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        paintedTriangle();
        if (*c.settings) {
            ASSERT_TRUE(run(c.settings));
        }
        expectScales(scales(), c.expected);
        TearDown();
    }
}

TEST_F(ScaleTest, TransparentOrUncolouredVerticesAndUnpairedSetsChangeNothing) {
    paintedTriangle(0);
    ASSERT_TRUE(run("setAttr sc.vertexColor[0].vertexColorWeight 1"));
    expectScales(scales(), {{2, 3, 4}, {2, 3, 4}, {2, 3, 4}});

    // Layer 0 is "paint" (alpha 0); layer 1 a set never coloured (opaque white: multiplier 1);
    // layer 2 pairs with no element and is not used.
    addColorSet("white", {});
    addColorSet("half", {{0.5, 0.5, 0.5, 1}, {0.5, 0.5, 0.5, 1}, {0.5, 0.5, 0.5, 1}});
    ASSERT_TRUE(run("setAttr sc.vertexColor[1].vertexColorWeight 1"));
    expectScales(scales(), {{2, 3, 4}, {2, 3, 4}, {2, 3, 4}});
}

TEST_F(ScaleTest, InColorMultipliesOnlyWhenItHasOneEntryPerPoint) {
    setVectorArray("sc.inColor", Vectors(3, MVector(0, 0, 0)));
    ASSERT_TRUE(run("setAttr sc.inColorFactor 0.5"));
    expectScales(scales(), Vectors(3, MVector(1, 1.5, 2)));
    ASSERT_TRUE(run("setAttr sc.inColorFactor 0"));
    expectScales(scales(), Vectors(3, MVector(2, 3, 4)));
    ASSERT_TRUE(run("setAttr sc.inColorFactor 1"));
    setVectorArray("sc.inColor", Vectors(2, MVector(0, 0, 0)));
    expectScales(scales(), Vectors(3, MVector(2, 3, 4)));
    // A connected factor past its limits counts as the nearer limit.
    setVectorArray("sc.inColor", Vectors(3, MVector(0.5, 0.5, 0.5)));
    connectValue("sc.inColorFactor", 5);
    expectScales(scales(), Vectors(3, MVector(1, 1.5, 2)));
    connectValue("sc.inColorFactor", -3);
    expectScales(scales(), Vectors(3, MVector(2, 3, 4)));
}

TEST_F(ScaleTest, ConnectedLayerTypesOutsideZeroToOneActAsTheNearerType) {
    paintedTriangle();
    ASSERT_TRUE(run("setAttr sc.vertexColor[0].vertexColorWeight 1"));
    connectValue("sc.vertexColor[0].vertexColorType", 5);
    expectScales(scales(), {{2.25, 3.25, 4.5}, {3, 3, 4}, {2, 4, 4}});
    connectValue("sc.vertexColor[0].vertexColorType", -3);
    expectScales(scales(), {{0.5, 0.75, 2}, {2, 0, 0}, {0, 3, 0}});
}

TEST_F(ScaleTest, TheSpreadEnlargesOnlyItsAxisAndRepeatsEvery1000Points) {
    PointSet many;
    many.vectors["position"] = Vectors(2500, MVector(0, 0, 0));
    setPoints("sc.inPoints", many);
    ASSERT_TRUE(run("setAttr sc.scaleRandomZ 1.5; setAttr sc.seed 7"));
    const Vectors first = scales();
    ASSERT_EQ(first.size(), 2500u);
    double smallest = 10, largest = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].x, 2);
        EXPECT_EQ(first[i].y, 3);
        smallest = std::min(smallest, first[i].z), largest = std::max(largest, first[i].z);
        if (i >= 1000) {
            EXPECT_EQ(first[i].z, first[i - 1000].z) << i;
        }
    }
    EXPECT_GT(smallest, 4.0);
    EXPECT_LE(largest, 5.5);
    EXPECT_GT(largest - smallest, 1.4) << "the spread covers its range";
    EXPECT_EQ(scales(), first) << "the same seed repeats";
    ASSERT_TRUE(run("setAttr sc.seed 8"));
    EXPECT_NE(scales(), first);
}

TEST_F(ScaleTest, AnEmptySetGivesAnEmptyScale) {
    paintedTriangle();
    ASSERT_TRUE(run("setAttr sc.vertexColor[0].vertexColorWeight 1; setAttr sc.scaleRandomX 1"));
    setPoints("sc.inPoints", PointSet{{{"position", {}}, {"uv", {}}}, {{"triID", {}}}, {}, {}});
    EXPECT_TRUE(evaluate("sc.outPoints").vectors.at("scale").empty());
    EXPECT_TRUE(errorsShown().empty());
}

TEST_F(ScaleTest, RefusedInputsFailAndLeaveTheOutputAsItWas) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        PointSet set;
        const char* plug;
        double value;
        std::string error;
    } refusals[] = {
        {"no uv", PointSet{{{"position", {{0, 0, 0}}}}, {{"triID", {0}}}, {}, {}}, nullptr, 0,
         "zuPointsScale: Points UV missing"},
        {"no triID", PointSet{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {}, {}, {}}, nullptr, 0,
         "sc.inPoints: Points triID missing"},
        {"triID outside the mesh", PointSet{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {{"triID", {1}}}, {}, {}},
         nullptr, 0, "sc.inPoints: 'triID' 1 of point 0 is not one of the 1 triangles of inMesh"},
        {"negative triID", PointSet{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {{"triID", {-2}}}, {}, {}},
         nullptr, 0, "sc.inPoints: 'triID' -2 of point 0 is not one of the 1 triangles of inMesh"},
        {"short uv", PointSet{{{"position", Vectors(2)}, {"uv", {{0, 0, 0}}}}, {{"triID", {0, 0}}}, {}, {}}, nullptr, 0,
         "sc.inPoints: 'uv' has 1 entries, 'position' 2"},
        {"no position", PointSet{{{"uv", kUV}}, {}, {}, {}}, nullptr, 0, "sc.inPoints: 'position' vector missing"},
        {"scaleX beyond floats", points(), "sc.scaleX", 1e39, "sc.scaleX: must be finite, not inf"},
        {"NaN spread", points(), "sc.scaleRandomY", nan, "sc.scaleRandomY: must be finite, not nan"},
        {"NaN factor", points(), "sc.vertexColor[0].vertexColorFactor", nan,
         "sc.vertexColor[0].vertexColorFactor: must be finite, not nan"},
        {"negative seed", points(), "sc.seed", -3, "sc.seed: must be 0 or more, not -3"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        SetUp();
        paintedTriangle();
        ASSERT_TRUE(run("setAttr sc.vertexColor[0].vertexColorWeight 1"));
        const Vectors good = scales();
        setPoints("sc.inPoints", r.set);
        if (r.plug) connectValue(r.plug, r.value);
        mayahost::clearRecordedMessages();
        const PointSet kept = refusedOutput("sc.outPoints", r.error);
        EXPECT_EQ(kept.vectors.at("scale"), good);
        TearDown();
    }
}

}  // namespace
