// The direction kernel's geometry on its own: the fallback directions and angles that keep every
// frame finite.
#include <gtest/gtest.h>

#include <limits>

#include "pointSuite/attributes/directionFrame.h"

namespace {

TEST(DirectionFrame, FallbackDirectionsAreUnitOrZeroAndNeverNaN) {
    const Vec3 along = aimDirection({0, 0, 0}, {1, 0, 0}, {4, 0, 0});
    EXPECT_EQ(along.x, 0);
    EXPECT_EQ(along.y, 0);
    EXPECT_EQ(along.z, 1);
    const Vec3 none = aimDirection({0, 0, 0}, {0, 0, 0}, {4, 0, 0});
    EXPECT_EQ(length(none), 0);
    EXPECT_EQ(turnAngle(std::numeric_limits<float>::infinity()), 0);
}

}  // namespace
