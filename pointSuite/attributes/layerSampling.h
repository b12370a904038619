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

// Which of the two corner blends a kernel uses.
enum class CornerBlend { fromFirstCorner, byWeights };

__host__ __device__ inline float blendCorners(CornerBlend blend, float q0, float q1, float q2, float u, float v) {
    return blend == CornerBlend::byWeights ? blendByWeights(q0, q1, q2, u, v) : blendFromFirstCorner(q0, q1, q2, u, v);
}

// The colours of one layer at the three corners of a point's triangle.
struct CornerColors {
    const float *first, *second, *third;
};
__host__ __device__ inline CornerColors cornerColors(const float* colors, unsigned int layer, unsigned int vertexCount,
                                                     TriangleCorners t) {
    return {layerColor(colors, layer, vertexCount, t.first), layerColor(colors, layer, vertexCount, t.second),
            layerColor(colors, layer, vertexCount, t.third)};
}

// Channel k (0 red, 1 green, 2 blue) of the corners blended at (u, v).
__host__ __device__ inline float blendedChannel(const CornerColors& c, unsigned int k, CornerBlend blend, float u,
                                                float v) {
    return blendCorners(blend, c.first[k], c.second[k], c.third[k], u, v);
}

// The alpha at (u, v): each corner's alpha within [0, 1], then blended.
__host__ __device__ inline float blendedAlpha(const CornerColors& c, CornerBlend blend, float u, float v) {
    return blendCorners(blend, clampTo(c.first[3], 0.0f, 1.0f), clampTo(c.second[3], 0.0f, 1.0f),
                        clampTo(c.third[3], 0.0f, 1.0f), u, v);
}
