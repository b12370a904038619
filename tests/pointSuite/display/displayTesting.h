#pragma once
// A fixture for the display locators: pointSuite loaded into a fresh scene, the orthographic
// front camera (10 pixels to a unit in a 200 x 200 snapshot) and point sets set on plugs.
#include <gtest/gtest.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MVectorArray.h>
#include <mayahost/Messages.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cacheTesting.h"
#include "sceneTesting.h"
#include "viewTesting.h"

namespace displayTesting {

using namespace viewTesting;

constexpr int kSize = 200;

using sceneTesting::messages;
using sceneTesting::plugOf;
using sceneTesting::run;

// A point set built in code: arrays of each kind by name, added or replaced by name.
struct Arrays {
    std::vector<std::pair<std::string, std::vector<MVector>>> vectors;
    std::vector<std::pair<std::string, std::vector<double>>> doubles;
    std::vector<std::pair<std::string, std::vector<int>>> ints;

    Arrays& vec(const std::string& name, std::vector<MVector> values) {
        return put(vectors, name, std::move(values));
    }
    Arrays& dbl(const std::string& name, std::vector<double> values) {
        return put(doubles, name, std::move(values));
    }
    Arrays& num(const std::string& name, std::vector<int> values) {
        return put(ints, name, std::move(values));
    }

private:
    template <class T>
    Arrays& put(std::vector<std::pair<std::string, std::vector<T>>>& list, const std::string& name,
                std::vector<T> values) {
        for (auto& entry : list)
            if (entry.first == name) return entry.second = std::move(values), *this;
        list.push_back({name, std::move(values)});
        return *this;
    }
};

inline void setPoints(const std::string& plug, const Arrays& arrays) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    for (const auto& [name, values] : arrays.vectors) {
        MVectorArray a = fn.vectorArray(name.c_str());
        for (const MVector& v : values) a.append(v);
    }
    for (const auto& [name, values] : arrays.doubles) {
        MDoubleArray a = fn.doubleArray(name.c_str());
        for (double v : values) a.append(v);
    }
    for (const auto& [name, values] : arrays.ints) {
        MIntArray a = fn.intArray(name.c_str());
        for (int v : values) a.append(v);
    }
    ASSERT_TRUE(plugOf(plug).setValue(data)) << plug;
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        cacheTesting::usePlugins({POINTSUITE_PLUGIN}, {"frameStore"});
        mayahost::clearRecordedMessages();
        addFrontCamera(true);
    }
    void TearDown() override { sceneTesting::resetScene(); }

    mayahost::RgbaImage snapshot() {
        return viewTesting::snapshot(
            dir / "view.png",
            "-w " + std::to_string(kSize) + " -h " + std::to_string(kSize) + " -camera front");
    }

    // The pixel a point of the plane z = 0 lands on.
    static std::pair<int, int> at(double x, double y) {
        return frontProjection(x, y, 0, true, kSize, kSize);
    }

    cacheTesting::ScratchDir dir;
};

}  // namespace displayTesting
