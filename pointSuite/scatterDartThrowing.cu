#include "pointSuite/scatterDartThrowing.h"

#include <thrust/reduce.h>
#include <thrust/scan.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>

#include <vector>

#include "common/stageTimer.h"
#include "pointSuite/deviceFunctions.h"
#include "pointSuite/deviceLaunch.h"

namespace {
constexpr unsigned int kNoSample = CellHashTable::kNoSample;
constexpr unsigned int kSlots = CellHashTable::kSlots;
constexpr unsigned int kPhases = 27;
}  // namespace

// Marks the sorted candidates that start a run of equal cell ids.
__global__ void detectCells(const unsigned int* cellId, unsigned int* aux,
                            unsigned int numElements) {
    const unsigned int j = twoDimensionalThreadIndex();
    if (j >= numElements) return;
    aux[j] = (j == 0 || cellId[j - 1] != cellId[j]) ? 1u : 0u;
}

// Inserts the cell whose run starts at sorted index j = i + 1 into the next free slot of its
// bucket; a sixth or later cell of a bucket is counted but not stored.
__global__ void fillHashTable(const unsigned int* pointCellId, unsigned int* tabBucketIndex,
                              unsigned int* tabKeys, unsigned int* tabAddress, int hashTableSize,
                              unsigned int numElements) {
    const unsigned int j = twoDimensionalThreadIndex() + 1;
    if (j >= numElements) return;
    const unsigned int cell = pointCellId[j];
    if (cell == pointCellId[j - 1]) return;
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    const unsigned int bucket = cell % size;
    const unsigned int slot = atomicAdd(&tabBucketIndex[bucket], 1u);
    if (slot >= kSlots) return;
    tabKeys[slot * size + bucket] = cell;
    tabAddress[slot * size + bucket] = j;
}

// Records the sorted index at which each run (cell) starts, by its run number.
__global__ void getCells(unsigned int* cells, const unsigned int* cellIndex,
                         unsigned int numElements) {
    const unsigned int j = twoDimensionalThreadIndex() + 1;
    if (j >= numElements) return;
    if (cellIndex[j] != cellIndex[j - 1]) cells[cellIndex[j]] = j;
}

// The processing phase of cell i: the phase map's entry for the cell's position in its block of
// 3 x 3 x 3 cells, from the cell coordinates of its first candidate (the ones its id holds).
__global__ void calculateCellPhase(unsigned short* cellPhase, const unsigned int* cellIndex,
                                   float cellSize, float bboxMinX, float bboxMinY, float bboxMinZ,
                                   const float* x, const float* y, const float* z,
                                   const unsigned int* map, const unsigned short* phaseMap,
                                   unsigned int numElements) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= numElements) return;
    const unsigned int s = map[cellIndex[i]];
    const int kx = cellCoordinate(x[s], bboxMinX, cellSize);
    const int ky = cellCoordinate(y[s], bboxMinY, cellSize);
    const int kz = cellCoordinate(z[s], bboxMinZ, cellSize);
    cellPhase[i] = phaseMap[positionInCellBlock(kx, ky, kz)];
}

// At each boundary between two phases in the phase-sorted cell list, the phase before ends and
// the phase after starts: each counter ends as its phase's end minus its start.
__global__ void countCellsInPhases(unsigned int* cellCountInPhase, const unsigned short* cellPhase,
                                   unsigned int numElements) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i + 1 >= numElements) return;
    if (cellPhase[i] == cellPhase[i + 1]) return;
    atomicSub(&cellCountInPhase[cellPhase[i + 1]], i + 1);
    atomicAdd(&cellCountInPhase[cellPhase[i]], i + 1);
}

// A carried sample (candidate number below A) takes its cell's slot before any dart is thrown.
__global__ void updateHashTable(const unsigned int* pointCellIds, const unsigned int* tabKeys,
                                unsigned int* tabSamples, const unsigned int* map,
                                int hashTableSize, unsigned int acceptedSamplesCount,
                                unsigned int randomsNumber) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= randomsNumber) return;
    const unsigned int s = map[i];
    if (s >= acceptedSamplesCount) return;
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    const unsigned int cell = pointCellIds[i];
    const unsigned int bucket = cell % size;
    for (unsigned int k = 0; k < kSlots; ++k) {
        if (tabKeys[k * size + bucket] == cell) {
            tabSamples[k * size + bucket] = s;
            return;
        }
    }
}

// neighbour % size for neighbour = rowStart + k (k < 5), from rowBucket = rowStart % size.
__host__ __device__ inline unsigned int nextBucket(unsigned int neighbour, unsigned int rowStart,
                                                   unsigned int rowBucket, unsigned int k,
                                                   unsigned int size) {
    if (neighbour < rowStart || size <= 4) return neighbour % size;  // wrapped past 2^32
    const unsigned int bucket = rowBucket + k;
    return bucket >= size ? bucket - size : bucket;
}

// One dart per cell of the phase: the cell's (t+1)-th candidate, accepted unless a sample of a
// cell within two cells along each axis lies within r of it.
__global__ void chooseSamplesInCells(const unsigned int* cellIndexes, unsigned int rangeStart,
                                     unsigned int cellCount, const unsigned int* bucketIndex,
                                     const unsigned int* tabKeys, const unsigned int* tabAddress,
                                     unsigned int* tabSamples, unsigned int stepZ,
                                     unsigned int stepY, short t, float r, const float* x,
                                     const float* y, const float* z,
                                     const unsigned int* pointCellIds, const unsigned int* map,
                                     int hashTableSize, unsigned int randomsNumber) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= cellCount) return;
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    const unsigned int cell = pointCellIds[cellIndexes[rangeStart + i]];
    const unsigned int bucket = cell % size;
    unsigned int own = kNoSample;
    for (unsigned int k = 0; k < kSlots; ++k) {
        if (tabKeys[k * size + bucket] == cell) {
            own = k * size + bucket;
            break;
        }
    }
    if (own == kNoSample || tabSamples[own] != kNoSample) return;
    const unsigned int candidate = tabAddress[own] + static_cast<unsigned int>(t);
    if (candidate >= randomsNumber || pointCellIds[candidate] != cell) return;
    const unsigned int s = map[candidate];
    const float px = x[s], py = y[s], pz = z[s];
    // Any stored sample within r rejects the dart, so the order of the rows does not change the
    // outcome: the nearest rows come first, where a rejecting sample is most likely.
    const int nearestFirst[5] = {0, -1, 1, -2, 2};
    for (int dy : nearestFirst) {
        for (int dz : nearestFirst) {
            // The five cells of a row lie in (mostly) consecutive buckets: one division per row,
            // and their counts and first keys are read before any of them is looked at.
            const unsigned int rowStart = cell - 2u + static_cast<unsigned int>(dz) * stepZ +
                                          static_cast<unsigned int>(dy) * stepY;
            const unsigned int rowBucket = rowStart % size;
            unsigned int bucket[5], stored[5], firstKey[5];
            for (unsigned int k = 0; k < 5; ++k) {
                bucket[k] = nextBucket(rowStart + k, rowStart, rowBucket, k, size);
                stored[k] = bucketIndex[bucket[k]] & 0xFFFFu;
                firstKey[k] = tabKeys[bucket[k]];
            }
            for (unsigned int k = 0; k < 5; ++k) {
                const unsigned int neighbour = rowStart + k;
                if (neighbour == cell || stored[k] == 0) continue;
                unsigned int slot = firstKey[k] == neighbour ? bucket[k] : kNoSample;
                for (unsigned int j = 1; slot == kNoSample && j < stored[k] && j < kSlots; ++j)
                    if (tabKeys[j * size + bucket[k]] == neighbour) slot = j * size + bucket[k];
                if (slot == kNoSample) continue;
                const unsigned int q = tabSamples[slot];
                if (q == kNoSample) continue;
                const float ddx = px - x[q], ddy = py - y[q], ddz = pz - z[q];
                if (r >= sqrtf(ddx * ddx + ddy * ddy + ddz * ddz)) return;
            }
        }
    }
    tabSamples[own] = s;
}

MStatus throwDarts(Candidates& candidates, unsigned int acceptedSamplesCount, float radius,
                   const ScatterGrid& grid, int trials,
                   const thrust::device_vector<unsigned short>& phaseMap, CellHashTable& table) {
    table = CellHashTable();
    const unsigned int n = candidates.count;
    if (n == 0) return MS::kSuccess;
    thrust::device_vector<unsigned int>& pointCellId = candidates.cellId;

    StageTimer stage("sort");
    thrust::device_vector<unsigned int> map(n);
    thrust::sequence(map.begin(), map.end());
    thrust::stable_sort_by_key(pointCellId.begin(), pointCellId.end(), map.begin());

    stage.next("hash table");
    thrust::device_vector<unsigned int> aux(n);
    launchTwoDimensional(detectCells, n, 64, devicePointer(pointCellId), devicePointer(aux), n);
    if (!kernelLaunchSucceeded("detectCells")) return MS::kFailure;
    const unsigned int cellCount = thrust::reduce(aux.begin(), aux.end(), 0u);
    const int hashTableSize = static_cast<int>(4 * cellCount);
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    if (!scatterMemoryFits(64ull * size + 120)) return MS::kFailure;
    table.size = hashTableSize;
    table.bucketIndex.assign(size, 0u);
    table.keys.assign(kSlots * size, 0u);
    table.address.assign(kSlots * size, 0u);
    table.samples.assign(kSlots * size, kNoSample);

    // The first run has no run before it to compare with: the host seats it.
    const unsigned int firstCell = pointCellId[0];
    table.bucketIndex[firstCell % size] = 1u;
    table.keys[firstCell % size] = firstCell;
    table.address[firstCell % size] = 0u;
    // Which cell takes which slot of a bucket depends on the order of the atomic claims.
    launchTwoDimensionalInOrder(fillHashTable, n, 64, devicePointer(pointCellId),
                                devicePointer(table.bucketIndex), devicePointer(table.keys),
                                devicePointer(table.address), hashTableSize, n);
    CUDA_CALL_CHECK(cudaGetLastError());

    if (!scatterMemoryFits(8ull * cellCount + 162)) return MS::kFailure;
    thrust::device_vector<unsigned int> cells(cellCount, 0u);
    aux[0] = 0u;
    thrust::inclusive_scan(aux.begin(), aux.end(), aux.begin());
    launchTwoDimensional(getCells, n, 64, devicePointer(cells), devicePointer(aux), n);
    CUDA_CALL_CHECK(cudaGetLastError());

    thrust::device_vector<unsigned short> cellPhase(cellCount);
    launchOneDimensional(calculateCellPhase, cellCount, devicePointer(cellPhase),
                         devicePointer(cells), grid.cellSize, grid.minX, grid.minY, grid.minZ,
                         devicePointer(candidates.x), devicePointer(candidates.y),
                         devicePointer(candidates.z), devicePointer(map), devicePointer(phaseMap),
                         cellCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::stable_sort_by_key(cellPhase.begin(), cellPhase.end(), cells.begin());

    thrust::device_vector<unsigned int> cellCountInPhase(kPhases, 0u);
    const unsigned short lastPhase = cellPhase[cellCount - 1];
    cellCountInPhase[lastPhase] = cellCount;
    launchOneDimensional(countCellsInPhases, cellCount, devicePointer(cellCountInPhase),
                         devicePointer(cellPhase), cellCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::device_vector<unsigned int> phaseEnds(kPhases);
    thrust::inclusive_scan(cellCountInPhase.begin(), cellCountInPhase.end(), phaseEnds.begin());
    std::vector<unsigned int> countInPhase(kPhases), endOfPhase(kPhases);
    thrust::copy(cellCountInPhase.begin(), cellCountInPhase.end(), countInPhase.begin());
    thrust::copy(phaseEnds.begin(), phaseEnds.end(), endOfPhase.begin());

    if (acceptedSamplesCount > 0) {
        // Two carried samples can share a cell only through rounding; the later one keeps it.
        launchTwoDimensionalInOrder(updateHashTable, n, 64, devicePointer(pointCellId),
                                    devicePointer(table.keys), devicePointer(table.samples),
                                    devicePointer(map), hashTableSize, acceptedSamplesCount, n);
        CUDA_CALL_CHECK(cudaGetLastError());
    }

    stage.next("dart throwing");
    for (int t = 0; t < trials; ++t) {
        for (unsigned int phase = 0; phase < kPhases; ++phase) {
            const unsigned int rangeStart = phase == 0 ? 0u : endOfPhase[phase - 1];
            launchOneDimensional(chooseSamplesInCells, countInPhase[phase], devicePointer(cells),
                                 rangeStart, countInPhase[phase],
                                 devicePointer(table.bucketIndex), devicePointer(table.keys),
                                 devicePointer(table.address), devicePointer(table.samples),
                                 grid.stepZ, grid.stepY, static_cast<short>(t), radius,
                                 devicePointer(candidates.x), devicePointer(candidates.y),
                                 devicePointer(candidates.z), devicePointer(pointCellId),
                                 devicePointer(map), hashTableSize, n);
            CUDA_CALL_CHECK(cudaGetLastError());
        }
    }
    return MS::kSuccess;
}
