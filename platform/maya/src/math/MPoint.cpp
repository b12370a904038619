#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>

#include <cmath>
#include <ostream>

namespace {

MPoint cartesian(const MPoint& p) { return MPoint(p).cartesianize(); }

}  // namespace

const MPoint MPoint::origin(0.0, 0.0, 0.0, 1.0);

MPoint::MPoint(const MFloatPoint& other) : x(other.x), y(other.y), z(other.z), w(other.w) {}
MPoint::MPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z) {}

MStatus MPoint::get(double dest[4]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = x, dest[1] = y, dest[2] = z, dest[3] = w;
    return MS::kSuccess;
}

MStatus MPoint::get(float dest[4]) const {
    if (!dest) return MS::kInvalidParameter;
    for (unsigned int i = 0; i < 4; ++i) dest[i] = static_cast<float>((*this)[i]);
    return MS::kSuccess;
}

MVector MPoint::operator-(const MPoint& other) const {
    MPoint a = cartesian(*this), b = cartesian(other);
    return MVector(a.x - b.x, a.y - b.y, a.z - b.z);
}

MPoint MPoint::operator*(const MMatrix& m) const {
    const auto& a = m.matrix;
    MPoint r;
    for (int c = 0; c < 4; ++c) r[c] = x * a[0][c] + y * a[1][c] + z * a[2][c] + w * a[3][c];
    return r;
}

MPoint& MPoint::operator*=(const MMatrix& m) { return *this = *this * m; }

MPoint operator*(const MMatrix& m, const MPoint& p) {
    const auto& a = m.matrix;
    MPoint r;
    for (int i = 0; i < 4; ++i)
        r[i] = a[i][0] * p.x + a[i][1] * p.y + a[i][2] * p.z + a[i][3] * p.w;
    return r;
}

MPoint& MPoint::cartesianize() {
    if (w != 0.0 && w != 1.0) x /= w, y /= w, z /= w, w = 1.0;
    return *this;
}

MPoint& MPoint::rationalize() {
    if (w != 0.0) x /= w, y /= w, z /= w;
    return *this;
}

MPoint& MPoint::homogenize() {
    x *= w, y *= w, z *= w;
    return *this;
}

double MPoint::distanceTo(const MPoint& other) const { return (*this - other).length(); }

bool MPoint::isEquivalent(const MPoint& other, double tolerance) const {
    return MVector(cartesian(*this)).isEquivalent(cartesian(other), tolerance);
}

std::ostream& operator<<(std::ostream& out, const MPoint& p) {
    return out << "[" << p.x << ", " << p.y << ", " << p.z << ", " << p.w << "]";
}
