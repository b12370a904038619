#include "common/stageTimer.h"

#include <gpu/runtime.h>

namespace {
StageListener* installedListener = nullptr;
}

void setStageListener(StageListener* listener) { installedListener = listener; }

StageListener* stageListener() { return installedListener; }

StageTimer::StageTimer(const char* stage)
    : stage_(stage), start_(std::chrono::steady_clock::now()) {}

StageTimer::~StageTimer() { finish(); }

void StageTimer::next(const char* stage) {
    finish();
    stage_ = stage;
    start_ = std::chrono::steady_clock::now();
}

void StageTimer::finish() {
    if (!installedListener || !stage_) return;
    // Launches return before the device has finished on a GPU.
    cudaDeviceSynchronize();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    installedListener->stageFinished(stage_, elapsed.count());
    stage_ = nullptr;
}
