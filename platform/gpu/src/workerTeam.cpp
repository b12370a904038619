// The cpu backend's launch workers: one team per copy of the runtime, started on the first launch
// large enough to share, asleep between launches.
//
// A launch splits its blocks into chunks that the calling thread and the workers take from one
// counter. The caller never waits for a worker that has not started: once the caller finds no
// chunk left it closes the launch, and only the workers that took chunks before that are waited
// for. On a loaded machine a worker that wakes late costs nothing, and none spins.
#include <gpu/runtime.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
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
        std::unique_lock<std::mutex> lock(mutex_);  // never held while blocks run
        if (launch_ != nullptr) return false;       // another host thread's launch
        try {
            while (static_cast<int>(workers_.size()) < helpers)
                workers_.emplace_back([this] { work(); });
        } catch (const std::system_error&) {  // no more threads: share with those there are
            helpers = static_cast<int>(workers_.size());
        }
        launch_ = &launch;
        open_ = true;
        wanted_ = helpers;
        lock.unlock();
        for (int i = 0; i < helpers; ++i) wake_.notify_one();

        launch.takeChunks();

        lock.lock();
        open_ = false;  // workers that wake from now on find nothing to join
        finished_.wait(lock, [this] { return joined_ == 0; });
        launch_ = nullptr;
        return true;
    }

private:
    void work() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || (open_ && wanted_ > 0); });
            if (stopping_) return;
            Launch* launch = launch_;
            --wanted_;
            ++joined_;
            lock.unlock();
            launch->takeChunks();
            lock.lock();
            if (--joined_ == 0) finished_.notify_one();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::vector<std::thread> workers_;
    Launch* launch_ = nullptr;  // the launch under way, until every worker has left it
    bool open_ = false;         // whether workers may still join it
    int wanted_ = 0;            // workers the open launch still takes
    int joined_ = 0;            // workers running chunks of it
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
