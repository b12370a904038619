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

// scale[3i..3i+2] for each of samplesCount points: the colour multipliers (inColor blended by
// inColorFactor), the layers in order (type 0 blends the multiplier towards the colour by alpha
// times weight, type 1 adds weight times factor times alpha times the colour), then
// scaleX * mx + ax (+ randomNumbers[i mod N] * scaleRandomX), and likewise y and z with the
// draws i + 1 and i + 2; with `uniform`, (x, x, x) from the red channels. Layers skip a weight
// or interpolated alpha of exactly 0.
__global__ void computeScale(float* scale, bool uniform, float scaleX, float scaleY, float scaleZ,
                             bool hasColor, float inColorFactor, const float* inColor,
                             unsigned short layersCount, const float* colors, const float* weights,
                             const short* layerTypes, const float* factors,
                             unsigned int meshPointsCount, const unsigned int* triIds,
                             const float* uvs, const unsigned int* samplesTriID, bool isRandom,
                             const float* randomNumbers, unsigned int randomsNumber,
                             float scaleRandomX, float scaleRandomY, float scaleRandomZ,
                             unsigned int samplesCount);

// id[i] for each of samplesCount points, with rnd(k) = randomNumbers[k mod randomsNumber]:
// baseId; a candidate picked by getTriIndex over the inclusive running sum `probability` with
// rnd(i) when totalProbabilityFactor > 0; each layer in order whose interpolated alpha A passes
// (A >= 0.0001, and rnd(i + 2) <= A below 0.999999) and whose colour sum S >= 0.0001 picks a
// channel with rnd(i) S and takes rgbId[3l + channel] when rnd(i + 1) <= its value; then the
// same with inColor (clamped to [0, 1]) and idRed, idGreen, idBlue.
__global__ void computePointId(unsigned int* id, unsigned int baseId, const unsigned int* randomIndex,
                               const float* probability, unsigned int randomInputCount,
                               float totalProbabilityFactor, unsigned short layersCount,
                               const float* colors, const unsigned int* rgbId,
                               unsigned int meshPointsCount, const unsigned int* triIds,
                               const float* uvs, const unsigned int* samplesTriID, bool hasColor,
                               const float* inColor, unsigned int idRed, unsigned int idGreen,
                               unsigned int idBlue, const float* randomNumbers,
                               unsigned int randomsNumber, unsigned int samplesCount);

// The channels and the frame of each of numSamples points (see zuPointsRotation): rgb (in: the
// incoming channels when hasHistoryColors; out: R, G, B), directionVector (the aim) and
// upVector, 3 floats per point; visible[i] is written while layers are applied, false where
// an additive layer's alpha is 0. With computeLocalAim, intersection and distanceToEdge get,
// per edge (first, second), (second, third), (third, first) of the point's triangle, the
// edge parameter of the aim line's crossing (within [-100, 100]) and the distance to it along
// the aim. randomData holds the 15 random settings: random, minimum speed, maximum speed, time
// and amplitude, R, G, B each.
__global__ void computeDirectionVector(
    const float* samples, const unsigned int* samplesTriID, const float* normal, float x0, float y0,
    float z0, bool hasColor, bool addMode, float inColorFactor, const float* inColor,
    unsigned short layersCount, const float* colors, const float* weights, const short* layerTypes,
    short activeLayer, unsigned int meshPointsCount, const unsigned int* triIds, const float* uvs,
    float offsetR, float offsetG, float offsetB, bool isRandom, const float* randomData,
    const float* randomNumbers, unsigned int randomsNumber, bool hasHistoryColors, float* rgb,
    float* directionVector, float* upVector, bool* visible, bool computeLocalAim,
    const float* meshPoints, float* intersection, float* distanceToEdge, unsigned int numSamples);

// sampleUV[2i], sampleUV[2i+1] for each of samplesCount points, in place: the point's (u, v)
// weights in, its texture coordinates out, (1 - u - v) corner0 + u corner1 + v corner2 of the
// corner UVs meshUV[6t .. 6t+5] (U0, V0, U1, V1, U2, V2) of its triangle t = samplesTriID[i].
// Every t must be below the table's triangle count.
__global__ void computeSampleUV(const float* meshUV, const unsigned int* samplesTriID, float* sampleUV,
                                unsigned int samplesCount);
