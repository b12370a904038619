#pragma once
#include <maya/MMatrix.h>
#include <maya/MVector.h>

#include <iosfwd>

#define MQuaternion_kTol 1.0e-10

// A rotation as a quaternion (x, y, z, w), w being the scalar part. The default is no rotation.
// a * b rotates by a first, then by b, matching a.asMatrix() * b.asMatrix().
class OPENMAYA_EXPORT MQuaternion {
public:
    MQuaternion() = default;
    MQuaternion(double xx, double yy, double zz, double ww) : x(xx), y(yy), z(zz), w(ww) {}
    MQuaternion(const double q[4]) : x(q[0]), y(q[1]), z(q[2]), w(q[3]) {}
    // A rotation of angle radians about axis (right-handed).
    MQuaternion(double angle, const MVector& axis);
    // The shortest rotation turning a onto b; with a factor, that fraction of it.
    MQuaternion(const MVector& a, const MVector& b);
    MQuaternion(const MVector& a, const MVector& b, double angleFactor);
    // The rotation held in the upper-left 3x3 of a row-vector matrix.
    MQuaternion& operator=(const MMatrix& m);

    // Index 0..3 picks x, y, z, w; anything larger picks w.
    double operator[](unsigned int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    double& operator[](unsigned int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    MStatus get(double dest[4]) const;

    // The row-vector rotation matrix: v * q.asMatrix() equals v.rotateBy(q).
    MMatrix asMatrix() const;
    // Angle in radians, 0 to 2 pi, and unit axis; no rotation gives angle 0 about x.
    bool getAxisAngle(MVector& axis, double& angle) const;
    MQuaternion& setAxisAngle(const MVector& axis, double angle);
    MQuaternion& setToXAxis(double angle) { return setAxisAngle(MVector(1, 0, 0), angle); }
    MQuaternion& setToYAxis(double angle) { return setAxisAngle(MVector(0, 1, 0), angle); }
    MQuaternion& setToZAxis(double angle) { return setAxisAngle(MVector(0, 0, 1), angle); }

    MQuaternion operator+(const MQuaternion& o) const {
        return MQuaternion(x + o.x, y + o.y, z + o.z, w + o.w);
    }
    MQuaternion operator-(const MQuaternion& o) const {
        return MQuaternion(x - o.x, y - o.y, z - o.z, w - o.w);
    }
    MQuaternion operator-() const { return MQuaternion(-x, -y, -z, -w); }
    MQuaternion operator*(const MQuaternion& then) const;
    MQuaternion& operator*=(const MQuaternion& then) { return *this = *this * then; }
    bool operator==(const MQuaternion& o) const {
        return x == o.x && y == o.y && z == o.z && w == o.w;
    }
    bool operator!=(const MQuaternion& o) const { return !(*this == o); }

    MQuaternion conjugate() const { return MQuaternion(-x, -y, -z, w); }
    MQuaternion& conjugateIt() { return *this = conjugate(); }
    MQuaternion inverse() const;
    MQuaternion& invertIt() { return *this = inverse(); }
    // The unit quaternion; a zero quaternion becomes the identity.
    MQuaternion normal() const;
    MQuaternion& normalizeIt() { return *this = normal(); }
    // True when every component differs by at most tolerance (q and -q are not equivalent).
    bool isEquivalent(const MQuaternion& other, double tolerance = MQuaternion_kTol) const;

    static const MQuaternion identity;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

inline MQuaternion operator*(double s, const MQuaternion& q) {
    return MQuaternion(q.x * s, q.y * s, q.z * s, q.w * s);
}
// Prints "[x, y, z, w]".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MQuaternion& q);
