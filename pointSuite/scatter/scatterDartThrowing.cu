#include "pointSuite/scatter/scatterDartThrowing.h"

#include <thrust/reduce.h>
#include <thrust/scan.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>

#include <vector>

#include "common/stageTimer.h"
#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"

namespace {
constexpr unsigned int kNoSample = CellHashTable::kNoSample;
// A cell that found no slot in its bucket: absent from the table, it never takes a sample.
constexpr unsigned int kLostCell = 0xFFFFFFFEu;
constexpr unsigned int kSlots = CellHashTable::kSlots;
constexpr unsigned int kPhases = 27;
}  // namespace

// The cells of a phase live in per-cell arrays, indexed by the cell's run number r (0..C-1, in
// cell id order); the table's slots hold run numbers. A slot costs 4 bytes instead of the 12 of
// a key, an address and a sample, which keeps the table of H = 4 C buckets within memory.

// Marks the sorted candidates that start a run of equal cell ids.
__global__ void detectCells(const CellId* cellId, unsigned int* aux,
                            unsigned int numElements) {
    const unsigned int j = twoDimensionalThreadIndex();
    if (j >= numElements) return;
    aux[j] = (j == 0 || cellId[j - 1] != cellId[j]) ? 1u : 0u;
}

// Records the sorted index at which each run (cell) starts, by its run number.
__global__ void getCells(unsigned int* cells, const unsigned int* cellIndex,
                         unsigned int numElements) {
    const unsigned int j = twoDimensionalThreadIndex() + 1;
    if (j >= numElements) return;
    if (cellIndex[j] != cellIndex[j - 1]) cells[cellIndex[j]] = j;
}

// Inserts cell r into the next free slot of its bucket; a sixth or later cell of a bucket is
// counted, not stored, and marked lost.
__global__ void fillHashTable(const unsigned int* cellStart, const CellId* pointCellId,
                              CellId* cellKey, unsigned int* cellSample,
                              unsigned int* tabBucketIndex, unsigned int* tabCells,
                              int hashTableSize, unsigned int cellCount) {
    const unsigned int r = twoDimensionalThreadIndex();
    if (r >= cellCount) return;
    const CellId cell = pointCellId[cellStart[r]];
    cellKey[r] = cell;
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    const unsigned int bucket = static_cast<unsigned int>(cell % size);
    const unsigned int slot = atomicAdd(&tabBucketIndex[bucket], 1u);
    if (slot < kSlots) {
        tabCells[slot * size + bucket] = r;
    } else {
        cellSample[r] = kLostCell;
    }
}

// The processing phase of cell r: the phase map's entry for the cell's position in its block of
// 3 x 3 x 3 cells, from the coordinates its id holds.
__global__ void calculateCellPhase(unsigned short* cellPhase, const CellId* cellKey,
                                   ScatterGrid grid, const unsigned short* phaseMap,
                                   unsigned int numElements) {
    const unsigned int r = oneDimensionalThreadIndex();
    if (r >= numElements) return;
    cellPhase[r] = phaseMap[blockPositionOfCell(cellKey[r], grid)];
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

// The sorted index one past the last candidate of cell r.
__host__ __device__ inline unsigned int cellEnd(const unsigned int* cellStart, unsigned int r,
                                                unsigned int cellCount, unsigned int candidates) {
    return r + 1 < cellCount ? cellStart[r + 1] : candidates;
}

// A carried sample (candidate number below A) takes its cell before any dart is thrown. The sort
// keeps candidate order within a cell, so the carried ones come first; of two carried samples
// in one cell (possible only through rounding) the later one keeps it.
__global__ void updateHashTable(const unsigned int* cellStart, unsigned int* cellSample,
                                float* cellSamplePosition, const float* x, const float* y,
                                const float* z, const unsigned int* map,
                                unsigned int acceptedSamplesCount, unsigned int cellCount,
                                unsigned int randomsNumber) {
    const unsigned int r = twoDimensionalThreadIndex();
    if (r >= cellCount || cellSample[r] == kLostCell) return;
    const unsigned int end = cellEnd(cellStart, r, cellCount, randomsNumber);
    for (unsigned int i = cellStart[r]; i < end && map[i] < acceptedSamplesCount; ++i) {
        const unsigned int s = map[i];
        cellSample[r] = s;
        cellSamplePosition[3 * r] = x[s];
        cellSamplePosition[3 * r + 1] = y[s];
        cellSamplePosition[3 * r + 2] = z[s];
    }
}

// The bucket of rowStart + k (k < 5), from rowBucket = rowStart % size; size (4 per cell) is at
// least 4, so one wrap is enough.
__host__ __device__ inline unsigned int nextBucket(unsigned int rowBucket, unsigned int k,
                                                   unsigned int size) {
    const unsigned int bucket = rowBucket + k;
    return bucket >= size ? bucket - size : bucket;
}

// One dart per cell of the phase: the cell's (t+1)-th candidate, accepted unless a sample of a
// cell within two cells along each axis lies within r of it.
__global__ void chooseSamplesInCells(const unsigned int* cellIndexes, unsigned int rangeStart,
                                     unsigned int cellCount, const unsigned int* bucketIndex,
                                     const unsigned int* tabCells, const CellId* cellKey,
                                     const unsigned int* cellStart, unsigned int* cellSample,
                                     float* cellSamplePosition, CellId stepZ, CellId stepY,
                                     short t, float r,
                                     const float* x, const float* y, const float* z,
                                     const unsigned int* map, int hashTableSize,
                                     unsigned int allCells, unsigned int randomsNumber) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= cellCount) return;
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    const unsigned int own = cellIndexes[rangeStart + i];
    if (cellSample[own] != kNoSample) return;  // seated, or absent from the table
    const unsigned int candidate = cellStart[own] + static_cast<unsigned int>(t);
    if (candidate >= cellEnd(cellStart, own, allCells, randomsNumber)) return;
    const CellId cell = cellKey[own];
    const unsigned int s = map[candidate];
    const float px = x[s], py = y[s], pz = z[s];
    // Any stored sample within r rejects the dart, so the order of the rows does not change the
    // outcome: the nearest rows come first, where a rejecting sample is most likely.
    const int nearestFirst[5] = {0, -1, 1, -2, 2};
    for (int dy : nearestFirst) {
        for (int dz : nearestFirst) {
            // The five cells of a row lie in (mostly) consecutive buckets: one division per row,
            // and their counts are read before any of them is looked at.
            // The grid's margins keep every row inside the grid: no id wraps.
            const CellId rowStart = cell - 2 + static_cast<CellId>(dz) * stepZ +
                                    static_cast<CellId>(dy) * stepY;
            const unsigned int rowBucket = static_cast<unsigned int>(rowStart % size);
            unsigned int bucket[5], stored[5];
            for (unsigned int k = 0; k < 5; ++k) {
                bucket[k] = nextBucket(rowBucket, k, size);
                stored[k] = bucketIndex[bucket[k]] & 0xFFFFu;
            }
            for (unsigned int k = 0; k < 5; ++k) {
                const CellId neighbour = rowStart + k;
                if (neighbour == cell) continue;
                unsigned int found = kNoSample;
                for (unsigned int j = 0; found == kNoSample && j < stored[k] && j < kSlots; ++j) {
                    const unsigned int other = tabCells[j * size + bucket[k]];
                    if (cellKey[other] == neighbour) found = other;
                }
                if (found == kNoSample) continue;
                if (cellSample[found] == kNoSample) continue;
                const float* q = cellSamplePosition + 3 * found;
                const float ddx = px - q[0], ddy = py - q[1], ddz = pz - q[2];
                if (r >= sqrtf(ddx * ddx + ddy * ddy + ddz * ddz)) return;
            }
        }
    }
    cellSample[own] = s;
    cellSamplePosition[3 * own] = px;
    cellSamplePosition[3 * own + 1] = py;
    cellSamplePosition[3 * own + 2] = pz;
}

// Turns each slot's cell into that cell's sample (kNoSample for an empty slot or no sample).
__global__ void collectSlotSamples(unsigned int* tabCells, const unsigned int* bucketIndex,
                                   const unsigned int* cellSample, int hashTableSize) {
    const unsigned int i = twoDimensionalThreadIndex();
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    if (i >= kSlots * size) return;
    const unsigned int slot = i / size, bucket = i % size;
    tabCells[i] = slot < bucketIndex[bucket] ? cellSample[tabCells[i]] : kNoSample;
}

namespace {

// The bytes of what a phase's table needs beside the candidates, for C occupied cells: the
// buckets and their slots, the six per-cell arrays and the scratch of sorting the cells by
// phase.
unsigned long long tableBytes(unsigned long long cells) {
    const unsigned long long buckets = 4 * cells;
    return buckets * 4 * (1 + kSlots) + cells * (4 * 3 + 8 + 2 + 12) + cells * (4 + 2) + 27 * 8 +
           64;
}

// The per-cell arrays of a phase while its darts are thrown.
struct PhaseCells {
    thrust::device_vector<unsigned int> start;   // sorted index of the cell's first candidate
    thrust::device_vector<CellId> key;           // the cell's id
    thrust::device_vector<unsigned int> sample;  // accepted sample, kNoSample or kLostCell
    thrust::device_vector<float> samplePosition;  // x, y, z of the accepted sample
    thrust::device_vector<unsigned int> byPhase;  // cells grouped by phase, in cell order within
    std::vector<unsigned int> countInPhase, startOfPhase;
    unsigned int count = 0;
};

// The cells of the sorted candidates, their run starts and, in `table`, their slots.
MStatus findCells(const thrust::device_vector<CellId>& pointCellId, PhaseCells& cells,
                  thrust::device_vector<unsigned int>& tabCells, CellHashTable& table) {
    const unsigned int n = static_cast<unsigned int>(pointCellId.size());
    thrust::device_vector<unsigned int> aux(n);
    launchTwoDimensional(detectCells, n, 64, devicePointer(pointCellId), devicePointer(aux), n);
    if (!kernelLaunchSucceeded("detectCells")) return MS::kFailure;
    const unsigned int cellCount = thrust::reduce(aux.begin(), aux.end(), 0u);
    if (!scatterMemoryFits(tableBytes(cellCount))) return MS::kFailure;
    cells.count = cellCount;
    cells.start.assign(cellCount, 0u);
    aux[0] = 0u;
    thrust::inclusive_scan(aux.begin(), aux.end(), aux.begin());
    launchTwoDimensional(getCells, n, 64, devicePointer(cells.start), devicePointer(aux), n);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::device_vector<unsigned int>().swap(aux);

    const unsigned int size = 4 * cellCount;
    table.size = static_cast<int>(size);
    table.bucketIndex.assign(size, 0u);
    tabCells.resize(kSlots * size);
    cells.key.resize(cellCount);
    cells.sample.assign(cellCount, kNoSample);
    cells.samplePosition.resize(3ull * cellCount);
    // Which cell takes which slot of a bucket depends on the order of the atomic claims.
    launchTwoDimensionalInOrder(fillHashTable, cellCount, 64, devicePointer(cells.start),
                                devicePointer(pointCellId), devicePointer(cells.key),
                                devicePointer(cells.sample), devicePointer(table.bucketIndex),
                                devicePointer(tabCells), table.size, cellCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    return MS::kSuccess;
}

// Groups the cells by phase and counts the cells of each phase.
MStatus groupCellsByPhase(const ScatterGrid& grid,
                          const thrust::device_vector<unsigned short>& phaseMap,
                          PhaseCells& cells) {
    const unsigned int cellCount = cells.count;
    thrust::device_vector<unsigned short> cellPhase(cellCount);
    launchOneDimensional(calculateCellPhase, cellCount, devicePointer(cellPhase),
                         devicePointer(cells.key), grid, devicePointer(phaseMap), cellCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    cells.byPhase.resize(cellCount);
    thrust::sequence(cells.byPhase.begin(), cells.byPhase.end());
    thrust::stable_sort_by_key(cellPhase.begin(), cellPhase.end(), cells.byPhase.begin());

    return countCellsInEachPhase(cellPhase, cells.countInPhase, cells.startOfPhase);
}

}  // namespace

MStatus countCellsInEachPhase(const thrust::device_vector<unsigned short>& sortedPhases,
                              std::vector<unsigned int>& countInPhase,
                              std::vector<unsigned int>& startOfPhase) {
    countInPhase.assign(kPhases, 0u);
    startOfPhase.assign(kPhases, 0u);
    const unsigned int cellCount = static_cast<unsigned int>(sortedPhases.size());
    if (cellCount == 0) return MS::kSuccess;
    thrust::device_vector<unsigned int> cellCountInPhase(kPhases, 0u);
    const unsigned short lastPhase = sortedPhases[cellCount - 1];
    cellCountInPhase[lastPhase] = cellCount;
    launchOneDimensional(countCellsInPhases, cellCount, devicePointer(cellCountInPhase),
                         devicePointer(sortedPhases), cellCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::copy(cellCountInPhase.begin(), cellCountInPhase.end(), countInPhase.begin());
    for (unsigned int phase = 1; phase < kPhases; ++phase)
        startOfPhase[phase] = startOfPhase[phase - 1] + countInPhase[phase - 1];
    return MS::kSuccess;
}

namespace {

// Sorts the cell ids, stably, with the permutation as values. Most grids number their cells
// within 32 bits, and a sort of 32-bit keys takes half the passes of one of 64.
void sortCellIds(thrust::device_vector<CellId>& cellIds, thrust::device_vector<unsigned int>& map,
                 const ScatterGrid& grid) {
    if (grid.stepY * grid.countY > 0xFFFFFFFFull) {
        thrust::stable_sort_by_key(cellIds.begin(), cellIds.end(), map.begin());
        return;
    }
    thrust::device_vector<unsigned int> narrow(cellIds.begin(), cellIds.end());
    thrust::stable_sort_by_key(narrow.begin(), narrow.end(), map.begin());
    thrust::copy(narrow.begin(), narrow.end(), cellIds.begin());
}

}  // namespace

MStatus throwDarts(Candidates& candidates, unsigned int acceptedSamplesCount, float radius,
                   const ScatterGrid& grid, int trials,
                   const thrust::device_vector<unsigned short>& phaseMap, CellHashTable& table) {
    table = CellHashTable();
    const unsigned int n = candidates.count;
    if (n == 0) return MS::kSuccess;
    thrust::device_vector<CellId>& pointCellId = candidates.cellId;

    StageTimer stage("sort");
    // The permutation, the run marks, the sort's own copy of keys and values and the narrowed
    // keys.
    if (!scatterMemoryFits(24ull * n)) return MS::kFailure;
    thrust::device_vector<unsigned int> map(n);
    thrust::sequence(map.begin(), map.end());
    sortCellIds(pointCellId, map, grid);

    stage.next("hash table");
    PhaseCells cells;
    thrust::device_vector<unsigned int> tabCells;
    MStatus status = findCells(pointCellId, cells, tabCells, table);
    if (!status) return status;
    thrust::device_vector<CellId>().swap(pointCellId);  // the cells hold their ids now
    status = groupCellsByPhase(grid, phaseMap, cells);
    if (!status) return status;
    if (acceptedSamplesCount > 0) {
        launchTwoDimensional(updateHashTable, cells.count, 64, devicePointer(cells.start),
                             devicePointer(cells.sample), devicePointer(cells.samplePosition),
                             devicePointer(candidates.x), devicePointer(candidates.y),
                             devicePointer(candidates.z), devicePointer(map),
                             acceptedSamplesCount, cells.count, n);
        CUDA_CALL_CHECK(cudaGetLastError());
    }

    stage.next("dart throwing");
    for (int t = 0; t < trials; ++t) {
        for (unsigned int phase = 0; phase < kPhases; ++phase) {
            launchOneDimensional(chooseSamplesInCells, cells.countInPhase[phase],
                                 devicePointer(cells.byPhase), cells.startOfPhase[phase],
                                 cells.countInPhase[phase], devicePointer(table.bucketIndex),
                                 devicePointer(tabCells), devicePointer(cells.key),
                                 devicePointer(cells.start), devicePointer(cells.sample),
                                 devicePointer(cells.samplePosition), grid.stepZ, grid.stepY, static_cast<short>(t), radius,
                                 devicePointer(candidates.x), devicePointer(candidates.y),
                                 devicePointer(candidates.z), devicePointer(map), table.size,
                                 cells.count, n);
            CUDA_CALL_CHECK(cudaGetLastError());
        }
    }
    launchTwoDimensional(collectSlotSamples, kSlots * static_cast<unsigned int>(table.size), 64,
                         devicePointer(tabCells), devicePointer(table.bucketIndex),
                         devicePointer(cells.sample), table.size);
    CUDA_CALL_CHECK(cudaGetLastError());
    table.samples.swap(tabCells);
    return MS::kSuccess;
}
