#include <maya/MFloatMatrix.h>
#include <maya/MFloatPoint.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

#include <cmath>
#include <ostream>

namespace {

MFloatPoint cartesian(const MFloatPoint& p) { return MFloatPoint(p).cartesianize(); }

}  // namespace

const MFloatPoint MFloatPoint::origin(0.0f, 0.0f, 0.0f, 1.0f);

MFloatPoint::MFloatPoint(const double d[4]) { setCast(d); }
MFloatPoint::MFloatPoint(const MVector& v) { setCast(v); }

MStatus MFloatPoint::setCast(const MPoint& p) {
    x = static_cast<float>(p.x), y = static_cast<float>(p.y), z = static_cast<float>(p.z);
    w = static_cast<float>(p.w);
    return MS::kSuccess;
}

MStatus MFloatPoint::setCast(const MVector& v) { return setCast(MPoint(v)); }

MStatus MFloatPoint::setCast(const double d[4]) {
    if (!d) return MS::kInvalidParameter;
    return setCast(MPoint(d));
}

MStatus MFloatPoint::get(float dest[4]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = x, dest[1] = y, dest[2] = z, dest[3] = w;
    return MS::kSuccess;
}

MStatus MFloatPoint::get(double dest[4]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = x, dest[1] = y, dest[2] = z, dest[3] = w;
    return MS::kSuccess;
}

MFloatVector MFloatPoint::operator-(const MFloatPoint& other) const {
    MFloatPoint a = cartesian(*this), b = cartesian(other);
    return MFloatVector(a.x - b.x, a.y - b.y, a.z - b.z);
}

MFloatPoint MFloatPoint::operator*(const MFloatMatrix& m) const {
    const auto& a = m.matrix;
    MFloatPoint r;
    for (int c = 0; c < 4; ++c) r[c] = x * a[0][c] + y * a[1][c] + z * a[2][c] + w * a[3][c];
    return r;
}

MFloatPoint& MFloatPoint::operator*=(const MFloatMatrix& m) { return *this = *this * m; }

MFloatPoint operator*(const MFloatMatrix& m, const MFloatPoint& p) {
    const auto& a = m.matrix;
    MFloatPoint r;
    for (int i = 0; i < 4; ++i)
        r[i] = a[i][0] * p.x + a[i][1] * p.y + a[i][2] * p.z + a[i][3] * p.w;
    return r;
}

MFloatPoint& MFloatPoint::cartesianize() {
    if (w != 0.0f && w != 1.0f) x /= w, y /= w, z /= w, w = 1.0f;
    return *this;
}

MFloatPoint& MFloatPoint::rationalize() {
    if (w != 0.0f) x /= w, y /= w, z /= w;
    return *this;
}

MFloatPoint& MFloatPoint::homogenize() {
    x *= w, y *= w, z *= w;
    return *this;
}

float MFloatPoint::distanceTo(const MFloatPoint& other) const { return (*this - other).length(); }

bool MFloatPoint::isEquivalent(const MFloatPoint& other, float tolerance) const {
    return MFloatVector(cartesian(*this)).isEquivalent(cartesian(other), tolerance);
}

std::ostream& operator<<(std::ostream& out, const MFloatPoint& p) {
    return out << "[" << p.x << ", " << p.y << ", " << p.z << ", " << p.w << "]";
}
