// The cpu backend's launch workers: one team per copy of the runtime, started on the first launch
// large enough to share.
//
// A launch splits its blocks into chunks that the calling thread and the workers take from one
// counter. The caller never waits for a worker that has not started: once the caller finds no
// chunk left it closes the launch, and only the workers that took a seat before that are waited
// for. Launches often follow each other within microseconds (a loop of short kernels), so a
// worker that leaves one watches for the next for a short while before it sleeps; an idle team
// sleeps and burns no core.
#include <gpu/runtime.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// A grid of fewer kernel threads than this (a few blocks) costs less to run than to hand over,
// and runs on the calling thread alone.
constexpr long long kMinThreadsToShare = 1024;
// Larger grids give each host thread about this many chunks of whole blocks, so that the last
// chunks are short and a thread that the system holds back while others run holds back little.
constexpr long long kChunksPerThread = 8;
// How long a worker that has left a launch, or the caller waiting for the workers of its launch,
// watches before it sleeps.
constexpr std::chrono::microseconds kSpinTime{50};
// The most workers a team has, whatever hostThreads() says.
constexpr int kMaxWorkers = 1023;

int processorsAvailable() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

std::atomic<int> hostThreadCount{0};  // 0: as many as processorsAvailable()

struct Launch {
    void (*run)(void* context, long long first, long long last);
    void* context;
    long long blocks;
    long long blocksPerChunk;
    long long chunks;
    std::atomic<long long> nextChunk{0};

    // Runs chunks until none is left.
    void takeChunks() {
        for (long long c; (c = nextChunk.fetch_add(1, std::memory_order_relaxed)) < chunks;) {
            const long long first = c * blocksPerChunk;
            run(context, first, std::min(blocks, first + blocksPerChunk));
        }
    }
};

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Spins until `done()` or the spin time has passed; true when done() held.
template <typename Done>
bool spinUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + kSpinTime;
    for (int i = 0;; ++i) {
        if (done()) return true;
        cpuRelax();
        if ((i & 15) == 15 && std::chrono::steady_clock::now() >= end) return done();
    }
}

// The team's state in one word, so that a worker takes a seat in the open launch, or learns that
// it has closed, in one atomic step: the launch's number, whether it is open, the seats it still
// offers and the workers seated in it.
class TeamState {
public:
    static constexpr std::uint64_t kSeated = 1;              // bits 0..15
    static constexpr std::uint64_t kSeat = 1ull << 16;       // bits 16..31
    static constexpr std::uint64_t kOpen = 1ull << 32;       // bit 32
    static constexpr std::uint64_t kNumber = 1ull << 33;     // bits 33..63
    static constexpr std::uint64_t kSeatsMask = 0xFFFFull << 16;

    static std::uint64_t number(std::uint64_t s) { return s / kNumber; }
    static bool open(std::uint64_t s) { return (s & kOpen) != 0; }
    static unsigned seats(std::uint64_t s) { return static_cast<unsigned>((s >> 16) & 0xFFFF); }
    static unsigned seated(std::uint64_t s) { return static_cast<unsigned>(s & 0xFFFF); }
};

class WorkerTeam {
public:
    ~WorkerTeam() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // Runs the launch on the calling thread and up to `helpers` workers. False, having run
    // nothing, when the team is busy with a launch from another thread.
    bool share(Launch& launch, int helpers) {
        if (inUse_.exchange(true, std::memory_order_acquire)) return false;
        helpers = startWorkers(std::min(helpers, kMaxWorkers));
        launch_ = &launch;
        const std::uint64_t number = ++launches_;
        state_.store(number * TeamState::kNumber | TeamState::kOpen |
                         static_cast<std::uint64_t>(helpers) * TeamState::kSeat,
                     std::memory_order_seq_cst);
        if (sleepers_.load(std::memory_order_seq_cst) > 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            wake_.notify_all();
        }

        launch.takeChunks();

        // Close: workers that look from now on find no seat; wait for those seated.
        const std::uint64_t closed =
            state_.fetch_and(~(TeamState::kOpen | TeamState::kSeatsMask),
                             std::memory_order_acq_rel);
        if (TeamState::seated(closed) > 0 && !spinUntil([this] { return nobodySeated(); })) {
            std::unique_lock<std::mutex> lock(mutex_);
            finished_.wait(lock, [this] { return nobodySeated(); });
        }
        inUse_.store(false, std::memory_order_release);
        return true;
    }

private:
    // Starts workers up to `wanted`; how many of them there are.
    int startWorkers(int wanted) {
        if (static_cast<int>(workers_.size()) >= wanted) return wanted;
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            while (static_cast<int>(workers_.size()) < wanted)
                workers_.emplace_back([this] { work(); });
        } catch (const std::system_error&) {  // no more threads: share with those there are
        }
        return std::min(wanted, static_cast<int>(workers_.size()));
    }

    bool nobodySeated() const {
        return TeamState::seated(state_.load(std::memory_order_acquire)) == 0;
    }

    void work() {
        std::uint64_t lastSeen = 0;  // the number of the last launch this worker looked at
        for (;;) {
            auto newer = [&] {
                return TeamState::number(state_.load(std::memory_order_seq_cst)) != lastSeen;
            };
            if (!spinUntil(newer) && !sleepUntil(newer)) return;
            std::uint64_t s = state_.load(std::memory_order_acquire);
            lastSeen = TeamState::number(s);
            if (takeSeat(s, lastSeen)) {
                launch_->takeChunks();
                leaveSeat();
            }
        }
    }

    // Sleeps until `newer()`; false when the team stops.
    template <typename Newer>
    bool sleepUntil(Newer newer) {
        std::unique_lock<std::mutex> lock(mutex_);
        sleepers_.fetch_add(1, std::memory_order_seq_cst);
        wake_.wait(lock, [&] { return stopping_ || newer(); });
        sleepers_.fetch_sub(1, std::memory_order_relaxed);
        return !stopping_;
    }

    // Takes a seat in launch `number` while it is open and has one left.
    bool takeSeat(std::uint64_t s, std::uint64_t number) {
        while (TeamState::number(s) == number && TeamState::open(s) && TeamState::seats(s) > 0) {
            if (state_.compare_exchange_weak(s, s - TeamState::kSeat + TeamState::kSeated,
                                             std::memory_order_acquire))
                return true;
        }
        return false;
    }

    void leaveSeat() {
        const std::uint64_t s =
            state_.fetch_sub(TeamState::kSeated, std::memory_order_release) - TeamState::kSeated;
        if (!TeamState::open(s) && TeamState::seated(s) == 0) {
            std::lock_guard<std::mutex> lock(mutex_);  // the caller may be about to sleep
            finished_.notify_one();
        }
    }

    std::atomic<std::uint64_t> state_{0};
    std::atomic<bool> inUse_{false};  // a host thread's launch holds the team
    std::atomic<int> sleepers_{0};
    Launch* launch_ = nullptr;  // the open launch; read by a worker once seated
    std::uint64_t launches_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::vector<std::thread> workers_;
    bool stopping_ = false;
};

WorkerTeam& team() {
    static WorkerTeam workers;  // joined when the runtime's copy is unloaded or the process ends
    return workers;
}

}  // namespace
namespace gpu {

int hostThreads() {
    const int set = hostThreadCount.load(std::memory_order_relaxed);
    return set > 0 ? set : processorsAvailable();
}

void setHostThreads(int threads) {
    hostThreadCount.store(std::max(0, threads), std::memory_order_relaxed);
}

}  // namespace gpu

namespace gpu::detail {

void runBlocks(long long blocks, long long threadsPerBlock,
               void (*run)(void* context, long long first, long long last), void* context) {
    // A grid of few kernel threads runs alone; compared by blocks, since the count of threads
    // of the largest grids overflows.
    if (blocks < (kMinThreadsToShare + threadsPerBlock - 1) / threadsPerBlock) {
        run(context, 0, blocks);
        return;
    }
    Launch launch;
    launch.run = run;
    launch.context = context;
    launch.blocks = blocks;
    const long long threads = hostThreads();
    launch.blocksPerChunk =
        (blocks + threads * kChunksPerThread - 1) / (threads * kChunksPerThread);
    launch.chunks = (blocks + launch.blocksPerChunk - 1) / launch.blocksPerChunk;
    const long long helpers = std::min(threads - 1, launch.chunks - 1);
    if (helpers > 0 && team().share(launch, static_cast<int>(helpers))) return;
    run(context, 0, blocks);
}

}  // namespace gpu::detail
