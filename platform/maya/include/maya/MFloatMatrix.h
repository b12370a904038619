#pragma once
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <iosfwd>

#define MFloatMatrix_kTol 1.0e-5F

// A 4x4 matrix of floats, stored row-major as matrix[row][column]. Points are row vectors
// transformed as p * M, so translation sits in row 3 and A * B applies A first, then B.
class OPENMAYA_EXPORT MFloatMatrix {
public:
    MFloatMatrix() = default;
    MFloatMatrix(const double m[4][4]);
    MFloatMatrix(const float m[4][4]);

    float operator()(unsigned int row, unsigned int col) const { return matrix[row][col]; }
    float& operator()(unsigned int row, unsigned int col) { return matrix[row][col]; }
    const float* operator[](unsigned int row) const { return matrix[row]; }
    float* operator[](unsigned int row) { return matrix[row]; }
    MStatus get(double dest[4][4]) const;
    MStatus get(float dest[4][4]) const;

    MFloatMatrix operator+(const MFloatMatrix& other) const;
    MFloatMatrix operator-(const MFloatMatrix& other) const;
    MFloatMatrix& operator+=(const MFloatMatrix& other) { return *this = *this + other; }
    MFloatMatrix& operator-=(const MFloatMatrix& other) { return *this = *this - other; }
    MFloatMatrix operator*(const MFloatMatrix& right) const;
    MFloatMatrix& operator*=(const MFloatMatrix& right) { return *this = *this * right; }
    MFloatMatrix operator*(float s) const;
    MFloatMatrix& operator*=(float s) { return *this = *this * s; }
    bool operator==(const MFloatMatrix& other) const;
    bool operator!=(const MFloatMatrix& other) const { return !(*this == other); }

    MFloatMatrix transpose() const;
    // The inverse; a singular matrix gives the identity.
    MFloatMatrix inverse() const;
    MFloatMatrix adjoint() const;
    // Divides every element by matrix[3][3] when it is non-zero.
    MFloatMatrix homogenize() const;
    MFloatMatrix& setToIdentity();
    MFloatMatrix& setToProduct(const MFloatMatrix& left, const MFloatMatrix& right);
    float det4x4() const;
    // Determinant of the upper-left 3x3 block.
    float det3x3() const;
    bool isEquivalent(const MFloatMatrix& other, float tolerance = MFloatMatrix_kTol) const;
    // True when the matrix has no inverse, to within rounding.
    bool isSingular() const;

    static const MFloatMatrix identity;

    float matrix[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

inline MFloatMatrix operator*(float s, const MFloatMatrix& m) { return m * s; }
// Prints "[[a, b, c, d], [...], [...], [...]]".
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MFloatMatrix& m);
