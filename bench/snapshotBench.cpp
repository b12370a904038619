// Snapshot benchmark: a zuDisplayPoints locator with a point set of many points (1,000,000 by
// default) spread over a sphere, each with a direction line and a barb, drawn by snapshotView
// at 1280 x 720. Prints the point count and, for the first snapshot (which also runs the
// locator's compute) and the best of --repeat later ones (default 3), the wall time.
//
//   snapshotBench [--points N] [--repeat N]
#include <maya/MFnArrayAttrsData.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/benchSupport.h"

namespace {

// Points on a sphere of radius 10 along a spiral, aimed outwards, with +Y up.
MObject sphereOfPoints(unsigned int count) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MVectorArray position = fn.vectorArray("position"), aim = fn.vectorArray("aimDirection"),
                 up = fn.vectorArray("aimWorldUp");
    position.setLength(count), aim.setLength(count), up.setLength(count);
    const double golden = M_PI * (3.0 - std::sqrt(5.0));
    for (unsigned int i = 0; i < count; ++i) {
        const double y = 1.0 - 2.0 * (i + 0.5) / count, r = std::sqrt(1.0 - y * y), a = golden * i;
        const MVector normal(r * std::cos(a), y, r * std::sin(a));
        position[i] = normal * 10.0;
        aim[i] = normal;
        up[i] = MVector(0, 1, 0);
    }
    return data;
}

double secondsOf(const char* command) {
    const auto start = std::chrono::steady_clock::now();
    if (!MGlobal::executeCommand(command)) {
        std::fprintf(stderr, "snapshotBench: the snapshot failed\n");
        std::exit(1);
    }
    return bench::secondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    unsigned int points = 1000000;
    int repeat = 3;
    bench::readOptions(
        argc, argv,
        {{"--points", [&](const char* v) { points = bench::countOf(v); }},
         {"--repeat", [&](const char* v) { repeat = bench::atLeast(1, v); }}});
    if (!MGlobal::executeCommand("loadPlugin \"" POINTSUITE_PLUGIN "\"") ||
        !MGlobal::executeCommand(
            "createNode zuDisplayPoints; setAttr zuDisplayPointsShape1.displayDir 1; "
            "setAttr zuDisplayPointsShape1.arrowSize 0.5; "
            "setAttr zuDisplayPointsShape1.pointColor 1 1 0")) {
        std::fprintf(stderr, "snapshotBench: cannot set up the scene\n");
        return 1;
    }
    MPlug inPoints = bench::plugOf("zuDisplayPointsShape1.inPoints");
    MObject data = sphereOfPoints(points);
    inPoints.setValue(data);
    const char* snapshot = "snapshotView \"snapshotBench.png\" -width 1280 -height 720";
    const double first = secondsOf(snapshot);
    double best = 1e300;
    for (int r = 0; r < repeat; ++r) best = std::min(best, secondsOf(snapshot));
    std::printf(
        "snapshot of %u points with direction lines at 1280x720: first %.3f s (with the compute), "
        "best of %d later %.3f s\n",
        points, first, repeat, best);
    return 0;
}
