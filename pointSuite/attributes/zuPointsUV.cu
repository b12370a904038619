#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MItMeshPolygon.h>
#include <maya/MStringArray.h>
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
#include "pointSuite/attributes/attributeKernels.h"
#include "pointSuite/attributes/zuPointsUV.h"

const MTypeId zuPointsUV::id(0xB6);
MObject zuPointsUV::inPoints, zuPointsUV::inMesh, zuPointsUV::uvSet, zuPointsUV::outUVs;

namespace {

const char kNodeName[] = "zuPointsUV";

// The UV set that uvSet picks: false (the current set) for 0 and for a place outside the
// mesh's sets, which warns; otherwise true with its name.
MStatus chooseUVSet(MDataBlock& block, const MFnMesh& mesh, bool& named, MString& name) {
    MStatus status;
    const int index = block.inputValue(zuPointsUV::uvSet, &status).asInt();
    STATUS_RETURN_ON_ERROR(status, "getting uvSet");
    MStringArray names;
    STATUS_RETURN_ON_ERROR(mesh.getUVSetNames(names), "meshFn.getUVSetNames");
    named = false;
    // Compared unsigned: a negative place, which only a connection brings, is outside too.
    if (static_cast<unsigned int>(index) >= names.length()) {
        MGlobal::displayWarning("zuPointsUV: UV set not found, using default UV set.");
        return MS::kSuccess;
    }
    if (index > 0) named = true, name = names[static_cast<unsigned int>(index)];
    return MS::kSuccess;
}

// meshUV: U, V of the first, second and third corner of every triangle in getTriangles order,
// each corner's UV read through its first place in the polygon's vertex list. A corner without
// a UV in the set reads (0, 0).
MStatus buildTriangleUVTable(const MObject& meshObject, const MFnMesh& mesh,
                             const MString* uvSetName, std::vector<float>& meshUV) {
    MIntArray triangleCounts, triangleVertices;
    STATUS_RETURN_ON_ERROR(mesh.getTriangles(triangleCounts, triangleVertices),
                           "meshFn.getTriangles");
    unsigned long long cornerCount = 0;
    for (unsigned int p = 0; p < triangleCounts.length(); ++p)
        cornerCount += 3ull * triangleCounts[p];
    // The table is indexed by the corners the counts give; the list must hold exactly those.
    if (cornerCount != triangleVertices.length())
        STATUS_RETURN_ON_ERROR(MStatus(MS::kFailure), "meshFn.getTriangles");
    meshUV.assign(2ull * cornerCount, 0.0f);
    MStatus status;
    MItMeshPolygon polygons(meshObject, &status);
    STATUS_RETURN_ON_ERROR(status, "MItMeshPolygon");
    unsigned int corner = 0;
    MIntArray vertices;
    for (unsigned int p = 0; p < triangleCounts.length(); ++p) {
        int previous = 0;
        STATUS_RETURN_ON_ERROR(polygons.setIndex(static_cast<int>(p), previous),
                               "polyIter.setIndex");
        STATUS_RETURN_ON_ERROR(polygons.getVertices(vertices), "polyIter.getVertices");
        for (int k = 0; k < 3 * triangleCounts[p]; ++k, ++corner) {
            int j = 0;
            while (j < static_cast<int>(vertices.length()) &&
                   vertices[j] != triangleVertices[corner])
                ++j;
            if (j == static_cast<int>(vertices.length())) {
                MGlobal::displayError("zuPointsUV: UV point not found");
                return MS::kFailure;
            }
            // getUV fails, writing nothing, for a vertex without a UV: the corner keeps (0, 0).
            MFloat2 uv = {0.0f, 0.0f};
            polygons.getUV(j, uv, uvSetName);
            meshUV[2ull * corner] = uv[0];
            meshUV[2ull * corner + 1] = uv[1];
        }
    }
    return MS::kSuccess;
}

}  // namespace

__global__ void computeSampleUV(const float* meshUV, const unsigned int* samplesTriID,
                                float* sampleUV, unsigned int samplesCount) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    const float* corners = meshUV + 6ull * samplesTriID[i];
    const float u = sampleUV[2ull * i], v = sampleUV[2ull * i + 1];
    sampleUV[2ull * i] =
        corners[0] - u * corners[0] - v * corners[0] + u * corners[2] + v * corners[4];
    sampleUV[2ull * i + 1] =
        corners[1] - u * corners[1] - v * corners[1] + u * corners[3] + v * corners[5];
}

zuPointsUV::~zuPointsUV() = default;

void* zuPointsUV::creator() { return new zuPointsUV; }

MStatus zuPointsUV::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outUVs) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] { return computeUVs(plug, block); });
}

MStatus zuPointsUV::computeUVs(const MPlug& plug, MDataBlock& block) {
    MStatus status;
    MDataHandle meshHandle = block.inputValue(inMesh, &status);
    STATUS_RETURN_ON_ERROR(status, "getting inMesh");
    MFnMesh mesh(meshHandle.asMesh(), &status);
    if (!status) {
        MGlobal::displayError(MPlug(thisMObject(), inMesh).name() + ": please supply inMesh");
        STATUS_RETURN_ON_ERROR(status, "MFnMesh");
    }
    bool named = false;
    MString setName;
    status = chooseUVSet(block, mesh, named, setName);
    if (!status) return status;

    PointSetInput input(thisMObject(), inPoints);
    status = input.read(block, ": please supply points vector");
    if (!status) return status;
    const char kTriIdMissing[] = "Missing 'triID' attribute in point array";
    if (!input.requireArray("triID", MFnArrayAttrsData::kIntArray, kTriIdMissing))
        return MS::kFailure;
    const unsigned int n = input.set().getIntData("triID").length();
    PointTriangles points;
    status = readPointTriangles(input, mesh, n, kTriIdMissing,
                                "Missing 'uv' attribute in point array", true, points, "triID");
    if (!status) return status;
    // The corner UVs, the triangle of each point and its weights (overwritten by its UV).
    if (!deviceMemoryFits(24ull * points.triangleCount() + 12ull * n, "Not enough memory on GPU"))
        return MS::kFailure;
    std::vector<float> hostMeshUV;
    status =
        buildTriangleUVTable(meshHandle.asMesh(), mesh, named ? &setName : nullptr, hostMeshUV);
    if (!status) return status;

    DeviceTable<float> meshUV(std::move(hostMeshUV)), sampleUV(std::move(points.uv));
    DeviceTable<unsigned int> samplesTriID(std::move(points.triID));
    launchOneDimensional(computeSampleUV, n, const_cast<const float*>(meshUV.get()),
                         const_cast<const unsigned int*>(samplesTriID.get()), sampleUV.get(), n);
    if (!kernelLaunchSucceeded("computeSampleUV")) return MS::kFailure;

    MFnVectorArrayData output;
    MObject data;
    status = createVectorArrayData(output, data);
    if (!status) return status;
    MVectorArray uvs = output.array(&status);  // shares the data's storage
    STATUS_RETURN_ON_ERROR(status, "fnVectorArrayData.array");
    status = copyTableToVectors(sampleUV, uvs, n, 2);
    if (!status) return status;
    return setOutputData(block, outUVs, plug, data, "handle = block.outputValue(outUVs).\n",
                         "handle.set(outArray)\n");
}

MStatus zuPointsUV::initialize() {
    MStatus status = createPointSetInput(inPoints, true);
    if (!status) return status;
    if (!(status = createMeshInput(inMesh, true))) return status;
    status =
        createNumericInputs({{&uvSet, "uvSet", "uvs", MFnNumericData::kInt, 0, true, false, 0, 0}});
    if (!status) return status;
    if (!(status = createVectorArrayOutput(outUVs, "outUVs", "uv", ""))) return status;
    return addAttributes({&inPoints, &inMesh, &uvSet, &outUVs}, {&inPoints, &inMesh, &uvSet},
                         outUVs);
}
