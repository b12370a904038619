// The device helpers of the point set kernels, called on the host: the id searches against a
// plain scan over ascending lists with repeats, the container weights at worked positions, and
// the planted points' edge direction where a point lies on its reference point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "pointSuite/sets/setFunctions.h"

namespace {

TEST(SetFunctions, IdSearchesAnswerExactlyForAscendingListsWithRepeats) {
    const std::vector<std::vector<unsigned int>> lists = {
        {}, {4}, {3, 3}, {1, 2}, {0, 5, 5, 5, 9}, {2, 4, 6, 8, 10, 12, 14}, {7, 7, 7, 7, 7, 7, 8},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 4294967295u}};
    for (const auto& ids : lists) {
        const unsigned int count = static_cast<unsigned int>(ids.size());
        for (unsigned int id : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 13u, 14u, 15u, 16u, 4294967295u}) {
            const bool present = std::find(ids.begin(), ids.end(), id) != ids.end();
            EXPECT_EQ(findId(ids.data(), count, id), present) << "id " << id << " of " << count;
            const unsigned int at = getElementIndex(ids.data(), count, id);
            if (present) {
                ASSERT_LT(at, count);
                EXPECT_EQ(ids[at], id);
            } else {
                EXPECT_EQ(at, 0xFFFFFFFFu);
            }
        }
    }
}

struct WeightCase {
    const char* name;
    unsigned short type;
    float fallof, x, y, z, weight;
};

TEST(SetFunctions, ContainerWeightsAtTheCentreTheBandAndOutside) {
    const WeightCase cases[] = {
        {"sphere centre", 0, 0.5f, 0, 0, 0, 1},
        {"sphere inner border", 0, 0.5f, 0.5f, 0, 0, 1},
        {"sphere mid band", 0, 0.5f, 0, 0.75f, 0, 0.5f},
        {"sphere surface, band", 0, 0.5f, 0, 0, 1, 0},
        {"sphere surface, no band", 0, 0, 1, 0, 0, 1},
        {"sphere outside", 0, 0, 1.01f, 0, 0, 0},
        {"sphere, whole band", 0, 1, 0.25f, 0, 0, 0.75f},
        {"box centre", 1, 0.5f, 0, 0, 0, 1},
        {"box band, nearest face decides", 1, 0.5f, 0.75f, 0.6f, 0.2f, 0.5f},
        {"box face", 1, 0, 1, 0, 0, 0},
        {"box inside, no band", 1, 0, 0.99f, -0.99f, 0.99f, 1},
        {"box, whole band", 1, 1, 0.2f, -0.6f, 0.1f, 0.4f},
        {"other type", 2, 0.5f, 0, 0, 0, 0},
    };
    for (const WeightCase& c : cases)
        EXPECT_NEAR(containerWeight(c.x, c.y, c.z, c.type, c.fallof), c.weight, 1e-6) << c.name;
}

TEST(SetFunctions, EdgeDirectionIsUnitAndDefinedWhereAPointLiesOnItsReferencePoint) {
    const Float3 corners[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, -1}};
    // C on A: every edge's reference point can be A.
    const Float3 folded[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}};
    struct Case {
        const char* name;
        const Float3* corners;
        Float3 p;
        float intersection[3], distance[3];
        int edge;
        Float3 expected;
    };
    const Case cases[] = {
        // (0.25, 0, -0.25) from the point of edge 0 at 0.25, (0.25, 0, 0).
        {"off its edge", corners, {0.25f, 0, -0.25f}, {0.25f, 0, 0}, {0.25f, 0, 0}, 0, {0, 0, -1}},
        {"negative distance flips", corners, {0.25f, 0, -0.25f}, {0.25f, 0, 0}, {-0.25f, 0, 0}, 0, {0, 0, 1}},
        // On corner A: edge 0 and edge 2 (from C to A, at parameter 1) both meet it; edge 1 does not.
        {"corner, next edge", corners, {0, 0, 0}, {0, 0.5f, 1}, {0, 0.7f, 0.2f}, 0, {-1 / std::sqrt(2.0f), 0, 1 / std::sqrt(2.0f)}},
        {"on every reference point", folded, {0, 0, 0}, {0, 1, 0.5f}, {0, 0, 0}, 0, {1, 0, 0}},
    };
    for (const Case& c : cases) {
        const Float3 e = edgeDirection(c.p, c.corners, c.intersection, c.distance, c.edge);
        EXPECT_NEAR(e.x, c.expected.x, 1e-6) << c.name;
        EXPECT_NEAR(e.y, c.expected.y, 1e-6) << c.name;
        EXPECT_NEAR(e.z, c.expected.z, 1e-6) << c.name;
    }
    const Float3 same[3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    const float zero[3] = {0, 0, 0};
    const Float3 e = edgeDirection({1, 1, 1}, same, zero, zero, 0);
    EXPECT_FALSE(std::isnan(e.x) || std::isnan(e.y) || std::isnan(e.z)) << "a degenerate triangle";
}

TEST(SetFunctions, EdgeChoiceTakesTheLargestDistanceInsideTen) {
    const float cases[][4] = {{0.1f, 0.5f, 0.3f, 1}, {0.1f, 0.3f, -0.5f, 2}, {0.9f, 0.5f, 0.3f, 0},
                              {0.1f, 10.0f, -10.0f, 0}, {0.5f, 0.5f, 0.5f, 0}, {0.1f, 9.9f, 12, 1}};
    for (const auto& c : cases) EXPECT_EQ(chooseEdge(c), static_cast<int>(c[3])) << c[0] << " " << c[1] << " " << c[2];
}

}  // namespace
