// doZuPointsCache: argument checks in their order, the files of a bake, the mode filters and
// interruption. The points come from testPointSource (tests/plugins/pointSourceTestPlugin.cpp).
#include <gtest/gtest.h>
#include <maya/MGlobal.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "cacheTesting.h"
#include "sceneHostProcess.h"

namespace {

using namespace cacheTesting;
using mayahost::Message;

const std::string kPointSource = std::string(TEST_PLUGIN_DIR) + "/pointSourceTestPlugin.so";

class DoZuPointsCache : public CacheSceneTest {
protected:
    void SetUp() override {
        CacheSceneTest::SetUp();
        usePlugins({POINTSUITE_PLUGIN, kPointSource.c_str()}, {"frameStore"});
        ASSERT_TRUE(run("createNode testPointSource -n src; connectAttr time1.outTime src.time"));
        mayahost::clearRecordedMessages();
    }

    MStatus bake(const std::string& args) { return run("doZuPointsCache " + args); }
    std::string quotedDir() const { return "\"" + dir.path() + "\""; }
    double currentTime() {
        double time = 0;
        EXPECT_TRUE(MGlobal::executeCommand("currentTime -q", time));
        return time;
    }
    // The file of a frame, read back.
    CacheFrame fileOf(int frame, const std::string& name = "crowd") {
        CacheFrame read;
        EXPECT_EQ(readCacheFrame(cacheFrameFileName(dir / name, frame), read),
                  CacheReadResult::kRead)
            << frame;
        return read;
    }
    // Runs the bake in scenehost, a child process whose files can hold at most `bytes`, with
    // the source's count set to `count`. Answers how the host ended and what it printed.
    sceneTesting::ChildRun bakeWithFileSizeLimit(rlim_t bytes, int count, const std::string& args) {
        const std::string commands = std::string("loadPlugin \"") + POINTSUITE_PLUGIN +
                                     "\"; loadPlugin \"" + kPointSource +
                                     "\"; createNode testPointSource -n src; " +
                                     "connectAttr time1.outTime src.time; setAttr src.count " +
                                     std::to_string(count) + "; doZuPointsCache " + args;
        return sceneTesting::runSceneHost(SCENEHOST, {"-c", commands}, bytes);
    }
    // What the source gives at a frame.
    PointSet sourceAt(int frame) {
        EXPECT_TRUE(run("currentTime " + std::to_string(frame)));
        return outPointsOf("src");
    }
};

// ---- argument checks: each case's later arguments are bad too, so that the order shows

struct BadCall {
    const char* args;  // "D" stands for the scratch folder
    const char* message;
};

const BadCall kBadCalls[] = {
    {"", "Missing zuNode node name argument."},
    {"src D crowd 1 2 0 7", "Too many arguments."},
    {"nosuch D \"1crowd\" x y 9", "There is no zuPoints node with the given name."},
    {"src", "Failed to parse pathToCache argument."},
    {"src D", "Failed to parse cacheName argument."},
    {"src D \"1crowd\" x y 9", "Wrong cache name: '1crowd'"},
    {"src D _crowd", "Wrong cache name: '_crowd'"},
    {"src D crowd.v2", "Wrong cache name: 'crowd.v2'"},
    {"src D \"crowd v2\"", "Wrong cache name: 'crowd v2'"},
    {"src D \"cr\xc3\xa9\"", "Wrong cache name: 'cr\xc3\xa9'"},
    {"src D \"\"", "Wrong cache name: ''"},
    {"src D crowd", "Failed to parse startFrame argument."},
    {"src D crowd 1.5 y 9", "Failed to parse startFrame argument."},
    {"src D crowd 1", "Failed to parse endFrame argument."},
    {"src D crowd 1 y 9", "Failed to parse endFrame argument."},
    {"src D crowd 5 4 9", "frameStore: endFrame < startFrame."},
    {"src D crowd 1 2 4", "frameStore: Wrong mode."},
    {"src D crowd 1 2 -1", "frameStore: Wrong mode."},
    {"src D crowd 1 2 65540", "frameStore: Wrong mode."},  // 65540 is 4 in 16 bits
    {"time1 D crowd 1 2 0", "Can not get 'outPoints' plug"},
};

TEST_F(DoZuPointsCache, RefusesBadCallsWithOneMessageInTheirOrder) {
    for (const BadCall& call : kBadCalls) {
        std::string args = call.args;
        for (std::size_t at; (at = args.find(" D")) != std::string::npos;)
            args.replace(at + 1, 1, quotedDir());
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(bake(args)) << args;
        EXPECT_EQ(commandErrors(), std::vector<std::string>{call.message}) << args;
        EXPECT_TRUE(filesIn(dir.path()).empty()) << args;
    }
}

TEST_F(DoZuPointsCache, ModeIsHeldIn16Bits) {
    ASSERT_TRUE(bake("src " + quotedDir() + " crowd 1 1 65538"));  // 2 in 16 bits
    EXPECT_EQ(fileOf(1).doubles.count("fallof"), 0u);
}

TEST_F(DoZuPointsCache, ReportsAFileItCannotCreate) {
    EXPECT_FALSE(bake("src \"/nonexistent-folder\" crowd 1 2 0"));
    EXPECT_EQ(commandErrors(), std::vector<std::string>{
                                   "Can not create cache file: /nonexistent-folder/crowd_1.zuc"});
}

// A name is checked however long it is; one that makes the file's name too long for the file
// system fails as any file that cannot be created, leaving nothing behind.
TEST_F(DoZuPointsCache, ChecksCacheNamesOfAnyLength) {
    const long nameMax = pathconf(dir.path().c_str(), _PC_NAME_MAX);
    const std::string suffix = "_1.zuc";
    ASSERT_GT(nameMax, long(suffix.size()));
    const std::string longest(std::size_t(nameMax) - suffix.size(), 'c');
    for (const std::string& name : {std::string("crowd_v2"), std::string("C9_"), longest}) {
        ASSERT_TRUE(bake("src " + quotedDir() + " " + name + " 1 1 0")) << name.size();
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{name + suffix}) << name.size();
        std::filesystem::remove(dir / (name + suffix));
    }
    for (const std::string& name : {longest + "c", std::string(30000, 'c')}) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(bake("src " + quotedDir() + " " + name + " 1 1 0")) << name.size();
        EXPECT_EQ(commandErrors(),
                  std::vector<std::string>{"Can not create cache file: " + (dir / name) + suffix})
            << name.size();
        EXPECT_TRUE(filesIn(dir.path()).empty()) << "nor a temporary file";
    }
    const std::string malformed = std::string(30000, 'c') + ".";
    mayahost::clearRecordedMessages();
    EXPECT_FALSE(bake("src " + quotedDir() + " \"" + malformed + "\" 1 1 0"));
    EXPECT_EQ(commandErrors(), std::vector<std::string>{"Wrong cache name: '" + malformed + "'"});
}

TEST_F(DoZuPointsCache, KeepsAReadOnlyFileAndReportsIt) {
    ASSERT_TRUE(bake("src " + quotedDir() + " crowd 1 1 0"));
    const std::string file = dir / "crowd_1.zuc";
    const std::string before = readBytes(file);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    ASSERT_TRUE(run("setAttr src.count 200"));
    EXPECT_FALSE(bake("src " + quotedDir() + " crowd 1 1 0"));
    EXPECT_EQ(commandErrors(), std::vector<std::string>{"Can not create cache file: " + file});
    EXPECT_TRUE(readBytes(file) == before);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"crowd_1.zuc"});
}

TEST_F(DoZuPointsCache, ReportsAPlugItCannotRead) {
    ASSERT_TRUE(run("setAttr src.fail 1"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(bake("src " + quotedDir() + " crowd 1 2 0"));
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_NE(
        reported.find("ERROR in outPointsPlug.attribute.\n\ntestPointSource: asked to fail\n"),
        std::string::npos)
        << reported;
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

// ---- baking

TEST_F(DoZuPointsCache, WritesEachFrameOfTheRangeAsTheNodeGivesIt) {
    ASSERT_TRUE(bake("src " + quotedDir() + " crowd 1 3 0"));
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"crowd_1.zuc", "crowd_2.zuc", "crowd_3.zuc"}));
    EXPECT_EQ(currentTime(), 3.0);
    EXPECT_EQ(messagesOf(Message::kInfo), std::vector<std::string>{"zuPointsCache completed"});
    EXPECT_TRUE(messagesOf(Message::kError).empty());
    for (int frame : {1, 2, 3}) {
        const CacheFrame file = fileOf(frame);
        const CacheFrame expected = frameOf(sourceAt(frame));
        EXPECT_EQ(file.ints, expected.ints) << frame;
        EXPECT_EQ(file.doubles, expected.doubles) << frame;
        EXPECT_EQ(file.vectors, expected.vectors) << frame;
    }
    EXPECT_EQ(fileOf(2).ints.at("rotationType"),
              (std::vector<unsigned int>{4294967295u, 4294967295u, 4294967295u}));
}

TEST_F(DoZuPointsCache, NamesFilesAlikeWithOrWithoutATrailingSlash) {
    std::string withoutSlash = dir.path();
    withoutSlash.pop_back();
    for (const std::string& path : {dir.path(), withoutSlash}) {
        ASSERT_TRUE(bake("src \"" + path + "\" crowd -2 -2 0")) << path;
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"crowd_-2.zuc"}) << path;
    }
}

TEST_F(DoZuPointsCache, EmptyPathWritesIntoTheWorkingDirectory) {
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    const MStatus status = bake("src \"\" crowd 4 4 0");
    ASSERT_EQ(chdir(previous), 0);
    free(previous);
    EXPECT_TRUE(status);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"crowd_4.zuc"});
}

std::set<std::string> namesIn(const CacheFrame& frame) {
    std::set<std::string> names;
    for (const auto& entry : frame.ints) names.insert(entry.first);
    for (const auto& entry : frame.doubles) names.insert(entry.first);
    for (const auto& entry : frame.vectors) names.insert(entry.first);
    return names;
}

TEST_F(DoZuPointsCache, ModesFilterTheArraysByName) {
    const std::set<std::string> all = {"position",    "pointID",      "normal",       "fallof",
                                       "id",          "uv",           "triID",        "scale",
                                       "objectIndex", "aimDirection", "rotationType", "rotationRGB",
                                       "age",         "velocity",     "radius"};
    const std::set<std::string> base = {"position",     "id",           "scale", "objectIndex",
                                        "aimDirection", "rotationType", "age"};
    std::set<std::string> extended = base;
    extended.insert({"triID", "rotationRGB", "uv", "normal"});
    const struct {
        const char* mode;
        std::set<std::string> names;
    } cases[] = {{"0", all}, {"1", all}, {"2", base}, {"3", extended}, {"", all}};
    for (const auto& c : cases) {
        ASSERT_TRUE(bake("src " + quotedDir() + " crowd 1 1 " + c.mode)) << "mode " << c.mode;
        EXPECT_EQ(namesIn(fileOf(1)), c.names) << "mode " << c.mode;
    }
}

TEST_F(DoZuPointsCache, AFailedWriteStopsTheBakeAndLeavesThePreviousFileWhole) {
    ASSERT_TRUE(bake("src " + quotedDir() + " crowd 1 1 0"));
    const std::string first = dir / "crowd_1.zuc";
    const std::string before = readBytes(first);
    const sceneTesting::ChildRun host =
        bakeWithFileSizeLimit(before.size() + 64, 200, "src " + quotedDir() + " crowd 1 3 0");
    EXPECT_EQ(host.exitCode, 1) << "ended by signal " << host.signal;
    EXPECT_NE(host.err.find("// Error: Can not write cache file: " + first + ": File too large\n"),
              std::string::npos)
        << host.err;
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"crowd_1.zuc"}) << "nor a temporary file";
    EXPECT_TRUE(readBytes(first) == before) << "the earlier file is not whole";
}

TEST_F(DoZuPointsCache, InterruptionLeavesTheFramesWrittenAndFails) {
    mayahost::requestInterruptAfterChecks(4);
    EXPECT_FALSE(bake("src " + quotedDir() + " crowd 1 10 0"));
    mayahost::clearInterrupt();
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"crowd_1.zuc", "crowd_2.zuc", "crowd_3.zuc"}));
    EXPECT_EQ(commandErrors(), std::vector<std::string>{"Caching aborted"});
    EXPECT_EQ(currentTime(), 3.0);
}

}  // namespace
