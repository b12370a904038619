// The host's textures (checker, ramp, file) as nodes and through shading-network sampling:
// colours at known UVs, networks of textures shaded at the same UVs in one batch, animation
// through connections, and the errors of sampling.
#include <gtest/gtest.h>
#include <maya/MDoubleArray.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MGlobal.h>
#include <maya/MRenderUtil.h>
#include <maya/MSelectionList.h>
#include <mayahost/ComputeCount.h>
#include <mayahost/Messages.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "graph/Scene.h"
#include "sceneTesting.h"
#include "viewport/PngFile.h"

using mayahost::Message;
using mayahost::Scene;

namespace {

using Color = std::array<float, 3>;

using sceneTesting::run;

struct Sampled {
    MStatus status;
    std::vector<Color> colors, transparencies;
};

constexpr int kEveryUV = std::numeric_limits<int>::min();

Sampled sample(const std::string& network, const std::vector<std::array<float, 2>>& uvs,
               int count = kEveryUV) {
    MFloatArray u, v;
    for (auto& uv : uvs) u.append(uv[0]), v.append(uv[1]);
    MFloatMatrix camera;
    MFloatVectorArray colors, transparencies;
    Sampled out;
    out.status = MRenderUtil::sampleShadingNetwork(
        network.c_str(), count == kEveryUV ? int(uvs.size()) : count, false, false, camera, nullptr,
        &u, &v, nullptr, nullptr, nullptr, nullptr, nullptr, colors, transparencies);
    for (unsigned i = 0; i < colors.length(); ++i)
        out.colors.push_back({colors[i].x, colors[i].y, colors[i].z});
    for (unsigned i = 0; i < transparencies.length(); ++i)
        out.transparencies.push_back(
            {transparencies[i].x, transparencies[i].y, transparencies[i].z});
    return out;
}

std::vector<double> values(const std::string& plug) {
    MDoubleArray result;
    EXPECT_TRUE(MGlobal::executeCommand(("getAttr " + plug).c_str(), result)) << plug;
    return std::vector<double>(&result[0], &result[0] + result.length());
}

void expectColor(const Color& actual, const Color& expected, const std::string& what) {
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[c], expected[c], 1e-6) << what << " channel " << c;
}

class ShadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Scene::current().reset();
        mayahost::clearRecordedMessages();
    }
    void TearDown() override { Scene::current().reset(); }
};

TEST_F(ShadingTest, ACheckerGivesItsTwoColoursAtKnownUVs) {
    ASSERT_TRUE(
        run("createNode checker -n ch; setAttr ch.color1 1 0.5 0; setAttr ch.color2 0 0 1"));
    const Color first{1, 0.5f, 0}, second{0, 0, 1};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float u, v;
        Color expected;
    };
    const Case cases[] = {{0.25f, 0.25f, first},
                          {0.75f, 0.75f, first},
                          {0.75f, 0.25f, second},
                          {0.25f, 0.75f, second},
                          // Tiles repeat beyond the unit square, also below 0.
                          {1.25f, 2.25f, first},
                          {-0.25f, 0.25f, second},
                          {-0.75f, -0.75f, first},
                          // A UV without a value gives the default colour.
                          {nan, 0.25f, {0.5f, 0.5f, 0.5f}},
                          {0.25f, INFINITY, {0.5f, 0.5f, 0.5f}}};
    std::vector<std::array<float, 2>> uvs;
    for (const Case& c : cases) uvs.push_back({c.u, c.v});
    Sampled s = sample("ch", uvs);
    ASSERT_TRUE(s.status) << s.status.errorString();
    ASSERT_EQ(s.colors.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        expectColor(s.colors[i], cases[i].expected,
                    "uv " + std::to_string(cases[i].u) + " " + std::to_string(cases[i].v));
        expectColor(s.transparencies[i], {0, 0, 0}, "transparency");
    }
    // The node itself answers the same at its uvCoord.
    ASSERT_TRUE(run("setAttr ch.uvCoord 0.75 0.25"));
    EXPECT_EQ(values("ch.outColor"), (std::vector<double>{0, 0, 1}));
    // Contrast 0 gives the average; gain and offset apply after it.
    ASSERT_TRUE(
        run("setAttr ch.contrast 0; setAttr ch.colorGain 2 2 2; setAttr ch.colorOffset 0 0 0.25"));
    expectColor(sample("ch.outColor", {{0.25f, 0.25f}}).colors.at(0), {1, 0.5f, 1.25f}, "average");
    expectColor(sample("ch.outColorG", {{0.25f, 0.25f}}).colors.at(0), {0.5f, 0.5f, 0.5f},
                "one channel");
}

TEST_F(ShadingTest, ABatchIsShadedWithoutComputingTheNodes) {
    ASSERT_TRUE(run("createNode checker -n ch"));
    std::vector<std::array<float, 2>> uvs(10000);
    for (size_t i = 0; i < uvs.size(); ++i)
        uvs[i] = {float(i % 100) / 100.0f, float(i / 100) / 100.0f};
    MSelectionList list;
    MPlug outColor;
    ASSERT_TRUE(list.add("ch.outColor") && list.getPlug(0, outColor));
    Sampled s = sample("ch", uvs);
    ASSERT_TRUE(s.status);
    EXPECT_EQ(s.colors.size(), uvs.size());
    EXPECT_EQ(mayahost::computeCount(outColor), 0u);
    EXPECT_EQ(s.colors[0], (Color{1, 1, 1}));
    EXPECT_EQ(s.colors[75], (Color{0, 0, 0}));  // u 0.75, v 0
}

TEST_F(ShadingTest, ConnectedTexturesAreShadedAtTheSameUVs) {
    // The checker's first colour is a u ramp from black to white; its second's red is another
    // ramp's blue.
    ASSERT_TRUE(run(
        "createNode ramp -n along; setAttr along.type 1; setAttr along.colorEntryList[0].color 0 0 "
        "0; "
        "setAttr along.colorEntryList[1].position 1; setAttr along.colorEntryList[1].color 1 1 1; "
        "setAttr along.colorEntryList[2].color 1 1 1"));
    ASSERT_TRUE(
        run("createNode checker -n ch; connectAttr along.outColor ch.color1; "
            "createNode ramp -n up; connectAttr up.outColorB ch.color2R"));
    Sampled s = sample("ch", {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.6f, 0.1f}, {0.9f, 0.5f}});
    ASSERT_TRUE(s.status) << s.status.errorString();
    expectColor(s.colors[0], {0.1f, 0.1f, 0.1f}, "first quarter");
    expectColor(s.colors[1], {0.3f, 0.3f, 0.3f}, "first quarter");
    // The default ramp runs red (v 0), green (v 0.5), blue (v 1): blue is 0 below v 0.5.
    expectColor(s.colors[2], {0, 0, 0}, "second quarter");
    expectColor(s.colors[3], {0.9f, 0.9f, 0.9f}, "third quarter");
    ASSERT_TRUE(run("disconnectAttr along.outColor ch.color1; setAttr ch.color1 0 0 0"));
    expectColor(sample("ch", {{0.25f, 0.9f}}).colors.at(0), {0.8f, 0, 0}, "ramp channel at v 0.9");
}

TEST_F(ShadingTest, InputsDrivenThroughConnectionsAnimateTheSamples) {
    // Time in frames drives the contrast: 0 at frame 0 gives the average grey, 1 at frame 1 white.
    ASSERT_TRUE(
        run("createNode checker -n ch; connectAttr time1.outTime ch.contrast; currentTime 0"));
    expectColor(sample("ch", {{0.25f, 0.25f}}).colors.at(0), {0.5f, 0.5f, 0.5f}, "frame 0");
    ASSERT_TRUE(run("currentTime 1"));
    expectColor(sample("ch", {{0.25f, 0.25f}}).colors.at(0), {1, 1, 1}, "frame 1");
}

TEST_F(ShadingTest, ARampBlendsItsEntries) {
    ASSERT_TRUE(run("createNode ramp -n rp"));
    struct Case {
        int type, interpolation;
        float u, v;
        Color expected;
    };
    const Case cases[] = {
        {0, 1, 0.9f, 0.0f, {1, 0, 0}},        {0, 1, 0.1f, 0.25f, {0.5f, 0.5f, 0}},
        {0, 1, 0.0f, 1.0f, {0, 0, 1}},        {0, 1, 0.0f, 7.0f, {0, 0, 1}},
        {0, 0, 0.0f, 0.25f, {1, 0, 0}},       {0, 2, 0.0f, 0.125f, {0.84375f, 0.15625f, 0}},
        {1, 1, 0.75f, 0.0f, {0, 0.5f, 0.5f}}, {2, 1, 0.5f, 0.5f, {0, 1, 0}}};
    for (const Case& c : cases) {
        ASSERT_TRUE(run("setAttr rp.type " + std::to_string(c.type) +
                        "; setAttr rp.interpolation " + std::to_string(c.interpolation)));
        Sampled s = sample("rp", {{c.u, c.v}});
        ASSERT_TRUE(s.status);
        expectColor(s.colors.at(0), c.expected,
                    "type " + std::to_string(c.type) + " at " + std::to_string(c.v));
    }
}

TEST_F(ShadingTest, AFileTextureReadsItsPngAtPixelCentres) {
    const sceneTesting::ScratchDir dir;
    const std::string png = dir / "four.png";
    // Top row red, green; bottom row blue, white.
    mayahost::RgbaImage image;
    image.width = image.height = 2;
    image.pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    std::string error;
    ASSERT_TRUE(mayahost::writePng(png, image, error)) << error;
    ASSERT_TRUE(run("createNode file -n tex; setAttr tex.fileTextureName -type \"string\" \"" +
                    png + "\""));
    Sampled s = sample(
        "tex", {{0.25f, 0.75f}, {0.75f, 0.75f}, {0.25f, 0.25f}, {0.75f, 0.25f}, {0.5f, 0.25f}});
    ASSERT_TRUE(s.status) << s.status.errorString();
    expectColor(s.colors[0], {1, 0, 0}, "upper left");
    expectColor(s.colors[1], {0, 1, 0}, "upper right");
    expectColor(s.colors[2], {0, 0, 1}, "lower left");
    expectColor(s.colors[3], {1, 1, 1}, "lower right");
    expectColor(s.colors[4], {0.5f, 0.5f, 1}, "between the lower two");

    // A missing file is an error naming the plug; the results stay empty.
    const std::string missing = dir / "none.png";
    ASSERT_TRUE(run("setAttr tex.fileTextureName -type \"string\" \"" + missing + "\""));
    s = sample("tex", {{0.5f, 0.5f}});
    EXPECT_FALSE(s.status);
    EXPECT_TRUE(s.colors.empty());
    EXPECT_TRUE(mayahost::hasMessage(
        Message::kError, "tex.fileTextureName: cannot read \"" + missing + "\": no such file"));
    // Without a name the texture gives its default colour.
    ASSERT_TRUE(run(
        "setAttr tex.fileTextureName -type \"string\" \"\"; setAttr tex.defaultColor 0.25 0 1"));
    expectColor(sample("tex", {{0.5f, 0.5f}}).colors.at(0), {0.25f, 0, 1}, "default");
}

// An image no file node shows any more is let go: a file read again afterwards gives its new
// pixels even when its size and time are those it had.
TEST_F(ShadingTest, AFileTextureKeepsOnlyTheImagesInUse) {
    const sceneTesting::ScratchDir dir;
    const std::string first = dir / "first.png", second = dir / "second.png";
    auto write = [](const std::string& path, unsigned char r, unsigned char g, unsigned char b) {
        mayahost::RgbaImage image;
        image.width = image.height = 2;
        const unsigned char rgba[4] = {r, g, b, 255};
        for (int i = 0; i < 16; ++i) image.pixels.push_back(rgba[i % 4]);
        std::string error;
        EXPECT_TRUE(mayahost::writePng(path, image, error)) << error;
    };
    auto show = [&](const std::string& path) {
        EXPECT_TRUE(run("setAttr tex.fileTextureName -type \"string\" \"" + path + "\""));
        Sampled s = sample("tex", {{0.5f, 0.5f}});
        EXPECT_TRUE(s.status) << s.status.errorString();
        return s.colors.empty() ? Color{-1, -1, -1} : s.colors[0];
    };
    write(first, 255, 0, 0);
    write(second, 0, 255, 0);
    ASSERT_TRUE(run("createNode file -n tex"));
    expectColor(show(first), {1, 0, 0}, "first");
    expectColor(show(second), {0, 1, 0}, "second");
    // The first file changes without its size or time showing it.
    const auto size = std::filesystem::file_size(first);
    const auto time = std::filesystem::last_write_time(first);
    write(first, 0, 0, 255);
    ASSERT_EQ(std::filesystem::file_size(first), size);
    std::filesystem::last_write_time(first, time);
    expectColor(show(first), {0, 0, 1}, "first, rewritten");
}

// Rewrites a PNG's header to claim another size, with a valid checksum, leaving its data as is.
void claimSize(const std::string& path, uint32_t width, uint32_t height) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string header(33, '\0');
    ASSERT_TRUE(file.read(header.data(), 33));
    for (int i = 0; i < 4; ++i) {
        header[16 + i] = char(width >> (24 - 8 * i));
        header[20 + i] = char(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(header.data()) + 12, 17);
    for (int i = 0; i < 4; ++i) header[29 + i] = char(crc >> (24 - 8 * i));
    file.seekp(0);
    ASSERT_TRUE(file.write(header.data(), 33));
}

// A file whose header claims far more pixels than its data could hold is refused before the
// image is allocated; a large image that compresses well still reads.
TEST_F(ShadingTest, AFileTextureRefusesAHeaderItsDataCannotFill) {
    const sceneTesting::ScratchDir dir;
    const std::string png = dir / "claimed.png";
    mayahost::RgbaImage image;
    image.width = 4000, image.height = 1000;
    image.pixels.assign(size_t(image.width) * image.height * 4, 128);
    std::string error;
    ASSERT_TRUE(mayahost::writePng(png, image, error)) << error;
    ASSERT_TRUE(run("createNode file -n tex; setAttr tex.fileTextureName -type \"string\" \"" +
                    png + "\""));
    Sampled s = sample("tex", {{0.5f, 0.5f}});
    ASSERT_TRUE(s.status) << s.status.errorString();
    expectColor(s.colors.at(0), {128 / 255.0f, 128 / 255.0f, 128 / 255.0f}, "compressible");

    const uint32_t sizes[][2] = {{16384, 16384}, {16384, 4000}, {100000, 1000}};
    for (auto [width, height] : sizes) {
        const std::string claimed = std::to_string(width) + "x" + std::to_string(height);
        SCOPED_TRACE(claimed);
        image.width = image.height = 1;
        image.pixels.assign(4, 0);
        ASSERT_TRUE(mayahost::writePng(png, image, error)) << error;
        claimSize(png, width, height);
        mayahost::clearRecordedMessages();
        s = sample("tex", {{0.5f, 0.5f}});
        EXPECT_FALSE(s.status);
        EXPECT_TRUE(mayahost::hasMessage(
            Message::kError, "tex.fileTextureName: \"" + png +
                                 "\" is damaged: it is too small for its size (" + claimed + ")"));
    }
}

TEST_F(ShadingTest, SamplingErrors) {
    ASSERT_TRUE(run("createNode checker -n a; createNode checker -n b; createNode transform -n t"));
    EXPECT_FALSE(sample("a", {{0, 0}}, -2).status);
    EXPECT_FALSE(sample("a", {{0, 0}}, 2).status);  // fewer UVs than samples
    EXPECT_FALSE(sample("nothing", {{0, 0}}).status);
    EXPECT_FALSE(sample("t.visibility.x", {{0, 0}}).status);
    // A plain colour plug is a constant colour.
    Sampled constant = sample("a.color1", {{0, 0}, {0.7f, 0.1f}});
    ASSERT_TRUE(constant.status);
    EXPECT_EQ(constant.colors, (std::vector<Color>{{1, 1, 1}, {1, 1, 1}}));
    // A network that leads back into itself fails instead of recursing.
    ASSERT_TRUE(run("connectAttr a.outColor b.color1; connectAttr b.outColor a.color1"));
    Sampled cycle = sample("a", {{0.25f, 0.25f}});
    EXPECT_FALSE(cycle.status);
    EXPECT_NE(std::string(cycle.status.errorString().asChar()).find("leads back into a"),
              std::string::npos);
    // No samples: empty results.
    Sampled none = sample("b", {}, 0);
    EXPECT_FALSE(none.status);  // the cycle still stands
    ASSERT_TRUE(run("disconnectAttr b.outColor a.color1"));
    none = sample("a", {}, 0);
    EXPECT_TRUE(none.status);
    EXPECT_TRUE(none.colors.empty());
}

}  // namespace
