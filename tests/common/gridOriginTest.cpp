// The origin a grid measures its cells from: the frame's own corner near the points, and from a
// corner far from them, whole steps of cells towards them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/gridOrigin.h"

TEST(GridOrigin, ACornerNearThePointsStaysTheOriginAndAFarOneStepsTowardsThem) {
    const float cellSize = 0.05f;
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        double frameMin, pointsMin;
        bool stepped;
    } cases[] = {
        {-2, -2, false},
        {-3000, -2, false},  // 59,960 cells below the points: less than a step
        {-1e6, -2, true},
        {-1e7, 5, true},
        {-1e6, infinity, false},  // no points
        {-1e6, std::nan(""), false},
        {-1e30, -2, false},  // more cells below than any grid numbers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frameMin) + " below " + std::to_string(c.pointsMin));
        const GridOrigin origin = gridOriginNear(c.frameMin, c.pointsMin, cellSize);
        if (!c.stepped) {
            EXPECT_EQ(origin.position, static_cast<float>(c.frameMin));
            EXPECT_EQ(origin.cell, 0u);
            continue;
        }
        EXPECT_GT(origin.cell, 0u);
        EXPECT_EQ(origin.cell % 65536, 0u) << "whole steps";
        EXPECT_NEAR(origin.position, c.frameMin + origin.cell * double(cellSize),
                    std::ldexp(std::fabs(origin.position), -24))
            << "a whole number of cells above the corner, rounded to single precision";
        const double cellsBelowPoints = (c.pointsMin - origin.position) / cellSize;
        EXPECT_GE(cellsBelowPoints, 0.0);
        EXPECT_LT(cellsBelowPoints, 65536.0) << "within a step of the points";
    }
}
