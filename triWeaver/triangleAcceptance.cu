// Triangle acceptance: the kept triples' edges and, per edge, the corners opposite it in the
// other triples; a triple is accepted when its circumcircle is small enough and holds none of
// those test points.
#include <maya/MGlobal.h>
#include <gpu/thrust.h>
#include <thrust/copy.h>
#include <thrust/scan.h>
#include <thrust/iterator/zip_iterator.h>
#include <thrust/sort.h>
#include <thrust/transform.h>

#include <climits>

#include "common/deviceLaunch.h"
#include "common/stageTimer.h"
#include "triWeaver/weaverBuffers.h"

// The three edges of triple t, (A, B), (A, C), (B, C), as keys (weaverEdgeKey), each with the
// corner opposite it and its own place 3 t + k.
__global__ void getTriangleEdges(unsigned long long* edgeKey, unsigned int* testPoint,
                                 unsigned int* edgeEntry, const unsigned int* vertexA,
                                 const unsigned int* vertexB, const unsigned int* vertexC,
                                 unsigned int possibleCombinationsCount) {
    const unsigned int t = twoDimensionalThreadIndex();
    if (t >= possibleCombinationsCount) return;
    const unsigned int a = vertexA[t], b = vertexB[t], c = vertexC[t];
    edgeKey[3 * t] = weaverEdgeKey(a, b), testPoint[3 * t] = c;
    edgeKey[3 * t + 1] = weaverEdgeKey(a, c), testPoint[3 * t + 1] = b;
    edgeKey[3 * t + 2] = weaverEdgeKey(b, c), testPoint[3 * t + 2] = a;
    for (unsigned int k = 0; k < 3; ++k) edgeEntry[3 * t + k] = 3 * t + k;
}

// edgeRunStart[i + 1] = 1 when sorted edge i + 1 differs from edge i: the first of its run.
__global__ void detectEdgeRunStarts(unsigned int* edgeRunStart, const unsigned long long* edgeKey,
                                    unsigned int edgeCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= edgeCount) return;
    edgeRunStart[i + 1] = edgeKey[i + 1] != edgeKey[i] ? 1u : 0u;
}

// Where each run starts: run edgeRunNumber[i + 1] at i + 1 when that is the first edge of its run.
__global__ void moveEdgeRunStarts(unsigned int* uniqueEdgeIndex, const unsigned int* edgeRunNumber,
                                  unsigned int edgeCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= edgeCount) return;
    if (edgeRunNumber[i + 1] == edgeRunNumber[i]) return;
    uniqueEdgeIndex[edgeRunNumber[i + 1]] = i + 1;
}

// The run of every edge by its place before the sort: sorted edge i stood at entry[i] and belongs
// to run edgeRunNumber[i].
__global__ void numberEdgesByRun(unsigned int* edgeRunOfEntry, const unsigned int* edgeRunNumber,
                                 const unsigned int* entry, unsigned int edgeCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= edgeCount) return;
    edgeRunOfEntry[entry[i]] = edgeRunNumber[i];
}

// Up to kMaxTestPoints corners of the other triples that share an edge with triple t, edge by
// edge, each once and none of t's own. Triple t's edges are entries 3 t, 3 t + 1 and 3 t + 2 of
// the edges before the sort; the sorted edges of a run hold the corners opposite that edge.
__global__ void getTestPointsForTriangles(
    unsigned int* testPointsPerTriangle, unsigned int* testPointsCount, const unsigned int* vertexA,
    const unsigned int* vertexB, const unsigned int* vertexC,
    unsigned int possibleCombinationsCount, const unsigned int* testPoint,
    const unsigned int* edgeRunOfEntry, const unsigned int* uniqueEdgeIndex,
    unsigned int uniqueEdgesCount) {
    const unsigned int t = twoDimensionalThreadIndex();
    if (t >= possibleCombinationsCount) return;
    const unsigned int sortedEdgeCount = 3 * possibleCombinationsCount;
    unsigned int* list =
        testPointsPerTriangle + static_cast<unsigned long long>(kMaxTestPoints) * t;
    unsigned int count = 0;
    // The kept triples differ and come in lexicographic order, so the corners opposite one edge
    // (A, B) differ and ascend along its run: first those below A, then those between A and B,
    // then those above B. A point met along a run is thus a repeat only of the triple's own third
    // corner or of an earlier edge's finds, which ascend too and are walked alongside.
    const unsigned int opposite[3] = {vertexC[t], vertexB[t], vertexA[t]};
    unsigned int findsEnd[3] = {0, 0, 0};
    for (unsigned int e = 0; e < 3 && count < kMaxTestPoints; ++e) {
        unsigned int cursor[2] = {0, e > 0 ? findsEnd[0] : 0};
        const unsigned int edge = edgeRunOfEntry[3 * t + e];
        const unsigned int runEnd =
            edge + 1 < uniqueEdgesCount ? uniqueEdgeIndex[edge + 1] : sortedEdgeCount;
        for (unsigned int k = uniqueEdgeIndex[edge]; k < runEnd && count < kMaxTestPoints; ++k) {
            const unsigned int q = testPoint[k];
            bool known = q == opposite[e];
            for (unsigned int f = 0; f < e && !known; ++f) {
                while (cursor[f] < findsEnd[f] && list[cursor[f]] < q) ++cursor[f];
                known = cursor[f] < findsEnd[f] && list[cursor[f]] == q;
            }
            if (!known) list[count++] = q;
        }
        findsEnd[e] = count;
    }
    testPointsCount[t] = count;
}

// The circumcentre and squared circumradius of triple t; radius -1 when it is degenerate.
__global__ void getCircumcircles(float* circumcircle, float* circumcircleRadius,
                                 const unsigned int* vertexA, const unsigned int* vertexB,
                                 const unsigned int* vertexC, const float* points,
                                 unsigned int possibleCombinationsCount) {
    const unsigned int t = twoDimensionalThreadIndex();
    if (t >= possibleCombinationsCount) return;
    float squaredRadius = -1.0f;
    if (!weaverCircumcircle(points + 3 * vertexA[t], points + 3 * vertexB[t],
                            points + 3 * vertexC[t], circumcircle + 3 * t, squaredRadius))
        squaredRadius = -1.0f;
    circumcircleRadius[t] = squaredRadius;
}

// Rejects triple t when it has test points and its circumcircle is too large, or when one of its
// test points lies inside or on its circumsphere; a triple without test points keeps its mark.
__global__ void testTriangles(unsigned int* acceptedTriangles, const unsigned int* testPointsCount,
                              const unsigned int* testPointsPerTriangle, const float* samples,
                              const float* circumcircle, const float* circumcircleRadius,
                              float radius, unsigned int possibleCombinationsCount) {
    const unsigned int t = twoDimensionalThreadIndex();
    if (t >= possibleCombinationsCount) return;
    const unsigned int count = testPointsCount[t];
    if (count == 0) return;
    const float r2 = circumcircleRadius[t];
    if (r2 < 0.0f || r2 > largestSquaredCircumradius(radius)) {
        acceptedTriangles[t] = 0;
        return;
    }
    const unsigned int* list =
        testPointsPerTriangle + static_cast<unsigned long long>(kMaxTestPoints) * t;
    const float* centre = circumcircle + 3 * t;
    for (unsigned int k = 0; k < count; ++k) {
        const unsigned int q = list[k];
        const float dx = samples[3 * q] - centre[0], dy = samples[3 * q + 1] - centre[1],
                    dz = samples[3 * q + 2] - centre[2];
        if (r2 >= dx * dx + dy * dy + dz * dz) {
            acceptedTriangles[t] = 0;
            return;
        }
    }
}

__global__ void moveTriangles(unsigned int* triangles, const unsigned int* acceptedTriangles,
                              float* radius, const unsigned int* vertexA,
                              const unsigned int* vertexB, const unsigned int* vertexC,
                              const float* circumcircleRadius,
                              unsigned int possibleCombinationsCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= possibleCombinationsCount) return;
    if (acceptedTriangles[i + 1] == acceptedTriangles[i]) return;
    const unsigned int slot = acceptedTriangles[i];
    triangles[3 * slot] = vertexA[i + 1];
    triangles[3 * slot + 1] = vertexB[i + 1];
    triangles[3 * slot + 2] = vertexC[i + 1];
    radius[slot] = circumcircleRadius[i + 1];
}

__global__ void getFinalEdges(unsigned int* edgePointA, unsigned int* edgePointB,
                              unsigned int* edgeT, const unsigned int* triangles,
                              unsigned int trianglesCount) {
    const unsigned int t = twoDimensionalThreadIndex();
    if (t >= trianglesCount) return;
    const unsigned int a = triangles[3 * t], b = triangles[3 * t + 1], c = triangles[3 * t + 2];
    const unsigned int pairs[3][2] = {{a, b}, {a, c}, {b, c}};
    for (unsigned int k = 0; k < 3; ++k) {
        const unsigned int p = pairs[k][0], q = pairs[k][1];
        edgePointA[3 * t + k] = p < q ? p : q;
        edgePointB[3 * t + k] = p < q ? q : p;
        edgeT[3 * t + k] = t;
    }
}

namespace {

// A triple starts accepted unless it is degenerate, whether or not it has test points.
struct NotDegenerate {
    __host__ __device__ unsigned int operator()(float squaredRadius) const {
        return squaredRadius >= 0.0f ? 1u : 0u;
    }
};

template <typename T>
std::vector<T> toHost(const thrust::device_vector<T>& values) {
    std::vector<T> host;
    download(values, host);
    return host;
}

// Where the runs of equal edges start in the sorted edge list, and each edge's run by its place
// before the sort.
struct EdgeLookup {
    gpu::DeviceBuffer<unsigned int> runStart;    // E runs
    gpu::DeviceBuffer<unsigned int> runOfEntry;  // 3 P edges
    unsigned int edgeCount = 0;
};

// The lookup of the sorted edge keys, which stood at entry[i] before the sort.
MStatus buildEdgeLookup(const gpu::DeviceBuffer<unsigned long long>& edgeKey,
                        const gpu::DeviceBuffer<unsigned int>& entry, EdgeLookup& lookup) {
    const unsigned int n = static_cast<unsigned int>(edgeKey.size());
    if (!weaverMemoryFits(8ull * n)) return MS::kFailure;
    thrust::device_vector<unsigned int> runNumber(n, 0u);
    launchTwoDimensional(detectEdgeRunStarts, n, 128, devicePointer(runNumber),
                         devicePointer(edgeKey), n);
    if (!kernelLaunchSucceededOrShow("detectEdgeRunStarts")) return MS::kFailure;
    thrust::inclusive_scan(gpu::parallel, runNumber.begin(), runNumber.end(), runNumber.begin());
    const unsigned int e = static_cast<unsigned int>(runNumber[n - 1]) + 1;
    if (!weaverMemoryFits(4ull * e)) return MS::kFailure;
    lookup.runStart.resize(e);
    launchTwoDimensional(moveEdgeRunStarts, n, 128, devicePointer(lookup.runStart),
                         devicePointer(runNumber), n);
    if (!kernelLaunchSucceededOrShow("moveEdgeRunStarts")) return MS::kFailure;
    lookup.runStart[0] = 0;
    lookup.edgeCount = e;
    lookup.runOfEntry.resize(n);
    launchTwoDimensional(numberEdgesByRun, n, 128, devicePointer(lookup.runOfEntry),
                         devicePointer(runNumber), devicePointer(entry), n);
    return kernelLaunchSucceededOrShow("numberEdgesByRun") ? MS::kSuccess : MS::kFailure;
}

// Which kept triples pass: 1 for accepted, 0 for rejected, per triple.
MStatus testKeptTriples(const WeaverPoints& points, const DeviceTriples& kept,
                        thrust::device_vector<unsigned int>& accepted,
                        thrust::device_vector<float>& squaredRadius) {
    const unsigned int p = kept.count;
    // Edge keys, test points and places before the sort; the sort's copies of them.
    if (!weaverMemoryFits(32ull * 3 * p)) return MS::kFailure;
    gpu::DeviceBuffer<unsigned long long> edgeKey(3ull * p);
    gpu::DeviceBuffer<unsigned int> testPoint(3ull * p), entry(3ull * p);
    launchTwoDimensional(getTriangleEdges, p, 128, devicePointer(edgeKey), devicePointer(testPoint),
                         devicePointer(entry), devicePointer(kept.a), devicePointer(kept.b),
                         devicePointer(kept.c), p);
    if (!kernelLaunchSucceededOrShow("getTriangleEdges")) return MS::kFailure;
    // Stable: the edges of one run keep the order of their triples.
    thrust::stable_sort_by_key(
        gpu::parallel, edgeKey.begin(), edgeKey.end(),
        thrust::make_zip_iterator(thrust::make_tuple(testPoint.begin(), entry.begin())));
    EdgeLookup lookup;
    MStatus status = buildEdgeLookup(edgeKey, entry, lookup);
    if (!status) return status;
    gpu::DeviceBuffer<unsigned long long>().swap(edgeKey);
    gpu::DeviceBuffer<unsigned int>().swap(entry);

    // Test points and their counts, circumcircles and the accepted marks.
    if (!weaverMemoryFits(4ull * kMaxTestPoints * p + 24ull * p)) return MS::kFailure;
    // Each triple's list is read as far as its count only.
    gpu::DeviceBuffer<unsigned int> testPoints(static_cast<size_t>(kMaxTestPoints) * p),
        testCount(p);
    launchTwoDimensional(
        getTestPointsForTriangles, p, 128, devicePointer(testPoints), devicePointer(testCount),
        devicePointer(kept.a), devicePointer(kept.b), devicePointer(kept.c), p,
        devicePointer(testPoint), devicePointer(lookup.runOfEntry), devicePointer(lookup.runStart),
        lookup.edgeCount);
    if (!kernelLaunchSucceededOrShow("getTestPointsForTriangles")) return MS::kFailure;
    lookup = EdgeLookup();
    gpu::DeviceBuffer<unsigned int>().swap(testPoint);

    gpu::DeviceBuffer<float> centre(3ull * p);
    squaredRadius.resize(p);
    launchTwoDimensional(getCircumcircles, p, 128, devicePointer(centre),
                         devicePointer(squaredRadius), devicePointer(kept.a), devicePointer(kept.b),
                         devicePointer(kept.c), devicePointer(points.positions), p);
    if (!kernelLaunchSucceededOrShow("getCircumcircles")) return MS::kFailure;

    accepted.resize(p);
    thrust::transform(gpu::parallel, squaredRadius.begin(), squaredRadius.end(), accepted.begin(),
                      NotDegenerate());
    launchTwoDimensional(testTriangles, p, 128, devicePointer(accepted), devicePointer(testCount),
                         devicePointer(testPoints), devicePointer(points.positions),
                         devicePointer(centre), devicePointer(squaredRadius), points.radius, p);
    if (!kernelLaunchSucceededOrShow("testTriangles")) return MS::kFailure;
    return MS::kSuccess;
}

}  // namespace

MStatus acceptTriangles(const WeaverPoints& points, const DeviceTriples& kept,
                        WovenTriangles& woven) {
    woven = WovenTriangles();
    const unsigned int p = kept.count;
    if (p == 0) return MS::kSuccess;
    StageTimer stage("acceptance");
    // Test points take 20 entries a triple, all indexed in 32 bits.
    if (static_cast<unsigned long long>(kMaxTestPoints) * p > UINT_MAX) {
        MGlobal::displayError("zuTriWeaver: Not enough memory on GPU");
        return MS::kFailure;
    }
    thrust::device_vector<unsigned int> accepted;
    thrust::device_vector<float> squaredRadius;
    MStatus status = testKeptTriples(points, kept, accepted, squaredRadius);
    if (!status) return status;

    const unsigned int firstAccepted = accepted[0];
    thrust::inclusive_scan(gpu::parallel, accepted.begin(), accepted.end(), accepted.begin());
    const unsigned int t = accepted[p - 1];
    if (t == 0) return MS::kSuccess;
    if (!weaverMemoryFits(16ull * t + 36ull * t + 20ull * 3 * t)) return MS::kFailure;
    thrust::device_vector<unsigned int> triangles(3ull * t);
    thrust::device_vector<float> radius(t);
    launchTwoDimensional(moveTriangles, p, 128, devicePointer(triangles), devicePointer(accepted),
                         devicePointer(radius), devicePointer(kept.a), devicePointer(kept.b),
                         devicePointer(kept.c), devicePointer(squaredRadius), p);
    if (!kernelLaunchSucceededOrShow("moveTriangles")) return MS::kFailure;
    if (firstAccepted == 1) {
        triangles[0] = kept.a[0];
        triangles[1] = kept.b[0];
        triangles[2] = kept.c[0];
        radius[0] = squaredRadius[0];
    }

    thrust::device_vector<unsigned int> edgeA(3ull * t), edgeB(3ull * t), edgeT(3ull * t);
    launchTwoDimensional(getFinalEdges, t, 128, devicePointer(edgeA), devicePointer(edgeB),
                         devicePointer(edgeT), devicePointer(triangles), t);
    if (!kernelLaunchSucceededOrShow("getFinalEdges")) return MS::kFailure;
    if (!sortEdges(edgeA, edgeB, edgeT)) return MS::kFailure;
    woven.corners = toHost(triangles);
    woven.edgeA = toHost(edgeA);
    woven.edgeB = toHost(edgeB);
    woven.edgeT = toHost(edgeT);
    return MS::kSuccess;
}
