// The weaver's device steps called directly: the kept triples of a lattice whose every point has
// a full list of neighbours, so that no empty slot's filler sorts first.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <vector>

#include "triWeaver/neighbourOffsets.h"
#include "triWeaver/weaverBuffers.h"

namespace {

DeviceNeighbourOffsets deviceOffsets() {
    DeviceNeighbourOffsets offsets;
    for (const NeighbourOffset& o : buildNeighbourOffsets()) {
        offsets.x.push_back(o.dx);
        offsets.y.push_back(o.dy);
        offsets.z.push_back(o.dz);
    }
    return offsets;
}

// The kept triples by their definition: every point proposes the triple of itself and each pair
// of its neighbours (per offset, nearest first, the smallest point of the cell, at most 21), and
// a triple is kept when all three of its corners proposed it.
std::vector<std::array<unsigned int, 3>> keptTriplesByProposals(const std::vector<float>& positions,
                                                                const WeaverGrid& grid) {
    const unsigned int n = static_cast<unsigned int>(positions.size() / 3);
    std::map<unsigned int, unsigned int> pointOfCell;
    std::vector<unsigned int> cells(n);
    for (unsigned int i = 0; i < n; ++i) {
        cells[i] = weaverCellId(positions[3 * i], positions[3 * i + 1], positions[3 * i + 2], grid);
        pointOfCell.emplace(cells[i], i);  // the first, which is the smallest
    }
    const std::vector<NeighbourOffset> offsets = buildNeighbourOffsets();
    std::map<std::array<unsigned int, 3>, int> proposals;
    for (unsigned int i = 0; i < n; ++i) {
        std::vector<unsigned int> neighbours;
        for (size_t k = 1; k < offsets.size() && neighbours.size() < kMaxNeighbours; ++k) {
            unsigned int cell;
            if (!weaverNeighbourCell(cells[i], offsets[k].dx, offsets[k].dy, offsets[k].dz, grid,
                                     cell))
                continue;
            const auto found = pointOfCell.find(cell);
            if (found != pointOfCell.end()) neighbours.push_back(found->second);
        }
        for (size_t a = 0; a < neighbours.size(); ++a)
            for (size_t b = a + 1; b < neighbours.size(); ++b) {
                std::array<unsigned int, 3> triple = {i, neighbours[a], neighbours[b]};
                std::sort(triple.begin(), triple.end());
                ++proposals[triple];
            }
    }
    std::vector<std::array<unsigned int, 3>> kept;
    for (const auto& [triple, count] : proposals)
        if (count == 3) kept.push_back(triple);
    return kept;
}

TEST(KeptTriples, AreTheTriplesAllThreeCornersProposeInLexicographicOrder) {
    // A random cloud in a box of 6 x 6 x 6 cells: cells with no point, one and several, and
    // points with fewer than 21 neighbours at the box's faces.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(0.0f, 3.4f);
    std::vector<float> positions(3 * 500);
    for (float& p : positions) p = coordinate(random);
    WeaverPoints points;
    points.positions.assign(positions.begin(), positions.end());
    points.count = 500;
    points.grid.cellSize = 1.0f / 1.7320508f;
    points.grid.dimX = points.grid.dimY = points.grid.dimZ = 6;
    points.grid.stepZ = 6;
    points.grid.stepY = 36;
    DeviceTriples kept;
    ASSERT_TRUE(findKeptTriples(points, deviceOffsets(), kept));
    const std::vector<std::array<unsigned int, 3>> expected =
        keptTriplesByProposals(positions, points.grid);
    ASSERT_GT(expected.size(), 100u);
    ASSERT_EQ(kept.count, expected.size());
    for (unsigned int t = 0; t < kept.count; ++t)
        ASSERT_EQ((std::array<unsigned int, 3>{kept.a[t], kept.b[t], kept.c[t]}), expected[t]) << t;
}

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
    DeviceTriples kept;
    ASSERT_TRUE(findKeptTriples(points, deviceOffsets(), kept));
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
