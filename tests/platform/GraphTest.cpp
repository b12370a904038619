// The dependency graph as a plug-in sees it: attributes, dirty propagation, computes,
// connections, arrays and compounds, point-set data, the built-in nodes and plug-in loading.
// Most cases drive the "testAdder" node of tests/plugins/graphTestPlugin.cpp.
#include <gtest/gtest.h>
#include <maya/MDagPath.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>
#include <mayahost/ComputeCount.h>
#include <mayahost/Messages.h>
#include <mayahost/Plugins.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graph/Scene.h"
#include "plugins/Plugins.h"
#include "sceneTesting.h"

using mayahost::Message;
using mayahost::Scene;

namespace {

using sceneTesting::plugOf;
using sceneTesting::run;

// The value getAttr gives, as numbers (one for a scalar).
std::vector<double> values(const std::string& plug) {
    MDoubleArray result;
    MStatus status = MGlobal::executeCommand(("getAttr " + plug).c_str(), result);
    EXPECT_TRUE(status) << "getAttr " << plug << ": " << status.errorString();
    std::vector<double> out;
    for (unsigned i = 0; i < result.length(); ++i) out.push_back(result[i]);
    return out;
}

double value(const std::string& plug) {
    std::vector<double> v = values(plug);
    EXPECT_EQ(v.size(), 1u) << plug;
    return v.empty() ? 0.0 : v[0];
}

std::string text(const std::string& plug) {
    MString result;
    EXPECT_TRUE(MGlobal::executeCommand(("getAttr " + plug).c_str(), result)) << plug;
    return result.asChar();
}

MObject nodeOf(const std::string& name) {
    MSelectionList list;
    MObject node;
    EXPECT_TRUE(list.add(name.c_str())) << name;
    EXPECT_TRUE(list.getDependNode(0, node)) << name;
    return node;
}

// Whether the graph holds node.attribute as needing evaluation, without evaluating it.
bool isDirty(const std::string& node, const std::string& attribute) {
    mayahost::Node* n = Scene::current().findNode(node);
    const mayahost::Attribute* a = n ? n->type->findAttribute(attribute) : nullptr;
    EXPECT_TRUE(a) << node << "." << attribute;
    return a && Scene::current().isDirty(*n, a);
}

int computes(const std::string& node) { return int(value(node + ".computes")); }

bool errorContains(const std::string& part) {
    for (const Message& m : mayahost::recordedMessages())
        if (m.kind == Message::kError && m.text.find(part) != std::string::npos) return true;
    return false;
}

class GraphTest : public sceneTesting::SceneTest {
protected:
    void SetUp() override {
        sceneTesting::addTestPluginSearchPath();
        SceneTest::SetUp();
    }
};

// With graphTestPlugin loaded and testAdder nodes "a" and "b".
class AdderTest : public GraphTest {
protected:
    void SetUp() override {
        GraphTest::SetUp();
        ASSERT_TRUE(run("loadPlugin graphTestPlugin"));
        ASSERT_TRUE(run("createNode testAdder -n a; createNode testAdder -n b"));
        mayahost::clearRecordedMessages();
    }
};

// ---- attributes

TEST_F(AdderTest, NewNodesHoldTheDefaults) {
    struct Case {
        const char* plug;
        std::vector<double> expected;
    } cases[] = {
        {"a.input1", {1.5}}, {"a.input2", {2}}, {"a.offset", {0, 0, 0}}, {"a.mode", {0}},
        {"a.count", {3}},    {"a.gain", {1}},   {"a.settings.bias", {0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(values(c.plug), c.expected) << c.plug;
    EXPECT_EQ(text("a.label"), "none");
    EXPECT_EQ(plugOf("a.label").asString(), "none");
}

TEST_F(AdderTest, LimitsClampWhatSetAttrAndSetValueStore) {
    struct Case {
        const char* command;
        const char* plug;
        std::vector<double> expected;
    } cases[] = {
        {"setAttr a.input1 50", "a.input1", {10}},
        {"setAttr a.input1 -50", "a.input1", {-10}},
        {"setAttr a.input1 4.25", "a.input1", {4.25}},
        {"setAttr a.count -4", "a.count", {0}},
        {"setAttr a.offset 5 5 5", "a.offset", {1, 2, 3}},
        {"setAttr a.offset -5 -5 -5", "a.offset", {-1, -2, -3}},
        {"setAttr a.offset 0 0 0; setAttr a.offsetY 9", "a.offset", {0, 2, 0}},
        {"setAttr a.offsetZ -9", "a.offsetZ", {-3}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(run(c.command)) << c.command;
        EXPECT_EQ(values(c.plug), c.expected) << c.command;
    }

    MPlug input1 = plugOf("a.input1");
    EXPECT_TRUE(input1.setValue(99.0));
    EXPECT_EQ(input1.asDouble(), 10.0);
    MPlug offsetZ = plugOf("a.offset").child(2);
    EXPECT_TRUE(offsetZ.setValue(-7.0f));
    EXPECT_EQ(offsetZ.asFloat(), -3.0f);
    EXPECT_EQ(values("a.offset"), (std::vector<double>{0, 2, -3}));
}

// A refused setAttr says why in one message led once by the command; the plug keeps its value.
TEST_F(AdderTest, ARefusedSetAttrSaysWhyOnceAndKeepsTheValue) {
    ASSERT_TRUE(run("connectAttr b.sum a.input1"));
    struct Case {
        const char* command;
        const char* plug;
        std::string says;
    } cases[] = {
        {"setAttr a.input2 2147483648", "a.input2", "'2147483648' is out of the range of 'a.input2'"},
        {"setAttr a.input2 -2147483649", "a.input2", "'-2147483649' is out of the range of 'a.input2'"},
        {"setAttr a.count 1e300", "a.count", "'1e300' is out of the range of 'a.count'"},
        {"setAttr a.mode 40000", "a.mode", "'40000' is out of the range of 'a.mode'"},
        {"setAttr a.offset 1 abc 3", "a.offset", "'abc' is not a valid value for 'a.offset'"},
        {"setAttr a.offset 1 2", "a.offset", "'a.offset' takes 3 value(s), 2 given"},
        {"setAttr a.weights 1", "a.input2", "'a.weights' is an array: give an element index"},
        {"setAttr a.input1 0", "a.input1", "The attribute 'a.input1' is connected and cannot be set"},
    };
    for (const Case& c : cases) {
        const std::vector<double> before = values(c.plug);
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run(c.command)) << c.command;
        int shown = 0;
        for (const Message& m : mayahost::recordedMessages()) {
            if (m.kind != Message::kError || m.text.find("setAttr: ") == std::string::npos) continue;
            ++shown;
            EXPECT_EQ(m.text, "setAttr: " + c.says) << c.command;
        }
        EXPECT_EQ(shown, 1) << c.command;
        EXPECT_EQ(values(c.plug), before) << c.command;
    }
    ASSERT_TRUE(run("setAttr a.input2 -2147483648; setAttr a.count 2147483647"));
    EXPECT_EQ(value("a.input2"), -2147483648.0);
    EXPECT_EQ(value("a.count"), 2147483647.0);
}

// A number beyond an int arriving through a connection is read as the nearest int, with an error.
TEST_F(AdderTest, AnIntInputBeyondItsRangeReadsAsTheNearestIntAndSaysSo) {
    ASSERT_TRUE(run("setAttr b.weights[0] 3e9; connectAttr b.sum a.input2"));
    EXPECT_EQ(value("a.sum"), 1.5 + 2147483647.0);
    EXPECT_TRUE(errorContains("'input2' holds 3000000003.5, which its integer type cannot hold"));
}

// A number that reaches a whole-number plug through a connection reads alike in getAttr, in every
// plug read and in a compute: its whole part held within the plug's type, any number but 0 as
// true, NaN as 0. The plug passes that value on through a further connection. Only a number the
// plug's type cannot hold is shown as an error: a boolean holds any number.
TEST_F(GraphTest, AConnectedNumberReadsAlikeInGetAttrPlugReadsAndCompute) {
    ASSERT_TRUE(
        run("loadPlugin graphTestPlugin; createNode testAdder -n adder; createNode testWhole -n w; "
            "createNode testWhole -n next; setAttr adder.input1 0; setAttr adder.input2 0"));
    for (const char* plug : {"w.int", "w.short", "w.enum", "w.bool"})
        ASSERT_TRUE(run(std::string("connectAttr adder.sum ") + plug)) << plug;
    ASSERT_TRUE(
        run("connectAttr w.int next.double; connectAttr w.enum next.int; "
            "connectAttr w.bool next.short"));
    const std::string weight = "setAttr \"adder.w[0]\" ";
    const std::string inf = sceneTesting::kAdderHuge, nan = sceneTesting::kAdderNan;
    struct Case {
        std::string sum;  // makes adder.sum
        double asInt, asShort, asBool;
    } cases[] = {
        {weight + "3e9", 2147483647, 32767, 1},
        {weight + "-3e9", -2147483648.0, -32768, 1},
        {weight + "1e30", 2147483647, 32767, 1},
        {weight + "70000.9", 70000, 32767, 1},
        {weight + "-2.75", -2, -2, 1},
        {weight + "0.5", 0, 0, 1},
        {weight + "2", 2, 2, 1},
        {weight + "0", 0, 0, 0},
        {inf, 2147483647, 32767, 1},
        {nan, 0, 0, 0},
    };
    for (const Case& c : cases) {
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run(c.sum)) << c.sum;
        const struct {
            std::string plug;
            double expected;
        } reads[] = {{"w.int", c.asInt},      {"w.short", c.asShort},   {"w.enum", c.asShort},
                     {"w.bool", c.asBool},    {"next.double", c.asInt}, {"next.int", c.asShort},
                     {"next.short", c.asBool}};
        for (const auto& [plug, expected] : reads) {
            MPlug read = plugOf(plug);
            EXPECT_EQ(value(plug), expected) << c.sum << " -> getAttr " << plug;
            EXPECT_EQ(read.asDouble(), expected) << c.sum << " -> asDouble " << plug;
            EXPECT_EQ(read.asInt(), expected) << c.sum << " -> asInt " << plug;
            EXPECT_EQ(read.asShort(), std::clamp(expected, -32768.0, 32767.0))
                << c.sum << " -> asShort " << plug;
            EXPECT_EQ(read.asBool(), expected != 0) << c.sum << " -> asBool " << plug;
            EXPECT_EQ(value(plug + "Read"), expected) << c.sum << " -> compute " << plug;
        }
        const struct {
            const char* output;
            double expected;
        } otherReads[] = {{"w.intAsDouble", c.asInt},     {"w.shortAsDouble", c.asShort},
                          {"w.enumAsDouble", c.asShort},  {"w.boolAsDouble", c.asBool},
                          {"w.boolAsInt", c.asBool},      {"w.intAsFloat", float(c.asInt)},
                          {"next.intAsDouble", c.asShort}};
        for (const auto& [output, expected] : otherReads)
            EXPECT_EQ(value(output), expected) << c.sum << " -> compute " << output;
        EXPECT_FALSE(errorContains("'bool' holds")) << c.sum;
    }
}

// A handle on one component of a numeric compound holds that one number: reads of two or three
// numbers see it followed by zeros, never what lies past the store.
TEST(DataHandleTest, AComponentHandleReadsItsOneNumberThenZeros) {
    mayahost::Slot slot;
    for (int i = 0; i < 4; ++i) slot.number[i] = i + 1;
    const MDataHandle third(&slot, nullptr, 2);
    EXPECT_EQ(third.asDouble(), 3.0);
    const MDouble3& d3 = third.asDouble3();
    EXPECT_EQ((std::vector<double>{d3[0], d3[1], d3[2]}), (std::vector<double>{3, 0, 0}));
    const MDouble2& d2 = third.asDouble2();
    EXPECT_EQ((std::vector<double>{d2[0], d2[1]}), (std::vector<double>{3, 0}));
    EXPECT_EQ(third.asVector(), MVector(3, 0, 0));
    const int* i3 = third.asInt3();
    EXPECT_EQ((std::vector<int>{i3[0], i3[1], i3[2]}), (std::vector<int>{3, 0, 0}));
    third.asDouble() = 7;
    EXPECT_EQ(slot.number[2], 7.0) << "a write through asDouble reaches the store";
    EXPECT_EQ(slot.number[3], 4.0);
}

TEST_F(AdderTest, FlagsAreKeptAndGovernConnections) {
    struct Flags {
        const char* name;
        bool readable, writable, storable, keyable, hidden, array, connectable;
    } table[] = {
        {"input1", true, true, true, true, false, false, true},
        {"fail", false, true, false, false, true, false, true},
        {"count", true, true, true, false, false, false, false},
        {"weights", true, true, true, false, false, true, true},
        {"sum", true, false, false, false, false, false, true},
        {"computes", true, false, false, false, true, false, true},
    };
    MFnDependencyNode node(nodeOf("a"));
    for (const Flags& f : table) {
        MStatus status;
        MFnAttribute attribute(node.attribute(f.name), &status);
        ASSERT_TRUE(status) << f.name;
        EXPECT_EQ(attribute.isReadable(), f.readable) << f.name;
        EXPECT_EQ(attribute.isWritable(), f.writable) << f.name;
        EXPECT_EQ(attribute.isStorable(), f.storable) << f.name;
        EXPECT_EQ(attribute.isKeyable(), f.keyable) << f.name;
        EXPECT_EQ(attribute.isHidden(), f.hidden) << f.name;
        EXPECT_EQ(attribute.isArray(), f.array) << f.name;
        EXPECT_EQ(attribute.isConnectable(), f.connectable) << f.name;
    }

    struct Connection {
        const char* source;
        const char* destination;
        bool allowed;
    } connections[] = {
        {"a.sum", "b.input1", true},
        {"a.fail", "b.input2", false},      // source not readable
        {"a.sum", "b.count", false},        // not connectable
        {"a.input1", "b.sum", false},       // destination not writable
        {"a.sum", "b.weights", false},      // an array needs an element
        {"a.sum", "b.weights[4]", true},
        {"a.labelOut", "b.input2", false},  // a string into a number
        {"a.labelOut", "b.label", true},
    };
    for (const Connection& c : connections) {
        MStatus status = run(std::string("connectAttr ") + c.source + " " + c.destination);
        EXPECT_EQ(bool(status), c.allowed) << c.source << " -> " << c.destination;
    }
    EXPECT_FALSE(run("setAttr a.weights 1"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "setAttr: 'a.weights' is an array: give an element index"));
}

// An output, or a child of a compound declared not writable, takes no value from a command.
TEST_F(AdderTest, CommandsSetNoAttributeDeclaredNotWritable) {
    sceneTesting::ScratchDir dir;
    const std::string file = dir / "points.ply";
    ASSERT_TRUE(run("polyCube -n box; exportPoints a.points \"" + file + "\""));
    struct Case {
        std::string command;
        const char* plug;
    } cases[] = {
        {"setAttr a.sum 5", "a.sum"},
        {"setAttr boxShape.boundingBoxMinX 4", "boxShape.boundingBoxMinX"},
        {"importPoints \"" + file + "\" a.points", "a.points"},
    };
    for (const Case& c : cases) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run(c.command)) << c.command;
        const std::string command = c.command.substr(0, c.command.find(' '));
        EXPECT_TRUE(mayahost::hasMessage(
            Message::kError,
            command + ": The attribute '" + c.plug + "' is not writable and cannot be set"))
            << c.command;
    }
    EXPECT_EQ(value("a.sum"), 3.5);
    EXPECT_EQ(value("boxShape.boundingBoxMinX"), -0.5);
}

// ---- dirty propagation and computes

TEST_F(AdderTest, AttributeAffectsDecidesWhatAChangeDirties) {
    // Read every output once so that all start clean.
    for (const char* plug : {"a.sum", "a.labelOut", "a.scaled", "a.points"}) ASSERT_TRUE(run(std::string("getAttr ") + plug));
    struct Case {
        const char* command;
        bool sum, labelOut, scaled, points;
    } cases[] = {
        {"setAttr a.input1 3", true, false, false, true},
        {"setAttr a.mode 1", true, true, false, false},
        {"setAttr a.label -type \"string\" x", false, true, false, false},
        {"setAttr a.count 5", false, false, false, true},
        {"setAttr a.weights[2] 1", true, false, true, false},
        {"setAttr a.gain 2", true, false, true, false},  // a child of settings
        {"setAttr a.biasY 1", true, false, true, false},  // a grandchild of settings
        {"setAttr a.offsetX 0.5", true, false, false, true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(run(c.command)) << c.command;
        EXPECT_EQ(isDirty("a", "sum"), c.sum) << c.command;
        EXPECT_EQ(isDirty("a", "labelOut"), c.labelOut) << c.command;
        EXPECT_EQ(isDirty("a", "scaled"), c.scaled) << c.command;
        EXPECT_EQ(isDirty("a", "points"), c.points) << c.command;
        for (const char* plug : {"a.sum", "a.labelOut", "a.scaled[2]", "a.points"})
            ASSERT_TRUE(run(std::string("getAttr ") + plug));
    }
    EXPECT_DOUBLE_EQ(value("a.sum"), ((3.0 * 2 + 0.5) + 1) * 2 + 1);
    EXPECT_EQ(text("a.labelOut"), "[x]*");
    EXPECT_EQ(value("a.scaled[2]"), 2.0);
}

TEST_F(AdderTest, ComputeRunsOncePerPullAndOnlyWhenDirty) {
    // "computes" is never computed (kUnknownParameter): it reads back what the sum's compute stored.
    EXPECT_EQ(computes("a"), 0);
    EXPECT_EQ(value("a.sum"), 3.5);
    EXPECT_EQ(computes("a"), 1);
    EXPECT_EQ(value("a.sum"), 3.5);
    EXPECT_EQ(plugOf("a.sum").asDouble(), 3.5);
    EXPECT_EQ(computes("a"), 1) << "a clean output is not computed again";

    ASSERT_TRUE(run("setAttr a.input1 2; setAttr a.input2 5; setAttr a.count 9"));
    EXPECT_EQ(computes("a"), 1) << "setting inputs computes nothing";
    EXPECT_EQ(value("a.sum"), 7.0);
    EXPECT_EQ(computes("a"), 2) << "several changes, one compute";
    ASSERT_TRUE(run("getAttr a.points; getAttr a.labelOut"));
    EXPECT_EQ(computes("a"), 2) << "other outputs do not compute the sum";
}

TEST_F(AdderTest, ChangesTravelDownAChainOfConnections) {
    ASSERT_TRUE(run("createNode testAdder -n c; connectAttr a.sum b.input1; connectAttr b.sum c.input1"));
    EXPECT_EQ(value("c.sum"), 3.5 + 2 + 2);
    EXPECT_EQ(computes("a"), 1);
    EXPECT_EQ(computes("b"), 1);
    EXPECT_EQ(computes("c"), 1);

    ASSERT_TRUE(run("setAttr a.input2 4"));
    const std::vector<std::pair<const char*, const char*>> downstream = {
        {"a", "sum"}, {"b", "input1"}, {"b", "sum"}, {"c", "input1"}, {"c", "sum"}};
    for (auto [node, attribute] : downstream) EXPECT_TRUE(isDirty(node, attribute)) << node << "." << attribute;
    EXPECT_EQ(value("c.sum"), 5.5 + 2 + 2);
    EXPECT_EQ(computes("a"), 2);
    EXPECT_EQ(computes("b"), 2);
    EXPECT_EQ(computes("c"), 2);

    ASSERT_TRUE(run("setAttr c.input2 10"));
    EXPECT_FALSE(isDirty("b", "sum")) << "nothing flows upstream";
    EXPECT_EQ(value("c.sum"), 7.5 + 10);
    EXPECT_EQ(computes("a"), 2);
    EXPECT_EQ(computes("b"), 2);
    EXPECT_EQ(computes("c"), 3);

    EXPECT_FALSE(run("setAttr c.input1 0"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError,
                                     "setAttr: The attribute 'c.input1' is connected and cannot be set"));
    ASSERT_TRUE(run("disconnectAttr b.sum c.input1"));
    EXPECT_EQ(value("c.input1"), 7.5) << "the input keeps the last value that came through";
    ASSERT_TRUE(run("setAttr a.input2 0; setAttr c.input1 1"));
    EXPECT_EQ(value("c.sum"), 11.0);
}

// The cut keeps the value current at that moment, even one that no read has pulled yet.
TEST_F(AdderTest, ADisconnectedInputKeepsTheSourcesValueAtTheCut) {
    ASSERT_TRUE(run("connectAttr a.sum b.input1"));
    EXPECT_EQ(value("b.sum"), 3.5 + 2);
    ASSERT_TRUE(run("setAttr a.input2 4; disconnectAttr a.sum b.input1"));
    EXPECT_EQ(value("b.input1"), 5.5);
    EXPECT_EQ(value("b.sum"), 5.5 + 2);
    ASSERT_TRUE(run("setAttr a.input2 6"));
    EXPECT_EQ(value("b.input1"), 5.5) << "nothing comes through after the cut";
}

// A second connection into an input is refused with the connection it would replace, unless
// forced; the same connection twice is refused too.
TEST_F(AdderTest, ASecondConnectionIntoAnInputIsRefusedUnlessForced) {
    ASSERT_TRUE(run("createNode testAdder -n c; setAttr c.input2 7; connectAttr a.sum b.input1"));
    const struct {
        const char* command;
        const char* says;
    } refusals[] = {
        {"connectAttr c.sum b.input1",
         "connectAttr: 'b.input1' already has an incoming connection from 'a.sum'"},
        {"connectAttr a.sum b.input1", "connectAttr: 'a.sum' is already connected to 'b.input1'"},
    };
    for (const auto& r : refusals) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run(r.command)) << r.command;
        EXPECT_TRUE(mayahost::hasMessage(Message::kError, r.says)) << r.command;
    }
    EXPECT_EQ(value("b.input1"), 3.5) << "the first connection stays";
    ASSERT_TRUE(run("connectAttr -f c.sum b.input1"));
    EXPECT_EQ(value("b.input1"), 1.5 + 7);
}

TEST_F(AdderTest, AFailingComputeKeepsThePreviousOutput) {
    MPlug sum = plugOf("a.sum");
    EXPECT_EQ(sum.asDouble(), 3.5);
    ASSERT_TRUE(run("setAttr a.input1 5; setAttr a.fail on"));

    double got = 0;
    MStatus status = sum.getValue(got);
    EXPECT_FALSE(status);
    EXPECT_EQ(got, 3.5) << "not what the failed compute wrote";
    EXPECT_FALSE(run("getAttr a.sum"));
    EXPECT_TRUE(errorContains("a.sum")) << "the failure names the plug";
    EXPECT_EQ(computes("a"), 3) << "a failed output stays dirty and is tried again on each pull";

    ASSERT_TRUE(run("setAttr a.fail off"));
    EXPECT_EQ(value("a.sum"), 7.0);
    EXPECT_TRUE(sum.getValue(got));
    EXPECT_EQ(got, 7.0);
}

TEST_F(AdderTest, ADownstreamNodeCatchesUpOnceAFailedComputeSucceeds) {
    ASSERT_TRUE(run("connectAttr a.sum b.input1"));
    EXPECT_EQ(value("b.sum"), 3.5 + 2);
    ASSERT_TRUE(run("setAttr a.input1 5; setAttr a.fail on"));
    EXPECT_FALSE(run("getAttr b.input1"));
    EXPECT_EQ(value("b.sum"), 3.5 + 2) << "made from the value a.sum kept";
    ASSERT_TRUE(run("setAttr a.fail off"));
    EXPECT_EQ(value("b.sum"), 7 + 2.0);
}

TEST_F(GraphTest, ANodeThatForgetsSetCleanIsComputedAgainOnEveryRead) {
    ASSERT_TRUE(run("loadPlugin graphTestPlugin; createNode testEcho -n e; setAttr e.value 4"));
    MPlug kept = plugOf("e.kept"), forgotten = plugOf("e.forgotten");
    for (unsigned read = 1; read <= 3; ++read) {
        EXPECT_EQ(value("e.kept"), 4.0);
        EXPECT_EQ(value("e.forgotten"), 4.0);
        EXPECT_EQ(mayahost::computeCount(kept), 1u) << "read " << read;
        EXPECT_EQ(mayahost::computeCount(forgotten), read) << "read " << read;
    }
    ASSERT_TRUE(run("setAttr e.value 5"));
    EXPECT_EQ(value("e.kept"), 5.0);
    EXPECT_EQ(mayahost::computeCount(kept), 2u);

    // What is made from a plug left dirty is not current either, and follows its changes.
    ASSERT_TRUE(run("createNode testEcho -n f; connectAttr e.forgotten f.value"));
    MPlug downstream = plugOf("f.kept");
    EXPECT_EQ(value("f.kept"), 5.0);
    EXPECT_EQ(value("f.kept"), 5.0);
    EXPECT_EQ(mayahost::computeCount(downstream), 2u);
    ASSERT_TRUE(run("setAttr e.value 6"));
    EXPECT_EQ(value("f.kept"), 6.0);
}

// ---- long chains and cycles

// Names of testAdder nodes n0..n(count-1), each one's sum feeding the next one's input1.
void buildAdderChain(int count) {
    ASSERT_TRUE(run("createNode testAdder -n n0"));
    for (int i = 1; i < count; ++i) {
        std::string node = "n" + std::to_string(i);
        ASSERT_TRUE(run("createNode testAdder -n " + node + "; connectAttr n" + std::to_string(i - 1) + ".sum " + node +
                        ".input1"));
    }
}

TEST_F(AdderTest, AChainOfFiftyThousandNodesEvaluatesToItsEnd) {
    const int count = 50000;
    buildAdderChain(count);
    const std::string last = "n" + std::to_string(count - 1);
    EXPECT_EQ(value(last + ".sum"), 3.5 + 2.0 * (count - 1));
    for (const std::string& node : {std::string("n0"), std::string("n25000"), last})
        EXPECT_EQ(mayahost::computeCount(plugOf(node + ".sum")), 1u) << node;

    ASSERT_TRUE(run("setAttr n0.input2 3"));
    EXPECT_TRUE(isDirty(last, "sum"));
    EXPECT_EQ(value(last + ".sum"), 4.5 + 2.0 * (count - 1));
    EXPECT_EQ(value("n25000.sum"), 4.5 + 2.0 * 25000);
    EXPECT_EQ(mayahost::computeCount(plugOf(last + ".sum")), 2u);
}

TEST_F(GraphTest, AHierarchyFiftyThousandDeepHasItsWorldMatrixAndIsDeleted) {
    const int depth = 50000;
    ASSERT_TRUE(run("createNode transform -n level0; setAttr level0.translateX 1"));
    for (int i = 1; i < depth; ++i)
        ASSERT_TRUE(run("createNode transform -n level" + std::to_string(i) + " -p level" + std::to_string(i - 1) +
                        "; setAttr level" + std::to_string(i) + ".translateX 1"));
    const std::string bottom = "level" + std::to_string(depth - 1);
    EXPECT_EQ(values(bottom + ".worldMatrix[0]")[12], double(depth));
    ASSERT_TRUE(run("setAttr level0.translateX 2"));
    EXPECT_EQ(values(bottom + ".worldMatrix[0]")[12], depth + 1.0);
    ASSERT_TRUE(run("delete level0"));
    EXPECT_EQ(Scene::current().findNode(bottom), nullptr);
}

TEST_F(AdderTest, AConnectionThatClosesACycleIsMadeWithAWarning) {
    auto warning = [](const std::string& source, const std::string& destination) {
        return "connectAttr: connecting '" + source + "' to '" + destination +
               "' closes a cycle; the plugs of the cycle may not evaluate as expected";
    };
    struct Case {
        const char* commands;
        std::string warning;  // empty: none
    } cases[] = {
        {"connectAttr a.sum a.input1", warning("a.sum", "a.input1")},
        {"connectAttr a.sum b.input1; connectAttr b.sum a.weights[3]", warning("b.sum", "a.weights[3]")},
        {"connectAttr a.scaled[0] b.weights[0]; connectAttr b.scaled[1] a.weights[5]",
         warning("b.scaled[1]", "a.weights[5]")},
        {"connectAttr a.sum b.input1; connectAttr a.labelOut b.label", ""},
        {"connectAttr a.sum b.input1; connectAttr b.labelOut a.label", ""},  // labelOut is not made from input1
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(run("delete a b; createNode testAdder -n a; createNode testAdder -n b"));
        mayahost::clearRecordedMessages();
        EXPECT_TRUE(run(c.commands)) << c.commands;
        const auto& messages = mayahost::recordedMessages();
        if (c.warning.empty()) {
            EXPECT_TRUE(messages.empty()) << c.commands << ": " << (messages.empty() ? "" : messages[0].text);
        } else {
            ASSERT_EQ(messages.size(), 1u) << c.commands;
            EXPECT_EQ(messages[0].kind, Message::kWarning);
            EXPECT_EQ(messages[0].text, c.warning);
        }
    }
}

// Past the depth at which a chain is evaluated from its far end, a plug that stays dirty is
// still computed once per read, not once per reader: a long chain below a node that forgets
// setClean, and a long cycle.
TEST_F(GraphTest, ALongChainOverADirtyPlugComputesEachPlugOncePerRead) {
    const int count = 120;
    ASSERT_TRUE(run("loadPlugin graphTestPlugin; createNode testEcho -n e0; setAttr e0.value 2"));
    for (int i = 1; i < count; ++i) {
        const std::string from = i == 1 ? "e0.forgotten" : "e" + std::to_string(i - 1) + ".kept";
        ASSERT_TRUE(run("createNode testEcho -n e" + std::to_string(i) + "; connectAttr " + from + " e" +
                        std::to_string(i) + ".value"));
    }
    const std::string last = "e" + std::to_string(count - 1) + ".kept";
    EXPECT_EQ(value(last), 2.0);
    EXPECT_EQ(mayahost::computeCount(plugOf("e0.forgotten")), 1u);
    EXPECT_EQ(mayahost::computeCount(plugOf(last)), 1u);

    ASSERT_TRUE(run("connectAttr " + last + " e0.value"));  // now a cycle of `count` nodes
    const unsigned before = mayahost::computeCount(plugOf("e60.kept"));
    value(last);
    EXPECT_EQ(mayahost::computeCount(plugOf("e60.kept")), before + 1);
}

TEST_F(AdderTest, ACycleIsEvaluatedOncePerReadFromTheValuesItHeld) {
    ASSERT_TRUE(run("connectAttr a.sum b.input1; connectAttr b.sum a.input1"));
    // a.sum is read back inside its own evaluation: b is made from the value it held (0).
    EXPECT_EQ(value("a.sum"), 0 + 2 + 2.0);
    EXPECT_EQ(computes("a"), 1);
    EXPECT_EQ(computes("b"), 1);
    EXPECT_EQ(value("a.sum"), 4 + 2 + 2.0) << "a cycle stays dirty: each read goes round once";
    EXPECT_EQ(computes("a"), 2);
    ASSERT_TRUE(run("setAttr a.input2 10"));
    EXPECT_EQ(value("b.sum"), 6 + 10 + 2.0) << "b.sum pulls a.sum, which is made from the b.sum held (6)";

    ASSERT_TRUE(run("disconnectAttr b.sum a.input1; setAttr a.input1 1"));
    EXPECT_EQ(value("b.sum"), 1 + 10 + 2.0);
    int computed = computes("a");
    EXPECT_EQ(value("b.sum"), 13.0);
    EXPECT_EQ(computes("a"), computed) << "the cycle is open again: its plugs stay clean";
}

// ---- arrays and compounds

TEST_F(AdderTest, ArrayElementsByLogicalIndexReachTheCompute) {
    MPlug weights = plugOf("a.weights");
    ASSERT_TRUE(weights.isArray());
    EXPECT_EQ(weights.numElements(), 0u);
    ASSERT_TRUE(weights.elementByLogicalIndex(7).setValue(4.0));
    ASSERT_TRUE(weights.elementByLogicalIndex(2).setValue(1.5));
    ASSERT_TRUE(run("setAttr a.weights[40] -1; setAttr a.gain 2"));

    EXPECT_EQ(weights.numElements(), 3u);
    MIntArray indices;
    weights.getExistingArrayAttributeIndices(indices);
    EXPECT_EQ(*indices.hostStorage(), (std::vector<int>{2, 7, 40}));
    MPlug second = weights.elementByPhysicalIndex(1);
    EXPECT_TRUE(second.isElement());
    EXPECT_EQ(second.logicalIndex(), 7u);
    EXPECT_EQ(second.asDouble(), 4.0);
    EXPECT_EQ(second.array(), weights);
    MStatus status;
    plugOf("a.input1").elementByLogicalIndex(0, &status);
    EXPECT_FALSE(status);

    // scaled is built with MArrayDataBuilder from an MArrayDataHandle walk over weights.
    MPlug scaled = plugOf("a.scaled");
    EXPECT_EQ(scaled.evaluateNumElements(), 3u);
    MIntArray built;
    scaled.getExistingArrayAttributeIndices(built);
    EXPECT_EQ(*built.hostStorage(), (std::vector<int>{2, 7, 40}));
    EXPECT_EQ(value("a.scaled[2]"), 3.0);
    EXPECT_EQ(value("a.scaled[7]"), 8.0);
    EXPECT_EQ(value("a.scaled[40]"), -2.0);
    EXPECT_EQ(value("a.sum"), (3.5 + 4.5) * 2);
}

TEST_F(AdderTest, CompoundChildrenArePlugsOfTheirOwn) {
    MPlug settings = plugOf("a.settings");
    ASSERT_TRUE(settings.isCompound());
    ASSERT_EQ(settings.numChildren(), 2u);
    MPlug bias = settings.child(1);
    EXPECT_TRUE(bias.isChild());
    EXPECT_TRUE(bias.isCompound());
    EXPECT_EQ(bias.parent(), settings);
    MPlug biasY = bias.child(1);
    EXPECT_EQ(biasY.parent(), bias);
    EXPECT_EQ(biasY, plugOf("a.settings.bias.biasY"));
    EXPECT_EQ(biasY, plugOf("a.biasY"));

    ASSERT_TRUE(biasY.setValue(0.25));
    ASSERT_TRUE(settings.child(0).setValue(3.0));
    EXPECT_EQ(values("a.bias"), (std::vector<double>{0, 0.25, 0}));
    EXPECT_EQ(value("a.gain"), 3.0);
    EXPECT_EQ(value("a.sum"), 3.5 * 3 + 0.25);

    // A numeric child of a built-in: translateX is one component of translate.
    ASSERT_TRUE(run("createNode transform -n t"));
    MPlug translate = plugOf("t.translate");
    ASSERT_EQ(translate.numChildren(), 3u);
    ASSERT_TRUE(translate.child(0).setValue(4.0));
    ASSERT_TRUE(run("setAttr t.tz -1"));
    EXPECT_EQ(values("t.translate"), (std::vector<double>{4, 0, -1}));
    EXPECT_EQ(plugOf("t.translateZ").asDouble(), -1.0);
}

// ---- point-set data

TEST_F(GraphTest, ArrayAttrsDataCreatesArraysOnDemandAndSharesThem) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MFnArrayAttrsData::Type kind;
    EXPECT_FALSE(fn.checkArrayExist("position", kind));
    EXPECT_EQ(kind, MFnArrayAttrsData::kInvalid);

    MVectorArray position = fn.vectorArray("position");
    MDoubleArray radius = fn.doubleArray("radius");
    MIntArray id = fn.intArray("id");
    struct Case {
        const char* name;
        MFnArrayAttrsData::Type kind;
        int code;
    } cases[] = {{"position", MFnArrayAttrsData::kVectorArray, 1},
                 {"radius", MFnArrayAttrsData::kDoubleArray, 2},
                 {"id", MFnArrayAttrsData::kIntArray, 3}};
    for (const Case& c : cases) {
        EXPECT_TRUE(fn.checkArrayExist(c.name, kind)) << c.name;
        EXPECT_EQ(kind, c.kind) << c.name;
        EXPECT_EQ(int(kind), c.code) << c.name;
    }
    EXPECT_EQ(fn.list().length(), 3u);

    // Appending through the arrays handed out changes the data.
    position.append(MVector(1, 2, 3));
    position.append(MVector(4, 5, 6));
    radius.append(0.5);
    id.append(7);
    EXPECT_EQ(fn.count(), 2u);
    MFnArrayAttrsData again(data);
    MVectorArray read = again.getVectorData("position");
    ASSERT_EQ(read.length(), 2u);
    EXPECT_EQ(read[1], MVector(4, 5, 6));
    EXPECT_EQ(again.getIntData("id")[0], 7);
    read.append(MVector(0, 0, 1));
    EXPECT_EQ(position.length(), 3u);
    EXPECT_EQ(fn.vectorArray("position").length(), 3u) << "asking again answers the existing array";

    MStatus status;
    again.getVectorData("missing", &status);
    EXPECT_FALSE(status);
    EXPECT_FALSE(again.checkArrayExist("missing", kind)) << "getVectorData does not create";
    again.getDoubleData("position", &status);
    EXPECT_FALSE(status) << "a name holds one kind of array";
    fn.doubleArray("position", &status);
    EXPECT_FALSE(status);
}

TEST_F(AdderTest, PointSetOutputFollowsItsInputs) {
    ASSERT_TRUE(run("setAttr a.count 4; setAttr a.offset 0.5 0.25 -1"));
    MObject data = plugOf("a.points").asMObject();
    MStatus status;
    MFnArrayAttrsData points(data, &status);
    ASSERT_TRUE(status);
    MStringArray names = points.list();
    ASSERT_EQ(names.length(), 5u);
    EXPECT_EQ(names[0], "position");
    EXPECT_EQ(points.count(), 4u);
    MVectorArray position = points.getVectorData("position");
    EXPECT_EQ(position[3], MVector(3.5, 1.5 * 3 + 0.25, -1));
    EXPECT_EQ(points.getDoubleData("radius")[3], 2.0);
    EXPECT_EQ(points.getIntData("id")[3], 30);

    ASSERT_TRUE(run("setAttr a.count 1"));
    MFnArrayAttrsData fewer(plugOf("a.points").asMObject());
    EXPECT_EQ(fewer.count(), 1u);
}

// ---- built-in nodes

TEST_F(AdderTest, MeshBoundingBoxFollowsTheConnectedPoints) {
    ASSERT_TRUE(run("polyCube -w 2 -h 4 -d 6 -n box; polySphere -r 0.5 -n ball; createNode mesh -n copyShape"));
    ASSERT_TRUE(run("connectAttr boxShape.outMesh copyShape.inMesh"));
    EXPECT_EQ(values("copyShape.boundingBoxMin"), (std::vector<double>{-1, -2, -3}));
    EXPECT_EQ(values("copyShape.boundingBoxMax"), (std::vector<double>{1, 2, 3}));

    ASSERT_TRUE(run("connectAttr copyShape.boundingBoxSize a.bias"));
    EXPECT_EQ(value("a.sum"), 3.5 + 2 + 4 + 6);
    ASSERT_TRUE(run("setAttr box.translate 10 10 10"));
    EXPECT_EQ(values("boxShape.boundingBoxMax"), (std::vector<double>{1, 2, 3})) << "bounds are in object space";

    ASSERT_TRUE(run("connectAttr -f ballShape.outMesh copyShape.inMesh"));
    std::vector<double> size = values("copyShape.boundingBoxSize");
    ASSERT_EQ(size.size(), 3u);
    for (double s : size) EXPECT_NEAR(s, 1.0, 1e-6);
    EXPECT_NEAR(value("a.sum"), 3.5 + 3, 1e-6);
}

TEST_F(GraphTest, WorldMatrixOfAShapeFollowsItsTransforms) {
    ASSERT_TRUE(run("createNode transform -n top; createNode transform -n t -p top; createNode mesh -p t"));
    auto translation = [](const std::string& plug) {
        std::vector<double> m = values(plug);
        EXPECT_EQ(m.size(), 16u) << plug;
        return m.size() == 16 ? std::vector<double>{m[12], m[13], m[14]} : std::vector<double>{};
    };
    EXPECT_EQ(translation("tShape.worldMatrix[0]"), (std::vector<double>{0, 0, 0}));
    ASSERT_TRUE(run("setAttr t.translate 1 2 3"));
    EXPECT_EQ(translation("tShape.worldMatrix[0]"), (std::vector<double>{1, 2, 3}));
    ASSERT_TRUE(run("setAttr t.translateX 5"));
    EXPECT_EQ(translation("tShape.worldMatrix[0]"), (std::vector<double>{5, 2, 3}));
    ASSERT_TRUE(run("setAttr top.ty 10"));
    EXPECT_EQ(translation("tShape.worldMatrix[0]"), (std::vector<double>{5, 12, 3}));
    EXPECT_EQ(translation("t.worldMatrix[0]"), (std::vector<double>{5, 12, 3}));

    MDagPath path;
    ASSERT_TRUE(MDagPath::getAPathTo(nodeOf("tShape"), path));
    EXPECT_EQ(path.fullPathName(), "|top|t|tShape");
    MMatrix world = path.inclusiveMatrix();
    EXPECT_EQ(MVector(world[3][0], world[3][1], world[3][2]), MVector(5, 12, 3));
}

TEST_F(GraphTest, ShapesAreNamedAfterTheirTransform) {
    struct Case {
        const char* command;
        std::vector<std::string> names;  // transform, shape
    } cases[] = {
        {"polyCube", {"pCube1", "pCube1Shape"}},
        {"polyCube", {"pCube2", "pCube2Shape"}},
        {"polySphere -n ball", {"ball", "ballShape"}},
        {"polySphere -n ball", {"ball1", "ball1Shape"}},
    };
    for (const Case& c : cases) {
        MStringArray result;
        ASSERT_TRUE(MGlobal::executeCommand(c.command, result)) << c.command;
        ASSERT_EQ(result.length(), 2u) << c.command;
        EXPECT_EQ(result[0].asChar(), c.names[0]) << c.command;
        EXPECT_EQ(result[1].asChar(), c.names[1]) << c.command;
    }
    MString shape;
    ASSERT_TRUE(MGlobal::executeCommand("createNode transform -n holder; createNode mesh -p holder", shape));
    EXPECT_EQ(shape, "holderShape");
    ASSERT_TRUE(MGlobal::executeCommand("createNode mesh", shape));
    MFnDagNode fn(nodeOf(shape.asChar()));
    EXPECT_EQ(MFnDependencyNode(fn.parent(0)).name() + "Shape", shape);
}

TEST_F(GraphTest, SetNameNumbersHashesAndTakenNames) {
    std::vector<MObject> nodes;
    for (int i = 0; i < 4; ++i) {
        MFnDependencyNode fn;
        nodes.push_back(fn.create("transform"));
    }
    struct Case {
        int node;
        const char* requested;
        const char* expected;
    } cases[] = {
        {0, "part#", "part1"},
        {1, "part#", "part2"},
        {2, "part1", "part3"},   // taken: numbered like a "#"
        {0, "part1", "part1"},   // its own name
        {3, "a#b", "a1b"},
        {1, "arm_#_ctl", "arm_1_ctl"},
    };
    for (const Case& c : cases) {
        MFnDependencyNode fn(nodes[c.node]);
        MStatus status;
        EXPECT_EQ(fn.setName(c.requested, false, &status), c.expected) << c.requested;
        EXPECT_TRUE(status) << c.requested;
        EXPECT_EQ(fn.name(), c.expected);
    }
    EXPECT_EQ(Scene::current().findNode("part2"), nullptr) << "the old name is free again";
    MFnDependencyNode fn(nodes[0]);
    MStatus status;
    fn.setName("9lives", false, &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(fn.name(), "part1");
}

TEST_F(GraphTest, TheSmallestFreeNumberIsGivenAgainAfterADeleteOrRename) {
    ASSERT_TRUE(run("createNode transform; createNode transform; createNode transform; createNode transform"));
    ASSERT_TRUE(run("delete transform2"));
    MFnDependencyNode(nodeOf("transform3")).setName("spare");
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        MString name;
        ASSERT_TRUE(MGlobal::executeCommand("createNode transform", name));
        names.push_back(name.asChar());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"transform2", "transform3", "transform5"}));
}

TEST_F(AdderTest, TimeOutputFollowsCurrentTime) {
    ASSERT_TRUE(run("currentTime 12"));
    EXPECT_EQ(value("time1.outTime"), 12.0);
    ASSERT_TRUE(run("connectAttr time1.outTime a.input1"));
    EXPECT_EQ(value("a.sum"), 12 + 2.0);
    for (double frame : {4.0, 7.5, 4.0}) {
        ASSERT_TRUE(run("currentTime " + std::to_string(frame)));
        EXPECT_EQ(value("time1.outTime"), frame);
        EXPECT_EQ(value("a.sum"), frame + 2);
    }
}

// ---- plug-ins

class PluginTest : public GraphTest {
protected:
    void SetUp() override {
        GraphTest::SetUp();
        if (mayahost::isPluginLoaded("graphTestPlugin")) {
            ASSERT_TRUE(run("unloadPlugin graphTestPlugin"));
        }
    }
};

TEST_F(PluginTest, LoadsByBareNameOrPathAndRegistersNodeAndCommand) {
    EXPECT_FALSE(run("createNode testAdder"));
    EXPECT_EQ(sceneTesting::messages(Message::kError),
              (std::vector<std::string>{
                  "createNode: Unknown object type: testAdder (is its plug-in loaded?)",
                  "line 1: createNode failed"}));
    for (std::string name : {std::string("graphTestPlugin"), std::string(TEST_PLUGIN_DIR) + "/graphTestPlugin.so"}) {
        ASSERT_TRUE(run("loadPlugin \"" + name + "\"")) << name;
        EXPECT_TRUE(mayahost::isPluginLoaded("graphTestPlugin")) << name;
        MString node;
        ASSERT_TRUE(MGlobal::executeCommand("createNode testAdder", node)) << name;
        EXPECT_EQ(node, "testAdder1");
        MStringArray echoed;
        ASSERT_TRUE(MGlobal::executeCommand("graphEcho one 2 \"three\"", echoed));
        ASSERT_EQ(echoed.length(), 3u);
        EXPECT_EQ(echoed[2], "three");
        ASSERT_TRUE(run("delete " + std::string(node.asChar()) + "; unloadPlugin graphTestPlugin")) << name;
    }
    EXPECT_FALSE(run("loadPlugin noSuchPlugin"));
    EXPECT_TRUE(errorContains("noSuchPlugin"));
}

TEST_F(PluginTest, AClashingNodeTypeFailsTheLoadAndLeavesNothingBehind) {
    ASSERT_TRUE(run("loadPlugin graphTestPlugin"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run("loadPlugin clashTestPlugin"));
        EXPECT_TRUE(errorContains("\"testAdder\"")) << "the message names the type (attempt " << attempt << ")";
        EXPECT_FALSE(errorContains("clashOnlyNode")) << "the type registered first was taken back";
        EXPECT_TRUE(errorContains("initializePlugin"));
        EXPECT_FALSE(mayahost::isPluginLoaded("clashTestPlugin"));
        EXPECT_FALSE(run("createNode clashOnlyNode"));
    }
    MString node;
    ASSERT_TRUE(MGlobal::executeCommand("createNode testAdder", node));
    EXPECT_EQ(MFnDependencyNode(nodeOf(node.asChar())).typeId().id(), 0x0012F100u) << "the first type stays";
}

TEST_F(PluginTest, AnInterfaceVersionNewerThanTheHostsIsRefused) {
    EXPECT_FALSE(run("loadPlugin futureApiTestPlugin"));
    EXPECT_TRUE(errorContains("201600"));
    EXPECT_FALSE(mayahost::isPluginLoaded("futureApiTestPlugin"));
    EXPECT_FALSE(run("createNode futureNode")) << "initializePlugin was not called";
}

TEST_F(PluginTest, UnloadIsRefusedWhileNodesOfItsTypesExist) {
    ASSERT_TRUE(run("loadPlugin graphTestPlugin; createNode testAdder -n x; createNode testAdder -n y"));
    mayahost::clearRecordedMessages();
    EXPECT_FALSE(run("unloadPlugin graphTestPlugin"));
    EXPECT_TRUE(errorContains("2 node(s)"));
    EXPECT_TRUE(mayahost::isPluginLoaded("graphTestPlugin"));
    ASSERT_TRUE(run("setAttr x.input1 4"));
    EXPECT_EQ(value("x.sum"), 6.0) << "the nodes still work";

    ASSERT_TRUE(run("delete x"));
    EXPECT_FALSE(run("unloadPlugin graphTestPlugin"));
    ASSERT_TRUE(run("delete y"));
    ASSERT_TRUE(run("unloadPlugin graphTestPlugin"));
    EXPECT_FALSE(mayahost::isPluginLoaded("graphTestPlugin"));
    EXPECT_FALSE(run("createNode testAdder"));
    EXPECT_FALSE(run("graphEcho a"));
}

}  // namespace
