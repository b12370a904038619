#pragma once
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>

#define MMatrix_kTol 1.0e-10

// A 4x4 matrix of doubles, stored row-major as matrix[row][column]. Points are row vectors
// transformed as p * M, so translation sits in row 3 and A * B applies A first, then B.
class OPENMAYA_EXPORT MMatrix {
public:
    MMatrix() = default;
    MMatrix(const double m[4][4]);
    MMatrix(const float m[4][4]);

    double operator()(unsigned int row, unsigned int col) const { return matrix[row][col]; }
    double& operator()(unsigned int row, unsigned int col) { return matrix[row][col]; }
    const double* operator[](unsigned int row) const { return matrix[row]; }
    double* operator[](unsigned int row) { return matrix[row]; }
    MStatus get(double dest[4][4]) const;
    MStatus get(float dest[4][4]) const;

    MMatrix operator+(const MMatrix& other) const;
    MMatrix operator-(const MMatrix& other) const;
    MMatrix& operator+=(const MMatrix& other) { return *this = *this + other; }
    MMatrix& operator-=(const MMatrix& other) { return *this = *this - other; }
    MMatrix operator*(const MMatrix& right) const;
    MMatrix& operator*=(const MMatrix& right) { return *this = *this * right; }
    MMatrix operator*(double s) const;
    MMatrix& operator*=(double s) { return *this = *this * s; }
    bool operator==(const MMatrix& other) const;
    bool operator!=(const MMatrix& other) const { return !(*this == other); }

    MMatrix transpose() const;
    // The inverse; a singular matrix gives the identity.
    MMatrix inverse() const;
    MMatrix adjoint() const;
    // Divides every element by matrix[3][3] when it is non-zero.
    MMatrix homogenize() const;
    MMatrix& setToIdentity();
    MMatrix& setToProduct(const MMatrix& left, const MMatrix& right);
    double det4x4() const;
    // Determinant of the upper-left 3x3 block.
    double det3x3() const;
    bool isEquivalent(const MMatrix& other, double tolerance = MMatrix_kTol) const;
    // True when the matrix has no inverse, to within rounding.
    bool isSingular() const;

    static const MMatrix identity;

    double matrix[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

inline MMatrix operator*(double s, const MMatrix& m) { return m * s; }
// Prints "[[a, b, c, d], [...], [...], [...]]".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MMatrix& m);
