#pragma once
// Host-side settings and checks of the scatter node: its grid, its trial count, the candidate
// count of a phase, the check of the mesh it samples and its device-memory check.
#include <string>

// The hashed grid of a minimum distance r: cubic cells of edge cellSize = r / sqrt(3), so a
// cell's diagonal is r and a cell holds at most one sample, counted from the box minimum. The
// cell id of a point is kx + kz * stepZ + ky * stepY with stepZ = nx and stepY = nx * nz, where
// nx and nz are the cell counts along x and z of the box (y needs no bound).
struct ScatterGrid {
    float cellSize = 0.0f;
    float minX = 0.0f, minY = 0.0f, minZ = 0.0f;
    unsigned int stepZ = 0, stepY = 0;
};

// nx = trunc((maxX - minX) / cellSize) + 1 and nz likewise, in unsigned 32-bit arithmetic (a
// huge box wraps the steps around rather than overflowing).
ScatterGrid makeScatterGrid(float radius, float minX, float minY, float minZ, float maxX,
                            float maxZ);

// The trial count clamped to [1, 30].
int clampTrials(int trials);

// The most candidates one phase draws.
constexpr unsigned int kMaximumCandidates = 10000000;

struct CandidateCount {
    unsigned int count = 0;
    bool capped = false;  // the count was cut to kMaximumCandidates
};

// The vertex phase: every vertex after the `carried` samples of earlier phases.
CandidateCount vertexCandidateCount(unsigned int carried, unsigned int vertexCount);

// A random phase over a measure (total border-edge length or total area) with one expected
// sample per `unit` (r, or the disc area pi r^2): trunc(ceilf(measure / unit)) * multiplier +
// carried, raised to 5 when below (and then never capped), else cut to kMaximumCandidates. The
// count is never below `carried`, so the carried samples always fit.
CandidateCount randomCandidateCount(float measure, float unit, int multiplier,
                                    unsigned int carried);

// Empty when a mesh can be scattered on, else what is wrong with it: a vertex with a coordinate
// that is not finite, or a triangle (three entries of triangleVertices each) naming a vertex
// outside 0..vertexCount-1. points holds x, y, z per vertex.
std::string findMeshProblem(const float* points, unsigned int vertexCount,
                            const int* triangleVertices, unsigned int length);

// The scatter node's device-memory check: false, after showing "Not enough memory on GPU" as an
// error, when `bytes` do not fit in the free device memory.
bool scatterMemoryFits(unsigned long long bytes);
