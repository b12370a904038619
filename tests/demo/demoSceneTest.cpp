// examples/demo.mel run by scenehost in a fresh folder: it succeeds, lists at the end the
// pictures the README names, and each listed picture is a PNG that shows something (not one flat
// colour); it writes no picture it does not list.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "sceneHostProcess.h"
#include "sceneTesting.h"
#include "viewport/PngFile.h"

namespace fs = std::filesystem;

namespace {

// The names listed under the demo's "demo: the pictures" line, one per indented line.
std::set<std::string> listedPictures(const std::string& out) {
    std::set<std::string> names;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line) && line.rfind("demo: the pictures", 0) != 0) {
    }
    while (std::getline(in, line) && line.rfind("  ", 0) == 0) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        names.insert(name);
    }
    return names;
}

bool oneFlatColour(const mayahost::RgbaImage& image) {
    for (size_t i = 4; i < image.pixels.size(); i += 4)
        if (!std::equal(&image.pixels[i], &image.pixels[i] + 3, &image.pixels[0])) return false;
    return true;
}

TEST(DemoScene, WritesEveryPictureItListsAndEachShowsSomething) {
    const sceneTesting::ScratchDir scratch;
    ASSERT_FALSE(scratch.path().empty());
    const fs::path folder = scratch.path();
    const sceneTesting::ChildRun run =
        sceneTesting::runSceneHost(SCENEHOST, {DEMO_SCENE}, RLIM_INFINITY, folder.string());
    EXPECT_EQ(run.exitCode, 0) << run.err;

    const std::set<std::string> listed = listedPictures(run.out);
    const std::set<std::string> inTheReadme = {"selection.png", "wovenBall.png",  "scatter.png",
                                               "container.png", "noisePlane.png", "sparks.png"};
    EXPECT_EQ(listed, inTheReadme) << run.out;
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".png") written.insert(entry.path().filename().string());
    EXPECT_EQ(written, listed);
    for (const std::string& name : listed) {
        mayahost::RgbaImage image;
        std::string error;
        ASSERT_TRUE(mayahost::readPng((folder / name).string(), image, error)) << error;
        EXPECT_FALSE(oneFlatColour(image)) << name;
    }
}

}  // namespace
