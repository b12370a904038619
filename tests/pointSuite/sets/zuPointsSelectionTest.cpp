// zuPointsSelection through the host: the stages against selections worked out by hand, the two
// outputs adding up to the input array by array, and the refusals that leave both outputs as
// they were.
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "../attributes/attributeTesting.h"

namespace {

using namespace attributeTesting;

// n points with ids 0..n-1 at heights 0.1 i, fallof 0.01 i, normals up and a vector array that
// only passes through.
PointSet column(int n) {
    PointSet set;
    set.ints["pointID"];
    for (int i = 0; i < n; ++i) {
        set.ints["pointID"].push_back(i);
        set.vectors["position"].push_back(MVector(0, 0.1 * i, 0));
        set.vectors["normal"].push_back(MVector(0, 1, 0));
        set.vectors["velocity"].push_back(MVector(i, 0, 0));
        set.doubles["fallof"].push_back(0.01 * i);
    }
    return set;
}

class SelectionTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsSelection -n sel"));
    }
    void setConditions(const std::string& text) {
        ASSERT_TRUE(run("setAttr sel.conditions -type \"string\" \"" + text + "\""));
    }
    void setVariable(int k, const std::string& name, double x, double y, double z) {
        const std::string element = "sel.variables[" + std::to_string(k) + "]";
        ASSERT_TRUE(run("setAttr " + element + ".varName -type \"string\" \"" + name + "\""));
        ASSERT_TRUE(run("setAttr " + element + ".varValue " + std::to_string(x) + " " + std::to_string(y) + " " +
                        std::to_string(z)));
    }
    // The ids that reach outPoints, after checking that both outputs split every input array.
    std::set<int> selectedIds(const PointSet& in) {
        const PointSet selected = evaluate("sel.outPoints");
        const PointSet rest = evaluate("sel.outPointsComplement");
        expectSplit(in, selected, rest);
        const Ints& ids = selected.ints.at("pointID");
        return std::set<int>(ids.begin(), ids.end());
    }
    // Each array of the input is the ordered merge of its two parts by pointID.
    static void expectSplit(const PointSet& in, const PointSet& selected, const PointSet& rest) {
        const Ints& ids = in.ints.at("pointID");
        std::set<int> chosen(selected.ints.at("pointID").begin(), selected.ints.at("pointID").end());
        for (const auto& [name, values] : in.vectors) {
            Vectors a, b;
            for (size_t i = 0; i < values.size(); ++i) (chosen.count(ids[i]) ? a : b).push_back(values[i]);
            EXPECT_EQ(selected.vectors.at(name), a) << name;
            EXPECT_EQ(rest.vectors.at(name), b) << name;
        }
        for (const auto& [name, values] : in.doubles) {
            std::vector<double> a, b;
            for (size_t i = 0; i < values.size(); ++i) (chosen.count(ids[i]) ? a : b).push_back(values[i]);
            EXPECT_EQ(selected.doubles.at(name), a) << name;
            EXPECT_EQ(rest.doubles.at(name), b) << name;
        }
        EXPECT_EQ(selected.ints.at("pointID").size() + rest.ints.at("pointID").size(), ids.size());
    }
};

std::set<int> idsWhere(int n, bool (*keep)(int)) {
    std::set<int> ids;
    for (int i = 0; i < n; ++i)
        if (keep(i)) ids.insert(i);
    return ids;
}

TEST_F(SelectionTest, AllStagesOffGiveTheInputAndAnEmptyComplement) {
    const PointSet in = column(5);
    setPoints("sel.inPoints", in);
    const PointSet selected = evaluate("sel.outPoints");
    const PointSet rest = evaluate("sel.outPointsComplement");
    EXPECT_EQ(selected.vectors, in.vectors);
    EXPECT_EQ(selected.doubles, in.doubles);
    EXPECT_EQ(selected.ints, in.ints);
    for (const std::string& name : selected.order) EXPECT_EQ(rest.order.size(), selected.order.size()) << name;
    EXPECT_TRUE(rest.ints.at("pointID").empty());
    EXPECT_TRUE(rest.vectors.at("position").empty());
    EXPECT_TRUE(rest.doubles.at("fallof").empty());
}

struct ConditionCase {
    const char* conditions;
    bool (*keep)(int);
};

TEST_F(SelectionTest, ConditionsSelectAsWritten) {
    // Heights 0.1 i and fallof 0.01 i for 50 points; lim = (0.5, 2, 0), top = (0, 4.2, 0).
    const ConditionCase cases[] = {
        {"position.y > lim.y, fallof <= 0.25, 17, 42", [](int i) { return (i > 20 && i <= 25) || i == 17 || i == 42; }},
        {"position.y > lim.x, fallof <= 0.25, 17, 42", [](int i) { return (i > 5 && i <= 25) || i == 17 || i == 42; }},
        {"position . y >= 1", [](int i) { return i >= 10; }},
        {"lim.y < position.y", [](int i) { return i > 20; }},
        {"position.y < top.y, lim.y <= position.y", [](int i) { return i >= 20 && i < 42; }},
        {"pointID != 3, pointID < 6", [](int i) { return i < 6 && i != 3; }},
        {"pointID == 7.", [](int i) { return i == 7; }},
        {"fallof > position.y", [](int i) { (void)i; return false; }},
        {",,,", [](int i) { (void)i; return true; }},
        {"7, 7, 3", [](int i) { (void)i; return true; }},
        {"pointID > 100, 7, 7, 3, 99", [](int i) { return i == 7 || i == 3; }},
    };
    const PointSet in = column(50);
    setPoints("sel.inPoints", in);
    setVariable(0, "lim", 0.5, 2, 0);
    setVariable(1, "top", 0, 4.2, 0);
    for (const ConditionCase& c : cases) {
        SCOPED_TRACE(c.conditions);
        setConditions(c.conditions);
        EXPECT_EQ(selectedIds(in), idsWhere(50, c.keep));
        EXPECT_TRUE(errorsShown().empty());
    }
}

TEST_F(SelectionTest, ForcedIdsSurviveTheColourStageButNotTheFacingStage) {
    PointSet in = column(10);
    in.vectors["normal"][5] = MVector(0, -1, 0);
    setPoints("sel.inPoints", in);
    setVectorArray("sel.inColor", Vectors(10, MVector(0, 1, 1)));  // red 0: the draw clears all
    ASSERT_TRUE(run("setAttr sel.useInColor 1"));
    setConditions("3, 5");
    EXPECT_EQ(selectedIds(in), (std::set<int>{3, 5}));
    ASSERT_TRUE(run("setAttr sel.dotProdCondition 1"));
    ASSERT_TRUE(run("setAttr sel.dotProdVector 0 1 0"));
    EXPECT_EQ(selectedIds(in), (std::set<int>{3}));
}

TEST_F(SelectionTest, ColoursOfOneKeepEveryPointAndOfZeroNone) {
    PointSet in = column(2500);
    setPoints("sel.inPoints", in);
    ASSERT_TRUE(run("setAttr sel.useInColor 1"));
    Vectors colors(2500, MVector(1, 0, 0));
    for (int i = 1; i < 2500; i += 2) colors[i] = MVector(0, 1, 1);
    setVectorArray("sel.inColor", colors);
    EXPECT_EQ(selectedIds(in), idsWhere(2500, [](int i) { return i % 2 == 0; }));
    // Half way: points 1,000 apart share their draw, so they fare alike.
    setVectorArray("sel.inColor", Vectors(2500, MVector(0.5, 0, 0)));
    const std::set<int> ids = selectedIds(in);
    EXPECT_GT(ids.size(), 1000u);
    EXPECT_LT(ids.size(), 1500u);
    for (int i = 0; i < 1500; ++i) EXPECT_EQ(ids.count(i), ids.count(i + 1000)) << i;
}

TEST_F(SelectionTest, OnlyTheRedChannelOfTheVertexColoursCounts) {
    // The quad's triangles: 0 uses vertices 0, 1, 2 and 1 uses 0, 2, 3. Vertex 3 has no colour
    // (white).
    setMesh(shapes::quad(), "sel.inMesh");
    const std::vector<MColor> colorsOf[] = {
        {MColor(0, 1, 0, 1), MColor(0, 0, 1, 1), MColor(0, 1, 1, 1), MColor(-1, 0, 0, 1)},
        {MColor(1, 0, 0, 1), MColor(1, 1, 1, 1), MColor(1, 0, 1, 1), MColor(-1, 0, 0, 1)},
    };
    PointSet in = column(40);
    for (int i = 0; i < 40; ++i) {
        in.ints["triID"].push_back(i % 2);
        in.vectors["uv"].push_back(MVector(0, 0, 0));  // on corner 0 of the triangle
    }
    setPoints("sel.inPoints", in);
    ASSERT_TRUE(run("setAttr sel.useVertexColor 1"));
    addColorSet("greenBlue", colorsOf[0]);
    EXPECT_TRUE(selectedIds(in).empty()) << "red 0 at vertex 0 clears every point";
    ASSERT_TRUE(run("polyColorPerVertex -colorSet greenBlue -rgb 0 1 0 -a 1 shape.vtx[0]"));
    in.vectors["uv"].assign(40, MVector(0, 1, 0));  // on corner 2: vertex 2 or 3
    setPoints("sel.inPoints", in);
    EXPECT_EQ(selectedIds(in), idsWhere(40, [](int i) { return i % 2 == 1; }))
        << "vertex 3 without a colour reads as white; vertex 2 has red 0";
    // inColor of one does not change what the vertex colours decide.
    ASSERT_TRUE(run("setAttr sel.useInColor 1"));
    setVectorArray("sel.inColor", Vectors(40, MVector(1, 1, 1)));
    EXPECT_EQ(selectedIds(in), idsWhere(40, [](int i) { return i % 2 == 1; }));
}

TEST_F(SelectionTest, TheFacingRangeIsClampedAndAShortDirectionLeansOnY) {
    PointSet in = column(4);
    in.vectors["normal"] = {MVector(0, 1, 0), MVector(1, 0, 0), MVector(0, -1, 0), MVector(0.6, 0.8, 0)};
    setPoints("sel.inPoints", in);
    ASSERT_TRUE(run("setAttr sel.dotProdCondition 1"));
    EXPECT_EQ(selectedIds(in), (std::set<int>{0, 1, 3})) << "(0, 0, 0) acts as (0, 1, 0); 90 degrees stays";
    ASSERT_TRUE(run("setAttr sel.dotProdVector 0.0005 0 0"));
    EXPECT_EQ(selectedIds(in), (std::set<int>{0, 1, 3}));
    ASSERT_TRUE(run("setAttr sel.dotProdVector 0 1 0"));
    connectValue("sel.dotProdRange", 2.0);
    EXPECT_EQ(selectedIds(in), (std::set<int>{0, 1, 2, 3})) << "2 through a connection is 1";
    connectValue("sel.dotProdRange", -1.0);
    EXPECT_EQ(selectedIds(in), (std::set<int>{0}));
    connectValue("sel.dotProdRange", -0.5);
    EXPECT_EQ(selectedIds(in), (std::set<int>{0, 3}));
}

TEST_F(SelectionTest, AnEmptySetWithConditionsGivesTwoEmptySets) {
    PointSet empty;
    empty.ints["pointID"];
    empty.doubles["fallof"];
    setPoints("sel.inPoints", empty);
    setConditions("fallof > 1, 3");
    const PointSet selected = evaluate("sel.outPoints");
    const PointSet rest = evaluate("sel.outPointsComplement");
    EXPECT_TRUE(selected.ints.at("pointID").empty());
    EXPECT_TRUE(rest.doubles.at("fallof").empty());
    setConditions("fallof.x > 1");
    MStatus status;
    evaluate("sel.outPoints", &status);
    EXPECT_FALSE(status) << "the parse still gives its messages";
}

struct Refusal {
    const char* name;
    std::string command;  // run before the evaluation
    std::string error;
};

TEST_F(SelectionTest, RefusalsLeaveBothOutputsAsTheyWere) {
    const std::string longName(300, 'a');
    const Refusal refusals[] = {
        {"unknown array", "setAttr sel.conditions -type \"string\" \"height > 1\"", "sel.inPoints: 'height'  missing"},
        {"vector without element", "setAttr sel.conditions -type \"string\" \"position>1\"",
         "sel.inPoints: please specify 'position' element (x, y, z)"},
        {"double with element", "setAttr sel.conditions -type \"string\" \"fallof.x>1\"",
         "sel.inPoints: 'fallof' attribute is not a vector"},
        {"variable against a number", "setAttr sel.conditions -type \"string\" \"lim.x>1\"", "sel.inPoints: 'lim'  missing"},
        {"two variables", "setAttr sel.conditions -type \"string\" \"lim.x==lim.y\"", "Useless expression: lim.x==lim.y"},
        {"exponent", "setAttr sel.conditions -type \"string\" \"pointID==1e5\"",
         "zuPointsSelection: Unrecognized token 'pointID==1e5'"},
        {"blank item", "setAttr sel.conditions -type \"string\" \"1, \t ,2\"", "zuPointsSelection: unrecognized token: ' \t '"},
        {"id beyond the int range", "setAttr sel.conditions -type \"string\" \"99999999999\"",
         "zuPointsSelection: Unrecognized token '99999999999'"},
        {"a very long name", "setAttr sel.conditions -type \"string\" \"" + longName + ">1\"",
         "sel.inPoints: '" + longName + "'  missing"},
        {"variable named like an array", "setAttr sel.variables[1].varName -type \"string\" \"fallof\"",
         "sel.inPoints: 'fallof' variable will override inPoints array"},
        {"variable named pointID", "setAttr sel.variables[1].varName -type \"string\" \"pointID\"",
         "Forbidden variable name pointID"},
        {"inColor of another length", "setAttr sel.useInColor 1", "sel.inColor: array lenght differs from inPoints length"},
        {"no normal", "setAttr sel.dotProdCondition 1",
         "sel.inPoints: Input array does not contain 'normal' attr. information, cannot check dotProd condition"},
        {"vertex colours without a mesh", "setAttr sel.useVertexColor 1", "sel.inMesh: please supply inMesh"},
    };
    PointSet in = column(4);
    in.vectors.erase("normal");
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        mayahost::Scene::current().reset();
        ASSERT_TRUE(run("createNode zuPointsSelection -n sel"));
        setPoints("sel.inPoints", in);
        setVariable(0, "lim", 0.5, 2, 0);
        setVectorArray("sel.inColor", Vectors(3, MVector(1, 1, 1)));
        setConditions("pointID > 1");
        EXPECT_EQ(evaluate("sel.outPoints").ints.at("pointID").size(), 2u);
        EXPECT_EQ(evaluate("sel.outPointsComplement").ints.at("pointID").size(), 2u);
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run(r.command));
        MStatus status;
        const PointSet kept = evaluate("sel.outPoints", &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{r.error});
        EXPECT_EQ(kept.ints.at("pointID"), (Ints{2, 3}));
        EXPECT_EQ(evaluate("sel.outPointsComplement", &status).ints.at("pointID"), (Ints{0, 1}));
    }
}

TEST_F(SelectionTest, RefusesPointSetsThatDoNotFitTheMesh) {
    setMesh(shapes::quad(), "sel.inMesh");
    ASSERT_TRUE(run("setAttr sel.useVertexColor 1"));
    struct Case {
        const char* name;
        Ints triID;
        int uvCount;
        std::string error;
    } cases[] = {
        {"triID at the triangle count", {0, 2}, 2, "zuPointsSelection: triID out of range, propably wrong inMesh input"},
        {"negative triID", {-1, 0}, 2, "zuPointsSelection: triID out of range, propably wrong inMesh input"},
        {"short uv", {0, 1}, 1, "sel.inPoints: 'uv' has 1 entries, 'pointID' 2"},
        {"short triID", {0}, 2, "sel.inPoints: 'triID' has 1 entries, 'pointID' 2"},
        {"no uv", {0, 1}, -1, "zuPointsSelection: Points UV missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PointSet in = column(2);
        in.ints["triID"] = c.triID;
        if (c.uvCount >= 0) in.vectors["uv"] = Vectors(c.uvCount, MVector(0.2, 0.2, 0));
        mayahost::clearRecordedMessages();
        setPoints("sel.inPoints", in);
        MStatus status;
        evaluate("sel.outPoints", &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{c.error});
    }
    PointSet in = column(2);
    in.vectors["uv"] = Vectors(2, MVector(0.2, 0.2, 0));
    in.doubles["triID"] = {0, 1};
    mayahost::clearRecordedMessages();
    setPoints("sel.inPoints", in);
    MStatus status;
    evaluate("sel.outPoints", &status);
    EXPECT_EQ(errorsShown(), std::vector<std::string>{"zuPointsSelection: invalid array type 'triID'"});
}

TEST_F(SelectionTest, RefusesAnArrayOfAnotherLengthThanPointID) {
    PointSet in = column(3);
    in.vectors["velocity"].push_back(MVector(9, 9, 9));
    setPoints("sel.inPoints", in);
    MStatus status;
    evaluate("sel.outPoints", &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errorsShown(), std::vector<std::string>{"sel.inPoints: 'velocity' has 4 entries, 'pointID' 3"});
}

TEST_F(SelectionTest, ValuesThatAreNotFiniteThroughConnectionsAreRefused) {
    for (double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        for (const char* plug : {"sel.dotProdRange", "sel.dotProdVectorX"}) {
            SCOPED_TRACE(std::string(plug) + " " + std::to_string(value));
            mayahost::Scene::current().reset();
            ASSERT_TRUE(run("createNode zuPointsSelection -n sel; setAttr sel.dotProdCondition 1"));
            setPoints("sel.inPoints", column(3));
            connectValue(plug, value);
            mayahost::clearRecordedMessages();
            MStatus status;
            evaluate("sel.outPoints", &status);
            EXPECT_FALSE(status);
            ASSERT_EQ(errorsShown().size(), 1u);
            EXPECT_EQ(errorsShown()[0].rfind("sel.dotProd", 0), 0u) << errorsShown()[0];
        }
    }
}

}  // namespace
