// pointSuite's zuPointsCache: the frame a time reads, the point set a file gives, the project
// root fallback, and files that fail while the output keeps what it held.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cacheTesting.h"

namespace {

using namespace cacheTesting;
using mayahost::Message;

// A frame whose only array tells which frame it is.
CacheFrame frameMarked(int frame) {
    return {{{"frame", {static_cast<unsigned int>(frame)}}}, {}, {}};
}

class PointSuiteCache : public CacheSceneTest {
protected:
    void SetUp() override {
        CacheSceneTest::SetUp();
        usePlugins({POINTSUITE_PLUGIN}, {"frameStore"});
        ASSERT_TRUE(run("createNode zuPointsCache -n cache; connectAttr time1.outTime cache.time"));
        setCachePath(dir / "crowd");
        mayahost::clearRecordedMessages();
    }

    void setCachePath(const std::string& path) {
        ASSERT_TRUE(run("setAttr cache.cachePath -type \"string\" \"" + path + "\""));
    }
    void writeAt(int frame, const CacheFrame& content) {
        writeFrame(cacheFrameFileName(dir / "crowd", frame), content);
    }
    MStatus playAt(double time, PointSet& set) {
        EXPECT_TRUE(run("currentTime " + std::to_string(time)));
        return evaluateOutPoints("cache", set);
    }
    PointSet playAt(double time) {
        PointSet set;
        EXPECT_TRUE(playAt(time, set)) << time;
        return set;
    }
};

TEST_F(PointSuiteCache, ReadsTheFrameOfTheTimeTruncatedTowardZero) {
    for (int frame : {12, 0, -1}) writeAt(frame, frameMarked(frame));
    const struct {
        double time;
        int frame;
    } cases[] = {{12.0, 12}, {12.9, 12}, {-0.5, 0}, {-1.2, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(playAt(c.time).ints["frame"], std::vector<int>{c.frame}) << c.time;
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(PointSuiteCache, GivesExactlyTheFilesArraysIntsThenDoublesThenVectors) {
    writeAt(3, {{{"pointID", {4294967295u, 7}}, {"id", {1, 2}}},
                {{"age", {0.5, 0.1}}},
                {{"position", {0.1f, 2, 3, 4, 5, 6}}, {"normal", {0, 0, 1, 0, 1, 0}}}});
    PointSet expected;
    expected.ints = {{"id", {1, 2}}, {"pointID", {-1, 7}}};
    expected.doubles = {{"age", {0.5, 0.1}}};
    expected.vectors = {{"normal", {{0, 0, 1}, {0, 1, 0}}},
                        {"position", {{double(0.1f), 2, 3}, {4, 5, 6}}}};
    expected.order = {"id", "pointID", "age", "normal", "position"};
    EXPECT_EQ(playAt(3), expected);
}

TEST_F(PointSuiteCache, AFileOfEmptyMapsGivesAnEmptyPointSet) {
    writeAt(1, frameMarked(1));
    writeAt(2, CacheFrame{});
    playAt(1);
    EXPECT_EQ(playAt(2), PointSet{});
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(PointSuiteCache, FindsARelativePathUnderTheProjectRoot) {
    mayahost::setProjectRoot(dir.path());
    std::filesystem::create_directory(dir / "caches");
    writeFrame(dir / "caches/crowd_4.zuc", frameMarked(4));
    setCachePath("caches/crowd");
    EXPECT_EQ(playAt(4).ints["frame"], std::vector<int>{4});
    EXPECT_TRUE(mayahost::recordedMessages().empty());

    PointSet kept;
    EXPECT_TRUE(playAt(5, kept));
    EXPECT_EQ(kept.ints["frame"], std::vector<int>{4})
        << "a missing frame leaves the output as it was";
    EXPECT_EQ(messagesOf(Message::kWarning),
              std::vector<std::string>{"No cache found for frame 5: " + dir.path() +
                                       "caches/crowd_5.zuc"});
}

// Files that fail: the compute fails with the message and outPoints keeps frame 1's set.
struct BadFile {
    const char* name;
    void (*make)(const std::string& path);
    std::string (*message)(const std::string& path);
};

// Writes the frame, then cuts the file where the bytes of `value` begin.
template <class T>
void writeCutAt(const std::string& path, const CacheFrame& frame, T value) {
    writeFrame(path, frame);
    const std::string bytes = readBytes(path);
    writeBytes(path, bytes.substr(0, bytes.find(std::string(reinterpret_cast<const char*>(&value),
                                                            sizeof value))));
}

std::string fixed(const char* text) { return text; }

const BadFile kBadFiles[] = {
    {"Directory", [](const std::string& p) { std::filesystem::create_directory(p); },
     [](const std::string& p) { return "zuPointsCache: can not open cache file " + p; }},
    {"Empty", [](const std::string& p) { writeBytes(p, ""); },
     [](const std::string& p) {
         return "zuPointsCache: not a cache file (bad archive header): " + p;
     }},
    {"HeaderOnly", [](const std::string& p) { CacheFrameWriter header(p); },
     [](const std::string&) { return fixed("Failed to load cache data (int map)"); }},
    {"CutInTheDoubleMap",
     [](const std::string& p) {
         writeCutAt(p, {{}, {{"age", {1.0, 2.0}}}, {}}, 2.0);
     },
     [](const std::string&) { return fixed("Failed to load cache data (double map)"); }},
    {"CutInTheVectorMap",
     [](const std::string& p) {
         writeCutAt(p, {{}, {}, {{"position", {1, 2, 3}}}}, 3.0f);
     },
     [](const std::string&) { return fixed("Failed to load cache data (vector map)"); }},
    {"SevenFloats",
     [](const std::string& p) {
         writeFrame(p, {{}, {}, {{"position", {1, 2, 3, 4, 5, 6, 7}}}});
     },
     [](const std::string&) { return fixed("zuPointsCache: invalid vector length"); }},
};

TEST_F(PointSuiteCache, FailingFilesLeaveTheOutputAsItWas) {
    writeAt(1, frameMarked(1));
    for (const BadFile& bad : kBadFiles) {
        const std::string path = cacheFrameFileName(dir / bad.name, 2);
        bad.make(path);
        setCachePath(dir / "crowd");
        playAt(1);
        mayahost::clearRecordedMessages();
        setCachePath(dir / bad.name);
        PointSet kept;
        EXPECT_FALSE(playAt(2, kept)) << bad.name;
        EXPECT_EQ(kept.ints["frame"], std::vector<int>{1}) << bad.name;
        EXPECT_EQ(messagesOf(Message::kError), std::vector<std::string>{bad.message(path)})
            << bad.name;
    }
}

}  // namespace
