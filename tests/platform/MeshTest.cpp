// Meshes: triangulation, colour and UV sets, primitives, OBJ and PLY files, bad indices.
#include <gtest/gtest.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MItMeshPolygon.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mesh/MeshData.h"
#include "mesh/MeshPrimitives.h"
#include "mesh/ObjFile.h"
#include "mesh/PlyFile.h"

using namespace mayahost;
namespace fs = std::filesystem;

namespace {

struct Vec2 {
    double x, y;
};

MObject makeMesh(const std::vector<MeshPoint>& points, const std::vector<int>& counts,
                 const std::vector<int>& connects, MStatus* status = nullptr) {
    MFloatPointArray vertices;
    for (const MeshPoint& p : points) vertices.append(p.x, p.y, p.z);
    MIntArray countArray(counts.data(), counts.size()),
        connectArray(connects.data(), connects.size());
    MFnMeshData data;
    MObject owner = data.create();
    MFnMesh fn;
    return fn.create(points.size(), counts.size(), vertices, countArray, connectArray, owner,
                     status);
}

double cross(const Vec2& a, const Vec2& b, const Vec2& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

double polygonArea(const std::vector<Vec2>& p) {
    double area = 0.0;
    for (size_t i = 0; i < p.size(); ++i) {
        const Vec2& a = p[i];
        const Vec2& b = p[(i + 1) % p.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

bool insidePolygon(const Vec2& q, const std::vector<Vec2>& p) {
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > q.y) != (p[j].y > q.y) &&
            q.x < (p[j].x - p[i].x) * (q.y - p[i].y) / (p[j].y - p[i].y) + p[i].x) {
            inside = !inside;
        }
    }
    return inside;
}

// Polygon coordinates (a, b) placed at (a, b, 0), or in the tilted plane spanned by
// (0.6, 0, 0.8) and (0, 1, 0) to show triangulation works in the polygon's own plane.
MeshPoint embed(const Vec2& p, bool tilted) {
    if (!tilted) return {float(p.x), float(p.y), 0.0f};
    return {float(0.6 * p.x), float(p.y), float(0.8 * p.x + 1.0)};
}

// Checks the triangles of face 0 of `mesh` against its outline `outline` (in 2D coordinates):
// n-2 of them, each wound like the polygon with its centroid inside, areas adding up.
void expectTrianglesCover(const MObject& mesh, const std::vector<Vec2>& outline) {
    MFnMesh fn(mesh);
    MIntArray triangleCounts, triangleVertices;
    ASSERT_TRUE(fn.getTriangles(triangleCounts, triangleVertices));
    ASSERT_EQ(triangleCounts.length(), 1u);
    const int n = static_cast<int>(outline.size());
    ASSERT_EQ(triangleCounts[0], n - 2);
    ASSERT_EQ(triangleVertices.length(), 3u * (n - 2));
    double total = 0.0;
    for (int t = 0; t < n - 2; ++t) {
        int corners[3];
        ASSERT_TRUE(fn.getPolygonTriangleVertices(0, t, corners));
        Vec2 p[3];
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(corners[k], triangleVertices[3 * t + k]);
            ASSERT_TRUE(corners[k] >= 0 && corners[k] < n);
            p[k] = outline[corners[k]];
        }
        const double area = cross(p[0], p[1], p[2]) / 2;
        EXPECT_GT(area, 0.0) << "triangle " << t << " is flipped or empty";
        const Vec2 centroid{(p[0].x + p[1].x + p[2].x) / 3, (p[0].y + p[1].y + p[2].y) / 3};
        EXPECT_TRUE(insidePolygon(centroid, outline)) << "triangle " << t << " lies outside";
        total += area;
    }
    EXPECT_NEAR(total, polygonArea(outline), 1e-5);
}

MObject makeFace(const std::vector<Vec2>& outline, bool tilted = false) {
    std::vector<MeshPoint> points;
    std::vector<int> connects;
    for (size_t i = 0; i < outline.size(); ++i) {
        points.push_back(embed(outline[i], tilted));
        connects.push_back(static_cast<int>(i));
    }
    return makeMesh(points, {static_cast<int>(outline.size())}, connects);
}

// A folder of its own for this test run, removed when the tests end.
struct TempFolder {
    fs::path path = fs::temp_directory_path() / ("meshtest-" + std::to_string(::getpid()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string tempPath(const std::string& name) {
    static const TempFolder folder;
    return (folder.path / name).string();
}

// A comb of `teeth` teeth pointing up (merge corners between them), or down (split corners).
std::vector<Vec2> comb(int teeth, bool up) {
    std::vector<Vec2> outline = {{0, 0}, {2.0 * teeth - 1, 0}};
    for (int t = teeth - 1; t >= 0; --t) {
        outline.push_back({2.0 * t + 1, 3});
        outline.push_back({2.0 * t, 3});
        if (t > 0) outline.insert(outline.end(), {{2.0 * t, 1}, {2.0 * t - 1, 1}});
    }
    if (up) return outline;
    std::vector<Vec2> down;  // mirrored, and walked the other way to stay counter-clockwise
    for (auto it = outline.rbegin(); it != outline.rend(); ++it) down.push_back({it->x, -it->y});
    return down;
}

std::string writeText(const std::string& name, const std::string& text) {
    const std::string path = tempPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace

TEST(MeshTriangles, CoverConvexAndConcavePolygons) {
    const double pi = 3.14159265358979323846;
    std::vector<Vec2> pentagon;
    for (int i = 0; i < 5; ++i)
        pentagon.push_back({std::cos(2 * pi * i / 5), std::sin(2 * pi * i / 5)});
    const std::vector<Vec2> quad = {{0, 0}, {2, 0}, {2, 1}, {0, 1}};
    const std::vector<Vec2> ell = {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};
    // Reflex vertices first, so an ear search starting there must skip them.
    const std::vector<Vec2> ellRotated = {{1, 1}, {1, 2}, {0, 2}, {0, 0}, {2, 0}, {2, 1}};
    const std::vector<Vec2> comb = {{0, 0}, {5, 0}, {5, 3}, {4, 3}, {4, 1}, {3, 1},
                                    {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
    const struct {
        const char* name;
        std::vector<Vec2> outline;
        bool tilted;
    } cases[] = {
        {"quad", quad, false},   {"pentagon", pentagon, false},
        {"L", ell, false},       {"L starting at its reflex corner", ellRotated, false},
        {"tilted L", ell, true}, {"comb", comb, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectTrianglesCover(makeFace(c.outline, c.tilted), c.outline);
    }
}

// Each triangle getTriangles hands out faces the way its polygon does, whichever way that is.
TEST(MeshTriangles, KeepThePolygonsWinding) {
    std::vector<MeshPoint> points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                     {2, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 2, 0}};
    std::vector<int> large;  // a comb too large to be ear-clipped
    for (const Vec2& corner : comb(40, true)) {
        large.push_back(static_cast<int>(points.size()));
        points.push_back(embed(corner, false));
    }
    const struct {
        std::vector<int> vertices;
        double facing;  // the sign of the polygon's normal along z
    } faces[] = {
        {{0, 1, 2}, 1},          {{0, 2, 1}, -1},          {{1, 2, 0}, 1},
        {{0, 1, 2, 3}, 1},       {{3, 2, 1, 0}, -1},
        {{0, 4, 5, 2, 6, 7}, 1}, {{7, 6, 2, 5, 4, 0}, -1},  // an L, its reflex corner at 2
        {large, 1},              {{large.rbegin(), large.rend()}, -1},
    };
    std::vector<int> counts, connects;
    for (const auto& face : faces) {
        counts.push_back(static_cast<int>(face.vertices.size()));
        connects.insert(connects.end(), face.vertices.begin(), face.vertices.end());
    }
    MFnMesh fn(makeMesh(points, counts, connects));
    MIntArray triangleCounts, triangleVertices;
    ASSERT_TRUE(fn.getTriangles(triangleCounts, triangleVertices));
    ASSERT_EQ(triangleCounts.length(), std::size(faces));
    unsigned next = 0;
    for (size_t f = 0; f < std::size(faces); ++f) {
        ASSERT_EQ(triangleCounts[f], static_cast<int>(faces[f].vertices.size()) - 2);
        for (int t = 0; t < triangleCounts[f]; ++t, next += 3) {
            const MeshPoint& a = points[triangleVertices[next]];
            const MeshPoint& b = points[triangleVertices[next + 1]];
            const MeshPoint& c = points[triangleVertices[next + 2]];
            const double normalZ = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
            EXPECT_GT(normalZ * faces[f].facing, 0.0) << "face " << f << " triangle " << t;
        }
    }
}

TEST(MeshTriangles, CoverLargePolygons) {
    const double pi = 3.14159265358979323846;
    std::vector<Vec2> star, saw;
    for (int i = 0; i < 300; ++i) {
        const double r = i % 2 ? 0.4 : 1.0, a = 2 * pi * i / 300;
        star.push_back({r * std::cos(a), r * std::sin(a)});
    }
    // A saw blade below, and above it a straight edge through 100 corners in a row.
    for (int i = 0; i <= 100; ++i) saw.push_back({double(i), i % 2 ? 0.5 : 0.0});
    for (int i = 100; i >= 0; --i) saw.push_back({double(i), 2.0});
    const struct {
        const char* name;
        std::vector<Vec2> outline;
        bool tilted;
    } cases[] = {
        {"star", star, false},
        {"comb pointing up", comb(40, true), false},
        {"comb pointing down", comb(40, false), false},
        {"tilted comb", comb(40, true), true},
        {"saw with a straight back", saw, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectTrianglesCover(makeFace(c.outline, c.tilted), c.outline);
    }

    // Corners repeating their neighbour add zero-area triangles and change nothing else.
    std::vector<Vec2> repeated = star;
    repeated.insert(repeated.begin() + 75, star[75]);
    repeated.push_back(star[0]);
    MFnMesh fn(makeFace(repeated));
    MIntArray counts, vertices;
    ASSERT_TRUE(fn.getTriangles(counts, vertices));
    ASSERT_EQ(counts[0], static_cast<int>(repeated.size()) - 2);
    double total = 0.0;
    int empty = 0;
    for (unsigned t = 0; t < vertices.length(); t += 3) {
        const double area =
            cross(repeated[vertices[t]], repeated[vertices[t + 1]], repeated[vertices[t + 2]]) / 2;
        EXPECT_GE(area, 0.0) << "triangle " << t / 3;
        empty += area == 0.0;
        total += area;
    }
    EXPECT_EQ(empty, 2);
    EXPECT_NEAR(total, polygonArea(star), 1e-5);
}

TEST(MeshTriangles, FollowPointEdits) {
    MObject mesh = makeFace({{0, 0}, {2, 0}, {2, 2}, {0, 2}});
    MIntArray counts, vertices;
    MFnMesh fn(mesh);
    ASSERT_TRUE(fn.getTriangles(counts, vertices));
    // Pulling the last corner inside makes it reflex; the first triangulation would spill out.
    ASSERT_TRUE(fn.setPoint(3, MPoint(1.5, 0.5, 0)));
    expectTrianglesCover(mesh, {{0, 0}, {2, 0}, {2, 2}, {1.5, 0.5}});
}

TEST(MeshTriangles, DegeneratePolygonsStillGiveCountMinusTwo) {
    const std::vector<MeshPoint> line = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
    const std::vector<MeshPoint> point(4, MeshPoint{1, 1, 1});
    std::vector<MeshPoint> longLine, manyPoints(200, MeshPoint{1, 1, 1}), eight, pentagram;
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < 200; ++i) {
        longLine.push_back({float(i % 7), 0, 0});
        const double t = 2 * pi * i / 200;
        eight.push_back({float(std::sin(t)), float(std::sin(t) * std::cos(t)), 0});
        // A five-pointed star drawn in one stroke: it crosses itself, and winds twice round its middle.
        const int from = (i / 40) * 2 % 5, to = (i / 40 + 1) * 2 % 5;
        const double s = (i % 40) / 40.0, a = 2 * pi * from / 5, b = 2 * pi * to / 5;
        pentagram.push_back({float((1 - s) * std::cos(a) + s * std::cos(b)),
                             float((1 - s) * std::sin(a) + s * std::sin(b)), 0});
    }
    for (const auto& points : {line, point, longLine, manyPoints, eight, pentagram}) {
        std::vector<int> corners;
        triangulatePolygon(points, corners);
        ASSERT_EQ(corners.size(), 3 * (points.size() - 2));
        for (int c : corners) EXPECT_TRUE(c >= 0 && c < int(points.size()));
    }
}

TEST(MeshColors, UnsetVerticesGetTheDefault) {
    MObject mesh = makeFace({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    MFnMesh fn(mesh);
    MColorArray colors;
    ASSERT_TRUE(fn.getVertexColors(colors));
    ASSERT_EQ(colors.length(), 4u);
    EXPECT_EQ(colors[2], MColor(-1, -1, -1, -1));

    // The first colour set appears on demand and becomes current.
    ASSERT_TRUE(fn.setVertexColor(MColor(0.1f, 0.2f, 0.3f, 0.4f), 1));
    EXPECT_EQ(fn.currentColorSetName(), MString("colorSet1"));
    ASSERT_TRUE(fn.createColorSetDataMesh("paint"));
    EXPECT_FALSE(fn.createColorSet("paint"));
    EXPECT_EQ(fn.numColorSets(), 2);
    MStringArray names;
    fn.getColorSetNames(names);
    ASSERT_EQ(names.length(), 2u);
    EXPECT_EQ(names[1], MString("paint"));

    ASSERT_TRUE(fn.getVertexColors(colors));
    EXPECT_EQ(colors[1], MColor(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(colors[0], MColor(-1, -1, -1, -1));
    const MColor grey(0.5f, 0.5f, 0.5f, 1.0f);
    const MString paint("paint");
    ASSERT_TRUE(fn.getVertexColors(colors, &paint, &grey));
    EXPECT_EQ(colors[1], grey);

    ASSERT_TRUE(fn.setCurrentColorSetName("paint"));
    MColorArray two(2, MColor(1, 0, 0));
    EXPECT_FALSE(fn.setVertexColors(two, MIntArray(1, 0))) << "lengths differ";
    EXPECT_FALSE(fn.setVertexColors(two, MIntArray(2, 4))) << "vertex out of range";
    ASSERT_TRUE(fn.setVertexColors(two, MIntArray(std::vector<int>{0, 3}.data(), 2)));
    ASSERT_TRUE(fn.getVertexColors(colors, nullptr, &grey));
    EXPECT_EQ(colors[0], MColor(1, 0, 0));
    EXPECT_EQ(colors[1], grey);
    const MString missing("missing");
    EXPECT_FALSE(fn.getVertexColors(colors, &missing));
}

TEST(MeshUVs, ReadThroughThePolygonIterator) {
    // Two quads sharing an edge; the second face stays unmapped in map1.
    MFloatPointArray points;
    for (float x : {0.0f, 1.0f, 2.0f}) points.append(x, 0, 0);
    for (float x : {0.0f, 1.0f, 2.0f}) points.append(x, 1, 0);
    const int counts[] = {4, 4}, connects[] = {0, 1, 4, 3, 1, 2, 5, 4};
    const float u[] = {0.0f, 0.5f, 0.5f, 0.0f}, v[] = {0.0f, 0.0f, 1.0f, 1.0f};
    MObject owner = MFnMeshData().create();
    MFnMesh fn;
    MStatus status;
    fn.create(6, 2, points, MIntArray(counts, 2), MIntArray(connects, 8), MFloatArray(u, 4),
              MFloatArray(v, 4), owner, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(fn.numUVs(), 4);
    const int uvCounts[] = {4, 0}, uvIds[] = {0, 1, 2, 3};
    EXPECT_FALSE(
        fn.assignUVs(MIntArray(uvCounts, 2), MIntArray(std::vector<int>{0, 1, 2, 9}.data(), 4)));
    ASSERT_TRUE(fn.assignUVs(MIntArray(uvCounts, 2), MIntArray(uvIds, 4)));

    MString second("map1");
    ASSERT_TRUE(fn.createUVSet(second));
    EXPECT_EQ(second, MString("map2"));
    const float u2[] = {0.25f}, v2[] = {0.75f};
    ASSERT_TRUE(fn.setUVs(MFloatArray(u2, 1), MFloatArray(v2, 1), &second));
    for (int k = 0; k < 4; ++k) ASSERT_TRUE(fn.assignUV(1, k, 0, &second));

    MItMeshPolygon it(owner, &status);
    ASSERT_TRUE(status);
    ASSERT_EQ(it.count(), 2u);
    ASSERT_TRUE(it.hasUVs());
    for (int k = 0; k < 4; ++k) {
        float2 uv;
        ASSERT_TRUE(it.getUV(k, uv));
        EXPECT_EQ(uv[0], u[k]);
        EXPECT_EQ(uv[1], v[k]);
        float pu, pv;
        ASSERT_TRUE(fn.getPolygonUV(0, k, pu, pv));
        EXPECT_EQ(pu, u[k]);
    }
    float2 uv;
    EXPECT_FALSE(it.getUV(4, uv));
    ASSERT_TRUE(it.next());
    EXPECT_FALSE(it.hasUVs());
    EXPECT_FALSE(it.getUV(0, uv));
    EXPECT_TRUE(it.hasUVs(second));
    ASSERT_TRUE(it.getUV(2, uv, &second));
    EXPECT_EQ(uv[1], 0.75f);
    EXPECT_EQ(it.center(), MPoint(1.5, 0.5, 0));
    MVector normal;
    ASSERT_TRUE(it.getNormal(normal));
    EXPECT_EQ(normal, MVector(0, 0, 1));
    ASSERT_TRUE(it.next());
    EXPECT_TRUE(it.isDone());
    EXPECT_FALSE(it.getUV(0, uv));
}

TEST(MeshPrimitives, CountsShapeAndUVs) {
    std::string error;
    const struct {
        const char* name;
        MeshGeometry mesh;
        int vertices, faces, uvs;
        bool closed;
    } cases[] = {
        {"plane", makePolyPlane(2, 3, 2, 3, &error), 12, 6, 12, false},
        {"unit cube", makePolyCube(1, 1, 1, 1, 1, 1, &error), 8, 6, 14, true},
        {"subdivided cube", makePolyCube(2, 4, 6, 2, 3, 4, &error), 54, 52, 77, true},
        {"sphere", makePolySphere(2, 20, 20, &error), 382, 400, 439, true},
        {"smallest sphere", makePolySphere(1, 3, 2, &error), 5, 6, 10, true},
    };
    EXPECT_EQ(error, "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MeshGeometry& m = c.mesh;
        EXPECT_EQ(m.numVertices(), c.vertices);
        EXPECT_EQ(m.numPolygons(), c.faces);
        const UVSet* uvs = m.findUVSet("map1");
        ASSERT_NE(uvs, nullptr);
        EXPECT_EQ(uvs->numUVs(), c.uvs);
        float u, v;
        for (int id : uvs->uvIds)
            EXPECT_TRUE(uvs->uvAt(id, u, v) && u >= 0 && u <= 1 && v >= 0 && v <= 1);

        // Closed means every edge is met once in each direction by the faces around it.
        std::map<std::pair<int, int>, int> edges;
        for (int f = 0; f < m.numPolygons(); ++f) {
            const int start = m.polygonStart(f), n = m.counts()[f];
            for (int k = 0; k < n; ++k) {
                ++edges[{m.connects()[start + k], m.connects()[start + (k + 1) % n]}];
            }
        }
        for (const auto& [edge, uses] : edges) {
            EXPECT_EQ(uses, 1);
            if (c.closed) {
                EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
            }
        }
        // Faces point away from the centre (up, for the plane).
        MObject data(std::make_shared<MeshData>(m));
        for (MItMeshPolygon it(data); !it.isDone(); it.next()) {
            MVector normal;
            it.getNormal(normal);
            const MVector out = c.closed ? MVector(it.center()) : MVector(0, 1, 0);
            EXPECT_GT(normal * out, 0.0) << "face " << it.index();
        }
    }
    for (const MeshPoint& p : cases[3].mesh.points()) {
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 2.0, 1e-6);
    }
    MFnMesh cube(MObject(std::make_shared<MeshData>(cases[2].mesh)));
    const MBoundingBox box = cube.boundingBox();
    EXPECT_EQ(box.min(), MPoint(-1, -2, -3));
    EXPECT_EQ(box.max(), MPoint(1, 2, 3));
}

TEST(MeshPrimitives, RejectBadSizes) {
    const double nan = std::nan("");
    const std::function<MeshGeometry(std::string*)> cases[] = {
        [](std::string* e) { return makePolyPlane(0, 1, 1, 1, e); },
        [](std::string* e) { return makePolyPlane(1, 1, 1, 0, e); },
        [](std::string* e) { return makePolyCube(1, -1, 1, 1, 1, 1, e); },
        [nan](std::string* e) { return makePolyCube(1, 1, nan, 1, 1, 1, e); },
        [](std::string* e) { return makePolyCube(1, 1, 1, 1, 1, 1 << 30, e); },
        [](std::string* e) { return makePolySphere(1, 2, 4, e); },
        [](std::string* e) { return makePolySphere(1, 4, 1, e); },
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::string error;
        EXPECT_EQ(cases[i](&error).numPolygons(), 0) << "case " << i;
        EXPECT_NE(error, "") << "case " << i;
    }
}

TEST(MeshObj, RoundTripKeepsPointsFacesUVsAndColours) {
    MeshGeometry cube = makePolyCube(1.5, 0.1, 1.0 / 3.0, 2, 1, 1);
    ColorSet* colors = cube.addColorSet("colorSet1");
    colors->colors[2] = {0.125f, 0.3f, 1.0f / 7.0f, 1.0f};
    colors->assigned[2] = 1;
    cube.findUVSet("map1")->uvIds[5] = -1;

    const std::string path = tempPath("cube.obj");
    std::string error;
    ASSERT_TRUE(writeObj(path, cube, error)) << error;
    MeshGeometry back;
    ASSERT_TRUE(readObj(path, back, error)) << error;

    ASSERT_EQ(back.numVertices(), cube.numVertices());
    for (int i = 0; i < cube.numVertices(); ++i) {
        EXPECT_EQ(back.points()[i].x, cube.points()[i].x);
        EXPECT_EQ(back.points()[i].y, cube.points()[i].y);
        EXPECT_EQ(back.points()[i].z, cube.points()[i].z);
    }
    EXPECT_EQ(back.counts(), cube.counts());
    EXPECT_EQ(back.connects(), cube.connects());
    EXPECT_EQ(back.findUVSet("map1")->u, cube.findUVSet("map1")->u);
    EXPECT_EQ(back.findUVSet("map1")->v, cube.findUVSet("map1")->v);
    EXPECT_EQ(back.findUVSet("map1")->uvIds, cube.findUVSet("map1")->uvIds);
    const ColorSet* backColors = back.findColorSet("colorSet1");
    ASSERT_NE(backColors, nullptr);
    EXPECT_EQ(backColors->assigned, colors->assigned);
    EXPECT_EQ(backColors->colors[2].b, 1.0f / 7.0f);

    // Only the finished file is left in the folder.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
        files += entry.path().filename().string().rfind("cube.obj", 0) == 0;
    }
    EXPECT_EQ(files, 1);
}

TEST(MeshObj, ReadsTheUsualFaceForms) {
    const std::string path = writeText("forms.obj",
                                       "# a comment\r\n"
                                       "mtllib looks.mtl\n"
                                       "o thing\ng part\ns 1\nusemtl red\n"
                                       "v 0 0 0\nv 1 0 0\nv 1 1 0 # trailing comment\nv 0 1 0\n"
                                       "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n"
                                       "f 1/1/1 2/2/1 3/3/1\n"
                                       "f -4//1 -2//1 -1//1\n"
                                       "f 1/1 3/3 4\n");
    MeshGeometry mesh;
    std::string error;
    ASSERT_TRUE(readObj(path, mesh, error)) << error;
    EXPECT_EQ(mesh.counts(), (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(mesh.connects(), (std::vector<int>{0, 1, 2, 0, 2, 3, 0, 2, 3}));
    EXPECT_EQ(mesh.findUVSet("map1")->uvIds, (std::vector<int>{0, 1, 2, -1, -1, -1, 0, 2, -1}));
    EXPECT_TRUE(mesh.colorSets().empty());
}

TEST(MeshObj, MalformedInputNamesTheLine) {
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"v 1 2\n", 1},
        {"v 0 0 zero\n", 1},
        {"v 1e999 0 0\n", 1},
        {"v 1 2 3 4 5\n", 1},
        {"vt 0.5 nan\n", 1},
        {"vn 0 1\n", 1},
        {tri + "f 1 2\n", 4},
        {tri + "f 1 2 4\n", 4},
        {tri + "f 1 0 2\n", 4},
        {tri + "f -4 -2 -1\n", 4},
        {tri + "f 1/1 2/1 3/1\n", 4},
        {tri + "f 1//x 2 3\n", 4},
        {tri + "vn 0 0 1\nf 1/ 2 3\n", 5},
        {tri + "f 1/1/1/1 2 3\n", 4},
        {tri + "f 1 2 99999999999999999999\n", 4},
        {"\n\nbogus 1 2\n", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = writeText("bad.obj", c.text);
        MeshGeometry mesh = makePolyPlane(1, 1, 1, 1);
        std::string error;
        EXPECT_FALSE(readObj(path, mesh, error));
        EXPECT_EQ(error.rfind(path + ":" + std::to_string(c.line) + ": ", 0), 0u) << error;
        EXPECT_EQ(mesh.numPolygons(), 1) << "a failed read leaves the mesh alone";
    }
    MeshGeometry mesh;
    std::string error;
    EXPECT_FALSE(readObj(tempPath("absent.obj"), mesh, error));
    EXPECT_NE(error.find("absent.obj"), std::string::npos) << error;
}

TEST(MeshPly, RoundTripAndRejectsBadFiles) {
    std::vector<PlyColumn> columns(3);
    columns[0] = {"x", PlyColumn::kFloat, {0.5, -1.25, 3145728.0}, {}};
    columns[1] = {"weight", PlyColumn::kDouble, {1.0 / 3.0, -0.0, 1e-300}, {}};
    columns[2] = {"id", PlyColumn::kInt, {}, {7, -2147483647 - 1, 2147483647}};
    const std::string path = tempPath("points.ply");
    std::string error;
    ASSERT_TRUE(writePly(path, 3, columns, error)) << error;

    size_t count = 0;
    std::vector<PlyColumn> back;
    ASSERT_TRUE(readPly(path, count, back, error)) << error;
    EXPECT_EQ(count, 3u);
    ASSERT_EQ(back.size(), 3u);
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(back[c].name, columns[c].name);
        EXPECT_EQ(back[c].type, columns[c].type);
        EXPECT_EQ(back[c].real, columns[c].real);
        EXPECT_EQ(back[c].integer, columns[c].integer);
    }

    std::vector<PlyColumn> ragged = columns;
    ragged[2].integer.pop_back();
    EXPECT_FALSE(writePly(tempPath("ragged.ply"), 3, ragged, error));
    EXPECT_FALSE(fs::exists(tempPath("ragged.ply")));

    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string header = "ply\nformat binary_little_endian 1.0\n";
    const std::string bad[] = {
        bytes.substr(0, bytes.size() - 1),
        header + "element vertex 4000000000000000000\nproperty double x\nend_header\n",
        "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_header\n1\n",
        header + "element vertex 1\nproperty list uchar int v\nend_header\n",
        header + "element vertex 1\nproperty float x\n",
        "not a ply file\n",
    };
    for (const std::string& text : bad) {
        SCOPED_TRACE(text.substr(0, 60));
        EXPECT_FALSE(readPly(writeText("bad.ply", text), count, back, error));
        EXPECT_NE(error, "");
    }
}

TEST(MeshErrors, OutOfRangeIndicesFail) {
    MObject mesh = makeFace({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    MFnMesh fn(mesh);
    int vertices[3];
    float u, v;
    int id;
    MPoint point;
    MIntArray list;
    const std::function<MStatus()> calls[] = {
        [&] { return fn.getPolygonVertices(-1, list); },
        [&] { return fn.getPolygonVertices(1, list); },
        [&] { return fn.getPoint(4, point); },
        [&] { return fn.setPoint(-1, point); },
        [&] { return fn.getPolygonTriangleVertices(0, 2, vertices); },
        [&] { return fn.getPolygonTriangleVertices(1, 0, vertices); },
        [&] { return fn.getPolygonUV(0, 4, u, v); },
        [&] { return fn.getPolygonUVid(0, 0, id); },
        [&] { return fn.getUV(0, u, v); },
        [&] { return fn.setUV(1, u, v); },
        [&] { return fn.assignUV(0, 0, 0); },
        [&] { return fn.setPoints(MFloatPointArray(3)); },
        [&] { return fn.setCurrentUVSetName("nothing"); },
        [&] {
            MStatus s;
            fn.polygonVertexCount(7, &s);
            return s;
        },
        [&] { return MFnMesh().getPoint(0, point); },
        [&] {
            MStatus s;
            MFnMesh(MObject(), &s);
            return s;
        },
        [&] {
            MStatus s;
            makeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {3}, {0, 1, 3}, &s);
            return s;
        },
        [&] {
            MStatus s;
            makeMesh({{0, 0, 0}, {1, 0, 0}}, {2}, {0, 1}, &s);
            return s;
        },
        [&] {
            MStatus s;
            MItMeshPolygon(MObject(), &s);
            return s;
        },
    };
    for (size_t i = 0; i < std::size(calls); ++i) {
        const MStatus status = calls[i]();
        EXPECT_FALSE(status) << "call " << i;
        EXPECT_NE(status.errorString(), MString("")) << "call " << i;
    }
    EXPECT_EQ(fn.numVertices(), 4);
    fn.getPoint(0, point);
    EXPECT_EQ(point, MPoint(0, 0, 0));
}
