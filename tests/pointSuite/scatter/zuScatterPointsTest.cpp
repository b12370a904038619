// zuScatterPoints through the host: the properties of its point set checked by brute force on
// several meshes and phase choices, carried vertices, repeatability, and the cases where it
// gives an empty set, keeps its output, refuses its inputs or cuts its candidates.
#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>
#include <mayahost/Messages.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "graph/Node.h"
#include "plugins/Plugins.h"
#include "graph/Scene.h"
#include "sceneTesting.h"
#include "shapes.h"

namespace {

using mayahost::Message;
using namespace sceneTesting;

struct PointSet {
    std::vector<std::string> names;
    std::vector<MVector> position, uv, normal;
    std::vector<int> triID, pointID;

    size_t size() const { return position.size(); }
    bool operator==(const PointSet& o) const {
        return names == o.names && position == o.position && uv == o.uv && normal == o.normal &&
               triID == o.triID && pointID == o.pointID;
    }
};

// Evaluates scatter.outPoints; `status` tells whether the compute succeeded.
PointSet outPoints(MStatus* status = nullptr, const std::string& node = "scatter") {
    MObject data;
    MStatus evaluated = plugOf(node + ".outPoints").getValue(data);
    if (status) {
        *status = evaluated;
    } else {
        EXPECT_TRUE(evaluated) << node << ".outPoints";
    }
    PointSet set;
    MFnArrayAttrsData fn;
    if (data.isNull() || !fn.setObject(data)) return set;
    const MStringArray names = fn.list();
    for (unsigned int i = 0; i < names.length(); ++i) set.names.push_back(names[i].asChar());
    auto vectors = [&fn](const char* name, std::vector<MVector>& out) {
        MFnArrayAttrsData::Type type;
        if (!fn.checkArrayExist(name, type)) return;
        const MVectorArray array = fn.getVectorData(name);
        for (unsigned int i = 0; i < array.length(); ++i) out.push_back(array[i]);
    };
    auto ints = [&fn](const char* name, std::vector<int>& out) {
        MFnArrayAttrsData::Type type;
        if (!fn.checkArrayExist(name, type)) return;
        const MIntArray array = fn.getIntData(name);
        for (unsigned int i = 0; i < array.length(); ++i) out.push_back(array[i]);
    };
    vectors("position", set.position);
    vectors("uv", set.uv);
    vectors("normal", set.normal);
    ints("triID", set.triID);
    ints("pointID", set.pointID);
    return set;
}

// The points and triangle vertex list the host makes of a shape.
struct Triangulated {
    std::vector<MVector> points;
    std::vector<int> triangles;
};

Triangulated triangulate(const shapes::Shape& shape) {
    Triangulated mesh;
    MFnMesh fn(shapes::meshData(shape));
    MIntArray counts, vertices;
    EXPECT_TRUE(fn.getTriangles(counts, vertices));
    for (const shapes::Point& p : shape.points) mesh.points.emplace_back(p.x, p.y, p.z);
    for (unsigned int i = 0; i < vertices.length(); ++i) mesh.triangles.push_back(vertices[i]);
    return mesh;
}

double smallestDistance(std::vector<MVector> points) {
    // A sweep along x: only points closer along x than the smallest distance so far can beat it.
    std::sort(points.begin(), points.end(), [](const MVector& a, const MVector& b) { return a.x < b.x; });
    double smallest = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < points.size(); ++i)
        for (size_t j = i + 1; j < points.size() && points[j].x - points[i].x < smallest; ++j)
            smallest = std::min(smallest, (points[i] - points[j]).length());
    return smallest;
}

// What every scatter result promises, checked point by point.
void expectScatterProperties(const PointSet& set, const Triangulated& mesh, double radius,
                             bool withNormals, const MVector* flatNormal) {
    std::vector<std::string> names = {"position", "triID", "uv", "pointID"};
    if (withNormals) names.push_back("normal");
    EXPECT_EQ(set.names, names);
    const size_t n = set.size();
    ASSERT_EQ(set.triID.size(), n);
    ASSERT_EQ(set.uv.size(), n);
    ASSERT_EQ(set.pointID.size(), n);
    ASSERT_EQ(set.normal.size(), withNormals ? n : 0u);
    EXPECT_GT(smallestDistance(set.position), radius) << "two points at most the radius apart";
    const int triangleCount = static_cast<int>(mesh.triangles.size() / 3);
    for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(set.pointID[i], static_cast<int>(i));
        const int t = set.triID[i];
        ASSERT_TRUE(t >= 0 && t < triangleCount) << "point " << i << " on triangle " << t;
        const double u = set.uv[i].x, v = set.uv[i].y;
        EXPECT_EQ(set.uv[i].z, 0.0);
        EXPECT_TRUE(u >= -1e-6 && v >= -1e-6 && u + v <= 1 + 1e-6) << "point " << i << ": " << u << ", " << v;
        const MVector& a = mesh.points[mesh.triangles[3 * t]];
        const MVector& b = mesh.points[mesh.triangles[3 * t + 1]];
        const MVector& c = mesh.points[mesh.triangles[3 * t + 2]];
        const MVector onTriangle = a + u * (b - a) + v * (c - a);
        EXPECT_LT((onTriangle - set.position[i]).length(), 1e-5) << "point " << i;
        if (withNormals) {
            EXPECT_NEAR(set.normal[i].length(), 1.0, 1e-5) << "point " << i;
            if (flatNormal) {
                EXPECT_LT((set.normal[i] - *flatNormal).length(), 1e-5) << "point " << i;
            }
        }
    }
}

class ScatterTest : public ::testing::Test {
protected:
    void SetUp() override {
        mayahost::Scene::current().reset();
        loadPluginsQuietly({POINTSUITE_PLUGIN});
        mayahost::clearRecordedMessages();
    }
    void TearDown() override {
        mayahost::Scene::current().reset();
        mayahost::unloadPlugin("pointSuite");
        mayahost::clearRecordedMessages();
    }

    // Puts the shape on the mesh node `shape` (made when absent).
    void setMesh(const shapes::Shape& shape, const std::string& node = "shape") {
        if (!mayahost::Scene::current().findNode(node)) {
            ASSERT_TRUE(run("createNode mesh -n " + node));
        }
        MStatus status;
        MObject data = shapes::meshData(shape, &status);
        ASSERT_TRUE(status);
        ASSERT_TRUE(plugOf(node + ".inMesh").setValue(data));
    }

    // A scatter node `scatter` on the shape, its box from the mesh, with extra settings.
    void scatterOn(const shapes::Shape& shape, const std::string& settings = "") {
        setMesh(shape);
        ASSERT_TRUE(run("createNode zuScatterPoints -n scatter; connectAttr shape.outMesh scatter.inMesh;"
                        "connectAttr shape.boundingBox scatter.boundingBox"));
        if (!settings.empty()) {
            ASSERT_TRUE(run(settings));
        }
    }

    // A scatter node `scatter` on the shape, its box from -1 to 1 along x and z, with settings.
    void scatterInUnitBox(const shapes::Shape& shape, const std::string& settings) {
        setMesh(shape);
        ASSERT_TRUE(run("createNode zuScatterPoints -n scatter; connectAttr shape.outMesh scatter.inMesh;"
                        "setAttr scatter.bmix -1; setAttr scatter.bmiz -1; setAttr scatter.bmax 1;"
                        "setAttr scatter.bmaz 1; " + settings));
    }

};

const MVector kUp(0, 1, 0);

TEST_F(ScatterTest, PointsKeepTheirDistanceAndLieOnTheirTriangles) {
    struct Case {
        const char* name;
        shapes::Shape shape;
        double radius;
        const char* settings;
        const MVector* flatNormal;
        size_t atLeast;
    } cases[] = {
        {"sphere surface", shapes::sphere(1, 24, 16), 0.1, "", nullptr, 500},
        {"grid, all phases", shapes::grid(4, 4, 4, 4), 0.3,
         "setAttr scatter.sov 1; setAttr scatter.sobe 1", &kUp, 100},
        {"grid, no normals", shapes::grid(4, 4, 4, 4), 0.3, "setAttr scatter.cn 0", nullptr, 100},
        {"cube, vertices and surface", shapes::cube(2), 0.4, "setAttr scatter.sov 1", nullptr, 50},
        {"quad, border edges", shapes::quad(), 0.05, "setAttr scatter.sobe 1; setAttr scatter.sos 0",
         &kUp, 40},
        {"tilted triangle, vertices", shapes::triangle({0, 0, 0}, {1, 1, 0}, {0, 0.5f, -1}), 0.5,
         "setAttr scatter.sov 1; setAttr scatter.sos 0", nullptr, 3},
        {"few trials, dense candidates", shapes::sphere(1, 24, 16), 0.2,
         "setAttr scatter.trials 1; setAttr scatter.rm 400", nullptr, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        scatterOn(c.shape, std::string("setAttr scatter.radius ") + std::to_string(c.radius) + ";" + c.settings);
        const PointSet set = outPoints();
        EXPECT_GE(set.size(), c.atLeast);
        const bool withNormals = std::string(c.settings).find("cn 0") == std::string::npos;
        expectScatterProperties(set, triangulate(c.shape), c.radius, withNormals, c.flatNormal);
        EXPECT_TRUE(mayahost::recordedMessages().empty());
        TearDown();
    }
}

TEST_F(ScatterTest, BorderEdgePointsLieOnTheOutline) {
    scatterOn(shapes::grid(2, 2, 3, 3), "setAttr scatter.radius 0.1; setAttr scatter.sobe 1; setAttr scatter.sos 0");
    const PointSet set = outPoints();
    ASSERT_GT(set.size(), 40u);
    for (const MVector& p : set.position)
        EXPECT_TRUE(std::abs(std::abs(p.x) - 1) < 1e-6 || std::abs(std::abs(p.z) - 1) < 1e-6) << p;
}

TEST_F(ScatterTest, VertexSamplesAreCarriedThroughTheLaterPhases) {
    // Vertices 1 apart, farther than the radius: every one is kept.
    const shapes::Shape grid = shapes::grid(4, 4, 4, 4);
    for (const char* phases : {"", "setAttr scatter.sobe 1"}) {
        SCOPED_TRACE(phases);
        SetUp();
        scatterOn(grid, std::string("setAttr scatter.radius 0.45; setAttr scatter.sov 1;") + phases);
        const PointSet set = outPoints();
        EXPECT_GT(set.size(), grid.points.size() + 20);
        for (const shapes::Point& vertex : grid.points) {
            int found = 0;
            for (const MVector& p : set.position) found += p == MVector(vertex.x, vertex.y, vertex.z);
            EXPECT_EQ(found, 1) << vertex.x << ", " << vertex.z;
        }
        TearDown();
    }
}

TEST_F(ScatterTest, OfVerticesCloserThanTheRadiusOneIsKept) {
    // Vertices 0 and 1 are 0.1 apart; vertex 3 belongs to no triangle.
    shapes::Shape shape = shapes::triangle({0, 0, 0}, {0.1f, 0, 0}, {0, 0, -1});
    shape.points.push_back({3, 0, 3});
    scatterOn(shape, "setAttr scatter.radius 0.5; setAttr scatter.sov 1; setAttr scatter.sos 0");
    const PointSet set = outPoints();
    ASSERT_EQ(set.size(), 3u);
    int nearOrigin = 0;
    for (size_t i = 0; i < set.size(); ++i) {
        if (set.position[i].length() < 0.2) ++nearOrigin;
        if (set.position[i] == MVector(3, 0, 3)) {
            EXPECT_EQ(set.triID[i], 0);
            EXPECT_EQ(set.uv[i], MVector(0, 0, 0));
        }
    }
    EXPECT_EQ(nearOrigin, 1);
    EXPECT_GT(smallestDistance(set.position), 0.5);
}

TEST_F(ScatterTest, TheSameSeedRepeatsTheOutputAndAnotherChangesIt) {
    scatterOn(shapes::sphere(1, 24, 16), "setAttr scatter.radius 0.1; setAttr scatter.sov 1");
    const PointSet first = outPoints();
    ASSERT_TRUE(run("setAttr scatter.seed 99"));
    const PointSet other = outPoints();
    ASSERT_TRUE(run("setAttr scatter.seed 1234"));
    const PointSet again = outPoints();
    EXPECT_TRUE(first == again);
    EXPECT_FALSE(first == other);
    EXPECT_GT(other.size(), 0u);
}

TEST_F(ScatterTest, NoPhaseToRunGivesAnEmptyPointSet) {
    struct Case {
        const char* name;
        shapes::Shape shape;
        const char* settings;
    } cases[] = {
        {"no switch on", shapes::quad(), "setAttr scatter.sos 0"},
        {"border edges of a closed mesh", shapes::cube(1), "setAttr scatter.sobe 1; setAttr scatter.sos 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        scatterOn(c.shape, c.settings);
        MStatus status;
        const PointSet set = outPoints(&status);
        EXPECT_TRUE(status);
        EXPECT_TRUE(set.names.empty());
        EXPECT_TRUE(mayahost::recordedMessages().empty());
        TearDown();
    }
}

TEST_F(ScatterTest, BorderEdgesOfAClosedMeshLeaveTheOtherPhases) {
    scatterOn(shapes::cube(2), "setAttr scatter.radius 0.3");
    const PointSet surface = outPoints();
    ASSERT_TRUE(run("setAttr scatter.sobe 1"));
    EXPECT_TRUE(outPoints() == surface);
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(ScatterTest, ATinyAreaLeavesTheOutputAsItWas) {
    scatterOn(shapes::quad(), "setAttr scatter.radius 0.2");
    const PointSet before = outPoints();
    ASSERT_GT(before.size(), 0u);
    for (const shapes::Shape& tiny : {shapes::triangle({0, 0, 0}, {1, 0, 0}, {2, 0, 0}),
                                      shapes::triangle({0, 0, 0}, {0.01f, 0, 0}, {0, 0, -0.01f})}) {
        setMesh(tiny);
        MStatus status;
        EXPECT_TRUE(outPoints(&status) == before);
        EXPECT_TRUE(status);
    }
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(ScatterTest, AnUnsetBoundingBoxIsRefusedAndTheOutputKept) {
    scatterInUnitBox(shapes::quad(), "setAttr scatter.radius 0.2");
    const PointSet before = outPoints();
    ASSERT_GT(before.size(), 0u);
    const std::string expected =
        "scatter.boundingBox: plug-in bouinding box attribute or type: dgdirty "
        "scatter.boundingBox in command line if bbox already connected";
    // Only the minimum and maximum x and z and the minimum y count.
    ASSERT_TRUE(run("setAttr scatter.bmix 0; setAttr scatter.bmax 0; setAttr scatter.bmiz 0;"
                    "setAttr scatter.bmaz 0; setAttr scatter.bmay 3; setAttr scatter.bmsx 2"));
    MStatus status;
    EXPECT_TRUE(outPoints(&status) == before);
    EXPECT_FALSE(status);
    EXPECT_EQ(messages(Message::kError), std::vector<std::string>{expected});

    // Any one of the five read values set makes a box.
    for (const char* value : {"bmix", "bmiy", "bmiz", "bmax", "bmaz"}) {
        SCOPED_TRACE(value);
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run("setAttr scatter.bmay 0; setAttr scatter.bmsx 0; setAttr scatter." + std::string(value) + " 1"));
        EXPECT_GT(outPoints().size(), 0u);
        EXPECT_TRUE(mayahost::recordedMessages().empty());
        ASSERT_TRUE(run("setAttr scatter." + std::string(value) + " 0"));
    }
}

TEST_F(ScatterTest, AMissingOrOversizedMeshIsRefused) {
    ASSERT_TRUE(run("createNode zuScatterPoints -n scatter"));
    MStatus status;
    outPoints(&status);
    EXPECT_FALSE(status);
    EXPECT_EQ(messages(Message::kError), std::vector<std::string>{"scatter.inMesh: please supply inMesh"});

    // Finite corners whose area overflows single precision.
    mayahost::clearRecordedMessages();
    setMesh(shapes::triangle({0, 0, 0}, {3e38f, 0, 0}, {0, 0, -3e38f}));
    ASSERT_TRUE(run("connectAttr shape.outMesh scatter.inMesh; connectAttr shape.boundingBox scatter.boundingBox;"
                    "setAttr scatter.radius 1e38"));
    outPoints(&status);
    EXPECT_FALSE(status);
    EXPECT_EQ(messages(Message::kError), std::vector<std::string>{"zuScatterPoints: inMesh is too large to scatter on"});
}

TEST_F(ScatterTest, AGridBeyondTwoToTheThirtyTwoCellsKeepsTheDistance) {
    // A box of 8,000 units around a unit grid at radius 0.05: 277,133 cells along x and z and
    // 138,568 along y, 1.06e16 cells in all.
    setMesh(shapes::grid(1, 1, 2, 2));
    ASSERT_TRUE(run("createNode zuScatterPoints -n scatter; connectAttr shape.outMesh scatter.inMesh;"
                    "setAttr scatter.bmix -4000; setAttr scatter.bmiy -4000; setAttr scatter.bmiz -4000;"
                    "setAttr scatter.bmax 4000; setAttr scatter.bmaz 4000; setAttr scatter.radius 0.05;"
                    "setAttr scatter.sov 1; setAttr scatter.sobe 1"));
    const PointSet set = outPoints();
    EXPECT_GT(set.size(), 100u);
    expectScatterProperties(set, triangulate(shapes::grid(1, 1, 2, 2)), 0.05, true, &kUp);

    // Beyond what 64-bit ids tell apart: refused, naming the radius and the box.
    ASSERT_TRUE(run("setAttr scatter.bmax 1e15; setAttr scatter.bmaz 1e15; setAttr scatter.bmiy -1e15"));
    MStatus status;
    EXPECT_TRUE(outPoints(&status) == set);
    EXPECT_FALSE(status);
    EXPECT_EQ(messages(Message::kError),
              std::vector<std::string>{
                  "scatter: a radius of 0.05 over the box from (-4000, -1e+15, -4000) to (1e+15, 0, 1e+15) "
                  "(with the mesh) needs 4.157e+49 grid cells, more than the 9.223e+18 the grid can tell "
                  "apart"});
}

TEST_F(ScatterTest, TrialsBeyondTheirLimitsAreClampedToOneAndThirty) {
    // Dense candidates, so that more trials seat more samples; trials through a connection
    // bypass the attribute's own limits.
    auto scatterWithTrials = [this](int trials) {
        SetUp();
        scatterOn(shapes::sphere(1, 12, 8), "setAttr scatter.radius 0.3; setAttr scatter.rm 2000");
        EXPECT_TRUE(run("createNode zuScatterPoints -n knob; setAttr knob.seed " + std::to_string(trials) +
                        "; connectAttr knob.seed scatter.trials"));
        const PointSet set = outPoints();
        TearDown();
        return set;
    };
    const PointSet none = scatterWithTrials(0), one = scatterWithTrials(1);
    const PointSet thirty = scatterWithTrials(30), many = scatterWithTrials(45);
    EXPECT_TRUE(none == one);
    EXPECT_TRUE(many == thirty);
    EXPECT_FALSE(one == thirty) << "the trials make a difference here";
}

TEST_F(ScatterTest, ATinySurfaceDrawsFiveCandidates) {
    // A sliver 1,000 long with an area of 0.0005, far below the disc area: 1 x 1 candidate, raised
    // to 5, and the five lie too far apart to refuse each other.
    scatterOn(shapes::triangle({0, 0, 0}, {1000, 0, 0}, {0, 0, -1e-6f}),
              "setAttr scatter.radius 1; setAttr scatter.rm 1");
    EXPECT_EQ(outPoints().size(), 5u);
    ASSERT_TRUE(run("setAttr scatter.rm 10"));
    EXPECT_EQ(outPoints().size(), 10u) << "ten candidates, as far apart";
}

TEST_F(ScatterTest, TheCandidateCapWarnsOnceForThePhase) {
    scatterOn(shapes::sphere(1, 12, 8), "setAttr scatter.radius 0.5; setAttr scatter.rm 1000000");
    const PointSet set = outPoints();
    EXPECT_EQ(messages(Message::kWarning),
              std::vector<std::string>{"Reached maximum randoms number, undersampling can occur"});
    EXPECT_GT(set.size(), 20u);
    EXPECT_GT(smallestDistance(set.position), 0.5);
}

TEST_F(ScatterTest, ABoxOverPartOfTheMeshOrFarFromItKeepsTheDistanceOnAnyNumberOfThreads) {
    // A box over part of the mesh is only the grid's frame: the candidates come from the whole
    // torus, which reaches to 2.6 along x and z; a box given max first is the same box. A box
    // drawn round a whole scene of which the sphere is a small part: in single precision a
    // point's distance from a corner a million units away rounds by more than a cell.
    const shapes::Shape torus = shapes::torus(2, 0.6f, 48, 16), sphere = shapes::sphere(1, 24, 16);
    struct Case {
        const shapes::Shape& shape;
        double radius;
        const char* box;  // settings over the box from -1 to 1 along x and z
        size_t moreThan;
        bool sameBoxAsAbove;  // so the same output as the case above
    } cases[] = {
        {torus, 0.04, "", 10000, false},
        {torus, 0.04,
         "setAttr scatter.bmix 1; setAttr scatter.bmiz 1; "
         "setAttr scatter.bmax -1; setAttr scatter.bmaz -1",
         10000, true},
        {sphere, 0.1,
         "setAttr scatter.bmiy -1; setAttr scatter.bmix -1e6; setAttr scatter.bmiz -1e6; "
         "setAttr scatter.bmax 1e6; setAttr scatter.bmaz 1e6",
         600, false},
        {sphere, 0.1, "setAttr scatter.bmiy -1e6", 600, false},
        {sphere, 0.1, "setAttr scatter.bmiy -1; setAttr scatter.bmix -1e7", 600, false},
    };
    PointSet reference;
    for (const Case& c : cases) {
        if (!c.sameBoxAsAbove) reference = PointSet();
        for (int threads : {1, 8}) {
            SCOPED_TRACE(std::string(c.box) + ", threads " + std::to_string(threads));
            SetUp();
            scatterInUnitBox(c.shape,
                             "setAttr scatter.radius " + std::to_string(c.radius) + "; " + c.box);
            DeviceThreads use(threads);
            const PointSet set = outPoints();
            EXPECT_GT(set.size(), c.moreThan);
            EXPECT_GT(smallestDistance(set.position), c.radius);
            if (reference.size() == 0) reference = set;
            EXPECT_TRUE(set == reference) << "the same output on every run";
            TearDown();
        }
    }
}

TEST_F(ScatterTest, BadValuesThroughConnectionsFailWithThePlugsNameAndKeepTheOutput) {
    // The test adder's sum is 3.5 plus its weights, times its gain: a connection passes whatever
    // it makes, past the attributes' limits.
    ASSERT_TRUE(loadTestAdder());
    const std::string &huge = kAdderHuge, &nan = kAdderNan;
    const AdderCase cases[] = {
        {"radius", "setAttr \"adder.w[0]\" -3.55", "scatter.radius: must be finite and above 0, not -0.05"},
        {"radius", "setAttr \"adder.w[0]\" -3.5", "scatter.radius: must be finite and above 0, not 0"},
        {"radius", nan, "scatter.radius: must be finite and above 0, not nan"},
        {"radius", huge, "scatter.radius: must be finite and above 0, not inf"},
        {"boundingBoxMinX", nan, "scatter.boundingBoxMinX: must be finite, not nan"},
        {"boundingBoxMinY", "setAttr \"adder.w[0]\" -1e308; setAttr \"adder.w[1]\" -1e308",
         "scatter.boundingBoxMinY: must be finite, not -inf"},
        {"boundingBoxMaxZ", "setAttr \"adder.w[0]\" 1e300",
         "scatter.boundingBoxMaxZ: must be finite, not inf"},  // beyond single precision
    };
    for (const AdderCase& c : cases) {
        SCOPED_TRACE(c.message);
        resetScene();
        scatterInUnitBox(shapes::quad(), "setAttr scatter.radius 0.2; createNode testAdder -n adder");
        const PointSet before = outPoints();
        ASSERT_GT(before.size(), 0u);
        ASSERT_TRUE(run(c.sum + "; connectAttr adder.sum scatter." + c.attribute));
        MStatus status;
        EXPECT_TRUE(outPoints(&status) == before);
        EXPECT_FALSE(status);
        EXPECT_EQ(messages(Message::kError), std::vector<std::string>{c.message});
    }
    mayahost::Scene::current().reset();
    mayahost::unloadPlugin("graphTestPlugin");
}

#if defined(GPU_BACKEND_CPU)
TEST_F(ScatterTest, AComputeBeyondTheMemoryBudgetIsRefused) {
    scatterOn(shapes::quad(), "setAttr scatter.radius 0.2");
    const PointSet before = outPoints();
    ASSERT_GT(before.size(), 0u);
    // 10,000,000 candidates need 320 MB; the budget leaves 64 MB beside what the process holds.
    ASSERT_TRUE(run("setAttr scatter.rm 1000000"));
    MStatus status;
    PointSet refused;
    {
        MemoryBudget budget(64ull << 20);
        refused = outPoints(&status);
    }
    EXPECT_FALSE(status);
    EXPECT_TRUE(refused == before);
    EXPECT_EQ(messages(Message::kError), std::vector<std::string>{"Not enough memory on GPU"});
    ASSERT_TRUE(run("setAttr scatter.rm 50"));
    outPoints(&status);
    EXPECT_TRUE(status) << "within the machine's memory again";
}
#endif

TEST_F(ScatterTest, ChangingAnyInputRecomputesThePoints) {
    scatterInUnitBox(shapes::grid(2, 2, 2, 2), "setAttr scatter.radius 0.3");
    mayahost::Scene& scene = mayahost::Scene::current();
    mayahost::Node* node = scene.findNode("scatter");
    ASSERT_NE(node, nullptr);
    const mayahost::Attribute* output = node->type->findAttribute("outPoints");
    ASSERT_NE(output, nullptr);
    const char* changes[] = {
        "setAttr shape.inMesh -type mesh", "setAttr scatter.bmix -1.5", "setAttr scatter.radius 0.25",
        "setAttr scatter.seed 7", "setAttr scatter.cn 0", "setAttr scatter.aa 1", "setAttr scatter.p 1",
        "setAttr scatter.faces -type \"string\" \"1\"", "setAttr scatter.sov 1", "setAttr scatter.sobe 1",
        "setAttr scatter.sos 0", "setAttr scatter.rm 20", "setAttr scatter.trials 3", "setAttr scatter.mode 1",
    };
    for (const char* change : changes) {
        SCOPED_TRACE(change);
        outPoints();
        EXPECT_FALSE(scene.isDirty(*node, output)) << "the compute marks outPoints clean";
        if (std::string(change).find("shape.inMesh") != std::string::npos) {
            setMesh(shapes::grid(2, 2, 3, 3));
        } else {
            ASSERT_TRUE(run(change));
        }
        EXPECT_TRUE(scene.isDirty(*node, output));
    }
}

TEST_F(ScatterTest, BorderEdgesTooShortInAllAreDropped) {
    // A closed cube has no border edge; the separate triangle's three edges are 0.00007 long in
    // all: no border-edge phase, so nothing to run.
    shapes::Shape shape = shapes::cube(2);
    const float side = 2e-5f;
    shape.points.push_back({5, 5, 5});
    shape.points.push_back({5 + side, 5, 5});
    shape.points.push_back({5, 5, 5 - side});
    shape.addFace({8, 9, 10});
    scatterOn(shape, "setAttr scatter.radius 0.3; setAttr scatter.sobe 1; setAttr scatter.sos 0");
    MStatus status;
    const PointSet set = outPoints(&status);
    EXPECT_TRUE(status);
    EXPECT_TRUE(set.names.empty()) << set.size() << " points";
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(ScatterTest, OfTwoVerticesCloserThanTheRadiusTheOneOfTheEarlierPhaseIsKept) {
    // Radius 1 (cells of 0.577) over a frame from the origin: along x, cells 0, 1 and 2 of the
    // frame lie at block positions 2, 0 and 1 (two margin cells come first), and with y and z in
    // cell 0 the three cells take phases 12, 2 and 4. Vertex 1 is the later candidate each time,
    // and the one kept.
    struct Case {
        float first, second;  // x of vertices 0 and 1
    } cases[] = {{0.1f, 0.7f}, {1.3f, 0.7f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        SetUp();
        shapes::Shape shape = shapes::triangle({9, 0, 9}, {9.5f, 0, 9}, {9, 0, 9.5f});
        shape.points.push_back({c.first, 0, 0.1f});
        shape.points.push_back({c.second, 0, 0.1f});
        setMesh(shape);
        ASSERT_TRUE(run("createNode zuScatterPoints -n scatter; connectAttr shape.outMesh scatter.inMesh;"
                        "setAttr scatter.bmax 10; setAttr scatter.bmaz 10; setAttr scatter.radius 1;"
                        "setAttr scatter.sov 1; setAttr scatter.sos 0"));
        const PointSet set = outPoints();
        int first = 0, second = 0;
        for (const MVector& p : set.position) {
            first += p == MVector(c.first, 0, 0.1f);
            second += p == MVector(c.second, 0, 0.1f);
        }
        EXPECT_EQ(first, 0);
        EXPECT_EQ(second, 1);
        TearDown();
    }
}

}  // namespace
