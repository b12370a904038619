#pragma once
// Optional wall-clock timing of the named stages of a compute, for benchmarks. Nothing is
// measured or reported unless a listener is installed, and a node's results never depend on it.
#include <chrono>

class StageListener {
public:
    virtual ~StageListener() = default;
    // `stage` (a string literal) has finished after `seconds` of wall-clock time, the device work
    // it launched included.
    virtual void stageFinished(const char* stage, double seconds) = 0;
};

// Installs the listener that the timers of this library report to; null removes it. Install it
// before the computes to be timed, from the thread that runs them.
void setStageListener(StageListener* listener);
StageListener* stageListener();

// Times one stage from construction (or from next()) until destruction (or the next next()).
// With a listener installed, the end of a stage waits for the device work launched so far.
class StageTimer {
public:
    explicit StageTimer(const char* stage);
    ~StageTimer();
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

    // Ends the current stage and starts `stage`; null starts none (for a stretch that times its
    // own stages).
    void next(const char* stage);

private:
    void finish();

    const char* stage_;
    std::chrono::steady_clock::time_point start_;
};
