#include "pointSuite/meshNormals.h"

#include <thrust/device_vector.h>
#include <thrust/sort.h>

#include <math.h>

#include "common/gpuServices.h"
#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"

namespace {

// The largest magnitude of x, y and z.
__host__ __device__ inline float largestMagnitude(float x, float y, float z) {
    return fmaxf(fabsf(x), fmaxf(fabsf(y), fabsf(z)));
}

// v / |v| in place; a vector without length becomes (0, 0, 0). Where the sum of squares leaves
// the float range, v is first divided by its largest component, so every finite v gives a unit
// vector; elsewhere the plain division stands, bit for bit.
__host__ __device__ inline void normalizeOrZero(float& x, float& y, float& z) {
    if (isinf(x * x + y * y + z * z)) {
        const float largest = largestMagnitude(x, y, z);
        if (!isfinite(largest)) {
            x = y = z = 0.0f;
            return;
        }
        x /= largest, y /= largest, z /= largest;
    }
    const float length = sqrtf(x * x + y * y + z * z);
    if (length > 0.0f) {
        x /= length, y /= length, z /= length;
    } else {
        x = y = z = 0.0f;
    }
}

// (b - a) x (c - a) as (nx, ny, nz), with the direction kept where the plain product leaves the
// float range: the edges are then halved and each divided by its largest component first.
__host__ __device__ inline void faceNormalDirection(const float* a, const float* b, const float* c, float& nx,
                                                    float& ny, float& nz) {
    float abx = b[0] - a[0], aby = b[1] - a[1], abz = b[2] - a[2];
    float acx = c[0] - a[0], acy = c[1] - a[1], acz = c[2] - a[2];
    nx = aby * acz - abz * acy;
    ny = abz * acx - abx * acz;
    nz = abx * acy - aby * acx;
    if (isfinite(nx) && isfinite(ny) && isfinite(nz)) return;
    abx = 0.5f * b[0] - 0.5f * a[0], aby = 0.5f * b[1] - 0.5f * a[1], abz = 0.5f * b[2] - 0.5f * a[2];
    acx = 0.5f * c[0] - 0.5f * a[0], acy = 0.5f * c[1] - 0.5f * a[1], acz = 0.5f * c[2] - 0.5f * a[2];
    const float ab = largestMagnitude(abx, aby, abz), ac = largestMagnitude(acx, acy, acz);
    if (ab > 0.0f) abx /= ab, aby /= ab, abz /= ab;
    if (ac > 0.0f) acx /= ac, acy /= ac, acz /= ac;
    nx = aby * acz - abz * acy;
    ny = abz * acx - abx * acz;
    nz = abx * acy - aby * acx;
}

}  // namespace

__global__ void calculateNormalVector(const float* points, const unsigned int* triIds,
                                      float* normal, unsigned int numTris) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= numTris) return;
    const float* a = points + 3 * triIds[3 * i];
    const float* b = points + 3 * triIds[3 * i + 1];
    const float* c = points + 3 * triIds[3 * i + 2];
    float nx, ny, nz;
    faceNormalDirection(a, b, c, nx, ny, nz);
    normalizeOrZero(nx, ny, nz);
    normal[3 * i] = nx;
    normal[3 * i + 1] = ny;
    normal[3 * i + 2] = nz;
}

// seq[i] = the triangle of corner i.
__global__ void fillSequence(unsigned int* seq, unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    seq[i] = i / 3;
}

// At each boundary of the vertex-sorted corner list, the run before ends and the run after
// starts: each vertex's counter ends as its number of corners.
__global__ void computeVertexUseCount(int* vertexUseCount, const unsigned int* vertexID,
                                      unsigned int numElements) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= numElements) return;
    if (vertexID[i] == vertexID[i + 1]) return;
    atomicSub(&vertexUseCount[vertexID[i + 1]], static_cast<int>(i + 1));
    atomicAdd(&vertexUseCount[vertexID[i]], static_cast<int>(i + 1));
}

// The position of each vertex's first corner in the vertex-sorted corner list.
__global__ void findIndex(const unsigned int* vertexInTri, unsigned int* tableIndex,
                          unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= count) return;
    if (vertexInTri[i] != vertexInTri[i + 1]) tableIndex[vertexInTri[i + 1]] = i + 1;
}

// The mean face normal of the triangles using vertex i (not renormalised).
__global__ void computeVertexNormalVector(float* vbo, const float* triNormal,
                                          const int* vertexUseCount, const unsigned int* triID,
                                          const unsigned int* tableIndex,
                                          unsigned int pointsCount) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= pointsCount) return;
    const unsigned int count = static_cast<unsigned int>(vertexUseCount[i]) & 0xFFFFu;
    const unsigned int start = tableIndex[i];
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    for (unsigned int k = 0; k < count; ++k) {
        const float* n = triNormal + 3 * triID[start + k];
        sx += n[0], sy += n[1], sz += n[2];
    }
    if (count > 0) sx /= count, sy /= count, sz /= count;
    vbo[3 * i] = sx;
    vbo[3 * i + 1] = sy;
    vbo[3 * i + 2] = sz;
}

__global__ void computeSampleNormalVector(float* sampleNormal, const float* vertexNormal,
                                          const unsigned int* sampleTriId, const float* uv,
                                          const unsigned int* triangleVertices,
                                          unsigned int numSamples) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= numSamples) return;
    const unsigned int t = sampleTriId[i];
    const float* na = vertexNormal + 3 * triangleVertices[3 * t];
    const float* nb = vertexNormal + 3 * triangleVertices[3 * t + 1];
    const float* nc = vertexNormal + 3 * triangleVertices[3 * t + 2];
    const float u = uv[2 * i], v = uv[2 * i + 1];
    const float w = firstCornerWeight(u, v);
    float nx = nb[0] * u + na[0] * w + nc[0] * v;
    float ny = nb[1] * u + na[1] * w + nc[1] * v;
    float nz = nb[2] * u + na[2] * w + nc[2] * v;
    normalizeOrZero(nx, ny, nz);
    sampleNormal[3 * i] = nx;
    sampleNormal[3 * i + 1] = ny;
    sampleNormal[3 * i + 2] = nz;
}

void launchCalculateNormalVector(const float* points, const unsigned int* triIds, float* normal,
                                 unsigned int numTris) {
    launchTwoDimensional(calculateNormalVector, numTris, 64, points, triIds, normal, numTris);
}

MStatus computeSampleNormals(const float* points, unsigned int vertexCount,
                             const unsigned int* triangles, unsigned int triangleCount,
                             const unsigned int* sampleTriId, const float* sampleUV,
                             unsigned int sampleCount, float* sampleNormals) {
    if (triangleCount == 0 || sampleCount == 0) return MS::kSuccess;
    const unsigned int corners = 3 * triangleCount;
    thrust::device_vector<float> faceNormals(3ull * triangleCount);
    launchCalculateNormalVector(points, triangles, thrust::raw_pointer_cast(faceNormals.data()),
                                triangleCount);
    CUDA_CALL_CHECK(cudaGetLastError());

    // The corners sorted by vertex, each with its triangle.
    thrust::device_vector<unsigned int> cornerTriangle(corners);
    launchTwoDimensional(fillSequence, corners, 128,
                         thrust::raw_pointer_cast(cornerTriangle.data()), corners);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::device_vector<unsigned int> cornerVertex(thrust::device_pointer_cast(triangles),
                                                     thrust::device_pointer_cast(triangles) +
                                                         corners);
    thrust::stable_sort_by_key(cornerVertex.begin(), cornerVertex.end(), cornerTriangle.begin());

    thrust::device_vector<int> vertexUseCount(vertexCount, 0);
    const unsigned int lastVertex = cornerVertex[corners - 1];
    vertexUseCount[lastVertex] = static_cast<int>(corners);
    launchTwoDimensional(computeVertexUseCount, corners, 128,
                         thrust::raw_pointer_cast(vertexUseCount.data()),
                         thrust::raw_pointer_cast(cornerVertex.data()), corners);
    CUDA_CALL_CHECK(cudaGetLastError());
    thrust::device_vector<unsigned int> tableIndex(vertexCount, 0u);
    launchTwoDimensional(findIndex, corners, 128, thrust::raw_pointer_cast(cornerVertex.data()),
                         thrust::raw_pointer_cast(tableIndex.data()), corners);
    CUDA_CALL_CHECK(cudaGetLastError());

    thrust::device_vector<float> vertexNormals(3ull * vertexCount);
    launchTwoDimensional(computeVertexNormalVector, vertexCount, 128,
                         thrust::raw_pointer_cast(vertexNormals.data()),
                         thrust::raw_pointer_cast(faceNormals.data()),
                         thrust::raw_pointer_cast(vertexUseCount.data()),
                         thrust::raw_pointer_cast(cornerTriangle.data()),
                         thrust::raw_pointer_cast(tableIndex.data()), vertexCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    launchTwoDimensional(computeSampleNormalVector, sampleCount, 128, sampleNormals,
                         thrust::raw_pointer_cast(vertexNormals.data()), sampleTriId, sampleUV,
                         triangles, sampleCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    return MS::kSuccess;
}
