#include "mesh/MeshGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mayahost {

namespace {

bool finite(const MeshPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

bool UVSet::uvAt(int id, float& uOut, float& vOut) const {
    if (id < 0 || static_cast<std::size_t>(id) >= u.size() ||
        static_cast<std::size_t>(id) >= v.size()) {
        return false;
    }
    uOut = u[id];
    vOut = v[id];
    return true;
}

MeshGeometry::MeshGeometry() {
    uvSets_.push_back(UVSet{kDefaultUVSet, {}, {}, {}});
    currentUVSet_ = kDefaultUVSet;
}

bool MeshGeometry::validate(std::size_t numPoints, const std::vector<int>& counts,
                            const std::vector<int>& connects, std::string& error,
                            const std::vector<MeshPoint>* points) {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] < 3) {
            error = "polygon " + std::to_string(i) + " has " + std::to_string(counts[i]) +
                    " vertices, at least 3 are needed";
            return false;
        }
        total += static_cast<std::uint64_t>(counts[i]);
    }
    if (total != connects.size()) {
        error = "polygon counts add up to " + std::to_string(total) + " but " +
                std::to_string(connects.size()) + " vertex ids were given";
        return false;
    }
    for (std::size_t i = 0; i < connects.size(); ++i) {
        if (connects[i] < 0 || static_cast<std::size_t>(connects[i]) >= numPoints) {
            error = "vertex id " + std::to_string(connects[i]) + " at face-vertex " +
                    std::to_string(i) + " is out of range (" + std::to_string(numPoints) +
                    " vertices)";
            return false;
        }
    }
    if (points) {
        for (std::size_t i = 0; i < points->size(); ++i) {
            if (!finite((*points)[i])) {
                error = "vertex " + std::to_string(i) + " has a coordinate that is not finite";
                return false;
            }
        }
    }
    return true;
}

bool MeshGeometry::setTopology(std::vector<MeshPoint> points, std::vector<int> counts,
                               std::vector<int> connects, std::string& error) {
    if (!validate(points.size(), counts, connects, error, &points)) return false;
    points_ = std::move(points);
    counts_ = std::move(counts);
    connects_ = std::move(connects);
    starts_.resize(counts_.size());
    int offset = 0;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        starts_[i] = offset;
        offset += counts_[i];
    }
    colorSets_.clear();
    currentColorSet_.clear();
    uvSets_.assign(1, UVSet{kDefaultUVSet, {}, {}, std::vector<int>(connects_.size(), -1)});
    currentUVSet_ = kDefaultUVSet;
    invalidate();
    return true;
}

bool MeshGeometry::setPoint(int index, const MeshPoint& point) {
    if (index < 0 || index >= numVertices() || !finite(point)) return false;
    points_[index] = point;
    invalidate();
    return true;
}

bool MeshGeometry::setPoints(std::vector<MeshPoint> points) {
    if (points.size() != points_.size()) return false;
    if (!std::all_of(points.begin(), points.end(), finite)) return false;
    points_ = std::move(points);
    invalidate();
    return true;
}

void MeshGeometry::invalidate() { triangles_.store(nullptr); }

std::shared_ptr<const Triangulation> MeshGeometry::triangulation() const {
    if (auto cached = triangles_.load()) return cached;
    auto built = std::make_shared<Triangulation>();
    built->firstTriangle.reserve(counts_.size() + 1);
    std::vector<MeshPoint> polygon;
    for (std::size_t f = 0; f < counts_.size(); ++f) {
        built->firstTriangle.push_back(static_cast<int>(built->corners.size() / 3));
        polygon.clear();
        for (int k = 0; k < counts_[f]; ++k) polygon.push_back(points_[connects_[starts_[f] + k]]);
        triangulatePolygon(polygon, built->corners);
    }
    built->firstTriangle.push_back(static_cast<int>(built->corners.size() / 3));
    std::shared_ptr<const Triangulation> result = std::move(built);
    triangles_.store(result);
    return result;
}

ColorSet* MeshGeometry::findColorSet(const std::string& name) {
    for (ColorSet& set : colorSets_) {
        if (set.name == name) return &set;
    }
    return nullptr;
}

const ColorSet* MeshGeometry::findColorSet(const std::string& name) const {
    return const_cast<MeshGeometry*>(this)->findColorSet(name);
}

ColorSet* MeshGeometry::addColorSet(const std::string& name) {
    if (name.empty() || findColorSet(name)) return nullptr;
    colorSets_.push_back(ColorSet{name, std::vector<MeshColor>(points_.size()),
                                  std::vector<char>(points_.size(), 0)});
    if (currentColorSet_.empty()) currentColorSet_ = name;
    return &colorSets_.back();
}

bool MeshGeometry::setCurrentColorSet(const std::string& name) {
    if (!findColorSet(name)) return false;
    currentColorSet_ = name;
    return true;
}

UVSet* MeshGeometry::findUVSet(const std::string& name) {
    for (UVSet& set : uvSets_) {
        if (set.name == name) return &set;
    }
    return nullptr;
}

const UVSet* MeshGeometry::findUVSet(const std::string& name) const {
    return const_cast<MeshGeometry*>(this)->findUVSet(name);
}

UVSet* MeshGeometry::addUVSet(const std::string& name) {
    if (name.empty() || findUVSet(name)) return nullptr;
    uvSets_.push_back(UVSet{name, {}, {}, std::vector<int>(connects_.size(), -1)});
    return &uvSets_.back();
}

bool MeshGeometry::setCurrentUVSet(const std::string& name) {
    if (!findUVSet(name)) return false;
    currentUVSet_ = name;
    return true;
}

}  // namespace mayahost
