#include <maya/MMatrix.h>

#include <cmath>

#include "math/MatrixMath.h"

using namespace mayahost;

const MMatrix MMatrix::identity;

MMatrix::MMatrix(const double m[4][4]) { copyMatrix(m, matrix); }
MMatrix::MMatrix(const float m[4][4]) { copyMatrix(m, matrix); }

MStatus MMatrix::get(double dest[4][4]) const {
    if (!dest) return MS::kInvalidParameter;
    copyMatrix(matrix, dest);
    return MS::kSuccess;
}

MStatus MMatrix::get(float dest[4][4]) const {
    if (!dest) return MS::kInvalidParameter;
    copyMatrix(matrix, dest);
    return MS::kSuccess;
}

MMatrix MMatrix::operator+(const MMatrix& other) const {
    MMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.matrix[i][j] = matrix[i][j] + other.matrix[i][j];
    return r;
}

MMatrix MMatrix::operator-(const MMatrix& other) const { return *this + other * -1.0; }

MMatrix MMatrix::operator*(const MMatrix& right) const {
    MMatrix r;
    multiplyMatrix(matrix, right.matrix, r.matrix);
    return r;
}

MMatrix MMatrix::operator*(double s) const {
    MMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.matrix[i][j] = matrix[i][j] * s;
    return r;
}

bool MMatrix::operator==(const MMatrix& other) const { return isEquivalent(other, 0); }

MMatrix MMatrix::transpose() const {
    MMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.matrix[i][j] = matrix[j][i];
    return r;
}

MMatrix MMatrix::inverse() const {
    MMatrix r;
    invertMatrix(matrix, r.matrix);
    return r;
}

MMatrix MMatrix::adjoint() const {
    MMatrix r;
    adjointMatrix(matrix, r.matrix);
    return r;
}

MMatrix MMatrix::homogenize() const {
    double w = matrix[3][3];
    return w != 0.0 ? *this * (1.0 / w) : *this;
}

MMatrix& MMatrix::setToIdentity() { return *this = MMatrix(); }

MMatrix& MMatrix::setToProduct(const MMatrix& left, const MMatrix& right) {
    return *this = left * right;
}

double MMatrix::det4x4() const { return determinant(matrix); }

double MMatrix::det3x3() const { return minor3(matrix, 3, 3); }

bool MMatrix::isEquivalent(const MMatrix& other, double tolerance) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (!(std::abs(matrix[i][j] - other.matrix[i][j]) <= tolerance)) return false;
    return true;
}

bool MMatrix::isSingular() const { return !invertMatrix<double>(matrix, nullptr); }

std::ostream& operator<<(std::ostream& out, const MMatrix& m) {
    printMatrix(out, m.matrix);
    return out;
}
