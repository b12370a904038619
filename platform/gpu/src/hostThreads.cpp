#include "hostThreads.h"

#include <gpu/launch.h>
#include <gpu/runtime.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>

namespace {

std::atomic<int> hostThreadCount{0};  // 0: as many as processorsAvailable()

// The turn that a team thread asks for, in nanoseconds: the shortest the scheduler grants.
constexpr std::uint64_t kShortTurn = 100000;

// The kernel's sched_attr (sched_getattr(2)); the C library has no wrapper for it.
struct SchedulingAttributes {
    std::uint32_t size;
    std::uint32_t policy;
    std::uint64_t flags;
    std::int32_t nice;
    std::uint32_t priority;
    std::uint64_t runtime;  // for a normal thread: the turn it asks for
    std::uint64_t deadline;
    std::uint64_t period;
    std::uint32_t utilMin;
    std::uint32_t utilMax;
};

// The calling thread's scheduling attributes; false where the system has none to give.
bool readAttributes(SchedulingAttributes& attributes) {
    attributes = SchedulingAttributes{};
    return syscall(SYS_sched_getattr, 0, &attributes, sizeof attributes, 0) == 0;
}

// Sets the calling thread's turn; false where it is not a normal thread or the system refuses.
bool setTurn(SchedulingAttributes attributes, std::uint64_t turn) {
    if (attributes.policy != SCHED_OTHER && attributes.policy != SCHED_BATCH) return false;
    attributes.size = sizeof attributes;
    attributes.flags = 0;
    attributes.runtime = turn;
    return syscall(SYS_sched_setattr, 0, &attributes, 0) == 0;
}

void askForShortTurns() {
    SchedulingAttributes attributes;
    if (readAttributes(attributes)) setTurn(attributes, kShortTurn);
}

}  // namespace

namespace gpu::detail {

int processorsAvailable() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

void prepareTeamThread(const char* name) {
    pthread_setname_np(pthread_self(), name);
    askForShortTurns();
}

}  // namespace gpu::detail

namespace gpu {

ShortTurns::ShortTurns() {
    SchedulingAttributes attributes;
    if (!readAttributes(attributes) || attributes.runtime == kShortTurn) return;
    previousTurn_ = attributes.runtime;
    changed_ = setTurn(attributes, kShortTurn);
}

ShortTurns::~ShortTurns() {
    SchedulingAttributes attributes;
    if (changed_ && readAttributes(attributes)) setTurn(attributes, previousTurn_);
}

int hostThreads() {
    const int set = hostThreadCount.load(std::memory_order_relaxed);
    return set > 0 ? set : detail::processorsAvailable();
}

void setHostThreads(int threads) {
    hostThreadCount.store(std::max(0, threads), std::memory_order_relaxed);
}

}  // namespace gpu
