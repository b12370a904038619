#pragma once
// What the benchmarks share: reading options, running commands, finding plugs, the stage-time
// listener and its hook in a benchmark plug-in, wall-clock timing and medians. Error messages go
// to stderr, led by BENCH_NAME (the benchmark's program name, set by the build).
#include <dlfcn.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "common/stageTimer.h"

#ifndef BENCH_NAME
#error "BENCH_NAME names the benchmark in its messages"
#endif

namespace bench {

// A "--name value" option of the command line and what takes its value.
struct Option {
    const char* name;
    std::function<void(const char* value)> take;
};

// Reads the arguments as "--name value" pairs, giving each known name's value to its option;
// false where a name is unknown or lacks its value (that pair is skipped, the rest still read).
inline bool readOptions(int argc, char** argv, std::initializer_list<Option> options) {
    bool understood = true;
    for (int i = 1; i < argc; i += 2) {
        const Option* known = nullptr;
        for (const Option& option : options)
            if (!std::strcmp(argv[i], option.name)) known = &option;
        if (known && i + 1 < argc)
            known->take(argv[i + 1]);
        else
            understood = false;
    }
    return understood;
}

// An option's whole number, at least `least`.
inline int atLeast(int least, const char* value) { return std::max(least, std::atoi(value)); }

// An option's value as an unsigned count, read as strtoul reads it.
inline unsigned int countOf(const char* value) {
    return static_cast<unsigned int>(std::strtoul(value, nullptr, 10));
}

// Runs MEL `commands`; on a failure prints them and returns false.
inline bool run(const std::string& commands) {
    if (MGlobal::executeCommand(commands.c_str())) return true;
    std::fprintf(stderr, BENCH_NAME ": failed: %s\n", commands.c_str());
    return false;
}

// The plug called `name` ("node.attribute"); false, and `plug` untouched, where there is none.
inline bool findPlug(const std::string& name, MPlug& plug) {
    MSelectionList list;
    return list.add(name.c_str()) && list.getPlug(0, plug);
}

// The plug called `name`; a null plug where there is none.
inline MPlug plugOf(const std::string& name) {
    MPlug plug;
    findPlug(name, plug);
    return plug;
}

// Adds up the stage times reported during the computes since the last clear.
class StageTotals : public StageListener {
public:
    void stageFinished(const char* stage, double seconds) override { totals[stage] += seconds; }
    std::map<std::string, double> totals;
};

using StageHook = void (*)(StageListener*);

// The entry through which the benchmark plug-in at `pluginPath` (already loaded) installs a
// stage listener; null, after a message, where the plug-in has none.
inline StageHook stageHookOf(const char* pluginPath) {
    void* library = dlopen(pluginPath, RTLD_NOW | RTLD_NOLOAD);
    auto hook = library ? reinterpret_cast<StageHook>(dlsym(library, "setBenchStageListener"))
                        : nullptr;
    if (!hook) std::fprintf(stderr, BENCH_NAME ": the plug-in has no stage hook\n");
    return hook;
}

// Prints each stage's time in milliseconds, `width` characters a column, 0 for a stage that
// did not report.
template <size_t N>
void printStageTimes(const char* const (&stages)[N], const std::map<std::string, double>& times,
                     int width) {
    for (const char* stage : stages) {
        const auto it = times.find(stage);
        std::printf(" %*.1f", width, it == times.end() ? 0.0 : it->second * 1e3);
    }
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The wall-clock seconds that `work` takes.
template <class Work>
double secondsOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return secondsSince(start);
}

// The middle value; of an even count, the upper of the two middle ones.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The run of median `seconds` (a member of each run), by the same rule as median().
template <class Run>
Run medianRun(std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

}  // namespace bench
