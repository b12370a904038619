// Candidate triangles: the points hashed into the grid's cells, each point's nearest neighbours
// from the cells around its own, the triples their pairs make, sorted, and those that all three
// of their corners proposed.
#include <gpu/thrust.h>
#include <thrust/scan.h>

#include "common/deviceLaunch.h"
#include "common/stageTimer.h"
#include "triWeaver/weaverBuffers.h"

// Stores point i's cell id and, when its bucket has a free slot, the point in the hash table.
__global__ void computeCellID(const float* position, unsigned int* cells, WeaverGrid grid,
                              unsigned int* tabCurrentBucket, unsigned int* tabKey,
                              unsigned int* tabValue, unsigned int hashTableSize,
                              unsigned int pointsCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= pointsCount) return;
    const unsigned int cell =
        weaverCellId(position[3 * i], position[3 * i + 1], position[3 * i + 2], grid);
    cells[i] = cell;
    const unsigned int bucket = cell % hashTableSize;
    const unsigned int slot = atomicAdd(&tabCurrentBucket[bucket], 1u);
    if (slot >= kBucketSlots) return;
    tabKey[slot * hashTableSize + bucket] = cell;
    tabValue[slot * hashTableSize + bucket] = i;
}

// Point i's neighbours, one point per cell from the nearest cells outwards (the offset table's
// order), at most kMaxNeighbours of them, and the triple of every pair of them with i, corners
// ascending, at 210 i + pair number.
__global__ void createCombinations(unsigned int* combinationsA, unsigned int* combinationsB,
                                   unsigned int* combinationsC, unsigned short* neighbourCount,
                                   const unsigned int* cellIds, WeaverGrid grid,
                                   const unsigned int* bucketIndex, const unsigned int* tabKey,
                                   const unsigned int* tabValue, const short* vX, const short* vY,
                                   const short* vZ, bool useNormal, const float* normals,
                                   float dotProdLimit, unsigned int hashTableSize,
                                   unsigned int pointsCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= pointsCount) return;
    unsigned int neighbours[kMaxNeighbours];
    unsigned int found = 0;
    for (unsigned int k = 1; k < 729 && found < kMaxNeighbours; ++k) {
        unsigned int cell;
        if (!weaverNeighbourCell(cellIds[i], vX[k], vY[k], vZ[k], grid, cell)) continue;
        const unsigned int j = pointOfCell(cell, bucketIndex, tabKey, tabValue, hashTableSize);
        if (j == kNoPoint) continue;
        if (useNormal) {
            const float dot = normals[3 * i] * normals[3 * j] +
                              normals[3 * i + 1] * normals[3 * j + 1] +
                              normals[3 * i + 2] * normals[3 * j + 2];
            if (dotProdLimit > dot) continue;
        }
        neighbours[found++] = j;
    }
    neighbourCount[i] = static_cast<unsigned short>(found);
    unsigned int pair = 0;
    for (unsigned int a = 0; a < found; ++a) {
        for (unsigned int b = a + 1; b < found; ++b, ++pair) {
            unsigned int c0 = i, c1 = neighbours[a], c2 = neighbours[b];
            if (c0 > c1) {
                const unsigned int t = c0;
                c0 = c1;
                c1 = t;
            }
            if (c1 > c2) {
                const unsigned int t = c1;
                c1 = c2;
                c2 = t;
            }
            if (c0 > c1) {
                const unsigned int t = c0;
                c0 = c1;
                c1 = t;
            }
            const unsigned long long slot =
                static_cast<unsigned long long>(kTriplesPerPoint) * i + pair;
            combinationsA[slot] = c0;
            combinationsB[slot] = c1;
            combinationsC[slot] = c2;
        }
    }
}

// A triple is real when its corners differ; the empty slots' fillers (0, 0, 0) are not.
__host__ __device__ inline bool isRealTriple(unsigned int a, unsigned int b) { return a != b; }

// uniqueCombination[i + 1]: triple i + 1 is real and differs from triple i (the first of its run).
__global__ void detectUniqueCombinations(bool* uniqueCombination, const unsigned int* combinationsA,
                                         const unsigned int* combinationsB,
                                         const unsigned int* combinationsC, unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= count) return;
    const bool differs = combinationsA[i + 1] != combinationsA[i] ||
                         combinationsB[i + 1] != combinationsB[i] ||
                         combinationsC[i + 1] != combinationsC[i];
    uniqueCombination[i + 1] = differs && isRealTriple(combinationsA[i + 1], combinationsB[i + 1]);
}

// 1 where a run of three equal triples starts: all three corners proposed it.
__global__ void getPossibleCombinations(unsigned int* possibleCombinations,
                                        const bool* uniqueCombination, unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    possibleCombinations[i] = uniqueCombination[i] && i + 2 < count && !uniqueCombination[i + 1] &&
                                      !uniqueCombination[i + 2]
                                  ? 1u
                                  : 0u;
}

// Triple i + 1 moves to its place among the kept ones when it starts a kept run.
__global__ void moveSelectedCombinations(const unsigned int* possibleCombinations,
                                         const unsigned int* combinationsA,
                                         const unsigned int* combinationsB,
                                         const unsigned int* combinationsC, unsigned int* vertexA,
                                         unsigned int* vertexB, unsigned int* vertexC,
                                         unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= count) return;
    if (possibleCombinations[i + 1] == possibleCombinations[i]) return;
    const unsigned int slot = possibleCombinations[i + 1] - 1;
    vertexA[slot] = combinationsA[i + 1];
    vertexB[slot] = combinationsB[i + 1];
    vertexC[slot] = combinationsC[i + 1];
}

namespace {

struct CellHash {
    thrust::device_vector<unsigned int> cells, bucketCount, keys, values;
    unsigned int size = 0;
};

MStatus hashPoints(const WeaverPoints& points, CellHash& hash) {
    const unsigned int n = points.count;
    hash.size = 4 * n;
    // Cell ids, bucket counters and the five slots' keys and values.
    if (!weaverMemoryFits(4ull * n + 4ull * hash.size + 40ull * hash.size)) return MS::kFailure;
    hash.cells.resize(n);
    hash.bucketCount.assign(hash.size, 0u);
    hash.keys.assign(static_cast<size_t>(kBucketSlots) * hash.size, 0u);
    hash.values.assign(static_cast<size_t>(kBucketSlots) * hash.size, kNoPoint);
    // Which points a full bucket keeps depends on the order of the increments: in index order on
    // the cpu backend.
    launchTwoDimensionalInOrder(computeCellID, n, 128, devicePointer(points.positions),
                                devicePointer(hash.cells), points.grid,
                                devicePointer(hash.bucketCount), devicePointer(hash.keys),
                                devicePointer(hash.values), hash.size, n);
    return kernelLaunchSucceededOrShow("computeCellID") ? MS::kSuccess : MS::kFailure;
}

}  // namespace

MStatus findKeptTriples(const WeaverPoints& points, const DeviceNeighbourOffsets& offsets,
                        DeviceTriples& kept) {
    kept = DeviceTriples();
    const unsigned int n = points.count;
    if (n == 0) return MS::kSuccess;
    const unsigned int total = kTriplesPerPoint * n;  // the caller keeps 210 n within 32 bits

    StageTimer stage("hash");
    thrust::device_vector<unsigned int> a, b, c;
    {
        CellHash hash;
        MStatus status = hashPoints(points, hash);
        if (!status) return status;
        stage.next("candidates");
        // The neighbour counts and the three columns of candidate triples.
        if (!weaverMemoryFits(2ull * n + 12ull * total)) return MS::kFailure;
        thrust::device_vector<unsigned short> neighbourCount(n);
        a.assign(total, 0u);
        b.assign(total, 0u);
        c.assign(total, 0u);
        launchTwoDimensional(
            createCombinations, n, 128, devicePointer(a), devicePointer(b), devicePointer(c),
            devicePointer(neighbourCount), devicePointer(hash.cells), points.grid,
            devicePointer(hash.bucketCount), devicePointer(hash.keys), devicePointer(hash.values),
            devicePointer(offsets.x), devicePointer(offsets.y), devicePointer(offsets.z),
            points.useNormal, devicePointer(points.normals), points.dotProdLimit, hash.size, n);
        if (!kernelLaunchSucceededOrShow("createCombinations")) return MS::kFailure;
    }

    stage.next("sort");
    // Lexicographic order: by C, then B, then A, each pass stable. A pass holds the permutation,
    // the two gathered columns and the sort's own copies of keys and values.
    if (!weaverMemoryFits(20ull * total)) return MS::kFailure;
    if (!sortByColumn(c, a, b) || !sortByColumn(b, a, c) || !sortByColumn(a, b, c))
        return MS::kFailure;

    if (!weaverMemoryFits(5ull * total)) return MS::kFailure;
    thrust::device_vector<bool> uniqueCombination(total, false);
    launchTwoDimensional(detectUniqueCombinations, total, 128, devicePointer(uniqueCombination),
                         devicePointer(a), devicePointer(b), devicePointer(c), total);
    if (!kernelLaunchSucceededOrShow("detectUniqueCombinations")) return MS::kFailure;
    // The first triple starts a run too, unless it is a filler.
    uniqueCombination[0] = isRealTriple(a[0], b[0]);
    thrust::device_vector<unsigned int> possible(total);
    launchTwoDimensional(getPossibleCombinations, total, 128, devicePointer(possible),
                         devicePointer(uniqueCombination), total);
    if (!kernelLaunchSucceededOrShow("getPossibleCombinations")) return MS::kFailure;
    thrust::device_vector<bool>().swap(uniqueCombination);
    thrust::inclusive_scan(gpu::parallel, possible.begin(), possible.end(), possible.begin());
    const unsigned int count = possible[total - 1];
    if (count == 0) return MS::kSuccess;

    if (!weaverMemoryFits(12ull * count)) return MS::kFailure;
    kept.a.resize(count);
    kept.b.resize(count);
    kept.c.resize(count);
    launchTwoDimensional(moveSelectedCombinations, total, 128, devicePointer(possible),
                         devicePointer(a), devicePointer(b), devicePointer(c),
                         devicePointer(kept.a), devicePointer(kept.b), devicePointer(kept.c),
                         total);
    if (!kernelLaunchSucceededOrShow("moveSelectedCombinations")) return MS::kFailure;
    if (possible[0] == 1) {
        kept.a[0] = a[0];
        kept.b[0] = b[0];
        kept.c[0] = c[0];
    }
    kept.count = count;
    return MS::kSuccess;
}
