// The stages of the scatter node run one by one on hand-made inputs: the device helpers, the
// settings, mesh preparation, candidates, dart throwing, extraction and normals.
#include <gtest/gtest.h>
#include <maya/MFnMesh.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gpu/gpuTesting.h"
#include "pointSuite/deviceFunctions.h"
#include "pointSuite/meshNormals.h"
#include "pointSuite/scatter/scatterCandidates.h"
#include "pointSuite/scatter/scatterDartThrowing.h"
#include "pointSuite/scatter/scatterExtraction.h"
#include "pointSuite/scatter/scatterMeshPreparation.h"
#include "pointSuite/scatter/scatterSetup.h"
#include "shapes.h"

namespace {

constexpr unsigned int kNoSample = CellHashTable::kNoSample;
const std::vector<unsigned short> kPhaseMap = {0,  15, 24, 11, 25, 9,  23, 19, 22, 5,  16, 3, 26, 18,
                                               21, 1,  10, 20, 13, 7,  17, 14, 8,  6,  2,  4, 12};

// A mesh on the device from points (x, y, z each) and a triangle vertex list.
DeviceMesh deviceMesh(const std::vector<float>& points, const std::vector<unsigned int>& triangles) {
    DeviceMesh mesh;
    if (!points.empty()) mesh.points.assign(points.begin(), points.end());
    if (!triangles.empty()) mesh.triangles.assign(triangles.begin(), triangles.end());
    mesh.vertexCount = static_cast<unsigned int>(points.size() / 3);
    mesh.triangleCount = static_cast<unsigned int>(triangles.size() / 3);
    return mesh;
}

// The shape triangulated by the host.
struct HostMesh {
    std::vector<float> points;
    std::vector<unsigned int> triangles;
};

HostMesh triangulate(const shapes::Shape& shape) {
    MStatus status;
    MFnMesh fn(shapes::meshData(shape, &status));
    EXPECT_TRUE(status);
    MIntArray counts, vertices;
    EXPECT_TRUE(fn.getTriangles(counts, vertices));
    HostMesh mesh;
    for (const shapes::Point& p : shape.points) mesh.points.insert(mesh.points.end(), {p.x, p.y, p.z});
    for (unsigned int k = 0; k < vertices.length(); ++k) mesh.triangles.push_back(vertices[k]);
    return mesh;
}

// The grid of radius r over the frame from `min` to `max`.
ScatterGrid gridOver(float r, shapes::Point min, shapes::Point max) {
    GridFrame frame;
    frame.include(min.x, min.y, min.z);
    frame.include(max.x, max.y, max.z);
    ScatterGrid grid;
    EXPECT_TRUE(makeScatterGrid(r, frame, grid));
    return grid;
}

// Candidates at the given points, all on triangle 0 at (0, 0), with their cells in `grid`.
Candidates candidatesAt(const std::vector<shapes::Point>& points, const ScatterGrid& grid) {
    std::vector<float> x, y, z;
    std::vector<CellId> cells;
    for (const shapes::Point& p : points) {
        x.push_back(p.x), y.push_back(p.y), z.push_back(p.z);
        cells.push_back(cellIdOf(p.x, p.y, p.z, grid));
    }
    Candidates c;
    c.resize(static_cast<unsigned int>(points.size()));
    thrust::copy(x.begin(), x.end(), c.x.begin());
    thrust::copy(y.begin(), y.end(), c.y.begin());
    thrust::copy(z.begin(), z.end(), c.z.begin());
    thrust::fill(c.u.begin(), c.u.end(), 0.0f);
    thrust::fill(c.v.begin(), c.v.end(), 0.0f);
    thrust::fill(c.triId.begin(), c.triId.end(), 0u);
    thrust::copy(cells.begin(), cells.end(), c.cellId.begin());
    return c;
}

// The candidate numbers the table accepted, in slot order.
std::vector<unsigned int> acceptedOf(const CellHashTable& table) {
    std::vector<unsigned int> accepted;
    for (unsigned int s : toHost(table.samples))
        if (s != kNoSample) accepted.push_back(s);
    return accepted;
}

std::vector<unsigned int> throwDartsAt(const std::vector<shapes::Point>& points, unsigned int carried,
                                       float r, int trials, CellHashTable* tableOut = nullptr) {
    const ScatterGrid grid = gridOver(r, {-20, -20, -20}, {20, 20, 20});
    Candidates candidates = candidatesAt(points, grid);
    const thrust::device_vector<unsigned short> phaseMap(kPhaseMap.begin(), kPhaseMap.end());
    CellHashTable table;
    EXPECT_TRUE(throwDarts(candidates, carried, r, grid, trials, phaseMap, table));
    std::vector<unsigned int> accepted = acceptedOf(table);
    std::sort(accepted.begin(), accepted.end());
    if (tableOut) *tableOut = std::move(table);
    return accepted;
}

}  // namespace

// ---- device helpers

TEST(DeviceFunctions, GetTriIndexPicksTheFirstElementWhoseRunningSumExceedsTheTarget) {
    // Element 1 has no share, as a degenerate triangle has no area.
    const float cumulative[] = {1, 1, 3, 6};
    struct Case {
        unsigned int count;
        float total, random;
        unsigned int expected;
    } cases[] = {
        {4, 6, 0.0f, 0},         {4, 6, 1.0f, 3},        {4, 6, 0.1f, 0},
        {4, 6, 1.0f / 6, 2},     {4, 6, 0.4f, 2},        {4, 6, 0.55f, 3},
        {4, 6, 0.99999994f, 3},  {1, 6, 0.7f, 0},        {0, 0, 0.5f, 0},
        // A total past the last running sum (rounding) still picks the last element.
        {4, 6.5f, 0.99f, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(getTriIndex(cumulative, c.count, c.total, c.random), c.expected)
            << "count " << c.count << " random " << c.random;
    }
}

TEST(DeviceFunctions, APickWithinItsBucketsBoundsMatchesTheWholeSearch) {
    // Running sums with empty shares, a share far above the others and one far below, picked
    // through 1 to 64 buckets at every bucket end and at randoms in between.
    std::vector<float> cumulative;
    float sum = 0.0f;
    for (int i = 0; i < 300; ++i) {
        sum += i % 7 == 0 ? 0.0f : i == 100 ? 500.0f : i == 200 ? 1e-6f : 0.25f * (i % 5 + 1);
        cumulative.push_back(sum);
    }
    const unsigned int count = static_cast<unsigned int>(cumulative.size());
    for (unsigned int buckets = 1; buckets <= 64; buckets *= 4) {
        std::vector<unsigned int> bounds(buckets + 1);
        for (unsigned int b = 0; b <= buckets; ++b)
            bounds[b] = getTriIndex(cumulative.data(), count, sum, float(b) / float(buckets));
        std::mt19937 random(buckets);
        std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
        std::vector<float> randoms = {0.0f, 1.0f, 0.99999994f, 1e-30f};
        for (unsigned int b = 0; b <= buckets; ++b) randoms.push_back(float(b) / float(buckets));
        for (int i = 0; i < 20000; ++i) randoms.push_back(uniform(random));
        for (float r : randoms) {
            ASSERT_EQ(getTriIndexInBucket(cumulative.data(), count, sum, r, bounds.data(), buckets),
                      getTriIndex(cumulative.data(), count, sum, r))
                << "buckets " << buckets << " random " << r;
        }
    }
}

TEST(DeviceFunctions, EdgeBarycentricGivesThePointOnTheEdge) {
    const unsigned int c0 = 10, c1 = 11, c2 = 12;
    const float corner[3][3] = {{0, 0, 0}, {2, 0, 0}, {0, 0, -4}};
    const float s = 0.25f;
    struct Case {
        unsigned int a, b;
        float u, v;
    } cases[] = {{c0, c1, s, 0},     {c1, c0, 1 - s, 0}, {c0, c2, 0, s},
                 {c2, c0, 0, 1 - s}, {c1, c2, 1 - s, s}, {c2, c1, s, 1 - s}};
    for (const Case& c : cases) {
        float u = -1, v = -1;
        edgeBarycentric(c.a, c.b, c0, c1, c2, s, u, v);
        EXPECT_EQ(u, c.u) << c.a << "-" << c.b;
        EXPECT_EQ(v, c.v) << c.a << "-" << c.b;
        for (int k = 0; k < 3; ++k) {
            const float pa = corner[c.a - c0][k], pb = corner[c.b - c0][k];
            EXPECT_FLOAT_EQ(barycentricBlend(corner[0][k], corner[1][k], corner[2][k], u, v),
                            pa + s * (pb - pa))
                << c.a << "-" << c.b << " axis " << k;
        }
    }
}

TEST(DeviceFunctions, CellIdsRunXThenZThenYAndStayInTheirRow) {
    // Frame cells 0..9 along x, 0..3 along z and 0..4 along y, after a margin of two cells.
    ScatterGrid grid;
    grid.cellSize = 0.5f;
    grid.countX = 14, grid.countZ = 8, grid.countY = 9;
    grid.stepZ = 14, grid.stepY = 14 * 8;
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    struct Case {
        float x, y, z;
        unsigned int kx, ky, kz;
    } cases[] = {
        {1.2f, 0.7f, 0.3f, 2, 1, 0},
        {0.2f, 0.2f, 1.6f, 0, 0, 3},
        {4.99f, 2.4f, 1.99f, 9, 4, 3},
        // Below the minimum, past the frame or not a number: the frame's edge on that axis.
        {-7.0f, -1.0f, 0.6f, 0, 0, 1},
        {5.0f, 0, 0, 9, 0, 0},
        {3e30f, 3e30f, 3e30f, 9, 4, 3},
        {nan, -inf, inf, 0, 0, 3},
    };
    for (const Case& c : cases) {
        const unsigned int expected =
            (c.kx + 2) + (c.kz + 2) * grid.stepZ + (c.ky + 2) * grid.stepY;
        EXPECT_EQ(cellIdOf(c.x, c.y, c.z, grid), expected) << c.x << ", " << c.y << ", " << c.z;
        EXPECT_EQ(blockPositionOfCell(expected, grid),
                  positionInCellBlock(c.kx + 2, c.ky + 2, c.kz + 2));
    }
    // A negative cell size (a bad radius) cannot leave the grid either.
    grid.cellSize = -0.5f;
    EXPECT_EQ(cellIdOf(1.0f, 1.0f, 1.0f, grid), 2u + 2u * grid.stepZ + 2u * grid.stepY);
    EXPECT_EQ(truncateToInt(std::nanf("")), 0);
    EXPECT_EQ(truncateToInt(-3e10f), std::numeric_limits<int>::min());
}

TEST(DeviceFunctions, CellsWithinTwoOfEachOtherNeverShareABlockPosition) {
    // The dart throwing reads the cells within two of its own along each axis while the cells of
    // its phase (its block position) are written.
    EXPECT_EQ(positionInCellBlock(4, 7, 5), 1u + 3u * 2 + 9u * 1);
    for (int kx = 0; kx < 3; ++kx)
        for (int ky = 0; ky < 3; ++ky)
            for (int kz = 0; kz < 3; ++kz)
                for (int dx = -2; dx <= 2; ++dx)
                    for (int dy = -2; dy <= 2; ++dy)
                        for (int dz = -2; dz <= 2; ++dz) {
                            if (!dx && !dy && !dz) continue;
                            EXPECT_NE(positionInCellBlock(kx + 3, ky + 3, kz + 3),
                                      positionInCellBlock(kx + 3 + dx, ky + 3 + dy, kz + 3 + dz));
                        }
}

// ---- settings

TEST(ScatterSetup, CandidateCountsAreRaisedToFiveAndCutAtTenMillion) {
    struct Case {
        float measure, unit;
        int multiplier;
        unsigned int carried;
        unsigned int count;
        bool capped;
    } cases[] = {
        {10, 1, 50, 0, 500, false},
        {10.5f, 1, 50, 3, 553, false},
        {0.001f, 3.14f, 1, 0, 5, false},        // a tiny surface: raised to 5
        {0.001f, 3.14f, 1, 7, 8, false},
        {200000, 1, 50, 0, 10000000, false},    // exactly the cap
        {200000, 1, 50, 1, 10000000, true},
        {1e30f, 1e-6f, 50, 0, 10000000, true},  // no overflow on the way
        {1, 1, 0, 3, 5, false},                 // multipliers below 1 through a connection
        {1000, 1, -10, 20, 20, false},          // never fewer than the carried samples
    };
    for (const Case& c : cases) {
        const CandidateCount n = randomCandidateCount(c.measure, c.unit, c.multiplier, c.carried);
        EXPECT_EQ(n.count, c.count) << c.measure << " / " << c.unit << " x " << c.multiplier;
        EXPECT_EQ(n.capped, c.capped) << c.measure << " / " << c.unit << " x " << c.multiplier;
    }
    EXPECT_EQ(vertexCandidateCount(3, 10).count, 13u);
    const CandidateCount many = vertexCandidateCount(9999999, 5);
    EXPECT_EQ(many.count, kMaximumCandidates);
    EXPECT_TRUE(many.capped);
}

TEST(ScatterSetup, GridCellsHaveADiagonalOfTheRadiusAndTrialsAreClamped) {
    const ScatterGrid grid = gridOver(1.0f, {-1, -2, -1}, {1, 0.5f, 1});
    EXPECT_FLOAT_EQ(grid.cellSize * std::sqrt(3.0f), 1.0f);
    EXPECT_EQ(grid.countX, 4u + 4);  // trunc(2 / 0.577) + 1, and the margins
    EXPECT_EQ(grid.countY, 5u + 4);
    EXPECT_EQ(grid.stepZ, 8u);
    EXPECT_EQ(grid.stepY, 64u);
    EXPECT_EQ(grid.originY, -2.0f);
    EXPECT_EQ(grid.originCellY, 0u);
    const std::pair<int, int> trials[] = {{-5, 1}, {0, 1}, {1, 1}, {20, 20}, {30, 30}, {45, 30}};
    for (auto [given, used] : trials) EXPECT_EQ(clampTrials(given), used) << given;
}

TEST(ScatterSetup, AGridWithMoreCellsThanIdsIsRefused) {
    struct Case {
        float radius, extent;  // a cube frame from 0 to extent
        bool fits;
    } cases[] = {
        {1.0f, 100, true},
        {0.01f, 2, true},          // 350 cells along each axis
        {0.001f, 2, true},         // 3,469 along each axis: 4.2e10 cells, past 32 bits
        {1e-6f, 2, false},         // 3,464,107 along each axis: 4.2e19 cells
        {1.0f, 3e38f, false},      // beyond every integer range
    };
    for (const Case& c : cases) {
        GridFrame frame;
        frame.include(0, 0, 0);
        frame.include(c.extent, c.extent, c.extent);
        ScatterGrid grid;
        double cells = 0;
        EXPECT_EQ(makeScatterGrid(c.radius, frame, grid, &cells), c.fits) << c.radius;
        EXPECT_EQ(cells <= kMaximumGridCells, c.fits) << cells;
        if (c.fits) {
            EXPECT_EQ(static_cast<double>(grid.stepY) * grid.countY, cells);
        }
    }
}

TEST(ScatterSetup, MeshesWithNonFinitePointsOrStrayVertexIdsAreRefused) {
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::vector<float> points;
        std::vector<int> triangles;
        std::string problem;  // empty: accepted
    } cases[] = {
        {{0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 1, 2}, ""},
        {{0, 0, 0, 1, nan, 0, 0, 0, 1}, {0, 1, 2}, "vertex 1 has a coordinate that is not finite"},
        {{0, 0, 0, 1, 0, 0, 0, 0, -inf}, {0, 1, 2}, "vertex 2 has a coordinate that is not finite"},
        {{0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 1, 2, 2, 1, 3},
         "triangle 1 names vertex 3 of a mesh with 3 vertices"},
        {{0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, -1, 2}, "triangle 0 names vertex -1 of a mesh with 3 vertices"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findMeshProblem(c.points.data(), static_cast<unsigned int>(c.points.size() / 3),
                                  c.triangles.data(), static_cast<unsigned int>(c.triangles.size())),
                  c.problem);
    }
}

// ---- mesh preparation

TEST(MeshPreparation, BorderEdgesAreTheEdgesOfOneTriangle) {
    struct Case {
        const char* name;
        std::vector<unsigned int> triangles;
    } cases[] = {
        {"single triangle", {0, 1, 2}},
        {"quad", {0, 1, 2, 0, 2, 3}},
        {"first sorted edge shared", {0, 1, 2, 1, 0, 3}},
        {"last sorted edge shared", {0, 2, 3, 1, 2, 3}},
        {"closed tetrahedron", {0, 1, 2, 0, 3, 1, 1, 3, 2, 2, 3, 0}},
    };
    const std::vector<float> points = {0, 0, 0, 1, 0, 0, 1, 0, -1, 0, 1, -1};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Brute force: every edge with the triangles that use it.
        std::map<std::pair<unsigned int, unsigned int>, std::vector<unsigned int>> users;
        for (unsigned int t = 0; t < c.triangles.size() / 3; ++t)
            for (auto [i, j] : {std::pair{0, 1}, std::pair{0, 2}, std::pair{1, 2}}) {
                const unsigned int a = c.triangles[3 * t + i], b = c.triangles[3 * t + j];
                users[{std::min(a, b), std::max(a, b)}].push_back(t);
            }
        std::vector<std::pair<unsigned int, unsigned int>> expected;
        for (auto& [edge, triangles] : users)
            if (triangles.size() == 1) expected.push_back(edge);

        const DeviceMesh mesh = deviceMesh(points, c.triangles);
        BorderEdges edges;
        ASSERT_TRUE(findBorderEdges(mesh, edges));
        ASSERT_EQ(edges.count, expected.size());
        const auto a = toHost(edges.edgeA), b = toHost(edges.edgeB), t = toHost(edges.edgeT);
        const auto lengths = toHost(edges.lengths), cumulative = toHost(edges.cumulativeLength);
        float sum = 0;
        for (unsigned int e = 0; e < edges.count; ++e) {
            EXPECT_EQ(std::make_pair(a[e], b[e]), expected[e]) << "edge " << e;
            EXPECT_EQ(t[e], users[expected[e]][0]) << "edge " << e;
            const float* pa = &points[3 * a[e]];
            const float* pb = &points[3 * b[e]];
            EXPECT_FLOAT_EQ(lengths[e], std::hypot(pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]));
            sum += lengths[e];
            EXPECT_FLOAT_EQ(cumulative[e], sum);
        }
        EXPECT_FLOAT_EQ(edges.totalLength, sum);
    }
}

TEST(MeshPreparation, AreasAndTheirRunningSum) {
    // The second triangle is degenerate (its corners lie on a line).
    const std::vector<float> points = {0, 0, 0, 2, 0, 0, 0, 0, -3, 4, 0, 0};
    const DeviceMesh mesh = deviceMesh(points, {0, 1, 2, 0, 1, 3, 2, 1, 3});
    TriangleAreas areas;
    ASSERT_TRUE(computeTriangleAreas(mesh, areas));
    EXPECT_EQ(toHost(areas.areas), (std::vector<float>{3, 0, 3}));
    EXPECT_EQ(toHost(areas.cumulativeArea), (std::vector<float>{3, 3, 6}));
    EXPECT_EQ(areas.totalArea, 6.0f);

    TriangleAreas none;
    ASSERT_TRUE(computeTriangleAreas(deviceMesh(points, {}), none));
    EXPECT_EQ(none.totalArea, 0.0f);
    BorderEdges noEdges;
    ASSERT_TRUE(findBorderEdges(deviceMesh(points, {}), noEdges));
    EXPECT_EQ(noEdges.count, 0u);
}

// ---- candidates

TEST(Candidates, VerticesFollowTheCarriedSamplesOnTheFirstTriangleThatUsesThem) {
    // Vertex 4 is used by no triangle.
    const std::vector<float> points = {0, 0, 0, 1, 0, 0, 1, 0, -1, 0, 0, -1, 5, 5, 5};
    const std::vector<unsigned int> triangles = {1, 2, 3, 0, 1, 3};
    const ScatterGrid grid = gridOver(0.5f, {-1, -1, -2}, {6, 6, 6});
    AcceptedSamples carried;
    const std::vector<float> carriedPositions = {0.5f, 0, -0.5f, 0.25f, 0, -0.5f};
    carried.positions.assign(carriedPositions.begin(), carriedPositions.end());
    const std::vector<float> carriedUV = {0.5f, 0.25f, 0.125f, 0.5f};
    carried.uv.assign(carriedUV.begin(), carriedUV.end());
    const std::vector<unsigned int> carriedTriangles = {1, 0};
    carried.triangles.assign(carriedTriangles.begin(), carriedTriangles.end());
    carried.count = 2;

    Candidates c;
    ASSERT_TRUE(makeVertexCandidates(points, triangles, carried, grid, 2 + 5, c));
    ASSERT_EQ(c.count, 7u);
    const auto x = toHost(c.x), y = toHost(c.y), z = toHost(c.z), u = toHost(c.u), v = toHost(c.v);
    const auto triangle = toHost(c.triId);
    const auto cell = toHost(c.cellId);
    struct Expected {
        float x, y, z, u, v;
        unsigned int triangle;
    } expected[] = {
        {0.5f, 0, -0.5f, 0.5f, 0.25f, 1}, {0.25f, 0, -0.5f, 0.125f, 0.5f, 0},  // carried
        {0, 0, 0, 0, 0, 1},  {1, 0, 0, 0, 0, 0}, {1, 0, -1, 1, 0, 0},
        {0, 0, -1, 0, 1, 0}, {5, 5, 5, 0, 0, 0},  // no triangle: triangle 0 at (0, 0)
    };
    for (unsigned int i = 0; i < 7; ++i) {
        const Expected& e = expected[i];
        EXPECT_EQ(x[i], e.x) << i;
        EXPECT_EQ(y[i], e.y) << i;
        EXPECT_EQ(z[i], e.z) << i;
        EXPECT_EQ(u[i], e.u) << i;
        EXPECT_EQ(v[i], e.v) << i;
        EXPECT_EQ(triangle[i], e.triangle) << i;
        EXPECT_EQ(cell[i], cellIdOf(e.x, e.y, e.z, grid))
            << i;
    }

    // A cut count keeps the carried samples and the first vertices.
    Candidates cut;
    ASSERT_TRUE(makeVertexCandidates(points, triangles, carried, grid, 4, cut));
    EXPECT_EQ(toHost(cut.x), (std::vector<float>{0.5f, 0.25f, 0, 1}));
}

TEST(Candidates, RandomPointsLieOnTheirTriangleOrBorderEdge) {
    // A quad beside a degenerate triangle, which no surface candidate may pick.
    const std::vector<float> points = {0, 0, 0, 1, 0, 0, 1, 0, -1, 0, 0, -1, 2, 0, 0};
    const DeviceMesh mesh = deviceMesh(points, {0, 1, 2, 0, 2, 3, 0, 1, 4});
    TriangleAreas areas;
    ASSERT_TRUE(computeTriangleAreas(mesh, areas));
    BorderEdges edges;
    ASSERT_TRUE(findBorderEdges(mesh, edges));
    const ScatterGrid grid = gridOver(0.1f, {0, 0, -1}, {2, 0, 0});
    AcceptedSamples none;

    for (bool onEdges : {false, true}) {
        SCOPED_TRACE(onEdges ? "border edges" : "surface");
        Candidates c;
        ASSERT_TRUE(onEdges ? makeBorderEdgeCandidates(mesh, edges, none, grid, 2000, 7, c)
                            : makeSurfaceCandidates(mesh, areas, none, grid, 2000, 7, c));
        const auto x = toHost(c.x), y = toHost(c.y), z = toHost(c.z), u = toHost(c.u), v = toHost(c.v);
        const auto triangle = toHost(c.triId);
        const auto cell = toHost(c.cellId);
        const std::vector<unsigned int> list = {0, 1, 2, 0, 2, 3, 0, 1, 4};
        std::set<unsigned int> used;
        for (unsigned int i = 0; i < c.count; ++i) {
            ASSERT_LT(triangle[i], 3u);
            used.insert(triangle[i]);
            const float* a = &points[3 * list[3 * triangle[i]]];
            const float* b = &points[3 * list[3 * triangle[i] + 1]];
            const float* cc = &points[3 * list[3 * triangle[i] + 2]];
            EXPECT_NEAR(x[i], a[0] + u[i] * (b[0] - a[0]) + v[i] * (cc[0] - a[0]), 1e-6);
            EXPECT_NEAR(z[i], a[2] + u[i] * (b[2] - a[2]) + v[i] * (cc[2] - a[2]), 1e-6);
            EXPECT_EQ(y[i], 0.0f);
            EXPECT_GE(u[i], 0.0f);
            EXPECT_GE(v[i], 0.0f);
            EXPECT_LE(u[i] + v[i], 1.0f + 1e-6f);
            if (onEdges) {
                // On the outline of the quad or on the degenerate triangle's edges.
                EXPECT_TRUE(z[i] == 0.0f || z[i] == -1.0f || x[i] == 0.0f || x[i] == 1.0f)
                    << x[i] << ", " << z[i];
            }
            EXPECT_EQ(cell[i], cellIdOf(x[i], y[i], z[i], grid));
        }
        if (!onEdges) {
            EXPECT_EQ(used, (std::set<unsigned int>{0, 1})) << "never the degenerate one";
        }
    }
}

// ---- dart throwing

TEST(DartThrowing, OneCandidateIsAcceptedInTheFirstTrial) {
    CellHashTable table;
    EXPECT_EQ(throwDartsAt({{0.3f, 0.3f, 0.3f}}, 0, 1.0f, 1, &table), (std::vector<unsigned int>{0}));
    EXPECT_EQ(table.size, 4);
}

TEST(DartThrowing, DistancesOfTheRadiusOrLessAreRefused) {
    // 1.0 apart exactly in float, in cells two apart along x.
    EXPECT_EQ(throwDartsAt({{0.25f, 0.25f, 0.25f}, {1.25f, 0.25f, 0.25f}}, 0, 1.0f, 5).size(), 1u);
    EXPECT_EQ(throwDartsAt({{0.25f, 0.25f, 0.25f}, {1.2500001f, 0.25f, 0.25f}}, 0, 1.0f, 5).size(), 2u);
    // A diagonal neighbour within r.
    EXPECT_EQ(throwDartsAt({{0.1f, 0.1f, 0.1f}, {0.6f, 0.6f, 0.6f}}, 0, 1.0f, 5).size(), 1u);
}

TEST(DartThrowing, OnlyTheFirstTrialsCandidatesOfACellAreTried) {
    // Candidates 1 and 2 share a cell; 1 lies within r of the carried sample 0, 2 does not.
    const std::vector<shapes::Point> points = {{-1.2f, 0, 0}, {-0.3f, 0, 0}, {0.15f, 0, 0}};
    EXPECT_EQ(throwDartsAt(points, 1, 1.0f, 1), (std::vector<unsigned int>{0}));
    EXPECT_EQ(throwDartsAt(points, 1, 1.0f, 2), (std::vector<unsigned int>{0, 2}));
}

TEST(DartThrowing, CarriedSamplesStayAndRefuseNewCandidatesNearThem) {
    const std::vector<shapes::Point> points = {
        {0, 0, 0}, {3, 0, 0}, {0.5f, 0, 0}, {0, 0.9f, 0}, {3, 0, 0.2f}, {6, 0, 0}};
    EXPECT_EQ(throwDartsAt(points, 2, 1.0f, 5), (std::vector<unsigned int>{0, 1, 5}));
}

TEST(DartThrowing, ASixthCellInAFullBucketIsLost) {
    // Six cells far apart whose ids all fall in bucket 0 of a table of 4 * 6 buckets.
    const ScatterGrid grid = gridOver(1.0f, {0, 0, 0}, {100, 0, 100});
    std::vector<shapes::Point> points;
    std::vector<unsigned int> cells;
    for (unsigned int i = 0; i < 6; ++i) {
        points.push_back({10.0f * i, 0, 0});
        cells.push_back(24 * i);
    }
    const thrust::device_vector<unsigned short> phaseMap(kPhaseMap.begin(), kPhaseMap.end());
    for (unsigned int carried : {0u, 6u}) {
        SCOPED_TRACE(carried);
        Candidates candidates = candidatesAt(points, grid);
        thrust::copy(cells.begin(), cells.end(), candidates.cellId.begin());
        CellHashTable table;
        ASSERT_TRUE(throwDarts(candidates, carried, 1.0f, grid, 5, phaseMap, table));
        EXPECT_EQ(table.size, 24);
        EXPECT_EQ(toHost(table.bucketIndex)[0], 6u) << "every cell was counted";
        EXPECT_EQ(acceptedOf(table), (std::vector<unsigned int>{0, 1, 2, 3, 4}));
    }
}

TEST(DartThrowing, FullBucketsKeepTheirLowestCellsInOrderAtAnyThreadCount) {
    // 21,000 cells, seven to each of the first 3,000 buckets of a table of 4 * 21,000: the cells
    // of a bucket lie 3,000 apart, so that many threads claim a bucket's slots at once; each
    // bucket must still keep its first five cells, in cell order.
    const unsigned int buckets = 3000, perBucket = 7, cellCount = buckets * perBucket;
    const unsigned int size = 4 * cellCount;
    const ScatterGrid grid = gridOver(1.0f, {0, 0, 0}, {1000, 0, 1000});
    std::vector<shapes::Point> points;
    std::vector<CellId> cells;
    for (unsigned int j = 0; j < perBucket; ++j) {
        for (unsigned int b = 0; b < buckets; ++b) {
            const unsigned int i = static_cast<unsigned int>(points.size());
            points.push_back({3.0f * (i % 300), 0, 3.0f * (i / 300)});  // 3 apart: no refusals
            cells.push_back(static_cast<CellId>(j) * size + b);
        }
    }
    const thrust::device_vector<unsigned short> phaseMap(kPhaseMap.begin(), kPhaseMap.end());
    auto acceptedAt = [&](int threads) {
        const HostThreads hostThreads(threads);
        Candidates candidates = candidatesAt(points, grid);
        thrust::copy(cells.begin(), cells.end(), candidates.cellId.begin());
        CellHashTable table;
        EXPECT_TRUE(throwDarts(candidates, 0, 1.0f, grid, 1, phaseMap, table));
        EXPECT_EQ(table.size, static_cast<int>(size));
        return acceptedOf(table);
    };
    // Slot-major order: slot j of every bucket holds the cell of row j.
    std::vector<unsigned int> expected(5 * buckets);
    for (unsigned int i = 0; i < expected.size(); ++i) expected[i] = i;
    EXPECT_EQ(acceptedAt(1), expected);
    for (int run = 0; run < 10; ++run) EXPECT_EQ(acceptedAt(8), expected) << "run " << run;
}

TEST(DartThrowing, NeighboursInTheLastAndFirstBucketsSeeEachOther) {
    // Two candidates 0.4 apart in neighbouring cells a and a + 1, with a in the last bucket of the
    // table of 4 * 2 buckets and a + 1 in the first; the three cases put a at each position of
    // its block along x, so each of the two cells comes first in some case.
    const ScatterGrid grid = gridOver(1.0f, {0, 0, 0}, {100, 0, 100});
    const thrust::device_vector<unsigned short> phaseMap(kPhaseMap.begin(), kPhaseMap.end());
    for (unsigned int a : {1007u, 1015u, 1023u}) {
        SCOPED_TRACE(a);
        Candidates candidates = candidatesAt({{50.5f, 0, 50.5f}, {50.9f, 0, 50.5f}}, grid);
        const std::vector<CellId> cells = {a, a + 1};
        thrust::copy(cells.begin(), cells.end(), candidates.cellId.begin());
        CellHashTable table;
        ASSERT_TRUE(throwDarts(candidates, 0, 1.0f, grid, 5, phaseMap, table));
        ASSERT_EQ(table.size, 8);
        EXPECT_EQ(acceptedOf(table).size(), 1u);
    }
}

// Clouds filling a cube, a flat one whose cells all share one coordinate, and one of few cells
// along each axis, on one thread and on eight, quiet and beside busy threads.
TEST(DartThrowing, TheResultIsTheSameOnAnyNumberOfThreads) {
    unsigned int state = 12345;
    auto next = [&state] { return (state = state * 1664525u + 1013904223u) / 4294967296.0f; };
    const struct {
        const char* name;
        float extent, r;
        bool flat;
    } clouds[] = {{"cube", 4, 0.05f, false}, {"flat", 4, 0.02f, true}, {"few cells", 2, 0.1f, false}};
    for (const auto& cloud : clouds) {
        SCOPED_TRACE(cloud.name);
        std::vector<shapes::Point> points;
        for (int i = 0; i < 200000; ++i) {
            const float x = cloud.extent * next(), y = cloud.extent * next();
            points.push_back({x, cloud.flat ? 0.5f : y, cloud.extent * next()});
        }
        std::vector<unsigned int> reference;
        for (const auto& [threads, busyThreads] : {std::pair{1, 0}, {8, 0}, {8, 8}}) {
            HostThreads use(threads);
            BusyThreads busy(busyThreads);
            CellHashTable table;
            throwDartsAt(points, 1000, cloud.r, 5, &table);
            const std::vector<unsigned int> samples = toHost(table.samples);
            if (reference.empty()) reference = samples;
            EXPECT_EQ(samples, reference) << threads << " threads, " << busyThreads << " busy";
        }
    }
}

// ---- extraction

TEST(Extraction, OccupiedSlotsComeOutInSlotOrderUpToTheLastSlot) {
    Candidates candidates = candidatesAt({{0, 0, 0}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, ScatterGrid());
    const std::vector<float> u = {0.1f, 0.2f, 0.3f, 0.4f}, v = {0.5f, 0.6f, 0.7f, 0.8f};
    const std::vector<unsigned int> triangles = {10, 11, 12, 13};
    thrust::copy(u.begin(), u.end(), candidates.u.begin());
    thrust::copy(v.begin(), v.end(), candidates.v.begin());
    thrust::copy(triangles.begin(), triangles.end(), candidates.triId.begin());

    CellHashTable table;
    table.size = 2;
    const std::vector<unsigned int> slots = {kNoSample, 3, kNoSample, kNoSample, 2,
                                             kNoSample, kNoSample, kNoSample, kNoSample, 1};
    table.samples.assign(slots.begin(), slots.end());
    AcceptedSamples samples;
    ASSERT_TRUE(extractAcceptedSamples(table, candidates, samples));
    ASSERT_EQ(samples.count, 3u);
    EXPECT_EQ(toHost(samples.positions), (std::vector<float>{7, 8, 9, 4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(toHost(samples.uv), (std::vector<float>{0.4f, 0.8f, 0.3f, 0.7f, 0.2f, 0.6f}));
    EXPECT_EQ(toHost(samples.triangles), (std::vector<unsigned int>{13, 12, 11}));

    table.samples.assign(10, kNoSample);
    ASSERT_TRUE(extractAcceptedSamples(table, candidates, samples));
    EXPECT_EQ(samples.count, 0u);
    ASSERT_TRUE(extractAcceptedSamples(CellHashTable(), candidates, samples));
    EXPECT_EQ(samples.count, 0u);
}

// ---- normals

TEST(MeshNormals, SamplesBlendTheMeanFaceNormalsOfTheirCorners) {
    for (const shapes::Shape& shape : {shapes::grid(2, 2, 2, 2), shapes::cube(2)}) {
        const HostMesh host = triangulate(shape);
        const DeviceMesh mesh = deviceMesh(host.points, host.triangles);
        const unsigned int triangleCount = mesh.triangleCount;
        // Brute force: per vertex, the mean of its triangles' unit face normals.
        std::vector<double> vertexNormal(host.points.size(), 0.0);
        std::vector<int> uses(host.points.size() / 3, 0);
        for (unsigned int t = 0; t < triangleCount; ++t) {
            const float* a = &host.points[3 * host.triangles[3 * t]];
            const float* b = &host.points[3 * host.triangles[3 * t + 1]];
            const float* c = &host.points[3 * host.triangles[3 * t + 2]];
            const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            const double e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                           e1[0] * e2[1] - e1[1] * e2[0]};
            const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (int corner = 0; corner < 3; ++corner) {
                const unsigned int vertex = host.triangles[3 * t + corner];
                ++uses[vertex];
                for (int k = 0; k < 3; ++k) vertexNormal[3 * vertex + k] += n[k] / length;
            }
        }
        for (size_t i = 0; i < vertexNormal.size(); ++i) vertexNormal[i] /= uses[i / 3];
        // A sample at each corner of each triangle, and one inside.
        std::vector<unsigned int> sampleTriangle;
        std::vector<float> uv;
        for (unsigned int t = 0; t < triangleCount; ++t)
            for (auto [u, v] : {std::pair{0.0f, 0.0f}, std::pair{1.0f, 0.0f}, std::pair{0.0f, 1.0f},
                                std::pair{0.25f, 0.25f}}) {
                sampleTriangle.push_back(t);
                uv.insert(uv.end(), {u, v});
            }
        const thrust::device_vector<unsigned int> deviceTriangle(sampleTriangle.begin(), sampleTriangle.end());
        const thrust::device_vector<float> deviceUV(uv.begin(), uv.end());
        const unsigned int count = static_cast<unsigned int>(sampleTriangle.size());
        thrust::device_vector<float> normals(3 * count);
        ASSERT_TRUE(computeSampleNormals(devicePointer(mesh.points), mesh.vertexCount,
                                         devicePointer(mesh.triangles), triangleCount,
                                         devicePointer(deviceTriangle), devicePointer(deviceUV),
                                         count, devicePointer(normals)));
        const std::vector<float> result = toHost(normals);
        for (unsigned int i = 0; i < count; ++i) {
            const unsigned int t = sampleTriangle[i];
            const float u = uv[2 * i], v = uv[2 * i + 1];
            const float weight[3] = {1 - u - v, u, v};
            double expected[3] = {0, 0, 0};
            for (int corner = 0; corner < 3; ++corner) {
                const double* n = &vertexNormal[3 * host.triangles[3 * t + corner]];
                for (int k = 0; k < 3; ++k) expected[k] += weight[corner] * n[k];
            }
            const double length = std::sqrt(expected[0] * expected[0] + expected[1] * expected[1] +
                                             expected[2] * expected[2]);
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(result[3 * i + k], expected[k] / length, 1e-5)
                    << "triangle " << t << " (" << u << ", " << v << ") axis " << k;
        }
    }
}

TEST(MeshNormals, SamplesWhoseVertexNormalsCancelGetZero) {
    // One triangle twice, wound both ways: each vertex normal is the mean of two opposite ones.
    const std::vector<float> points = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    const DeviceMesh mesh = deviceMesh(points, {0, 1, 2, 0, 2, 1});
    const thrust::device_vector<unsigned int> sampleTriangle = std::vector<unsigned int>{0, 1};
    const thrust::device_vector<float> uv = std::vector<float>{0.25f, 0.25f, 0.5f, 0.0f};
    thrust::device_vector<float> normals(6, -9.0f);
    ASSERT_TRUE(computeSampleNormals(devicePointer(mesh.points), mesh.vertexCount,
                                     devicePointer(mesh.triangles), mesh.triangleCount,
                                     devicePointer(sampleTriangle), devicePointer(uv), 2,
                                     devicePointer(normals)));
    EXPECT_EQ(toHost(normals), (std::vector<float>{0, 0, 0, 0, 0, 0}));
}

TEST(MeshNormals, FaceNormalsAreUnitAndZeroForADegenerateTriangle) {
    const std::vector<float> points = {0, 0, 0, 2, 0, 0, 0, 0, -3, 4, 0, 0};
    const DeviceMesh mesh = deviceMesh(points, {0, 1, 2, 0, 1, 3});
    thrust::device_vector<float> normals(6, -9.0f);
    launchCalculateNormalVector(devicePointer(mesh.points), devicePointer(mesh.triangles),
                                devicePointer(normals), 2);
    ASSERT_EQ(cudaGetLastError(), cudaSuccess);
    EXPECT_EQ(toHost(normals), (std::vector<float>{0, 1, 0, 0, 0, 0}));
    launchCalculateNormalVector(devicePointer(mesh.points), devicePointer(mesh.triangles),
                                devicePointer(normals), 0);
    EXPECT_EQ(cudaGetLastError(), cudaSuccess) << "no triangles launch nothing";
}
