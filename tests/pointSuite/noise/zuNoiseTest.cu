// zuNoise through the host: the deformer command and its accessory nodes, the displacement in
// the accessory transform's space, the preview curves and the values it refuses.
#include <gtest/gtest.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MSelectionList.h>
#include <mayahost/Messages.h>
#include <mayahost/Plugins.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "cacheTesting.h"
#include "graph/Scene.h"
#include "mesh/MeshData.h"
#include "pointSuite/noise/noiseGenerator.h"
#include "sceneTesting.h"

namespace {

using mayahost::MeshPoint;
using mayahost::Message;

using sceneTesting::run;

std::vector<std::string> errors() {
    std::vector<std::string> texts;
    for (const Message& m : mayahost::recordedMessages())
        if (m.kind == Message::kError) texts.push_back(m.text);
    return texts;
}

std::vector<MeshPoint> points(const std::string& shape) {
    mayahost::Node* node = mayahost::Scene::current().findNode(shape);
    auto mesh = node ? mayahost::meshDataForNode(node->object()) : nullptr;
    return mesh ? mesh->geometry.points() : std::vector<MeshPoint>();
}

MVectorArray curve(const std::string& plugName) {
    MSelectionList list;
    MPlug plug;
    EXPECT_TRUE(list.add(plugName.c_str()) && list.getPlug(0, plug)) << plugName;
    MFnVectorArrayData fn(plug.asMObject());
    MVectorArray copy;
    fn.copyTo(copy);
    return copy;
}

float directNoise(int octaves, float freq, float amp, unsigned seed, float u, float v) {
    auto g = std::make_unique<NoiseGenerator>();
    g->octaves = octaves, g->freq = freq, g->amp = amp, g->seed = seed, g->needsInit = true;
    float coords[2] = {u, v};
    return fractalNoise2(*g, coords);
}

// The command that sets zuNoise1.deformSpace to a turn about z (cosine 0.8, sine 0.6), a stretch
// along z and a move, with the given last column (rows are points times the matrix).
std::string setSpaceWithLastColumn(const std::array<double, 4>& lastColumn) {
    const double affine[4][3] = {{0.8, 0.6, 0}, {-0.6, 0.8, 0}, {0, 0, 2}, {1.5, -0.25, 3}};
    std::string command = "setAttr zuNoise1.deformSpace -type \"matrix\"";
    for (int row = 0; row < 4; ++row) {
        for (double value : affine[row]) command += " " + std::to_string(value);
        command += " " + std::to_string(lastColumn[row]);
    }
    return command;
}

// A 4 x 4 plane of 20 x 20 faces (vertices 0.2 apart) with zuNoise1 on it; its accessory
// transform is "transform1" (the plane's own is "plane").
class NoiseDeformer : public ::testing::Test {
protected:
    void SetUp() override {
        cacheTesting::usePlugins({POINTSUITE_PLUGIN}, {"frameStore"});
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run("polyPlane -w 4 -h 4 -sx 20 -sy 20 -n plane"));
        MString name;
        ASSERT_TRUE(MGlobal::executeCommand("deformer -type zuNoise plane", name));
        ASSERT_EQ(std::string(name.asChar()), "zuNoise1");
        original = points("planeShapeOrig");
        ASSERT_EQ(original.size(), 441u);
    }
    void TearDown() override {
        mayahost::Scene::current().reset();
        mayahost::clearRecordedMessages();
    }

    // Every vertex of the plane where it was, within 1e-6 on each axis.
    void expectPlaneUnmoved() const {
        const std::vector<MeshPoint> now = points("planeShape");
        ASSERT_EQ(now.size(), original.size());
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_NEAR(now[i].x, original[i].x, 1e-6) << "vertex " << i;
            EXPECT_NEAR(now[i].y, original[i].y, 1e-6) << "vertex " << i;
            EXPECT_NEAR(now[i].z, original[i].z, 1e-6) << "vertex " << i;
        }
    }

    std::vector<MeshPoint> original;
};

TEST_F(NoiseDeformer, TheCommandConnectsTheAccessoryTransformAndLocator) {
    const mayahost::Node* locator = mayahost::Scene::current().findNode("zuNoiseLocatorShape1");
    ASSERT_TRUE(locator);
    ASSERT_TRUE(locator->parent);
    EXPECT_EQ(locator->parent->name, "transform1");
    // With every amplitude 0 the plane stays as it was.
    expectPlaneUnmoved();
    EXPECT_TRUE(errors().empty());
}

TEST_F(NoiseDeformer, PointsMoveAlongYThenXThenZByTheirAxesNoises) {
    ASSERT_TRUE(
        run("setAttr zuNoise1.oyNoiseAmp 0.5; setAttr zuNoise1.oxNoiseAmp 0.25; "
            "setAttr zuNoise1.ozNoiseAmp 0.125; setAttr zuNoise1.ozNoiseFreq 2"));
    const std::vector<MeshPoint> deformed = points("planeShape");
    for (size_t i = 0; i < original.size(); i += 37) {
        double x = original[i].x, y = original[i].y, z = original[i].z;
        y += directNoise(4, 1, 0.5f, 1, float(x), float(z));
        x += directNoise(4, 1, 0.25f, 0, float(y), float(z));
        z += directNoise(4, 2, 0.125f, 2, float(x), float(y));
        EXPECT_NEAR(deformed[i].x, x, 1e-5);
        EXPECT_NEAR(deformed[i].y, y, 1e-5);
        EXPECT_NEAR(deformed[i].z, z, 1e-5);
    }
    // Two vertices worked apart from the code, with the single-precision model of the noise that
    // the noise test's values come from: y, then x, then z moved by their axes' noises.
    struct Worked {
        size_t vertex;
        MeshPoint from, to;
    } worked[] = {
        {37, {1.2f, 0.0f, 1.8f}, {1.19482493f, -0.0435973294f, 1.78322101f}},
        {300, {-0.8f, 0.0f, -0.8f}, {-0.769665897f, -0.0676510707f, -0.79983145f}},
    };
    for (const Worked& w : worked) {
        SCOPED_TRACE(w.vertex);
        EXPECT_NEAR(original[w.vertex].x, w.from.x, 1e-6);
        EXPECT_NEAR(original[w.vertex].z, w.from.z, 1e-6);
        EXPECT_NEAR(deformed[w.vertex].x, w.to.x, 1e-6);
        EXPECT_NEAR(deformed[w.vertex].y, w.to.y, 1e-6);
        EXPECT_NEAR(deformed[w.vertex].z, w.to.z, 1e-6);
    }
}

TEST_F(NoiseDeformer, MovingTheAccessoryTransformMovesThePattern) {
    ASSERT_TRUE(run("setAttr zuNoise1.oyNoiseAmp 0.5"));
    const std::vector<MeshPoint> before = points("planeShape");
    ASSERT_TRUE(run("setAttr transform1.translate 1 0 0"));  // five vertices along x
    const std::vector<MeshPoint> after = points("planeShape");
    int compared = 0;
    for (size_t i = 0; i < original.size(); ++i)
        for (size_t j = 0; j < original.size(); ++j) {
            if (std::fabs(original[j].x - (original[i].x - 1.0f)) > 1e-4 ||
                original[j].z != original[i].z)
                continue;
            EXPECT_NEAR(after[i].y, before[j].y, 1e-5);
            ++compared;
        }
    EXPECT_EQ(compared, 21 * 16);
    // Scaling it scales the pattern: displacements double with the space.
    ASSERT_TRUE(run("setAttr transform1.translate 0 0 0; setAttr transform1.scale 2 2 2"));
    const std::vector<MeshPoint> scaled = points("planeShape");
    for (size_t i = 0; i < original.size(); i += 23) {
        const float expected = 2 * directNoise(4, 1, 0.5f, 1, original[i].x / 2, original[i].z / 2);
        EXPECT_NEAR(scaled[i].y, expected, 1e-5);
    }
}

// Only the first three columns of deformSpace make the space, into it and back: whatever the
// last column, no amplitude leaves the shape as it was and noise moves it as the affine part does.
TEST_F(NoiseDeformer, TheSpaceIsTheMatrixsAffinePartWhateverItsLastColumn) {
    ASSERT_TRUE(run("disconnectAttr transform1.matrix zuNoise1.deformSpace"));
    const std::array<double, 4> lastColumns[] = {{0.3, -0.2, 0.1, 2}, {0, 0, 0, 0}};
    for (const auto& lastColumn : lastColumns) {
        SCOPED_TRACE(setSpaceWithLastColumn(lastColumn));
        ASSERT_TRUE(run(setSpaceWithLastColumn(lastColumn)));
        expectPlaneUnmoved();
    }
    EXPECT_TRUE(errors().empty());

    ASSERT_TRUE(
        run("setAttr zuNoise1.oyNoiseAmp 0.5; setAttr zuNoise1.oxNoiseAmp 0.25; "
            "setAttr zuNoise1.ozNoiseAmp 0.125; " +
            setSpaceWithLastColumn({0, 0, 0, 1})));
    const std::vector<MeshPoint> affine = points("planeShape");
    ASSERT_EQ(affine.size(), original.size());
    size_t moved = 0;
    for (size_t i = 0; i < affine.size(); ++i) moved += affine[i].y != original[i].y ? 1 : 0;
    EXPECT_GT(moved, affine.size() / 2);
    for (const auto& lastColumn : lastColumns) {
        SCOPED_TRACE(setSpaceWithLastColumn(lastColumn));
        ASSERT_TRUE(run(setSpaceWithLastColumn(lastColumn)));
        const std::vector<MeshPoint> deformed = points("planeShape");
        ASSERT_EQ(deformed.size(), affine.size());
        for (size_t i = 0; i < deformed.size(); ++i) {
            EXPECT_EQ(deformed[i].x, affine[i].x);
            EXPECT_EQ(deformed[i].y, affine[i].y);
            EXPECT_EQ(deformed[i].z, affine[i].z);
        }
    }
}

TEST_F(NoiseDeformer, ASingularSpaceLeavesTheGeometryWithAMessage) {
    ASSERT_TRUE(run("setAttr zuNoise1.oyNoiseAmp 0.5; setAttr transform1.scale 0 1 1"));
    const std::vector<MeshPoint> deformed = points("planeShape");
    for (size_t i = 0; i < original.size(); ++i) EXPECT_EQ(deformed[i].y, original[i].y);
    EXPECT_EQ(
        errors(),
        std::vector<std::string>{
            "zuNoise1.deformSpace: the matrix has no inverse; the geometry is left as it is"});
}

TEST_F(NoiseDeformer, BadValuesThroughConnectionsFailWithThePlugsNameAndKeepTheShape) {
    ASSERT_TRUE(mayahost::loadPlugin(std::string(TEST_PLUGIN_DIR) + "/graphTestPlugin.so"));
    ASSERT_TRUE(run("setAttr zuNoise1.oyNoiseAmp 0.5"));
    const std::vector<MeshPoint> before = points("planeShape");
    const std::string huge = "setAttr \"adder.w[0]\" 1e308; setAttr \"adder.w[1]\" 1e308";
    struct Case {
        const char* attribute;
        std::string sum;
        const char* message;
    } cases[] = {
        {"oyNoiseFreq", huge + "; setAttr adder.gain 0",
         "zuNoise1.oyNoiseFreq: must be finite, not nan"},
        {"oxNoiseAmp", huge, "zuNoise1.oxNoiseAmp: must be finite, not inf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run("createNode testAdder -n adder; " + c.sum +
                        "; connectAttr adder.sum zuNoise1." + c.attribute));
        const std::vector<MeshPoint> after = points("planeShape");
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i].y, before[i].y);
        ASSERT_FALSE(errors().empty());
        EXPECT_EQ(errors().front(), c.message);
        ASSERT_TRUE(run("delete adder; setAttr zuNoise1." + std::string(c.attribute) + " " +
                        (std::string(c.attribute) == "oyNoiseFreq" ? "1" : "0")));
    }
    // Huge amplitudes and frequencies and an octave count beyond the limits are taken as they
    // come (octaves within 1 to 10): the shape either deforms to finite points or stays.
    mayahost::clearRecordedMessages();
    ASSERT_TRUE(
        run("createNode testAdder -n adder; setAttr \"adder.w[0]\" 1e6; connectAttr adder.sum "
            "zuNoise1.oyNoiseFreq; "
            "createNode testAdder -n octaves; setAttr \"octaves.w[0]\" 100; connectAttr "
            "octaves.sum zuNoise1.oyNoiseOctaves"));
    for (const MeshPoint& p : points("planeShape")) EXPECT_TRUE(std::isfinite(p.y));
}

#if defined(GPU_BACKEND_CPU)
TEST_F(NoiseDeformer, AShapeBeyondTheMemoryBudgetKeepsItsPoints) {
    ASSERT_TRUE(run("setAttr zuNoise1.oyNoiseAmp 0.5"));
    const std::vector<MeshPoint> before = points("planeShape");
    mayahost::clearRecordedMessages();
    {
        sceneTesting::MemoryBudget none(0);
        ASSERT_TRUE(run("setAttr zuNoise1.oyNoiseAmp 0.8"));
        const std::vector<MeshPoint> kept = points("planeShape");
        ASSERT_EQ(kept.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(kept[i].y, before[i].y);
        EXPECT_EQ(errors(), std::vector<std::string>{"zuNoise: Not enough memory on GPU"});
    }
    ASSERT_TRUE(run("setAttr zuNoise1.oyNoiseAmp 0.9"));
    const std::vector<MeshPoint> deformed = points("planeShape");
    size_t moved = 0;
    for (size_t i = 0; i < before.size(); ++i) moved += deformed[i].y != before[i].y ? 1 : 0;
    EXPECT_GT(moved, before.size() / 2) << "within the machine's memory again";
}
#endif

TEST_F(NoiseDeformer, CurvesFollowTheLocatorsLengthAndCountWithinTheirLimits) {
    ASSERT_TRUE(run("setAttr zuNoise1.oyNoiseAmp 0.5; setAttr zuNoise1.ozNoiseAmp 0.3"));
    MVectorArray x = curve("zuNoise1.oxVisualisationPoints");
    ASSERT_EQ(x.length(), 30u);  // the locator's default count
    for (unsigned i = 0; i < x.length(); ++i) {
        const float s = float(i) * (1.0f / 30.0f);
        const float a = directNoise(4, 1, 0.5f, 1, s, 0);
        EXPECT_FLOAT_EQ(float(x[i].x), s);
        EXPECT_FLOAT_EQ(float(x[i].y), a);
        EXPECT_FLOAT_EQ(float(x[i].z), directNoise(4, 1, 0.3f, 2, s, a));
    }
    ASSERT_TRUE(
        run("setAttr zuNoiseLocatorShape1.oxCrvPtsCountIn 50; setAttr "
            "zuNoiseLocatorShape1.oxCrvLenIn 0"));
    x = curve("zuNoise1.oxVisualisationPoints");
    ASSERT_EQ(x.length(), 50u);
    for (unsigned i = 0; i < x.length(); ++i) EXPECT_EQ(x[i].x, 0.0);
    // Counts through a connection, past the attribute's limits.
    ASSERT_TRUE(mayahost::loadPlugin(std::string(TEST_PLUGIN_DIR) + "/graphTestPlugin.so"));
    struct Case {
        double weight;
        unsigned points;
    } cases[] = {{-3.5, 5}, {-1000, 5}, {996.5, 500}, {1e9, 500}};
    ASSERT_TRUE(
        run("createNode testAdder -n adder; connectAttr -f adder.sum zuNoise1.oyPointsCount"));
    for (const Case& c : cases) {
        ASSERT_TRUE(run("setAttr \"adder.w[0]\" " + std::to_string(c.weight)));
        EXPECT_EQ(curve("zuNoise1.oyVisualisationPoints").length(), c.points) << c.weight;
    }
}

TEST_F(NoiseDeformer, AxesWithEqualSettingsShareTheirNoiseField) {
    ASSERT_TRUE(
        run("setAttr zuNoise1.oxNoiseAmp 0.5; setAttr zuNoise1.oyNoiseAmp 0.5; setAttr "
            "zuNoise1.oxNoiseSeed 1; "
            "setAttr zuNoiseLocatorShape1.oyCrvLenIn 3"));
    // The x curve's y is Ny(s, 0) and the y curve's x is Nx(s, 0).
    const MVectorArray x = curve("zuNoise1.oxVisualisationPoints");
    ASSERT_TRUE(run("setAttr zuNoiseLocatorShape1.oxCrvLenIn 3"));
    const MVectorArray xLong = curve("zuNoise1.oxVisualisationPoints"),
                       y = curve("zuNoise1.oyVisualisationPoints");
    ASSERT_EQ(xLong.length(), y.length());
    for (unsigned i = 0; i < y.length(); ++i) EXPECT_EQ(xLong[i].y, y[i].x);
    EXPECT_NE(x[5].y, xLong[5].y);
}

}  // namespace
