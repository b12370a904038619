#include <maya/MQuaternion.h>

#include <algorithm>
#include <cmath>
#include <ostream>

const MQuaternion MQuaternion::identity;

MQuaternion::MQuaternion(double angle, const MVector& axis) { setAxisAngle(axis, angle); }

MQuaternion::MQuaternion(const MVector& a, const MVector& b) : MQuaternion(a, b, 1.0) {}

MQuaternion::MQuaternion(const MVector& a, const MVector& b, double angleFactor) {
    MVector na = a.normal(), nb = b.normal();
    MVector axis = na ^ nb;
    double sine = axis.length(), cosine = na * nb;
    if (sine <= 1e-12) {
        if (cosine >= 0.0) return;
        // Opposite directions: turn half way round any axis perpendicular to a.
        axis = na ^ MVector::xAxis;
        if (axis.length() <= 1e-6) axis = na ^ MVector::yAxis;
    }
    setAxisAngle(axis, std::atan2(sine, cosine) * angleFactor);
}

MQuaternion& MQuaternion::operator=(const MMatrix& matrix) {
    // Works on the column-vector rotation R = transpose of the row-vector matrix.
    auto R = [&](int r, int c) { return matrix.matrix[c][r]; };
    double trace = R(0, 0) + R(1, 1) + R(2, 2);
    if (trace > 0.0) {
        double s = 2.0 * std::sqrt(trace + 1.0);
        *this = MQuaternion((R(2, 1) - R(1, 2)) / s, (R(0, 2) - R(2, 0)) / s,
                            (R(1, 0) - R(0, 1)) / s, 0.25 * s);
    } else if (R(0, 0) >= R(1, 1) && R(0, 0) >= R(2, 2)) {
        double s = 2.0 * std::sqrt(1.0 + R(0, 0) - R(1, 1) - R(2, 2));
        *this = MQuaternion(0.25 * s, (R(0, 1) + R(1, 0)) / s, (R(0, 2) + R(2, 0)) / s,
                            (R(2, 1) - R(1, 2)) / s);
    } else if (R(1, 1) >= R(2, 2)) {
        double s = 2.0 * std::sqrt(1.0 + R(1, 1) - R(0, 0) - R(2, 2));
        *this = MQuaternion((R(0, 1) + R(1, 0)) / s, 0.25 * s, (R(1, 2) + R(2, 1)) / s,
                            (R(0, 2) - R(2, 0)) / s);
    } else {
        double s = 2.0 * std::sqrt(1.0 + R(2, 2) - R(0, 0) - R(1, 1));
        *this = MQuaternion((R(0, 2) + R(2, 0)) / s, (R(1, 2) + R(2, 1)) / s, 0.25 * s,
                            (R(1, 0) - R(0, 1)) / s);
    }
    return normalizeIt();
}

MStatus MQuaternion::get(double dest[4]) const {
    if (!dest) return MS::kInvalidParameter;
    dest[0] = x, dest[1] = y, dest[2] = z, dest[3] = w;
    return MS::kSuccess;
}

MMatrix MQuaternion::asMatrix() const {
    double norm = x * x + y * y + z * z + w * w;
    double s = norm > 0.0 ? 2.0 / norm : 0.0;
    double xx = x * x * s, yy = y * y * s, zz = z * z * s;
    double xy = x * y * s, xz = x * z * s, yz = y * z * s;
    double wx = w * x * s, wy = w * y * s, wz = w * z * s;
    const double m[4][4] = {{1.0 - yy - zz, xy + wz, xz - wy, 0.0},
                            {xy - wz, 1.0 - xx - zz, yz + wx, 0.0},
                            {xz + wy, yz - wx, 1.0 - xx - yy, 0.0},
                            {0.0, 0.0, 0.0, 1.0}};
    return MMatrix(m);
}

bool MQuaternion::getAxisAngle(MVector& axis, double& angle) const {
    MQuaternion u = normal();
    double sine = std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z);
    angle = 2.0 * std::atan2(sine, u.w);
    axis = sine > 0.0 ? MVector(u.x, u.y, u.z) / sine : MVector::xAxis;
    return true;
}

MQuaternion& MQuaternion::setAxisAngle(const MVector& axis, double angle) {
    MVector n = axis.normal() * std::sin(0.5 * angle);
    return *this = MQuaternion(n.x, n.y, n.z, std::cos(0.5 * angle));
}

MQuaternion MQuaternion::operator*(const MQuaternion& then) const {
    // The Hamilton product then * this: rotating by this first, then by `then`.
    const MQuaternion& a = then;
    const MQuaternion& b = *this;
    return MQuaternion(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                       a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                       a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                       a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}

MQuaternion MQuaternion::inverse() const {
    double norm = x * x + y * y + z * z + w * w;
    return norm > 0.0 ? (1.0 / norm) * conjugate() : MQuaternion();
}

MQuaternion MQuaternion::normal() const {
    double len = std::sqrt(x * x + y * y + z * z + w * w);
    return len > 0.0 ? (1.0 / len) * *this : MQuaternion();
}

bool MQuaternion::isEquivalent(const MQuaternion& other, double tolerance) const {
    return std::abs(x - other.x) <= tolerance && std::abs(y - other.y) <= tolerance &&
           std::abs(z - other.z) <= tolerance && std::abs(w - other.w) <= tolerance;
}

std::ostream& operator<<(std::ostream& out, const MQuaternion& q) {
    return out << "[" << q.x << ", " << q.y << ", " << q.z << ", " << q.w << "]";
}
