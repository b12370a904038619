#include "pointSuite/scatter/scatterCandidates.h"

#include <gpu/random.h>

#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"

// Surface candidate j = A + i: a triangle by area from randoms[j], a uniform point in it from
// two more randoms of the table.
__global__ void generateRandomPoints(const float* randoms, float* x, float* y, float* z, float* u,
                                     float* v, unsigned int* triId, CellId* cellId,
                                     const float* meshPoints, const unsigned int* triIds,
                                     const float* cumulativeArea, float totalArea,
                                     unsigned int triCount, unsigned int numElements,
                                     unsigned int acceptedSamplesCount, ScatterGrid grid) {
    const unsigned int j = acceptedSamplesCount + twoDimensionalThreadIndex();
    if (j >= numElements) return;
    const unsigned int tri = getTriIndex(cumulativeArea, triCount, totalArea, randoms[j]);
    triId[j] = tri;
    const float* a = meshPoints + 3 * triIds[3 * tri];
    const float* b = meshPoints + 3 * triIds[3 * tri + 1];
    const float* c = meshPoints + 3 * triIds[3 * tri + 2];
    const unsigned int next = (j + 1) % numElements;
    // sqrt of one uniform and a second uniform give a uniform point of the triangle.
    const float s = sqrtf(randoms[next]);
    const float w = randoms[numElements - next - 1];
    const float uj = 1.0f - s, vj = s * w;
    u[j] = uj;
    v[j] = vj;
    const float px = barycentricBlend(a[0], b[0], c[0], uj, vj);
    const float py = barycentricBlend(a[1], b[1], c[1], uj, vj);
    const float pz = barycentricBlend(a[2], b[2], c[2], uj, vj);
    x[j] = px;
    y[j] = py;
    z[j] = pz;
    cellId[j] = cellIdOf(px, py, pz, grid);
}

// Border-edge candidate j = A + i: an edge by length from randoms[j], a uniform point along it.
__global__ void generateRandomPointsOnEdges(
    const float* randoms, float* x, float* y, float* z, float* u, float* v, unsigned int* triId,
    CellId* cellId, const float* meshPoints, const unsigned int* triIds,
    const unsigned int* edgeA, const unsigned int* edgeB, const unsigned int* edgeT,
    const float* cumulativeLength, float totalLength, unsigned int edgeCount,
    unsigned int numElements, unsigned int acceptedSamplesCount, ScatterGrid grid) {
    const unsigned int j = acceptedSamplesCount + twoDimensionalThreadIndex();
    if (j >= numElements) return;
    const unsigned int e = getTriIndex(cumulativeLength, edgeCount, totalLength, randoms[j]);
    const unsigned int a = edgeA[e], b = edgeB[e], t = edgeT[e];
    triId[j] = t;
    const float s = randoms[(j + 1) % numElements];
    const float* pa = meshPoints + 3 * a;
    const float* pb = meshPoints + 3 * b;
    const float px = (pb[0] - pa[0]) * s + pa[0];
    const float py = (pb[1] - pa[1]) * s + pa[1];
    const float pz = (pb[2] - pa[2]) * s + pa[2];
    x[j] = px;
    y[j] = py;
    z[j] = pz;
    float uj, vj;
    edgeBarycentric(a, b, triIds[3 * t], triIds[3 * t + 1], triIds[3 * t + 2], s, uj, vj);
    u[j] = uj;
    v[j] = vj;
    cellId[j] = cellIdOf(px, py, pz, grid);
}

__global__ void computePointCellId(CellId* cellId, const float* x, const float* y,
                                   const float* z, ScatterGrid grid, unsigned int numElements) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= numElements) return;
    cellId[i] = cellIdOf(x[i], y[i], z[i], grid);
}

// Carried sample j becomes candidate j.
__global__ void moveAcceptedSamples(float* x, float* y, float* z, float* u, float* v,
                                    unsigned int* triId, const float* acceptedSamplesPos,
                                    const float* acceptedSamplesUV,
                                    const unsigned int* acceptedSamplesTri,
                                    unsigned int acceptedSamplesCount) {
    const unsigned int j = twoDimensionalThreadIndex();
    if (j >= acceptedSamplesCount) return;
    x[j] = acceptedSamplesPos[3 * j];
    y[j] = acceptedSamplesPos[3 * j + 1];
    z[j] = acceptedSamplesPos[3 * j + 2];
    u[j] = acceptedSamplesUV[2 * j];
    v[j] = acceptedSamplesUV[2 * j + 1];
    triId[j] = acceptedSamplesTri[j];
}

namespace {

// A random generator destroyed on every path out of the function that made it.
class RandomGenerator {
public:
    RandomGenerator() = default;
    ~RandomGenerator() {
        if (generator_) curandDestroyGenerator(generator_);
    }
    RandomGenerator(const RandomGenerator&) = delete;
    RandomGenerator& operator=(const RandomGenerator&) = delete;

    curandGenerator_t* out() { return &generator_; }
    curandGenerator_t get() const { return generator_; }
    curandStatus_t destroy() {
        const curandStatus_t status = curandDestroyGenerator(generator_);
        generator_ = nullptr;
        return status;
    }

private:
    curandGenerator_t generator_ = nullptr;
};

// candidateCount uniform floats in (0, 1] from a fresh default generator seeded with `seed`.
MStatus generateRandoms(unsigned long long seed, unsigned int candidateCount,
                        gpu::DeviceBuffer<float>& randoms, RandomGenerator& generator) {
    randoms.resize(candidateCount);
    CUDA_CALL_CHECK(curandCreateGenerator(generator.out(), CURAND_RNG_PSEUDO_DEFAULT));
    CUDA_CALL_CHECK(curandSetPseudoRandomGeneratorSeed(generator.get(), seed));
    CUDA_CALL_CHECK(curandGenerateUniform(generator.get(), devicePointer(randoms), candidateCount));
    return MS::kSuccess;
}

// Puts the carried samples at the head of the list and gives them their cells.
MStatus placeCarriedSamples(const AcceptedSamples& carried, Candidates& candidates) {
    const unsigned int carriedCount = carried.count;
    if (carriedCount == 0) return MS::kSuccess;
    launchTwoDimensional(moveAcceptedSamples, carriedCount, 64, devicePointer(candidates.x),
                         devicePointer(candidates.y), devicePointer(candidates.z),
                         devicePointer(candidates.u), devicePointer(candidates.v),
                         devicePointer(candidates.triId), devicePointer(carried.positions),
                         devicePointer(carried.uv), devicePointer(carried.triangles),
                         carriedCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    return MS::kSuccess;
}

MStatus computeCellIds(const ScatterGrid& grid, unsigned int count, Candidates& candidates) {
    launchTwoDimensional(computePointCellId, count, 64, devicePointer(candidates.cellId),
                         devicePointer(candidates.x), devicePointer(candidates.y),
                         devicePointer(candidates.z), grid, count);
    CUDA_CALL_CHECK(cudaGetLastError());
    return MS::kSuccess;
}

}  // namespace

MStatus makeVertexCandidates(const std::vector<float>& points,
                             const std::vector<unsigned int>& triangles,
                             const AcceptedSamples& carried, const ScatterGrid& grid,
                             unsigned int candidateCount, Candidates& candidates) {
    const unsigned int n = candidateCount, first = carried.count;
    const unsigned int vertexCount = static_cast<unsigned int>(points.size() / 3);
    std::vector<float> x(n, 0.0f), y(n, 0.0f), z(n, 0.0f), u(n, 0.0f), v(n, 0.0f);
    std::vector<unsigned int> triangle(n, 0u);
    for (unsigned int i = 0; first + i < n && i < vertexCount; ++i) {
        x[first + i] = points[3 * i];
        y[first + i] = points[3 * i + 1];
        z[first + i] = points[3 * i + 2];
    }
    // Each vertex lies on the first triangle that uses it.
    std::vector<char> visited(vertexCount, 0);
    unsigned int unvisited = vertexCount;
    for (size_t k = 0; k < triangles.size() && unvisited > 0; ++k) {
        const unsigned int vertex = triangles[k];
        if (visited[vertex]) continue;
        visited[vertex] = 1;
        --unvisited;
        if (first + vertex >= n) continue;
        const unsigned int candidate = first + vertex;
        triangle[candidate] = static_cast<unsigned int>(k / 3);
        u[candidate] = k % 3 == 1 ? 1.0f : 0.0f;
        v[candidate] = k % 3 == 2 ? 1.0f : 0.0f;
    }
    candidates.resize(n);
    thrust::copy(x.begin(), x.end(), candidates.x.begin());
    thrust::copy(y.begin(), y.end(), candidates.y.begin());
    thrust::copy(z.begin(), z.end(), candidates.z.begin());
    thrust::copy(u.begin(), u.end(), candidates.u.begin());
    thrust::copy(v.begin(), v.end(), candidates.v.begin());
    thrust::copy(triangle.begin(), triangle.end(), candidates.triId.begin());
    MStatus status = placeCarriedSamples(carried, candidates);
    if (!status) return status;
    return computeCellIds(grid, n, candidates);
}

// Draws n uniform randoms from a generator seeded with `seed`, hands them to `launch`, checks
// the launch and releases the generator; the random table lives only as long as this call.
template <class Launch>
MStatus launchOnRandoms(unsigned long long seed, unsigned int n, Launch launch) {
    gpu::DeviceBuffer<float> randoms;
    RandomGenerator generator;
    MStatus status = generateRandoms(seed, n, randoms, generator);
    if (!status) return status;
    launch(devicePointer(randoms));
    CUDA_CALL_CHECK(cudaGetLastError());
    CUDA_CALL_CHECK(generator.destroy());
    return MS::kSuccess;
}

MStatus makeSurfaceCandidates(const DeviceMesh& mesh, const TriangleAreas& areas,
                              const AcceptedSamples& carried, const ScatterGrid& grid,
                              unsigned int candidateCount, unsigned long long seed,
                              Candidates& candidates) {
    const unsigned int n = candidateCount, first = carried.count;
    candidates.resize(n);
    MStatus status = launchOnRandoms(seed, n, [&](float* randoms) {
        launchTwoDimensional(generateRandomPoints, n - first, 128, randoms,
                             devicePointer(candidates.x), devicePointer(candidates.y),
                             devicePointer(candidates.z), devicePointer(candidates.u),
                             devicePointer(candidates.v), devicePointer(candidates.triId),
                             devicePointer(candidates.cellId), devicePointer(mesh.points),
                             devicePointer(mesh.triangles), devicePointer(areas.cumulativeArea),
                             areas.totalArea, mesh.triangleCount, n, first, grid);
    });
    if (!status) return status;
    status = placeCarriedSamples(carried, candidates);
    if (!status) return status;
    return computeCellIds(grid, first, candidates);
}

MStatus makeBorderEdgeCandidates(const DeviceMesh& mesh, const BorderEdges& edges,
                                 const AcceptedSamples& carried, const ScatterGrid& grid,
                                 unsigned int candidateCount, unsigned long long seed,
                                 Candidates& candidates) {
    const unsigned int n = candidateCount, first = carried.count;
    candidates.resize(n);
    MStatus status = launchOnRandoms(seed, n, [&](float* randoms) {
        launchTwoDimensional(generateRandomPointsOnEdges, n - first, 128, randoms,
                             devicePointer(candidates.x), devicePointer(candidates.y),
                             devicePointer(candidates.z), devicePointer(candidates.u),
                             devicePointer(candidates.v), devicePointer(candidates.triId),
                             devicePointer(candidates.cellId), devicePointer(mesh.points),
                             devicePointer(mesh.triangles), devicePointer(edges.edgeA),
                             devicePointer(edges.edgeB), devicePointer(edges.edgeT),
                             devicePointer(edges.cumulativeLength), edges.totalLength,
                             edges.count, n, first, grid);
    });
    if (!status) return status;
    status = placeCarriedSamples(carried, candidates);
    if (!status) return status;
    return computeCellIds(grid, first, candidates);
}
