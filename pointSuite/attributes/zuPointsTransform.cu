#include "pointSuite/attributes/zuPointsTransform.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MMatrix.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <vector>

#include "common/deviceArrays.h"
#include "common/gpuServices.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "common/vectorTables.h"
#include "pointSuite/attributes/attributeKernels.h"
#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"

const MTypeId zuPointsTransform::id(0xC8);
MObject zuPointsTransform::inPoints, zuPointsTransform::inWorldMatrix, zuPointsTransform::outPoints;

namespace {

const char kNodeName[] = "zuPointsTransform";
const char* const kAimArrays[] = {"aimDirection", "aimPosition", "aimAxis", "aimUpAxis", "aimWorldUp"};

// The matrix as the kernel takes it (transposed), or false with a message when it has an entry
// that is not finite or its last column sums to 0 (every result would be divided by 0).
bool deviceMatrix(const MPlug& plug, const MMatrix& m, float matrix[16]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            matrix[4 * r + c] = static_cast<float>(m(c, r));
            if (!std::isfinite(matrix[4 * r + c])) {
                MGlobal::displayError(plug.name() + ": every entry must be a finite float");
                return false;
            }
        }
    const float w = matrix[15] + (matrix[14] + (matrix[12] + matrix[13]));
    if (w == 0.0f || !std::isfinite(w)) {
        MGlobal::displayError(plug.name() + ": the last column must not sum to 0");
        return false;
    }
    return true;
}

// Transforms one vector array on the device and stores it in the output.
// A result beyond the float range is refused with the output plug's name.
MStatus transformArray(const char* name, const MVectorArray& values, const MString& plugName,
                       const thrust::device_vector<float>& matrix, bool translate, const MString& outputName,
                       MFnArrayAttrsData& output) {
    DeviceTable<float> buffer;
    if (!uploadVectorsAsFloats(plugName + ": '" + name + "'", values, 3, buffer)) return MS::kFailure;
    const unsigned int n = values.length();
    launchOneDimensional(transformPoints, n, buffer.get(), devicePointer(matrix), translate, n);
    if (!kernelLaunchSucceededOrShow("transformPoints")) return MS::kFailure;
    return storeVectorTable(output, name, buffer, n, 3, outputName);
}

}  // namespace

__global__ void transformPoints(float* points, const float* matrix, bool translate,
                                unsigned int samplesCount) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    float* p = points + 3ull * i;
    const float x = p[0], y = p[1], z = p[2];
    float tx = (matrix[0] * x + matrix[1] * y) + matrix[2] * z;
    float ty = (matrix[4] * x + matrix[5] * y) + matrix[6] * z;
    float tz = (matrix[8] * x + matrix[9] * y) + matrix[10] * z;
    if (translate) tx += matrix[3], ty += matrix[7], tz += matrix[11];
    const float w = matrix[15] + (matrix[14] + (matrix[12] + matrix[13]));
    p[0] = tx / w, p[1] = ty / w, p[2] = tz / w;
}

zuPointsTransform::~zuPointsTransform() = default;

void* zuPointsTransform::creator() { return new zuPointsTransform; }

MStatus zuPointsTransform::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] { return transform(plug, block); });
}

MStatus zuPointsTransform::transform(const MPlug& plug, MDataBlock& block) {
    PointSetInput input(thisMObject(), inPoints);
    MStatus status = input.read(block, ": please supply inPoints");
    if (!status) return status;
    if (!input.requireArray("position", MFnArrayAttrsData::kVectorArray, ": Points position missing"))
        return MS::kFailure;
    const MVectorArray position = input.set().getVectorData("position");
    const unsigned int n = position.length();
    // Every aim array is checked before any device work, so a refusal leaves nothing half done.
    for (const char* name : kAimArrays) {
        MFnArrayAttrsData::Type kind;
        if (!input.set().checkArrayExist(name, kind)) continue;
        if (kind != MFnArrayAttrsData::kVectorArray) {
            input.show(MString(": wrong '") + name + "' attribute type");
            return MS::kFailure;
        }
        if (input.set().getVectorData(name).length() != n) {
            input.show(MString(": wrong '") + name + "' attribute array length");
            return MS::kFailure;
        }
    }

    MDataHandle matrixHandle = block.inputValue(inWorldMatrix, &status);
    STATUS_RETURN_ON_ERROR(status, "handle = block.inputValue( inWorldMatrix );");
    float hostMatrix[16];
    if (!deviceMatrix(MPlug(thisMObject(), inWorldMatrix), matrixHandle.asMatrix(), hostMatrix))
        return MS::kFailure;
    // The matrix and one array's floats (one array at a time), with its doubles on the way.
    if (!deviceMemoryFits(64ull + 36ull * n, "zuPointsTransform: Not enough memory on GPU"))
        return MS::kFailure;
    const thrust::device_vector<float> matrix(hostMatrix, hostMatrix + 16);

    MStringArray aimNames;
    for (const char* name : kAimArrays) aimNames.append(name);
    MFnArrayAttrsData output;
    MObject data;
    status = createPassThroughSet(input.set(), {{"position", MFnArrayAttrsData::kVectorArray}},
                                  output, data, aimNames);
    if (!status) return status;
    status = transformArray("position", position, input.plugName(), matrix, true, plug.name(), output);
    if (!status) return status;
    for (const char* name : kAimArrays) {
        if (!input.has(name, MFnArrayAttrsData::kVectorArray)) continue;
        status = transformArray(name, input.set().getVectorData(name), input.plugName(), matrix,
                                false, plug.name(), output);
        if (!status) return status;
    }
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsTransform::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints);
    if (!status) return status;
    MFnMatrixAttribute matrix;
    inWorldMatrix = matrix.create("inWorldMatrix", "iwm", MFnMatrixAttribute::kDouble, &status);
    STATUS_RETURN_ON_ERROR(status, "in inWorldMatrix.\n");
    matrix.setStorable(false);
    return addAttributes({&inPoints, &inWorldMatrix, &outPoints}, {&inPoints, &inWorldMatrix},
                         outPoints);
}
