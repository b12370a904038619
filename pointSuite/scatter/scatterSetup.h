#pragma once
// Host-side settings and checks of the scatter node: its grid, its trial count, the candidate
// count of a phase, the check of the mesh it samples and its device-memory check.
#include <cmath>
#include <string>

#include "pointSuite/deviceFunctions.h"

// An axis-aligned frame, grown corner by corner and point by point; empty (min above max) until
// one is included. lowestPoint is the lower corner of the points alone.
struct GridFrame {
    float min[3] = {INFINITY, INFINITY, INFINITY};
    float max[3] = {-INFINITY, -INFINITY, -INFINITY};
    float lowestPoint[3] = {INFINITY, INFINITY, INFINITY};

    // Grows the frame to hold a corner of the box.
    void include(float x, float y, float z) {
        const float p[3] = {x, y, z};
        for (int k = 0; k < 3; ++k) {
            min[k] = p[k] < min[k] ? p[k] : min[k];
            max[k] = p[k] > max[k] ? p[k] : max[k];
        }
    }

    // Grows the frame to hold a point to be sampled.
    void includePoint(float x, float y, float z) {
        include(x, y, z);
        const float p[3] = {x, y, z};
        for (int k = 0; k < 3; ++k) lowestPoint[k] = p[k] < lowestPoint[k] ? p[k] : lowestPoint[k];
    }
};

// The most cells a grid may have: each cell needs an id of its own (2^63).
constexpr double kMaximumGridCells = 9223372036854775808.0;

// The grid of minimum distance `radius` (finite, above 0) over a frame holding at least one
// corner or point, with finite corners. Per axis the origin is the one gridOriginNear places
// near the frame's points (the frame's own corner when it holds none), and the frame has
// originCell + trunc((max - origin) / cellSize) + 1 cells, evaluated in single precision as the
// cell coordinates are, so every point of the frame has a cell of it, plus the margins. The
// number of cells it would have, when that is above kMaximumGridCells (or not finite), makes the
// answer false, with the grid untouched.
bool makeScatterGrid(float radius, const GridFrame& frame, ScatterGrid& grid,
                     double* cellCount = nullptr);

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
