#pragma once
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>

#define MFloatVector_kTol 1.0e-5F

class MVector;
class MPoint;
class MFloatPoint;
class MFloatMatrix;

// A direction in 3D space, in floats. Transforms as a row vector (v * M), ignoring translation.
class OPENMAYA_EXPORT MFloatVector {
public:
    enum Axis { kXaxis, kYaxis, kZaxis, kWaxis };

    MFloatVector() = default;
    MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
    MFloatVector(const float f[3]) : x(f[0]), y(f[1]), z(f[2]) {}
    MFloatVector(const double d[3])
        : x(static_cast<float>(d[0])), y(static_cast<float>(d[1])), z(static_cast<float>(d[2])) {}
    MFloatVector(const MVector& other);
    // The point's x, y and z; w is ignored.
    MFloatVector(const MFloatPoint& point);

    // Index 0, 1, 2 picks x, y, z; anything larger picks z.
    float operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : z; }
    float& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : z; }
    float operator()(unsigned int i) const { return (*this)[i]; }
    float& operator()(unsigned int i) { return (*this)[i]; }
    MStatus get(float dest[3]) const;
    MStatus get(double dest[3]) const;

    MFloatVector operator-() const { return MFloatVector(-x, -y, -z); }
    MFloatVector operator+(const MFloatVector& o) const {
        return MFloatVector(x + o.x, y + o.y, z + o.z);
    }
    MFloatVector operator-(const MFloatVector& o) const {
        return MFloatVector(x - o.x, y - o.y, z - o.z);
    }
    MFloatVector& operator+=(const MFloatVector& o) { return *this = *this + o; }
    MFloatVector& operator-=(const MFloatVector& o) { return *this = *this - o; }
    MFloatVector operator*(float s) const { return MFloatVector(x * s, y * s, z * s); }
    MFloatVector operator/(float s) const { return MFloatVector(x / s, y / s, z / s); }
    MFloatVector& operator*=(float s) { return *this = *this * s; }
    MFloatVector& operator/=(float s) { return *this = *this / s; }
    // Dot product.
    float operator*(const MFloatVector& o) const { return x * o.x + y * o.y + z * o.z; }
    // Cross product.
    MFloatVector operator^(const MFloatVector& o) const {
        return MFloatVector(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }
    MFloatVector operator*(const MFloatMatrix& m) const;
    MFloatVector& operator*=(const MFloatMatrix& m);
    bool operator==(const MFloatVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MFloatVector& o) const { return !(*this == o); }

    float length() const;
    // The unit vector in this direction; the zero vector stays zero.
    MFloatVector normal() const;
    MStatus normalize();
    // The angle in radians, 0 to pi, between this vector and other.
    float angle(const MFloatVector& other) const;
    // True when every component differs by at most tolerance.
    bool isEquivalent(const MFloatVector& other, float tolerance = MFloatVector_kTol) const;
    bool isParallel(const MFloatVector& other, float tolerance = MFloatVector_kTol) const;
    // Transforms a surface normal: multiplies by the inverse transpose of m, then normalizes.
    MFloatVector transformAsNormal(const MFloatMatrix& m) const;

    static const MFloatVector zero;
    static const MFloatVector one;
    static const MFloatVector oneVector;
    static const MFloatVector xAxis;
    static const MFloatVector yAxis;
    static const MFloatVector zAxis;
    static const MFloatVector xNegAxis;
    static const MFloatVector yNegAxis;
    static const MFloatVector zNegAxis;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline MFloatVector operator*(float s, const MFloatVector& v) { return v * s; }
// Column-vector product M * v, ignoring translation.
OPENMAYA_EXPORT MFloatVector operator*(const MFloatMatrix& m, const MFloatVector& v);
// Prints "[x, y, z]".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MFloatVector& v);
