#include "pointSuite/sets/zuPlantPoints.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <vector>

#include "common/deviceArrays.h"
#include "common/deviceLaunch.h"
#include "common/gpuServices.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "common/vectorTables.h"
#include "common/vertexColorLayers.h"
#include "pointSuite/meshNormals.h"
#include "pointSuite/sets/setFunctions.h"
#include "pointSuite/sets/setKernels.h"

const MTypeId zuPlantPoints::id(0xC5);
MObject zuPlantPoints::inPoints, zuPlantPoints::inMesh, zuPlantPoints::outPoints;

namespace {

// The vector arrays a planted point carries besides "triID", with the message when absent.
struct CarriedArray {
    const char* name;
    const char* missing;
};
const CarriedArray kCarriedArrays[] = {
    {"uv", ": Input array does not contain uv information"},
    {"rotationRGB", ": Input array does not contain rotationRGB information"},
    {"intersection", ": Input array does not contain intersection information"},
    {"distanceToEdge", ": Input array does not contain distanceToEdge information"},
};

__device__ inline Float3 float3At(const float* values, unsigned long long index) {
    return {values[3 * index], values[3 * index + 1], values[3 * index + 2]};
}

}  // namespace

__global__ void computeSamplesOnMesh(float* position, const unsigned int* samplesTriID, const float* normal,
                                     const float* uvs, const unsigned int* triIds, float* rgb,
                                     float* upVector, const float* meshPoints, const float* intersection,
                                     const float* distanceToEdge, unsigned int numSamples) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= numSamples) return;
    const unsigned long long t = samplesTriID[i];
    const Float3 corners[3] = {float3At(meshPoints, triIds[3 * t]), float3At(meshPoints, triIds[3 * t + 1]),
                               float3At(meshPoints, triIds[3 * t + 2])};
    const float u = uvs[2ull * i], v = uvs[2ull * i + 1];
    const Float3 a = corners[0], b = corners[1], c = corners[2];
    const Float3 p = {((a.x - u * a.x) - v * a.x) + u * b.x + v * c.x,
                      ((a.y - u * a.y) - v * a.y) + u * b.y + v * c.y,
                      ((a.z - u * a.z) - v * a.z) + u * b.z + v * c.z};
    float* out = position + 3ull * i;
    out[0] = p.x, out[1] = p.y, out[2] = p.z;

    const Float3 axis = (-1.0f) * float3At(normal, t);
    const float* distances = distanceToEdge + 3ull * i;
    const Float3 e = edgeDirection(p, corners, intersection + 3ull * i, distances, chooseEdge(distances));
    float* channels = rgb + 3ull * i;
    float rx = channels[0];
    const float ry = channels[1], rz = channels[2];
    Float3 edgeAim = e;
    if (rx < 0.0f) {
        rx = -rx;
        edgeAim = (-1.0f) * e;
    }
    const float turn = static_cast<float>(static_cast<double>(ry) * 6.28318530718);
    const Float3 aim = rotateAbout(axis, turn, rx * edgeAim + (1.0f - rx) * axis);
    const Float3 up = rotateAbout(axis, turn, cross(axis, e));
    const float roll = static_cast<float>(static_cast<double>(rz) * 6.28318530718);
    const Float3 rolledUp = rotateAbout(aim, roll, up);
    channels[0] = -aim.x, channels[1] = -aim.y, channels[2] = -aim.z;
    float* upOut = upVector + 3ull * i;
    upOut[0] = rolledUp.x, upOut[1] = rolledUp.y, upOut[2] = rolledUp.z;
}

zuPlantPoints::~zuPlantPoints() = default;

void* zuPlantPoints::creator() { return new zuPlantPoints; }

MStatus zuPlantPoints::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute("zuPlantPoints", [&] { return plant(plug, block); });
}

MStatus zuPlantPoints::plant(const MPlug& plug, MDataBlock& block) {
    const MObject node = thisMObject();
    MStatus status;
    MFnMesh mesh;
    if (!(status = readInputMesh(block, node, inMesh, mesh))) return status;
    PointSetInput input(node, inPoints);
    if (!(status = input.read(block, ": please supply inPoints"))) return status;
    if (!input.requireArray("triID", MFnArrayAttrsData::kIntArray,
                            ": Input array does not contain sample-triangle ID information"))
        return MS::kFailure;
    const MIntArray triID = input.set().getIntData("triID");
    const unsigned int n = triID.length();
    for (const CarriedArray& array : kCarriedArrays)
        if (!input.requireArray(array.name, MFnArrayAttrsData::kVectorArray, array.missing) ||
            !input.checkLength(array.name, input.set().getVectorData(array.name).length(), n, "triID"))
            return MS::kFailure;
    if (!deviceMemoryFits(72ull * n, "Not enough memory on GPU")) return MS::kFailure;
    std::vector<float> hostPoints;
    std::vector<unsigned int> hostCorners;
    if (!(status = readMeshPoints(mesh, hostPoints))) return status;
    if (!deviceMemoryFits(4ull * hostPoints.size(), "Not enough memory on GPU")) return MS::kFailure;
    if (!(status = readTriangleCorners(mesh, hostCorners))) return status;
    const unsigned int triangleCount = static_cast<unsigned int>(hostCorners.size() / 3);
    if (!deviceMemoryFits(4ull * hostCorners.size() + 12ull * triangleCount, "Not enough memory on GPU") ||
        !input.checkTriangleIds(triID, triangleCount))
        return MS::kFailure;

    DeviceTable<float> uvs, rgb, intersection, distanceToEdge;
    DeviceTable<float>* tables[] = {&uvs, &rgb, &intersection, &distanceToEdge};
    for (int k = 0; k < 4; ++k)
        // The set's arrays are read in place: an MVectorArray copy would copy every vector.
        if (!uploadVectorsAsFloats(input.plugName() + ": '" + kCarriedArrays[k].name + "'",
                                   input.set().getVectorData(kCarriedArrays[k].name), k == 0 ? 2 : 3, *tables[k]))
            return MS::kFailure;
    DeviceTable<unsigned int> samplesTriID(intsAsUnsigned(triID));
    DeviceTable<float> position(3ull * n), upVector(3ull * n);
    thrust::device_vector<float> meshPoints, normal(3ull * triangleCount);
    thrust::device_vector<unsigned int> corners;
    upload(hostPoints, meshPoints);
    upload(hostCorners, corners);
    launchCalculateNormalVector(devicePointer(meshPoints), devicePointer(corners), devicePointer(normal),
                                triangleCount);
    CUDA_CALL_CHECK(cudaGetLastError());
    launchTwoDimensional(computeSamplesOnMesh, n, 64, position.get(), samplesTriID.get(), devicePointer(normal),
                         uvs.get(), devicePointer(corners), rgb.get(), upVector.get(), devicePointer(meshPoints),
                         intersection.get(), distanceToEdge.get(), n);
    CUDA_CALL_CHECK(cudaGetLastError());

    MFnArrayAttrsData output;
    MObject data;
    status = createPassThroughSet(input.set(),
                                  {{"position", MFnArrayAttrsData::kVectorArray},
                                   {"aimDirection", MFnArrayAttrsData::kVectorArray},
                                   {"aimWorldUp", MFnArrayAttrsData::kVectorArray}},
                                  output, data);
    if (!status) return status;
    if (!(status = storeVectorTable(output, "position", position, n)) ||
        !(status = storeVectorTable(output, "aimDirection", rgb, n)) ||
        !(status = storeVectorTable(output, "aimWorldUp", upVector, n)))
        return status;
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPlantPoints::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints);
    if (!status) return status;
    if (!(status = createMeshInput(inMesh))) return status;
    return addAttributes({&inPoints, &inMesh, &outPoints}, {&inPoints, &inMesh}, outPoints);
}
