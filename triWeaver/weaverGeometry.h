#pragma once
// Device functions of the weaver's kernels: the cells of its grid, the hashed lookup of a cell's
// point and the circumcircle test. All are __host__ __device__, so host code and tests call them
// directly.
#include <gpu/runtime.h>
#include <math.h>

// The weaver's grid: cubic cells of edge cellSize = radius / sqrt(3) (a cell's diagonal is the
// radius) over a frame that holds the bounding box and every point, dimX x dimY x dimZ cells
// numbered from the frame's lower corner but measured from an origin near the points
// (common/gridOrigin.h): cell originCellX starts at originX, and so on. The id of cell
// (cx, cy, cz) is cx + cz * stepZ + cy * stepY with stepZ = dimX and stepY = dimX * dimZ; every id
// is below 2^32.
struct WeaverGrid {
    float cellSize = 1.0f;
    float originX = 0.0f, originY = 0.0f, originZ = 0.0f;
    unsigned int originCellX = 0, originCellY = 0, originCellZ = 0;
    unsigned int dimX = 1, dimY = 1, dimZ = 1;
    unsigned int stepZ = 1, stepY = 1;
};

// Marks an empty slot of the hash table.
constexpr unsigned int kNoPoint = 0xFFFFFFFFu;
// Slots per bucket of the hash table (slot-major: slot s of bucket b at s * H + b).
constexpr unsigned int kBucketSlots = 5;
// Neighbours kept per point, and the triples their pairs make.
constexpr unsigned int kMaxNeighbours = 21;
constexpr unsigned int kTriplesPerPoint = 210;
// Test points kept per candidate triple.
constexpr unsigned int kMaxTestPoints = 20;

// The cell coordinate of p along an axis of `count` cells whose cell originCell starts at
// `origin`: originCell + floor((p - origin) / cellSize), with values below the origin (and NaN)
// at originCell and values past the frame at the last cell, so that no point reaches another row.
__host__ __device__ inline unsigned int weaverCellCoordinate(float p, float origin,
                                                             unsigned int originCell,
                                                             float cellSize, unsigned int count) {
    const float k = floorf((p - origin) / cellSize);
    if (!(k > 0.0f)) return originCell;
    if (k >= static_cast<float>(count - 1 - originCell)) return count - 1;
    return originCell + static_cast<unsigned int>(k);
}

__host__ __device__ inline unsigned int weaverCellId(float x, float y, float z,
                                                     const WeaverGrid& grid) {
    const unsigned int cx =
        weaverCellCoordinate(x, grid.originX, grid.originCellX, grid.cellSize, grid.dimX);
    const unsigned int cy =
        weaverCellCoordinate(y, grid.originY, grid.originCellY, grid.cellSize, grid.dimY);
    const unsigned int cz =
        weaverCellCoordinate(z, grid.originZ, grid.originCellZ, grid.cellSize, grid.dimZ);
    return cx + cz * grid.stepZ + cy * grid.stepY;
}

// The coordinates of a cell along x, y and z, from its id.
struct WeaverCell {
    long long x, y, z;
};
__host__ __device__ inline WeaverCell weaverCellOf(unsigned int cell, const WeaverGrid& grid) {
    return {static_cast<long long>(cell % grid.stepZ), static_cast<long long>(cell / grid.stepY),
            static_cast<long long>((cell / grid.stepZ) % grid.dimZ)};
}

// The cell at offset (dx, dy, dz) from `cell`; false when the offset leaves the grid along any
// axis.
__host__ __device__ inline bool weaverNeighbourCell(const WeaverCell& cell, int dx, int dy, int dz,
                                                    const WeaverGrid& grid,
                                                    unsigned int& neighbour) {
    const long long cx = cell.x + dx, cy = cell.y + dy, cz = cell.z + dz;
    if (cx < 0 || cy < 0 || cz < 0) return false;
    if (cx >= grid.dimX || cy >= grid.dimY || cz >= grid.dimZ) return false;
    neighbour = static_cast<unsigned int>(cx + cz * grid.stepZ + cy * grid.stepY);
    return true;
}

// The same from the cell's id.
__host__ __device__ inline bool weaverNeighbourCell(unsigned int cell, int dx, int dy, int dz,
                                                    const WeaverGrid& grid,
                                                    unsigned int& neighbour) {
    return weaverNeighbourCell(weaverCellOf(cell, grid), dx, dy, dz, grid, neighbour);
}

// The point the hash table holds for `cell`: among the bucket's stored slots whose key is the
// cell, the smallest point index, so that the answer does not depend on the order in which the
// points took their slots; kNoPoint when none.
// The same where the caller knows the cell's bucket, cell % hashTableSize.
__host__ __device__ inline unsigned int pointOfCellInBucket(unsigned int cell, unsigned int bucket,
                                                            const unsigned int* bucketCount,
                                                            const unsigned int* tabKey,
                                                            const unsigned int* tabValue,
                                                            unsigned int hashTableSize) {
    const unsigned int stored = bucketCount[bucket] & 0xFFFFu;
    unsigned int best = kNoPoint;
    for (unsigned int s = 0; s < stored && s < kBucketSlots; ++s) {
        const unsigned int slot = s * hashTableSize + bucket;
        if (tabKey[slot] == cell && tabValue[slot] < best) best = tabValue[slot];
    }
    return best;
}

__host__ __device__ inline unsigned int pointOfCell(unsigned int cell,
                                                    const unsigned int* bucketCount,
                                                    const unsigned int* tabKey,
                                                    const unsigned int* tabValue,
                                                    unsigned int hashTableSize) {
    return pointOfCellInBucket(cell, cell % hashTableSize, bucketCount, tabKey, tabValue,
                               hashTableSize);
}

// The circumcircle of the triangle (a, b, c), in double precision: its centre and squared
// radius. False, with nothing written, for a degenerate triangle: one whose |n|^2 (n the cross
// product of its two edges from a) is at most 1e-6 |ab|^2 |ac|^2, a test of its shape that does
// not depend on its size.
__host__ __device__ inline bool weaverCircumcircle(const float* a, const float* b, const float* c,
                                                   float* centre, float& squaredRadius) {
    const double ax = double(b[0]) - a[0], ay = double(b[1]) - a[1], az = double(b[2]) - a[2];
    const double bx = double(c[0]) - a[0], by = double(c[1]) - a[1], bz = double(c[2]) - a[2];
    const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const double n2 = nx * nx + ny * ny + nz * nz;
    const double a2 = ax * ax + ay * ay + az * az, b2 = bx * bx + by * by + bz * bz;
    if (!(n2 > 1e-6 * a2 * b2)) return false;
    // ((|a|^2 b - |b|^2 a) x n) / (2 |n|^2)
    const double px = a2 * bx - b2 * ax, py = a2 * by - b2 * ay, pz = a2 * bz - b2 * az;
    const double ox = (py * nz - pz * ny) / (2 * n2), oy = (pz * nx - px * nz) / (2 * n2),
                 oz = (px * ny - py * nx) / (2 * n2);
    centre[0] = static_cast<float>(a[0] + ox);
    centre[1] = static_cast<float>(a[1] + oy);
    centre[2] = static_cast<float>(a[2] + oz);
    squaredRadius = static_cast<float>(ox * ox + oy * oy + oz * oz);
    return true;
}

// The largest squared circumradius a triangle may have: 5 max(radius, radius^2), which is
// 5 radius for radii up to 1 and grows with the square of the radius above, as circumradii do.
__host__ __device__ inline float largestSquaredCircumradius(float radius) {
    return 5.0f * (radius > radius * radius ? radius : radius * radius);
}

// The edge (a, b) as one 64-bit number, whose order is the lexicographic order of the pairs.
__host__ __device__ inline unsigned long long weaverEdgeKey(unsigned int a, unsigned int b) {
    return static_cast<unsigned long long>(a) << 32 | b;
}

// The first index in sorted[first, last) whose value is `value`, or `last` when none.
__host__ __device__ inline unsigned int findSorted(const unsigned int* sorted, unsigned int first,
                                                   unsigned int last, unsigned int value) {
    unsigned int lo = first, hi = last;
    while (lo < hi) {
        const unsigned int mid = lo + (hi - lo) / 2;
        if (sorted[mid] < value) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo < last && sorted[lo] == value ? lo : last;
}
