// Mesh preparation of the scatter node: areas, border edges and lengths, in the mark, scan and
// compact style (sort, mark what to keep, exclusive running sum of the marks, and each kept entry
// writes itself to its scanned position).
#include "pointSuite/scatter/scatterMeshPreparation.h"

#include <thrust/scan.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>

#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"
#include "common/restoreOrder.h"

// Area of triangle i; 0 where a state mask is given and marks the triangle off.
__global__ void calculateArea(const float* points, const unsigned int* triIds, float* areas,
                              const unsigned char* state, unsigned int numTris) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= numTris) return;
    if (state && state[i] == 0) {
        areas[i] = 0.0f;
        return;
    }
    const float* a = points + 3 * triIds[3 * i];
    const float* b = points + 3 * triIds[3 * i + 1];
    const float* c = points + 3 * triIds[3 * i + 2];
    const float abx = b[0] - a[0], aby = b[1] - a[1], abz = b[2] - a[2];
    const float acx = c[0] - a[0], acy = c[1] - a[1], acz = c[2] - a[2];
    const float nx = aby * acz - abz * acy;
    const float ny = abz * acx - abx * acz;
    const float nz = abx * acy - aby * acx;
    areas[i] = 0.5f * sqrtf(nx * nx + ny * ny + nz * nz);
}

// The three edges (c0, c1), (c0, c2), (c1, c2) of triangle i at 3i..3i+2, smaller index first.
__global__ void getEdges(unsigned int* edgePointA, unsigned int* edgePointB, unsigned int* edgeT,
                         const unsigned int* triangles, unsigned int trianglesCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= trianglesCount) return;
    const unsigned int c[3] = {triangles[3 * i], triangles[3 * i + 1], triangles[3 * i + 2]};
    const unsigned int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (unsigned int k = 0; k < 3; ++k) {
        const unsigned int p = c[pairs[k][0]], q = c[pairs[k][1]];
        edgePointA[3 * i + k] = p < q ? p : q;
        edgePointB[3 * i + k] = p < q ? q : p;
        edgeT[3 * i + k] = i;
    }
}

// Marks the edges j = 1 .. 3T-2 of the sorted list that differ from both neighbours; the host
// marks the two ends.
__global__ void detectUniqueEdges(unsigned int* uniqueEdge, const unsigned int* edgePointA,
                                  const unsigned int* edgePointB, unsigned int numTriangles) {
    const unsigned int j = twoDimensionalThreadIndex() + 1;
    if (j >= 3 * numTriangles - 1) return;
    const bool samePrevious = edgePointA[j] == edgePointA[j - 1] && edgePointB[j] == edgePointB[j - 1];
    const bool sameNext = edgePointA[j] == edgePointA[j + 1] && edgePointB[j] == edgePointB[j + 1];
    uniqueEdge[j] = samePrevious || sameNext ? 0u : 1u;
}

// Edge i (of 3T - 1, the last one is the host's) moves to its scanned position when marked.
__global__ void moveSelectedEdges(unsigned int* uniqueEdgePointA, unsigned int* uniqueEdgePointB,
                                  unsigned int* uniqueEdgeTriangle, const unsigned int* uniqueEdge,
                                  const unsigned int* edgePointA, const unsigned int* edgePointB,
                                  const unsigned int* edgeTriangle, unsigned int triangleCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= 3 * triangleCount - 1) return;
    if (uniqueEdge[i + 1] == uniqueEdge[i]) return;
    const unsigned int position = uniqueEdge[i];
    uniqueEdgePointA[position] = edgePointA[i];
    uniqueEdgePointB[position] = edgePointB[i];
    uniqueEdgeTriangle[position] = edgeTriangle[i];
}

__global__ void calculateLength(const float* points, const unsigned int* edgeIdA,
                                const unsigned int* edgeIdB, float* lengths,
                                unsigned int numEdges) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= numEdges) return;
    const float* a = points + 3 * edgeIdA[i];
    const float* b = points + 3 * edgeIdB[i];
    const float dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
    lengths[i] = sqrtf(dx * dx + dy * dy + dz * dz);
}

MStatus computeTriangleAreas(const DeviceMesh& mesh, TriangleAreas& out) {
    const unsigned int triangleCount = mesh.triangleCount;
    out.areas.resize(triangleCount);
    out.cumulativeArea.resize(triangleCount);
    out.totalArea = 0.0f;
    if (triangleCount == 0) return MS::kSuccess;
    launchOneDimensional(calculateArea, triangleCount, devicePointer(mesh.points), devicePointer(mesh.triangles),
                         devicePointer(out.areas), static_cast<const unsigned char*>(nullptr),
                         triangleCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::inclusive_scan(out.areas.begin(), out.areas.end(), out.cumulativeArea.begin());
    out.totalArea = out.cumulativeArea[triangleCount - 1];
    return MS::kSuccess;
}

MStatus findBorderEdges(const DeviceMesh& mesh, BorderEdges& out) {
    out = BorderEdges();
    const unsigned int triangleCount = mesh.triangleCount;
    if (triangleCount == 0) return MS::kSuccess;
    const unsigned int edgeCount = 3 * triangleCount;

    thrust::device_vector<unsigned int> edgePointA(edgeCount), edgePointB(edgeCount),
        edgeTriangle(edgeCount), auxA(edgeCount), auxB(edgeCount);
    launchTwoDimensional(getEdges, triangleCount, 128, devicePointer(edgePointA), devicePointer(edgePointB),
                         devicePointer(edgeTriangle), devicePointer(mesh.triangles), triangleCount);
    CUDA_CALL_CHECK(cudaGetLastError());

    // Sort by (A, B): stably by B, then stably by A, each time carrying the companions along.
    thrust::device_vector<unsigned int> order(edgeCount);
    thrust::sequence(order.begin(), order.end());
    thrust::stable_sort_by_key(edgePointB.begin(), edgePointB.end(), order.begin());
    launchTwoDimensional(restoreOrder, edgeCount, 128, devicePointer(edgePointA), devicePointer(edgeTriangle),
                         devicePointer(auxA), devicePointer(auxB), devicePointer(order), edgeCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::sequence(order.begin(), order.end());
    thrust::stable_sort_by_key(auxA.begin(), auxA.end(), order.begin());
    // auxA now holds the sorted A; B and the triangles follow into the freed arrays.
    launchTwoDimensional(restoreOrder, edgeCount, 128, devicePointer(edgePointB), devicePointer(auxB), devicePointer(edgePointA),
                         devicePointer(edgeTriangle), devicePointer(order), edgeCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    const thrust::device_vector<unsigned int>& sortedA = auxA;
    const thrust::device_vector<unsigned int>& sortedB = edgePointA;
    const thrust::device_vector<unsigned int>& sortedTriangle = edgeTriangle;

    thrust::device_vector<unsigned int> uniqueEdge(edgeCount, 0u);
    launchTwoDimensional(detectUniqueEdges, edgeCount, 128, devicePointer(uniqueEdge), devicePointer(sortedA),
                         devicePointer(sortedB), triangleCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    // The two ends have one neighbour each.
    {
        const unsigned int a0 = sortedA[0], b0 = sortedB[0], a1 = sortedA[1], b1 = sortedB[1];
        uniqueEdge[0] = (a0 != a1 || b0 != b1) ? 1u : 0u;
        const unsigned int aLast = sortedA[edgeCount - 1], bLast = sortedB[edgeCount - 1];
        const unsigned int aBefore = sortedA[edgeCount - 2], bBefore = sortedB[edgeCount - 2];
        uniqueEdge[edgeCount - 1] = (aLast != aBefore || bLast != bBefore) ? 1u : 0u;
    }
    const unsigned int last = uniqueEdge[edgeCount - 1];
    thrust::exclusive_scan(uniqueEdge.begin(), uniqueEdge.end(), uniqueEdge.begin());
    const unsigned int count = static_cast<unsigned int>(uniqueEdge[edgeCount - 1]) + last;
    if (count == 0) return MS::kSuccess;

    out.edgeA.resize(count);
    out.edgeB.resize(count);
    out.edgeT.resize(count);
    launchTwoDimensional(moveSelectedEdges, edgeCount, 128, devicePointer(out.edgeA), devicePointer(out.edgeB),
                         devicePointer(out.edgeT), devicePointer(uniqueEdge), devicePointer(sortedA), devicePointer(sortedB),
                         devicePointer(sortedTriangle), triangleCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    if (last == 1) {
        out.edgeA[count - 1] = sortedA[edgeCount - 1];
        out.edgeB[count - 1] = sortedB[edgeCount - 1];
        out.edgeT[count - 1] = sortedTriangle[edgeCount - 1];
    }

    out.lengths.resize(count);
    out.cumulativeLength.resize(count);
    launchTwoDimensional(calculateLength, count, 128, devicePointer(mesh.points), devicePointer(out.edgeA),
                         devicePointer(out.edgeB), devicePointer(out.lengths), count);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::inclusive_scan(out.lengths.begin(), out.lengths.end(), out.cumulativeLength.begin());
    out.count = count;
    out.totalLength = out.cumulativeLength[count - 1];
    return MS::kSuccess;
}
