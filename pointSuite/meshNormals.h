#pragma once
// Face, vertex and per-sample normals of a triangulated mesh on the device, for .cu files. The
// arrays are device arrays: points x, y, z per vertex, the triangle vertex list three indices
// per triangle (each below the vertex count), normals x, y, z each.
#include <gpu/runtime.h>
#include <maya/MStatus.h>

// normal[3i..3i+2] = the unit normal (B - A) x (C - A) of triangle i; (0, 0, 0) for a degenerate
// triangle, whose cross product has no length. Finite corners give a finite normal, also near
// the float range.
__global__ void calculateNormalVector(const float* points, const unsigned int* triIds,
                                      float* normal, unsigned int numTris);

// Launches calculateNormalVector over numTris triangles (two-dimensional launch, blocks of 64);
// nothing for 0 triangles. The caller checks the launch with cudaGetLastError().
void launchCalculateNormalVector(const float* points, const unsigned int* triIds, float* normal,
                                 unsigned int numTris);

// A smooth unit normal per sample: the vertex normals (the mean of the face normals of the
// triangles using the vertex) of the sample's triangle blended by its barycentric (u, v), with
// weights 1 - u - v, u and v for the corners A, B, C; (0, 0, 0) where the blend has no length.
// sampleUV holds u, v per sample. A failed launch or runtime call prints "Error at
// <file>:<line>" and fails.
MStatus computeSampleNormals(const float* points, unsigned int vertexCount,
                             const unsigned int* triangles, unsigned int triangleCount,
                             const unsigned int* sampleTriId, const float* sampleUV,
                             unsigned int sampleCount, float* sampleNormals);
