#include "mesh/MeshPrimitives.h"

#include <cmath>
#include <cstdint>

namespace mayahost {

namespace {

constexpr std::int64_t kMaxFaces = std::int64_t(1) << 24;
constexpr double kPi = 3.14159265358979323846;

bool fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

bool checkSize(const char* what, double value, std::string* error) {
    if (value > 0.0 && std::isfinite(value)) return true;
    return fail(error, std::string(what) + " must be a positive number");
}

bool checkSubdivisions(const char* what, int value, int least, std::string* error) {
    if (value >= least) return true;
    return fail(error, std::string(what) + " must be at least " + std::to_string(least));
}

bool checkFaces(std::int64_t faces, std::string* error) {
    if (faces <= kMaxFaces) return true;
    return fail(error, "too many subdivisions (" + std::to_string(faces) + " faces)");
}

// Collects a primitive's faces with their UV ids, then hands everything to the mesh.
struct Builder {
    std::vector<MeshPoint> points;
    std::vector<int> counts, connects, uvIds;
    std::vector<float> u, v;

    void face(std::initializer_list<int> vertices, std::initializer_list<int> uvs) {
        counts.push_back(static_cast<int>(vertices.size()));
        connects.insert(connects.end(), vertices);
        uvIds.insert(uvIds.end(), uvs);
    }
    void uv(double uValue, double vValue) {
        u.push_back(static_cast<float>(uValue));
        v.push_back(static_cast<float>(vValue));
    }
    MeshGeometry finish(std::string* error) {
        MeshGeometry mesh;
        std::string why;
        if (!mesh.setTopology(std::move(points), std::move(counts), std::move(connects), why)) {
            fail(error, why);
            return MeshGeometry();
        }
        UVSet* set = mesh.findUVSet(MeshGeometry::kDefaultUVSet);
        set->u = std::move(u);
        set->v = std::move(v);
        set->uvIds = std::move(uvIds);
        return mesh;
    }
};

MeshPoint point(double x, double y, double z) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

}  // namespace

MeshGeometry makePolyPlane(double width, double height, int sx, int sy, std::string* error) {
    if (!checkSize("width", width, error) || !checkSize("height", height, error) ||
        !checkSubdivisions("subdivisionsX", sx, 1, error) ||
        !checkSubdivisions("subdivisionsY", sy, 1, error) ||
        !checkFaces(std::int64_t(sx) * sy, error)) {
        return MeshGeometry();
    }
    Builder b;
    for (int j = 0; j <= sy; ++j) {
        for (int i = 0; i <= sx; ++i) {
            const double s = double(i) / sx, t = double(j) / sy;
            b.points.push_back(point(width * (s - 0.5), 0.0, height * (0.5 - t)));
            b.uv(s, t);
        }
    }
    for (int j = 0; j < sy; ++j) {
        for (int i = 0; i < sx; ++i) {
            const int a = j * (sx + 1) + i, c = a + sx + 1;
            b.face({a, a + 1, c + 1, c}, {a, a + 1, c + 1, c});
        }
    }
    return b.finish(error);
}

MeshGeometry makePolyCube(double width, double height, double depth, int sx, int sy, int sz,
                          std::string* error) {
    if (!checkSize("width", width, error) || !checkSize("height", height, error) ||
        !checkSize("depth", depth, error) || !checkSubdivisions("subdivisionsX", sx, 1, error) ||
        !checkSubdivisions("subdivisionsY", sy, 1, error) ||
        !checkSubdivisions("subdivisionsZ", sz, 1, error) ||
        !checkFaces(2 * (std::int64_t(sx) * sy + std::int64_t(sy) * sz + std::int64_t(sz) * sx),
                    error)) {
        return MeshGeometry();
    }
    // A strip of rows wraps around the X axis: front going up, top going back, back going down,
    // bottom coming forward. Row `rows` is row 0 again for vertices but not for UVs.
    const int rows = 2 * (sy + sz), columns = sx + 1;
    const double hw = width / 2, hh = height / 2, hd = depth / 2;
    Builder b;
    for (int r = 0; r < rows; ++r) {
        double y, z;
        if (r <= sy) {
            y = -hh + height * r / sy, z = hd;
        } else if (r <= sy + sz) {
            y = hh, z = hd - depth * (r - sy) / sz;
        } else if (r <= 2 * sy + sz) {
            y = hh - height * (r - sy - sz) / sy, z = -hd;
        } else {
            y = -hh, z = -hd + depth * (r - 2 * sy - sz) / sz;
        }
        for (int i = 0; i < columns; ++i) b.points.push_back(point(-hw + width * i / sx, y, z));
    }
    // The caps share their border with the strip; only their inner grid adds vertices.
    const int capInner = (sy - 1) * (sz - 1);
    for (int side = 0; side < 2; ++side) {
        for (int bi = 1; bi < sy; ++bi) {
            for (int a = 1; a < sz; ++a) {
                b.points.push_back(
                    point(side == 0 ? hw : -hw, -hh + height * bi / sy, hd - depth * a / sz));
            }
        }
    }
    for (int r = 0; r <= rows; ++r) {
        double v;
        if (r <= sy) {
            v = 0.25 * r / sy;
        } else if (r <= sy + sz) {
            v = 0.25 + 0.25 * (r - sy) / sz;
        } else if (r <= 2 * sy + sz) {
            v = 0.5 + 0.25 * (r - sy - sz) / sy;
        } else {
            v = 0.75 + 0.25 * (r - 2 * sy - sz) / sz;
        }
        for (int i = 0; i < columns; ++i) b.uv(0.375 + 0.25 * i / sx, v);
    }
    const int capUVBase = (rows + 1) * columns;
    for (int side = 0; side < 2; ++side) {
        for (int a = 1; a <= sz; ++a) {
            for (int bi = 0; bi <= sy; ++bi) {
                b.uv(side == 0 ? 0.625 + 0.25 * a / sz : 0.375 - 0.25 * a / sz, 0.25 * bi / sy);
            }
        }
    }

    for (int r = 0; r < rows; ++r) {
        const int next = (r + 1) % rows;
        for (int i = 0; i < sx; ++i) {
            const int p = r * columns + i, q = next * columns + i, t = (r + 1) * columns + i;
            b.face({p, p + 1, q + 1, q}, {p, p + 1, t + 1, t});
        }
    }
    // Cap grid point (a, b): a steps from +Z to -Z over sz, b from -Y to +Y over sy.
    auto capVertex = [&](int side, int a, int bi) {
        const int column = side == 0 ? sx : 0;
        if (a == 0) return bi * columns + column;
        if (bi == sy) return (sy + a) * columns + column;
        if (a == sz) return (sy + sz + sy - bi) * columns + column;
        if (bi == 0) return ((2 * sy + sz + sz - a) % rows) * columns + column;
        return rows * columns + side * capInner + (bi - 1) * (sz - 1) + (a - 1);
    };
    auto capUV = [&](int side, int a, int bi) {
        if (a == 0) return bi * columns + (side == 0 ? sx : 0);
        return capUVBase + side * sz * (sy + 1) + (a - 1) * (sy + 1) + bi;
    };
    for (int side = 0; side < 2; ++side) {
        for (int bi = 0; bi < sy; ++bi) {
            for (int a = 0; a < sz; ++a) {
                // The right cap faces +X; the left one runs the other way round to face -X.
                const int a0 = side == 0 ? a : a + 1, a1 = side == 0 ? a + 1 : a;
                b.face({capVertex(side, a0, bi), capVertex(side, a1, bi),
                        capVertex(side, a1, bi + 1), capVertex(side, a0, bi + 1)},
                       {capUV(side, a0, bi), capUV(side, a1, bi), capUV(side, a1, bi + 1),
                        capUV(side, a0, bi + 1)});
            }
        }
    }
    return b.finish(error);
}

MeshGeometry makePolySphere(double radius, int sx, int sy, std::string* error) {
    if (!checkSize("radius", radius, error) ||
        !checkSubdivisions("subdivisionsAxis", sx, 3, error) ||
        !checkSubdivisions("subdivisionsHeight", sy, 2, error) ||
        !checkFaces(std::int64_t(sx) * sy, error)) {
        return MeshGeometry();
    }
    Builder b;
    for (int j = 0; j < sy - 1; ++j) {
        const double phi = kPi * (j + 1) / sy;
        const double y = -radius * std::cos(phi), ring = radius * std::sin(phi);
        for (int i = 0; i < sx; ++i) {
            const double theta = 2.0 * kPi * i / sx;
            b.points.push_back(point(ring * std::cos(theta), y, -ring * std::sin(theta)));
        }
    }
    const int south = (sy - 1) * sx, north = south + 1;
    b.points.push_back(point(0.0, -radius, 0.0));
    b.points.push_back(point(0.0, radius, 0.0));

    for (int j = 0; j < sy - 1; ++j) {
        for (int i = 0; i <= sx; ++i) b.uv(double(i) / sx, double(j + 1) / sy);
    }
    const int southUV = (sy - 1) * (sx + 1), northUV = southUV + sx;
    for (int i = 0; i < sx; ++i) b.uv((i + 0.5) / sx, 0.0);
    for (int i = 0; i < sx; ++i) b.uv((i + 0.5) / sx, 1.0);

    for (int j = 0; j < sy - 2; ++j) {
        for (int i = 0; i < sx; ++i) {
            const int i1 = (i + 1) % sx;
            const int t = j * (sx + 1) + i;
            b.face({j * sx + i, j * sx + i1, (j + 1) * sx + i1, (j + 1) * sx + i},
                   {t, t + 1, t + sx + 2, t + sx + 1});
        }
    }
    const int top = sy - 2;
    for (int i = 0; i < sx; ++i) {
        b.face({(i + 1) % sx, i, south}, {i + 1, i, southUV + i});
    }
    for (int i = 0; i < sx; ++i) {
        const int t = top * (sx + 1) + i;
        b.face({top * sx + i, top * sx + (i + 1) % sx, north}, {t, t + 1, northUV + i});
    }
    return b.finish(error);
}

}  // namespace mayahost
