#include "pointSuite/attributes/zuPointsRotation.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MGlobal.h>

#include <algorithm>
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
#include "common/vectorTables.h"
#include "common/vertexColorLayers.h"
#include "pointSuite/attributes/attributeKernels.h"
#include "pointSuite/attributes/directionFrame.h"
#include "pointSuite/attributes/layerSampling.h"
#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"

using R = zuPointsRotation;

const MTypeId zuPointsRotation::id(0xB3);
MObject R::inPoints, R::inMesh, R::outPoints, R::localAimDirection;
MObject R::target, R::targetX, R::targetY, R::targetZ;
MObject R::activeLayer, R::offsetR, R::offsetG, R::offsetB, R::seed;
MObject R::randomR, R::randomG, R::randomB, R::randomAmplitudeR, R::randomAmplitudeG, R::randomAmplitudeB;
MObject R::minRandSpeedR, R::minRandSpeedG, R::minRandSpeedB, R::maxRandSpeedR, R::maxRandSpeedG, R::maxRandSpeedB;
MObject R::randTimeR, R::randTimeG, R::randTimeB;
MObject R::addColorMode, R::inColorFactor, R::inColor;
MObject R::vertexColor, R::vertexColorType, R::vertexColorWeight;

namespace {

const char kNodeName[] = "zuPointsRotation";
constexpr unsigned int kRandomTableSize = 10000;
constexpr double kPi = 3.14159265359;

// The settings compute reads besides the arrays, checked and clamped.
struct RotationSettings {
    float target[3] = {0, 0, 0};
    bool addMode = false, localAim = false;
    float inColorFactor = 1;
    int activeLayer = -1;
    float offset[3] = {0, 0, 0};  // R, then G and B in turns
    unsigned int seed = 0;
    float randomData[15] = {};
    bool isRandom = false;
};

// Reads the float inputs in order into values, each refused when not finite and clamped to
// [low, high] when it has limits.
bool readFloats(MDataBlock& block, const MObject& node, std::initializer_list<const MObject*> attributes,
                float* values, bool clamped = false, float low = 0, float high = 1) {
    for (const MObject* attribute : attributes) {
        float value = block.inputValue(*attribute).asFloat();
        if (clamped ? !clampFinite(node, *attribute, low, high, value) : !checkFinite(node, *attribute, value))
            return false;
        *values++ = value;
    }
    return true;
}

MStatus readSettings(MDataBlock& block, const MObject& node, RotationSettings& settings) {
    MStatus status;
    if (!readFloats(block, node, {&R::targetX, &R::targetY, &R::targetZ}, settings.target)) return MS::kFailure;
    settings.addMode = block.inputValue(R::addColorMode, &status).asBool();
    STATUS_RETURN_ON_ERROR(status, "handle = block.inputValue( addColorMode, &status );");
    if (!readFloats(block, node, {&R::inColorFactor}, &settings.inColorFactor, true, 0, 1)) return MS::kFailure;
    settings.localAim = block.inputValue(R::localAimDirection, &status).asBool();
    STATUS_RETURN_ON_ERROR(status, "handle = localAimDirection;");
    settings.activeLayer = block.inputValue(R::activeLayer).asInt();
    if (!readFloats(block, node, {&R::offsetR}, settings.offset, true, -1, 1) ||
        !readFloats(block, node, {&R::offsetG, &R::offsetB}, settings.offset + 1))
        return MS::kFailure;
    settings.offset[1] = static_cast<float>(settings.offset[1] / 360.0);
    settings.offset[2] = static_cast<float>(settings.offset[2] / 360.0);
    const int seed = block.inputValue(R::seed).asInt();
    if (!checkNonNegative(node, R::seed, seed)) return MS::kFailure;
    settings.seed = static_cast<unsigned int>(seed);

    float* rd = settings.randomData;
    if (!readFloats(block, node, {&R::randomR, &R::randomG, &R::randomB}, rd, true, 0, 1) ||
        !readFloats(block, node, {&R::minRandSpeedR, &R::minRandSpeedG, &R::minRandSpeedB}, rd + 3) ||
        !readFloats(block, node, {&R::maxRandSpeedR, &R::maxRandSpeedG, &R::maxRandSpeedB}, rd + 6) ||
        !readFloats(block, node, {&R::randTimeR, &R::randTimeG, &R::randTimeB}, rd + 9) ||
        !readFloats(block, node, {&R::randomAmplitudeR, &R::randomAmplitudeG, &R::randomAmplitudeB}, rd + 12,
                    true, 0, 1))
        return MS::kFailure;
    settings.isRandom = std::any_of(rd, rd + 3, [](float v) { return v > 0; }) ||
                        std::any_of(rd + 12, rd + 15, [](float v) { return v > 0; });
    // The phase takes time times a speed between the two: both products must stay floats.
    const MObject* times[] = {&R::randTimeR, &R::randTimeG, &R::randTimeB};
    for (int k = 0; k < 3 && settings.isRandom; ++k)
        if (!std::isfinite(rd[9 + k] * rd[3 + k]) || !std::isfinite(rd[9 + k] * rd[6 + k]) ||
            !std::isfinite(rd[9 + k] * (rd[6 + k] - rd[3 + k]))) {
            MGlobal::displayError(MPlug(node, *times[k]).name() +
                                  ": times the random speeds it goes beyond the float range");
            return MS::kFailure;
        }
    return MS::kSuccess;
}

// The point arrays as device tables of floats, all of n points.
struct PointArrays {
    DeviceTable<float> position, normal, rgb;
    bool hasHistoryColors = false;
};

MStatus readPointArrays(PointSetInput& input, unsigned int& n, PointArrays& arrays) {
    const struct {
        const char* name;
        MFnArrayAttrsData::Type kind;
        const char* missing;
    } required[] = {{"position", MFnArrayAttrsData::kVectorArray, ": Points position missing"},
                    {"triID", MFnArrayAttrsData::kIntArray, ": Points triID missing"},
                    {"uv", MFnArrayAttrsData::kVectorArray, ": Points UV missing"},
                    {"normal", MFnArrayAttrsData::kVectorArray, ": Points normal missing"}};
    for (const auto& array : required)
        if (!input.requireArray(array.name, array.kind, array.missing)) return MS::kFailure;
    MFnArrayAttrsData& set = input.set();
    n = set.getVectorData("position").length();
    if (!input.checkLength("triID", set.getIntData("triID").length(), n) ||
        !input.checkLength("uv", set.getVectorData("uv").length(), n) ||
        !input.checkLength("normal", set.getVectorData("normal").length(), n))
        return MS::kFailure;
    MFnArrayAttrsData::Type kind;
    if (!set.checkArrayExist("rotationRGB", kind)) return MS::kSuccess;
    const MVectorArray rgb = kind == MFnArrayAttrsData::kVectorArray ? set.getVectorData("rotationRGB") : MVectorArray();
    if (rgb.length() != n) {
        MGlobal::displayError("zuPointsRotation: rotationRGB array size differs from point array size, omitting rgb rotation");
        return MS::kSuccess;
    }
    arrays.hasHistoryColors = true;
    return MS::kSuccess;
}

// Uploads the arrays readPointArrays checked; a value beyond the float range is refused.
bool uploadPointArrays(PointSetInput& input, PointArrays& arrays) {
    MFnArrayAttrsData& set = input.set();
    return uploadVectorsAsFloats(input.plugName() + ": 'position'", set.getVectorData("position"), 3, arrays.position) &&
           uploadVectorsAsFloats(input.plugName() + ": 'normal'", set.getVectorData("normal"), 3, arrays.normal) &&
           (!arrays.hasHistoryColors ||
            uploadVectorsAsFloats(input.plugName() + ": 'rotationRGB'", set.getVectorData("rotationRGB"), 3, arrays.rgb));
}

}  // namespace

__global__ void computeDirectionVector(
    const float* samples, const unsigned int* samplesTriID, const float* normal, float x0, float y0,
    float z0, bool hasColor, bool addMode, float inColorFactor, const float* inColor,
    unsigned short layersCount, const float* colors, const float* weights, const short* layerTypes,
    short activeLayer, unsigned int meshPointsCount, const unsigned int* triIds, const float* uvs,
    float offsetR, float offsetG, float offsetB, bool isRandom, const float* randomData,
    const float* randomNumbers, unsigned int randomsNumber, bool hasHistoryColors, float* rgb,
    float* directionVector, float* upVector, bool* visible, bool computeLocalAim,
    const float* meshPoints, float* intersection, float* distanceToEdge, unsigned int numSamples) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= numSamples) return;
    const unsigned long long k3 = 3ull * i;
    float r = 0.0f, g = 0.0f, b = 0.0f;
    if (hasHistoryColors) r = rgb[k3], g = rgb[k3 + 1], b = rgb[k3 + 2];
    if (hasColor) {
        const float f = inColorFactor;
        const float* c = inColor + k3;
        if (!addMode) {
            r = clampTo(r * (1.0f - f) + c[0] * f, -1.0f, 1.0f);
            g = g * (1.0f - f) + c[1] * f;
            b = b * (1.0f - f) + c[2] * f;
        } else {
            r = clampTo(r + f * (2.0f * c[0] - 1.0f), -1.0f, 1.0f);
            g = g + f * (2.0f * c[1] - 1.0f);
            b = b + f * (2.0f * c[2] - 1.0f);
        }
    }
    if (layersCount > 0) {
        const TriangleCorners t = triangleCorners(triIds, samplesTriID[i]);
        const float u = uvs[2ull * i], v = uvs[2ull * i + 1];
        for (unsigned short l = 0; l < layersCount; ++l) {
            if (activeLayer > -1 && l != static_cast<unsigned short>(activeLayer)) continue;
            const CornerColors c = cornerColors(colors, l, meshPointsCount, t);
            const float alpha = blendedAlpha(c, CornerBlend::byWeights, u, v);
            if (layerTypes[l] == 1 && static_cast<double>(alpha) == 0.0) {
                visible[i] = false;
                continue;
            }
            visible[i] = true;
            const float w = weights[l];
            if (static_cast<double>(w) == 0.0 || static_cast<double>(alpha) == 0.0) continue;
            const float cr = blendByWeights(clampTo(c.first[0], -1.0f, 1.0f), clampTo(c.second[0], -1.0f, 1.0f),
                                            clampTo(c.third[0], -1.0f, 1.0f), u, v);
            const float cg = blendedChannel(c, 1, CornerBlend::byWeights, u, v);
            const float cb = blendedChannel(c, 2, CornerBlend::byWeights, u, v);
            const float k = alpha * w;
            if (layerTypes[l] == 0) {
                r = clampTo(r * (1.0f - k) + k * cr, -1.0f, 1.0f);
                g = g * (1.0f - k) + k * cg;
                b = b * (1.0f - k) + k * cb;
            } else if (layerTypes[l] == 1) {
                r = clampTo(r + k * (2.0f * cr - 1.0f), -1.0f, 1.0f);
                g = g + k * (2.0f * cg - 1.0f);
                b = b + k * (2.0f * cb - 1.0f);
            }
        }
    }
    r = clampTo(r + offsetR, -1.0f, 1.0f);
    g = g + offsetG;
    b = b + offsetB;
    if (isRandom) {
        const float* rd = randomData;
        auto rn = [&](unsigned int k) { return randomNumbers[(i + k) % randomsNumber]; };
        const float speedR = rd[3] + rn(3) * (rd[6] - rd[3]);
        const float speedG = rd[4] + rn(4) * (rd[7] - rd[4]);
        const float speedB = rd[5] + rn(5) * (rd[8] - rd[5]);
        const float phaseR = static_cast<float>(static_cast<double>(rn(6)) * kPi + static_cast<double>(rd[9] * speedR));
        const float phaseG = static_cast<float>(static_cast<double>(rn(7)) * kPi + static_cast<double>(rd[10] * speedG));
        const float phaseB = static_cast<float>(static_cast<double>(rn(8)) * kPi + static_cast<double>(rd[11] * speedB));
        r = clampTo(r + rd[0] * (2.0f * rn(0) - 1.0f) + rd[12] * cosf(phaseR), -1.0f, 1.0f);
        g = g + rd[1] * (2.0f * rn(1) - 1.0f) + rd[13] * cosf(phaseG);
        b = b + rd[2] * (2.0f * rn(2) - 1.0f) + rd[14] * cosf(phaseB);
    }

    const Vec3 n = usableNormal({normal[k3], normal[k3 + 1], normal[k3 + 2]});
    const Vec3 p = {samples[k3], samples[k3 + 1], samples[k3 + 2]};
    const Vec3 dir = aimDirection(p, n, {x0, y0, z0});
    if (computeLocalAim) {
        const TriangleCorners t = triangleCorners(triIds, samplesTriID[i]);
        const unsigned int corners[4] = {t.first, t.second, t.third, t.first};
        for (int e = 0; e < 3; ++e) {
            const float* a = meshPoints + 3ull * corners[e];
            const float* c = meshPoints + 3ull * corners[e + 1];
            edgeMeasure(p, dir, {a[0], a[1], a[2]}, {c[0], c[1], c[2]}, intersection[k3 + e], distanceToEdge[k3 + e]);
        }
    }
    Vec3 aim, up;
    channelFrame(n, dir, r, g, b, aim, up);
    directionVector[k3] = aim.x, directionVector[k3 + 1] = aim.y, directionVector[k3 + 2] = aim.z;
    upVector[k3] = up.x, upVector[k3 + 1] = up.y, upVector[k3 + 2] = up.z;
    rgb[k3] = r, rgb[k3 + 1] = g, rgb[k3 + 2] = b;
}

zuPointsRotation::~zuPointsRotation() = default;

void* zuPointsRotation::creator() { return new zuPointsRotation; }

MStatus zuPointsRotation::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] { return computeRotations(plug, block); });
}

MStatus zuPointsRotation::computeRotations(const MPlug& plug, MDataBlock& block) {
    RotationSettings settings;
    MStatus status = readSettings(block, thisMObject(), settings);
    if (!status) return status;
    PointSetInput input(thisMObject(), inPoints);
    status = input.read(block, ": please supply inPoints");
    if (!status) return status;
    unsigned int n = 0;
    PointArrays arrays;
    status = readPointArrays(input, n, arrays);
    if (!status) return status;
    bool hasColor = false;
    std::vector<float> hostColor;
    if (!readPerPointColor(block, thisMObject(), inColor, n, hasColor, hostColor)) return MS::kFailure;

    // The mesh: its layers, and its triangles and points where the layers or the edge measures
    // need them.
    MeshLayers mesh;
    LayerSettings layerSettings;
    std::vector<float> meshPoints;
    DeviceMemoryTally memory;
    const MeshLayerRules rules{inMesh, vertexColor, "influences", ": Points UV missing", true, MColor(0, 0, 0, 0),
                               kNodeName, 6, false, settings.localAim,
                               settings.localAim ? ": missing inMesh, can not compute localAimDirection" : nullptr};
    const auto readLayers = [&](unsigned int count) {
        return readLayerSettings(block, thisMObject(), vertexColor, vertexColorType, vertexColorWeight, nullptr, count,
                                 layerSettings);
    };
    // Per point: triangle, position, normal, uv, rgb, aim, up and visible, and one array's doubles
    // on their way up; the colour; the edge measures with the mesh points and every triangle's
    // corners.
    const auto checkPointBytes = [&]() -> MStatus {
        if (settings.localAim) {
            const MStatus read = readMeshPoints(mesh.mesh, meshPoints);
            if (!read) return read;
        }
        const unsigned long long pointBytes = 97ull * n + (hasColor ? 12ull * n : 0) +
                                              (settings.localAim ? 24ull * n + 4ull * meshPoints.size() : 0) +
                                              mesh.triangles.bytes();
        return memory.fits(pointBytes, "Not enough memory on GPU") ? MS::kSuccess : MS::kFailure;
    };
    status = readMeshLayers(block, thisMObject(), input, n, rules, readLayers, memory, mesh, checkPointBytes);
    if (!status) return status;
    VertexColorLayers& layers = mesh.layers;
    PointTriangles& triangles = mesh.triangles;
    const short activeLayer =
        settings.activeLayer < -1 || settings.activeLayer >= layers.count ? -1 : static_cast<short>(settings.activeLayer);
    const unsigned int randomCount = settings.isRandom ? kRandomTableSize : 0;
    if (settings.isRandom && !memory.fits(4ull * randomCount + 60, "Not enough memory on GPU for random data"))
        return MS::kFailure;

    if (!uploadPointArrays(input, arrays)) return MS::kFailure;
    DeviceTable<float>&samples = arrays.position, &normals = arrays.normal;
    DeviceTable<float> rgb = arrays.hasHistoryColors ? std::move(arrays.rgb) : DeviceTable<float>(3ull * n);
    DeviceTable<float> color(std::move(hostColor)), uvs(std::move(triangles.uv)), direction(3ull * n), up(3ull * n),
        intersection(settings.localAim ? 3ull * n : 0), distance(settings.localAim ? 3ull * n : 0);
    DeviceTable<unsigned int> triID(std::move(triangles.triID));
    thrust::device_vector<float> colors, weights, randoms, randomData, points;
    thrust::device_vector<unsigned int> corners;
    thrust::device_vector<short> types;
    thrust::device_vector<bool> visible(n, true);
    upload(layers.colors, colors);
    upload(layerSettings.weights, weights);
    upload(layerSettings.types, types);
    upload(triangles.corners, corners);
    upload(meshPoints, points);
    if (settings.isRandom) {
        randomData.assign(settings.randomData, settings.randomData + 15);
        status = makeRandomTable(settings.seed, randomCount, randoms);
        if (!status) return status;
    }
    launchOneDimensional(computeDirectionVector, n, samples.get(), triID.get(), normals.get(), settings.target[0],
                         settings.target[1], settings.target[2], hasColor, settings.addMode, settings.inColorFactor,
                         color.get(), layers.count, devicePointer(colors), devicePointer(weights),
                         devicePointer(types), activeLayer, layers.vertexCount, devicePointer(corners), uvs.get(),
                         settings.offset[0], settings.offset[1], settings.offset[2], settings.isRandom,
                         devicePointer(randomData), devicePointer(randoms), randomCount, arrays.hasHistoryColors,
                         rgb.get(), direction.get(), up.get(), devicePointer(visible), settings.localAim,
                         devicePointer(points), intersection.get(), distance.get(), n);
    if (!kernelLaunchSucceeded("computeDirectionVector")) return MS::kFailure;

    // With the mask, the results come to the host and are compacted to the points it keeps.
    const bool masked = activeLayer != -1 && layerSettings.types[activeLayer] == 1;
    std::vector<char> mask;
    std::vector<float> scratch[5];
    const float* results[5] = {};
    unsigned int kept = n;
    if (masked) {
        DeviceTable<float>* tables[5] = {&direction, &up, &rgb, &intersection, &distance};
        for (int k = 0; k < 5; ++k) results[k] = tables[k]->hostValues(scratch[k]);
        mask.resize(n);
        thrust::copy(visible.begin(), visible.end(), mask.begin());
        for (int k = 0; k < 5; ++k) {
            if (k >= 3 && !settings.localAim) continue;
            if (results[k] != scratch[k].data()) scratch[k].assign(results[k], results[k] + 3ull * n);
            keepMasked(scratch[k], 3, mask);
            results[k] = scratch[k].data();
        }
        kept = static_cast<unsigned int>(std::count(mask.begin(), mask.end(), 1));
    }

    MFnArrayAttrsData output;
    MObject data;
    MStringArray localAimNames;
    localAimNames.append("intersection");
    localAimNames.append("distanceToEdge");
    status = createPassThroughSet(input.set(),
                                  {{"rotationType", MFnArrayAttrsData::kIntArray},
                                   {"aimDirection", MFnArrayAttrsData::kVectorArray},
                                   {"aimWorldUp", MFnArrayAttrsData::kVectorArray},
                                   {"rotationRGB", MFnArrayAttrsData::kVectorArray}},
                                  output, data, settings.localAim ? localAimNames : MStringArray(),
                                  masked ? &mask : nullptr);
    if (!status) return status;
    const std::vector<unsigned int> rotationType(kept, 1u);
    status = storeInts(output, "rotationType", rotationType.data(), kept);
    if (!status) return status;
    const char* names[5] = {"aimDirection", "aimWorldUp", "rotationRGB", "intersection", "distanceToEdge"};
    DeviceTable<float>* tables[5] = {&direction, &up, &rgb, &intersection, &distance};
    for (int k = 0; k < (settings.localAim ? 5 : 3); ++k) {
        status = masked ? storeVectors(output, names[k], results[k], kept, 3, plug.name())
                        : storeVectorTable(output, names[k], *tables[k], kept, 3, plug.name());
        if (!status) return status;
    }
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsRotation::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints);
    if (!status) return status;
    if (!(status = createMeshInput(inMesh))) return status;
    using T = MFnNumericData;
    status = createNumericInputs({
        {&localAimDirection, "localAimDirection", "ldir", T::kBoolean, 0},
        {&targetX, "targetX", "tx", T::kFloat, 0},
        {&targetY, "targetY", "ty", T::kFloat, 0},
        {&targetZ, "targetZ", "tz", T::kFloat, 0},
        {&activeLayer, "activeLayer", "al", T::kInt, -1, true, false, -1, 0},
        {&offsetR, "offsetR", "or", T::kFloat, 0, true, true, -1, 1},
        {&offsetG, "offsetG", "og", T::kFloat, 0},
        {&offsetB, "offsetB", "ob", T::kFloat, 0},
        {&seed, "seed", "s", T::kInt, 0, true, false, 0, 0},
        {&randomR, "randomR", "rr", T::kFloat, 0, true, true, 0, 1},
        {&randomG, "randomG", "rg", T::kFloat, 0, true, true, 0, 1},
        {&randomB, "randomB", "rb", T::kFloat, 0, true, true, 0, 1},
        {&randomAmplitudeR, "randomAmplitudeR", "rar", T::kFloat, 0, true, true, 0, 1},
        {&randomAmplitudeG, "randomAmplitudeG", "rag", T::kFloat, 0, true, true, 0, 1},
        {&randomAmplitudeB, "randomAmplitudeB", "rab", T::kFloat, 0, true, true, 0, 1},
        {&minRandSpeedR, "minRandSpeedR", "mrsr", T::kFloat, 0},
        {&minRandSpeedG, "minRandSpeedG", "mrsg", T::kFloat, 0},
        {&minRandSpeedB, "minRandSpeedB", "mrsb", T::kFloat, 0},
        {&maxRandSpeedR, "maxRandSpeedR", "xrsr", T::kFloat, 0},
        {&maxRandSpeedG, "maxRandSpeedG", "xrsg", T::kFloat, 0},
        {&maxRandSpeedB, "maxRandSpeedB", "xrsb", T::kFloat, 0},
        {&randTimeR, "randTimeR", "rtr", T::kFloat, 0},
        {&randTimeG, "randTimeG", "rtg", T::kFloat, 0},
        {&randTimeB, "randTimeB", "rtb", T::kFloat, 0},
        {&addColorMode, "addColorMode", "acm", T::kBoolean, 0},
        {&inColorFactor, "inColorFactor", "icf", T::kFloat, 1.0, true, true, 0, 1},
        {&vertexColorType, "vertexColorType", "vct", T::kShort, 0, true, true, 0, 1},
        {&vertexColorWeight, "vertexColorWeight", "vcw", T::kFloat, 1.0, true, true, 0, 1},
    });
    if (!status) return status;
    MFnNumericAttribute numeric;
    target = numeric.create("target", "t", targetX, targetY, targetZ, &status);
    STATUS_RETURN_ON_ERROR(status, "in target.\n");
    numeric.setKeyable(true);
    numeric.setStorable(true);
    if (!(status = createVectorArrayInput(inColor, "inColor", "ic"))) return status;
    status = createCompoundArray(vertexColor, "vertexColor", "vc", {&vertexColorType, &vertexColorWeight}, false);
    if (!status) return status;
    const std::initializer_list<const MObject*> inputs = {
        &inPoints, &inMesh, &localAimDirection, &target, &activeLayer, &offsetR, &offsetG, &offsetB, &seed,
        &randomR, &randomG, &randomB, &randomAmplitudeR, &randomAmplitudeG, &randomAmplitudeB,
        &minRandSpeedR, &minRandSpeedG, &minRandSpeedB, &maxRandSpeedR, &maxRandSpeedG, &maxRandSpeedB,
        &randTimeR, &randTimeG, &randTimeB, &addColorMode, &inColorFactor, &inColor, &vertexColor};
    status = addAttributes({&inPoints, &inMesh, &outPoints}, {}, outPoints);
    if (!status) return status;
    return addAttributes(
        {&localAimDirection, &target, &activeLayer, &offsetR, &offsetG, &offsetB, &seed, &randomR, &randomG,
         &randomB, &randomAmplitudeR, &randomAmplitudeG, &randomAmplitudeB, &minRandSpeedR, &minRandSpeedG,
         &minRandSpeedB, &maxRandSpeedR, &maxRandSpeedG, &maxRandSpeedB, &randTimeR, &randTimeG, &randTimeB,
         &addColorMode, &inColorFactor, &inColor, &vertexColor},
        inputs, outPoints);
}
