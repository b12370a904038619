// Triangulation benchmark: one polygon of many corners (200,000 by default) triangulated by the
// host, as getTriangles does for a face. Shapes: a circle (convex), a star (every other corner
// reflex) and a comb (teeth pointing up and down, so the sweep splits it into many pieces). For
// each it prints the corner count, the triangles and the wall time, the best of --repeat runs
// (default 3).
//
//   triangulationBench [--corners N] [--repeat N]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/benchSupport.h"
#include "mesh/MeshGeometry.h"

using mayahost::MeshPoint;

namespace {

const double kPi = 3.14159265358979323846;

std::vector<MeshPoint> circle(int corners, double innerRadius) {
    std::vector<MeshPoint> points;
    for (int i = 0; i < corners; ++i) {
        const double r = i % 2 ? innerRadius : 1.0, a = 2 * kPi * i / corners;
        points.push_back({float(r * std::cos(a)), float(r * std::sin(a)), 0.0f});
    }
    return points;
}

// Teeth along the top and the bottom of a long bar, four corners a tooth.
std::vector<MeshPoint> comb(int corners) {
    const int teeth = corners / 8;
    std::vector<MeshPoint> points;
    for (int t = 0; t < teeth; ++t) {  // the bottom, left to right, teeth pointing down
        points.push_back({float(2 * t), 0.0f, 0.0f});
        points.push_back({float(2 * t), -3.0f, 0.0f});
        points.push_back({float(2 * t + 1), -3.0f, 0.0f});
        points.push_back({float(2 * t + 1), 0.0f, 0.0f});
    }
    for (int t = teeth - 1; t >= 0; --t) {  // the top, right to left, teeth pointing up
        points.push_back({float(2 * t + 1), 1.0f, 0.0f});
        points.push_back({float(2 * t + 1), 4.0f, 0.0f});
        points.push_back({float(2 * t), 4.0f, 0.0f});
        points.push_back({float(2 * t), 1.0f, 0.0f});
    }
    return points;
}

}  // namespace

int main(int argc, char** argv) {
    int corners = 200000, repeat = 3;
    const bool understood =
        bench::readOptions(argc, argv,
                           {{"--corners", [&](const char* v) { corners = std::atoi(v); }},
                            {"--repeat", [&](const char* v) { repeat = std::atoi(v); }}});
    if (!understood || corners < 8 || repeat < 1) {
        std::fprintf(stderr, "usage: triangulationBench [--corners N >= 8] [--repeat N >= 1]\n");
        return 2;
    }
    const struct {
        const char* name;
        std::vector<MeshPoint> polygon;
    } shapes[] = {
        {"circle", circle(corners, 1.0)},
        {"star", circle(corners, 0.5)},
        {"comb", comb(corners)},
    };
    std::printf("%-8s %10s %10s %10s\n", "shape", "corners", "triangles", "seconds");
    for (const auto& shape : shapes) {
        double best = 1e300;
        std::size_t triangles = 0;
        for (int r = 0; r < repeat; ++r) {
            std::vector<int> result;
            const auto start = std::chrono::steady_clock::now();
            mayahost::triangulatePolygon(shape.polygon, result);
            best = std::min(best, bench::secondsSince(start));
            triangles = result.size() / 3;
        }
        std::printf("%-8s %10zu %10zu %10.3f\n", shape.name, shape.polygon.size(), triangles, best);
    }
    return 0;
}
