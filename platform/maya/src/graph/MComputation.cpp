#include <maya/MComputation.h>
#include <mayahost/Interrupt.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> interruptFlag{false};
std::atomic<int> checksUntilInterrupt{0};
volatile std::sig_atomic_t signalsSeen = 0;

extern "C" void onInterruptSignal(int) {
    if (signalsSeen) _exit(130);
    signalsSeen = 1;
    interruptFlag.store(true);
}

}  // namespace

namespace mayahost {

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterruptSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

void requestInterrupt() { interruptFlag.store(true); }

void requestInterruptAfterChecks(int n) { checksUntilInterrupt.store(n > 0 ? n : 0); }

void clearInterrupt() {
    checksUntilInterrupt.store(0);
    interruptFlag.store(false);
    signalsSeen = 0;
}

bool interruptPending() { return interruptFlag.load(); }

}  // namespace mayahost

void MComputation::beginComputation(bool, bool isInterruptable, bool) {
    active_ = true;
    interruptable_ = isInterruptable;
    progress_ = min_;
}

bool MComputation::isInterruptRequested() {
    if (active_ && !interruptable_) return false;
    int left = checksUntilInterrupt.load();
    while (left > 0 && !checksUntilInterrupt.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 1) interruptFlag.store(true);
    return interruptFlag.load();
}

void MComputation::endComputation() {
    active_ = false;
    interruptable_ = true;
}

bool MComputation::setProgressRange(const int minValue, const int maxValue) {
    if (minValue > maxValue) return false;
    min_ = minValue;
    max_ = maxValue;
    progress_ = minValue;
    return true;
}

bool MComputation::setProgress(const int value) {
    progress_ = value < min_ ? min_ : (value > max_ ? max_ : value);
    return true;
}

bool MComputation::setProgressStatus(const MString&) { return true; }
