#include "pointSuite/scatterSetup.h"

#include <maya/MGlobal.h>

#include <cmath>

#include "common/gpuServices.h"
#include "pointSuite/deviceFunctions.h"

ScatterGrid makeScatterGrid(float radius, float minX, float minY, float minZ, float maxX,
                            float maxZ) {
    ScatterGrid grid;
    grid.cellSize = static_cast<float>(static_cast<double>(radius) / std::sqrt(3.0));
    grid.minX = minX, grid.minY = minY, grid.minZ = minZ;
    const unsigned int nx =
        static_cast<unsigned int>(truncateToInt((maxX - minX) / grid.cellSize)) + 1u;
    const unsigned int nz =
        static_cast<unsigned int>(truncateToInt((maxZ - minZ) / grid.cellSize)) + 1u;
    grid.stepZ = nx;
    grid.stepY = nx * nz;
    return grid;
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
    if (gpuMemoryCheck(bytes)) return true;
    MGlobal::displayError("Not enough memory on GPU");
    return false;
}
