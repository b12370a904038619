// zuTriWeaver through the host: small point sets whose mesh is known, a scatter on a sphere woven
// into a closed, consistently oriented mesh, the same mesh in any plane, at any scale, on every
// run and thread count, and the inputs it refuses while keeping its outputs.
#include <gtest/gtest.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPointArray.h>
#include <maya/MSelectionList.h>
#include <maya/MVectorArray.h>
#include <mayahost/Messages.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "graph/Attribute.h"
#include "graph/Node.h"
#include "graph/Scene.h"
#include "plugins/Plugins.h"
#include "sceneTesting.h"
#include "shapes.h"

namespace {

using mayahost::Message;
using namespace sceneTesting;

struct Mesh {
    std::vector<MPoint> points;
    std::vector<std::vector<int>> triangles;
    bool operator==(const Mesh& o) const { return points == o.points && triangles == o.triangles; }
};

// weaver.outMesh; `status` tells whether the compute succeeded.
Mesh outMesh(MStatus* status = nullptr) {
    MObject data;
    const MStatus evaluated = plugOf("weaver.outMesh").getValue(data);
    if (status) *status = evaluated;
    Mesh mesh;
    MFnMesh fn;
    if (data.isNull() || !fn.setObject(data)) return mesh;
    MPointArray points;
    fn.getPoints(points);
    for (unsigned int i = 0; i < points.length(); ++i) mesh.points.push_back(points[i]);
    MIntArray counts, connects;
    fn.getVertices(counts, connects);
    for (unsigned int f = 0, k = 0; f < counts.length(); ++f, k += 3) {
        EXPECT_EQ(counts[f], 3);
        mesh.triangles.push_back({connects[k], connects[k + 1], connects[k + 2]});
    }
    return mesh;
}

// The point set weaver.outPoints: each array as doubles, by name.
std::map<std::string, std::vector<double>> outPoints() {
    MObject data;
    EXPECT_TRUE(plugOf("weaver.outPoints").getValue(data));
    std::map<std::string, std::vector<double>> arrays;
    MFnArrayAttrsData fn;
    if (data.isNull() || !fn.setObject(data)) return arrays;
    const MStringArray names = fn.list();
    for (unsigned int k = 0; k < names.length(); ++k) {
        std::vector<double>& values = arrays[names[k].asChar()];
        MFnArrayAttrsData::Type type;
        fn.checkArrayExist(names[k], type);
        if (type == MFnArrayAttrsData::kVectorArray) {
            const MVectorArray a = fn.getVectorData(names[k]);
            for (unsigned int i = 0; i < a.length(); ++i)
                values.insert(values.end(), {a[i].x, a[i].y, a[i].z});
        } else if (type == MFnArrayAttrsData::kIntArray) {
            const MIntArray a = fn.getIntData(names[k]);
            for (unsigned int i = 0; i < a.length(); ++i) values.push_back(a[i]);
        } else if (type == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray a = fn.getDoubleData(names[k]);
            for (unsigned int i = 0; i < a.length(); ++i) values.push_back(a[i]);
        }
    }
    return arrays;
}

// A point set of the given positions, with normals when given, and an "id" int array 100 + i.
MObject pointSet(const std::vector<MVector>& positions, const std::vector<MVector>& normals = {},
                 int idLength = -1) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MVectorArray p = fn.vectorArray("position");
    for (const MVector& v : positions) p.append(v);
    if (!normals.empty()) {
        MVectorArray n = fn.vectorArray("normal");
        for (const MVector& v : normals) n.append(v);
    }
    MIntArray id = fn.intArray("id");
    const int ids = idLength < 0 ? static_cast<int>(positions.size()) : idLength;
    for (int i = 0; i < ids; ++i) id.append(100 + i);
    return data;
}

// Every edge's triangles, by (smaller, larger) corner, and how often each direction runs.
struct EdgeUse {
    int triangles = 0;
    int forward = 0;  // from the smaller corner to the larger
};

std::map<std::pair<int, int>, EdgeUse> edgeUses(const Mesh& mesh) {
    std::map<std::pair<int, int>, EdgeUse> uses;
    for (const auto& t : mesh.triangles)
        for (int k = 0; k < 3; ++k) {
            const int u = t[k], w = t[(k + 1) % 3];
            EdgeUse& use = uses[{std::min(u, w), std::max(u, w)}];
            ++use.triangles;
            use.forward += u < w;
        }
    return uses;
}

class TriWeaverTest : public ::testing::Test {
protected:
    void SetUp() override {
        mayahost::Scene::current().reset();
        loadPluginsQuietly({TRIWEAVER_PLUGIN, POINTSUITE_PLUGIN});
        mayahost::clearRecordedMessages();
    }
    void TearDown() override { resetScene(); }

    // A weaver node `weaver` on the point set, its box the points' bounds in x and z.
    void weave(const MObject& points, const std::string& settings = "") {
        if (!mayahost::Scene::current().findNode("weaver")) {
            ASSERT_TRUE(run("createNode zuTriWeaver -n weaver"));
        }
        MObject data = points;
        ASSERT_TRUE(plugOf("weaver.inPoints").setValue(data));
        MFnArrayAttrsData fn(points);
        const MVectorArray p = fn.getVectorData("position");
        double low[3] = {1e30, 1e30, 1e30}, high[3] = {-1e30, -1e30, -1e30};
        for (unsigned int i = 0; i < p.length(); ++i)
            for (int k = 0; k < 3; ++k)
                if (std::isfinite(p[i][k]) && std::fabs(p[i][k]) < 1e30)
                    low[k] = std::min(low[k], p[i][k]), high[k] = std::max(high[k], p[i][k]);
        if (p.length() == 0) low[0] = low[1] = low[2] = -1, high[0] = high[1] = high[2] = 1;
        ASSERT_TRUE(run("setAttr weaver.bmix " + std::to_string(low[0]) + "; setAttr weaver.bmiy " +
                        std::to_string(low[1]) + "; setAttr weaver.bmiz " + std::to_string(low[2]) +
                        "; setAttr weaver.bmax " + std::to_string(high[0]) +
                        "; setAttr weaver.bmaz " + std::to_string(high[2]) + "; " + settings));
    }

    // The positions (and normals) of a scatter on the shape at the radius.
    void scatter(const shapes::Shape& shape, double radius, std::vector<MVector>& positions,
                 std::vector<MVector>& normals) {
        ASSERT_TRUE(run("createNode mesh -n shape"));
        MStatus status;
        MObject mesh = shapes::meshData(shape, &status);
        ASSERT_TRUE(status);
        ASSERT_TRUE(plugOf("shape.inMesh").setValue(mesh));
        ASSERT_TRUE(
            run("createNode zuScatterPoints -n scatter; connectAttr shape.outMesh scatter.inMesh;"
                "connectAttr shape.boundingBox scatter.boundingBox; setAttr scatter.radius " +
                std::to_string(radius)));
        MObject data;
        ASSERT_TRUE(plugOf("scatter.outPoints").getValue(data));
        MFnArrayAttrsData fn(data);
        const MVectorArray p = fn.getVectorData("position"), n = fn.getVectorData("normal");
        for (unsigned int i = 0; i < p.length(); ++i)
            positions.push_back(p[i]), normals.push_back(n[i]);
    }

};

TEST_F(TriWeaverTest, ThreeNearPointsMakeOneTriangleAndAFarPointIsLeftOut) {
    // Three points in three cells at most four cells apart, and one far from them all.
    weave(pointSet({{0, 0, 0}, {1, 0, 0.2}, {0.3, 0, 1}, {20, 0, 20}}), "setAttr weaver.cn 0");
    const Mesh mesh = outMesh();
    ASSERT_EQ(mesh.triangles.size(), 1u);
    const std::vector<MPoint> used = {{0, 0, 0}, {1, 0, 0.2}, {0.3, 0, 1}};
    ASSERT_EQ(mesh.points.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_LT(mesh.points[i].distanceTo(used[i]), 1e-7) << i;
    const auto points = outPoints();
    EXPECT_EQ(points.at("position"), (std::vector<double>{0, 0, 0, 1, 0, 0.2, 0.3, 0, 1}));
    EXPECT_EQ(points.at("id"), (std::vector<double>{100, 101, 102}))
        << "every array loses the far point";
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(TriWeaverTest, TheCircumsphereAndRadiusTestsRejectTriangles) {
    struct Case {
        const char* name;
        std::vector<MVector> points;
        size_t triangles;
        std::vector<int> absent;  // a triangle (input indices, ascending) that must not be made
    } cases[] = {
        // Four points on one circle: each triangle has the fourth point on its circumsphere.
        {"a test point on the circumsphere", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}}, 0, {}},
        // A flat triangle whose squared circumradius (25.5) is above 5 * radius: kept alone...
        {"a large circle without test points", {{0, 0, 0}, {2, 0, 0}, {1, 0, 0.1}}, 1, {}},
        // ... and rejected once a neighbouring triangle brings a test point.
        {"a large circle with a test point",
         {{0, 0, 0}, {2, 0, 0}, {1, 0, 0.1}, {1, 0, -0.6}},
         2,
         {0, 1, 2}},
        // Three points on a line give no triangle, test points or not.
        {"a degenerate triple", {{0, 0, 0}, {0.5, 0, 0}, {1, 0, 0}}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        weave(pointSet(c.points), "setAttr weaver.cn 0");
        const Mesh mesh = outMesh();
        EXPECT_EQ(mesh.triangles.size(), c.triangles);
        if (c.absent.empty()) continue;
        for (auto t : mesh.triangles) {
            std::vector<int> corners;
            for (int v : t) {
                int nearest = 0;
                for (int k = 0; k < static_cast<int>(c.points.size()); ++k)
                    if ((MVector(mesh.points[v]) - c.points[k]).length() < 1e-6) nearest = k;
                corners.push_back(nearest);
            }
            std::sort(corners.begin(), corners.end());
            EXPECT_NE(corners, c.absent);
        }
    }
}

TEST_F(TriWeaverTest, NeighboursMustHaveNormalsThatAgreeToTheLimit) {
    const MVector up(0, 1, 0), tilted = MVector(0.1, 1, 0).normal();
    struct Case {
        MVector third;  // the third point's normal; the others face up
        const char* settings;
        size_t triangles;
    } cases[] = {
        {up, "setAttr weaver.dpl 1", 1},
        {tilted, "setAttr weaver.dpl 1", 0},
        {tilted, "setAttr weaver.dpl 0.99", 1},
        {-up, "setAttr weaver.dpl -1", 1},
        {-up, "setAttr weaver.cn 0; setAttr weaver.dpl 1", 1},  // normals not considered
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        TearDown();
        weave(pointSet({{0, 0, 0}, {1, 0, 0.2}, {0.3, 0, 1}}, {up, up, c.third}), c.settings);
        EXPECT_EQ(outMesh().triangles.size(), c.triangles);
    }
}

TEST_F(TriWeaverTest, AScatteredSphereGivesAClosedConsistentlyOrientedMesh) {
    std::vector<MVector> positions, normals;
    scatter(shapes::sphere(1, 48, 32), 0.1, positions, normals);
    ASSERT_GT(positions.size(), 500u);
    weave(pointSet(positions, normals), "setAttr weaver.r 0.1; setAttr weaver.mm 1");
    const Mesh mesh = outMesh();
    EXPECT_GT(mesh.triangles.size(), positions.size()) << "about two triangles a point";
    int interior = 0;
    for (const auto& [edge, use] : edgeUses(mesh)) {
        EXPECT_TRUE(use.triangles == 1 || use.triangles == 2) << edge.first << "-" << edge.second;
        if (use.triangles == 2) {
            ++interior;
            EXPECT_EQ(use.forward, 1)
                << "edge " << edge.first << "-" << edge.second << " runs one way twice";
        }
    }
    EXPECT_GT(interior, 0);
    std::vector<bool> used(mesh.points.size(), false);
    for (const auto& t : mesh.triangles)
        for (int v : t) used[v] = true;
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "every output point is used";
    const std::vector<double> out = outPoints().at("position");
    ASSERT_EQ(out.size(), 3 * mesh.points.size());
    for (size_t i = 0; i < mesh.points.size(); ++i)
        EXPECT_EQ(MPoint(out[3 * i], out[3 * i + 1], out[3 * i + 2]), mesh.points[i]);
}

TEST_F(TriWeaverTest, TheSameCloudGivesTheSameMeshInEveryPlaneAndAtEveryScale) {
    std::vector<MVector> positions, normals;
    scatter(shapes::grid(3, 2, 3, 2), 0.125, positions, normals);
    ASSERT_GT(positions.size(), 100u);
    auto wovenCount = [&](const std::function<MVector(const MVector&)>& place, double radius) {
        std::vector<MVector> placed;
        for (const MVector& p : positions) placed.push_back(place(p));
        TearDown();
        weave(pointSet(placed), "setAttr weaver.cn 0; setAttr weaver.r " + std::to_string(radius));
        return outMesh().triangles.size();
    };
    const size_t xz = wovenCount([](const MVector& p) { return p; }, 0.125);
    EXPECT_GT(xz, positions.size());
    EXPECT_EQ(wovenCount([](const MVector& p) { return MVector(p.x, p.z, 0); }, 0.125), xz) << "xy";
    EXPECT_EQ(wovenCount([](const MVector& p) { return MVector(0, p.x, p.z); }, 0.125), xz) << "yz";
    // Scales by powers of two keep every float exact. From a radius of 1 up, the circumradius
    // limit grows with the square of the radius, so the mesh is the same at any scale; below,
    // the limit of 5 radius is looser than the scatter's triangles need, and a spacing of 0.002
    // still weaves the whole cloud.
    const size_t large = wovenCount([](const MVector& p) { return p * 8; }, 1.0);
    EXPECT_EQ(wovenCount([](const MVector& p) { return p * 256; }, 32.0), large);
    EXPECT_NEAR(double(large), double(xz), 0.01 * xz);
    EXPECT_NEAR(double(wovenCount([](const MVector& p) { return p / 64; }, 0.125 / 64)), double(xz),
                0.01 * xz);
}

TEST_F(TriWeaverTest, ABoxCornerFarFromThePointsWeavesThemAsANearOneDoes) {
    // In single precision a point's distance from a corner ten million units away rounds by more
    // than a cell. The cells lie otherwise than under the near box, so the meshes may differ by
    // a triangle here and there, but not by whole neighbourhoods.
    std::vector<MVector> positions, normals;
    scatter(shapes::grid(2, 2, 2, 2), 0.125, positions, normals);
    const std::string settings = "setAttr weaver.cn 0; setAttr weaver.r 0.125; ";
    weave(pointSet(positions), settings);
    const double near = double(outMesh().triangles.size());
    ASSERT_GT(near, double(positions.size()));
    for (const char* corner : {"setAttr weaver.bmix -1e7", "setAttr weaver.bmiz -1e7"}) {
        SCOPED_TRACE(corner);
        weave(pointSet(positions), settings + corner);
        EXPECT_NEAR(double(outMesh().triangles.size()), near, 0.02 * near);
    }
}

TEST_F(TriWeaverTest, TheMeshIsTheSameOnEveryRunAndThreadCount) {
    std::vector<MVector> positions, normals;
    scatter(shapes::sphere(1, 48, 32), 0.08, positions, normals);
    // Points closer than the cells: cells holding two points, whose choice must not vary.
    std::vector<MVector> doubled = positions;
    for (const MVector& p : positions) doubled.push_back(p * 1.004);
    Mesh reference;
    for (int threads : {1, 4, 8, 4}) {
        SCOPED_TRACE(threads);
        DeviceThreads narrowed(threads);
        weave(pointSet(doubled), "setAttr weaver.cn 0; setAttr weaver.r 0.1");
        const Mesh mesh = outMesh();
        EXPECT_GT(mesh.triangles.size(), 1000u);
        if (reference.points.empty()) reference = mesh;
        EXPECT_TRUE(mesh == reference);
        TearDown();
    }
}

TEST_F(TriWeaverTest, MakeManifoldDirtiesOnlyTheMesh) {
    weave(pointSet({{0, 0, 0}, {1, 0, 0.2}, {0.3, 0, 1}}), "setAttr weaver.cn 0");
    outMesh();
    outPoints();
    mayahost::Node* node = mayahost::Scene::current().findNode("weaver");
    const mayahost::Attribute* mesh = mayahost::attributeOf(plugOf("weaver.outMesh").attribute());
    const mayahost::Attribute* points =
        mayahost::attributeOf(plugOf("weaver.outPoints").attribute());
    const unsigned computes = node->computeCalls[points];
    ASSERT_TRUE(run("setAttr weaver.mm 1"));
    EXPECT_TRUE(node->dirty.count(mesh));
    EXPECT_FALSE(node->dirty.count(points));
    EXPECT_EQ(outPoints().at("position").size(), 9u);
    EXPECT_EQ(node->computeCalls[points], computes) << "outPoints keeps its stored value";
}

TEST_F(TriWeaverTest, SetValuesStayWithinTheAttributesLimits) {
    ASSERT_TRUE(run("createNode zuTriWeaver -n weaver; setAttr weaver.dpl 5; setAttr weaver.r 0"));
    float limit = 0, radius = 0;
    ASSERT_TRUE(plugOf("weaver.dpl").getValue(limit));
    ASSERT_TRUE(plugOf("weaver.r").getValue(radius));
    EXPECT_EQ(limit, 1.0f);
    EXPECT_EQ(radius, 0.001f);
    ASSERT_TRUE(run("setAttr weaver.dpl -3"));
    ASSERT_TRUE(plugOf("weaver.dpl").getValue(limit));
    EXPECT_EQ(limit, -1.0f);
}

TEST_F(TriWeaverTest, RefusedInputsShowWhyAndKeepTheOutputs) {
    const std::vector<MVector> three = {{0, 0, 0}, {1, 0, 0.2}, {0.3, 0, 1}};
    const double nan = std::nan(""), inf = HUGE_VAL;
    struct Case {
        const char* name;
        std::function<MObject()> points;
        std::string settings;
        std::string message;
    } cases[] = {
        {"no position",
         [] {
             MFnArrayAttrsData fn;
             return fn.create();
         },
         "", "weaver.inPoints: Points position missing"},
        {"position of another kind",
         [] {
             MFnArrayAttrsData fn;
             MObject d = fn.create();
             fn.doubleArray("position");
             return d;
         },
         "", "weaver.inPoints: wrong 'position' attribute type"},
        {"no normal", [&] { return pointSet(three); }, "setAttr weaver.cn 1",
         "weaver.inPoints: Points normal missing. Turn on 'Compute Normal' option in "
         "zuScatterPoints node"},
        {"normals of another length",
         [&] {
             return pointSet(three, {{0, 1, 0}});
         },
         "setAttr weaver.cn 1",
         "weaver.inPoints: length of position and normal vector does not match"},
        {"a normal not finite",
         [&] {
             return pointSet(three, {{0, 1, 0}, {0, nan, 0}, {0, 1, 0}});
         },
         "setAttr weaver.cn 1", "weaver.inPoints: 'normal' of point 1 is not finite: (0, nan, 0)"},
        {"a position not finite",
         [&] {
             return pointSet({{0, 0, 0}, {1, 0, 0}, {inf, 0, 1}});
         },
         "setAttr weaver.cn 0",
         "weaver.inPoints: 'position' of point 2 is not finite: (inf, 0, 1)"},
        {"a position beyond single precision",
         [&] {
             return pointSet({{0, 0, 0}, {1e300, 0, 0}});
         },
         "setAttr weaver.cn 0",
         "weaver.inPoints: 'position' of point 1 is not finite: (1e+300, 0, 0)"},
        {"an array of another length", [&] { return pointSet(three, {}, 2); },
         "setAttr weaver.cn 0", "copyAttributes: array 'id' length does not match."},
        {"the box left at 0", [&] { return pointSet(three); },
         "setAttr weaver.cn 0; setAttr weaver.bmix 0; setAttr weaver.bmiy 0; setAttr weaver.bmiz 0;"
         "setAttr weaver.bmax 0; setAttr weaver.bmaz 0",
         "weaver.boundingBox: plug-in bouinding box attribute or type: dgdirty weaver.boundingBox "
         "in "
         "command line if bbox already connected"},
        {"a grid too fine to number",
         [&] {
             return pointSet({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1e4, 1e4, 1e4}});
         },
         "setAttr weaver.cn 0; setAttr weaver.r 0.001",
         "weaver.radius: a radius of 0.001 over the box and points from (0, 0, 0) to (10000, "
         "10000, 10000) "
         "needs 5.196e+21 grid cells, more than the 4294967295 the grid can number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        weave(pointSet(three), "setAttr weaver.cn 0");
        const Mesh before = outMesh();
        ASSERT_EQ(before.triangles.size(), 1u);
        weave(c.points(), c.settings);
        mayahost::clearRecordedMessages();
        MStatus status;
        EXPECT_TRUE(outMesh(&status) == before);
        EXPECT_FALSE(status);
        EXPECT_EQ(messages(Message::kError), std::vector<std::string>{c.message});
    }
}

TEST_F(TriWeaverTest, BadValuesThroughConnectionsAreRefusedWithThePlugsName) {
    ASSERT_TRUE(loadTestAdder());
    const std::string &huge = kAdderHuge, &nan = kAdderNan;
    const AdderCase cases[] = {
        {"radius", "setAttr \"adder.w[0]\" -3.55",
         "weaver.radius: must be finite and above 0, not -0.05"},
        {"radius", "setAttr \"adder.w[0]\" -3.5",
         "weaver.radius: must be finite and above 0, not 0"},
        {"radius", nan, "weaver.radius: must be finite and above 0, not nan"},
        {"radius", huge, "weaver.radius: must be finite and above 0, not inf"},
        {"dotProdLimit", nan, "weaver.dotProdLimit: must be finite, not nan"},
        {"boundingBoxMinX", nan, "weaver.boundingBoxMinX: must be finite, not nan"},
        {"boundingBoxMaxZ", "setAttr \"adder.w[0]\" 1e300",
         "weaver.boundingBoxMaxZ: must be finite, not inf"},
    };
    for (const AdderCase& c : cases) {
        SCOPED_TRACE(c.message);
        TearDown();
        weave(pointSet({{0, 0, 0}, {1, 0, 0.2}, {0.3, 0, 1}}, {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}}));
        const Mesh before = outMesh();
        ASSERT_EQ(before.triangles.size(), 1u);
        ASSERT_TRUE(run("createNode testAdder -n adder; " + c.sum +
                        "; connectAttr adder.sum weaver." + c.attribute));
        mayahost::clearRecordedMessages();
        MStatus status;
        EXPECT_TRUE(outMesh(&status) == before);
        EXPECT_FALSE(status);
        EXPECT_EQ(messages(Message::kError), std::vector<std::string>{c.message});
    }
    TearDown();
    mayahost::unloadPlugin("graphTestPlugin");
}

#if defined(GPU_BACKEND_CPU)
TEST_F(TriWeaverTest, WorkBeyondTheMemoryBudgetIsRefusedBeforeItIsAllocated) {
    weave(pointSet({{0, 0, 0}, {1, 0, 0.2}, {0.3, 0, 1}}), "setAttr weaver.cn 0");
    const Mesh before = outMesh();
    ASSERT_EQ(before.triangles.size(), 1u);
    // 14,400 points take 36 MB of candidate triples.
    std::vector<MVector> many;
    for (int i = 0; i < 120; ++i)
        for (int k = 0; k < 120; ++k) many.emplace_back(i + 0.01 * (k % 7), 0, k + 0.01 * (i % 5));
    weave(pointSet(many), "setAttr weaver.r 1.5");
    mayahost::clearRecordedMessages();
    MStatus status;
    {
        MemoryBudget budget(16ull << 20);
        EXPECT_TRUE(outMesh(&status) == before);
        EXPECT_FALSE(status);
        EXPECT_EQ(messages(Message::kError),
                  std::vector<std::string>{"zuTriWeaver: Not enough memory on GPU"});
    }
    {
        MemoryBudget none(0);
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run("createNode zuTriWeaver -n starved")) << "no room for the offset table";
        EXPECT_EQ(mayahost::Scene::current().findNode("starved"), nullptr);
        const std::vector<std::string> errors = messages(Message::kError);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.front(), "zuTriWeaver: Not enough memory on GPU");
    }
    ASSERT_TRUE(run("setAttr weaver.dpl 0"));
    EXPECT_GT(outMesh(&status).triangles.size(), 25000u);
    EXPECT_TRUE(status) << "within the machine's memory again";
}
#endif

TEST_F(TriWeaverTest, AnEmptyPointSetGivesAnEmptyMesh) {
    weave(pointSet({}), "setAttr weaver.cn 0");
    MStatus status;
    const Mesh mesh = outMesh(&status);
    EXPECT_TRUE(status);
    EXPECT_TRUE(mesh.points.empty() && mesh.triangles.empty());
}

}  // namespace
