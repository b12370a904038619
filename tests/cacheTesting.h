#pragma once
// Helpers for the cache tests: a scratch folder, raw file bytes, frame files written directly,
// point sets as plain values, and a fixture with a fresh scene.
#include <gtest/gtest.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>
#include <mayahost/Interrupt.h>
#include <mayahost/Messages.h>
#include <mayahost/Plugins.h>
#include <mayahost/Workspace.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "plugins/Plugins.h"
#include "graph/Scene.h"
#include "common/cache/cacheFrame.h"
#include "sceneTesting.h"

namespace cacheTesting {

using sceneTesting::ScratchDir;

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), std::streamsize(bytes.size()));
}

inline void writeFrame(const std::string& path, const CacheFrame& frame) {
    CacheFrameWriter writer(path);
    ASSERT_TRUE(writer.isOpen()) << path;
    ASSERT_TRUE(writer.save(frame)) << path;
}

// Sorted file names in a folder.
inline std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using Point = std::array<double, 3>;

// A point set's arrays, compared exactly; `order` is the list() order of the names.
struct PointSet {
    std::map<std::string, std::vector<int>> ints;
    std::map<std::string, std::vector<double>> doubles;
    std::map<std::string, std::vector<Point>> vectors;
    std::vector<std::string> order;
    bool operator==(const PointSet& o) const {
        return ints == o.ints && doubles == o.doubles && vectors == o.vectors && order == o.order;
    }
};

inline std::ostream& operator<<(std::ostream& out, const PointSet& set) {
    out << "{";
    for (const std::string& name : set.order) {
        out << " " << name << ":";
        if (set.ints.count(name))
            for (int v : set.ints.at(name)) out << " " << v;
        if (set.doubles.count(name))
            for (double v : set.doubles.at(name)) out << " " << v;
        if (set.vectors.count(name))
            for (const Point& p : set.vectors.at(name))
                out << " (" << p[0] << "," << p[1] << "," << p[2] << ")";
        out << ";";
    }
    return out << " }";
}

inline PointSet pointSetOf(const MObject& data) {
    PointSet set;
    MFnArrayAttrsData fn(data);
    const MStringArray names = fn.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        const std::string name = names[i].asChar();
        set.order.push_back(name);
        MFnArrayAttrsData::Type kind;
        fn.checkArrayExist(names[i], kind);
        if (kind == MFnArrayAttrsData::kIntArray) {
            const MIntArray a = fn.getIntData(names[i]);
            for (unsigned int j = 0; j < a.length(); ++j) set.ints[name].push_back(a[j]);
        } else if (kind == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray a = fn.getDoubleData(names[i]);
            for (unsigned int j = 0; j < a.length(); ++j) set.doubles[name].push_back(a[j]);
        } else if (kind == MFnArrayAttrsData::kVectorArray) {
            const MVectorArray a = fn.getVectorData(names[i]);
            for (unsigned int j = 0; j < a.length(); ++j)
                set.vectors[name].push_back({a[j].x, a[j].y, a[j].z});
        }
    }
    return set;
}

// The frame file the cache command writes for a point set: vectors narrowed to floats, ints as
// their bit patterns.
inline CacheFrame frameOf(const PointSet& set) {
    CacheFrame frame;
    for (const auto& [name, values] : set.ints)
        for (int v : values) frame.ints[name].push_back(static_cast<unsigned int>(v));
    frame.doubles.insert(set.doubles.begin(), set.doubles.end());
    for (const auto& [name, points] : set.vectors) {
        std::vector<float>& floats = frame.vectors[name];
        for (const Point& p : points)
            for (double c : p) floats.push_back(static_cast<float>(c));
    }
    return frame;
}

using sceneTesting::plugOf;
using sceneTesting::run;

// Evaluates node.outPoints: the point set it holds afterwards, and the evaluation's status.
inline MStatus evaluateOutPoints(const std::string& node, PointSet& set) {
    MObject value;
    MStatus status = plugOf(node + ".outPoints").getValue(value);
    set = pointSetOf(value);
    return status;
}

inline PointSet outPointsOf(const std::string& node) {
    PointSet set;
    EXPECT_TRUE(evaluateOutPoints(node, set)) << node << ".outPoints";
    return set;
}

inline std::vector<std::string> messagesOf(mayahost::Message::Kind kind) {
    std::vector<std::string> texts;
    for (const mayahost::Message& m : mayahost::recordedMessages())
        if (m.kind == kind) texts.push_back(m.text);
    return texts;
}

// The errors shown, less the host's own report of a failed statement ("line 1: ... failed").
inline std::vector<std::string> commandErrors() {
    std::vector<std::string> texts;
    for (const std::string& text : messagesOf(mayahost::Message::kError))
        if (text.rfind("line ", 0) != 0) texts.push_back(text);
    return texts;
}

// Makes sure the plug-ins (paths, or names on the search path) are loaded, after emptying the
// scene and unloading those in `unload`.
inline void usePlugins(std::initializer_list<const char*> load,
                       std::initializer_list<const char*> unload = {}) {
    mayahost::Scene::current().reset();
    for (const char* plugin : unload) {
        if (mayahost::isPluginLoaded(plugin)) {
            ASSERT_TRUE(mayahost::unloadPlugin(plugin)) << plugin;
        }
    }
    for (const char* plugin : load) {
        if (!mayahost::isPluginLoaded(plugin)) {
            ASSERT_TRUE(mayahost::loadPlugin(plugin)) << plugin;
        }
    }
}

// A fresh scene, no messages, no interrupt, a scratch folder; the project root is put back.
class CacheSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        projectRoot_ = mayahost::projectRoot();
        mayahost::Scene::current().reset();
        mayahost::clearRecordedMessages();
        mayahost::clearInterrupt();
    }
    void TearDown() override {
        mayahost::Scene::current().reset();
        for (const char* plugin : {"frameStore", "pointSuite", "pointSourceTestPlugin"})
            if (mayahost::isPluginLoaded(plugin)) mayahost::unloadPlugin(plugin);
        mayahost::clearInterrupt();
        mayahost::clearRecordedMessages();
        mayahost::setProjectRoot(projectRoot_);
    }

    ScratchDir dir;

private:
    std::string projectRoot_;
};

}  // namespace cacheTesting
