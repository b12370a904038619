#pragma once
#include <maya/MVector.h>

#define MPoint_kTol 1.0e-10

class MFloatPoint;
class MFloatVector;
class MMatrix;

// A homogeneous position (x, y, z, w), w = 1 for an ordinary point. Transforms as a row vector:
// (x y z w) * M, so translation (row 3 of M) applies. The result's w is not divided out.
class OPENMAYA_EXPORT MPoint {
public:
    MPoint() = default;
    MPoint(double xx, double yy, double zz = 0.0, double ww = 1.0) : x(xx), y(yy), z(zz), w(ww) {}
    MPoint(const double d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    MPoint(const float f[4]) : x(f[0]), y(f[1]), z(f[2]), w(f[3]) {}
    MPoint(const MFloatPoint& other);
    // The vector's components with w = 1.
    MPoint(const MVector& v) : x(v.x), y(v.y), z(v.z) {}
    MPoint(const MFloatVector& v);

    // Index 0..3 picks x, y, z, w; anything larger picks w.
    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double operator()(unsigned int i) const { return (*this)[i]; }
    double& operator()(unsigned int i) { return (*this)[i]; }
    MStatus get(double dest[4]) const;
    MStatus get(float dest[4]) const;

    // The vector from other to this point, from their cartesian positions.
    MVector operator-(const MPoint& other) const;
    MPoint operator+(const MVector& v) const { return MPoint(x + v.x, y + v.y, z + v.z, w); }
    MPoint operator-(const MVector& v) const { return MPoint(x - v.x, y - v.y, z - v.z, w); }
    MPoint& operator+=(const MVector& v) { return *this = *this + v; }
    MPoint& operator-=(const MVector& v) { return *this = *this - v; }
    // Scales x, y and z; w is kept.
    MPoint operator*(double s) const { return MPoint(x * s, y * s, z * s, w); }
    MPoint operator/(double s) const { return MPoint(x / s, y / s, z / s, w); }
    MPoint operator*(const MMatrix& m) const;
    MPoint& operator*=(const MMatrix& m);
    bool operator==(const MPoint& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const MPoint& o) const { return !(*this == o); }

    // (wx, wy, wz, w) -> (x, y, z, 1); a point with w = 0 is left alone.
    MPoint& cartesianize();
    // (wx, wy, wz, w) -> (x, y, z, w).
    MPoint& rationalize();
    // (x, y, z, w) -> (wx, wy, wz, w).
    MPoint& homogenize();
    double distanceTo(const MPoint& other) const;
    // True when the cartesian positions differ by at most tolerance in every component.
    bool isEquivalent(const MPoint& other, double tolerance = MPoint_kTol) const;

    static const MPoint origin;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

inline MPoint operator*(double s, const MPoint& p) { return p * s; }
// Column-vector product M * p.
OPENMAYA_EXPORT MPoint operator*(const MMatrix& m, const MPoint& p);
// Prints "[x, y, z, w]".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MPoint& p);
