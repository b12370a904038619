#pragma once
// Polygon mesh storage: points, faces, colour sets and UV sets, with a cached triangulation.
#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace mayahost {

struct MeshPoint {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct MeshColor {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

// Colours by vertex. Both vectors always hold one entry per mesh vertex.
struct ColorSet {
    std::string name;
    std::vector<MeshColor> colors;
    std::vector<char> assigned;  // nonzero where the vertex has been given a colour
};

// UV coordinates and their assignment to face-vertices. uvIds holds one entry per face-vertex,
// -1 where none is assigned; an id may be out of range of u/v after setUVs shrank them, so
// readers go through uvAt().
struct UVSet {
    std::string name;
    std::vector<float> u, v;
    std::vector<int> uvIds;

    int numUVs() const { return static_cast<int>(u.size()); }
    // False when id is not a valid index into u and v.
    bool uvAt(int id, float& uOut, float& vOut) const;
};

// Triangles of every polygon, in polygon order. A triangle's corners are face-vertex positions
// within its polygon (0 .. count-1), wound like the polygon.
struct Triangulation {
    std::vector<int> firstTriangle;  // numPolygons + 1 entries
    std::vector<int> corners;        // three per triangle
};

class MeshGeometry {
public:
    static constexpr const char* kDefaultUVSet = "map1";

    // An empty mesh with the empty default UV set.
    MeshGeometry();

    // Checks that every count is at least 3, that connects holds exactly the sum of the counts,
    // that every id is in [0, numPoints), and that the points (when given) are finite.
    // On failure, `error` says what is wrong and where.
    static bool validate(std::size_t numPoints, const std::vector<int>& counts,
                         const std::vector<int>& connects, std::string& error,
                         const std::vector<MeshPoint>* points = nullptr);

    // Replaces the whole mesh after validate(). Colour sets are dropped and the UV sets are
    // reset to the empty default set. Leaves the mesh unchanged on failure.
    bool setTopology(std::vector<MeshPoint> points, std::vector<int> counts,
                     std::vector<int> connects, std::string& error);

    int numVertices() const { return static_cast<int>(points_.size()); }
    int numPolygons() const { return static_cast<int>(counts_.size()); }
    int numFaceVertices() const { return static_cast<int>(connects_.size()); }

    const std::vector<MeshPoint>& points() const { return points_; }
    const std::vector<int>& counts() const { return counts_; }
    const std::vector<int>& connects() const { return connects_; }
    // Position in connects() of the first face-vertex of `polygon`, which must be in range.
    int polygonStart(int polygon) const { return starts_[polygon]; }

    // False (mesh unchanged) when the index is out of range or the point is not finite.
    bool setPoint(int index, const MeshPoint& point);
    // False (mesh unchanged) when the count differs from numVertices() or a point is not finite.
    bool setPoints(std::vector<MeshPoint> points);

    // The triangles of every polygon (triangulatePolygon), computed on first use after an edit.
    // Safe to call from several threads while nobody edits the mesh.
    std::shared_ptr<const Triangulation> triangulation() const;

    const std::vector<ColorSet>& colorSets() const { return colorSets_; }
    ColorSet* findColorSet(const std::string& name);
    const ColorSet* findColorSet(const std::string& name) const;
    // Adds an empty set sized to the mesh; null when the name is empty or already used.
    ColorSet* addColorSet(const std::string& name);
    // Empty when the mesh has no colour set.
    const std::string& currentColorSet() const { return currentColorSet_; }
    bool setCurrentColorSet(const std::string& name);

    const std::vector<UVSet>& uvSets() const { return uvSets_; }
    UVSet* findUVSet(const std::string& name);
    const UVSet* findUVSet(const std::string& name) const;
    // Adds an empty set with nothing assigned; null when the name is empty or already used.
    UVSet* addUVSet(const std::string& name);
    const std::string& currentUVSet() const { return currentUVSet_; }
    bool setCurrentUVSet(const std::string& name);

private:
    void invalidate();

    std::vector<MeshPoint> points_;
    std::vector<int> counts_;
    std::vector<int> connects_;
    std::vector<int> starts_;
    std::vector<ColorSet> colorSets_;
    std::string currentColorSet_;
    std::vector<UVSet> uvSets_;
    std::string currentUVSet_;
    // Immutable once built, so copies of an unedited mesh share it. Copying reads it atomically
    // since another thread may be filling it in.
    class TriangleCache {
    public:
        TriangleCache() = default;
        TriangleCache(const TriangleCache& other) : value_(other.load()) {}
        TriangleCache& operator=(const TriangleCache& other) {
            store(other.load());
            return *this;
        }
        std::shared_ptr<const Triangulation> load() const { return std::atomic_load(&value_); }
        void store(std::shared_ptr<const Triangulation> value) {
            std::atomic_store(&value_, std::move(value));
        }

    private:
        std::shared_ptr<const Triangulation> value_;
    };
    mutable TriangleCache triangles_;
};

// Triangulates one polygon given its points in order: count-2 triangles as corner positions,
// wound like the polygon, appended to `corners`. Works in the polygon's own plane. Polygons of
// up to 64 corners are ear-clipped, which spreads the triangles over them; larger ones are cut
// into monotone pieces by a sweep, O(n log n) in the corner count. Degenerate or self-crossing
// input still yields count-2 (possibly zero-area) triangles.
void triangulatePolygon(const std::vector<MeshPoint>& polygon, std::vector<int>& corners);

}  // namespace mayahost
