#include "pointSuite/attributes/zuPointsObjectId.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <thrust/scan.h>

#include <cmath>
#include <vector>

#include "common/deviceArrays.h"
#include "common/gpuServices.h"
#include "common/inputChecks.h"
#include "common/meshLayers.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "common/vertexColorLayers.h"
#include "pointSuite/attributes/attributeKernels.h"
#include "pointSuite/attributes/layerSampling.h"
#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"

const MTypeId zuPointsObjectId::id(0xB8);
MObject zuPointsObjectId::inPoints, zuPointsObjectId::outPoints, zuPointsObjectId::inMesh,
    zuPointsObjectId::baseId, zuPointsObjectId::seed;
MObject zuPointsObjectId::randomId, zuPointsObjectId::randomIdVal, zuPointsObjectId::randomIdProbability;
MObject zuPointsObjectId::vertexColor, zuPointsObjectId::vertexColorId1, zuPointsObjectId::vertexColorId2,
    zuPointsObjectId::vertexColorId3;
MObject zuPointsObjectId::inColor, zuPointsObjectId::inColorIds;

namespace {

const char kNodeName[] = "zuPointsObjectId";
constexpr unsigned int kRandomTableSize = 10000;

// The randomId candidates in stored order, negative weights raised to 0.
struct Candidates {
    std::vector<unsigned int> ids;
    std::vector<float> weights;
};

MStatus readCandidates(MDataBlock& block, const MString& nodeName, DeviceMemoryTally& memory,
                       Candidates& candidates) {
    MStatus status;
    MArrayDataHandle array = block.inputArrayValue(zuPointsObjectId::randomId, &status);
    STATUS_RETURN_ON_ERROR(status, "block.inputArrayValue(randomId)");
    const unsigned int count = array.elementCount(&status);
    STATUS_RETURN_ON_ERROR(status, "randomCount = randomDataHandle.elementCount");
    if (!memory.fits(8ull * count, "Not enough memory on GPU for random input data")) return MS::kFailure;
    double total = 0;
    status = forEachArrayElement(block, zuPointsObjectId::randomId, count, [&](unsigned int k, MDataHandle& element) {
        const int value = element.child(zuPointsObjectId::randomIdVal).asInt();
        const float weight = element.child(zuPointsObjectId::randomIdProbability).asFloat();
        const MString lead = nodeName + ".randomId[" + static_cast<int>(k) + "].";
        if (!checkNonNegative(lead + "randomIdVal", value) || !checkFinite(lead + "randomIdProbability", weight))
            return MStatus(MS::kFailure);
        candidates.ids.push_back(static_cast<unsigned int>(value));
        candidates.weights.push_back(weight < 0 ? 0.0f : weight);
        total += candidates.weights.back();
        return MStatus(MS::kSuccess);
    });
    if (!status) return status;
    if (!(total <= 3.0e38)) {
        MGlobal::displayError(nodeName + ".randomId: the weights sum beyond the float range");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

MStatus readLayerIds(MDataBlock& block, const MString& nodeName, unsigned int count, std::vector<unsigned int>& rgbId) {
    return forEachArrayElement(block, zuPointsObjectId::vertexColor, count, [&](unsigned int l, MDataHandle& element) {
        const MString lead = nodeName + ".vertexColor[" + static_cast<int>(l) + "].vertexColorId";
        int channel = 0;
        for (const MObject* child : {&zuPointsObjectId::vertexColorId1, &zuPointsObjectId::vertexColorId2,
                                     &zuPointsObjectId::vertexColorId3}) {
            const int id = element.child(*child).asInt();
            if (!checkNonNegative(lead + (++channel), id)) return MStatus(MS::kFailure);
            rgbId.push_back(static_cast<unsigned int>(id));
        }
        return MStatus(MS::kSuccess);
    });
}

// The index of the channel a draw q picks from sums: red while q is within R, green within
// R + G, else blue.
__device__ inline unsigned int pickChannel(float red, float redGreen, float q) {
    return red >= q ? 0u : (redGreen >= q ? 1u : 2u);
}

}  // namespace

__global__ void computePointId(unsigned int* id, unsigned int baseId, const unsigned int* randomIndex,
                               const float* probability, unsigned int randomInputCount,
                               float totalProbabilityFactor, unsigned short layersCount,
                               const float* colors, const unsigned int* rgbId,
                               unsigned int meshPointsCount, const unsigned int* triIds,
                               const float* uvs, const unsigned int* samplesTriID, bool hasColor,
                               const float* inColor, unsigned int idRed, unsigned int idGreen,
                               unsigned int idBlue, const float* randomNumbers,
                               unsigned int randomsNumber, unsigned int samplesCount) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    unsigned int result = baseId;
    if (randomInputCount != 0 && totalProbabilityFactor > 0.0f) {
        const float draw = randomNumbers[i % randomsNumber];
        result = randomInputCount == 1
                     ? randomIndex[0]
                     : randomIndex[getTriIndex(probability, randomInputCount, totalProbabilityFactor, draw)];
    }
    if (layersCount > 0) {
        const TriangleCorners t = triangleCorners(triIds, samplesTriID[i]);
        const float u = uvs[2ull * i], v = uvs[2ull * i + 1];
        for (unsigned short l = 0; l < layersCount; ++l) {
            const CornerColors c = cornerColors(colors, l, meshPointsCount, t);
            const float alpha = blendedAlpha(c, CornerBlend::fromFirstCorner, u, v);
            if (alpha < 0.0001f) continue;
            if (alpha < 0.999999f && randomNumbers[(i + 2) % randomsNumber] > alpha) continue;
            const float r = blendedChannel(c, 0, CornerBlend::fromFirstCorner, u, v);
            const float g = blendedChannel(c, 1, CornerBlend::fromFirstCorner, u, v);
            const float b = blendedChannel(c, 2, CornerBlend::fromFirstCorner, u, v);
            const float sum = (r + g) + b;
            if (sum < 0.0001f) continue;
            const unsigned int channel = pickChannel(r, r + g, randomNumbers[i % randomsNumber] * sum);
            const float value = channel == 0 ? r : (channel == 1 ? g : b);
            if (randomNumbers[(i + 1) % randomsNumber] <= value) result = rgbId[3u * l + channel];
        }
    }
    if (hasColor) {
        const float* c = inColor + 3ull * i;
        const float r = clampTo(c[0], 0.0f, 1.0f), g = clampTo(c[1], 0.0f, 1.0f), b = clampTo(c[2], 0.0f, 1.0f);
        const float sum = (g + r) + b;
        if (sum > 0.000001f) {
            const float q = randomNumbers[i % randomsNumber] * sum;
            const unsigned int channel = q <= r ? 0u : (g + r >= q ? 1u : 2u);
            const float value = channel == 0 ? r : (channel == 1 ? g : b);
            if (randomNumbers[(i + 1) % randomsNumber] <= value)
                result = channel == 0 ? idRed : (channel == 1 ? idGreen : idBlue);
        }
    }
    id[i] = result;
}

zuPointsObjectId::~zuPointsObjectId() = default;

void* zuPointsObjectId::creator() { return new zuPointsObjectId; }

MStatus zuPointsObjectId::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] { return computeIds(plug, block); });
}

MStatus zuPointsObjectId::computeIds(const MPlug& plug, MDataBlock& block) {
    PointSetInput input(thisMObject(), inPoints);
    MStatus status = input.read(block, ": missing inPoints");
    if (!status) return status;
    if (!input.requireArray("position", MFnArrayAttrsData::kVectorArray, ": 'position' vectorArray missing"))
        return MS::kFailure;
    const unsigned int n = input.set().getVectorData("position").length();
    const MString nodeName = MFnDependencyNode(thisMObject()).name();
    const int base = block.inputValue(baseId, &status).asInt();
    STATUS_RETURN_ON_ERROR(status, "handle = block.inputValue( baseId )");
    const int seedValue = block.inputValue(seed).asInt();
    if (!checkNonNegative(thisMObject(), baseId, base) || !checkNonNegative(thisMObject(), seed, seedValue))
        return MS::kFailure;
    Candidates candidates;
    DeviceMemoryTally memory;
    status = readCandidates(block, nodeName, memory, candidates);
    if (!status) return status;

    MeshLayers mesh;
    std::vector<unsigned int> rgbId;
    const MeshLayerRules rules{inMesh, vertexColor, "vertexColor", "zuPointsObjectId: Points UV missing", false,
                               MColor(0, 0, 0, 0), kNodeName, 12, true};
    status = readMeshLayers(block, thisMObject(), input, n, rules, [&](unsigned int count) {
        return readLayerIds(block, nodeName, count, rgbId);
    }, memory, mesh);
    if (!status) return status;
    VertexColorLayers& layers = mesh.layers;
    PointTriangles& triangles = mesh.triangles;
    bool hasColor = false;
    std::vector<float> hostColor;
    if (!readPerPointColor(block, thisMObject(), inColor, n, hasColor, hostColor)) return MS::kFailure;
    MDataHandle colorIdsHandle = block.inputValue(inColorIds);
    const int* colorIdsView = colorIdsHandle.asInt3();  // valid while the handle lives
    const int colorIds[3] = {colorIdsView[0], colorIdsView[1], colorIdsView[2]};
    const bool drawsRandoms = layers.count > 0 || !candidates.ids.empty() || hasColor;
    const unsigned int randomCount = drawsRandoms ? kRandomTableSize : 0;
    // The colours, the output and the random table.
    if (!memory.fits((hasColor ? 12ull * n : 0) + 4ull * n, "Not enough memory on GPU") ||
        !memory.fits(4ull * randomCount, "Not enough memory on GPU for random data"))
        return MS::kFailure;

    thrust::device_vector<unsigned int> randomIndex, deviceRgbId, corners;
    thrust::device_vector<float> probability, colors, randoms;
    DeviceTable<unsigned int> ids(n), triID(std::move(triangles.triID));
    DeviceTable<float> uvs(std::move(triangles.uv)), color(std::move(hostColor));
    upload(candidates.ids, randomIndex);
    upload(candidates.weights, probability);
    thrust::inclusive_scan(probability.begin(), probability.end(), probability.begin());
    const float total = probability.empty() ? 0.0f : static_cast<float>(probability.back());
    upload(rgbId, deviceRgbId);
    upload(layers.colors, colors);
    upload(triangles.corners, corners);
    status = makeRandomTable(static_cast<unsigned int>(seedValue), randomCount, randoms);
    if (!status) return status;
    launchOneDimensional(computePointId, n, ids.get(), static_cast<unsigned int>(base), devicePointer(randomIndex),
                         devicePointer(probability), static_cast<unsigned int>(candidates.ids.size()), total,
                         layers.count, devicePointer(colors), devicePointer(deviceRgbId), layers.vertexCount,
                         devicePointer(corners), uvs.get(), triID.get(), hasColor,
                         color.get(), static_cast<unsigned int>(colorIds[0]),
                         static_cast<unsigned int>(colorIds[1]), static_cast<unsigned int>(colorIds[2]),
                         devicePointer(randoms), randomCount, n);
    if (!kernelLaunchSucceeded("computePointId")) return MS::kFailure;
    std::vector<unsigned int> scratch;
    const unsigned int* hostIds = ids.hostValues(scratch);

    MFnArrayAttrsData output;
    MObject data;
    status = createPassThroughSet(input.set(), {{"objectIndex", MFnArrayAttrsData::kIntArray}}, output, data);
    if (!status) return status;
    status = storeInts(output, "objectIndex", hostIds, n);
    if (!status) return status;
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsObjectId::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints, true);
    if (!status) return status;
    if (!(status = createMeshInput(inMesh, true))) return status;
    using T = MFnNumericData;
    status = createNumericInputs({
        {&baseId, "baseId", "bid", T::kInt, 0, true, false, 0, 0},
        {&seed, "seed", "s", T::kInt, 0, true, false, 0, 0},
        {&randomIdVal, "randomIdVal", "ridv", T::kInt, 0, true, false, 0, 0},
        {&randomIdProbability, "randomIdProbability", "ridp", T::kFloat, 1.0, true, false, 0, 0},
        {&vertexColorId1, "vertexColorId1", "vci1", T::kInt, 0, true, false, 0, 0},
        {&vertexColorId2, "vertexColorId2", "vci2", T::kInt, 0, true, false, 0, 0},
        {&vertexColorId3, "vertexColorId3", "vci3", T::kInt, 0, true, false, 0, 0},
        {&inColorIds, "inColorIds", "ici", T::k3Int, 0},
    });
    if (!status) return status;
    status = createCompoundArray(randomId, "randomId", "rid", {&randomIdVal, &randomIdProbability}, false);
    if (!status) return status;
    status = createCompoundArray(vertexColor, "vertexColor", "vc", {&vertexColorId1, &vertexColorId2, &vertexColorId3},
                                 false);
    if (!status) return status;
    if (!(status = createVectorArrayInput(inColor, "inColor", "ic"))) return status;
    return addAttributes({&inPoints, &outPoints, &inMesh, &baseId, &seed, &randomId, &vertexColor, &inColor,
                          &inColorIds},
                         {&inPoints, &inMesh, &baseId, &seed, &randomId, &vertexColor, &inColor, &inColorIds},
                         outPoints);
}
