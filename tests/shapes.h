#pragma once
// Small meshes built in code for the tests: a triangle, a quad, a cube, a grid and a sphere,
// and the mesh data objects made from them.
#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MIntArray.h>

#include <cmath>
#include <vector>

namespace shapes {

struct Point {
    float x, y, z;
};

// Polygons by vertex count and vertex ids, as MFnMesh::create takes them.
struct Shape {
    std::vector<Point> points;
    std::vector<int> counts;
    std::vector<int> connects;

    void addFace(std::initializer_list<int> vertices) {
        counts.push_back(static_cast<int>(vertices.size()));
        connects.insert(connects.end(), vertices);
    }
};

// One triangle with the given corners, wound a, b, c.
inline Shape triangle(Point a = {0, 0, 0}, Point b = {1, 0, 0}, Point c = {0, 0, -1}) {
    Shape s;
    s.points = {a, b, c};
    s.addFace({0, 1, 2});
    return s;
}

// The unit square in the XZ plane at y = 0, facing +Y: one quad face.
inline Shape quad() {
    Shape s;
    s.points = {{0, 0, 0}, {1, 0, 0}, {1, 0, -1}, {0, 0, -1}};
    s.addFace({0, 1, 2, 3});
    return s;
}

// A closed box of edge `size` centred on the origin with shared corners: six quads facing out.
inline Shape cube(float size = 1.0f) {
    const float h = size / 2;
    Shape s;
    s.points = {{-h, -h, h}, {h, -h, h}, {-h, h, h}, {h, h, h},
                {-h, h, -h}, {h, h, -h}, {-h, -h, -h}, {h, -h, -h}};
    s.addFace({0, 1, 3, 2});  // +Z
    s.addFace({2, 3, 5, 4});  // +Y
    s.addFace({4, 5, 7, 6});  // -Z
    s.addFace({6, 7, 1, 0});  // -Y
    s.addFace({1, 7, 5, 3});  // +X
    s.addFace({6, 0, 2, 4});  // -X
    return s;
}

// A width x depth grid of nx x nz quads in the XZ plane at y = 0, centred on the origin, facing
// +Y. Vertex (i, k) is number k * (nx + 1) + i, at x = -width/2 + i * width/nx and
// z = depth/2 - k * depth/nz.
inline Shape grid(float width, float depth, int nx, int nz) {
    Shape s;
    for (int k = 0; k <= nz; ++k)
        for (int i = 0; i <= nx; ++i)
            s.points.push_back({-width / 2 + i * width / nx, 0.0f, depth / 2 - k * depth / nz});
    for (int k = 0; k < nz; ++k)
        for (int i = 0; i < nx; ++i) {
            const int a = k * (nx + 1) + i;
            s.addFace({a, a + 1, a + nx + 2, a + nx + 1});
        }
    return s;
}

// A closed sphere about the Y axis: `rings` - 1 rings of `segments` vertices, then the two
// poles; quads between the rings and triangles at the poles, all facing out.
inline Shape sphere(float radius, int segments, int rings) {
    const double pi = 3.14159265358979323846;
    Shape s;
    for (int r = 1; r < rings; ++r) {
        const double polar = pi * r / rings;
        for (int k = 0; k < segments; ++k) {
            const double azimuth = 2 * pi * k / segments;
            s.points.push_back({float(radius * std::sin(polar) * std::cos(azimuth)),
                                float(-radius * std::cos(polar)),
                                float(-radius * std::sin(polar) * std::sin(azimuth))});
        }
    }
    const int bottom = static_cast<int>(s.points.size()), top = bottom + 1;
    s.points.push_back({0, -radius, 0});
    s.points.push_back({0, radius, 0});
    auto at = [segments](int ring, int k) { return ring * segments + (k % segments); };
    for (int r = 0; r + 1 < rings - 1; ++r)
        for (int k = 0; k < segments; ++k)
            s.addFace({at(r, k), at(r, k + 1), at(r + 1, k + 1), at(r + 1, k)});
    for (int k = 0; k < segments; ++k) {
        s.addFace({bottom, at(0, k + 1), at(0, k)});
        s.addFace({top, at(rings - 2, k), at(rings - 2, k + 1)});
    }
    return s;
}

// A closed torus about the Y axis: tube circles of radius `tube` around a ring of radius `ring`,
// `segments` around the ring and `sides` around the tube, quads facing out.
inline Shape torus(float ring, float tube, int segments, int sides) {
    const double pi = 3.14159265358979323846;
    Shape s;
    for (int k = 0; k < segments; ++k) {
        const double around = 2 * pi * k / segments;
        for (int j = 0; j < sides; ++j) {
            const double turn = 2 * pi * j / sides;
            const double reach = ring + tube * std::cos(turn);
            s.points.push_back({float(reach * std::cos(around)), float(tube * std::sin(turn)),
                                float(-reach * std::sin(around))});
        }
    }
    auto at = [segments, sides](int k, int j) { return (k % segments) * sides + (j % sides); };
    for (int k = 0; k < segments; ++k)
        for (int j = 0; j < sides; ++j)
            s.addFace({at(k, j), at(k + 1, j), at(k + 1, j + 1), at(k, j + 1)});
    return s;
}

// The shape as new mesh data; the null object when the host refuses it.
inline MObject meshData(const Shape& shape, MStatus* status = nullptr) {
    MFloatPointArray vertices;
    for (const Point& p : shape.points) vertices.append(p.x, p.y, p.z);
    const MIntArray counts(shape.counts.data(), static_cast<unsigned int>(shape.counts.size()));
    const MIntArray connects(shape.connects.data(),
                             static_cast<unsigned int>(shape.connects.size()));
    MFnMeshData data;
    MObject owner = data.create();
    MFnMesh mesh;
    return mesh.create(static_cast<int>(shape.points.size()), static_cast<int>(shape.counts.size()),
                       vertices, counts, connects, owner, status);
}

}  // namespace shapes
