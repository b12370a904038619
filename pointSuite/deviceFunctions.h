#pragma once
// Device functions that the kernels of pointSuite share: the cells of the hashed grid, weighted
// picks from running sums and barycentric blends. All are __host__ __device__, so host code and
// tests call them too. The launch shapes and their thread indices are common/deviceLaunch.h.
#include <gpu/runtime.h>

#include <climits>

// value truncated toward zero, saturating at the ends of the int range as the device's
// conversion does; NaN gives 0.
__host__ __device__ inline int truncateToInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483648.0f) return INT_MAX;
    if (value <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(value);
}

// The id of a grid cell. Grids of more than 2^32 cells are common (a large box, a small radius),
// so ids have 64 bits: no two cells of a grid share one.
using CellId = unsigned long long;

// The hashed grid of a minimum distance r: cubic cells of edge cellSize = r / sqrt(3), so a
// cell's diagonal is r and a cell holds at most one sample. The grid covers a frame (min to max
// per axis) that holds every point sampled, with kGridMargin more cells on each side, so the
// cells within two of any cell of the frame lie inside the grid too. countX, countY and countZ
// are the cells along each axis, margins included; the id of cell (kx, ky, kz) is
// kx + kz * stepZ + ky * stepY with stepZ = countX and stepY = countX * countZ (x fastest, then
// z, then y), and no two cells of the grid share an id. The cells are numbered from the frame's
// lower corner but measured from an origin near the points (common/gridOrigin.h): cell
// originCellX of the frame starts at originX, and so on.
struct ScatterGrid {
    float cellSize = 1.0f;
    float originX = 0.0f, originY = 0.0f, originZ = 0.0f;
    CellId originCellX = 0, originCellY = 0, originCellZ = 0;
    CellId countX = 5, countY = 5, countZ = 5;
    CellId stepZ = 5, stepY = 25;
};
constexpr unsigned int kGridMargin = 2;

// The cell coordinate of p along an axis of `count` cells (margins included) whose frame cell
// originCell starts at `origin`: kGridMargin + originCell + floor((p - origin) / cellSize), kept
// within the frame's cells from originCell on, so that a point below the origin, past the frame
// or not a number never reaches another row.
__host__ __device__ inline CellId cellCoordinate(float p, float origin, CellId originCell,
                                                 float cellSize, CellId count) {
    const float k = floorf((p - origin) / cellSize);
    if (!(k > 0.0f)) return originCell + kGridMargin;
    const CellId lastFromOrigin = count - 2 * kGridMargin - 1 - originCell;
    const CellId fromOrigin = static_cast<double>(k) >= static_cast<double>(lastFromOrigin)
                                  ? lastFromOrigin
                                  : static_cast<CellId>(k);
    return originCell + fromOrigin + kGridMargin;
}

// The id of the cell holding (x, y, z).
__host__ __device__ inline CellId cellIdOf(float x, float y, float z, const ScatterGrid& grid) {
    const CellId kx = cellCoordinate(x, grid.originX, grid.originCellX, grid.cellSize, grid.countX);
    const CellId ky = cellCoordinate(y, grid.originY, grid.originCellY, grid.cellSize, grid.countY);
    const CellId kz = cellCoordinate(z, grid.originZ, grid.originCellZ, grid.cellSize, grid.countZ);
    return kx + kz * grid.stepZ + ky * grid.stepY;
}

// The position 0..26 of a cell within its block of 3 x 3 x 3 cells, from the cell coordinates:
// x fastest, then z, then y, the order of the cell ids. Two cells at the same position are 3 or
// more cells apart along some axis.
__host__ __device__ inline unsigned int positionInCellBlock(CellId kx, CellId ky, CellId kz) {
    return static_cast<unsigned int>(kx % 3 + 3 * (kz % 3) + 9 * (ky % 3));
}

// The coordinate along one axis (0 x, 1 y, 2 z) of the cell with id `cell` of the grid.
__host__ __device__ inline CellId cellCoordinateAlong(CellId cell, const ScatterGrid& grid,
                                                      unsigned int axis) {
    if (axis == 0) return cell % grid.stepZ;
    if (axis == 2) return (cell / grid.stepZ) % grid.countZ;
    return cell / grid.stepY;
}

// The block position of the cell with id `cell` of the grid, from the coordinates its id holds.
__host__ __device__ inline unsigned int blockPositionOfCell(CellId cell, const ScatterGrid& grid) {
    return positionInCellBlock(cellCoordinateAlong(cell, grid, 0),
                               cellCoordinateAlong(cell, grid, 1),
                               cellCoordinateAlong(cell, grid, 2));
}

// The first index of lo .. lo + n - 1 whose running sum exceeds target, the last one when none
// before it does; each step halves n without a branch to mispredict.
__host__ __device__ inline unsigned int searchRunningSum(const float* cumulative, float target,
                                                         unsigned int lo, unsigned int n) {
    while (n > 1) {
        const unsigned int half = n / 2;
        // A mask rather than a choice: compilers turn a choice back into a branch here.
        lo += half & (0u - static_cast<unsigned int>(cumulative[lo + half - 1] <= target));
        n -= half;
    }
    return lo;
}

// Picks an element with probability proportional to its share of the inclusive running sum
// cumulative[0..count-1] (total = its last value), for random in [0, 1]: the first index whose
// running sum exceeds total * random. random 0 picks 0, random 1 (and a target that rounding
// puts at or above the last sum) picks count - 1. Reads only cumulative[0..count-1]; count 0
// gives 0 without reading.
__host__ __device__ inline unsigned int getTriIndex(const float* cumulative, unsigned int count,
                                                    float total, float random) {
    if (count <= 1 || random <= 0.0f) return 0;
    if (random >= 1.0f) return count - 1;
    const float target = total * random;
    if (!(target < cumulative[count - 1])) return count - 1;
    return searchRunningSum(cumulative, target, 0, count);
}

// getTriIndex's answer, searched only between the answers at the two ends of random's bucket:
// bounds[b] is getTriIndex at random b / buckets, for b = 0 .. buckets (a power of two up to
// 2^24, so that both the bucket and its ends are exact). The answer grows with random, so it
// lies between them, and the search finds the same index in a few steps.
__host__ __device__ inline unsigned int getTriIndexInBucket(const float* cumulative,
                                                            unsigned int count, float total,
                                                            float random,
                                                            const unsigned int* bounds,
                                                            unsigned int buckets) {
    if (count <= 1 || random <= 0.0f) return 0;
    if (random >= 1.0f) return count - 1;
    const float target = total * random;
    if (!(target < cumulative[count - 1])) return count - 1;
    const unsigned int bucket = static_cast<unsigned int>(random * static_cast<float>(buckets));
    const unsigned int lo = bounds[bucket];
    return searchRunningSum(cumulative, target, lo, bounds[bucket + 1] - lo + 1);
}

// One coordinate of the point A + u (B - A) + v (C - A), evaluated as (a + (b - a) u) + (c - a) v.
__host__ __device__ inline float barycentricBlend(float a, float b, float c, float u, float v) {
    return (a + (b - a) * u) + (c - a) * v;
}

// The barycentric (u, v) in the triangle with corners c0, c1, c2 (triangle-list order) of the
// point a + s (b - a) on its edge between vertices a and b.
__host__ __device__ inline void edgeBarycentric(unsigned int a, unsigned int b, unsigned int c0,
                                                unsigned int c1, unsigned int c2, float s,
                                                float& u, float& v) {
    const float rest = static_cast<float>(1.0 - static_cast<double>(s));
    if (a == c0 && b == c1) {
        u = s, v = 0.0f;
    } else if (a == c1 && b == c0) {
        u = rest, v = 0.0f;
    } else if (a == c0 && b == c2) {
        u = 0.0f, v = s;
    } else if (a == c2 && b == c0) {
        u = 0.0f, v = rest;
    } else if (a == c1 && b == c2) {
        u = rest, v = s;
    } else {
        u = s, v = rest;
    }
}

// The weight of corner A in the blend with (u, v): 1 - (u + v), computed in double precision.
__host__ __device__ inline float firstCornerWeight(float u, float v) {
    return static_cast<float>(1.0 - (static_cast<double>(u) + static_cast<double>(v)));
}
