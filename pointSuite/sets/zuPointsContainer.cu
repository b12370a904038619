#include "pointSuite/sets/zuPointsContainer.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MMatrix.h>
#include <maya/MStringArray.h>

#include <cmath>
#include <iostream>
#include <vector>

#include "common/arrayCopy.h"
#include "common/deviceArrays.h"
#include "common/deviceLaunch.h"
#include "common/gpuServices.h"
#include "common/inputChecks.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "common/vectorTables.h"
#include "pointSuite/sets/setFunctions.h"
#include "pointSuite/sets/setKernels.h"

const MTypeId zuPointsContainer::id(0xC0);
MObject zuPointsContainer::inPoints, zuPointsContainer::type, zuPointsContainer::inWorldMatrix,
    zuPointsContainer::fallof, zuPointsContainer::outPoints;

namespace {

// The inverse of the world matrix as the kernel reads it, column by column
// (matrix[4c + r] = inverse[r][c]); false with a message for a matrix without finite entries,
// without an inverse, or whose inverse's last column sums to 0 (every point would be divided
// by 0).
bool localMatrix(const MPlug& plug, const MMatrix& world, float matrix[16]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(world(r, c))) {
                MGlobal::displayError(plug.name() + ": every entry must be finite");
                return false;
            }
    if (world.isSingular()) {
        MGlobal::displayError(plug.name() + ": the matrix has no inverse");
        return false;
    }
    const MMatrix inverse = world.inverse();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            matrix[4 * c + r] = static_cast<float>(inverse(r, c));
            if (!std::isfinite(matrix[4 * c + r])) {
                MGlobal::displayError(plug.name() + ": the inverse is beyond the float range");
                return false;
            }
        }
    if (matrix[12] + matrix[13] + matrix[14] + matrix[15] == 0.0f) {
        MGlobal::displayError(plug.name() + ": the inverse's last column sums to 0");
        return false;
    }
    return true;
}

}  // namespace

__global__ void computePointInclusion(const float* points, float* contained, const float* matrix,
                                      unsigned short containerType, float fallof,
                                      unsigned int samplesCount) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    const float* p = points + 3ull * i;
    const float x = p[0], y = p[1], z = p[2];
    const float* m = matrix;
    const float w = m[12] + m[13] + m[14] + m[15];
    const float lx = (m[0] * x + m[1] * y + m[2] * z + m[3]) / w;
    const float ly = (m[4] * x + m[5] * y + m[6] * z + m[7]) / w;
    const float lz = (m[8] * x + m[9] * y + m[10] * z + m[11]) / w;
    const float weight = containerWeight(lx, ly, lz, containerType, fallof);
    if (weight != 0.0f) contained[i] = weight;
}

zuPointsContainer::~zuPointsContainer() = default;

void* zuPointsContainer::creator() { return new zuPointsContainer; }

MStatus zuPointsContainer::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute("zuPointsContainer", [&] { return contain(plug, block); });
}

MStatus zuPointsContainer::contain(const MPlug& plug, MDataBlock& block) {
    const MObject node = thisMObject();
    PointSetInput input(node, inPoints);
    MStatus status = input.read(block, ": please supply inPoints");
    if (!status) return status;
    if (!input.requireArray("position", MFnArrayAttrsData::kVectorArray,
                            ": Input array does not contain position information"))
        return MS::kFailure;
    const MVectorArray position = input.set().getVectorData("position");
    const unsigned int n = position.length();
    if (!input.checkAllLengths(n, "position")) return MS::kFailure;
    if (!deviceMemoryFits(16ull * n, "zuPointsContainer: Not enough memory on GPU for data")) return MS::kFailure;
    float hostMatrix[16];
    if (!localMatrix(MPlug(node, inWorldMatrix), block.inputValue(inWorldMatrix).asMatrix(), hostMatrix))
        return MS::kFailure;
    const unsigned short containerType = static_cast<unsigned short>(block.inputValue(type).asInt());
    float band = block.inputValue(fallof).asFloat();
    if (!clampFinite(node, fallof, 0.0f, 1.0f, band)) return MS::kFailure;

    DeviceTable<float> points;
    if (!uploadVectorsAsFloats(input.plugName() + ": 'position'", position, 3, points)) return MS::kFailure;
    thrust::device_vector<float> contained(n, 0.0f);
    const thrust::device_vector<float> matrix(hostMatrix, hostMatrix + 16);
    launchOneDimensional(computePointInclusion, n, points.get(), devicePointer(contained), devicePointer(matrix),
                         containerType, band, n);
    if (!kernelLaunchSucceededOrShow("computePointInclusion")) return MS::kFailure;
    std::vector<float> weights;
    download(contained, weights);

    MFnArrayAttrsData output;
    MObject data = output.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    MStringArray skipped;
    skipped.append("fallof");
    copyArraysByWeight(output, input.set(), skipped, weights);
    MDoubleArray kept = output.doubleArray("fallof", &status);
    if (!status) {
        std::cerr << status.errorString() << std::endl;
        return status;
    }
    kept.clear();
    for (float w : weights)
        if (static_cast<double>(w) > 0.0) kept.append(w);
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsContainer::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints);
    if (!status) return status;
    MFnNumericAttribute numeric;
    type = numeric.create("type", "t", MFnNumericData::kInt, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in type.\n");
    numeric.setKeyable(true);
    numeric.setMin(0.0);
    numeric.setMax(1.0);
    MFnMatrixAttribute matrix;
    inWorldMatrix = matrix.create("inWorldMatrix", "iwm", MFnMatrixAttribute::kDouble, &status);
    STATUS_RETURN_ON_ERROR(status, "in inWorldMatrix.\n");
    matrix.setStorable(false);
    fallof = numeric.create("fallof", "f", MFnNumericData::kFloat, 0.0, &status);
    STATUS_RETURN_ON_ERROR(status, "in fallof.\n");
    numeric.setKeyable(true);
    numeric.setMin(0.0);
    numeric.setMax(1.0);
    return addAttributes({&inPoints, &type, &inWorldMatrix, &fallof, &outPoints},
                         {&inPoints, &type, &inWorldMatrix, &fallof}, outPoints);
}
