#include "common/stageTimer.h"

#include <gpu/runtime.h>

namespace {

StageListener* installedListener = nullptr;

// The start of a stage, when someone listens.
std::chrono::steady_clock::time_point startIfListened() {
    return installedListener ? std::chrono::steady_clock::now()
                             : std::chrono::steady_clock::time_point();
}

}  // namespace

void setStageListener(StageListener* listener) { installedListener = listener; }

StageListener* stageListener() { return installedListener; }

StageTimer::StageTimer(const char* stage) : stage_(stage), start_(startIfListened()) {}

StageTimer::~StageTimer() { finish(); }

void StageTimer::next(const char* stage) {
    finish();
    stage_ = stage;
    start_ = startIfListened();
}

void StageTimer::finish() {
    // A stage that began before the listener came is not reported.
    if (!installedListener || !stage_ || start_ == std::chrono::steady_clock::time_point()) return;
    // Launches return before the device has finished on a GPU.
    cudaDeviceSynchronize();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    installedListener->stageFinished(stage_, elapsed.count());
    stage_ = nullptr;
}
