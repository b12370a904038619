// The weaver's parts on their own: the neighbour offset table, the grid and circumcircle
// functions, and the host topology's repair and orientation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

#include "triWeaver/meshTopology.h"
#include "triWeaver/neighbourOffsets.h"
#include "triWeaver/weaverGeometry.h"

namespace {

TEST(NeighbourOffsets, BreadthFirstFromTheCentreOverTheWholeBlock) {
    const std::vector<NeighbourOffset> table = buildNeighbourOffsets();
    ASSERT_EQ(table.size(), 729u);
    const int first[13][3] = {{0, 0, 0},   {-1, 0, 0}, {1, 0, 0},  {0, -1, 0},  {0, 1, 0},
                              {0, 0, -1},  {0, 0, 1},  {-2, 0, 0}, {-1, -1, 0}, {-1, 1, 0},
                              {-1, 0, -1}, {-1, 0, 1}, {2, 0, 0}};
    for (int k = 0; k < 13; ++k) {
        EXPECT_EQ(std::make_tuple(table[k].dx, table[k].dy, table[k].dz),
                  std::make_tuple(short(first[k][0]), short(first[k][1]), short(first[k][2])))
            << "entry " << k;
    }
    EXPECT_EQ(std::make_tuple(table.back().dx, table.back().dy, table.back().dz),
              std::make_tuple(short(4), short(4), short(4)));
    std::set<std::tuple<int, int, int>> distinct;
    std::vector<int> perLength(13, 0);
    int previous = 0;
    for (const NeighbourOffset& o : table) {
        distinct.insert({o.dx, o.dy, o.dz});
        const int length = std::abs(o.dx) + std::abs(o.dy) + std::abs(o.dz);
        EXPECT_GE(length, previous);
        previous = length;
        ++perLength[length];
    }
    EXPECT_EQ(distinct.size(), 729u);
    EXPECT_EQ(std::vector<int>(perLength.begin(), perLength.begin() + 5),
              (std::vector<int>{1, 6, 18, 38, 66}));
}

TEST(WeaverGrid, NeighbourOffsetsStayInsideTheGridAlongEachAxis) {
    WeaverGrid grid;
    grid.dimX = 3, grid.dimY = 2, grid.dimZ = 4;
    grid.stepZ = 3, grid.stepY = 12;
    const unsigned int cell = 2 + 1 * grid.stepZ + 1 * grid.stepY;  // (2, 1, 1): last x, last y
    unsigned int neighbour = 0;
    EXPECT_FALSE(weaverNeighbourCell(cell, 1, 0, 0, grid, neighbour)) << "x past the last cell";
    EXPECT_FALSE(weaverNeighbourCell(cell, 0, 1, 0, grid, neighbour)) << "y past the last cell";
    EXPECT_FALSE(weaverNeighbourCell(0, 0, 0, -1, grid, neighbour)) << "z below the first cell";
    ASSERT_TRUE(weaverNeighbourCell(cell, -2, -1, 2, grid, neighbour));
    EXPECT_EQ(neighbour, 0u + 3 * grid.stepZ + 0 * grid.stepY);
    // A point past the frame (rounding, or outside the box) lands in the last cell.
    EXPECT_EQ(weaverCellCoordinate(100.0f, 0.0f, 0, 1.0f, 3), 2u);
    EXPECT_EQ(weaverCellCoordinate(-5.0f, 0.0f, 0, 1.0f, 3), 0u);
}

TEST(WeaverGrid, TheCellOffersItsSmallestPointWhateverTheSlotOrder) {
    const unsigned int size = 4;
    std::vector<unsigned int> count(size, 0), keys(5 * size, 0), values(5 * size, kNoPoint);
    // Cell 6 (bucket 2) holds points 9 and 3, in that slot order, beside cell 2 (point 1).
    const unsigned int stored[][2] = {{6, 9}, {2, 1}, {6, 3}};
    for (const auto& [cell, point] : stored) {
        const unsigned int s = count[cell % size]++;
        keys[s * size + cell % size] = cell;
        values[s * size + cell % size] = point;
    }
    EXPECT_EQ(pointOfCell(6, count.data(), keys.data(), values.data(), size), 3u);
    EXPECT_EQ(pointOfCell(2, count.data(), keys.data(), values.data(), size), 1u);
    EXPECT_EQ(pointOfCell(10, count.data(), keys.data(), values.data(), size), kNoPoint);
}

TEST(Circumcircle, TheDegenerateTestGoesByShapeNotSize) {
    struct Case {
        float scale;
        float height;  // of the apex over the base, relative to the base
        bool degenerate;
    } cases[] = {{1.0f, 0.5f, false}, {0.001f, 0.5f, false}, {1e4f, 0.5f, false},
                 {1.0f, 0.0f, true},  {0.001f, 1e-5f, true}, {1e4f, 1e-5f, true}};
    for (const Case& c : cases) {
        const float a[3] = {0, 0, 0}, b[3] = {c.scale, 0, 0},
                    apex[3] = {c.scale / 2, 0, c.scale * c.height};
        float centre[3] = {0, 0, 0}, r2 = 0;
        EXPECT_EQ(!weaverCircumcircle(a, b, apex, centre, r2), c.degenerate)
            << c.scale << " " << c.height;
        if (!c.degenerate) {
            const double dx = centre[0] - a[0], dz = centre[2] - a[2];
            EXPECT_NEAR(r2, dx * dx + dz * dz, 1e-5 * r2);
            EXPECT_NEAR(centre[0], c.scale / 2, 1e-5 * c.scale);
        }
    }
    EXPECT_FLOAT_EQ(largestSquaredCircumradius(0.5f), 2.5f);
    EXPECT_FLOAT_EQ(largestSquaredCircumradius(20.0f), 2000.0f);
}

// A topology built from triangles given by their corners, as the device hands them over.
struct Fixture {
    std::vector<float> positions;
    std::vector<unsigned int> corners;

    MeshTopology topology() const {
        struct E {
            unsigned int a, b, t;
        };
        std::vector<E> edges;
        for (unsigned int t = 0; t < corners.size() / 3; ++t) {
            const unsigned int c[3] = {corners[3 * t], corners[3 * t + 1], corners[3 * t + 2]};
            const unsigned int pairs[3][2] = {{c[0], c[1]}, {c[0], c[2]}, {c[1], c[2]}};
            for (const auto& p : pairs)
                edges.push_back({std::min(p[0], p[1]), std::max(p[0], p[1]), t});
        }
        std::stable_sort(edges.begin(), edges.end(), [](const E& x, const E& y) {
            return std::tie(x.a, x.b) < std::tie(y.a, y.b);
        });
        std::vector<unsigned int> a, b, t;
        for (const E& e : edges) a.push_back(e.a), b.push_back(e.b), t.push_back(e.t);
        return MeshTopology(corners, a, b, t, positions);
    }
};

std::vector<std::vector<int>> cornersOf(const MeshTopology& topology) {
    std::vector<std::vector<int>> list;
    for (const Triangle* t : topology.triangles())
        list.push_back({t->corners[0], t->corners[1], t->corners[2]});
    return list;
}

// A strip of triangles in the plane y = 0 over the points (i, 0, k), i < 6, k < 2, and a flap of
// two triangles on the strip's second diagonal, from point 2 to point 7: a fan of four.
Fixture fanWithFlap() {
    Fixture f;
    const int width = 6;
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < width; ++i)
            f.positions.insert(f.positions.end(), {float(i), 0.0f, float(k)});
    auto at = [](int i, int k) { return unsigned(k * 6 + i); };
    for (int i = 0; i + 1 < width; ++i) {
        f.corners.insert(f.corners.end(), {at(i, 0), at(i + 1, 0), at(i, 1)});
        f.corners.insert(f.corners.end(), {at(i + 1, 0), at(i + 1, 1), at(i, 1)});
    }
    f.positions.insert(f.positions.end(), {1.5f, 1.0f, 0.5f, 1.5f, -1.0f, 0.5f});
    f.corners.insert(f.corners.end(), {at(2, 0), at(1, 1), 12});
    f.corners.insert(f.corners.end(), {at(2, 0), at(1, 1), 13});
    return f;
}

TEST(MeshTopology, RepairDropsTheSmallFlapOfAFanAndKeepsTheSheet) {
    const Fixture f = fanWithFlap();
    MeshTopology kept = f.topology();
    EXPECT_EQ(kept.nonManifoldEdgeCount(), 1u) << "the edge (2, 7) holds four triangles";
    EXPECT_EQ(kept.triangles().size(), 12u) << "without the repair nothing is dropped";

    MeshTopology repaired = f.topology();
    EXPECT_TRUE(repaired.makeManifold().complete);
    EXPECT_EQ(repaired.nonManifoldEdgeCount(), 0u);
    const auto triangles = cornersOf(repaired);
    ASSERT_EQ(triangles.size(), 10u);
    for (const auto& t : triangles)
        for (int c : t) EXPECT_LT(c, 12) << "a flap triangle is left";
}

TEST(MeshTopology, OrientationFlipsTheLaterOfTwoTrianglesThatRunTheSameWay) {
    Fixture f;
    f.positions = {0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 1};
    f.corners = {0, 1, 2, 1, 2, 3};  // both run from 1 to 2
    MeshTopology topology = f.topology();
    EXPECT_EQ(topology.orient(), 1);
    EXPECT_EQ(cornersOf(topology), (std::vector<std::vector<int>>{{0, 1, 2}, {3, 2, 1}}));

    Fixture apart;
    apart.positions = f.positions;
    apart.positions.insert(apart.positions.end(), {5, 0, 5, 6, 0, 5, 5, 0, 6});
    apart.corners = {0, 1, 2, 4, 5, 6};
    EXPECT_EQ(apart.topology().orient(), 2) << "two pieces, two shells";
}

}  // namespace
