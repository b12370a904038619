#pragma once
// The kernels of the point set nodes, for .cu files. Each handles one point per thread and takes
// plain device pointers and counts; a thread whose index is not below the count does nothing.
#include <gpu/runtime.h>

// visible[i] = (randomNumbers[i mod randomsNumber] < colour of point i): the colour is
// inColor[i] with hasColor, replaced with hasVertexColor by the red vertex colours `colors` of
// the point's triangle samplesTriID[i] (corners from triIds) blended by its (u, v) in `uvs`.
__global__ void computeSelection(bool* visible, bool hasColor, const float* inColor, bool hasVertexColor,
                                 const float* colors, unsigned int meshPointsCount,
                                 const unsigned int* triIds, const float* uvs,
                                 const unsigned int* samplesTriID, const float* randomNumbers,
                                 unsigned int randomsNumber, unsigned int samplesCount);

// Clears visible[i] at the first of the numOp comparisons that fails (operand a from the slot
// firstOperand[k] of `attributes`, b an integer or float constant or another slot), then sets it
// when the point's id (slot pointIdPosition) is among the numIds ascending ids of idToAdd.
__global__ void checkConditions(const float* const* attributes, const unsigned int* IdsToAdd,
                                const unsigned int* firstOperand, const unsigned short* operation,
                                const unsigned short* secondOperandType, const int* secondOperandInt,
                                const float* secondOperandFloat, bool* visible, unsigned int numOp,
                                unsigned int numIds, unsigned int pointIdPosition,
                                const unsigned int* idToAdd, unsigned int samplesCount);

// Clears visible[i] when dotRange + (a, b, c) . normal[3i..3i+2] < 0.
__global__ void checkDotProduct(const float* normal, bool* visible, float dotRange, float a, float b,
                                float c, unsigned int samplesCount);

// For each point i of the second set whose id points2ID[i] is in the ascending points1ID (its
// first-set position from map), blends each named array a of the first set (data[2a]) towards
// the second's (data[2a + 1]) by factor (times fallof[i] when hasFallof): code 0 (doubles) and
// 2 (vectors, three floats) as d1 (1 - w) + w d2, code 1 (ints) as d1 + w (d2 - d1). The ids of
// the second set must be unique, so that no two threads write one point.
__global__ void blendValues(const unsigned int* points1ID, const unsigned int* points2ID,
                            const unsigned int* map, const unsigned short* typeArray, float** data,
                            float factor, unsigned short attrCount, bool hasFallof, const float* fallof,
                            unsigned int samplesCount, unsigned int samplesCount2);

// contained[i] = the container weight (containerWeight) of points[3i..3i+2] taken into the
// container's local space by `matrix` (the inverse world matrix, column by column); left as it
// was (0) outside.
__global__ void computePointInclusion(const float* points, float* contained, const float* matrix,
                                      unsigned short containerType, float fallof,
                                      unsigned int samplesCount);

// Plants each of numSamples points on the mesh: position from its triangle and (u, v); rgb (in:
// "rotationRGB") becomes the aim direction and upVector the up vector, from the triangle's face
// normal `normal`, the reference point on the chosen edge (intersection, distanceToEdge) and
// the turns in rgb.
__global__ void computeSamplesOnMesh(float* position, const unsigned int* samplesTriID, const float* normal,
                                     const float* uvs, const unsigned int* triIds, float* rgb,
                                     float* upVector, const float* meshPoints, const float* intersection,
                                     const float* distanceToEdge, unsigned int numSamples);
