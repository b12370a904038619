// zuPointsMerge through the host: blends by "pointID" worked out by hand, with the fallof factor
// (taken within 0..1), a first set in any order, ints blended exactly, repeated ids in the second
// set resolved by order, and the refusals.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "../attributes/attributeTesting.h"

namespace {

using namespace attributeTesting;

class MergeTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsMerge -n merge"));
    }
    void blend(std::initializer_list<const char*> names) {
        int k = 0;
        for (const char* name : names)
            ASSERT_TRUE(run("setAttr merge.attributes[" + std::to_string(k++) + "] -type \"string\" \"" + name + "\""));
    }
};

PointSet first() {
    PointSet set;
    set.ints = {{"pointID", {10, 11, 12}}, {"objectIndex", {7, 2, 5}}};
    set.vectors = {{"position", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}}, {"aimDirection", {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}}}};
    set.doubles = {{"weight", {1.0, 2.0, 3.0}}};
    return set;
}

PointSet second() {
    PointSet set;
    set.ints = {{"pointID", {12, 99, 10}}, {"objectIndex", {7, 1, 7}}};
    set.vectors = {{"position", {{2, 4, 0}, {9, 9, 9}, {0, 2, 0}}}, {"velocity", {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}}};
    set.doubles = {{"weight", {5.0, 0.0, 9.0}}, {"fallof", {1.0, 1.0, 0.5}}};
    return set;
}

TEST_F(MergeTest, BlendsMatchedPointsByTheFactorTimesTheirFallof) {
    setPoints("merge.inPoints1", first());
    setPoints("merge.inPoints2", second());
    blend({"position", "weight", "objectIndex"});
    ASSERT_TRUE(run("setAttr merge.factor 0.5"));
    const PointSet out = evaluate("merge.outPoints");
    // Point 12 blends with weight 0.5, point 10 with 0.5 * 0.5; 11 has no partner, 99 no target.
    EXPECT_EQ(out.vectors.at("position"), (Vectors{{0, 0.5, 0}, {1, 0, 0}, {2, 2, 0}}));
    EXPECT_EQ(out.doubles.at("weight"), (std::vector<double>{3.0, 2.0, 4.0}));
    EXPECT_EQ(out.ints.at("objectIndex"), (Ints{7, 2, 6})) << "7 and 7 stay 7; 5 and 7 at 0.5 give 6";
    EXPECT_EQ(out.ints.at("pointID"), (Ints{10, 11, 12}));
    EXPECT_EQ(out.vectors.at("aimDirection"), first().vectors.at("aimDirection"));
    EXPECT_EQ(out.vectors.count("velocity"), 0u) << "the second set's other arrays stay behind";
}

TEST_F(MergeTest, AFirstSetInAnyOrderBlendsEachPointWithItsOwnMatch) {
    PointSet a, b;
    a.ints = {{"pointID", {40, 10, 30, 0, 20}}};
    a.doubles = {{"weight", {4, 1, 3, 0, 2}}};
    b.ints = {{"pointID", {0, 10, 20, 30, 40}}};
    b.doubles = {{"weight", {100, 110, 120, 130, 140}}};
    setPoints("merge.inPoints1", a);
    setPoints("merge.inPoints2", b);
    blend({"weight"});
    ASSERT_TRUE(run("setAttr merge.factor 0.5"));
    const PointSet out = evaluate("merge.outPoints");
    EXPECT_EQ(out.doubles.at("weight"), (std::vector<double>{72, 55.5, 66.5, 50, 61}));
    EXPECT_EQ(out.ints.at("pointID"), a.ints.at("pointID")) << "the first set's order stays";
}

TEST_F(MergeTest, FallofValuesOutsideZeroToOneAreTakenAtTheNearerEnd) {
    PointSet b = second();  // ids 12, 99, 10
    b.doubles["fallof"] = {-1.0, 0.5, 2.0};
    setPoints("merge.inPoints1", first());
    setPoints("merge.inPoints2", b);
    blend({"weight", "position"});
    ASSERT_TRUE(run("setAttr merge.factor 0.5"));
    const PointSet out = evaluate("merge.outPoints");
    // Point 12 blends with weight 0 (not -0.5), point 10 with 0.5 (not 1).
    EXPECT_EQ(out.doubles.at("weight"), (std::vector<double>{5.0, 2.0, 3.0}));
    EXPECT_EQ(out.vectors.at("position"), (Vectors{{0, 1, 0}, {1, 0, 0}, {2, 0, 0}}));
}

TEST_F(MergeTest, IntsBlendExactlyWhereEqualAndTruncateOtherwise) {
    PointSet a, b;
    a.ints = {{"pointID", {0, 1, 2}}, {"objectIndex", {7, 2, -3}}};
    b.ints = {{"pointID", {0, 1, 2}}, {"objectIndex", {7, 3, -2}}};
    setPoints("merge.inPoints1", a);
    setPoints("merge.inPoints2", b);
    blend({"objectIndex"});
    const struct {
        double factor;
        Ints expected;
    } cases[] = {{0.021, {7, 2, -2}}, {0.5, {7, 2, -2}}, {0.0, {7, 2, -3}}, {1.0, {7, 3, -2}}};
    for (const auto& c : cases) {
        ASSERT_TRUE(run("setAttr merge.factor " + std::to_string(c.factor)));
        EXPECT_EQ(evaluate("merge.outPoints").ints.at("objectIndex"), c.expected) << c.factor;
    }
}

TEST_F(MergeTest, ARepeatedIdInTheSecondSetBlendsInItsLastPoint) {
    PointSet a, b;
    a.ints = {{"pointID", {5, 6}}};
    a.doubles = {{"weight", {0, 0}}};
    b.ints["pointID"];
    for (int i = 0; i < 3000; ++i) {
        b.ints["pointID"].push_back(i % 2 ? 5 : 6);
        b.doubles["weight"].push_back(i);
    }
    setPoints("merge.inPoints1", a);
    setPoints("merge.inPoints2", b);
    blend({"weight"});
    ASSERT_TRUE(run("setAttr merge.factor 1"));
    for (int run = 0; run < 3; ++run)
        EXPECT_EQ(evaluate("merge.outPoints").doubles.at("weight"), (std::vector<double>{2999, 2998}));
}

TEST_F(MergeTest, AnEmptySecondSetOrNoNamesCopyTheFirst) {
    setPoints("merge.inPoints1", first());
    PointSet empty;
    empty.ints["pointID"];
    setPoints("merge.inPoints2", empty);
    blend({"position"});
    ASSERT_TRUE(run("setAttr merge.factor 1"));
    PointSet out = evaluate("merge.outPoints");
    EXPECT_EQ(out.vectors, first().vectors);
    EXPECT_EQ(out.ints, first().ints);
}

TEST_F(MergeTest, TheFactorThroughAConnectionIsClamped) {
    setPoints("merge.inPoints1", first());
    setPoints("merge.inPoints2", second());
    blend({"weight"});
    connectValue("merge.factor", 5.0);
    EXPECT_EQ(evaluate("merge.outPoints").doubles.at("weight"), (std::vector<double>{5.0, 2.0, 5.0}));
    connectValue("merge.factor", -2.0);
    EXPECT_EQ(evaluate("merge.outPoints").doubles.at("weight"), (std::vector<double>{1.0, 2.0, 3.0}));
    connectValue("merge.factor", std::numeric_limits<double>::quiet_NaN());
    MStatus status;
    evaluate("merge.outPoints", &status);
    EXPECT_FALSE(status);
}

TEST_F(MergeTest, RefusalsLeaveTheOutputAsItWas) {
    PointSet noIds = first();
    noIds.ints.erase("pointID");
    PointSet doubleIds = second();
    doubleIds.ints.erase("pointID");
    doubleIds.doubles["pointID"] = {1, 2, 3};
    PointSet emptyFirst;
    emptyFirst.ints["pointID"];
    PointSet intWeight = second();
    intWeight.doubles.erase("weight");
    intWeight.ints["weight"] = {1, 2, 3};
    PointSet shortWeight = second();
    shortWeight.doubles["weight"] = {1.0};
    PointSet intFallof = second();
    intFallof.doubles.erase("fallof");
    intFallof.ints["fallof"] = {1, 1, 1};
    PointSet noWeight = second();
    noWeight.doubles.erase("weight");
    PointSet nanFallof = second(), infiniteFallof = second(), hugeFallof = second();
    nanFallof.doubles["fallof"][1] = std::numeric_limits<double>::quiet_NaN();
    infiniteFallof.doubles["fallof"][2] = -std::numeric_limits<double>::infinity();
    hugeFallof.doubles["fallof"][0] = 1e300;
    const struct {
        const char* name;
        PointSet a, b;
        std::string error;
    } refusals[] = {
        {"first without ids", noIds, second(), "merge.inPoints1: missing 'pointID' attribute"},
        {"second with double ids", first(), doubleIds,
         "merge.inPoints2: wrong type of 'pointID' attribute"},
        {"empty first", emptyFirst, second(), "merge.inPoints1: Zero length input"},
        {"kinds differ", first(), intWeight,
         "Attribute 'weight' type differs in merge.inPoints1 and merge.inPoints2"},
        {"short array", first(), shortWeight,
         "merge.inPoints2: 'weight' has 1 entries, 'pointID' 3"},
        {"fallof of ints", first(), intFallof, "merge.inPoints2: wrong 'fallof' attribute type"},
        {"missing in the second", first(), noWeight, "merge.inPoints2: missing 'weight' attribute"},
        {"fallof NaN", first(), nanFallof,
         "merge.inPoints2: 'fallof': entry 1 is not a finite float"},
        {"fallof infinite", first(), infiniteFallof,
         "merge.inPoints2: 'fallof': entry 2 is not a finite float"},
        {"fallof beyond floats", first(), hugeFallof,
         "merge.inPoints2: 'fallof': entry 0 is not a finite float"},
    };
    blend({"weight"});
    ASSERT_TRUE(run("setAttr merge.factor 1"));
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        setPoints("merge.inPoints1", first());
        setPoints("merge.inPoints2", second());
        ASSERT_EQ(evaluate("merge.outPoints").doubles.at("weight"), (std::vector<double>{5.0, 2.0, 5.0}));
        mayahost::clearRecordedMessages();
        setPoints("merge.inPoints1", r.a);
        setPoints("merge.inPoints2", r.b);
        MStatus status;
        const PointSet kept = evaluate("merge.outPoints", &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
        EXPECT_EQ(kept.doubles.at("weight"), (std::vector<double>{5.0, 2.0, 5.0}));
    }
}

}  // namespace
