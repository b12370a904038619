#include "pointSuite/attributes/zuPointsScale.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MGlobal.h>

#include <vector>

#include "common/deviceArrays.h"
#include "common/gpuServices.h"
#include "common/inputChecks.h"
#include "common/meshLayers.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "common/vectorTables.h"
#include "common/vertexColorLayers.h"
#include "pointSuite/attributes/attributeKernels.h"
#include "pointSuite/attributes/layerSampling.h"
#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"

const MTypeId zuPointsScale::id(0xB7);
MObject zuPointsScale::inPoints, zuPointsScale::outPoints, zuPointsScale::inMesh;
MObject zuPointsScale::uniform, zuPointsScale::scaleX, zuPointsScale::scaleY, zuPointsScale::scaleZ,
    zuPointsScale::seed;
MObject zuPointsScale::scaleRandomX, zuPointsScale::scaleRandomY, zuPointsScale::scaleRandomZ;
MObject zuPointsScale::inColorFactor, zuPointsScale::inColor;
MObject zuPointsScale::vertexColor, zuPointsScale::vertexColorType, zuPointsScale::vertexColorFactor,
    zuPointsScale::vertexColorWeight;

namespace {

const char kNodeName[] = "zuPointsScale";
constexpr unsigned int kRandomTableSize = 1000;

struct ScaleSettings {
    bool uniform = true;
    float scale[3] = {1, 1, 1};
    float spread[3] = {0, 0, 0};
    float inColorFactor = 1;
    unsigned int seed = 0;

    bool isRandom() const { return spread[0] != 0 || spread[1] != 0 || spread[2] != 0; }
};

MStatus readSettings(MDataBlock& block, const MObject& node, ScaleSettings& settings) {
    MStatus status;
    settings.uniform = block.inputValue(zuPointsScale::uniform, &status).asBool();
    STATUS_RETURN_ON_ERROR(status, "handle = block.inputValue( uniform );");
    const MObject* scales[] = {&zuPointsScale::scaleX, &zuPointsScale::scaleY, &zuPointsScale::scaleZ};
    const MObject* spreads[] = {&zuPointsScale::scaleRandomX, &zuPointsScale::scaleRandomY,
                                &zuPointsScale::scaleRandomZ};
    for (int k = 0; k < 3; ++k) {
        settings.scale[k] = block.inputValue(*scales[k]).asFloat();
        settings.spread[k] = block.inputValue(*spreads[k]).asFloat();
        if (!checkFinite(node, *scales[k], settings.scale[k]) ||
            !checkFinite(node, *spreads[k], settings.spread[k]))
            return MS::kFailure;
    }
    settings.inColorFactor = block.inputValue(zuPointsScale::inColorFactor, &status).asFloat();
    STATUS_RETURN_ON_ERROR(status, "handle = block.inputValue( inColorFactor, &status );");
    if (!clampFinite(node, zuPointsScale::inColorFactor, 0, 1, settings.inColorFactor))
        return MS::kFailure;
    const int seed = block.inputValue(zuPointsScale::seed).asInt();
    if (!checkNonNegative(node, zuPointsScale::seed, seed)) return MS::kFailure;
    settings.seed = static_cast<unsigned int>(seed);
    return MS::kSuccess;
}

}  // namespace

__global__ void computeScale(float* scale, bool uniform, float scaleX, float scaleY, float scaleZ,
                             bool hasColor, float inColorFactor, const float* inColor,
                             unsigned short layersCount, const float* colors, const float* weights,
                             const short* layerTypes, const float* factors,
                             unsigned int meshPointsCount, const unsigned int* triIds,
                             const float* uvs, const unsigned int* samplesTriID, bool isRandom,
                             const float* randomNumbers, unsigned int randomsNumber,
                             float scaleRandomX, float scaleRandomY, float scaleRandomZ,
                             unsigned int samplesCount) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    float mx = 1.0f, my = 1.0f, mz = 1.0f;
    if (hasColor) {
        const float k = inColorFactor;
        const float* c = inColor + 3ull * i;
        mx = k * c[0] + (1.0f - k);
        if (!uniform) my = k * c[1] + (1.0f - k), mz = k * c[2] + (1.0f - k);
    }
    float ax = 0.0f, ay = 0.0f, az = 0.0f;
    if (layersCount > 0) {
        const TriangleCorners t = triangleCorners(triIds, samplesTriID[i]);
        const float u = uvs[2ull * i], v = uvs[2ull * i + 1];
        for (unsigned short l = 0; l < layersCount; ++l) {
            if (weights[l] == 0.0f) continue;
            const CornerColors c = cornerColors(colors, l, meshPointsCount, t);
            const float alpha = blendedAlpha(c, CornerBlend::fromFirstCorner, u, v);
            if (alpha == 0.0f) continue;
            const float r = blendedChannel(c, 0, CornerBlend::fromFirstCorner, u, v);
            const float g = blendedChannel(c, 1, CornerBlend::fromFirstCorner, u, v);
            const float b = blendedChannel(c, 2, CornerBlend::fromFirstCorner, u, v);
            if (layerTypes[l] == 0) {
                const float s = alpha * weights[l];
                mx = mx * (1.0f - s) + s * r;
                if (!uniform) my = my * (1.0f - s) + s * g, mz = mz * (1.0f - s) + s * b;
            } else if (layerTypes[l] == 1) {
                const float s = weights[l] * factors[l] * alpha;
                ax += s * r;
                if (!uniform) ay += s * g, az += s * b;
            }
        }
    }
    float x = scaleX * mx + ax;
    if (isRandom) x = (randomNumbers[i % randomsNumber] * scaleRandomX + scaleX * mx) + ax;
    float* out = scale + 3ull * i;
    if (uniform) {
        out[0] = out[1] = out[2] = x;
        return;
    }
    float y = scaleY * my + ay, z = scaleZ * mz + az;
    if (isRandom) {
        y = (randomNumbers[(i + 1) % randomsNumber] * scaleRandomY + scaleY * my) + ay;
        z = (randomNumbers[(i + 2) % randomsNumber] * scaleRandomZ + scaleZ * mz) + az;
    }
    out[0] = x, out[1] = y, out[2] = z;
}

zuPointsScale::~zuPointsScale() = default;

void* zuPointsScale::creator() { return new zuPointsScale; }

MStatus zuPointsScale::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] { return computeScales(plug, block); });
}

MStatus zuPointsScale::computeScales(const MPlug& plug, MDataBlock& block) {
    PointSetInput input(thisMObject(), inPoints);
    MStatus status = input.read(block, ": please supply points vector");
    if (!status) return status;
    if (!input.requireArray("position", MFnArrayAttrsData::kVectorArray, ": 'position' vector missing"))
        return MS::kFailure;
    const unsigned int n = input.set().getVectorData("position").length();
    ScaleSettings settings;
    status = readSettings(block, thisMObject(), settings);
    if (!status) return status;

    bool hasColor = false;
    std::vector<float> hostColor;
    if (settings.inColorFactor > 0 &&
        !readPerPointColor(block, thisMObject(), inColor, n, hasColor, hostColor))
        return MS::kFailure;

    // Layers, with where each point lies on the mesh.
    MeshLayers mesh;
    LayerSettings layerSettings;
    DeviceMemoryTally memory;
    const MeshLayerRules rules{inMesh, vertexColor, "influences", "zuPointsScale: Points UV missing", false,
                               MColor(1, 1, 1, 1), kNodeName, 10, true};
    status = readMeshLayers(block, thisMObject(), input, n, rules, [&](unsigned int count) {
        return readLayerSettings(block, thisMObject(), vertexColor, vertexColorType, vertexColorWeight,
                                 &vertexColorFactor, count, layerSettings);
    }, memory, mesh);
    if (!status) return status;
    VertexColorLayers& layers = mesh.layers;
    PointTriangles& triangles = mesh.triangles;
    // The colours, the output with its doubles on their way down, and the random table.
    const unsigned int randomCount = settings.isRandom() ? kRandomTableSize : 0;
    if (!memory.fits((hasColor ? 12ull * n : 0) + 12ull * n + 24ull * n + 4ull * randomCount, "Not enough memory on GPU"))
        return MS::kFailure;

    thrust::device_vector<float> colors, weights, factors, randoms;
    DeviceTable<float> scale(3ull * n), color(std::move(hostColor)), uvs(std::move(triangles.uv));
    DeviceTable<unsigned int> triID(std::move(triangles.triID));
    thrust::device_vector<short> types;
    thrust::device_vector<unsigned int> corners;
    upload(layers.colors, colors);
    upload(layerSettings.weights, weights);
    upload(layerSettings.factors, factors);
    upload(layerSettings.types, types);
    upload(triangles.corners, corners);
    status = makeRandomTable(settings.seed, randomCount, randoms);
    if (!status) return status;
    launchOneDimensional(computeScale, n, scale.get(), settings.uniform, settings.scale[0],
                         settings.scale[1], settings.scale[2], hasColor, settings.inColorFactor,
                         color.get(), layers.count, devicePointer(colors), devicePointer(weights),
                         devicePointer(types), devicePointer(factors), layers.vertexCount,
                         devicePointer(corners), uvs.get(), triID.get(),
                         settings.isRandom(), devicePointer(randoms), randomCount, settings.spread[0],
                         settings.spread[1], settings.spread[2], n);
    if (!kernelLaunchSucceeded("computeScale")) return MS::kFailure;

    MFnArrayAttrsData output;
    MObject data;
    status = createPassThroughSet(input.set(), {{"scale", MFnArrayAttrsData::kVectorArray}}, output, data);
    if (!status) return status;
    status = storeVectorTable(output, "scale", scale, n, 3, plug.name());
    if (!status) return status;
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsScale::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints);
    if (!status) return status;
    if (!(status = createMeshInput(inMesh, true))) return status;
    using T = MFnNumericData;
    status = createNumericInputs({
        {&uniform, "uniform", "u", T::kBoolean, 1},
        {&scaleX, "scaleX", "sx", T::kFloat, 1.0},
        {&scaleY, "scaleY", "sy", T::kFloat, 1.0},
        {&scaleZ, "scaleZ", "sz", T::kFloat, 1.0},
        {&seed, "seed", "s", T::kInt, 0, true, false, 0, 0},
        {&scaleRandomX, "scaleRandomX", "srx", T::kFloat, 0.0, true, false, 0, 0},
        {&scaleRandomY, "scaleRandomY", "sry", T::kFloat, 0.0, true, false, 0, 0},
        {&scaleRandomZ, "scaleRandomZ", "srz", T::kFloat, 0.0, true, false, 0, 0},
        {&inColorFactor, "inColorFactor", "icf", T::kFloat, 1.0, true, true, 0, 1},
        {&vertexColorType, "vertexColorType", "vct", T::kShort, 0, true, true, 0, 1},
        {&vertexColorFactor, "vertexColorFactor", "vcf", T::kFloat, 1.0},
        {&vertexColorWeight, "vertexColorWeight", "vcw", T::kFloat, 1.0, true, true, 0, 1},
    });
    if (!status) return status;
    if (!(status = createVectorArrayInput(inColor, "inColor", "ic"))) return status;
    status = createCompoundArray(vertexColor, "vertexColor", "vc",
                                 {&vertexColorType, &vertexColorFactor, &vertexColorWeight}, true);
    if (!status) return status;
    return addAttributes({&inPoints, &outPoints, &inMesh, &uniform, &scaleX, &scaleY, &scaleZ, &seed,
                          &scaleRandomX, &scaleRandomY, &scaleRandomZ, &inColorFactor, &inColor, &vertexColor},
                         {&inPoints, &inMesh, &uniform, &scaleX, &scaleY, &scaleZ, &seed, &scaleRandomX,
                          &scaleRandomY, &scaleRandomZ, &inColorFactor, &inColor, &vertexColor},
                         outPoints);
}
