// Built-in queries of point sets.
#include <maya/MGlobal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

#include "commands/CommandArgs.h"
#include "commands/CommandRegistry.h"
#include "data/DataTypes.h"
#include "graph/Scene.h"

using namespace mayahost;

namespace {

// The smallest distance between two of the points (infinity for fewer than two). Sweeps along
// the axis of largest extent and skips pairs farther apart than the best so far along the two
// largest axes: about n log n for points spread over a surface or a volume.
double smallestDistance(const std::vector<MVector>& points) {
    double best = std::numeric_limits<double>::infinity();
    if (points.size() < 2) return best;
    MVector low = points[0], high = points[0];
    for (const MVector& p : points)
        for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
    int axes[3] = {0, 1, 2};
    std::sort(axes, axes + 3, [&](int a, int b) { return high[a] - low[a] > high[b] - low[b]; });
    const int first = axes[0], second = axes[1];
    std::vector<MVector> sorted = points;
    std::sort(sorted.begin(), sorted.end(), [first](const MVector& a, const MVector& b) { return a[first] < b[first]; });
    for (size_t i = 0; i < sorted.size(); ++i) {
        for (size_t j = i + 1; j < sorted.size() && sorted[j][first] - sorted[i][first] < best; ++j) {
            if (std::abs(sorted[j][second] - sorted[i][second]) >= best) continue;
            best = std::min(best, (sorted[j] - sorted[i]).length());
        }
    }
    return best;
}

}  // namespace

// pointSetStats <point-set plug> [vector array name]: prints "<plug>: N points, smallest
// distance D" for the named array (default "position") and answers N and D; with fewer than two
// points there is no distance, and only N is printed and answered.
MAYAHOST_BUILTIN_COMMAND(pointSetStats, args, result) {
    if (args.length() < 1 || args.length() > 2)
        return commandError("pointSetStats", "needs a point-set plug and, optionally, a vector array name");
    const std::string arrayName = args.length() == 2 ? args.asString(1).asChar() : "position";
    Scene& scene = Scene::current();
    PlugRef plug;
    std::string error;
    if (!scene.parsePlug(args.asString(0).asChar(), plug, error)) return commandError("pointSetStats", error);
    if (!scene.evaluate(*plug.node, plug.path))
        return commandError("pointSetStats", "the value of '" + plug.name() + "' could not be computed");
    auto set = std::dynamic_pointer_cast<ArrayAttrsData>(scene.slotFor(*plug.node, plug.path, nullptr)->data);
    if (!set) return commandError("pointSetStats", "'" + plug.name() + "' holds no point set");
    const ArrayAttrsData::Entry* entry = set->find(arrayName);
    if (!entry || entry->kind != ArrayAttrsData::kVector)
        return commandError("pointSetStats", "'" + plug.name() + "' has no vector array \"" + arrayName + "\"");
    const std::vector<MVector>& points = *entry->vectors;
    const double distance = smallestDistance(points);
    if (points.size() < 2) {
        std::printf("%s: %zu points\n", plug.name().c_str(), points.size());
        result.set(static_cast<int>(points.size()));
    } else {
        std::printf("%s: %zu points, smallest distance %.6g\n", plug.name().c_str(), points.size(), distance);
        result.set(std::vector<double>{static_cast<double>(points.size()), distance});
    }
    std::fflush(stdout);
    return MS::kSuccess;
}
