#include "pointSuite/scatter/zuScatterPoints.h"

#include <maya/MFloatPointArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <gpu/launch.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <utility>

#include "common/boxInput.h"
#include "common/inputChecks.h"
#include "common/nodeAttributes.h"
#include "common/stageTimer.h"
#include "common/statusCheck.h"
#include "pointSuite/meshNormals.h"
#include "pointSuite/scatter/scatterBuffers.h"
#include "pointSuite/scatter/scatterCandidates.h"
#include "pointSuite/scatter/scatterDartThrowing.h"
#include "pointSuite/scatter/scatterExtraction.h"
#include "pointSuite/scatter/scatterMeshPreparation.h"
#include "pointSuite/scatter/scatterSetup.h"

const MTypeId zuScatterPoints::id(0xB2);

MObject zuScatterPoints::outPoints;
MObject zuScatterPoints::inMesh;
MObject zuScatterPoints::boundingBoxMinX, zuScatterPoints::boundingBoxMinY,
    zuScatterPoints::boundingBoxMinZ;
MObject zuScatterPoints::boundingBoxMaxX, zuScatterPoints::boundingBoxMaxY,
    zuScatterPoints::boundingBoxMaxZ;
MObject zuScatterPoints::boundingBoxSizeX, zuScatterPoints::boundingBoxSizeY,
    zuScatterPoints::boundingBoxSizeZ;
MObject zuScatterPoints::boundingBoxMin, zuScatterPoints::boundingBoxMax,
    zuScatterPoints::boundingBoxSize, zuScatterPoints::boundingBox;
MObject zuScatterPoints::radius;
MObject zuScatterPoints::seed;
MObject zuScatterPoints::computeNormal;
MObject zuScatterPoints::randomsMultipler;
MObject zuScatterPoints::trials;
MObject zuScatterPoints::mode;
MObject zuScatterPoints::addAll;
MObject zuScatterPoints::partial;
MObject zuScatterPoints::faces;
MObject zuScatterPoints::scatterOnVertices;
MObject zuScatterPoints::scatterOnBorderEdges;
MObject zuScatterPoints::scatterOnSurface;

namespace {

const char kNodeName[] = "zuScatterPoints";
// pi as the single-precision constant.
constexpr float kPi = 3.14159274f;

enum class Phase { kVertices = 1, kBorderEdges = 2, kSurface = 3 };

// The inputs compute reads besides the mesh.
struct ScatterSettings {
    float radius = 1.0f;
    bool computeNormal = true;
    bool onVertices = false, onBorderEdges = false, onSurface = true;
    BoxCorners box;
    int seed = 0, multiplier = 1, trials = 1;
};

// The node's boundingBox compound and its parts.
BoundingBoxPlugs boxPlugs() { return boundingBoxPlugsOf<zuScatterPoints>(); }

void readBoxAndSwitches(MDataBlock& block, ScatterSettings& settings) {
    // The box's maximum y and its size are not read: the grid's extent along y runs from its
    // minimum y over the mesh's own points.
    settings.box = readBoxCorners(block, boxPlugs());
    settings.computeNormal = readInput(block, zuScatterPoints::computeNormal).asBool();
    settings.onVertices = readInput(block, zuScatterPoints::scatterOnVertices).asBool();
    settings.onBorderEdges = readInput(block, zuScatterPoints::scatterOnBorderEdges).asBool();
    settings.onSurface = readInput(block, zuScatterPoints::scatterOnSurface).asBool();
}

void readSampling(MDataBlock& block, ScatterSettings& settings) {
    settings.seed = readInput(block, zuScatterPoints::seed).asInt();
    settings.multiplier = readInput(block, zuScatterPoints::randomsMultipler).asInt();
    settings.trials = clampTrials(readInput(block, zuScatterPoints::trials).asInt());
}

// The radius and the box as they reached compute: setAttr keeps them within the attributes'
// limits, a connection does not.
bool checkConnectedValues(const MObject& node, const ScatterSettings& settings) {
    if (!checkFinitePositive(node, zuScatterPoints::radius, settings.radius)) return false;
    return checkBoxFinite(node, boxPlugs(), settings.box);
}

// The grid over the box and the mesh: the box is only the grid's frame, the candidates come
// from the whole mesh, so the frame is the union of the box's two corners (in whichever order
// they were given) and the bounds of the mesh's points. A grid with more cells than ids is
// refused, naming the radius and the frame.
bool makeGrid(const MObject& node, const ScatterSettings& settings,
              const std::vector<float>& points, ScatterGrid& grid) {
    GridFrame frame;
    frame.include(settings.box.minX, settings.box.minY, settings.box.minZ);
    // The box's maximum y is unread.
    frame.include(settings.box.maxX, settings.box.minY, settings.box.maxZ);
    for (size_t i = 0; i + 2 < points.size(); i += 3)
        frame.includePoint(points[i], points[i + 1], points[i + 2]);
    double cells = 0.0;
    if (makeScatterGrid(settings.radius, frame, grid, &cells)) return true;
    char text[320];
    std::snprintf(text, sizeof text,
                  ": a radius of %g over the box from (%g, %g, %g) to (%g, %g, %g) (with the "
                  "mesh) needs %.4g grid cells, more than the %.4g the grid can tell apart",
                  settings.radius, frame.min[0], frame.min[1], frame.min[2], frame.max[0],
                  frame.max[1], frame.max[2], cells, kMaximumGridCells);
    MGlobal::displayError(MFnDependencyNode(node).name() + text);
    return false;
}

// Creates the output arrays, empty, in their order.
MStatus createOutputArrays(MFnArrayAttrsData& set, bool withNormals) {
    MStatus status;
    set.vectorArray("position", &status);
    STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.vectorArray(position).\n");
    set.intArray("triID", &status);
    STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.intArray(triID).\n");
    set.vectorArray("uv", &status);
    STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.vectorArray(uv).\n");
    set.intArray("pointID", &status);
    STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.intArray(pointID).\n");
    if (withNormals) {
        set.vectorArray("normal", &status);
        STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.vectorArray(normal)\n");
    }
    return MS::kSuccess;
}

// The mesh as the phases sample it: host and device copies, areas and border edges.
struct ScatterMesh {
    std::vector<float> hostPoints;           // x, y, z per vertex
    std::vector<unsigned int> hostTriangles;  // the triangle vertex list
    DeviceMesh device;
    TriangleAreas areas;
    BorderEdges edges;

    // Once on the device, the host copies serve only the vertex phase's candidates.
    void releaseHostCopies() {
        std::vector<float>().swap(hostPoints);
        std::vector<unsigned int>().swap(hostTriangles);
    }
};

// The accepted samples of the last phase on the host, with their normals when asked for.
struct HostSamples {
    std::vector<float> positions, uv, normals;
    std::vector<unsigned int> triangles;
};

// The mesh's points (x, y, z per vertex) and triangle vertex list on the host, checked. Shows
// why a mesh is refused.
MStatus readMesh(const MFnMesh& meshFn, std::vector<float>& hostPoints,
                 std::vector<unsigned int>& hostTriangles) {
    MFloatPointArray points;
    MStatus status = meshFn.getPoints(points, MSpace::kObject);
    STATUS_RETURN_ON_ERROR(status, "meshFn.getPoints");
    const unsigned int vertexCount = points.length();
    hostPoints.resize(3ull * vertexCount);
    for (unsigned int i = 0; i < vertexCount; ++i) {
        hostPoints[3ull * i] = points[i].x;
        hostPoints[3ull * i + 1] = points[i].y;
        hostPoints[3ull * i + 2] = points[i].z;
    }
    MIntArray triangleCounts, triangleVertices;
    STATUS_CHECK(meshFn.getTriangles(triangleCounts, triangleVertices));
    const unsigned int triangleCount = triangleVertices.length() / 3;
    std::vector<int> vertexList(triangleVertices.length());
    if (!vertexList.empty()) triangleVertices.get(vertexList.data());
    vertexList.resize(3ull * triangleCount);

    // Nothing that the kernels could not sample reaches them.
    const std::string problem =
        findMeshProblem(hostPoints.data(), vertexCount, vertexList.data(), 3 * triangleCount);
    if (!problem.empty()) {
        MGlobal::displayError(MString(kNodeName) + ": inMesh: " + problem.c_str());
        return MS::kFailure;
    }
    hostTriangles.assign(vertexList.begin(), vertexList.end());
    return MS::kSuccess;
}

// The device copies of the mesh.
MStatus uploadMesh(MDataBlock& block, const std::vector<float>& hostPoints,
                   const std::vector<unsigned int>& hostTriangles, DeviceMesh& mesh) {
    if (!scatterMemoryFits(4ull * hostPoints.size())) return MS::kFailure;
    // An empty range is not copied: its begin is no element.
    if (!hostPoints.empty()) mesh.points.assign(hostPoints.begin(), hostPoints.end());
    mesh.vertexCount = static_cast<unsigned int>(hostPoints.size() / 3);
    if (!scatterMemoryFits(4ull * hostTriangles.size())) return MS::kFailure;
    if (!hostTriangles.empty()) mesh.triangles.assign(hostTriangles.begin(), hostTriangles.end());
    mesh.triangleCount = static_cast<unsigned int>(hostTriangles.size() / 3);
    readInput(block, zuScatterPoints::partial).asBool();
    return MS::kSuccess;
}

// The candidates of one phase, after the `carried` samples of the phases before it.
MStatus makeCandidates(Phase phase, const ScatterSettings& settings, const ScatterGrid& grid,
                       const ScatterMesh& mesh, const AcceptedSamples& carried,
                       Candidates& candidates) {
    const TriangleAreas& areas = mesh.areas;
    const BorderEdges& edges = mesh.edges;
    const float discArea = kPi * settings.radius * settings.radius;
    CandidateCount count;
    if (phase == Phase::kVertices) {
        count = vertexCandidateCount(carried.count, mesh.device.vertexCount);
    } else if (phase == Phase::kBorderEdges) {
        count = randomCandidateCount(edges.totalLength, settings.radius, settings.multiplier,
                                     carried.count);
    } else {
        count = randomCandidateCount(areas.totalArea, discArea, settings.multiplier,
                                     carried.count);
    }
    if (count.capped)
        MGlobal::displayWarning("Reached maximum randoms number, undersampling can occur");
    // Six arrays of 4 bytes and the cell id of 8 per candidate, and the random table of a random
    // phase.
    const unsigned long long perCandidate = phase == Phase::kVertices ? 32 : 36;
    if (!scatterMemoryFits(perCandidate * count.count + 8)) return MS::kFailure;
    const unsigned long long seed = static_cast<unsigned long long>(settings.seed);
    if (phase == Phase::kVertices)
        return makeVertexCandidates(mesh.hostPoints, mesh.hostTriangles, carried, grid,
                                    count.count, candidates);
    if (phase == Phase::kBorderEdges)
        return makeBorderEdgeCandidates(mesh.device, edges, carried, grid, count.count, seed,
                                        candidates);
    return makeSurfaceCandidates(mesh.device, areas, carried, grid, count.count, seed,
                                 candidates);
}

// Uploads the mesh (read into `mesh`) and prepares its distributions. `tiny` tells that its area
// is below 0.0001, so that there is nothing to scatter on; a border-edge phase asked for is
// dropped (onBorderEdges cleared) when the mesh has no border edge or their length is below
// 0.0001.
MStatus prepareMesh(MDataBlock& block, bool& onBorderEdges, ScatterMesh& mesh, bool& tiny) {
    MStatus status = uploadMesh(block, mesh.hostPoints, mesh.hostTriangles, mesh.device);
    if (!status) return status;
    if (!scatterMemoryFits(8ull * mesh.device.triangleCount)) return MS::kFailure;
    status = computeTriangleAreas(mesh.device, mesh.areas);
    if (!status) return status;
    if (!std::isfinite(mesh.areas.totalArea)) {
        MGlobal::displayError(MString(kNodeName) + ": inMesh is too large to scatter on");
        return MS::kFailure;
    }
    tiny = mesh.areas.totalArea < 0.0001f;
    if (tiny || !onBorderEdges) return MS::kSuccess;
    // Per edge of a triangle: five edge arrays, the sort order, its scratch and the marks (36
    // bytes), and at most as many border edges with their lengths (20).
    if (!scatterMemoryFits(56ull * 3 * mesh.device.triangleCount)) return MS::kFailure;
    status = findBorderEdges(mesh.device, mesh.edges);
    if (!status) return status;
    if (mesh.edges.count == 0 || !(mesh.edges.totalLength >= 0.0001f)) onBorderEdges = false;
    return MS::kSuccess;
}

// The phases to run, in their fixed order.
MStatus planPhases(const ScatterSettings& settings, bool onBorderEdges, std::vector<Phase>& phases) {
    const int asked = int(settings.onVertices) + int(onBorderEdges) + int(settings.onSurface);
    if (settings.onVertices) phases.push_back(Phase::kVertices);
    if (onBorderEdges) phases.push_back(Phase::kBorderEdges);
    if (settings.onSurface) phases.push_back(Phase::kSurface);
    if (static_cast<int>(phases.size()) != asked) {
        MGlobal::displayError("drawModeArray length does not match draw count");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

// Writes the samples (and their normals, when given) to the output arrays in sample order,
// releasing each host array once it is written.
void fillOutputArrays(HostSamples& samples, bool withNormals, MFnArrayAttrsData& set) {
    const unsigned int count = static_cast<unsigned int>(samples.triangles.size());
    auto fillVectors = [count](MVectorArray array, std::vector<float>& values, int width) {
        array.setLength(count);  // the array shares its storage with the set
        for (unsigned int i = 0; i < count; ++i) {
            const float* p = values.data() + static_cast<size_t>(width) * i;
            array[i] = MVector(p[0], p[1], width == 3 ? p[2] : 0.0f);
        }
        std::vector<float>().swap(values);
    };
    fillVectors(set.vectorArray("position"), samples.positions, 3);
    fillVectors(set.vectorArray("uv"), samples.uv, 2);
    if (withNormals) fillVectors(set.vectorArray("normal"), samples.normals, 3);
    MIntArray triID = set.intArray("triID");
    MIntArray pointID = set.intArray("pointID");
    triID.setLength(count);
    pointID.setLength(count);
    for (unsigned int i = 0; i < count; ++i) {
        triID[i] = static_cast<int>(samples.triangles[i]);
        pointID[i] = static_cast<int>(i);
    }
    std::vector<unsigned int>().swap(samples.triangles);
}

// The device array's values on the host; the device array is released.
template <typename T, typename Allocator>
std::vector<T> moveToHost(thrust::device_vector<T, Allocator>& values) {
    std::vector<T> host;
    download(values, host);
    thrust::device_vector<T, Allocator>().swap(values);
    return host;
}

// Runs the phases in order, each keeping the samples of the ones before it, and brings the last
// phase's samples (and their normals) to the host.
MStatus runPhases(const std::vector<Phase>& phases, const ScatterSettings& settings,
                  const ScatterGrid& grid, const std::vector<unsigned short>& phaseMap,
                  ScatterMesh& mesh, StageTimer& stage, HostSamples& result) {
    const thrust::device_vector<unsigned short> devicePhaseMap(phaseMap.begin(), phaseMap.end());
    AcceptedSamples samples;
    Candidates candidates;
    CellHashTable table;
    MStatus status;
    for (size_t p = 0; p < phases.size(); ++p) {
        if (p > 0) {
            stage.next("extraction");
            status = extractAcceptedSamples(table, candidates, samples);
            if (!status) return status;
            table = CellHashTable();
            candidates.release();
        }
        stage.next("candidates");
        status = makeCandidates(phases[p], settings, grid, mesh, samples, candidates);
        if (!status) return status;
        mesh.releaseHostCopies();
        stage.next(nullptr);  // the dart throwing times its own stages
        status = throwDarts(candidates, samples.count, settings.radius, grid, settings.trials,
                            devicePhaseMap, table);
        if (!status) return status;
    }
    stage.next("extraction");
    status = extractAcceptedSamples(table, candidates, samples);
    if (!status) return status;
    table = CellHashTable();
    candidates.release();

    if (settings.computeNormal) {
        stage.next("normals");
        const DeviceMesh& device = mesh.device;
        // Face, corner and vertex arrays with the corner sort's scratch, and the sample normals.
        const unsigned long long bytes = 72ull * device.triangleCount +
                                         20ull * device.vertexCount + 12ull * samples.count;
        if (!scatterMemoryFits(bytes)) return MS::kFailure;
        thrust::device_vector<float> normals(3ull * samples.count);
        status = computeSampleNormals(devicePointer(device.points), device.vertexCount,
                                      devicePointer(device.triangles), device.triangleCount,
                                      devicePointer(samples.triangles), devicePointer(samples.uv),
                                      samples.count, devicePointer(normals));
        if (!status) return status;
        result.normals = moveToHost(normals);
    }
    result.positions = moveToHost(samples.positions);
    result.uv = moveToHost(samples.uv);
    result.triangles = moveToHost(samples.triangles);
    return MS::kSuccess;
}

MStatus setOutput(MDataBlock& block, MDataHandle& output, const MObject& data, const MPlug& plug) {
    MStatus status = output.set(data);
    if (!status) {
        std::cerr << "ERROR\n" << std::endl << status.errorString() << std::endl;
        return status;
    }
    block.setClean(plug);
    return MS::kSuccess;
}

MStatus setEmptyOutput(MDataBlock& block, MDataHandle& output, const MPlug& plug) {
    MFnArrayAttrsData empty;
    MStatus status;
    MObject data = empty.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    return setOutput(block, output, data, plug);
}

}  // namespace

zuScatterPoints::zuScatterPoints()
    : phaseMap{0, 15, 24, 11, 25, 9, 23, 19, 22, 5, 16, 3, 26, 18,
               21, 1, 10, 20, 13, 7, 17, 14, 8, 6, 2, 4, 12} {}

zuScatterPoints::~zuScatterPoints() = default;

void* zuScatterPoints::creator() { return new zuScatterPoints; }

MStatus zuScatterPoints::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] {
        const gpu::ShortTurns turns;  // many short launches: wait for them in short turns
        return scatter(plug, block);
    });
}

MStatus zuScatterPoints::scatter(const MPlug& plug, MDataBlock& block) {
    MStatus status;
    MDataHandle meshHandle = block.inputValue(inMesh, &status);
    STATUS_RETURN_ON_ERROR(status, "getting inMesh");
    ScatterSettings settings;
    settings.radius = readInput(block, radius).asFloat();
    readInput(block, addAll).asBool();
    readInput(block, mode).asShort();

    MFnMesh meshFn(meshHandle.asMesh(), &status);
    if (!status) {
        MGlobal::displayError(MPlug(thisMObject(), inMesh).name() + ": please supply inMesh");
        return status;
    }
    readBoxAndSwitches(block, settings);

    MDataHandle output = block.outputValue(outPoints, &status);
    STATUS_RETURN_ON_ERROR(status, "in hOutArray = block.outputArrayValue.\n");
    MFnArrayAttrsData outputSet;
    MObject outputData = outputSet.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");

    if (!settings.onVertices && !settings.onBorderEdges && !settings.onSurface)
        return setOutput(block, output, outputData, plug);
    if (!checkBoxSet(thisMObject(), boxPlugs(), settings.box)) return MS::kFailure;
    if (!checkConnectedValues(thisMObject(), settings)) return MS::kFailure;
    readSampling(block, settings);

    status = createOutputArrays(outputSet, settings.computeNormal);
    if (!status) return status;

    StageTimer stage("mesh preparation");  // stages are timed only for benchmarks
    ScatterMesh mesh;
    status = readMesh(meshFn, mesh.hostPoints, mesh.hostTriangles);
    if (!status) return status;
    ScatterGrid grid;
    if (!makeGrid(thisMObject(), settings, mesh.hostPoints, grid)) return MS::kFailure;
    bool tiny = false, onBorderEdges = settings.onBorderEdges;
    status = prepareMesh(block, onBorderEdges, mesh, tiny);
    if (!status) return status;
    if (tiny) {
        block.setClean(plug);  // nothing to scatter on: the output stays as it was
        return MS::kSuccess;
    }
    std::vector<Phase> phases;
    status = planPhases(settings, onBorderEdges, phases);
    if (!status) return status;
    if (phases.empty()) return setEmptyOutput(block, output, plug);

    HostSamples samples;
    status = runPhases(phases, settings, grid, phaseMap, mesh, stage, samples);
    if (!status) return status;
    stage.next("output arrays");
    fillOutputArrays(samples, settings.computeNormal, outputSet);
    return setOutput(block, output, outputData, plug);
}

namespace {

void setInputFlags(MFnAttribute& attribute, bool hidden) {
    attribute.setKeyable(true);
    attribute.setStorable(true);
    attribute.setReadable(true);
    attribute.setWritable(true);
    if (hidden) attribute.setHidden(true);
}

}  // namespace

MStatus zuScatterPoints::initialize() {
    MFnTypedAttribute typed;
    MFnNumericAttribute numeric;
    MStatus status;

    status = createPointSetOutput(outPoints);
    if (!status) return status;

    inMesh = typed.create("inMesh", "im", MFnData::kMesh, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in inMesh.\n");
    setInputFlags(typed, false);

    status = createBoundingBoxInput(boxPlugs(),
                                    [](MFnAttribute& child) { setInputFlags(child, true); });
    if (!status) return status;

    struct Numeric {
        MObject* attribute;
        const char* longName;
        const char* shortName;
        MFnNumericData::Type type;
        double defaultValue;
        bool hasMin, hasMax;
        double min, max;
    };
    const Numeric settings[] = {
        {&radius, "radius", "r", MFnNumericData::kFloat, 1.0, true, false, 0.001, 0},
        {&seed, "seed", "s", MFnNumericData::kInt, 1234, true, false, 0, 0},
        {&computeNormal, "computeNormal", "cn", MFnNumericData::kBoolean, 1, false, false, 0, 0},
        {&randomsMultipler, "randomsMultipler", "rm", MFnNumericData::kInt, 50, true, false, 1, 0},
        {&trials, "trials", "t", MFnNumericData::kInt, 5, true, true, 1, 20},
        {&mode, "mode", "mod", MFnNumericData::kShort, 0, true, true, 0, 1},
        {&addAll, "addAll", "aa", MFnNumericData::kBoolean, 0, false, false, 0, 0},
        {&partial, "partial", "p", MFnNumericData::kBoolean, 0, false, false, 0, 0},
    };
    for (const Numeric& setting : settings) {
        *setting.attribute = numeric.create(setting.longName, setting.shortName, setting.type,
                                            setting.defaultValue, &status);
        STATUS_RETURN_ON_ERROR(status, std::string("in ") + setting.longName + ".\n");
        if (setting.hasMin) numeric.setMin(setting.min);
        if (setting.hasMax) numeric.setMax(setting.max);
        setInputFlags(numeric, false);
    }

    faces = typed.create("faces", "f", MFnData::kString, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in faces.\n");
    typed.setStorable(true);
    typed.setReadable(true);
    typed.setWritable(true);
    typed.setKeyable(false);

    const Numeric switches[] = {
        {&scatterOnVertices, "scatterOnVertices", "sov", MFnNumericData::kBoolean, 0, false,
         false, 0, 0},
        {&scatterOnBorderEdges, "scatterOnBorderEdges", "sobe", MFnNumericData::kBoolean, 0,
         false, false, 0, 0},
        {&scatterOnSurface, "scatterOnSurface", "sos", MFnNumericData::kBoolean, 1, false, false,
         0, 0},
    };
    for (const Numeric& setting : switches) {
        *setting.attribute = numeric.create(setting.longName, setting.shortName, setting.type,
                                            setting.defaultValue, &status);
        STATUS_RETURN_ON_ERROR(status, std::string("in ") + setting.longName + ".\n");
        setInputFlags(numeric, false);
    }

    for (const MObject* attribute :
         {&outPoints, &inMesh, &boundingBox, &radius, &seed, &computeNormal, &randomsMultipler,
          &trials, &mode, &addAll, &partial, &faces, &scatterOnVertices, &scatterOnBorderEdges,
          &scatterOnSurface}) {
        status = addAttribute(*attribute);
        STATUS_RETURN_ON_ERROR(status, "in addAttribute.\n");
    }
    for (const MObject* attribute :
         {&inMesh, &boundingBox, &radius, &seed, &computeNormal, &addAll, &partial, &faces,
          &scatterOnVertices, &scatterOnBorderEdges, &scatterOnSurface, &randomsMultipler,
          &trials, &mode}) {
        status = attributeAffects(*attribute, outPoints);
        STATUS_RETURN_ON_ERROR(status, "in attributeAffects.\n");
    }
    return MS::kSuccess;
}
