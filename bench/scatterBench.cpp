// Scatter benchmark: zuScatterPoints on a unit sphere of 40,000 triangles and a 10 x 10 plane of
// 80,000 triangles, at radii chosen for about 10,000, 100,000 and 300,000 samples, surface phase
// at the default randomsMultipler (50), normals on. Per run it prints the candidates, the
// samples, the wall time of each stage of the compute, the whole compute (reading outPoints:
// from reading inMesh to the output set) and the candidates and samples per second. Each run is
// the median of --repeat computes (default 3), each with another seed.
//
// --load N runs each case twice: quiet, then beside N busy threads of the benchmark's own that
// spin for the loaded computes only; the loaded row gives its time as a multiple of the quiet
// one, measured the moment before.
//
//   scatterBench [--repeat N] [--mesh sphere|plane] [--load N]
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/benchSupport.h"
#include "common/busyThreads.h"

namespace {

using namespace bench;

const char* const kStages[] = {"mesh preparation", "candidates", "sort",    "hash table",
                               "dart throwing",    "extraction", "normals", "output arrays"};

// Triangle count and total area of a mesh shape.
void measure(const std::string& shape, int& triangles, double& area) {
    MObject data;
    plugOf(shape + ".outMesh").getValue(data);
    MFnMesh mesh(data);
    MPointArray points;
    MIntArray counts, vertices;
    mesh.getPoints(points);
    mesh.getTriangles(counts, vertices);
    triangles = static_cast<int>(vertices.length() / 3);
    area = 0;
    for (int t = 0; t < triangles; ++t) {
        const MVector ab = points[vertices[3 * t + 1]] - points[vertices[3 * t]];
        const MVector ac = points[vertices[3 * t + 2]] - points[vertices[3 * t]];
        area += 0.5 * (ab ^ ac).length();
    }
}

struct Compute {
    double seconds = 0;
    unsigned int samples = 0;
    std::map<std::string, double> stages;
};

// The median of `repeat` computes of the node at this radius, seeds 1 to `repeat`.
bool medianCompute(const std::string& node, double radius, int repeat, StageTotals& listener,
                   Compute& median) {
    std::vector<Compute> computes;
    for (int k = 0; k < repeat; ++k) {
        if (!run("setAttr " + node + ".radius " + std::to_string(radius) + "; setAttr " + node +
                 ".seed " + std::to_string(k + 1)))
            return false;
        listener.totals.clear();
        MObject data;
        const auto start = std::chrono::steady_clock::now();
        const MStatus status = plugOf(node + ".outPoints").getValue(data);
        const double elapsed = bench::secondsSince(start);
        if (!status) {
            std::fprintf(stderr, "scatterBench: the compute failed\n");
            return false;
        }
        Compute c;
        c.seconds = elapsed;
        c.samples = MFnArrayAttrsData(data).count();
        c.stages = listener.totals;
        computes.push_back(c);
    }
    median = bench::medianRun(computes);
    return true;
}

struct Case {
    const char* mesh;
    int triangles = 0;
    double radius = 0, candidates = 0;
};

// One row of the table; a loaded row also gives its time over the quiet one's.
void printRow(const Case& c, int load, const Compute& median, const Compute* quiet) {
    std::printf("%-7s %9d %8.5f %10.0f %8u %4d", c.mesh, c.triangles, c.radius, c.candidates,
                median.samples, load);
    bench::printStageTimes(kStages, median.stages, 9);
    const auto output = median.stages.find("output arrays");
    std::printf(" %9.1f %8.2f %9.1f %6.1f%%", median.seconds * 1e3,
                c.candidates / median.seconds / 1e6, median.samples / median.seconds / 1e3,
                output == median.stages.end() ? 0.0 : 100 * output->second / median.seconds);
    if (quiet) std::printf(" %6.2fx", median.seconds / quiet->seconds);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3, load = 0;
    std::string only;
    if (!readOptions(argc, argv,
                     {{"--repeat", [&](const char* v) { repeat = atLeast(1, v); }},
                      {"--mesh", [&](const char* v) { only = v; }},
                      {"--load", [&](const char* v) { load = atLeast(0, v); }}})) {
        std::fprintf(stderr, "usage: scatterBench [--repeat N] [--mesh sphere|plane] [--load N]\n");
        return 2;
    }
    if (!run(std::string("loadPlugin \"") + BENCH_PLUGIN + "\"")) return 1;
    const bench::StageHook install = bench::stageHookOf(BENCH_PLUGIN);
    if (!install) return 1;
    StageTotals listener;
    install(&listener);

    struct Mesh {
        const char* name;
        const char* make;
    } meshes[] = {{"sphere", "polySphere -r 1 -sx 200 -sy 101 -n sphere"},
                  {"plane", "polyPlane -w 10 -h 10 -sx 200 -sy 200 -n plane"}};
    const unsigned int targets[] = {10000, 100000, 300000};

    std::printf("zuScatterPoints: median of %d computes per run, %u hardware threads", repeat,
                std::thread::hardware_concurrency());
    if (load > 0) std::printf(", loaded rows beside %d busy threads", load);
    std::printf("\n%-7s %9s %8s %10s %8s %4s", "mesh", "triangles", "radius", "candidates",
                "samples", "load");
    for (const char* stage : kStages) std::printf(" %9.9s", stage);
    std::printf(" %9s %8s %9s %7s %7s\n", "compute", "Mcand/s", "ksample/s", "output", "loaded");
    std::printf("%-7s %9s %8s %10s %8s %4s", "", "", "", "", "", "");
    for (size_t i = 0; i < sizeof kStages / sizeof *kStages; ++i) std::printf(" %9s", "ms");
    std::printf(" %9s %8s %9s %7s %7s\n", "ms", "", "", "share", "/quiet");

    for (const Mesh& mesh : meshes) {
        if (!only.empty() && only != mesh.name) continue;
        const std::string shape = std::string(mesh.name) + "Shape";
        const std::string node = std::string(mesh.name) + "Scatter";
        if (!run(mesh.make) || !run("createNode zuScatterPoints -n " + node) ||
            !run("connectAttr " + shape + ".outMesh " + node + ".inMesh") ||
            !run("connectAttr " + shape + ".boundingBox " + node + ".boundingBox"))
            return 1;
        Case c;
        c.mesh = mesh.name;
        double area = 0;
        measure(shape, c.triangles, area);
        for (unsigned int target : targets) {
            // About 0.6 samples per r^2 of area at the default settings.
            c.radius = std::sqrt(0.6 * area / target);
            const float r = static_cast<float>(c.radius);
            c.candidates =
                std::ceil(area / (3.14159274 * r * r)) * 50;  // the surface phase's count
            Compute quiet, loaded;
            if (!medianCompute(node, c.radius, repeat, listener, quiet)) return 1;
            printRow(c, 0, quiet, nullptr);
            if (load == 0) continue;
            {
                BusyThreads busy(load);
                if (!medianCompute(node, c.radius, repeat, listener, loaded)) return 1;
            }
            printRow(c, load, loaded, &quiet);
        }
    }
    install(nullptr);
    return 0;
}
