// Weaver benchmark: scatters of about 10,000, 100,000 and 300,000 points on the unit sphere
// (zuScatterPoints, normals on), each woven by zuTriWeaver at the scatter's radius and at twice
// it, with makeManifold on. Per run it prints the wall time of each stage of the compute and of
// the whole compute (reading outMesh), the median of --repeat computes (default 3), and the
// mesh's quality: triangles, border edges (one triangle), non-manifold edges (more than two)
// without the repair and after it, shells (pieces joined through edges of two triangles) and the
// points no triangle uses.
//
//   weaverBench [--repeat N] [--points N]   (--points: one scatter of about N points only)
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "bench/benchSupport.h"

namespace {

using namespace bench;

const char* const kStages[] = {"upload",     "hash",     "candidates", "sort",
                               "acceptance", "topology", "repair",     "outputs"};

struct Quality {
    unsigned int triangles = 0, points = 0, borderEdges = 0, nonManifoldEdges = 0, shells = 0;
};

// The mesh on weaver.outMesh, measured.
Quality measure(const MObject& data) {
    Quality q;
    MFnMesh mesh(data);
    MIntArray counts, connects;
    mesh.getVertices(counts, connects);
    q.triangles = counts.length();
    q.points = static_cast<unsigned int>(mesh.numVertices());
    std::map<std::pair<int, int>, std::vector<unsigned int>> edges;
    for (unsigned int t = 0; t < q.triangles; ++t)
        for (int k = 0; k < 3; ++k) {
            const int u = connects[3 * t + k], w = connects[3 * t + (k + 1) % 3];
            edges[{std::min(u, w), std::max(u, w)}].push_back(t);
        }
    std::vector<unsigned int> parent(q.triangles);
    std::iota(parent.begin(), parent.end(), 0u);
    auto root = [&parent](unsigned int t) {
        while (parent[t] != t) t = parent[t] = parent[parent[t]];
        return t;
    };
    for (const auto& [edge, triangles] : edges) {
        if (triangles.size() == 1) ++q.borderEdges;
        if (triangles.size() > 2) ++q.nonManifoldEdges;
        if (triangles.size() == 2) parent[root(triangles[0])] = root(triangles[1]);
    }
    for (unsigned int t = 0; t < q.triangles; ++t) q.shells += root(t) == t;
    return q;
}

struct Compute {
    double seconds = 0;
    std::map<std::string, double> stages;
    MObject mesh;
};

bool medianCompute(int repeat, StageTotals& listener, Compute& median) {
    std::vector<Compute> computes;
    for (int k = 0; k < repeat; ++k) {
        if (!run("setAttr weaver.dpl 0")) return false;  // dirties outMesh, changes nothing
        listener.totals.clear();
        Compute c;
        const auto start = std::chrono::steady_clock::now();
        const MStatus status = plugOf("weaver.outMesh").getValue(c.mesh);
        const double elapsed = bench::secondsSince(start);
        if (!status) {
            std::fprintf(stderr, "weaverBench: the compute failed\n");
            return false;
        }
        c.seconds = elapsed;
        c.stages = listener.totals;
        computes.push_back(c);
    }
    median = bench::medianRun(computes);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    unsigned int only = 0;
    if (!readOptions(argc, argv,
                     {{"--repeat", [&](const char* v) { repeat = atLeast(1, v); }},
                      {"--points", [&](const char* v) { only = unsigned(atLeast(1, v)); }}})) {
        std::fprintf(stderr, "usage: weaverBench [--repeat N] [--points N]\n");
        return 2;
    }
    if (!run("loadPlugin pointSuite") ||
        !run(std::string("loadPlugin \"") + BENCH_PLUGIN + "\""))
        return 1;
    const bench::StageHook install = bench::stageHookOf(BENCH_PLUGIN);
    if (!install) return 1;
    StageTotals listener;
    install(&listener);
    if (!run("polySphere -r 1 -sx 200 -sy 101 -n sphere; createNode zuScatterPoints -n scatter;"
             "connectAttr sphereShape.outMesh scatter.inMesh;"
             "connectAttr sphereShape.boundingBox scatter.boundingBox;"
             "createNode zuTriWeaver -n weaver; connectAttr scatter.outPoints weaver.inPoints;"
             "connectAttr sphereShape.boundingBox weaver.boundingBox; setAttr weaver.mm 1"))
        return 1;

    std::printf(
        "zuTriWeaver on scatters of the unit sphere: median of %d computes per run, %u "
        "hardware threads\n%8s %8s %6s",
        repeat, std::thread::hardware_concurrency(), "points", "radius", "weave");
    for (const char* stage : kStages) std::printf(" %10.10s", stage);
    std::printf(" %9s %9s %8s %7s %7s %6s %6s\n", "compute", "triangles", "border", "nonman",
                "repaired", "shells", "unused");
    std::printf("%8s %8s %6s", "", "", "");
    for (size_t i = 0; i < sizeof kStages / sizeof *kStages; ++i) std::printf(" %10s", "ms");
    std::printf(" %9s\n", "ms");
    std::vector<unsigned int> targets = {10000, 100000, 300000};
    if (only) targets = {only};
    for (unsigned int target : targets) {
        // About 7.6 / r^2 points on the unit sphere at the scatter's default settings.
        const double radius = std::sqrt(7.6 / target);
        if (!run("setAttr scatter.radius " + std::to_string(radius))) return 1;
        MObject points;
        if (!plugOf("scatter.outPoints").getValue(points)) return 1;
        const unsigned int count = MFnArrayAttrsData(points).count();
        for (double factor : {1.0, 2.0}) {
            if (!run("setAttr weaver.radius " + std::to_string(radius * factor) +
                     "; setAttr weaver.mm 0"))
                return 1;
            MObject unrepaired;
            if (!plugOf("weaver.outMesh").getValue(unrepaired)) return 1;
            const unsigned int before = measure(unrepaired).nonManifoldEdges;
            if (!run("setAttr weaver.mm 1")) return 1;
            Compute median;
            if (!medianCompute(repeat, listener, median)) return 1;
            const Quality q = measure(median.mesh);
            std::printf("%8u %8.5f %5.0fx", count, radius * factor, factor);
            bench::printStageTimes(kStages, median.stages, 10);
            std::printf(" %9.1f %9u %8u %7u %7u %6u %6u\n", median.seconds * 1e3, q.triangles,
                        q.borderEdges, before, q.nonManifoldEdges, q.shells, count - q.points);
            std::fflush(stdout);
        }
    }
    install(nullptr);
    return 0;
}
