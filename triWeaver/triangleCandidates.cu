// Candidate triangles: the points hashed into the grid's cells, each point's nearest neighbours
// from the cells around its own, and the triples of a point and two of its neighbours that all
// three of their corners propose, in lexicographic order.
#include <gpu/thrust.h>
#include <thrust/scan.h>

#include "common/deviceLaunch.h"
#include "common/stageTimer.h"
#include "triWeaver/neighbourOffsets.h"
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

// The step in bucket number that each neighbour offset makes: the offset's step in cell id,
// dx + dz stepZ + dy stepY, modulo the table's size, so that a neighbour's bucket follows from its
// own cell's bucket without a division.
__global__ void getOffsetBucketSteps(unsigned int* bucketStep, const short* vX, const short* vY,
                                     const short* vZ, WeaverGrid grid, unsigned int hashTableSize,
                                     unsigned int offsetsCount) {
    const unsigned int k = twoDimensionalThreadIndex();
    if (k >= offsetsCount) return;
    const long long step = vX[k] + static_cast<long long>(vZ[k]) * grid.stepZ +
                           static_cast<long long>(vY[k]) * grid.stepY;
    const long long size = hashTableSize;
    bucketStep[k] = static_cast<unsigned int>((step % size + size) % size);
}

// Point i's neighbours, one point per cell from the nearest cells outwards (the offset table's
// order), at most kMaxNeighbours of them, stored at kMaxNeighbours i in ascending index order.
__global__ void findNeighbours(unsigned int* neighbours, unsigned short* neighbourCount,
                               const unsigned int* cellIds, WeaverGrid grid,
                               const unsigned int* bucketIndex, const unsigned int* tabKey,
                               const unsigned int* tabValue, const short* vX, const short* vY,
                               const short* vZ, const unsigned int* bucketStep, bool useNormal,
                               const float* normals, float dotProdLimit,
                               unsigned int hashTableSize, unsigned int pointsCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= pointsCount) return;
    unsigned int* list = neighbours + static_cast<unsigned long long>(kMaxNeighbours) * i;
    const WeaverCell own = weaverCellOf(cellIds[i], grid);
    const unsigned int ownBucket = cellIds[i] % hashTableSize;
    unsigned int found = 0;
    for (unsigned int k = 1; k < 729 && found < kMaxNeighbours; ++k) {
        unsigned int cell;
        if (!weaverNeighbourCell(own, vX[k], vY[k], vZ[k], grid, cell)) continue;
        // (a + b) mod H from a mod H and b mod H, both below H (and H below 2^31).
        unsigned int bucket = ownBucket + bucketStep[k];
        if (bucket >= hashTableSize) bucket -= hashTableSize;
        const unsigned int j =
            pointOfCellInBucket(cell, bucket, bucketIndex, tabKey, tabValue, hashTableSize);
        if (j == kNoPoint) continue;
        if (useNormal) {
            const float dot = normals[3 * i] * normals[3 * j] +
                              normals[3 * i + 1] * normals[3 * j + 1] +
                              normals[3 * i + 2] * normals[3 * j + 2];
            if (dotProdLimit > dot) continue;
        }
        // Insertion keeps the list ascending; the cells differ, so the points do.
        unsigned int slot = found++;
        for (; slot > 0 && list[slot - 1] > j; --slot) list[slot] = list[slot - 1];
        list[slot] = j;
    }
    neighbourCount[i] = static_cast<unsigned short>(found);
}

// Whether point j's neighbour list holds q.
__device__ inline bool isNeighbourOf(unsigned int j, unsigned int q, const unsigned int* neighbours,
                                     const unsigned short* neighbourCount) {
    const unsigned long long first = static_cast<unsigned long long>(kMaxNeighbours) * j;
    return findSorted(neighbours + first, 0, neighbourCount[j], q) != neighbourCount[j];
}

// The triples (i, j, k), i < j < k, that all three corners propose: every corner has the other
// two among its neighbours. Each point proposes the pairs of its neighbours, so these are the
// triples that the proposals of all points list three times. Point i counts its triples into
// keptCount[i] or, given keptStart (where its triples start among all), writes them there, in
// ascending (j, k) order.
__global__ void findKeptTriplesOfPoints(unsigned int* keptCount, const unsigned int* keptStart,
                                        unsigned int* vertexA, unsigned int* vertexB,
                                        unsigned int* vertexC, const unsigned int* neighbours,
                                        const unsigned short* neighbourCount,
                                        unsigned int pointsCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= pointsCount) return;
    const unsigned int* list = neighbours + static_cast<unsigned long long>(kMaxNeighbours) * i;
    const unsigned int found = neighbourCount[i];
    // The neighbours above i that list i back: the only ones that can be j or k.
    unsigned int mutual[kMaxNeighbours];
    unsigned int mutualCount = 0;
    for (unsigned int a = 0; a < found; ++a)
        if (list[a] > i && isNeighbourOf(list[a], i, neighbours, neighbourCount))
            mutual[mutualCount++] = list[a];
    unsigned int count = 0;
    unsigned int slot = keptStart ? keptStart[i] : 0;
    for (unsigned int a = 0; a < mutualCount; ++a) {
        const unsigned int j = mutual[a];
        for (unsigned int b = a + 1; b < mutualCount; ++b) {
            const unsigned int k = mutual[b];
            if (!isNeighbourOf(j, k, neighbours, neighbourCount) ||
                !isNeighbourOf(k, j, neighbours, neighbourCount))
                continue;
            ++count;
            if (!keptStart) continue;
            vertexA[slot] = i;
            vertexB[slot] = j;
            vertexC[slot] = k;
            ++slot;
        }
    }
    if (!keptStart) keptCount[i] = count;
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

    StageTimer stage("hash");
    CellHash hash;
    MStatus status = hashPoints(points, hash);
    if (!status) return status;
    stage.next("candidates");
    // The offsets' bucket steps, the neighbour lists and counts, the kept triples' counts and
    // where they start.
    if (!weaverMemoryFits(4ull * kNeighbourOffsetCount + 4ull * kMaxNeighbours * n + 2ull * n +
                          8ull * n))
        return MS::kFailure;
    gpu::DeviceBuffer<unsigned int> bucketStep(kNeighbourOffsetCount);
    launchTwoDimensional(getOffsetBucketSteps, kNeighbourOffsetCount, 128,
                         devicePointer(bucketStep), devicePointer(offsets.x),
                         devicePointer(offsets.y), devicePointer(offsets.z), points.grid, hash.size,
                         kNeighbourOffsetCount);
    if (!kernelLaunchSucceededOrShow("getOffsetBucketSteps")) return MS::kFailure;
    gpu::DeviceBuffer<unsigned int> neighbours(static_cast<size_t>(kMaxNeighbours) * n);
    gpu::DeviceBuffer<unsigned short> neighbourCount(n);
    launchTwoDimensional(findNeighbours, n, 128, devicePointer(neighbours),
                         devicePointer(neighbourCount), devicePointer(hash.cells), points.grid,
                         devicePointer(hash.bucketCount), devicePointer(hash.keys),
                         devicePointer(hash.values), devicePointer(offsets.x),
                         devicePointer(offsets.y), devicePointer(offsets.z),
                         devicePointer(bucketStep), points.useNormal,
                         devicePointer(points.normals), points.dotProdLimit, hash.size, n);
    if (!kernelLaunchSucceededOrShow("findNeighbours")) return MS::kFailure;
    hash = CellHash();

    gpu::DeviceBuffer<unsigned int> keptCount(n), keptStart(n);
    launchTwoDimensional(findKeptTriplesOfPoints, n, 128, devicePointer(keptCount),
                         static_cast<const unsigned int*>(nullptr),
                         static_cast<unsigned int*>(nullptr), static_cast<unsigned int*>(nullptr),
                         static_cast<unsigned int*>(nullptr), devicePointer(neighbours),
                         devicePointer(neighbourCount), n);
    if (!kernelLaunchSucceededOrShow("findKeptTriplesOfPoints")) return MS::kFailure;
    thrust::exclusive_scan(gpu::parallel, keptCount.begin(), keptCount.end(), keptStart.begin());
    // At most 210 n triples, which the caller keeps within 32 bits.
    const unsigned int count =
        static_cast<unsigned int>(keptStart[n - 1]) + static_cast<unsigned int>(keptCount[n - 1]);
    if (count == 0) return MS::kSuccess;

    if (!weaverMemoryFits(12ull * count)) return MS::kFailure;
    kept.a.resize(count);
    kept.b.resize(count);
    kept.c.resize(count);
    launchTwoDimensional(findKeptTriplesOfPoints, n, 128, devicePointer(keptCount),
                         static_cast<const unsigned int*>(devicePointer(keptStart)),
                         devicePointer(kept.a), devicePointer(kept.b), devicePointer(kept.c),
                         devicePointer(neighbours), devicePointer(neighbourCount), n);
    if (!kernelLaunchSucceededOrShow("findKeptTriplesOfPoints")) return MS::kFailure;
    kept.count = count;
    return MS::kSuccess;
}
