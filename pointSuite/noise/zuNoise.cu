#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MPointArray.h>
#include <maya/MVectorArray.h>
#include <thrust/device_vector.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "common/deviceArrays.h"
#include "common/deviceLaunch.h"
#include "common/gpuServices.h"
#include "common/inputChecks.h"
#include "common/nodeAttributes.h"
#include "common/statusCheck.h"
#include "pointSuite/display/zuNoiseLocator.h"
#include "pointSuite/noise/noiseGenerator.h"
#include "pointSuite/noise/zuNoise.h"

const MTypeId zuNoise::id(0xD0);
MObject zuNoise::deformSpace;
MObject zuNoise::visualisationPoints[3];
MObject zuNoise::length[3];
MObject zuNoise::pointsCount[3];
MObject zuNoise::noiseOctaves[3];
MObject zuNoise::noiseSeed[3];
MObject zuNoise::noiseFreq[3];
MObject zuNoise::noiseAmp[3];

namespace {

enum Axis { kX = 0, kY = 1, kZ = 2 };

// A row-vector affine transform: p' = p M (the fourth column is not used).
struct AffineMatrix {
    double m[4][3];
};

AffineMatrix affineOf(const MMatrix& matrix) {
    AffineMatrix a;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) a.m[row][col] = matrix(row, col);
    return a;
}

__host__ __device__ inline void transformPoint(const AffineMatrix& a, double p[3]) {
    const double x = p[0], y = p[1], z = p[2];
    for (int c = 0; c < 3; ++c) p[c] = x * a.m[0][c] + y * a.m[1][c] + z * a.m[2][c] + a.m[3][c];
}

// The noise of a generator at a pair of coordinates: scaled by its frequency, then summed.
__host__ __device__ inline float noiseAt(const NoiseGenerator& g, float u, float v) {
    return evaluateFractalNoise2(g, u * g.freq, v * g.freq);
}

// Each point into the deform space, moved along y, x and z by their noises, and back.
// generators holds Ny, Nx and Nz in that order.
__global__ void displaceByNoise(double* points, unsigned int count,
                                const NoiseGenerator* generators, AffineMatrix toSpace,
                                AffineMatrix fromSpace) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    double p[3] = {points[3 * i], points[3 * i + 1], points[3 * i + 2]};
    transformPoint(toSpace, p);
    p[1] += noiseAt(generators[0], float(p[0]), float(p[2]));
    p[0] += noiseAt(generators[1], float(p[1]), float(p[2]));
    p[2] += noiseAt(generators[2], float(p[0]), float(p[1]));
    transformPoint(fromSpace, p);
    for (int c = 0; c < 3; ++c) points[3 * i + c] = p[c];
}

// The affine transform that a deformSpace matrix stands for: its last column taken as
// (0, 0, 0, 1). The way into the space is the inverse of this, so that a point taken in and back
// out comes back where it was whatever the matrix's last column holds.
MMatrix affinePart(const MMatrix& matrix) {
    MMatrix affine = matrix;
    for (int row = 0; row < 3; ++row) affine(row, 3) = 0.0;
    affine(3, 3) = 1.0;
    return affine;
}

bool finiteMatrix(const MMatrix& m) {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            if (!std::isfinite(m(row, col))) return false;
    return true;
}

const char* const kAxisLetters[3] = {"x", "y", "z"};

MString axisName(int axis, const char* suffix) {
    return MString("o") + kAxisLetters[axis] + suffix;
}
MString axisBrief(int axis, const char* suffix) { return MString(kAxisLetters[axis]) + suffix; }

MStatus addNumeric(MObject& attribute, const MString& name, const MString& brief,
                   MFnNumericData::Type type, double value, const double* min, const double* max) {
    MFnNumericAttribute numeric;
    MStatus status;
    attribute = numeric.create(name, brief, type, value, &status);
    STATUS_RETURN_ON_ERROR(status, "in " + std::string(name.asChar()) + ".");
    if (min) numeric.setMin(*min);
    if (max) numeric.setMax(*max);
    numeric.setKeyable(true);
    numeric.setStorable(true);
    numeric.setReadable(true);
    numeric.setWritable(true);
    STATUS_RETURN_ON_ERROR(MPxNode::addAttribute(attribute),
                           "adding " + std::string(name.asChar()) + ".");
    return MS::kSuccess;
}

}  // namespace

zuNoise::~zuNoise() = default;

void* zuNoise::creator() { return new zuNoise; }

MStatus zuNoise::initialize() {
    MStatus status;
    MFnMatrixAttribute matrix;
    deformSpace = matrix.create("deformSpace", "dSp", MFnMatrixAttribute::kDouble, &status);
    STATUS_RETURN_ON_ERROR(status, "in deformSpace.");
    matrix.setStorable(false);
    STATUS_RETURN_ON_ERROR(addAttribute(deformSpace), "adding deformSpace.");
    for (int axis = 0; axis < 3; ++axis) {
        MFnTypedAttribute typed;
        visualisationPoints[axis] = typed.create(axisName(axis, "VisualisationPoints"),
                                                 MString("o") + kAxisLetters[axis] + "P",
                                                 MFnData::kVectorArray, MObject::kNullObj, &status);
        STATUS_RETURN_ON_ERROR(status, "in VisualisationPoints.");
        typed.setStorable(false);
        typed.setConnectable(true);
        STATUS_RETURN_ON_ERROR(addAttribute(visualisationPoints[axis]),
                               "adding VisualisationPoints.");
    }
    const double minCount = 5, maxCount = 500, minOctaves = 1, maxOctaves = 10, minSeed = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const char* letter = kAxisLetters[axis];
        status = addNumeric(length[axis], axisName(axis, "Length"), MString("o") + letter + "L",
                            MFnNumericData::kFloat, 0, nullptr, nullptr);
        if (status)
            status =
                addNumeric(pointsCount[axis], axisName(axis, "PointsCount"), axisBrief(axis, "pc"),
                           MFnNumericData::kInt, 0, &minCount, &maxCount);
        if (status)
            status = addNumeric(noiseOctaves[axis], axisName(axis, "NoiseOctaves"),
                                axisBrief(axis, "no"), MFnNumericData::kInt, 4, &minOctaves,
                                &maxOctaves);
        if (status)
            status = addNumeric(noiseSeed[axis], axisName(axis, "NoiseSeed"), axisBrief(axis, "ns"),
                                MFnNumericData::kInt, axis, &minSeed, nullptr);
        if (status)
            status = addNumeric(noiseFreq[axis], axisName(axis, "NoiseFreq"), axisBrief(axis, "nf"),
                                MFnNumericData::kFloat, 1, nullptr, nullptr);
        if (status)
            status = addNumeric(noiseAmp[axis], axisName(axis, "NoiseAmp"), axisBrief(axis, "na"),
                                MFnNumericData::kFloat, 0, nullptr, nullptr);
        if (!status) return status;
    }
    STATUS_RETURN_ON_ERROR(attributeAffects(deformSpace, outputGeom),
                           "in attributeAffects(deformSpace).");
    for (int axis = 0; axis < 3; ++axis) {
        STATUS_RETURN_ON_ERROR(attributeAffects(length[axis], visualisationPoints[axis]),
                               "in attributeAffects.");
        STATUS_RETURN_ON_ERROR(attributeAffects(pointsCount[axis], visualisationPoints[axis]),
                               "in attributeAffects.");
        for (const MObject* noise :
             {&noiseOctaves[axis], &noiseSeed[axis], &noiseFreq[axis], &noiseAmp[axis]}) {
            for (int other = 0; other < 3; ++other)
                if (other != axis)
                    STATUS_RETURN_ON_ERROR(attributeAffects(*noise, visualisationPoints[other]),
                                           "in attributeAffects.");
            STATUS_RETURN_ON_ERROR(attributeAffects(*noise, outputGeom), "in attributeAffects.");
        }
    }
    return MS::kSuccess;
}

bool zuNoise::readGenerator(MDataBlock& block, int axis, NoiseGenerator& g) {
    MStatus status;
    const int octaves = block.inputValue(noiseOctaves[axis], &status).asInt();
    STATUS_CHECK(status);
    const int seed = block.inputValue(noiseSeed[axis], &status).asInt();
    STATUS_CHECK(status);
    const float freq = block.inputValue(noiseFreq[axis], &status).asFloat();
    STATUS_CHECK(status);
    const float amp = block.inputValue(noiseAmp[axis], &status).asFloat();
    STATUS_CHECK(status);
    const MObject self = thisMObject();
    if (!checkFinite(self, noiseFreq[axis], freq) || !checkFinite(self, noiseAmp[axis], amp))
        return false;
    g.octaves = std::clamp(octaves, 1, 10);
    g.freq = freq;
    g.amp = amp;
    g.seed = unsigned(std::max(seed, 0));
    g.needsInit = true;
    prepareNoiseTables(g);
    return true;
}

MStatus zuNoise::deform(MDataBlock& block, MItGeometry& iterator, const MMatrix&, unsigned int) {
    MStatus status;
    const MMatrix space = affinePart(block.inputValue(deformSpace, &status).asMatrix());
    STATUS_CHECK(status);
    if (!finiteMatrix(space) || space.isSingular()) {
        MGlobal::displayError(MPlug(thisMObject(), deformSpace).name() +
                              ": the matrix has no inverse; the geometry is left as it is");
        return MS::kSuccess;
    }
    // Ny, Nx, Nz: the order in which the points move.
    auto generators = std::make_unique<NoiseGenerator[]>(3);
    if (!readGenerator(block, kY, generators[0]) || !readGenerator(block, kX, generators[1]) ||
        !readGenerator(block, kZ, generators[2]))
        return MS::kFailure;

    MPointArray points;
    STATUS_CHECK(iterator.allPositions(points, MSpace::kObject));
    const unsigned int count = points.length();
    if (count == 0) return MS::kSuccess;
    const unsigned long long bytes = 3ull * count * sizeof(double) + 3ull * sizeof(NoiseGenerator);
    if (!deviceMemoryFits(bytes, "zuNoise: Not enough memory on GPU")) return MS::kFailure;
    std::vector<double> coordinates(3ull * count);
    for (unsigned int i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c) coordinates[3ull * i + c] = points[i][c];
    const MStatus moved = guardedCompute("zuNoise", [&] {
        thrust::device_vector<double> devicePoints(coordinates.begin(), coordinates.end());
        thrust::device_vector<NoiseGenerator> deviceGenerators(generators.get(),
                                                               generators.get() + 3);
        launchTwoDimensional(displaceByNoise, count, 128, devicePointer(devicePoints), count,
                             devicePointer(deviceGenerators), affineOf(space.inverse()),
                             affineOf(space));
        if (!kernelLaunchSucceededOrShow("displaceByNoise")) return MStatus(MS::kFailure);
        thrust::copy(devicePoints.begin(), devicePoints.end(), coordinates.begin());
        return MStatus(MS::kSuccess);
    });
    if (!moved) return moved;
    for (unsigned int i = 0; i < count; ++i)
        points[i] =
            MPoint(coordinates[3ull * i], coordinates[3ull * i + 1], coordinates[3ull * i + 2]);
    STATUS_CHECK(iterator.setAllPositions(points, MSpace::kObject));
    return MS::kSuccess;
}

MStatus zuNoise::compute(const MPlug& plug, MDataBlock& block) {
    for (int axis = 0; axis < 3; ++axis)
        if (plug == visualisationPoints[axis]) return computeCurve(axis, plug, block);
    return MPxDeformerNode::compute(plug, block);
}

// The curve of an axis: n points (n = PointsCount within 5 to 500) at s = 0, step, 2 step, ...
// (step = Length / n) along the axis, moved by the other two axes' noises as deform moves them.
MStatus zuNoise::computeCurve(int axis, const MPlug& plug, MDataBlock& block) {
    MStatus status;
    const int n = std::clamp(block.inputValue(pointsCount[axis], &status).asInt(), 5, 500);
    STATUS_CHECK(status);
    const float curveLength = block.inputValue(length[axis], &status).asFloat();
    STATUS_CHECK(status);
    if (!checkFinite(thisMObject(), length[axis], curveLength)) return MS::kFailure;
    const float step = curveLength / float(n);
    auto generators = std::make_unique<NoiseGenerator[]>(3);
    for (int other = 0; other < 3; ++other)
        if (other != axis && !readGenerator(block, other, generators[other])) return MS::kFailure;
    NoiseGenerator &nx = generators[kX], &ny = generators[kY], &nz = generators[kZ];
    MVectorArray curve;
    for (int i = 0; i < n; ++i) {
        const float s = float(i) * step;
        float first[2], second[2];
        if (axis == kX) {
            first[0] = s, first[1] = 0;
            const float a = fractalNoise2(ny, first);
            second[0] = s, second[1] = a;
            curve.append(MVector(s, a, fractalNoise2(nz, second)));
        } else if (axis == kY) {
            first[0] = s, first[1] = 0;
            const float a = fractalNoise2(nx, first);
            second[0] = a, second[1] = s;
            curve.append(MVector(a, s, fractalNoise2(nz, second)));
        } else {
            first[0] = 0, first[1] = s;
            const float a = fractalNoise2(ny, first);
            second[0] = a, second[1] = s;
            curve.append(MVector(fractalNoise2(nx, second), a, s));
        }
    }
    MFnVectorArrayData fn;
    MObject data = fn.create(curve, &status);
    STATUS_CHECK(status);
    MDataHandle out = block.outputValue(plug, &status);
    STATUS_CHECK(status);
    out.set(data);
    block.setClean(plug);
    return MS::kSuccess;
}

MObject& zuNoise::accessoryAttribute() const { return deformSpace; }

// A transform whose matrix drives deformSpace, and below it a zuNoiseLocator that passes curve
// lengths and point counts in and draws the curves.
MStatus zuNoise::accessoryNodeSetup(MDagModifier& modifier) {
    MStatus status;
    MObject transform = modifier.createNode("transform", MObject::kNullObj, &status);
    STATUS_CHECK(status);
    MObject locator = modifier.createNode(zuNoiseLocator::id, transform, &status);
    STATUS_CHECK(status);
    MFnDependencyNode transformFn(transform);
    status =
        modifier.connect(transform, transformFn.attribute("matrix"), thisMObject(), deformSpace);
    STATUS_CHECK(status);
    const MObject self = thisMObject();
    for (int axis = 0; axis < 3; ++axis) {
        status = modifier.connect(locator, zuNoiseLocator::crvLenOut[axis], self, length[axis]);
        STATUS_CHECK(status);
        status = modifier.connect(locator, zuNoiseLocator::crvPtsCountOut[axis], self,
                                  pointsCount[axis]);
        STATUS_CHECK(status);
        status = modifier.connect(self, visualisationPoints[axis], locator,
                                  zuNoiseLocator::curvePoints[axis]);
        STATUS_CHECK(status);
    }
    return status;
}
