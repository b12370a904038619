#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>
#include <maya/MVectorArray.h>
#include <gpu/thrust.h>
#include <thrust/scan.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "common/boxInput.h"
#include "common/gridOrigin.h"
#include "common/inputChecks.h"
#include "common/nodeAttributes.h"
#include "common/stageTimer.h"
#include "common/statusCheck.h"
#include "triWeaver/meshTopology.h"
#include "triWeaver/neighbourOffsets.h"
#include "triWeaver/usedPointsCopy.h"
#include "triWeaver/weaverBuffers.h"
#include "triWeaver/zuTriWeaver.h"

const MTypeId zuTriWeaver::id(0xAC8);

MObject zuTriWeaver::boundingBoxMinX, zuTriWeaver::boundingBoxMinY, zuTriWeaver::boundingBoxMinZ;
MObject zuTriWeaver::boundingBoxMaxX, zuTriWeaver::boundingBoxMaxY, zuTriWeaver::boundingBoxMaxZ;
MObject zuTriWeaver::boundingBoxSizeX, zuTriWeaver::boundingBoxSizeY, zuTriWeaver::boundingBoxSizeZ;
MObject zuTriWeaver::boundingBoxMin, zuTriWeaver::boundingBoxMax, zuTriWeaver::boundingBoxSize,
    zuTriWeaver::boundingBox;
MObject zuTriWeaver::considerNormal;
MObject zuTriWeaver::dotProdLimit;
MObject zuTriWeaver::radius;
MObject zuTriWeaver::inPoints;
MObject zuTriWeaver::makeManifold;
MObject zuTriWeaver::outMesh;
MObject zuTriWeaver::outPoints;

namespace {

// The most points one compute weaves: their candidate triples are numbered in 32 bits.
constexpr unsigned long long kMaxPoints = UINT_MAX / kTriplesPerPoint;

struct WeaverSettings {
    bool considerNormal = true;
    bool makeManifold = false;
    float dotProdLimit = 0.0f;
    float radius = 1.0f;
    BoxCorners box;
};

// The node's boundingBox compound and its parts.
BoundingBoxPlugs boxPlugs() { return boundingBoxPlugsOf<zuTriWeaver>(); }

MString plugName(const MObject& node, const MObject& attribute) {
    return MPlug(node, attribute).name();
}

// The point set's vector array `name`: false after showing why it cannot be used.
bool readVectors(const MObject& node, MFnArrayAttrsData& set, const char* name, const char* missing,
                 MVectorArray& values) {
    MFnArrayAttrsData::Type type;
    if (!set.checkArrayExist(name, type)) {
        MGlobal::displayError(plugName(node, zuTriWeaver::inPoints) + missing);
        return false;
    }
    if (type != MFnArrayAttrsData::kVectorArray) {
        MGlobal::displayError(plugName(node, zuTriWeaver::inPoints) + ": wrong '" + name +
                              "' attribute type");
        return false;
    }
    values = set.getVectorData(name);
    return true;
}

// The vectors as floats, x, y, z per point: false after showing the first that is not finite
// in single precision.
bool toFiniteFloats(const MObject& node, const MVectorArray& vectors, const char* name,
                    std::vector<float>& values) {
    values.resize(3ull * vectors.length());
    for (unsigned int i = 0; i < vectors.length(); ++i) {
        const MVector& v = vectors[i];
        float* out = values.data() + 3ull * i;
        out[0] = static_cast<float>(v.x), out[1] = static_cast<float>(v.y),
        out[2] = static_cast<float>(v.z);
        if (std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2])) continue;
        char text[160];
        std::snprintf(text, sizeof text, ": '%s' of point %u is not finite: (%g, %g, %g)", name, i,
                      v.x, v.y, v.z);
        MGlobal::displayError(plugName(node, zuTriWeaver::inPoints) + text);
        return false;
    }
    return true;
}

// The values that arrive through connections unchecked by the attributes' limits.
bool checkConnectedValues(const MObject& node, const WeaverSettings& settings) {
    if (!checkFinitePositive(node, zuTriWeaver::radius, settings.radius)) return false;
    if (settings.considerNormal &&
        !checkFinite(node, zuTriWeaver::dotProdLimit, settings.dotProdLimit))
        return false;
    return checkBoxFinite(node, boxPlugs(), settings.box);
}

// The grid over the box and the points: cells with a diagonal of `radius`, from the lower of the
// box's minimum and the points' to the higher of the box's maximum (x and z) and the points',
// measured from an origin near the points. False after showing why a grid with more cells than
// 32-bit ids is refused.
bool makeGrid(const MObject& node, const WeaverSettings& settings, const std::vector<float>& points,
              WeaverGrid& grid) {
    double low[3] = {settings.box.minX, settings.box.minY, settings.box.minZ};
    double high[3] = {std::max(settings.box.minX, settings.box.maxX), settings.box.minY,
                      std::max(settings.box.minZ, settings.box.maxZ)};
    low[0] = std::min(low[0], double(settings.box.maxX));
    low[2] = std::min(low[2], double(settings.box.maxZ));
    double lowestPoint[3] = {INFINITY, INFINITY, INFINITY};
    for (size_t i = 0; i + 2 < points.size(); i += 3)
        for (int k = 0; k < 3; ++k) {
            lowestPoint[k] = std::min(lowestPoint[k], double(points[i + k]));
            high[k] = std::max(high[k], double(points[i + k]));
        }
    grid.cellSize = static_cast<float>(settings.radius / std::sqrt(3.0));
    GridOrigin origin[3];
    double dims[3];
    for (int k = 0; k < 3; ++k) {
        low[k] = std::min(low[k], lowestPoint[k]);
        origin[k] = gridOriginNear(low[k], lowestPoint[k], grid.cellSize);
        dims[k] = origin[k].cell + cellsFromOrigin(high[k], origin[k], grid.cellSize) + 1;
    }
    const double cells = dims[0] * dims[1] * dims[2];
    if (!(grid.cellSize > 0) || !(cells <= double(UINT_MAX))) {
        char text[320];
        std::snprintf(text, sizeof text,
                      ": a radius of %g over the box and points from (%g, %g, %g) to (%g, %g, %g) "
                      "needs %.4g grid cells, more than the %u the grid can number",
                      settings.radius, low[0], low[1], low[2], high[0], high[1], high[2], cells,
                      UINT_MAX);
        MGlobal::displayError(plugName(node, zuTriWeaver::radius) + text);
        return false;
    }
    grid.originX = origin[0].position;
    grid.originY = origin[1].position;
    grid.originZ = origin[2].position;
    grid.originCellX = static_cast<unsigned int>(origin[0].cell);
    grid.originCellY = static_cast<unsigned int>(origin[1].cell);
    grid.originCellZ = static_cast<unsigned int>(origin[2].cell);
    grid.dimX = static_cast<unsigned int>(dims[0]);
    grid.dimY = static_cast<unsigned int>(dims[1]);
    grid.dimZ = static_cast<unsigned int>(dims[2]);
    grid.stepZ = grid.dimX;
    grid.stepY = grid.dimX * grid.dimZ;
    return true;
}

// What the inputs give the device: positions (and normals) as floats, checked.
struct HostPoints {
    MVectorArray positions;
    std::vector<float> positionFloats, normalFloats;
    unsigned int count = 0;
};

// Reads and checks the point set; false after showing why it is refused.
MStatus readPoints(const MObject& node, MFnArrayAttrsData& set, bool considerNormal,
                   HostPoints& points) {
    if (!readVectors(node, set, "position", ": Points position missing", points.positions))
        return MS::kFailure;
    if (considerNormal) {
        MVectorArray normals;
        if (!readVectors(
                node, set, "normal",
                ": Points normal missing. Turn on 'Compute Normal' option in zuScatterPoints node",
                normals))
            return MS::kFailure;
        if (normals.length() != points.positions.length()) {
            MGlobal::displayError(plugName(node, zuTriWeaver::inPoints) +
                                  ": length of position and normal vector does not match");
            return MS::kFailure;
        }
        if (!toFiniteFloats(node, normals, "normal", points.normalFloats)) return MS::kFailure;
    }
    if (!toFiniteFloats(node, points.positions, "position", points.positionFloats))
        return MS::kFailure;
    if (points.positions.length() > kMaxPoints) {
        char text[160];
        std::snprintf(text, sizeof text, ": %u points are more than the %llu one compute can weave",
                      points.positions.length(), kMaxPoints);
        MGlobal::displayError(plugName(node, zuTriWeaver::inPoints) + text);
        return MS::kFailure;
    }
    points.count = points.positions.length();
    return MS::kSuccess;
}

MStatus upload(const HostPoints& host, const WeaverSettings& settings, WeaverPoints& device) {
    if (!weaverMemoryFits(4ull * (host.positionFloats.size() + host.normalFloats.size())))
        return MS::kFailure;
    if (!host.positionFloats.empty())
        device.positions.assign(host.positionFloats.begin(), host.positionFloats.end());
    if (!host.normalFloats.empty())
        device.normals.assign(host.normalFloats.begin(), host.normalFloats.end());
    device.count = host.count;
    device.useNormal = settings.considerNormal;
    device.dotProdLimit = std::min(1.0f, std::max(-1.0f, settings.dotProdLimit));
    device.radius = settings.radius;
    return MS::kSuccess;
}

// mask[k] = 1 for the points a remaining triangle uses, and their new numbers (an exclusive
// running sum of the mask); answers how many are used.
unsigned int numberUsedPoints(const std::vector<const Triangle*>& triangles, unsigned int count,
                              std::vector<int>& mask, std::vector<int>& newIndex) {
    mask.assign(count, 0);
    for (const Triangle* t : triangles)
        for (int c : t->corners) mask[c] = 1;
    newIndex.assign(count, 0);
    if (count == 0) return 0;
    thrust::device_vector<int> deviceMask(mask.begin(), mask.end()), scanned(count);
    thrust::exclusive_scan(gpu::parallel, deviceMask.begin(), deviceMask.end(), scanned.begin());
    thrust::copy(scanned.begin(), scanned.end(), newIndex.begin());
    return static_cast<unsigned int>(newIndex[count - 1] + mask[count - 1]);
}

// The mesh of the remaining triangles over the used points, into new mesh data.
MStatus buildMesh(const MObject& node, const MVectorArray& positions,
                  const std::vector<const Triangle*>& triangles, const std::vector<int>& mask,
                  const std::vector<int>& newIndex, unsigned int used, MObject& meshData) {
    MPointArray points;
    points.setLength(used);
    unsigned int next = 0;
    for (unsigned int k = 0; k < mask.size(); ++k)
        if (mask[k]) points[next++] = MPoint(positions[k]);
    MIntArray counts(static_cast<unsigned int>(triangles.size()), 3), connects;
    connects.setLength(3 * static_cast<unsigned int>(triangles.size()));
    unsigned int corner = 0;
    for (const Triangle* t : triangles)
        for (int c : t->corners) connects[corner++] = newIndex[c];
    MStatus status;
    MFnMeshData data;
    meshData = data.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in MFnMeshData::create.\n");
    MFnMesh mesh;
    mesh.create(static_cast<int>(used), static_cast<int>(triangles.size()), points, counts,
                connects, meshData, &status);
    if (!status) {
        STATUS_CHECK(status);
        MGlobal::displayError(plugName(node, zuTriWeaver::outMesh) +
                              ": the mesh cannot be made: " + status.errorString());
    }
    return status;
}

MStatus setOutput(MDataBlock& block, const MObject& attribute, const MObject& data) {
    MStatus status;
    MDataHandle output = block.outputValue(attribute, &status);
    STATUS_RETURN_ON_ERROR(status, "in block.outputValue.\n");
    status = output.set(data);
    STATUS_RETURN_ON_ERROR(status, "in outputValue.set.\n");
    output.setClean();
    return MS::kSuccess;
}

}  // namespace

zuTriWeaver::zuTriWeaver() : offsets(std::make_unique<DeviceNeighbourOffsets>()) {
    std::vector<short> x, y, z;
    for (const NeighbourOffset& offset : buildNeighbourOffsets()) {
        x.push_back(offset.dx);
        y.push_back(offset.dy);
        z.push_back(offset.dz);
    }
    offsets->x.assign(x.begin(), x.end());
    offsets->y.assign(y.begin(), y.end());
    offsets->z.assign(z.begin(), z.end());
}

zuTriWeaver::~zuTriWeaver() = default;

void* zuTriWeaver::creator() {
    try {
        if (!weaverMemoryFits(3ull * kNeighbourOffsetCount * sizeof(short))) return nullptr;
        return new zuTriWeaver;
    } catch (const std::exception& error) {
        MGlobal::displayError(MString("zuTriWeaver: ") + error.what());
        return nullptr;
    }
}

MStatus zuTriWeaver::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outMesh && plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute("zuTriWeaver", [&] { return weave(block); });
}

MStatus zuTriWeaver::weave(MDataBlock& block) {
    const MObject node = thisMObject();
    MStatus status;
    MDataHandle pointsHandle = block.inputValue(inPoints, &status);
    STATUS_RETURN_ON_ERROR(status, "getting inPoints handle");
    MFnArrayAttrsData in(pointsHandle.data(), &status);
    if (!status) {
        MGlobal::displayError(plugName(node, inPoints) + ": please supply inPoints");
        return status;
    }
    WeaverSettings settings;
    settings.considerNormal = readInput(block, considerNormal).asBool();
    if (settings.considerNormal) settings.dotProdLimit = readInput(block, dotProdLimit).asFloat();
    HostPoints host;
    status = readPoints(node, in, settings.considerNormal, host);
    if (!status) return status;
    settings.box = readBoxCorners(block, boxPlugs());
    if (!checkBoxSet(node, boxPlugs(), settings.box)) return MS::kFailure;
    settings.radius = readInput(block, radius).asFloat();
    settings.makeManifold = readInput(block, makeManifold).asBool();
    if (!checkConnectedValues(node, settings)) return MS::kFailure;
    if (!arrayLengthsMatch(in, host.count)) return MS::kFailure;

    StageTimer stage("upload");  // stages are timed only for benchmarks
    WeaverPoints device;
    if (!makeGrid(node, settings, host.positionFloats, device.grid)) return MS::kFailure;
    status = upload(host, settings, device);
    if (!status) return status;
    stage.next(nullptr);  // the device steps time their own stages
    DeviceTriples kept;
    status = findKeptTriples(device, *offsets, kept);
    if (!status) return status;
    WovenTriangles woven;
    status = acceptTriangles(device, kept, woven);
    if (!status) return status;
    kept = DeviceTriples();
    device = WeaverPoints();

    stage.next("topology");
    MeshTopology topology(woven.corners, woven.edgeA, woven.edgeB, woven.edgeT,
                          host.positionFloats);
    woven = WovenTriangles();
    if (settings.makeManifold && topology.nonManifoldEdgeCount() > 0) {
        stage.next("repair");
        if (!topology.makeManifold().complete)
            MGlobal::displayWarning(MPlug(node, outMesh).info() + ": non-manifold mesh");
        stage.next("topology");
    }
    topology.orient();

    stage.next("outputs");
    const std::vector<const Triangle*> triangles = topology.triangles();
    std::vector<int> mask, newIndex;
    const unsigned int used = numberUsedPoints(triangles, host.count, mask, newIndex);
    MFnArrayAttrsData usedSet;
    const MObject usedData = usedSet.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    if (!copyUsedPoints(usedSet, in, mask)) return MS::kFailure;
    MObject meshData;
    status = buildMesh(node, host.positions, triangles, mask, newIndex, used, meshData);
    if (!status) return status;
    status = setOutput(block, outMesh, meshData);
    if (!status) return status;
    return setOutput(block, outPoints, usedData);
}

MStatus zuTriWeaver::initialize() {
    MFnNumericAttribute numeric;
    MFnTypedAttribute typed;
    MStatus status;

    status = createBoundingBoxInput(boxPlugs());
    if (!status) return status;

    considerNormal = numeric.create("considerNormal", "cn", MFnNumericData::kBoolean, 1, &status);
    STATUS_CHECK(status);
    STATUS_CHECK(numeric.setKeyable(true));
    dotProdLimit = numeric.create("dotProdLimit", "dpl", MFnNumericData::kFloat, 0.0, &status);
    STATUS_CHECK(status);
    STATUS_CHECK(numeric.setMin(-1.0));
    STATUS_CHECK(numeric.setMax(1.0));
    STATUS_CHECK(numeric.setKeyable(true));
    radius = numeric.create("radius", "r", MFnNumericData::kFloat, 1.0, &status);
    STATUS_CHECK(status);
    STATUS_CHECK(numeric.setMin(0.001));
    STATUS_CHECK(numeric.setKeyable(true));

    status = createPointSetInput(inPoints);
    if (!status) return status;

    makeManifold = numeric.create("makeManifold", "mm", MFnNumericData::kBoolean, 0, &status);
    STATUS_CHECK(status);
    STATUS_CHECK(numeric.setKeyable(true));

    outMesh = typed.create("outMesh", "om", MFnData::kMesh, MObject::kNullObj, &status);
    STATUS_CHECK(status);
    STATUS_CHECK(typed.setReadable(true));
    STATUS_CHECK(typed.setWritable(false));
    STATUS_CHECK(typed.setStorable(false));
    STATUS_CHECK(typed.setKeyable(false));
    status = createPointSetOutput(outPoints);
    if (!status) return status;

    for (const MObject* attribute : {&boundingBox, &considerNormal, &dotProdLimit, &radius,
                                     &inPoints, &makeManifold, &outMesh, &outPoints})
        STATUS_CHECK(addAttribute(*attribute));
    for (const MObject* attribute :
         {&boundingBox, &considerNormal, &dotProdLimit, &radius, &inPoints, &makeManifold})
        STATUS_CHECK(attributeAffects(*attribute, outMesh));
    for (const MObject* attribute :
         {&boundingBox, &considerNormal, &dotProdLimit, &radius, &inPoints})
        STATUS_CHECK(attributeAffects(*attribute, outPoints));
    return MS::kSuccess;
}
