#pragma once
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>

#define MVector_kTol 1.0e-10

class MFloatVector;
class MPoint;
class MFloatPoint;
class MMatrix;
class MQuaternion;

// A direction in 3D space, in doubles. Transforms as a row vector (v * M), ignoring translation.
class OPENMAYA_EXPORT MVector {
public:
    enum Axis { kXaxis, kYaxis, kZaxis, kWaxis };

    MVector() = default;
    MVector(double xx, double yy, double zz = 0.0) : x(xx), y(yy), z(zz) {}
    MVector(const double d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
    MVector(const float f[3]) : x(f[0]), y(f[1]), z(f[2]) {}
    MVector(const MFloatVector& other);
    // The point's x, y and z; w is ignored.
    MVector(const MPoint& point);
    MVector(const MFloatPoint& point);

    // Index 0, 1, 2 picks x, y, z; anything larger picks z.
    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : z; }
    double operator()(unsigned int i) const { return (*this)[i]; }
    double& operator()(unsigned int i) { return (*this)[i]; }
    MStatus get(double dest[3]) const;
    MStatus get(float dest[3]) const;

    MVector operator-() const { return MVector(-x, -y, -z); }
    MVector operator+(const MVector& o) const { return MVector(x + o.x, y + o.y, z + o.z); }
    MVector operator-(const MVector& o) const { return MVector(x - o.x, y - o.y, z - o.z); }
    MVector& operator+=(const MVector& o) { return *this = *this + o; }
    MVector& operator-=(const MVector& o) { return *this = *this - o; }
    MVector operator*(double s) const { return MVector(x * s, y * s, z * s); }
    MVector operator/(double s) const { return MVector(x / s, y / s, z / s); }
    MVector& operator*=(double s) { return *this = *this * s; }
    MVector& operator/=(double s) { return *this = *this / s; }
    // Dot product.
    double operator*(const MVector& o) const { return x * o.x + y * o.y + z * o.z; }
    // Cross product.
    MVector operator^(const MVector& o) const {
        return MVector(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }
    MVector operator*(const MMatrix& m) const;
    MVector& operator*=(const MMatrix& m);
    bool operator==(const MVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MVector& o) const { return !(*this == o); }

    double length() const;
    // The unit vector in this direction; the zero vector stays zero.
    MVector normal() const;
    MStatus normalize();
    // The angle in radians, 0 to pi, between this vector and other.
    double angle(const MVector& other) const;
    // True when every component differs by at most tolerance.
    bool isEquivalent(const MVector& other, double tolerance = MVector_kTol) const;
    bool isParallel(const MVector& other, double tolerance = MVector_kTol) const;
    MVector rotateBy(const MQuaternion& q) const;
    // The shortest rotation that turns this vector onto target.
    MQuaternion rotateTo(const MVector& target) const;
    // Transforms a surface normal: multiplies by the inverse transpose of m, then normalizes.
    MVector transformAsNormal(const MMatrix& m) const;

    static const MVector zero;
    static const MVector one;
    static const MVector oneVector;
    static const MVector xAxis;
    static const MVector yAxis;
    static const MVector zAxis;
    static const MVector xNegAxis;
    static const MVector yNegAxis;
    static const MVector zNegAxis;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline MVector operator*(double s, const MVector& v) { return v * s; }
// Column-vector product M * v, ignoring translation.
OPENMAYA_EXPORT MVector operator*(const MMatrix& m, const MVector& v);
// Prints "[x, y, z]".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MVector& v);
