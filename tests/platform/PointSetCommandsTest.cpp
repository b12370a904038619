// pointSetStats: the count and the smallest distance of a point set, printed and answered;
// importPoints: files whose header gives one array twice.
#include <gtest/gtest.h>
#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <mayahost/Messages.h>
#include <mayahost/Plugins.h>

#include <cmath>
#include <fstream>
#include <string>

#include "graph/Scene.h"
#include "plugins/Plugins.h"
#include "sceneTesting.h"

namespace {

// With graphTestPlugin's node "a", whose "points" are (i, 1.5 i, 0) for i < count.
class PointSetStatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        mayahost::addPluginSearchPath(TEST_PLUGIN_DIR);
        mayahost::Scene::current().reset();
        ASSERT_TRUE(MGlobal::executeCommand("loadPlugin graphTestPlugin; createNode testAdder -n a"));
        mayahost::clearRecordedMessages();
    }
    void TearDown() override {
        mayahost::Scene::current().reset();
        mayahost::clearRecordedMessages();
    }

    // The command's printed line and its result.
    std::string stats(const std::string& arguments, MDoubleArray& result, MStatus& status) {
        testing::internal::CaptureStdout();
        status = MGlobal::executeCommand(("pointSetStats " + arguments).c_str(), result);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(PointSetStatsTest, PrintsAndAnswersTheCountAndTheSmallestDistance) {
    struct Case {
        int count;
        std::string line;
        std::vector<double> result;
    } cases[] = {
        {4, "a.points: 4 points, smallest distance 1.80278\n", {4, std::sqrt(1 + 1.5 * 1.5)}},
        {200, "a.points: 200 points, smallest distance 1.80278\n", {200, std::sqrt(1 + 1.5 * 1.5)}},
        {1, "a.points: 1 points\n", {1}},
        {0, "a.points: 0 points\n", {0}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(MGlobal::executeCommand(("setAttr a.count " + std::to_string(c.count)).c_str()));
        MDoubleArray result;
        MStatus status;
        EXPECT_EQ(stats("a.points", result, status), c.line);
        ASSERT_TRUE(status);
        ASSERT_EQ(result.length(), c.result.size());
        for (unsigned int i = 0; i < result.length(); ++i) EXPECT_NEAR(result[i], c.result[i], 1e-9);
    }
    // Another vector array: the velocities (0, 1.5, -1.5) are all equal.
    MDoubleArray result;
    MStatus status;
    ASSERT_TRUE(MGlobal::executeCommand("setAttr a.count 3"));
    EXPECT_EQ(stats("a.points velocity", result, status), "a.points: 3 points, smallest distance 0\n");
}

TEST_F(PointSetStatsTest, RefusesWhatIsNoPointSetOrNoVectorArray) {
    for (const char* arguments : {"a.sum", "a.points radius", "a.points missing", "", "a.nothing"}) {
        MDoubleArray result;
        MStatus status;
        EXPECT_EQ(stats(arguments, result, status), "") << arguments;
        EXPECT_FALSE(status) << arguments;
    }
    EXPECT_FALSE(mayahost::recordedMessages().empty());
}

// Each header gives one array twice: the second time as another kind, or the same axis again.
TEST(ImportPoints, AHeaderThatGivesAnArrayTwiceIsRefusedWithItsLine) {
    sceneTesting::resetScene();
    ASSERT_TRUE(MGlobal::executeCommand("createNode particle -n p"));
    sceneTesting::ScratchDir dir;
    const std::string path = dir / "twice.ply";
    struct Case {
        std::vector<std::string> properties;  // header lines 4 on
        std::string refused;                  // what the refusal says after the line number
    } cases[] = {
        {{"float x", "float y", "float z", "int position"},
         "7: property 'position' repeats the array \"position\""},
        {{"float foo", "int foo"}, "5: property 'foo' repeats the array \"foo\""},
        {{"double pointID", "int pointID"}, "5: property 'pointID' repeats the array \"pointID\""},
        {{"float x", "float position_x"},
         "5: property 'position_x' repeats the array \"position\""},
    };
    for (const Case& c : cases) {
        std::string header = "ply\nformat binary_little_endian 1.0\nelement vertex 1\n";
        std::size_t rowBytes = 0;
        for (const std::string& property : c.properties) {
            header += "property " + property + "\n";
            rowBytes += property.rfind("double", 0) == 0 ? 8 : 4;
        }
        std::ofstream(path, std::ios::binary) << header << "end_header\n"
                                              << std::string(rowBytes, '\0');
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(
            MGlobal::executeCommand(("importPoints \"" + path + "\" p.newParticles[0]").c_str()));
        EXPECT_TRUE(mayahost::hasMessage(mayahost::Message::kError,
                                         "importPoints: " + path + ": header line " + c.refused))
            << c.refused;
    }
    sceneTesting::resetScene();
}

}  // namespace
