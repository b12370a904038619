#include "pointSuite/scatter/scatterSetup.h"

#include <cmath>

#include "common/gpuServices.h"
#include "common/gridOrigin.h"
#include "pointSuite/deviceFunctions.h"

bool makeScatterGrid(float radius, const GridFrame& frame, ScatterGrid& grid, double* cellCount) {
    const float cellSize = static_cast<float>(static_cast<double>(radius) / std::sqrt(3.0));
    double cells = 1.0;
    GridOrigin origin[3];
    CellId count[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        origin[k] = gridOriginNear(frame.min[k], frame.lowestPoint[k], cellSize);
        const double along = static_cast<double>(origin[k].cell) +
                             cellsFromOrigin(frame.max[k], origin[k], cellSize) + 1.0 +
                             2.0 * kGridMargin;
        cells *= along;
        if (along <= kMaximumGridCells) count[k] = static_cast<CellId>(along);
    }
    if (cellCount) *cellCount = cells;
    if (!(cells <= kMaximumGridCells)) return false;
    grid.cellSize = cellSize;
    grid.originX = origin[0].position, grid.originY = origin[1].position,
    grid.originZ = origin[2].position;
    grid.originCellX = origin[0].cell, grid.originCellY = origin[1].cell,
    grid.originCellZ = origin[2].cell;
    grid.countX = count[0], grid.countY = count[1], grid.countZ = count[2];
    grid.stepZ = count[0];
    grid.stepY = count[0] * count[2];
    return true;
}

int clampTrials(int trials) { return trials < 1 ? 1 : (trials > 30 ? 30 : trials); }

CandidateCount vertexCandidateCount(unsigned int carried, unsigned int vertexCount) {
    const unsigned long long n = static_cast<unsigned long long>(carried) + vertexCount;
    if (n > kMaximumCandidates) return {kMaximumCandidates, true};
    return {static_cast<unsigned int>(n), false};
}

CandidateCount randomCandidateCount(float measure, float unit, int multiplier,
                                    unsigned int carried) {
    // In double precision, where even a huge measure or multiplier cannot overflow.
    const double expected = std::trunc(static_cast<double>(std::ceil(measure / unit)));
    double n = expected * multiplier + carried;
    if (!(n >= carried)) n = carried;  // a multiplier below 1 arriving through a connection
    if (!(n >= 5.0)) return {5u > carried ? 5u : carried, false};
    if (n > kMaximumCandidates) return {kMaximumCandidates, true};
    return {static_cast<unsigned int>(n), false};
}

std::string findMeshProblem(const float* points, unsigned int vertexCount,
                            const int* triangleVertices, unsigned int length) {
    for (unsigned int i = 0; i < vertexCount; ++i) {
        const float* p = points + 3ull * i;
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
            return "vertex " + std::to_string(i) + " has a coordinate that is not finite";
    }
    for (unsigned int k = 0; k < length; ++k) {
        const int vertex = triangleVertices[k];
        if (vertex < 0 || static_cast<unsigned int>(vertex) >= vertexCount)
            return "triangle " + std::to_string(k / 3) + " names vertex " +
                   std::to_string(vertex) + " of a mesh with " + std::to_string(vertexCount) +
                   " vertices";
    }
    return std::string();
}

bool scatterMemoryFits(unsigned long long bytes) {
    return deviceMemoryFits(bytes, "Not enough memory on GPU");
}
