#pragma once
// Device helpers of the point attribute kernels: a point's triangle corners, values blended
// over them with the point's (u, v), and the colour tables of vertex-colour layers (RGBA per
// vertex per layer, entry (l * V + v) * 4 + c). __host__ __device__, so tests call them too.
#include <gpu/runtime.h>

// The three corner vertices of triangle t of a getTriangles corner list.
struct TriangleCorners {
    unsigned int first, second, third;
};
__host__ __device__ inline TriangleCorners triangleCorners(const unsigned int* triIds, unsigned int t) {
    const unsigned long long k = 3ull * t;
    return {triIds[k], triIds[k + 1], triIds[k + 2]};
}

// The layer colour of `vertex` in layer l: four floats, red, green, blue, alpha.
__host__ __device__ inline const float* layerColor(const float* colors, unsigned int layer,
                                                   unsigned int vertexCount, unsigned int vertex) {
    return colors + (static_cast<unsigned long long>(layer) * vertexCount + vertex) * 4ull;
}

// ((q0 - u q0) - v q0) + u q1 + v q2: the blend the scale and object-index kernels use.
__host__ __device__ inline float blendFromFirstCorner(float q0, float q1, float q2, float u, float v) {
    return ((q0 - u * q0) - v * q0) + u * q1 + v * q2;
}

// q0 (1 - u - v) + q1 u + q2 v: the blend the direction kernel uses.
__host__ __device__ inline float blendByWeights(float q0, float q1, float q2, float u, float v) {
    return q0 * (1.0f - u - v) + q1 * u + q2 * v;
}

// x within [low, high]; NaN gives low, so no NaN leaves a clamp.
__host__ __device__ inline float clampTo(float x, float low, float high) {
    return x > low ? (x < high ? x : high) : low;
}
