#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <algorithm>
#include <cmath>
#include <ostream>

const MVector MVector::zero(0.0, 0.0, 0.0);
const MVector MVector::one(1.0, 1.0, 1.0);
const MVector MVector::oneVector(1.0, 1.0, 1.0);
const MVector MVector::xAxis(1.0, 0.0, 0.0);
const MVector MVector::yAxis(0.0, 1.0, 0.0);
const MVector MVector::zAxis(0.0, 0.0, 1.0);
const MVector MVector::xNegAxis(-1.0, 0.0, 0.0);
const MVector MVector::yNegAxis(0.0, -1.0, 0.0);
const MVector MVector::zNegAxis(0.0, 0.0, -1.0);

MVector::MVector(const MFloatVector& other) : x(other.x), y(other.y), z(other.z) {}
MVector::MVector(const MPoint& point) : x(point.x), y(point.y), z(point.z) {}
MVector::MVector(const MFloatPoint& point) : x(point.x), y(point.y), z(point.z) {}

MStatus MVector::get(double dest[3]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = x, dest[1] = y, dest[2] = z;
    return MS::kSuccess;
}

MStatus MVector::get(float dest[3]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = static_cast<float>(x), dest[1] = static_cast<float>(y),
    dest[2] = static_cast<float>(z);
    return MS::kSuccess;
}

MVector MVector::operator*(const MMatrix& m) const {
    const auto& a = m.matrix;
    return MVector(x * a[0][0] + y * a[1][0] + z * a[2][0], x * a[0][1] + y * a[1][1] + z * a[2][1],
                   x * a[0][2] + y * a[1][2] + z * a[2][2]);
}

MVector& MVector::operator*=(const MMatrix& m) { return *this = *this * m; }

MVector operator*(const MMatrix& m, const MVector& v) {
    const auto& a = m.matrix;
    return MVector(a[0][0] * v.x + a[0][1] * v.y + a[0][2] * v.z,
                   a[1][0] * v.x + a[1][1] * v.y + a[1][2] * v.z,
                   a[2][0] * v.x + a[2][1] * v.y + a[2][2] * v.z);
}

double MVector::length() const { return std::sqrt(x * x + y * y + z * z); }

MVector MVector::normal() const {
    double len = length();
    return len > 0.0 ? *this / len : *this;
}

MStatus MVector::normalize() {
    *this = normal();
    return MS::kSuccess;
}

double MVector::angle(const MVector& other) const {
    return std::atan2((*this ^ other).length(), *this * other);
}

bool MVector::isEquivalent(const MVector& other, double tolerance) const {
    return std::abs(x - other.x) <= tolerance && std::abs(y - other.y) <= tolerance &&
           std::abs(z - other.z) <= tolerance;
}

bool MVector::isParallel(const MVector& other, double tolerance) const {
    return (normal() ^ other.normal()).length() <= tolerance;
}

MVector MVector::rotateBy(const MQuaternion& q) const {
    MQuaternion u = q.normal();
    MVector axis(u.x, u.y, u.z);
    MVector t = (axis ^ *this) * 2.0;
    return *this + t * u.w + (axis ^ t);
}

MQuaternion MVector::rotateTo(const MVector& target) const { return MQuaternion(*this, target); }

MVector MVector::transformAsNormal(const MMatrix& m) const {
    return (*this * m.inverse().transpose()).normal();
}

std::ostream& operator<<(std::ostream& out, const MVector& v) {
    return out << "[" << v.x << ", " << v.y << ", " << v.z << "]";
}
