// frameStore's zuPointsCache: blending a frame with the next, the cases that play the frame as
// it stands or fail, and a bake by pointSuite played back alike by both plug-ins.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cacheTesting.h"

namespace {

using namespace cacheTesting;
using mayahost::Message;

const std::string kPointSource = std::string(TEST_PLUGIN_DIR) + "/pointSourceTestPlugin.so";

class FrameStoreCache : public CacheSceneTest {
protected:
    void SetUp() override {
        CacheSceneTest::SetUp();
        usePlugins({FRAMESTORE_PLUGIN}, {"pointSuite"});
        ASSERT_TRUE(run("createNode zuPointsCache -n cache; connectAttr time1.outTime cache.time"));
        ASSERT_TRUE(run("setAttr cache.cachePath -type \"string\" \"" + (dir / "crowd") + "\""));
        mayahost::clearRecordedMessages();
    }
    void writeAt(int frame, const CacheFrame& content) {
        writeFrame(cacheFrameFileName(dir / "crowd", frame), content);
    }
    MStatus playAt(double time, PointSet& set) {
        EXPECT_TRUE(run("currentTime " + std::to_string(time)));
        return evaluateOutPoints("cache", set);
    }
};

// Frame 10 and the frame after it.
const CacheFrame kTen = {
    {{"id", {10, 4294967293u, 1}}}, {{"age", {1.0}}}, {{"position", {0, 0, 0}}}};
const CacheFrame kEleven = {
    {{"id", {20, 4294967295u, 2}}}, {{"age", {3.0}}}, {{"position", {4, 8, 12}}}};

PointSet played(std::vector<int> ids, double age, Point position) {
    PointSet set;
    set.ints["id"] = ids;
    set.doubles["age"] = {age};
    set.vectors["position"] = {position};
    set.order = {"id", "age", "position"};
    return set;
}

CacheFrame with(CacheFrame frame, void (*change)(CacheFrame&)) {
    change(frame);
    return frame;
}

struct Blend {
    const char* name;
    double time;
    bool blendFrames;
    CacheFrame current;
    std::optional<CacheFrame> next;    // none: no file for the next frame
    bool nextHeaderOnly;               // the next file holds the archive header and nothing more
    std::optional<PointSet> expected;  // none: the compute fails with `error`
    const char* error;
};

const PointSet kTenAsItStands = played({10, -3, 1}, 1.0, {0, 0, 0});
const PointSet kAQuarterOfTheWay = played({12, -2, 1}, 1.5, {1, 2, 3});

const Blend kBlends[] = {
    {"AQuarterOfTheWay", 10.25, true, kTen, kEleven, false, kAQuarterOfTheWay, nullptr},
    {"HalfWay", 10.5, true, kTen, kEleven, false, played({15, -2, 1}, 2.0, {2, 4, 6}), nullptr},
    {"WholeFrame", 10.0, true, kTen, kEleven, false, kTenAsItStands, nullptr},
    {"FractionBelowTheThreshold", 10.000001, true, kTen, kEleven, false, kTenAsItStands, nullptr},
    {"BlendFramesOff", 10.25, false, kTen, kEleven, false, kTenAsItStands, nullptr},
    {"NoNextFile", 10.25, true, kTen, std::nullopt, false, kTenAsItStands, nullptr},
    {"NextHasAnotherArrayCount", 10.25, true, kTen,
     with(kEleven,
          [](CacheFrame& f) {
              f.vectors["normal"] = {0, 1, 0};
          }),
     false, kTenAsItStands, nullptr},
    {"NegativeTimeHasANegativeFraction", -0.5, true, kTen, kEleven, false, kTenAsItStands, nullptr},
    {"NextLacksAName", 10.25, true, kTen,
     with(kEleven,
          [](CacheFrame& f) {
              f.doubles["fallof"] = f.doubles["age"];
              f.doubles.erase("age");
          }),
     false, std::nullopt,
     "frameStore: Cannot blend frames, no matching array in following cache file"},
    {"ArraySizesDiffer", 10.25, true, kTen,
     with(kEleven, [](CacheFrame& f) { f.ints["id"].push_back(0); }), false, std::nullopt,
     "frameStore: Cannot blend frames, arrays size differs"},
    {"NextFileCut", 10.25, true, kTen, std::nullopt, true, std::nullopt,
     "Failed to load cache data (int map)"},
    {"SevenFloats", 10.25, true, with(kTen, [](CacheFrame& f) { f.vectors["position"].resize(7); }),
     with(kEleven, [](CacheFrame& f) { f.vectors["position"].resize(7); }), false, std::nullopt,
     "zuPointsCache: invalid vector length"},
};

void PrintTo(const Blend& blend, std::ostream* out) { *out << blend.name; }

class FrameStoreBlend : public FrameStoreCache, public ::testing::WithParamInterface<Blend> {};

TEST_P(FrameStoreBlend, PlaysTheTime) {
    const Blend& c = GetParam();
    const int frame = c.time < 0 ? 0 : 10;
    writeAt(frame, c.current);
    if (c.next) writeAt(frame + 1, *c.next);
    if (c.nextHeaderOnly) CacheFrameWriter headerOnly(cacheFrameFileName(dir / "crowd", frame + 1));
    writeAt(50, {{{"frame", {50}}}, {}, {}});
    ASSERT_TRUE(run(std::string("setAttr cache.blendFrames ") + (c.blendFrames ? "1" : "0")));
    PointSet before;
    ASSERT_TRUE(playAt(50, before));
    mayahost::clearRecordedMessages();

    PointSet set;
    const MStatus status = playAt(c.time, set);
    if (c.expected) {
        EXPECT_TRUE(status);
        EXPECT_EQ(set, *c.expected);
        EXPECT_TRUE(mayahost::recordedMessages().empty());
    } else {
        EXPECT_FALSE(status);
        EXPECT_EQ(set, before) << "a failure leaves the output as it was";
        EXPECT_EQ(messagesOf(Message::kError), std::vector<std::string>{c.error});
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FrameStoreBlend, ::testing::ValuesIn(kBlends),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameStoreCache, WarnsOfAMissingFrameAndKeepsTheOutput) {
    writeAt(1, kTen);
    PointSet set;
    ASSERT_TRUE(playAt(1, set));
    EXPECT_TRUE(playAt(2, set));
    EXPECT_EQ(set, kTenAsItStands);
    EXPECT_EQ(messagesOf(Message::kWarning),
              std::vector<std::string>{"No cache found for frame 2: " + mayahost::projectRoot() +
                                       (dir / "crowd_2.zuc")});
}

TEST_F(FrameStoreCache, TurningTheBlendOffOrOnAtAFixedTimePlaysTheTimeAgain) {
    writeAt(10, kTen);
    writeAt(11, kEleven);
    PointSet set;
    ASSERT_TRUE(playAt(10.25, set));
    EXPECT_EQ(set, kAQuarterOfTheWay);
    ASSERT_TRUE(run("setAttr cache.blendFrames 0"));
    EXPECT_EQ(outPointsOf("cache"), kTenAsItStands);
    ASSERT_TRUE(run("setAttr cache.blendFrames 1"));
    EXPECT_EQ(outPointsOf("cache"), kAQuarterOfTheWay);
}

// Both plug-ins' zuPointsCache nodes alike.
class CachePlayback : public CacheSceneTest {
protected:
    // Creates the node "cache", playing the files of dir/crowd at the scene's time.
    MStatus createPlayback() {
        return run(
            "createNode zuPointsCache -n cache; connectAttr time1.outTime cache.time; "
            "setAttr cache.cachePath -type \"string\" \"" +
            (dir / "crowd") + "\"");
    }
};

// A frame baked by pointSuite's command plays back the same through pointSuite's node and
// frameStore's, at a whole frame and, with the blend off, between frames.
TEST_F(CachePlayback, AFrameBakedByPointSuitePlaysBackAlikeThroughBothPlugIns) {
    usePlugins({POINTSUITE_PLUGIN, kPointSource.c_str()}, {"frameStore"});
    ASSERT_TRUE(run("createNode testPointSource -n src; connectAttr time1.outTime src.time"));
    ASSERT_TRUE(run("doZuPointsCache src \"" + dir.path() + "\" crowd 1 3 0"));
    ASSERT_TRUE(createPlayback() && run("currentTime 2"));
    const PointSet bySuite = outPointsOf("cache");
    EXPECT_EQ(frameOf(bySuite).vectors, frameOf(outPointsOf("src")).vectors);
    EXPECT_EQ(bySuite.vectors.at("position").size(), 3u);

    usePlugins({FRAMESTORE_PLUGIN}, {"pointSuite"});
    ASSERT_TRUE(createPlayback() && run("currentTime 2"));
    EXPECT_EQ(outPointsOf("cache"), bySuite);
    ASSERT_TRUE(run("setAttr cache.blendFrames 0; currentTime 2.5"));
    EXPECT_EQ(outPointsOf("cache"), bySuite);
    EXPECT_TRUE(messagesOf(Message::kError).empty());
    EXPECT_TRUE(messagesOf(Message::kWarning).empty());
}

// A frame without a file is looked for again at each read, so a file that appears later (a bake
// running beside playback) is read without the time moving.
TEST_F(CachePlayback, AFrameFileThatAppearsLaterIsReadAtTheNextRead) {
    const std::string file = cacheFrameFileName(dir / "crowd", 7);
    for (const char* plugin : {POINTSUITE_PLUGIN, FRAMESTORE_PLUGIN}) {
        usePlugins({plugin}, {"pointSuite", "frameStore"});
        ASSERT_TRUE(createPlayback() && run("currentTime 7")) << plugin;
        mayahost::clearRecordedMessages();
        PointSet set;
        for (int read = 0; read < 2; ++read) EXPECT_TRUE(evaluateOutPoints("cache", set)) << plugin;
        EXPECT_EQ(set, PointSet{}) << plugin;
        EXPECT_EQ(messagesOf(Message::kWarning).size(), 2u) << plugin << ": a warning at each read";

        writeFrame(file, kTen);
        EXPECT_EQ(outPointsOf("cache"), kTenAsItStands) << plugin;
        std::filesystem::remove(file);
    }
}

// Without the next frame's file the frame plays as it stands, silently, and the file is looked
// for again at each read, so one that appears later is blended in without the time moving.
TEST_F(FrameStoreCache, ANextFrameFileThatAppearsLaterIsBlendedInAtTheNextRead) {
    writeAt(10, kTen);
    PointSet set;
    ASSERT_TRUE(playAt(10.25, set));
    EXPECT_EQ(set, kTenAsItStands);

    writeAt(11, kEleven);
    EXPECT_EQ(outPointsOf("cache"), kAQuarterOfTheWay);
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

}  // namespace
