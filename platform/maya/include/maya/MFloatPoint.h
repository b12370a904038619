#pragma once
#include <maya/MFloatVector.h>

#define MFloatPoint_kTol 1.0e-5F

class MPoint;
class MVector;
class MFloatMatrix;

// A homogeneous position (x, y, z, w) in floats, w = 1 for an ordinary point. Transforms as a row
// vector: (x y z w) * M, so translation (row 3 of M) applies. The result's w is not divided out.
class OPENMAYA_EXPORT MFloatPoint {
public:
    MFloatPoint() = default;
    MFloatPoint(float xx, float yy, float zz = 0.0f, float ww = 1.0f)
        : x(xx), y(yy), z(zz), w(ww) {}
    MFloatPoint(const float f[4]) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
    MFloatPoint(const double d[4]);
    // The vector's components with w = 1.
    MFloatPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z) {}
    MFloatPoint(const MVector& v);

    // Narrowing conversions from double precision.
    MStatus setCast(const MPoint& p);
    MStatus setCast(const MVector& v);
    MStatus setCast(const double d[4]);

    // Index 0..3 picks x, y, z, w; anything larger picks w.
    float operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    float& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    float operator()(unsigned int i) const { return (*this)[i]; }
    float& operator()(unsigned int i) { return (*this)[i]; }
    MStatus get(float dest[4]) const;
    MStatus get(double dest[4]) const;

    // The vector from other to this point, from their cartesian positions.
    MFloatVector operator-(const MFloatPoint& other) const;
    MFloatPoint operator+(const MFloatVector& v) const {
        return MFloatPoint(x + v.x, y + v.y, z + v.z, w);
    }
    MFloatPoint operator-(const MFloatVector& v) const {
        return MFloatPoint(x - v.x, y - v.y, z - v.z, w);
    }
    MFloatPoint& operator+=(const MFloatVector& v) { return *this = *this + v; }
    MFloatPoint& operator-=(const MFloatVector& v) { return *this = *this - v; }
    // Scales x, y and z; w is kept.
    MFloatPoint operator*(float s) const { return MFloatPoint(x * s, y * s, z * s, w); }
    MFloatPoint operator/(float s) const { return MFloatPoint(x / s, y / s, z / s, w); }
    MFloatPoint operator*(const MFloatMatrix& m) const;
    MFloatPoint& operator*=(const MFloatMatrix& m);
    bool operator==(const MFloatPoint& o) const {
        return x == o.x && y == o.y && z == o.z && w == o.w;
    }
    bool operator!=(const MFloatPoint& o) const { return !(*this == o); }

    // (wx, wy, wz, w) -> (x, y, z, 1); a point with w = 0 is left alone.
    MFloatPoint& cartesianize();
    // (wx, wy, wz, w) -> (x, y, z, w).
    MFloatPoint& rationalize();
    // (x, y, z, w) -> (wx, wy, wz, w).
    MFloatPoint& homogenize();
    float distanceTo(const MFloatPoint& other) const;
    // True when the cartesian positions differ by at most tolerance in every component.
    bool isEquivalent(const MFloatPoint& other, float tolerance = MFloatPoint_kTol) const;

    static const MFloatPoint origin;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

inline MFloatPoint operator*(float s, const MFloatPoint& p) { return p * s; }
// Column-vector product M * p.
OPENMAYA_EXPORT MFloatPoint operator*(const MFloatMatrix& m, const MFloatPoint& p);
// Prints "[x, y, z, w]".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MFloatPoint& p);
