#include "hostThreads.h"

#include <gpu/launch.h>
#include <gpu/parallelThreads.h>
#include <gpu/runtime.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <tbb/task_arena.h>
#include <tbb/task_scheduler_observer.h>
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

// A thread's name and turn, as they were before it joined the arena of gpu::parallel.
struct OwnSettings {
    char name[16] = {};
    std::uint64_t turn = 0;
    bool saved = false;
};
thread_local OwnSettings ownSettings;

// TBB's workers serve every arena in the process, the host's own included. One that joins the
// arena of gpu::parallel's algorithms works in the launch workers' short bursts, under their
// name, and gets its own name and turn back when it leaves.
class ParallelWorkers : public tbb::task_scheduler_observer {
public:
    explicit ParallelWorkers(tbb::task_arena& arena) : tbb::task_scheduler_observer(arena) {
        observe(true);
    }
    ~ParallelWorkers() override { observe(false); }

    void on_scheduler_entry(bool isWorker) override {
        OwnSettings& own = ownSettings;
        SchedulingAttributes attributes;
        if (!isWorker || own.saved || !readAttributes(attributes)) return;
        own.turn = attributes.runtime;
        own.saved = pthread_getname_np(pthread_self(), own.name, sizeof own.name) == 0;
        if (!own.saved) return;
        pthread_setname_np(pthread_self(), "gpu parallel");
        setTurn(attributes, kShortTurn);
    }

    void on_scheduler_exit(bool isWorker) override {
        OwnSettings& own = ownSettings;
        SchedulingAttributes attributes;
        if (!isWorker || !own.saved) return;
        own.saved = false;
        pthread_setname_np(pthread_self(), own.name);
        if (readAttributes(attributes)) setTurn(attributes, own.turn);
    }
};

struct ParallelArena {
    tbb::task_arena arena;
    ParallelWorkers workers{arena};
};

ParallelArena& parallelArena() {
    static ParallelArena* const arena = new ParallelArena;  // kept to the end: no order of exit
    return *arena;
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

void runWithParallelThreads(const std::function<void()>& work) {
    parallelArena().arena.execute(work);
}

int hostThreads() {
    const int set = hostThreadCount.load(std::memory_order_relaxed);
    return set > 0 ? set : detail::processorsAvailable();
}

void setHostThreads(int threads) {
    hostThreadCount.store(std::max(0, threads), std::memory_order_relaxed);
}

}  // namespace gpu
