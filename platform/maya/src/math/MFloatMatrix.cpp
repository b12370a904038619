#include <maya/MFloatMatrix.h>

#include <cmath>

#include "math/MatrixMath.h"

using namespace mayahost;

const MFloatMatrix MFloatMatrix::identity;

MFloatMatrix::MFloatMatrix(const double m[4][4]) { copyMatrix(m, matrix); }
MFloatMatrix::MFloatMatrix(const float m[4][4]) { copyMatrix(m, matrix); }

MStatus MFloatMatrix::get(double dest[4][4]) const {
    if (!dest) return MS::kInvalidParameter;
    copyMatrix(matrix, dest);
    return MS::kSuccess;
}

MStatus MFloatMatrix::get(float dest[4][4]) const {
    if (!dest) return MS::kInvalidParameter;
    copyMatrix(matrix, dest);
    return MS::kSuccess;
}

MFloatMatrix MFloatMatrix::operator+(const MFloatMatrix& other) const {
    MFloatMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.matrix[i][j] = matrix[i][j] + other.matrix[i][j];
    return r;
}

MFloatMatrix MFloatMatrix::operator-(const MFloatMatrix& other) const {
    return *this + other * -1.0f;
}

MFloatMatrix MFloatMatrix::operator*(const MFloatMatrix& right) const {
    MFloatMatrix r;
    multiplyMatrix(matrix, right.matrix, r.matrix);
    return r;
}

MFloatMatrix MFloatMatrix::operator*(float s) const {
    MFloatMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.matrix[i][j] = matrix[i][j] * s;
    return r;
}

bool MFloatMatrix::operator==(const MFloatMatrix& other) const { return isEquivalent(other, 0); }

MFloatMatrix MFloatMatrix::transpose() const {
    MFloatMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.matrix[i][j] = matrix[j][i];
    return r;
}

MFloatMatrix MFloatMatrix::inverse() const {
    MFloatMatrix r;
    invertMatrix(matrix, r.matrix);
    return r;
}

MFloatMatrix MFloatMatrix::adjoint() const {
    MFloatMatrix r;
    adjointMatrix(matrix, r.matrix);
    return r;
}

MFloatMatrix MFloatMatrix::homogenize() const {
    float w = matrix[3][3];
    return w != 0.0f ? *this * (1.0f / w) : *this;
}

MFloatMatrix& MFloatMatrix::setToIdentity() { return *this = MFloatMatrix(); }

MFloatMatrix& MFloatMatrix::setToProduct(const MFloatMatrix& left, const MFloatMatrix& right) {
    return *this = left * right;
}

float MFloatMatrix::det4x4() const { return static_cast<float>(determinant(matrix)); }

float MFloatMatrix::det3x3() const { return static_cast<float>(minor3(matrix, 3, 3)); }

bool MFloatMatrix::isEquivalent(const MFloatMatrix& other, float tolerance) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (!(std::abs(matrix[i][j] - other.matrix[i][j]) <= tolerance)) return false;
    return true;
}

bool MFloatMatrix::isSingular() const { return !invertMatrix<float>(matrix, nullptr); }

std::ostream& operator<<(std::ostream& out, const MFloatMatrix& m) {
    printMatrix(out, m.matrix);
    return out;
}
