// Scatter benchmark: zuScatterPoints on a unit sphere of 40,000 triangles and a 10 x 10 plane of
// 80,000 triangles, at radii chosen for about 10,000, 100,000 and 300,000 samples, surface phase
// at the default randomsMultipler (50), normals on. Per run it prints the candidates, the
// samples, the wall time of each stage of the compute, the whole compute (reading outPoints:
// from reading inMesh to the output set) and the candidates and samples per second. Each run is
// the median of --repeat computes (default 3), each with another seed.
//
//   scatterBench [--repeat N] [--mesh sphere|plane]
#include <dlfcn.h>
#include <unistd.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPointArray.h>
#include <maya/MSelectionList.h>

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

#include "common/stageTimer.h"

namespace {

const char* const kStages[] = {"mesh preparation", "candidates", "sort",    "hash table",
                               "dart throwing",    "extraction", "normals", "output arrays"};

// Adds up the stage times of one compute.
class StageTotals : public StageListener {
public:
    void stageFinished(const char* stage, double seconds) override { totals[stage] += seconds; }
    std::map<std::string, double> totals;
};

bool run(const std::string& commands) {
    if (MGlobal::executeCommand(commands.c_str())) return true;
    std::fprintf(stderr, "scatterBench: failed: %s\n", commands.c_str());
    return false;
}

MPlug plugOf(const std::string& name) {
    MSelectionList list;
    MPlug plug;
    list.add(name.c_str());
    list.getPlug(0, plug);
    return plug;
}

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

}  // namespace

// The launches of one compute follow each other closely: OpenMP's worker threads should keep
// spinning between them rather than go to sleep, as a host dedicated to the work would run them.
// The policy is read when the OpenMP runtime starts, so it is set by starting the program again.
void keepWorkersSpinning(char** argv) {
    if (std::getenv("OMP_WAIT_POLICY")) return;
    setenv("OMP_WAIT_POLICY", "active", 1);
    execv("/proc/self/exe", argv);
}

int main(int argc, char** argv) {
    keepWorkersSpinning(argv);
    int repeat = 3;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--mesh") && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: scatterBench [--repeat N] [--mesh sphere|plane]\n");
            return 2;
        }
    }
    if (!run(std::string("loadPlugin \"") + SCATTER_BENCH_PLUGIN + "\"")) return 1;
    void* library = dlopen(SCATTER_BENCH_PLUGIN, RTLD_NOW | RTLD_NOLOAD);
    auto install = library ? reinterpret_cast<void (*)(StageListener*)>(
                                 dlsym(library, "setScatterStageListener"))
                           : nullptr;
    if (!install) {
        std::fprintf(stderr, "scatterBench: the plug-in has no stage hook\n");
        return 1;
    }
    StageTotals listener;
    install(&listener);

    struct Mesh {
        const char* name;
        const char* make;
    } meshes[] = {{"sphere", "polySphere -r 1 -sx 200 -sy 101 -n sphere"},
                  {"plane", "polyPlane -w 10 -h 10 -sx 200 -sy 200 -n plane"}};
    const unsigned int targets[] = {10000, 100000, 300000};

    std::printf("zuScatterPoints: OMP_WAIT_POLICY=%s\n", std::getenv("OMP_WAIT_POLICY"));
    std::printf("zuScatterPoints: median of %d computes per run, %u hardware threads\n", repeat,
                std::thread::hardware_concurrency());
    std::printf("%-7s %9s %8s %10s %8s", "mesh", "triangles", "radius", "candidates", "samples");
    for (const char* stage : kStages) std::printf(" %9.9s", stage);
    std::printf(" %9s %8s %9s %7s\n", "compute", "Mcand/s", "ksample/s", "output");
    std::printf("%-7s %9s %8s %10s %8s", "", "", "", "", "");
    for (size_t i = 0; i < sizeof kStages / sizeof *kStages; ++i) std::printf(" %9s", "ms");
    std::printf(" %9s %8s %9s %7s\n", "ms", "", "", "share");

    for (const Mesh& mesh : meshes) {
        if (!only.empty() && only != mesh.name) continue;
        const std::string shape = std::string(mesh.name) + "Shape";
        const std::string node = std::string(mesh.name) + "Scatter";
        if (!run(mesh.make) || !run("createNode zuScatterPoints -n " + node) ||
            !run("connectAttr " + shape + ".outMesh " + node + ".inMesh") ||
            !run("connectAttr " + shape + ".boundingBox " + node + ".boundingBox"))
            return 1;
        int triangles = 0;
        double area = 0;
        measure(shape, triangles, area);
        for (unsigned int target : targets) {
            // About 0.6 samples per r^2 of area at the default settings.
            const double radius = std::sqrt(0.6 * area / target);
            const float r = static_cast<float>(radius);
            const double candidates =
                std::ceil(area / (3.14159274 * r * r)) * 50;  // the surface phase's count
            std::vector<Compute> computes;
            for (int k = 0; k < repeat; ++k) {
                if (!run("setAttr " + node + ".radius " + std::to_string(radius) + "; setAttr " +
                         node + ".seed " + std::to_string(k + 1)))
                    return 1;
                listener.totals.clear();
                MObject data;
                const auto start = std::chrono::steady_clock::now();
                const MStatus status = plugOf(node + ".outPoints").getValue(data);
                const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
                if (!status) {
                    std::fprintf(stderr, "scatterBench: the compute failed\n");
                    return 1;
                }
                Compute c;
                c.seconds = elapsed.count();
                c.samples = MFnArrayAttrsData(data).count();
                c.stages = listener.totals;
                computes.push_back(c);
            }
            std::sort(computes.begin(), computes.end(),
                      [](const Compute& a, const Compute& b) { return a.seconds < b.seconds; });
            const Compute& median = computes[computes.size() / 2];
            std::printf("%-7s %9d %8.5f %10.0f %8u", mesh.name, triangles, radius, candidates,
                        median.samples);
            for (const char* stage : kStages) {
                auto it = median.stages.find(stage);
                std::printf(" %9.1f", it == median.stages.end() ? 0.0 : it->second * 1e3);
            }
            const auto output = median.stages.find("output arrays");
            std::printf(" %9.1f %8.2f %9.1f %6.1f%%\n", median.seconds * 1e3,
                        candidates / median.seconds / 1e6, median.samples / median.seconds / 1e3,
                        output == median.stages.end() ? 0.0 : 100 * output->second / median.seconds);
            std::fflush(stdout);
        }
    }
    install(nullptr);
    return 0;
}
