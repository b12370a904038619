#include <thrust/binary_search.h>
#include <thrust/copy.h>
#include <thrust/count.h>
#include <thrust/fill.h>
#include <thrust/iterator/counting_iterator.h>
#include <thrust/reduce.h>
#include <thrust/scan.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>
#include <thrust/transform_reduce.h>

#include <algorithm>

#include "common/deviceLaunch.h"
#include "common/stageTimer.h"
#include "pointSuite/deviceFunctions.h"
#include "pointSuite/scatter/scatterDartThrowing.h"

namespace {
constexpr unsigned int kNoSample = CellHashTable::kNoSample;
// A cell that found no slot in its bucket: absent from the table, it never takes a sample.
constexpr unsigned int kLostCell = 0xFFFFFFFEu;
constexpr unsigned int kSlots = CellHashTable::kSlots;
constexpr unsigned int kPhases = 27;
// The most bands a phase's cells are split into; a phase and band key stays within 16 bits.
constexpr unsigned int kMaximumBands = 1024;
static_assert(kPhases * kMaximumBands <= 0xFFFFu, "phase and band keys are 16-bit");
}  // namespace

// The cells of a phase live in per-cell arrays, indexed by the cell's run number r (0..C-1, in
// cell id order); the table's slots hold run numbers. A slot costs 4 bytes instead of the 12 of
// a key, an address and a sample, which keeps the table of H = 4 C buckets within memory.

// Marks the sorted candidates that start a run of equal cell ids.
__global__ void detectCells(const CellId* cellId, unsigned int* aux, unsigned int numElements) {
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

// Inserts cell r into a free slot of its bucket; a sixth or later cell of a bucket is counted,
// not stored, and marked lost. Which cells of a full bucket are kept, and in which slots, depends
// on the order of the atomic claims: keepFirstCellsOfFullBuckets and orderBucketSlots then make
// the table the one that claims in cell order would give.
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

// A bucket that counted more cells than it has slots keeps its kSlots lowest cell numbers: each
// lost cell, in increasing order, takes the place of the bucket's highest stored one when it is
// lower. The lost cells are few; one thread goes through them in order.
__global__ void keepFirstCellsOfFullBuckets(const unsigned int* lostCells, unsigned int lostCount,
                                            const CellId* cellKey, unsigned int* cellSample,
                                            unsigned int* tabCells, int hashTableSize) {
    if (oneDimensionalThreadIndex() != 0) return;
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    for (unsigned int i = 0; i < lostCount; ++i) {
        const unsigned int lost = lostCells[i];
        const unsigned int bucket = static_cast<unsigned int>(cellKey[lost] % size);
        unsigned int highest = 0;
        for (unsigned int j = 1; j < kSlots; ++j)
            if (tabCells[j * size + bucket] > tabCells[highest * size + bucket]) highest = j;
        unsigned int& slot = tabCells[highest * size + bucket];
        if (slot < lost) continue;
        cellSample[slot] = kLostCell;
        cellSample[lost] = kNoSample;
        slot = lost;
    }
}

// Orders the stored cells of each bucket by cell number, slot 0 first.
__global__ void orderBucketSlots(const unsigned int* bucketIndex, unsigned int* tabCells,
                                 int hashTableSize) {
    const unsigned int bucket = twoDimensionalThreadIndex();
    const unsigned int size = static_cast<unsigned int>(hashTableSize);
    if (bucket >= size) return;
    const unsigned int stored = bucketIndex[bucket] < kSlots ? bucketIndex[bucket] : kSlots;
    for (unsigned int j = 1; j < stored; ++j) {
        const unsigned int cell = tabCells[j * size + bucket];
        unsigned int k = j;
        for (; k > 0 && tabCells[(k - 1) * size + bucket] > cell; --k)
            tabCells[k * size + bucket] = tabCells[(k - 1) * size + bucket];
        tabCells[k * size + bucket] = cell;
    }
}

// The band of dart-throwing work that a cell belongs to: the cells whose coordinate along one
// axis of the grid (0 x, 1 y, 2 z) lies in one of `count` consecutive slabs, each `width` (at
// least 2) cells thick from `first` on. A cell's neighbours within two cells lie in its own band
// or the two beside it.
struct CellBands {
    unsigned int axis = 0;
    CellId first = 0;
    CellId width = 2;
    unsigned int count = 1;
};

// The phase and band of cell r as one key, phase * bands.count + band: the phase from the phase
// map's entry for the cell's position in its block of 3 x 3 x 3 cells, from the coordinates its
// id holds.
__global__ void calculateCellPhase(unsigned short* cellPhase, const CellId* cellKey,
                                   ScatterGrid grid, CellBands bands,
                                   const unsigned short* phaseMap, unsigned int numElements) {
    const unsigned int r = oneDimensionalThreadIndex();
    if (r >= numElements) return;
    const CellId band =
        (cellCoordinateAlong(cellKey[r], grid, bands.axis) - bands.first) / bands.width;
    cellPhase[r] = static_cast<unsigned short>(
        phaseMap[blockPositionOfCell(cellKey[r], grid)] * bands.count + band);
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

// The 25 rows of five cells around a cell (two cells along y and z, x from -2 to +2), nearest
// rows first, where a refusing sample is most likely: each row's first id as an offset from the
// cell's id. The grid's margins keep every row inside the grid: no id wraps.
struct NeighbourRows {
    static constexpr int kCount = 25;
    CellId idOffset[kCount];
};

NeighbourRows makeNeighbourRows(const ScatterGrid& grid) {
    NeighbourRows rows;
    const long long nearestFirst[5] = {0, -1, 1, -2, 2};
    int k = 0;
    for (long long dy : nearestFirst) {
        for (long long dz : nearestFirst) {
            rows.idOffset[k++] = static_cast<CellId>(-2 + dz * static_cast<long long>(grid.stepZ) +
                                                     dy * static_cast<long long>(grid.stepY));
        }
    }
    return rows;
}

// A row's occupied cells are consecutive in the cell list (its ids are), so a row is its first
// cell and a count of 1 to 5, packed in one word: cell numbers stay below 2^29, as there are at
// most kMaximumCandidates cells.
constexpr unsigned int kRowCountShift = 29;
constexpr unsigned int kRowFirstMask = (1u << kRowCountShift) - 1;

// The cells of one walk of findOccupiedRows: enough walks to keep every thread busy (a walk starts
// with a search per row offset), from 16 to 256 cells each.
__host__ __device__ inline unsigned int cellsPerRowWalk(unsigned int cellCount) {
    const unsigned int perWalk = cellCount / 2048;
    return perWalk < 16 ? 16 : perWalk > 256 ? 256 : perWalk;
}

// The first cell number at or after `from` whose id is not below `id`.
__host__ __device__ inline unsigned int firstCellFrom(const CellId* cellKey, unsigned int from,
                                                      unsigned int cellCount, CellId id) {
    unsigned int low = from, high = cellCount;
    while (low < high) {
        const unsigned int middle = low + (high - low) / 2;
        if (cellKey[middle] < id) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

// Moves `first` on to the first cell whose id is not below `id` and answers how many cells of
// the row of ids id to id + 4 follow it. The keys are sorted and followed by kKeyPadding
// entries above every id, so both counts are counts of keys below a bound among the next ten,
// taken without branches or bounds: they are small and vary from one row to the next. A move of
// more than four cells goes on one cell at a time.
constexpr unsigned int kKeyPadding = 10;

__host__ __device__ inline unsigned int findRow(const CellId* cellKey, CellId id,
                                                unsigned int& first) {
    const CellId* key = cellKey + first;
    unsigned int below = 0, inRow = 0;
    for (unsigned int j = 0; j < 5; ++j) below += static_cast<unsigned int>(key[j] < id);
    for (unsigned int j = 0; j < kKeyPadding; ++j)
        inRow += static_cast<unsigned int>(key[j] < id + 5);
    first += below;
    if (below < 5) return inRow - below;
    while (cellKey[first] < id) ++first;
    inRow = 0;
    while (cellKey[first + inRow] < id + 5) ++inRow;
    return inRow;
}

// The occupied rows of the cells of one walk (cellsPerRowWalk consecutive cells): one search per
// row offset for the walk's first cell, then steps forward, since a row's start grows with the
// cell's id. With `rows` null, writes each cell's number of occupied rows to rowStart[cell]; else
// writes the cell's rows, nearest first, from rows[rowStart[cell]].
__global__ void findOccupiedRows(const CellId* cellKey, unsigned int cellCount,
                                 NeighbourRows offsets, unsigned int* rowStart,
                                 unsigned int* rows) {
    const unsigned int perWalk = cellsPerRowWalk(cellCount);
    const unsigned long long first =
        static_cast<unsigned long long>(oneDimensionalThreadIndex()) * perWalk;
    if (first >= cellCount) return;
    const unsigned int last =
        static_cast<unsigned int>(first + perWalk < cellCount ? first + perWalk : cellCount);
    unsigned int row[NeighbourRows::kCount];
    for (int k = 0; k < NeighbourRows::kCount; ++k)
        row[k] = firstCellFrom(cellKey, 0, cellCount, cellKey[first] + offsets.idOffset[k]);
    for (unsigned int cell = static_cast<unsigned int>(first); cell < last; ++cell) {
        unsigned int written = 0;
        for (int k = 0; k < NeighbourRows::kCount; ++k) {
            const CellId id = cellKey[cell] + offsets.idOffset[k];
            const unsigned int count = findRow(cellKey, id, row[k]);
            if (count == 0) continue;
            if (rows) rows[rowStart[cell] + written] = row[k] | (count << kRowCountShift);
            ++written;
        }
        if (!rows) rowStart[cell] = written;
    }
}

// The position of sorted candidate j: that of candidate map[j].
__global__ void gatherSortedPositions(const unsigned int* map, const float* x, const float* y,
                                      const float* z, float* sortedPosition,
                                      unsigned int numElements) {
    const unsigned int j = twoDimensionalThreadIndex();
    if (j >= numElements) return;
    const unsigned int s = map[j];
    sortedPosition[3ull * j] = x[s];
    sortedPosition[3ull * j + 1] = y[s];
    sortedPosition[3ull * j + 2] = z[s];
}

// The arrays of a phase's cells that a dart reads and writes.
struct DartCells {
    const unsigned int* rowStart;
    const unsigned int* rows;
    const unsigned int* start;
    unsigned int* sample;
    float* samplePosition;
    unsigned int* refuser;
    const float* sortedPosition;
    const unsigned int* map;
    unsigned int count;
    unsigned int candidates;
};

// Cell own's dart of trial t: the cell's (t+1)-th candidate, accepted unless a sample of a cell
// within two cells along each axis lies within r of it. Any such sample refuses the dart, so the
// order in which they are looked at does not change the outcome: the sample that refused the
// cell's last dart, which never moves and lies near, is tried first, then the occupied rows
// nearest first. A cell without a sample or absent from the table refuses nothing.
__device__ inline void throwDartInCell(unsigned int own, short t, float r, const DartCells& c) {
    if (c.sample[own] != kNoSample) return;  // seated, or absent from the table
    const unsigned int candidate = c.start[own] + static_cast<unsigned int>(t);
    if (candidate >= cellEnd(c.start, own, c.count, c.candidates)) return;
    const float* p = c.sortedPosition + 3ull * candidate;
    const float px = p[0], py = p[1], pz = p[2];
    auto within = [&](unsigned int other) {
        const float* q = c.samplePosition + 3 * other;
        const float ddx = px - q[0], ddy = py - q[1], ddz = pz - q[2];
        return r >= sqrtf(ddx * ddx + ddy * ddy + ddz * ddz);
    };
    const unsigned int lastRefuser = c.refuser[own];
    if (lastRefuser != kNoSample && within(lastRefuser)) return;
    for (unsigned int k = c.rowStart[own]; k < c.rowStart[own + 1]; ++k) {
        const unsigned int first = c.rows[k] & kRowFirstMask;
        const unsigned int end = first + (c.rows[k] >> kRowCountShift);
        for (unsigned int other = first; other < end; ++other) {
            if (other == own || other == lastRefuser || c.sample[other] >= kLostCell) continue;
            if (within(other)) {
                c.refuser[own] = other;
                return;
            }
        }
    }
    c.sample[own] = c.map[candidate];
    c.samplePosition[3 * own] = px;
    c.samplePosition[3 * own + 1] = py;
    c.samplePosition[3 * own + 2] = pz;
}

// One dart per cell of a phase, block b on the phase's cells of band b: cellIndexes[bandStart[b]]
// to cellIndexes[bandStart[b + 1] - 1].
__global__ void chooseSamplesInCells(const unsigned int* cellIndexes, const unsigned int* bandStart,
                                     DartCells cells, short t, float r) {
    const unsigned int end = bandStart[blockIdx.x + 1];
    for (unsigned int i = bandStart[blockIdx.x] + threadIdx.x; i < end; i += blockDim.x)
        throwDartInCell(cellIndexes[i], t, r, cells);
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
// buckets and their slots, the seven per-cell arrays and the scratch of sorting the cells by
// phase.
unsigned long long tableBytes(unsigned long long cells) {
    const unsigned long long buckets = 4 * cells;
    return buckets * 4 * (1 + kSlots) + cells * (4 * 4 + 8 + 2 + 12) + cells * (4 + 2) +
           4ull * (kPhases * kMaximumBands + 1) + 24 + 8 * kKeyPadding + 64;
}

// The per-cell arrays of a phase while its darts are thrown.
struct PhaseCells {
    gpu::DeviceBuffer<unsigned int> start;    // sorted index of the cell's first candidate
    gpu::DeviceBuffer<CellId> key;            // the cell's id
    gpu::DeviceBuffer<unsigned int> sample;   // accepted sample, kNoSample or kLostCell
    gpu::DeviceBuffer<float> samplePosition;  // x, y, z of the accepted sample (set with it)
    gpu::DeviceBuffer<unsigned int> refuser;  // the cell whose sample refused the last dart
    gpu::DeviceBuffer<unsigned int> byPhase;  // cells by phase and band, in cell order within
    CellBands bands;
    // The first entry of byPhase of each phase and band key, and the count of cells at the end.
    gpu::DeviceBuffer<unsigned int> bandStart;
    unsigned int count = 0;
};

struct IsLost {
    __host__ __device__ bool operator()(unsigned int sample) const { return sample == kLostCell; }
};

// Makes the slots of the filled table those that claims in cell order give: in each bucket the
// lowest cell numbers, in increasing order.
MStatus orderSlotsByCell(PhaseCells& cells, gpu::DeviceBuffer<unsigned int>& tabCells,
                         CellHashTable& table) {
    const unsigned int lostCount = static_cast<unsigned int>(
        thrust::count_if(gpu::parallel, cells.sample.begin(), cells.sample.end(), IsLost()));
    if (lostCount > 0) {
        if (!scatterMemoryFits(4ull * lostCount)) return MS::kFailure;
        gpu::DeviceBuffer<unsigned int> lostCells(lostCount);
        thrust::copy_if(gpu::parallel, thrust::counting_iterator<unsigned int>(0),
                        thrust::counting_iterator<unsigned int>(cells.count), cells.sample.begin(),
                        lostCells.begin(), IsLost());
        launchOneDimensional(keepFirstCellsOfFullBuckets, 1, devicePointer(lostCells), lostCount,
                             devicePointer(cells.key), devicePointer(cells.sample),
                             devicePointer(tabCells), table.size);
        CUDA_CALL_CHECK(cudaGetLastError());
    }
    launchTwoDimensional(orderBucketSlots, static_cast<unsigned int>(table.size), 64,
                         devicePointer(table.bucketIndex), devicePointer(tabCells), table.size);
    CUDA_CALL_CHECK(cudaGetLastError());
    return MS::kSuccess;
}

// The cells of the sorted candidates, their run starts and, in `table`, their slots.
MStatus findCells(const gpu::DeviceBuffer<CellId>& pointCellId, PhaseCells& cells,
                  gpu::DeviceBuffer<unsigned int>& tabCells, CellHashTable& table) {
    const unsigned int n = static_cast<unsigned int>(pointCellId.size());
    gpu::DeviceBuffer<unsigned int> aux(n);
    launchTwoDimensional(detectCells, n, 64, devicePointer(pointCellId), devicePointer(aux), n);
    if (!kernelLaunchSucceeded("detectCells")) return MS::kFailure;
    const unsigned int cellCount = thrust::reduce(gpu::parallel, aux.begin(), aux.end(), 0u);
    if (!scatterMemoryFits(tableBytes(cellCount))) return MS::kFailure;
    cells.count = cellCount;
    cells.start.resize(cellCount);
    cells.start[0] = 0u;
    aux[0] = 0u;
    thrust::inclusive_scan(gpu::parallel, aux.begin(), aux.end(), aux.begin());
    launchTwoDimensional(getCells, n, 64, devicePointer(cells.start), devicePointer(aux), n);
    CUDA_CALL_CHECK(cudaGetLastError());
    gpu::DeviceBuffer<unsigned int>().swap(aux);

    const unsigned int size = 4 * cellCount;
    table.size = static_cast<int>(size);
    table.bucketIndex.resize(size);
    thrust::fill(gpu::parallel, table.bucketIndex.begin(), table.bucketIndex.end(), 0u);
    tabCells.resize(kSlots * size);  // a slot is read only once its bucket's count covers it
    cells.key.resize(cellCount + kKeyPadding);
    thrust::fill(cells.key.begin() + cellCount, cells.key.end(), ~CellId(0));
    cells.sample.resize(cellCount);
    thrust::fill(gpu::parallel, cells.sample.begin(), cells.sample.end(), kNoSample);
    cells.samplePosition.resize(3ull * cellCount);
    cells.refuser.resize(cellCount);
    thrust::fill(gpu::parallel, cells.refuser.begin(), cells.refuser.end(), kNoSample);
    launchTwoDimensional(fillHashTable, cellCount, 64, devicePointer(cells.start),
                         devicePointer(pointCellId), devicePointer(cells.key),
                         devicePointer(cells.sample), devicePointer(table.bucketIndex),
                         devicePointer(tabCells), table.size, cellCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    return orderSlotsByCell(cells, tabCells, table);
}

// The smallest and largest coordinate of a set of cells along each axis.
struct CellExtent {
    CellId low[3] = {~CellId(0), ~CellId(0), ~CellId(0)};
    CellId high[3] = {0, 0, 0};
};

struct ExtentOfCell {
    ScatterGrid grid;
    __host__ __device__ CellExtent operator()(CellId cell) const {
        CellExtent extent;
        for (unsigned int axis = 0; axis < 3; ++axis)
            extent.low[axis] = extent.high[axis] = cellCoordinateAlong(cell, grid, axis);
        return extent;
    }
};

struct MergeExtents {
    __host__ __device__ CellExtent operator()(const CellExtent& a, const CellExtent& b) const {
        CellExtent merged;
        for (unsigned int axis = 0; axis < 3; ++axis) {
            merged.low[axis] = a.low[axis] < b.low[axis] ? a.low[axis] : b.low[axis];
            merged.high[axis] = a.high[axis] > b.high[axis] ? a.high[axis] : b.high[axis];
        }
        return merged;
    }
};

// Bands across the axis along which the cells spread the furthest, as many as kMaximumBands
// allows and at least two cells thick, so that the bands of a flat or narrow mesh still share
// its cells out.
CellBands bandsOfCells(const PhaseCells& cells, const ScatterGrid& grid) {
    const CellExtent extent =
        thrust::transform_reduce(gpu::parallel, cells.key.begin(), cells.key.begin() + cells.count,
                                 ExtentOfCell{grid}, CellExtent(), MergeExtents());
    CellBands bands;
    CellId span = 0;
    for (unsigned int axis = 0; axis < 3; ++axis) {
        const CellId axisSpan = extent.high[axis] - extent.low[axis] + 1;
        if (axisSpan <= span) continue;
        span = axisSpan;
        bands.axis = axis;
        bands.first = extent.low[axis];
    }
    bands.width = std::max<CellId>(2, (span + kMaximumBands - 1) / kMaximumBands);
    bands.count = static_cast<unsigned int>((span + bands.width - 1) / bands.width);
    return bands;
}

// Groups the cells by phase, and within a phase by band, and finds where each group starts.
MStatus groupCellsByPhase(const ScatterGrid& grid,
                          const thrust::device_vector<unsigned short>& phaseMap,
                          PhaseCells& cells) {
    const unsigned int cellCount = cells.count;
    cells.bands = bandsOfCells(cells, grid);
    thrust::device_vector<unsigned short> cellPhase(cellCount);
    launchOneDimensional(calculateCellPhase, cellCount, devicePointer(cellPhase),
                         devicePointer(cells.key), grid, cells.bands, devicePointer(phaseMap),
                         cellCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    cells.byPhase.resize(cellCount);
    thrust::sequence(gpu::parallel, cells.byPhase.begin(), cells.byPhase.end());
    thrust::stable_sort_by_key(gpu::parallel, cellPhase.begin(), cellPhase.end(),
                               cells.byPhase.begin());
    const unsigned int keys = kPhases * cells.bands.count;
    cells.bandStart.resize(keys + 1);
    thrust::lower_bound(gpu::parallel, cellPhase.begin(), cellPhase.end(),
                        thrust::counting_iterator<unsigned int>(0),
                        thrust::counting_iterator<unsigned int>(keys + 1), cells.bandStart.begin());
    return MS::kSuccess;
}

}  // namespace

namespace {

// Each cell's occupied neighbour rows: those of cell c are rows[start[c]] to rows[start[c + 1]].
struct OccupiedRows {
    gpu::DeviceBuffer<unsigned int> start;
    gpu::DeviceBuffer<unsigned int> rows;
};

MStatus listOccupiedRows(const ScatterGrid& grid, const PhaseCells& cells, OccupiedRows& rows) {
    const NeighbourRows offsets = makeNeighbourRows(grid);
    const unsigned int perWalk = cellsPerRowWalk(cells.count);
    const unsigned int walks = (cells.count + perWalk - 1) / perWalk;
    if (!scatterMemoryFits(4ull * (cells.count + 1))) return MS::kFailure;
    rows.start.resize(cells.count + 1);
    rows.start[cells.count] = 0u;
    launchOneDimensional(findOccupiedRows, walks, devicePointer(cells.key), cells.count, offsets,
                         devicePointer(rows.start), static_cast<unsigned int*>(nullptr));
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::exclusive_scan(gpu::parallel, rows.start.begin(), rows.start.end(), rows.start.begin());
    const unsigned int total = rows.start[cells.count];
    if (!scatterMemoryFits(4ull * total)) return MS::kFailure;
    rows.rows.resize(total);
    launchOneDimensional(findOccupiedRows, walks, devicePointer(cells.key), cells.count, offsets,
                         devicePointer(rows.start), devicePointer(rows.rows));
    CUDA_CALL_CHECK(cudaGetLastError());
    return MS::kSuccess;
}

// Sorts the cell ids, stably, with the permutation as values. Most grids number their cells
// within 32 bits, and a sort of 32-bit keys takes half the passes of one of 64.
void sortCellIds(gpu::DeviceBuffer<CellId>& cellIds, gpu::DeviceBuffer<unsigned int>& map,
                 const ScatterGrid& grid) {
    if (grid.stepY * grid.countY > 0xFFFFFFFFull) {
        thrust::stable_sort_by_key(gpu::parallel, cellIds.begin(), cellIds.end(), map.begin());
        return;
    }
    gpu::DeviceBuffer<unsigned int> narrow(cellIds.size());
    thrust::copy(gpu::parallel, cellIds.begin(), cellIds.end(), narrow.begin());
    thrust::stable_sort_by_key(gpu::parallel, narrow.begin(), narrow.end(), map.begin());
    thrust::copy(gpu::parallel, narrow.begin(), narrow.end(), cellIds.begin());
}

}  // namespace

MStatus throwDarts(Candidates& candidates, unsigned int acceptedSamplesCount, float radius,
                   const ScatterGrid& grid, int trials,
                   const thrust::device_vector<unsigned short>& phaseMap, CellHashTable& table) {
    table = CellHashTable();
    const unsigned int n = candidates.count;
    if (n == 0) return MS::kSuccess;
    gpu::DeviceBuffer<CellId>& pointCellId = candidates.cellId;

    StageTimer stage("sort");
    // The permutation, the run marks, the sort's own copy of keys and values and the narrowed
    // keys.
    if (!scatterMemoryFits(24ull * n)) return MS::kFailure;
    gpu::DeviceBuffer<unsigned int> map(n);
    thrust::sequence(gpu::parallel, map.begin(), map.end());
    sortCellIds(pointCellId, map, grid);

    stage.next("hash table");
    PhaseCells cells;
    gpu::DeviceBuffer<unsigned int> tabCells;
    MStatus status = findCells(pointCellId, cells, tabCells, table);
    if (!status) return status;
    gpu::DeviceBuffer<CellId>().swap(pointCellId);  // the cells hold their ids now
    status = groupCellsByPhase(grid, phaseMap, cells);
    if (!status) return status;
    if (acceptedSamplesCount > 0) {
        launchTwoDimensional(updateHashTable, cells.count, 64, devicePointer(cells.start),
                             devicePointer(cells.sample), devicePointer(cells.samplePosition),
                             devicePointer(candidates.x), devicePointer(candidates.y),
                             devicePointer(candidates.z), devicePointer(map), acceptedSamplesCount,
                             cells.count, n);
        CUDA_CALL_CHECK(cudaGetLastError());
    }

    stage.next("dart throwing");
    // The candidates' positions in sorted order: a cell's candidates lie side by side.
    if (!scatterMemoryFits(12ull * n)) return MS::kFailure;
    gpu::DeviceBuffer<float> sortedPosition(3ull * n);
    launchTwoDimensional(gatherSortedPositions, n, 64, devicePointer(map),
                         devicePointer(candidates.x), devicePointer(candidates.y),
                         devicePointer(candidates.z), devicePointer(sortedPosition), n);
    CUDA_CALL_CHECK(cudaGetLastError());
    OccupiedRows rows;
    status = listOccupiedRows(grid, cells, rows);
    if (!status) return status;
    {
        // One short launch per trial and phase, block b on band b: queued together, so that
        // they run back to back and each band goes on once the bands beside it have.
        const DartCells dartCells{devicePointer(rows.start),
                                  devicePointer(rows.rows),
                                  devicePointer(cells.start),
                                  devicePointer(cells.sample),
                                  devicePointer(cells.samplePosition),
                                  devicePointer(cells.refuser),
                                  devicePointer(sortedPosition),
                                  devicePointer(map),
                                  cells.count,
                                  n};
        const gpu::LaunchBatch batch;
        for (int t = 0; t < trials; ++t) {
            for (unsigned int phase = 0; phase < kPhases; ++phase) {
                launchBanded(chooseSamplesInCells, cells.bands.count, 64,
                             devicePointer(cells.byPhase),
                             devicePointer(cells.bandStart) + phase * cells.bands.count, dartCells,
                             static_cast<short>(t), radius);
            }
        }
    }
    CUDA_CALL_CHECK(cudaGetLastError());  // the batch's launches have all run here
    launchTwoDimensional(collectSlotSamples, kSlots * static_cast<unsigned int>(table.size), 64,
                         devicePointer(tabCells), devicePointer(table.bucketIndex),
                         devicePointer(cells.sample), table.size);
    CUDA_CALL_CHECK(cudaGetLastError());
    table.samples.swap(tabCells);
    return MS::kSuccess;
}
