#pragma once
// Helpers for the tests that drive the headless host: a scratch folder, commands and plugs by
// name, the recorded messages, a fresh scene, plug-ins loaded once, the test adder that feeds bad
// values through a connection, a limit on the processors the device layer runs on and a small
// device memory budget.
#include <gtest/gtest.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <mayahost/Messages.h>
#include <mayahost/Plugins.h>
#include <sched.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>
#include <vector>

#include "graph/Scene.h"
#include "plugins/Plugins.h"

namespace sceneTesting {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuTestXXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern + "/";
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    // Ends in "/".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

inline MStatus run(const std::string& commands) {
    return MGlobal::executeCommand(commands.c_str());
}

// The plug called `name` ("node.attribute"); a test failure where there is none.
inline MPlug plugOf(const std::string& name) {
    MSelectionList list;
    MPlug plug;
    EXPECT_TRUE(list.add(name.c_str())) << name;
    EXPECT_TRUE(list.getPlug(0, plug)) << name;
    return plug;
}

// The texts of the recorded messages of one kind, oldest first.
inline std::vector<std::string> messages(mayahost::Message::Kind kind) {
    std::vector<std::string> texts;
    for (const mayahost::Message& m : mayahost::recordedMessages())
        if (m.kind == kind) texts.push_back(m.text);
    return texts;
}

// An empty scene and no recorded messages.
inline void resetScene() {
    mayahost::Scene::current().reset();
    mayahost::clearRecordedMessages();
}

// Loads each plug-in (a path) that is not loaded yet, keeping what it prints on loading out of
// the test's output.
inline void loadPluginsQuietly(std::initializer_list<const char*> plugins) {
    testing::internal::CaptureStdout();
    for (const char* plugin : plugins) {
        const bool loaded = mayahost::isPluginLoaded(plugin) || mayahost::loadPlugin(plugin);
        if (!loaded) {
            testing::internal::GetCapturedStdout();
            FAIL() << plugin;
        }
    }
    testing::internal::GetCapturedStdout();
}

#ifdef TEST_PLUGIN_DIR  // where the build put the test plug-ins
// Lets loadPlugin find the test plug-ins by name; once a process.
inline void addTestPluginSearchPath() {
    static bool added = false;
    if (!added) mayahost::addPluginSearchPath(TEST_PLUGIN_DIR);
    added = true;
}

// The test plug-in's testAdder: its sum is 3.5 plus its weights, times its gain, and a
// connection passes whatever it makes, past the limits of the attribute it feeds. These set an
// adder called "adder" to make infinity and not-a-number.
inline const std::string kAdderHuge = "setAttr \"adder.w[0]\" 1e308; setAttr \"adder.w[1]\" 1e308";
inline const std::string kAdderNan = kAdderHuge + "; setAttr adder.gain 0";

// A bad value that the adder, set up by `sum`, feeds to `attribute`, and the error it raises.
struct AdderCase {
    const char* attribute;
    std::string sum;
    const char* message;
};

inline MStatus loadTestAdder() {
    return mayahost::loadPlugin(std::string(TEST_PLUGIN_DIR) + "/graphTestPlugin.so");
}
#endif

// While this lives, the calling thread may run on at most `threads` processors; the device layer
// of a plug-in, which has its own copy of the runtime, sizes each launch's workers by them (cpu
// backend).
class DeviceThreads {
public:
    explicit DeviceThreads(int threads) {
        sched_getaffinity(0, sizeof saved_, &saved_);
        cpu_set_t narrowed;
        CPU_ZERO(&narrowed);
        for (int cpu = 0, kept = 0; cpu < CPU_SETSIZE && kept < threads; ++cpu) {
            if (!CPU_ISSET(cpu, &saved_)) continue;
            CPU_SET(cpu, &narrowed);
            ++kept;
        }
        sched_setaffinity(0, sizeof narrowed, &narrowed);
    }
    ~DeviceThreads() { sched_setaffinity(0, sizeof saved_, &saved_); }
    DeviceThreads(const DeviceThreads&) = delete;
    DeviceThreads& operator=(const DeviceThreads&) = delete;

private:
    cpu_set_t saved_;
};

// While this lives, the device memory that the nodes' memory checks see is `spare` bytes beside
// what the process holds now (cpu backend).
class MemoryBudget {
public:
    explicit MemoryBudget(unsigned long long spare) {
        setenv("GPU_MEMORY_LIMIT", std::to_string(residentBytes() + spare).c_str(), 1);
    }
    ~MemoryBudget() { unsetenv("GPU_MEMORY_LIMIT"); }
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

private:
    static unsigned long long residentBytes() {
        unsigned long long pages = 0, resident = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (!statm) return 0;
        if (std::fscanf(statm, "%llu %llu", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
        return resident * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
    }
};

// A fresh scene with no recorded messages before and after each test.
class SceneTest : public ::testing::Test {
protected:
    void SetUp() override { resetScene(); }
    void TearDown() override { resetScene(); }
};

}  // namespace sceneTesting
