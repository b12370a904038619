// zuPointsObjectId through the host: the base index, weighted candidates in proportion to their
// weights over 100,000 points, colour layers and inColor overriding in that order, indices kept
// whole, the table's repetition, and the inputs it refuses.
#include <limits>
#include <map>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

class ObjectIdTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsObjectId -n ids; setAttr ids.baseId 4"));
        usePoints(12);
    }
    // n points on the one triangle, spread over it.
    void usePoints(unsigned int n) {
        PointSet set;
        for (unsigned int i = 0; i < n; ++i) {
            set.vectors["position"].push_back(MVector(i, 0, 0));
            set.vectors["uv"].push_back(MVector((i % 7) / 10.0, (i % 3) / 10.0, 0));
            set.ints["triID"].push_back(0);
        }
        setPoints("ids.inPoints", set);
    }
    void candidate(int k, int value, double weight) {
        ASSERT_TRUE(run("setAttr ids.randomId[" + std::to_string(k) + "].randomIdVal " + std::to_string(value) +
                        "; setAttr ids.randomId[" + std::to_string(k) + "].randomIdProbability " +
                        std::to_string(weight)));
    }
    void layer(int k, int red, int green, int blue) {
        const std::string e = "ids.vertexColor[" + std::to_string(k) + "].";
        ASSERT_TRUE(run("setAttr " + e + "vertexColorId1 " + std::to_string(red) + "; setAttr " + e +
                        "vertexColorId2 " + std::to_string(green) + "; setAttr " + e + "vertexColorId3 " +
                        std::to_string(blue)));
    }
    void colouredTriangle(const MColor& color) {
        setMesh(shapes::triangle(), "ids.inMesh");
        addColorSet("ids", {color, color, color});
    }
    Ints ids() { return evaluate("ids.outPoints").ints["objectIndex"]; }
    std::map<int, int> counts() {
        std::map<int, int> found;
        for (int id : ids()) ++found[id];
        return found;
    }
};

TEST_F(ObjectIdTest, WithoutCandidatesLayersOrColourEveryPointGetsTheBaseIndex) {
    EXPECT_EQ(ids(), Ints(12, 4));
    candidate(0, 9, 0);
    EXPECT_EQ(ids(), Ints(12, 4)) << "a single candidate of weight 0";
    candidate(0, 9, 0.3);
    EXPECT_EQ(ids(), Ints(12, 9)) << "a single candidate of any weight above 0";
}

TEST_F(ObjectIdTest, CandidatesComeInProportionToTheirWeights) {
    usePoints(100000);
    candidate(0, 10, 1);
    candidate(1, 11, 0);
    candidate(2, 12, 3);
    const std::map<int, int> found = counts();
    EXPECT_EQ(found.count(11), 0u) << "weight 0 is never picked";
    EXPECT_EQ(found.count(4), 0u);
    EXPECT_NEAR(found.at(10) / 100000.0, 0.25, 0.015);
    EXPECT_NEAR(found.at(12) / 100000.0, 0.75, 0.015);
    const Ints all = ids();
    for (size_t i = 10000; i < all.size(); i += 997) EXPECT_EQ(all[i], all[i - 10000]) << "points 10,000 apart";
}

TEST_F(ObjectIdTest, LayersTakeTheirChannelsIndexAndInColorComesLast) {
    candidate(0, 10, 1);
    colouredTriangle({1, 0, 0, 1});
    layer(0, 21, 22, 23);
    EXPECT_EQ(ids(), Ints(12, 21)) << "pure red, opaque: always the red index";

    setMesh(shapes::triangle(), "", "shape");  // the same triangle, its colour sets gone
    addColorSet("unpainted", {});
    EXPECT_EQ(ids(), Ints(12, 10)) << "vertices without a colour read as transparent black";

    setVectorArray("ids.inColor", Vectors(12, MVector(0, 0, 1)));
    ASSERT_TRUE(run("setAttr ids.inColorIds 31 32 40000"));
    EXPECT_EQ(ids(), Ints(12, 40000)) << "the blue index, kept whole";
    setVectorArray("ids.inColor", Vectors(11, MVector(0, 0, 1)));
    EXPECT_EQ(ids(), Ints(12, 10)) << "inColor of another length is ignored";
}

TEST_F(ObjectIdTest, AHalfGreenLayerAppliesToAboutHalfThePoints) {
    usePoints(100000);
    colouredTriangle({0, 0.5, 0, 1});
    layer(0, 21, 22, 23);
    const std::map<int, int> found = counts();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NEAR(found.at(22) / 100000.0, 0.5, 0.015);
    EXPECT_NEAR(found.at(4) / 100000.0, 0.5, 0.015);
}

TEST_F(ObjectIdTest, AnEmptySetGivesAnEmptyIndexArray) {
    colouredTriangle({1, 0, 0, 1});
    layer(0, 21, 22, 23);
    candidate(0, 10, 1);
    setPoints("ids.inPoints", PointSet{{{"position", {}}, {"uv", {}}}, {{"triID", {}}}, {}, {}});
    EXPECT_TRUE(evaluate("ids.outPoints").ints.at("objectIndex").empty());
    EXPECT_TRUE(errorsShown().empty());
}

TEST_F(ObjectIdTest, RefusedInputsFailAndLeaveTheOutputAsItWas) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const PointSet kOnePoint{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {{"triID", {0}}}, {}, {}};
    const struct {
        const char* name;
        PointSet set;
        const char* plug;
        double value;
        std::string error;
    } refusals[] = {
        {"no uv", PointSet{{{"position", {{0, 0, 0}}}}, {{"triID", {0}}}, {}, {}}, nullptr, 0,
         "zuPointsObjectId: Points UV missing"},
        {"triID outside the mesh", PointSet{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {{"triID", {3}}}, {}, {}},
         nullptr, 0, "ids.inPoints: 'triID' 3 of point 0 is not one of the 1 triangles of inMesh"},
        {"long triID", PointSet{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {{"triID", {0, 0}}}, {}, {}},
         nullptr, 0, "ids.inPoints: 'triID' has 2 entries, 'position' 1"},
        {"no position", PointSet{{}, {{"triID", {0}}}, {}, {}}, nullptr, 0, "ids.inPoints: 'position' vectorArray missing"},
        {"NaN weight", PointSet{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {{"triID", {0}}}, {}, {}},
         "ids.randomId[0].randomIdProbability", nan, "ids.randomId[0].randomIdProbability: must be finite, not nan"},
        {"infinite weight", PointSet{{{"position", {{0, 0, 0}}}, {"uv", {{0, 0, 0}}}}, {{"triID", {0}}}, {}, {}},
         "ids.randomId[0].randomIdProbability", 1e39, "ids.randomId[0].randomIdProbability: must be finite, not inf"},
        {"negative baseId", kOnePoint, "ids.baseId", -5, "ids.baseId: must be 0 or more, not -5"},
        {"negative seed", kOnePoint, "ids.seed", -1, "ids.seed: must be 0 or more, not -1"},
        {"negative candidate", kOnePoint, "ids.randomId[0].randomIdVal", -5,
         "ids.randomId[0].randomIdVal: must be 0 or more, not -5"},
        {"negative layer index", kOnePoint, "ids.vertexColor[0].vertexColorId2", -7,
         "ids.vertexColor[0].vertexColorId2: must be 0 or more, not -7"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        SetUp();
        colouredTriangle({1, 0, 0, 1});
        layer(0, 21, 22, 23);
        candidate(0, 10, 1);
        const Ints good = ids();
        setPoints("ids.inPoints", r.set);
        if (r.plug) connectValue(r.plug, r.value);
        mayahost::clearRecordedMessages();
        const PointSet kept = refusedOutput("ids.outPoints", r.error);
        EXPECT_EQ(kept.ints.at("objectIndex"), good);
        TearDown();
    }
}

}  // namespace
