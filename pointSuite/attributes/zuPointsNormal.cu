#include "pointSuite/attributes/zuPointsNormal.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>

#include <vector>

#include "common/deviceArrays.h"
#include "common/gpuServices.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "common/vertexColorLayers.h"
#include "pointSuite/meshNormals.h"

const MTypeId zuPointsNormal::id(0xC1);
MObject zuPointsNormal::inPoints, zuPointsNormal::inMesh, zuPointsNormal::outPoints;

namespace {

const char kNodeName[] = "zuPointsNormal";

// normals[3i..3i+2] = the face normal of point i's triangle (all indices checked).
std::vector<float> normalsOfPoints(const std::vector<float>& faceNormals, const MIntArray& triID) {
    std::vector<float> normals(3ull * triID.length());
    for (unsigned int i = 0; i < triID.length(); ++i) {
        const float* n = faceNormals.data() + 3ull * static_cast<unsigned int>(triID[i]);
        normals[3ull * i] = n[0], normals[3ull * i + 1] = n[1], normals[3ull * i + 2] = n[2];
    }
    return normals;
}

}  // namespace

zuPointsNormal::~zuPointsNormal() = default;

void* zuPointsNormal::creator() { return new zuPointsNormal; }

MStatus zuPointsNormal::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] { return computeNormals(plug, block); });
}

MStatus zuPointsNormal::computeNormals(const MPlug& plug, MDataBlock& block) {
    MStatus status;
    MFnMesh mesh;
    if (!(status = readInputMesh(block, thisMObject(), inMesh, mesh))) return status;
    PointSetInput input(thisMObject(), inPoints);
    status = input.read(block, ": please supply inPoints");
    if (!status) return status;
    if (!input.requireArray("triID", MFnArrayAttrsData::kIntArray,
                            ": Input array does not contain sample-triangle ID information"))
        return MS::kFailure;
    const MIntArray triID = input.set().getIntData("triID");

    std::vector<float> points;
    std::vector<unsigned int> corners;
    status = readMeshPoints(mesh, points);
    if (!status) return status;
    status = readTriangleCorners(mesh, corners);
    if (!status) return status;
    const unsigned int triangleCount = static_cast<unsigned int>(corners.size() / 3);
    if (firstTriangleOutOfRange(triID, triangleCount) >= 0) {
        MGlobal::displayError("zuPointsNormal: sample triId out of range, probably wrong inMesh input");
        return MS::kFailure;
    }
    // The points, the corner list and a normal per triangle.
    const unsigned long long bytes = 4ull * points.size() + 4ull * corners.size() + 12ull * triangleCount;
    if (!deviceMemoryFits(bytes, "zuPointsNormal: Not enough memory on GPU")) return MS::kFailure;
    thrust::device_vector<float> devicePoints, faceNormals(3ull * triangleCount);
    thrust::device_vector<unsigned int> deviceCorners;
    upload(points, devicePoints);
    upload(corners, deviceCorners);
    launchCalculateNormalVector(devicePointer(devicePoints), devicePointer(deviceCorners),
                                devicePointer(faceNormals), triangleCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    std::vector<float> hostNormals;
    download(faceNormals, hostNormals);

    MFnArrayAttrsData output;
    MObject data;
    status = createPassThroughSet(input.set(), {{"normal", MFnArrayAttrsData::kVectorArray}}, output, data);
    if (!status) return status;
    const std::vector<float> normals = normalsOfPoints(hostNormals, triID);
    status = storeVectors(output, "normal", normals.data(), triID.length(), 3, plug.name());
    if (!status) return status;
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsNormal::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints);
    if (!status) return status;
    status = createMeshInput(inMesh);
    if (!status) return status;
    return addAttributes({&inPoints, &inMesh, &outPoints}, {&inPoints, &inMesh}, outPoints);
}
