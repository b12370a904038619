#pragma once
// The kernels of the point attribute nodes, for .cu files. Each takes plain device pointers and
// counts and handles one point per thread; a thread whose index is not below the count does
// nothing.
#include <gpu/runtime.h>

// points[3i..3i+2] = (M' p) / w for each of samplesCount points, in place: with matrix holding
// the host matrix transposed (matrix[4r + c] = M[c][r]), x' = m0 x + m1 y + m2 z (+ m3 when
// translate), likewise y' and z' with rows 4 and 8, and w = m12 + m13 + m14 + m15.
__global__ void transformPoints(float* points, const float* matrix, bool translate,
                                unsigned int samplesCount);
