#pragma once
// Device helpers of the point set kernels: id searches over ascending lists, the container
// weights and the planted points' frame. __host__ __device__, so tests call them directly.
#include <gpu/runtime.h>

#include <math.h>

// Whether `id` is among the first `count` entries of the ascending list `ids` (duplicates
// allowed); false for an empty list.
__host__ __device__ inline bool findId(const unsigned int* ids, unsigned int count, unsigned int id) {
    if (count == 0) return false;
    if (count == 1) return ids[0] == id;
    unsigned int lo = 0, hi = count, mid = count / 2;
    for (;;) {
        if (ids[mid] == id) return true;
        if (lo + 1 == count) return false;
        if (id < ids[mid]) {
            if (mid == 0) return false;
            hi = mid;
            mid = (lo + mid) / 2;
        } else {
            if (mid == lo) return false;
            lo = mid;
            mid = (mid + hi) / 2;
        }
    }
}

// The position of `id` in the ascending list `ids` of `count` entries, or 0xFFFFFFFF when it is
// absent (also for an empty list). With the id repeated, one of its positions.
__host__ __device__ inline unsigned int getElementIndex(const unsigned int* ids, unsigned int count,
                                                        unsigned int id) {
    const unsigned int absent = 0xFFFFFFFFu;
    if (count == 0) return absent;
    if (count == 1) return ids[0] == id ? 0 : absent;
    unsigned int lo = 0, hi = count, mid = count / 2;
    for (;;) {
        if (ids[mid] == id) return mid;
        if (lo + 1 == count) return absent;
        if (id < ids[mid]) {
            if (mid == 0) return absent;
            hi = mid;
            mid = (mid + lo) / 2;
        } else {
            if (mid == lo) return absent;
            lo = mid;
            mid = (mid + hi) / 2;
        }
    }
}

// The weight of local position q in the unit sphere (type 0) or the unit box (type 1) with the
// fall-off band `fallof` in [0, 1]: 1 inside the inner shape of size 1 - fallof, falling
// linearly to 0 at the surface; 0 outside and for any other type.
__host__ __device__ inline float containerWeight(float x, float y, float z, unsigned short containerType,
                                                 float fallof) {
    if (containerType == 0) {
        const float d = sqrtf(x * x + y * y + z * z);
        if (d > 1.0f) return 0.0f;
        const float e = d - (1.0f - fallof);
        if (static_cast<double>(e) <= 0.0) return 1.0f;
        return 1.0f - e / fallof;
    }
    if (containerType == 1) {
        if (!(fabsf(x) < 1.0f && fabsf(y) < 1.0f && fabsf(z) < 1.0f)) return 0.0f;
        if (!(static_cast<double>(fallof) > 0.0)) return 1.0f;
        const float inner = 1.0f - fallof;
        float g = fminf(inner - fabsf(x), fminf(inner - fabsf(y), inner - fabsf(z)));
        g = g < -1.0f ? -1.0f : (g > 0.0f ? 0.0f : g);
        return g / fallof + 1.0f;
    }
    return 0.0f;
}

struct Float3 {
    float x, y, z;
};

__host__ __device__ inline Float3 operator-(Float3 a, Float3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
__host__ __device__ inline Float3 operator+(Float3 a, Float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
__host__ __device__ inline Float3 operator*(float s, Float3 a) { return {s * a.x, s * a.y, s * a.z}; }
__host__ __device__ inline float lengthOf(Float3 a) { return sqrtf(a.x * a.x + a.y * a.y + a.z * a.z); }
__host__ __device__ inline Float3 cross(Float3 a, Float3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// R(axis, angle) v: the axis-angle rotation c I + (1 - c) axis axis^T + s [axis]x, with the axis
// taken as given (not normalised).
__host__ __device__ inline Float3 rotateAbout(Float3 axis, float angle, Float3 v) {
    const float c = cosf(angle), s = sinf(angle), k = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;
    return {(c + k * x * x) * v.x + (k * x * y - s * z) * v.y + (k * x * z + s * y) * v.z,
            (k * x * y + s * z) * v.x + (c + k * y * y) * v.y + (k * y * z - s * x) * v.z,
            (k * x * z - s * y) * v.x + (k * y * z + s * x) * v.y + (c + k * z * z) * v.z};
}

// The edge a planted point aims along, from its distances to the three edges: edge 0 unless
// edge 1 or 2 lies strictly inside (-10, 10) with a larger |distance| (ties to the lower edge).
__host__ __device__ inline int chooseEdge(const float* distanceToEdge) {
    int k = 0;
    float d = distanceToEdge[0];
    for (int e = 1; e < 3; ++e) {
        const float de = distanceToEdge[e];
        if (fabsf(d) < fabsf(de) && -10.0 < static_cast<double>(de) && static_cast<double>(de) < 10.0) {
            k = e;
            d = de;
        }
    }
    return k;
}

// The unit direction from the reference point on edge k (of the corners in order, edge k from
// corner k to corner k + 1 mod 3, at parameter intersection[k]) to p, flipped when that edge's
// distance is negative. A point that lies on its reference point (closer than 1e-6 of the edge's
// length) takes the other edge with the larger |distance| on which it does not lie; when it
// lies on both, the direction of the first edge, (B - A) / |B - A| (or (1, 0, 0) when A = B).
__host__ __device__ inline Float3 edgeDirection(Float3 p, const Float3 corners[3], const float* intersection,
                                                const float* distanceToEdge, int k) {
    int order[3] = {k, (k + 1) % 3, (k + 2) % 3};
    if (fabsf(distanceToEdge[order[2]]) > fabsf(distanceToEdge[order[1]])) {
        const int swap = order[1];
        order[1] = order[2];
        order[2] = swap;
    }
    for (int j = 0; j < 3; ++j) {
        const int e = order[j];
        const Float3 start = corners[e], end = corners[(e + 1) % 3];
        const Float3 q = start + intersection[e] * (end - start);
        const Float3 toPoint = p - q;
        const float length = lengthOf(toPoint);
        if (!(length > 1e-6f * lengthOf(end - start))) continue;
        const Float3 direction = {toPoint.x / length, toPoint.y / length, toPoint.z / length};
        return static_cast<double>(distanceToEdge[e]) < 0.0 ? (-1.0f) * direction : direction;
    }
    const Float3 edge = corners[1] - corners[0];
    const float length = lengthOf(edge);
    if (!(length > 0.0f)) return {1.0f, 0.0f, 0.0f};
    return {edge.x / length, edge.y / length, edge.z / length};
}
