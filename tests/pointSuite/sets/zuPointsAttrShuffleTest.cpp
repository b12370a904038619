// zuPointsAttrShuffle through the host: renames of each kind, to and from "pointID", a target
// that already exists with the same or another kind, and the refusals.
#include <string>
#include <vector>

#include "../attributes/attributeTesting.h"

namespace {

using namespace attributeTesting;

class ShuffleTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsAttrShuffle -n shuffle"));
        setPoints("shuffle.inPoints", points());
    }
    void rename(const std::string& from, const std::string& to) {
        ASSERT_TRUE(run("setAttr shuffle.attrFrom -type \"string\" \"" + from + "\""));
        ASSERT_TRUE(run("setAttr shuffle.attrTo -type \"string\" \"" + to + "\""));
    }
    static PointSet points() {
        PointSet set;
        set.ints = {{"pointID", {0, 1}}, {"objectIndex", {4, 5}}};
        set.doubles = {{"fallof", {-1.7, 2.9}}, {"weight", {0.5, 0.25}}};
        set.vectors = {{"aimDirection", {{1, 0, 0}, {0, 1, 0}}}, {"scale", {{-3.5, 1, 1}, {7.9, 1, 1}}},
                       {"aimPosition", {{5, 5, 5}, {6, 6, 6}}}};
        return set;
    }
};

TEST_F(ShuffleTest, RenamesOneArrayAndPassesTheOthers) {
    const PointSet in = points();
    rename("aimDirection", "aimPosition");
    PointSet out = evaluate("shuffle.outPoints");
    EXPECT_EQ(out.vectors.at("aimPosition"), in.vectors.at("aimDirection")) << "the old values are replaced";
    EXPECT_EQ(out.vectors.count("aimDirection"), 0u);
    EXPECT_EQ(out.ints, in.ints);
    EXPECT_EQ(out.doubles, in.doubles);

    rename("weight", "weight");
    out = evaluate("shuffle.outPoints");
    EXPECT_EQ(out.doubles, in.doubles);
    EXPECT_EQ(out.vectors, in.vectors);

    rename("objectIndex", "fallof");  // a target of another kind is replaced
    out = evaluate("shuffle.outPoints");
    EXPECT_EQ(out.ints.at("fallof"), (Ints{4, 5}));
    EXPECT_EQ(out.doubles.count("fallof"), 0u);
    EXPECT_EQ(out.ints.count("objectIndex"), 0u);
}

TEST_F(ShuffleTest, ToPointIdTruncatesTowardZero) {
    const struct {
        const char* from;
        Ints ids;
    } cases[] = {{"fallof", {-1, 2}}, {"scale", {-3, 7}}, {"objectIndex", {4, 5}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        rename(c.from, "pointID");
        const PointSet out = evaluate("shuffle.outPoints");
        EXPECT_EQ(out.ints.at("pointID"), c.ids);
        EXPECT_EQ(out.doubles.count(c.from) + out.vectors.count(c.from) + out.ints.count(c.from), 0u);
    }
    rename("pointID", "id");
    const PointSet out = evaluate("shuffle.outPoints");
    EXPECT_EQ(out.ints.at("id"), (Ints{0, 1}));
    EXPECT_EQ(out.ints.count("pointID"), 0u);
}

TEST_F(ShuffleTest, RefusalsLeaveTheOutputAsItWas) {
    rename("weight", "w");
    ASSERT_EQ(evaluate("shuffle.outPoints").doubles.count("w"), 1u);
    const struct {
        const char *from, *to;
        std::string error;
    } refusals[] = {
        {"", "w", "shuffle.attrFrom: please specify source attribute name."},
        {"weight", "", "shuffle.attrTo: please specify destination attribute name."},
        {"velocity", "w", "shuffle.inPoints: Input array does not contain 'velocity' attribute."},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.error);
        mayahost::clearRecordedMessages();
        rename(r.from, r.to);
        MStatus status;
        const PointSet kept = evaluate("shuffle.outPoints", &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
        EXPECT_EQ(kept.doubles.count("w"), 1u);
    }
}

}  // namespace
