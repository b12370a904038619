// Loading and unloading pointSuite through the host.
#include <gtest/gtest.h>
#include <mayahost/Messages.h>

#include "plugins/Plugins.h"

TEST(PointSuitePlugin, LoadsWithOneLineOnStandardOutputAndUnloads) {
    mayahost::clearRecordedMessages();
    testing::internal::CaptureStdout();
    MStatus loaded = mayahost::loadPlugin(POINTSUITE_PLUGIN);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "zuScatterPoints initialized\n");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(mayahost::isPluginLoaded("pointSuite"));
    EXPECT_TRUE(mayahost::unloadPlugin("pointSuite"));
    EXPECT_FALSE(mayahost::isPluginLoaded("pointSuite"));
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}
