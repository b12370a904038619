// Loading frameStore, and the two plug-ins that register zuPointsCache refusing each other.
#include <gtest/gtest.h>

#include "cacheTesting.h"

namespace {

using namespace cacheTesting;

class CachePlugins : public CacheSceneTest {};

bool hasBlendFrames(const std::string& node) {
    return MGlobal::executeCommand(("getAttr " + node + ".blendFrames").c_str()) == MS::kSuccess;
}

TEST_F(CachePlugins, FrameStoreLoadsAloneSilently) {
    usePlugins({}, {"pointSuite", "frameStore"});
    mayahost::clearRecordedMessages();
    testing::internal::CaptureStdout();
    const MStatus loaded = mayahost::loadPlugin(FRAMESTORE_PLUGIN);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(mayahost::recordedMessages().empty());
    ASSERT_TRUE(run("createNode zuPointsCache -n cache"));
    int blend = 0;
    EXPECT_TRUE(MGlobal::executeCommand("getAttr cache.blendFrames", blend));
    EXPECT_EQ(blend, 1);
    usePlugins({}, {"frameStore"});
}

TEST_F(CachePlugins, FrameStoreRefusesToLoadBesidePointSuite) {
    usePlugins({POINTSUITE_PLUGIN}, {"frameStore"});
    mayahost::clearRecordedMessages();
    EXPECT_FALSE(mayahost::loadPlugin(FRAMESTORE_PLUGIN));
    EXPECT_TRUE(
        mayahost::hasMessage(mayahost::Message::kError, "Can not register zuPointsCache node"));
    EXPECT_FALSE(mayahost::isPluginLoaded("frameStore"));
    ASSERT_TRUE(run("createNode zuPointsCache -n cache"));
    EXPECT_FALSE(hasBlendFrames("cache")) << "the node must stay pointSuite's";
}

TEST_F(CachePlugins, PointSuiteRefusesToLoadBesideFrameStore) {
    usePlugins({FRAMESTORE_PLUGIN}, {"pointSuite"});
    mayahost::clearRecordedMessages();
    EXPECT_FALSE(mayahost::loadPlugin(POINTSUITE_PLUGIN));
    EXPECT_TRUE(
        mayahost::hasMessage(mayahost::Message::kError, "Can not register zuPointsCache node"));
    EXPECT_FALSE(mayahost::isPluginLoaded("pointSuite"));
    ASSERT_TRUE(run("createNode zuPointsCache -n cache"));
    EXPECT_TRUE(hasBlendFrames("cache")) << "the node must stay frameStore's";
    usePlugins({}, {"frameStore"});
}

}  // namespace
