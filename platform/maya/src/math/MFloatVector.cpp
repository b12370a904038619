#include <maya/MFloatMatrix.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MVector.h>

#include <cmath>
#include <ostream>

const MFloatVector MFloatVector::zero(0.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::one(1.0f, 1.0f, 1.0f);
const MFloatVector MFloatVector::oneVector(1.0f, 1.0f, 1.0f);
const MFloatVector MFloatVector::xAxis(1.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::yAxis(0.0f, 1.0f, 0.0f);
const MFloatVector MFloatVector::zAxis(0.0f, 0.0f, 1.0f);
const MFloatVector MFloatVector::xNegAxis(-1.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::yNegAxis(0.0f, -1.0f, 0.0f);
const MFloatVector MFloatVector::zNegAxis(0.0f, 0.0f, -1.0f);

MFloatVector::MFloatVector(const MVector& other)
    : x(static_cast<float>(other.x)),
      y(static_cast<float>(other.y)),
      z(static_cast<float>(other.z)) {}
MFloatVector::MFloatVector(const MFloatPoint& point) : x(point.x), y(point.y), z(point.z) {}

MStatus MFloatVector::get(float dest[3]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = x, dest[1] = y, dest[2] = z;
    return MS::kSuccess;
}

MStatus MFloatVector::get(double dest[3]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = x, dest[1] = y, dest[2] = z;
    return MS::kSuccess;
}

MFloatVector MFloatVector::operator*(const MFloatMatrix& m) const {
    const auto& a = m.matrix;
    return MFloatVector(x * a[0][0] + y * a[1][0] + z * a[2][0],
                        x * a[0][1] + y * a[1][1] + z * a[2][1],
                        x * a[0][2] + y * a[1][2] + z * a[2][2]);
}

MFloatVector& MFloatVector::operator*=(const MFloatMatrix& m) { return *this = *this * m; }

MFloatVector operator*(const MFloatMatrix& m, const MFloatVector& v) {
    const auto& a = m.matrix;
    return MFloatVector(a[0][0] * v.x + a[0][1] * v.y + a[0][2] * v.z,
                        a[1][0] * v.x + a[1][1] * v.y + a[1][2] * v.z,
                        a[2][0] * v.x + a[2][1] * v.y + a[2][2] * v.z);
}

float MFloatVector::length() const { return std::sqrt(x * x + y * y + z * z); }

MFloatVector MFloatVector::normal() const {
    float len = length();
    return len > 0.0f ? *this / len : *this;
}

MStatus MFloatVector::normalize() {
    *this = normal();
    return MS::kSuccess;
}

float MFloatVector::angle(const MFloatVector& other) const {
    return std::atan2((*this ^ other).length(), *this * other);
}

bool MFloatVector::isEquivalent(const MFloatVector& other, float tolerance) const {
    return std::abs(x - other.x) <= tolerance && std::abs(y - other.y) <= tolerance &&
           std::abs(z - other.z) <= tolerance;
}

bool MFloatVector::isParallel(const MFloatVector& other, float tolerance) const {
    return (normal() ^ other.normal()).length() <= tolerance;
}

MFloatVector MFloatVector::transformAsNormal(const MFloatMatrix& m) const {
    return (*this * m.inverse().transpose()).normal();
}

std::ostream& operator<<(std::ostream& out, const MFloatVector& v) {
    return out << "[" << v.x << ", " << v.y << ", " << v.z << "]";
}
