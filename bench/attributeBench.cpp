// Point node benchmark: the attribute nodes (zuPointsRotation, zuPointsScale, zuPointsObjectId,
// zuPointsNormal, zuPointsTransform) and the point set nodes (zuPointsSelection, zuPointsContainer,
// zuPointsMerge, zuPlantPoints, zuPointsAttrShuffle) on the points of a scatter over a 10 x 10
// plane of 80,000 triangles with two colour sets, at about 100,000 and 1,000,000 points, beside
// the shared pass-through copy of the same point set alone. Most nodes read the scatter's output
// directly, with their layers and random parts in use; the selection runs its colour stage,
// three conditions and the facing test; the merge blends the container's kept points back by
// their fallof, and the plant reads a rotation node's edge arrays. Per node and size it prints the median wall time of --repeat computes
// (default 5; reading outPoints after its input was reconnected, so only that node computes),
// the points per second, the time as a multiple of the pass-through's, and, on the second size,
// the time as a multiple of the first size's.
//
//   attributeBench [--repeat N] [--only NODE]   (--only: that node alone, beside the copy)
#include <maya/MFnArrayAttrsData.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/benchSupport.h"
#include "common/pointSetOutput.h"

namespace {

using bench::median;
using bench::plugOf;
using bench::run;

// The median seconds of `repeat` runs of `step` (false: a failure).
bool medianSeconds(int repeat, const std::function<bool()>& step, double& seconds) {
    std::vector<double> times;
    for (int k = 0; k < repeat; ++k) {
        const auto start = std::chrono::steady_clock::now();
        if (!step()) return false;
        times.push_back(bench::secondsSince(start));
    }
    seconds = median(times);
    return true;
}

// A timed node, the input it is reconnected on before each compute and the plug it reads.
struct TimedNode {
    const char* name;
    const char* input;
    const char* source;
};

// One compute of node.outPoints: its input is connected again first (outside the timing), which
// leaves what is upstream clean.
bool computeOnce(const TimedNode& timed, double& seconds) {
    const std::string node = timed.name, input = node + "." + timed.input;
    if (!run(std::string("disconnectAttr ") + timed.source + " " + input + "; connectAttr " + timed.source + " " +
             input))
        return false;
    MObject data;
    const auto start = std::chrono::steady_clock::now();
    const MStatus status = plugOf(node + ".outPoints").getValue(data);
    seconds = bench::secondsSince(start);
    if (!status) std::fprintf(stderr, "attributeBench: %s failed\n", node.c_str());
    return static_cast<bool>(status);
}

const TimedNode kNodes[] = {
    {"zuPointsRotation", "inPoints", "scatter.outPoints"},     {"zuPointsScale", "inPoints", "scatter.outPoints"},
    {"zuPointsObjectId", "inPoints", "scatter.outPoints"},     {"zuPointsNormal", "inPoints", "scatter.outPoints"},
    {"zuPointsTransform", "inPoints", "scatter.outPoints"},    {"zuPointsSelection", "inPoints", "scatter.outPoints"},
    {"zuPointsContainer", "inPoints", "scatter.outPoints"},    {"zuPointsMerge", "inPoints1", "scatter.outPoints"},
    {"zuPlantPoints", "inPoints", "edgeAims.outPoints"},       {"zuPointsAttrShuffle", "inPoints", "scatter.outPoints"},
};

bool buildScene() {
    return run("loadPlugin pointSuite; polyPlane -w 10 -h 10 -sx 200 -sy 200 -n plane;"
               "polyColorSet -create -colorSet paint plane; polyColorSet -create -colorSet ids plane;"
               "polyColorPerVertex -colorSet paint -rgb 1 0.5 0.25 -a 1 plane.vtx[0:20000];"
               "polyColorPerVertex -colorSet paint -rgb 0.2 0.9 0.4 -a 0.5 plane.vtx[20001:40400];"
               "polyColorPerVertex -colorSet ids -rgb 0.3 0.3 0.4 -a 1 plane.vtx[0:40400];"
               "createNode zuScatterPoints -n scatter; connectAttr planeShape.outMesh scatter.inMesh;"
               "connectAttr planeShape.boundingBox scatter.boundingBox;"
               "createNode zuPointsRotation -n zuPointsRotation; setAttr zuPointsRotation.target 3 4 5;"
               "setAttr zuPointsRotation.randomG 0.2; setAttr zuPointsRotation.vertexColor[0].vertexColorWeight 0.5;"
               "setAttr zuPointsRotation.vertexColor[1].vertexColorType 1;"
               "connectAttr planeShape.outMesh zuPointsRotation.inMesh;"
               "createNode zuPointsScale -n zuPointsScale; setAttr zuPointsScale.uniform 0;"
               "setAttr zuPointsScale.scaleRandomY 0.5; setAttr zuPointsScale.vertexColor[0].vertexColorWeight 0.5;"
               "setAttr zuPointsScale.vertexColor[1].vertexColorType 1;"
               "connectAttr planeShape.outMesh zuPointsScale.inMesh;"
               "createNode zuPointsObjectId -n zuPointsObjectId; connectAttr planeShape.outMesh zuPointsObjectId.inMesh;"
               "setAttr zuPointsObjectId.randomId[0].randomIdVal 1; setAttr zuPointsObjectId.randomId[1].randomIdVal 2;"
               "setAttr zuPointsObjectId.randomId[2].randomIdVal 3; setAttr zuPointsObjectId.vertexColor[1].vertexColorId2 5;"
               "createNode zuPointsNormal -n zuPointsNormal; connectAttr planeShape.outMesh zuPointsNormal.inMesh;"
               "createNode zuPointsTransform -n zuPointsTransform; createNode transform -n mover;"
               "setAttr mover.translateX 2; setAttr mover.rotateY 30;"
               "connectAttr mover.worldMatrix[0] zuPointsTransform.inWorldMatrix;"
               "connectAttr scatter.outPoints zuPointsRotation.inPoints;"
               "connectAttr scatter.outPoints zuPointsScale.inPoints;"
               "connectAttr scatter.outPoints zuPointsObjectId.inPoints;"
               "connectAttr scatter.outPoints zuPointsNormal.inPoints;"
               "connectAttr scatter.outPoints zuPointsTransform.inPoints;"
               "createNode zuPointsSelection -n zuPointsSelection; setAttr zuPointsSelection.useVertexColor 1;"
               "connectAttr planeShape.outMesh zuPointsSelection.inMesh;"
               "setAttr zuPointsSelection.conditions -type \"string\" \"position.x > -4, position.z < lim.z, pointID != 5\";"
               "setAttr zuPointsSelection.variables[0].varName -type \"string\" \"lim\";"
               "setAttr zuPointsSelection.variables[0].varValue 0 0 4;"
               "setAttr zuPointsSelection.dotProdCondition 1; setAttr zuPointsSelection.dotProdVector 0 1 0.5;"
               "connectAttr scatter.outPoints zuPointsSelection.inPoints;"
               "createNode zuPointsContainer -n zuPointsContainer; createNode transform -n volume;"
               "setAttr volume.scale 4 4 4; setAttr zuPointsContainer.fallof 0.5;"
               "connectAttr volume.worldMatrix[0] zuPointsContainer.inWorldMatrix;"
               "connectAttr scatter.outPoints zuPointsContainer.inPoints;"
               "createNode zuPointsMerge -n zuPointsMerge; setAttr zuPointsMerge.factor 0.5;"
               "setAttr zuPointsMerge.attributes[0] -type \"string\" \"position\";"
               "setAttr zuPointsMerge.attributes[1] -type \"string\" \"normal\";"
               "connectAttr scatter.outPoints zuPointsMerge.inPoints1;"
               "connectAttr zuPointsContainer.outPoints zuPointsMerge.inPoints2;"
               "createNode zuPointsRotation -n edgeAims; setAttr edgeAims.localAimDirection 1;"
               "connectAttr planeShape.outMesh edgeAims.inMesh; connectAttr scatter.outPoints edgeAims.inPoints;"
               "createNode zuPlantPoints -n zuPlantPoints; connectAttr planeShape.outMesh zuPlantPoints.inMesh;"
               "connectAttr edgeAims.outPoints zuPlantPoints.inPoints;"
               "createNode zuPointsAttrShuffle -n zuPointsAttrShuffle;"
               "setAttr zuPointsAttrShuffle.attrFrom -type \"string\" \"normal\";"
               "setAttr zuPointsAttrShuffle.attrTo -type \"string\" \"aimDirection\";"
               "connectAttr scatter.outPoints zuPointsAttrShuffle.inPoints");
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 5;
    std::string only;
    if (!bench::readOptions(argc, argv,
                            {{"--repeat", [&](const char* v) { repeat = bench::atLeast(1, v); }},
                             {"--only", [&](const char* v) { only = v; }}})) {
        std::fprintf(stderr, "usage: attributeBench [--repeat N] [--only NODE]\n");
        return 2;
    }
    if (!buildScene()) return 1;
    // About 0.6 points per r^2 of area; the candidates stay below the scatter's 10,000,000.
    const struct {
        double radius;
        int multiplier;
    } sizes[] = {{0.0245, 50}, {0.00775, 18}};

    std::printf("point nodes: median of %d computes, %u hardware threads\n", repeat,
                std::thread::hardware_concurrency());
    std::printf("%-20s %9s %10s %10s %9s %9s\n", "node", "points", "ms", "Mpoints/s", "/copy", "/size1");
    std::map<std::string, double> firstSize;
    for (const auto& size : sizes) {
        if (!run("setAttr scatter.radius " + std::to_string(size.radius) + "; setAttr scatter.rm " +
                 std::to_string(size.multiplier)))
            return 1;
        MObject scattered;
        if (!plugOf("scatter.outPoints").getValue(scattered)) return 1;
        MFnArrayAttrsData input(scattered);
        const unsigned int n = input.count();

        double copySeconds = 0;
        const bool copied = medianSeconds(repeat, [&] {
            MFnArrayAttrsData output;
            MObject data;
            return static_cast<bool>(createPassThroughSet(input, {}, output, data));
        }, copySeconds);
        if (!copied) return 1;
        const auto row = [&](const char* name, double seconds, double copy) {
            std::printf("%-20s %9u %10.2f %10.2f %8.2fx", name, n, seconds * 1e3, n / seconds / 1e6, seconds / copy);
            if (firstSize.count(name)) std::printf(" %8.2fx", seconds / firstSize[name]);
            else firstSize[name] = seconds;
            std::printf("\n");
            std::fflush(stdout);
        };
        row("pass-through copy", copySeconds, copySeconds);
        for (const TimedNode& node : kNodes) {
            if (!only.empty() && only != node.name) continue;
            double once = 0;
            if (!computeOnce(node, once)) return 1;  // warm: first touch of the output's memory
            std::vector<double> times;
            for (int k = 0; k < repeat; ++k) {
                if (!computeOnce(node, once)) return 1;
                times.push_back(once);
            }
            row(node.name, median(times), copySeconds);
        }
    }
    return 0;
}
