// The weaver's device steps called directly: the kept triples of a lattice whose every point has
// a full list of neighbours, so that no empty slot's filler sorts first.
#include <gtest/gtest.h>

#include <vector>

#include "triWeaver/neighbourOffsets.h"
#include "triWeaver/weaverBuffers.h"

namespace {

TEST(KeptTriples, TheFirstSortedTripleIsKeptWhenItIsReal) {
    // A 6 x 6 x 6 lattice of spacing 0.6 in cells of 0.577: one point a cell, and 21 neighbours
    // within four cells for every point, corners included.
    std::vector<float> positions;
    for (int y = 0; y < 6; ++y)
        for (int z = 0; z < 6; ++z)
            for (int x = 0; x < 6; ++x)
                positions.insert(positions.end(), {0.6f * x, 0.6f * y, 0.6f * z});
    WeaverPoints points;
    points.positions.assign(positions.begin(), positions.end());
    points.count = static_cast<unsigned int>(positions.size() / 3);
    points.radius = 1.0f;
    points.grid.cellSize = 1.0f / 1.7320508f;
    points.grid.dimX = points.grid.dimY = points.grid.dimZ = 6;
    points.grid.stepZ = 6;
    points.grid.stepY = 36;
    DeviceNeighbourOffsets offsets;
    for (const NeighbourOffset& o : buildNeighbourOffsets()) {
        offsets.x.push_back(o.dx);
        offsets.y.push_back(o.dy);
        offsets.z.push_back(o.dz);
    }
    DeviceTriples kept;
    ASSERT_TRUE(findKeptTriples(points, offsets, kept));
    ASSERT_GT(kept.count, 0u);
    // Point 0's nearest are 1 (+x) and 2 (+2x) among others; both list 0 and each other.
    EXPECT_EQ(kept.a[0], 0u);
    EXPECT_EQ(kept.b[0], 1u);
    EXPECT_EQ(kept.c[0], 2u);
    for (unsigned int t = 0; t + 1 < kept.count; ++t) {
        const unsigned int a = kept.a[t], b = kept.b[t], c = kept.c[t];
        ASSERT_TRUE(a < b && b < c) << t;
        const unsigned int a1 = kept.a[t + 1], b1 = kept.b[t + 1], c1 = kept.c[t + 1];
        ASSERT_TRUE(a < a1 || (a == a1 && (b < b1 || (b == b1 && c < c1))))
            << "sorted, no repeats at " << t;
    }
}

}  // namespace
