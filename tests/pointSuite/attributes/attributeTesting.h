#pragma once
// Helpers for the point attribute node tests: a fixture with pointSuite loaded and a fresh
// scene, point sets built in code and set on a node's inPoints, meshes with colour sets, and
// reading a node's output arrays back.
#include <gtest/gtest.h>
#include <maya/MColorArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMesh.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>
#include <mayahost/Messages.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "graph/Scene.h"
#include "plugins/Plugins.h"
#include "sceneTesting.h"
#include "shapes.h"

namespace attributeTesting {

using Vectors = std::vector<MVector>;
using Ints = std::vector<int>;

using sceneTesting::plugOf;
using sceneTesting::run;

// A point set as plain values, by array name; `order` lists the names as the set holds them.
struct PointSet {
    std::map<std::string, Vectors> vectors;
    std::map<std::string, Ints> ints;
    std::map<std::string, std::vector<double>> doubles;
    std::vector<std::string> order;
};

inline MObject dataOf(const PointSet& set) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    for (const auto& [name, values] : set.vectors) {
        MVectorArray array = fn.vectorArray(name.c_str());
        for (const MVector& v : values) array.append(v);
    }
    for (const auto& [name, values] : set.ints) {
        MIntArray array = fn.intArray(name.c_str());
        for (int v : values) array.append(v);
    }
    for (const auto& [name, values] : set.doubles) {
        MDoubleArray array = fn.doubleArray(name.c_str());
        for (double v : values) array.append(v);
    }
    return data;
}

inline PointSet pointSetOf(const MObject& data) {
    PointSet set;
    MFnArrayAttrsData fn;
    if (data.isNull() || !fn.setObject(data)) return set;
    const MStringArray names = fn.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        const std::string name = names[i].asChar();
        set.order.push_back(name);
        MFnArrayAttrsData::Type kind;
        fn.checkArrayExist(names[i], kind);
        if (kind == MFnArrayAttrsData::kIntArray) {
            const MIntArray a = fn.getIntData(names[i]);
            set.ints[name];
            for (unsigned int j = 0; j < a.length(); ++j) set.ints[name].push_back(a[j]);
        } else if (kind == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray a = fn.getDoubleData(names[i]);
            set.doubles[name];
            for (unsigned int j = 0; j < a.length(); ++j) set.doubles[name].push_back(a[j]);
        } else if (kind == MFnArrayAttrsData::kVectorArray) {
            const MVectorArray a = fn.getVectorData(names[i]);
            set.vectors[name];
            for (unsigned int j = 0; j < a.length(); ++j) set.vectors[name].push_back(a[j]);
        }
    }
    return set;
}

// Sets the point set on a plug (a node's inPoints).
inline void setPoints(const std::string& plug, const PointSet& set) {
    MObject data = dataOf(set);
    ASSERT_TRUE(plugOf(plug).setValue(data)) << plug;
}

// Sets a vector array on a plug (a node's inColor).
inline void setVectorArray(const std::string& plug, const Vectors& values) {
    MVectorArray array;
    for (const MVector& v : values) array.append(v);
    MFnVectorArrayData fn;
    MObject data = fn.create(array);
    ASSERT_TRUE(plugOf(plug).setValue(data)) << plug;
}

// Evaluates a point-set plug; `status` gets whether the compute succeeded.
inline PointSet evaluate(const std::string& plug, MStatus* status = nullptr) {
    MObject data;
    const MStatus evaluated = plugOf(plug).getValue(data);
    if (status) {
        *status = evaluated;
    } else {
        EXPECT_TRUE(evaluated) << plug;
    }
    return pointSetOf(data);
}

// Evaluates a vector-array plug (outUVs, outColor); `status` gets whether the compute
// succeeded. An unset plug reads as an empty array.
inline Vectors evaluateVectors(const std::string& plug, MStatus* status = nullptr) {
    MObject data;
    const MStatus evaluated = plugOf(plug).getValue(data);
    if (status) {
        *status = evaluated;
    } else {
        EXPECT_TRUE(evaluated) << plug;
    }
    Vectors values;
    MFnVectorArrayData fn;
    if (data.isNull() || !fn.setObject(data)) return values;
    const MVectorArray array = fn.array();
    for (unsigned int i = 0; i < array.length(); ++i) values.push_back(array[i]);
    return values;
}

// The texts of the warnings, and of the errors, shown since the last clear.
inline std::vector<std::string> warningsShown() {
    return sceneTesting::messages(mayahost::Message::kWarning);
}
inline std::vector<std::string> errorsShown() {
    return sceneTesting::messages(mayahost::Message::kError);
}

// Evaluates `plug`, whose compute must fail and show `error` alone; what the output kept.
inline PointSet refusedOutput(const std::string& plug, const std::string& error) {
    MStatus status;
    const PointSet kept = evaluate(plug, &status);
    EXPECT_FALSE(status) << plug;
    EXPECT_EQ(errorsShown(), std::vector<std::string>{error});
    return kept;
}

inline void expectNear(const MVector& actual, const MVector& expected, double tolerance,
                       const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

class AttributeNodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        sceneTesting::resetScene();
        sceneTesting::loadPluginsQuietly({POINTSUITE_PLUGIN});
        mayahost::clearRecordedMessages();
    }
    void TearDown() override { sceneTesting::resetScene(); }

    // Puts the shape on the mesh node `node` (made when absent) and connects its outMesh to
    // `target` (a node's inMesh) when one is given.
    void setMesh(const shapes::Shape& shape, const std::string& target = "",
                 const std::string& node = "shape") {
        if (!mayahost::Scene::current().findNode(node)) {
            ASSERT_TRUE(run("createNode mesh -n " + node));
        }
        MStatus status;
        MObject data = shapes::meshData(shape, &status);
        ASSERT_TRUE(status);
        ASSERT_TRUE(plugOf(node + ".inMesh").setValue(data));
        if (!target.empty()) {
            ASSERT_TRUE(run("connectAttr " + node + ".outMesh " + target));
        }
    }

    // Drives `plug` through a connection from a test adder whose sum is `value` (a connection
    // passes values past the attribute's limits and not-a-number, setAttr does not). The
    // adder's sum is (3.5 + its weights) * gain: NaN comes as an infinite sum times 0.
    void connectValue(const std::string& plug, double value) {
        if (!mayahost::isPluginLoaded("graphTestPlugin")) {
            ASSERT_TRUE(mayahost::loadPlugin(std::string(TEST_PLUGIN_DIR) + "/graphTestPlugin.so"));
        }
        const std::string adder = "source" + std::to_string(++sources_);
        ASSERT_TRUE(run("createNode testAdder -n " + adder));
        const auto weights = [&](double w0, double w1, double gain) {
            char text[160];
            std::snprintf(text, sizeof text, "setAttr \"%s.w[0]\" %.17g; setAttr \"%s.w[1]\" %.17g; setAttr %s.gain %g",
                          adder.c_str(), w0, adder.c_str(), w1, adder.c_str(), gain);
            return std::string(text);
        };
        if (std::isnan(value)) {
            ASSERT_TRUE(run(weights(1e308, 1e308, 0)));
        } else if (std::isinf(value)) {
            ASSERT_TRUE(run(weights(value > 0 ? 1e308 : -1e308, value > 0 ? 1e308 : -1e308, 1)));
        } else {
            ASSERT_TRUE(run(weights(value - 3.5, 0, 1)));
        }
        ASSERT_TRUE(run("connectAttr -f " + adder + ".sum " + plug));
    }

    // Adds the colour set `name` to the mesh node with one RGBA colour per listed vertex.
    void addColorSet(const std::string& name, const std::vector<MColor>& colors,
                     const std::string& node = "shape") {
        ASSERT_TRUE(run("polyColorSet -create -colorSet " + name + " " + node));
        for (size_t v = 0; v < colors.size(); ++v) {
            const MColor& c = colors[v];
            if (c.r < 0) continue;  // a negative red leaves the vertex without a colour
            ASSERT_TRUE(run("polyColorPerVertex -colorSet " + name + " -rgb " +
                            std::to_string(c.r) + " " + std::to_string(c.g) + " " +
                            std::to_string(c.b) + " -a " + std::to_string(c.a) + " " + node +
                            ".vtx[" + std::to_string(v) + "]"));
        }
    }

private:
    int sources_ = 0;
};

// The three corner weights (1 - u - v, u, v) applied to per-corner values.
inline double blend(double a, double b, double c, double u, double v) { return a * (1 - u - v) + b * u + c * v; }

}  // namespace attributeTesting
