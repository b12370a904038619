#pragma once
// 4x4 matrix arithmetic shared by MMatrix and MFloatMatrix; everything is computed in double.
#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

namespace mayahost {

template <class From, class To>
void copyMatrix(const From (*from)[4], To (*to)[4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) to[r][c] = static_cast<To>(from[r][c]);
}

template <class T>
void multiplyMatrix(const T (*a)[4], const T (*b)[4], T (*out)[4]) {
    T result[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += double(a[r][k]) * double(b[k][c]);
            result[r][c] = static_cast<T>(sum);
        }
    copyMatrix(result, out);
}

// Determinant of the 3x3 minor that leaves out row `skipRow` and column `skipCol`.
template <class T>
double minor3(const T (*m)[4], int skipRow, int skipCol) {
    int rows[3], cols[3];
    for (int i = 0, r = 0, c = 0; i < 4; ++i) {
        if (i != skipRow) rows[r++] = i;
        if (i != skipCol) cols[c++] = i;
    }
    auto e = [&](int r, int c) { return double(m[rows[r]][cols[c]]); };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
           e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

template <class T>
double determinant(const T (*m)[4]) {
    double det = 0.0;
    for (int c = 0; c < 4; ++c) det += (c % 2 ? -1.0 : 1.0) * double(m[0][c]) * minor3(m, 0, c);
    return det;
}

// The transposed cofactor matrix.
template <class T>
void adjointMatrix(const T (*m)[4], T (*out)[4]) {
    T result[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result[c][r] = static_cast<T>(((r + c) % 2 ? -1.0 : 1.0) * minor3(m, r, c));
    copyMatrix(result, out);
}

// Gauss-Jordan elimination with partial pivoting. Returns false, leaving out alone, when m is
// singular: a pivot vanishes relative to m's largest element. out may be null.
template <class T>
bool invertMatrix(const T (*m)[4], T (*out)[4]) {
    double a[4][4], inv[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    copyMatrix(m, a);
    double largest = 0.0;
    for (auto& row : a)
        for (double e : row) largest = std::max(largest, std::abs(e));
    const double smallest = largest * 1e-14;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::abs(a[r][col]) > std::abs(a[pivot][col])) pivot = r;
        if (!(std::abs(a[pivot][col]) > smallest)) return false;
        std::swap(a[col], a[pivot]);
        std::swap(inv[col], inv[pivot]);
        double scale = 1.0 / a[col][col];
        for (int c = 0; c < 4; ++c) a[col][c] *= scale, inv[col][c] *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            double f = a[r][col];
            for (int c = 0; c < 4; ++c) a[r][c] -= f * a[col][c], inv[r][c] -= f * inv[col][c];
        }
    }
    if (out) copyMatrix(inv, out);
    return true;
}

template <class T>
void printMatrix(std::ostream& out, const T (*m)[4]) {
    out << "[";
    for (int r = 0; r < 4; ++r) {
        out << (r ? ", [" : "[");
        for (int c = 0; c < 4; ++c) out << (c ? ", " : "") << m[r][c];
        out << "]";
    }
    out << "]";
}

}  // namespace mayahost
