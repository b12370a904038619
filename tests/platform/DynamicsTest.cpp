// The particle shape, the emitter base, connectDynamic, the deformer base, the deformer command
// and MDagModifier, with the emitter and deformer of tests/plugins/dynamicsTestPlugin.cpp.
#include <gtest/gtest.h>
#include <maya/MGlobal.h>
#include <mayahost/Messages.h>
#include <mayahost/Plugins.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/DataTypes.h"
#include "graph/Scene.h"
#include "mesh/MeshData.h"
#include "sceneTesting.h"
#include "viewTesting.h"

using mayahost::ArrayAttrsData;
using mayahost::Scene;

namespace {

using sceneTesting::run;

// A file in the temporary folder that no other process running these tests uses.
std::string scratchFile(const std::string& stem, const std::string& extension) {
    return (std::filesystem::temp_directory_path() /
            (stem + "-" + std::to_string(getpid()) + extension))
        .string();
}

double number(const std::string& plug) {
    double value = 0;
    EXPECT_TRUE(MGlobal::executeCommand(("getAttr " + plug).c_str(), value)) << plug;
    return value;
}

class DynamicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        mayahost::addPluginSearchPath(TEST_PLUGIN_DIR);
        Scene::current().reset();
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run("loadPlugin dynamicsTestPlugin"));
    }
    void TearDown() override {
        Scene::current().reset();
        mayahost::clearRecordedMessages();
    }

    // An emitter "em" (24 particles a second at speed 24: one a frame, moving a unit a frame)
    // into the particle shape "parts".
    void addEmitterAndParticles() {
        ASSERT_TRUE(
            run("createNode testEmitter -n em; setAttr em.rate 24; setAttr em.speed 24; "
                "createNode transform -n partsXform; createNode particle -n parts -p partsXform; "
                "connectDynamic -em em parts"));
    }

    static std::shared_ptr<ArrayAttrsData> particles(const std::string& shape) {
        mayahost::PlugRef plug;
        std::string error;
        Scene& scene = Scene::current();
        EXPECT_TRUE(scene.parsePlug(shape + ".particleArrays", plug, error)) << error;
        EXPECT_TRUE(scene.evaluate(*plug.node, plug.path));
        return std::dynamic_pointer_cast<ArrayAttrsData>(
            scene.slotFor(*plug.node, plug.path, nullptr)->data);
    }

    static std::vector<double> xs(const std::string& shape) {
        std::vector<double> values;
        auto set = particles(shape);
        if (!set || !set->find("position")) return values;
        for (const MVector& p : *set->find("position")->vectors) values.push_back(p.x);
        return values;
    }
};

TEST_F(DynamicsTest, ParticlesAreEmittedEachFrameMoveAndRewindAtTheStartFrame) {
    addEmitterAndParticles();
    EXPECT_EQ(number("parts.count"), 0);
    ASSERT_TRUE(run("currentTime 2"));
    EXPECT_EQ(xs("parts"), (std::vector<double>{0}));
    ASSERT_TRUE(run("currentTime 3; currentTime 4"));
    EXPECT_EQ(xs("parts"), (std::vector<double>{2, 1, 0}));
    auto set = particles("parts");
    EXPECT_EQ(*set->find("particleId")->ints, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ((*set->find("rgbPP")->vectors)[2], MVector(0.5, 0, 0));
    EXPECT_EQ((*set->find("velocity")->vectors)[0], MVector(24, 0, 0));
    // The same time again is no step; going back (after the start) neither.
    ASSERT_TRUE(run("currentTime 4; currentTime 3"));
    EXPECT_EQ(number("parts.count"), 3);
    // Back at the start frame: empty, and the emitter was told (a step of 0).
    const double rewindsBefore = number("em.rewinds");
    ASSERT_TRUE(run("currentTime 1"));
    EXPECT_EQ(number("parts.count"), 0);
    EXPECT_EQ(number("em.rewinds"), rewindsBefore + 1);
    ASSERT_TRUE(run("currentTime 2"));
    EXPECT_EQ(*particles("parts")->find("particleId")->ints, (std::vector<int>{0}));
}

TEST_F(DynamicsTest, AStepOfSeveralFramesEmitsForItsWholeLength) {
    addEmitterAndParticles();
    ASSERT_TRUE(run("setAttr parts.startFrame 5; currentTime 5; currentTime 9"));
    EXPECT_EQ(number("parts.count"), 4);
    // Times read in frames, the current unit.
    EXPECT_EQ(number("parts.timeStepSize"), 4);
    EXPECT_EQ(number("parts.startTime"), 5);
}

// From before the start frame straight past it: the shape starts at the start frame, not at the
// time it was last at.
TEST_F(DynamicsTest, AJumpOverTheStartFrameEmitsFromTheStartFrameOnly) {
    addEmitterAndParticles();
    ASSERT_TRUE(run("setAttr parts.startFrame 5; currentTime 1; currentTime 9"));
    EXPECT_EQ(number("parts.count"), 4);
    EXPECT_EQ(number("parts.timeStepSize"), 4);
}

// The start frame and the most particles, each given through a connection.
TEST_F(DynamicsTest, ConnectedStartFrameAndMaxCountAreEvaluated) {
    addEmitterAndParticles();
    ASSERT_TRUE(
        run("createNode transform -n driver; setAttr driver.translateX 5; "
            "setAttr driver.translateY 2; connectAttr driver.translateX parts.startFrame; "
            "connectAttr driver.translateY parts.maxCount; currentTime 5; currentTime 9"));
    EXPECT_EQ(number("parts.startTime"), 5);
    EXPECT_EQ(number("parts.count"), 2);
    EXPECT_EQ(number("parts.isFull"), 0);  // full only from the next step
    ASSERT_TRUE(run("currentTime 10"));
    EXPECT_EQ(number("parts.isFull"), 1);
}

TEST_F(DynamicsTest, AFullShapeTakesNoMoreParticles) {
    addEmitterAndParticles();
    ASSERT_TRUE(run("setAttr em.rate 48; setAttr parts.maxCount 3; currentTime 2"));
    EXPECT_EQ(number("parts.count"), 2);
    EXPECT_EQ(number("parts.isFull"), 0);
    ASSERT_TRUE(run("currentTime 3"));  // room for one of the two
    EXPECT_EQ(number("parts.count"), 3);
    ASSERT_TRUE(run("currentTime 4"));
    EXPECT_EQ(number("parts.isFull"), 1);
    EXPECT_EQ(number("parts.count"), 3);
}

TEST_F(DynamicsTest, OneEmitterFeedsTwoShapesThroughElementsOfItsOwn) {
    addEmitterAndParticles();
    ASSERT_TRUE(run("createNode particle -n other; connectDynamic -em em other"));
    ASSERT_TRUE(run("setAttr other.maxCount 1; currentTime 2; currentTime 3"));
    EXPECT_EQ(number("parts.count"), 2);
    EXPECT_EQ(number("other.count"), 1);
    mayahost::PlugRef plug;
    std::string error;
    ASSERT_TRUE(Scene::current().parsePlug("em.deltaTime[1]", plug, error));
    ASSERT_TRUE(Scene::current().incoming(plug));
    EXPECT_EQ(Scene::current().incoming(plug)->source.node->name, "other");
}

TEST_F(DynamicsTest, ConnectDynamicRefusesWhatItCannotConnect) {
    addEmitterAndParticles();
    struct Case {
        std::string command, message;
    } cases[] = {
        {"connectDynamic -em parts parts", "connectDynamic: \"parts\" is not an emitter"},
        {"connectDynamic -em em em", "connectDynamic: \"em\" is not a particle shape"},
        {"connectDynamic -em em partsXform", "connectDynamic: em already emits into parts"},
        {"connectDynamic parts", "connectDynamic: needs -em <emitter> and one particle shape"},
    };
    for (const Case& c : cases) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run(c.command)) << c.command;
        ASSERT_FALSE(mayahost::recordedMessages().empty()) << c.command;
        EXPECT_EQ(mayahost::recordedMessages().front().text, c.message);
    }
}

TEST_F(DynamicsTest, ExportPointsWritesAParticleShapesArrays) {
    addEmitterAndParticles();
    ASSERT_TRUE(run("currentTime 2; currentTime 3"));
    const std::string file = scratchFile("dynamicsTestParticles", ".ply");
    int written = 0;
    ASSERT_TRUE(
        MGlobal::executeCommand(("exportPoints partsXform \"" + file + "\"").c_str(), written));
    EXPECT_EQ(written, 2);
    std::ifstream in(file);
    std::string header((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(header.find("element vertex 2"), std::string::npos);
    EXPECT_NE(header.find("property int particleId"), std::string::npos);
    std::filesystem::remove(file);
}

TEST_F(DynamicsTest, ImportPointsReadsWhatExportPointsWrote) {
    addEmitterAndParticles();
    ASSERT_TRUE(run("currentTime 2; currentTime 3; createNode particle -n other"));
    const std::string file = scratchFile("dynamicsTestRoundTrip", ".ply");
    ASSERT_TRUE(run("exportPoints parts \"" + file + "\"; importPoints \"" + file +
                    "\" other.newParticles[0] -rename rgbPP colour"));
    mayahost::PlugRef plug;
    std::string error;
    ASSERT_TRUE(Scene::current().parsePlug("other.newParticles[0]", plug, error));
    auto set = std::dynamic_pointer_cast<ArrayAttrsData>(
        Scene::current().slotFor(*plug.node, plug.path, nullptr)->data);
    ASSERT_TRUE(set);
    auto original = particles("parts");
    EXPECT_EQ(*set->find("position")->vectors, *original->find("position")->vectors);
    EXPECT_EQ(*set->find("velocity")->vectors, *original->find("velocity")->vectors);
    EXPECT_EQ(*set->find("particleId")->ints, *original->find("particleId")->ints);
    EXPECT_EQ(*set->find("timeInStep")->doubles, *original->find("timeInStep")->doubles);
    ASSERT_TRUE(set->find("colour"));
    EXPECT_FALSE(set->find("rgbPP"));
    mayahost::clearRecordedMessages();
    EXPECT_FALSE(run("importPoints \"" + file + "\" other.newParticles[0] -rename missing name"));
    EXPECT_EQ(mayahost::recordedMessages().front().text,
              "importPoints: the file has no array \"missing\"");
    EXPECT_FALSE(run("importPoints \"" + file + "\" other.count"));
    EXPECT_FALSE(run("importPoints \"nowhere.ply\" other.newParticles[0]"));
    std::filesystem::remove(file);
}

TEST_F(DynamicsTest, TheViewDrawsAnEmittersIcon) {
    viewTesting::addFrontCamera(true);
    ASSERT_TRUE(run("createNode testEmitter -n em; setAttr transform1.translate 3 2 0"));
    const std::string file = scratchFile("dynamicsTestView", ".png");
    auto image = viewTesting::snapshot(file, "-w 200 -h 200 -camera front");
    auto [column, row] = viewTesting::frontProjection(3, 2, 0, true, 200, 200);
    EXPECT_TRUE(viewTesting::colorNear(image, column, row, {0, 255, 0}));
    std::filesystem::remove(file);
}

// ---- deformers

std::vector<float> heights(const std::string& shape) {
    std::vector<float> ys;
    mayahost::Node* node = Scene::current().findNode(shape);
    auto mesh = node ? mayahost::meshDataForNode(node->object()) : nullptr;
    if (!mesh) return ys;
    for (const auto& p : mesh->geometry.points()) ys.push_back(p.y);
    return ys;
}

TEST_F(DynamicsTest, TheDeformerCommandPutsTheDeformerBetweenTheOriginalAndTheShape) {
    ASSERT_TRUE(run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n plane"));
    MString name;
    ASSERT_TRUE(MGlobal::executeCommand("deformer -type testDeformer plane", name));
    EXPECT_EQ(std::string(name.asChar()), "testDeformer1");
    // The accessory transform drives the offset; the original geometry is kept hidden.
    ASSERT_TRUE(Scene::current().findNode("offsetHandle1"));
    EXPECT_EQ(number("planeShapeOrig.visibility"), 0);
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 0.0f));
    ASSERT_TRUE(run("setAttr offsetHandle1.translateY 2"));
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 2.0f));
    ASSERT_TRUE(run("setAttr testDeformer1.envelope 0.25"));
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 0.5f));
    EXPECT_EQ(heights("planeShapeOrig"), std::vector<float>(4, 0.0f));
    // What the transform exports is the deformed shape.
    const std::string file = scratchFile("dynamicsTestPlane", ".obj");
    ASSERT_TRUE(run("exportObj plane \"" + file + "\""));
    std::ifstream obj(file);
    std::string line;
    std::getline(obj, line);
    while (line.rfind("v ", 0) != 0 && std::getline(obj, line)) {
    }
    EXPECT_NE(line.find(" 0.5 "), std::string::npos) << line;
    std::filesystem::remove(file);
    // A second deformer takes the first one's output.
    ASSERT_TRUE(
        run("deformer -type testDeformer -n second plane; setAttr offsetHandle2.translateY 1"));
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 1.5f));
    // Time reaches a deformer through a connection.
    ASSERT_TRUE(
        run("disconnectAttr offsetHandle2.translateY second.offset; "
            "connectAttr time1.outTime second.offset; currentTime 3"));
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 3.5f));
}

TEST_F(DynamicsTest, TheDeformerCommandRefusesWhatItCannotDeform) {
    ASSERT_TRUE(run("polyPlane -n plane; createNode transform -n empty"));
    struct Case {
        std::string command, message;
    } cases[] = {
        {"deformer -type testEmitter plane", "deformer: \"testEmitter\" is not a deformer type"},
        {"deformer -type testDeformer empty",
         "deformer: \"empty\" is not a mesh or a transform of one"},
        {"deformer plane", "deformer: needs -type <deformer type> and one mesh"},
    };
    for (const Case& c : cases) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run(c.command)) << c.command;
        ASSERT_FALSE(mayahost::recordedMessages().empty()) << c.command;
        EXPECT_EQ(mayahost::recordedMessages().front().text, c.message);
    }
    EXPECT_FALSE(Scene::current().findNode("testEmitter1"));
}

// A deformer whose accessory nodes cannot be set up leaves the scene as it found it: no node of
// its own, no Orig mesh, and the shape fed as before (by its own geometry, or by the deformer
// already there).
TEST_F(DynamicsTest, AFailingDeformerCommandLeavesTheSceneAsItWas) {
    ASSERT_TRUE(run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n plane"));
    Scene& scene = Scene::current();
    mayahost::PlugRef inMesh;
    std::string error;
    ASSERT_TRUE(scene.parsePlug("planeShape.inMesh", inMesh, error)) << error;
    for (const char* feeding : {"its own geometry", "a deformer"}) {
        SCOPED_TRACE(feeding);
        const size_t nodesBefore = scene.nodes().size();
        const mayahost::Connection* before = scene.incoming(inMesh);
        const std::string sourceBefore = before ? before->source.node->name : "";
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run("deformer -type failingSetupDeformer plane"));
        ASSERT_FALSE(mayahost::recordedMessages().empty());
        EXPECT_EQ(mayahost::recordedMessages().front().text,
                  "deformer: failingSetupDeformer1: the accessory nodes could not be set up: no "
                  "handle for it");
        EXPECT_FALSE(scene.findNode("failingSetupDeformer1"));
        EXPECT_EQ(scene.nodes().size(), nodesBefore);
        const mayahost::Connection* after = scene.incoming(inMesh);
        EXPECT_EQ(after ? after->source.node->name : "", sourceBefore);
        EXPECT_EQ(heights("planeShape"), std::vector<float>(4, sourceBefore.empty() ? 0.0f : 1.0f));
        if (sourceBefore.empty()) {
            EXPECT_FALSE(scene.findNode("planeShapeOrig"));
            ASSERT_TRUE(run("deformer -type testDeformer plane; setAttr offsetHandle1.translateY 1"));
        }
    }
    ASSERT_TRUE(run("setAttr offsetHandle1.translateY 2"));  // the first deformer still works
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 2.0f));
}

TEST_F(DynamicsTest, PointsThatAreNotFiniteFailTheDeformationAndKeepTheLastOutput) {
    ASSERT_TRUE(
        run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n plane; deformer -type testDeformer plane; "
            "setAttr offsetHandle1.translateY 1"));
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 1.0f));
    mayahost::clearRecordedMessages();
    ASSERT_TRUE(run("setAttr offsetHandle1.translateY 1e300"));
    EXPECT_EQ(heights("planeShape"), std::vector<float>(4, 1.0f));
    ASSERT_FALSE(mayahost::recordedMessages().empty());
    EXPECT_EQ(mayahost::recordedMessages().front().text,
              "testDeformer1.outputGeometry[0]: the deformed points are not finite");
}

}  // namespace
