#pragma once
// The geometry of the direction kernel: the aim direction from a target, the frame of the
// three rotation channels and the edge measures of the aim line. __host__ __device__, single
// precision, so the tests call them directly.
#include <gpu/runtime.h>

#include <math.h>

struct Vec3 {
    float x, y, z;
};

__host__ __device__ inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
__host__ __device__ inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
__host__ __device__ inline Vec3 operator*(float s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
__host__ __device__ inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
__host__ __device__ inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
__host__ __device__ inline float length(Vec3 a) { return sqrtf(dot(a, a)); }
__host__ __device__ inline float component(Vec3 a, int k) { return k == 0 ? a.x : (k == 1 ? a.y : a.z); }

// The normal the frame is built on: n itself, or (0, 1, 0) for a normal without (finite)
// length, so every point gets a frame.
__host__ __device__ inline Vec3 usableNormal(Vec3 n) {
    const float l = length(n);
    return l > 0.0f && l <= 3.0e38f ? n : Vec3{0.0f, 1.0f, 0.0f};
}

// The unit direction from p to the target T moved onto the tangent plane through p (normal n,
// any length). When T projects onto p itself the direction is n x (-1, 0, 0), or n x (0, 1, 0)
// when n lies along x; with n of no length, (0, 0, 0).
__host__ __device__ inline Vec3 aimDirection(Vec3 p, Vec3 n, Vec3 target) {
    const float n2 = dot(n, n);
    Vec3 a = {0.0f, 0.0f, 0.0f};
    if (n2 > 0.0f) {
        // The distance of T from the plane, along the unit normal: exact for any |n|.
        const Vec3 unit = (1.0f / sqrtf(n2)) * n;
        const float d = fabsf(dot(unit, p) - dot(unit, target));
        const Vec3 q = dot(n, target - p) >= 0.0f ? target - d * unit : target + d * unit;
        a = q - p;
    }
    if (length(a) == 0.0f) {
        a = cross(n, Vec3{a.x - 1.0f, a.y, a.z});
        if (length(a) == 0.0f) a = cross(n, Vec3{0.0f, 1.0f, 0.0f});
    }
    const float l = length(a);
    return l > 0.0f ? (1.0f / l) * a : Vec3{0.0f, 0.0f, 0.0f};
}

// Rodrigues' rotation of v about the axis x (not normalised) by the angle of cosine c and sine
// s: c v + (1 - c) (x . v) x + s (x cross v).
__host__ __device__ inline Vec3 rotateAbout(Vec3 axis, float c, float s, Vec3 v) {
    return (c * v + ((1.0f - c) * dot(axis, v)) * axis) + s * cross(axis, v);
}

// turns full turns as an angle: turns * 6.28318530718 in double precision, rounded; a channel
// that has grown past the float range turns nothing.
__host__ __device__ inline float turnAngle(float turns) {
    const float angle = static_cast<float>(static_cast<double>(turns) * 6.28318530718);
    return isfinite(angle) ? angle : 0.0f;
}

// The aim and up vectors of channels R (in [-1, 1]), G and B (turns) about normal n with the
// target direction dir; neither is renormalised.
__host__ __device__ inline void channelFrame(Vec3 n, Vec3 dir, float r, float g, float b, Vec3& aim, Vec3& up) {
    const float weight = r < 0.0f ? -r : r;
    const Vec3 towards = r < 0.0f ? -1.0f * dir : dir;
    const float thetaG = turnAngle(g), thetaB = turnAngle(b);
    const float cosG = cosf(thetaG), sinG = sinf(thetaG);
    aim = rotateAbout(n, cosG, sinG, weight * towards + (1.0f - weight) * n);
    const Vec3 side = rotateAbout(n, cosG, sinG, cross(n, dir));
    up = rotateAbout(aim, cosf(thetaB), sinf(thetaB), side);
}

// Where the aim line p + tau dir meets the line of the edge A + s E: s in the first coordinate
// plane whose determinant c is at least 0.01 |E| (xy, then xz, then yz; 100 when the yz one is
// 0), within [-100, 100]; tau from the first component of dir above 0.1 in magnitude, or 100.
__host__ __device__ inline void edgeMeasure(Vec3 p, Vec3 dir, Vec3 A, Vec3 B, float& s, float& tau) {
    const Vec3 E = B - A;
    const double limit = 0.01 * static_cast<double>(length(E));
    float c = dir.y * E.x - dir.x * E.y;
    if (static_cast<double>(fabsf(c)) >= limit && c != 0.0f) {
        s = (dir.x * (A.y - p.y) - dir.y * (A.x - p.x)) / c;
    } else {
        c = dir.z * E.x - dir.x * E.z;
        if (static_cast<double>(fabsf(c)) >= limit && c != 0.0f) {
            s = (dir.x * (A.z - p.z) - dir.z * (A.x - p.x)) / c;
        } else {
            c = dir.y * E.z - dir.z * E.y;
            s = c == 0.0f ? 100.0f : (dir.z * (A.y - p.y) - dir.y * (A.z - p.z)) / c;
        }
    }
    s = s > -100.0f ? (s < 100.0f ? s : 100.0f) : -100.0f;
    tau = 100.0f;
    const Vec3 crossing = (A + s * E) - p;
    for (int k = 0; k < 3; ++k)
        if (fabsf(component(dir, k)) > 0.1f) {
            tau = component(crossing, k) / component(dir, k);
            break;
        }
}
