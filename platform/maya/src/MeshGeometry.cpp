#include "MeshGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mayahost {

namespace {

bool finite(const MeshPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

struct Vec2 {
    double x, y;
};

double orient(const Vec2& a, const Vec2& b, const Vec2& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Inclusive of the boundary, so a vertex touching a candidate diagonal blocks it.
bool insideTriangle(const Vec2& p, const Vec2& a, const Vec2& b, const Vec2& c, double eps) {
    return orient(a, b, p) >= -eps && orient(b, c, p) >= -eps && orient(c, a, p) >= -eps;
}

bool samePosition(const Vec2& a, const Vec2& b) { return a.x == b.x && a.y == b.y; }

// The polygon's points in a 2D frame of its plane, oriented so that its winding is
// counter-clockwise (positive area) whenever the polygon is not degenerate.
std::vector<Vec2> projectToPlane(const std::vector<MeshPoint>& polygon) {
    const std::size_t n = polygon.size();
    double nx = 0.0, ny = 0.0, nz = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const MeshPoint& a = polygon[i];
        const MeshPoint& b = polygon[(i + 1) % n];
        nx += (double(a.y) - b.y) * (double(a.z) + b.z);
        ny += (double(a.z) - b.z) * (double(a.x) + b.x);
        nz += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) {
        nx = 0.0, ny = 0.0, nz = 1.0, length = 1.0;
    }
    nx /= length, ny /= length, nz /= length;
    // u is any unit vector in the plane; v = n x u, so that u x v = n.
    double ux, uy, uz;
    if (std::fabs(nx) < 0.9) {
        ux = 0.0, uy = nz, uz = -ny;  // (1,0,0) x n
    } else {
        ux = -nz, uy = 0.0, uz = nx;  // (0,1,0) x n
    }
    const double ul = std::sqrt(ux * ux + uy * uy + uz * uz);
    ux /= ul, uy /= ul, uz /= ul;
    const double vx = ny * uz - nz * uy, vy = nz * ux - nx * uz, vz = nx * uy - ny * ux;

    std::vector<Vec2> flat(n);
    const MeshPoint& o = polygon[0];
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = double(polygon[i].x) - o.x, dy = double(polygon[i].y) - o.y,
                     dz = double(polygon[i].z) - o.z;
        flat[i] = {dx * ux + dy * uy + dz * uz, dx * vx + dy * vy + dz * vz};
    }
    return flat;
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

void triangulatePolygon(const std::vector<MeshPoint>& polygon, std::vector<int>& corners) {
    const int n = static_cast<int>(polygon.size());
    if (n < 3) return;
    if (n == 3) {
        corners.insert(corners.end(), {0, 1, 2});
        return;
    }
    const std::vector<Vec2> p = projectToPlane(polygon);

    double extent = 0.0;
    for (const Vec2& q : p) extent = std::max({extent, std::fabs(q.x), std::fabs(q.y)});
    const double eps = 1e-12 * extent * extent;

    std::vector<int> ring(n);
    for (int i = 0; i < n; ++i) ring[i] = i;
    auto cornerTurn = [&](int at) {
        const int m = static_cast<int>(ring.size());
        return orient(p[ring[(at + m - 1) % m]], p[ring[at]], p[ring[(at + 1) % m]]);
    };

    // Start at the second vertex so a convex polygon begins with corners (0, 1, 2); after each
    // clip skip ahead one vertex so the triangles spread over the polygon instead of fanning.
    int start = 1;
    while (ring.size() > 3) {
        const int m = static_cast<int>(ring.size());
        int ear = -1;
        for (int k = 0; k < m && ear < 0; ++k) {
            const int at = (start + k) % m;
            if (cornerTurn(at) <= eps) continue;
            const Vec2& a = p[ring[(at + m - 1) % m]];
            const Vec2& b = p[ring[at]];
            const Vec2& c = p[ring[(at + 1) % m]];
            bool blocked = false;
            for (int j = 0; j < m && !blocked; ++j) {
                if (j == at || j == (at + 1) % m || j == (at + m - 1) % m) continue;
                if (cornerTurn(j) > eps) continue;  // only reflex vertices can lie in an ear
                const Vec2& q = p[ring[j]];
                if (samePosition(q, a) || samePosition(q, b) || samePosition(q, c)) continue;
                blocked = insideTriangle(q, a, b, c, eps);
            }
            if (!blocked) ear = at;
        }
        if (ear < 0) {
            // Degenerate or self-touching: take the most convex corner so we always finish.
            ear = 0;
            for (int at = 1; at < m; ++at) {
                if (cornerTurn(at) > cornerTurn(ear)) ear = at;
            }
        }
        corners.insert(corners.end(), {ring[(ear + m - 1) % m], ring[ear], ring[(ear + 1) % m]});
        ring.erase(ring.begin() + ear);
        start = (ear + 1) % static_cast<int>(ring.size());
    }
    corners.insert(corners.end(), {ring[0], ring[1], ring[2]});
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
