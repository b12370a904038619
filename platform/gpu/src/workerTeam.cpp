// The cpu backend's launch workers: one team per copy of the runtime, started on the first launch
// large enough to share.
//
// What the team runs is a sequence of launches: one launch, or the launches of a batch. Each
// launch is split into chunks of blocks that the calling thread and the workers take from one
// counter; the thread that finishes a launch's last chunk opens the next launch, so the workers
// go on through a batch whether or not the calling thread is running. A run of banded launches
// is one stage, whose groups of blocks each wait only for the groups beside them in the launch
// before. The caller never waits for a worker that has not started: once the caller finds no
// chunk left in the last launch it closes the team, and only the workers that took a seat before
// that are waited for. Launches often follow each other within microseconds (a loop of short
// kernels), so a worker with nothing to do watches for more for a short while before it sleeps;
// an idle team sleeps and burns no core.
#include <gpu/runtime.h>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "hostThreads.h"

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

// What threads sleep on until another thread has changed what they wait for. A woken thread
// takes no lock on its way back (the word is a futex), so a thread that the system holds back,
// waker or woken, holds back no one else.
class Signal {
public:
    // Sleeps until done(); `done` reads what a thread changes before it calls notify().
    template <typename Done>
    void waitUntil(Done done) {
        sleepers_.fetch_add(1, std::memory_order_seq_cst);
        for (;;) {
            const std::uint32_t seen = word_.load(std::memory_order_seq_cst);
            if (done()) break;
            futex(FUTEX_WAIT_PRIVATE, seen);  // returns at once if the word has moved on
        }
        sleepers_.fetch_sub(1, std::memory_order_relaxed);
    }

    // Wakes the threads asleep in waitUntil, so that they look at done() again.
    void notify() {
        word_.fetch_add(1, std::memory_order_seq_cst);
        if (sleepers_.load(std::memory_order_seq_cst) > 0) futex(FUTEX_WAKE_PRIVATE, INT_MAX);
    }

private:
    void futex(int operation, std::uint32_t value) {
        syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word_), operation, value, nullptr,
                nullptr, 0);
    }

    std::atomic<std::uint32_t> word_{0};
    std::atomic<int> sleepers_{0};
};
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t), "a futex is a word");

// A stage of a sequence, whose pieces threads take: one launch, or a run of banded launches.
class Stage {
public:
    virtual ~Stage() = default;
    // The most threads that it can use.
    virtual long long widest() const = 0;
    // Runs pieces until none is left to take; true for the thread that has finished the last
    // piece. Once `failed` holds, pieces are counted without running; a kernel that throws sets
    // it.
    virtual bool take(std::atomic<bool>& failed) = 0;

protected:
    static void run(const gpu::detail::LaunchCall& call, long long first, long long last,
                    std::atomic<bool>& failed) {
        if (!failed.load(std::memory_order_relaxed) && !call.runBlocks(first, last))
            failed.store(true, std::memory_order_relaxed);
    }
};

// The blocks of one piece when `blocks` are shared by `threads` host threads: about
// kChunksPerThread pieces each.
long long blocksPerPiece(long long blocks, long long threads) {
    return (blocks + threads * kChunksPerThread - 1) / (threads * kChunksPerThread);
}

// One launch, in chunks of whole blocks that any thread takes. A grid of few kernel threads, or
// one that runs in order, is one chunk.
class Step final : public Stage {
public:
    Step(const gpu::detail::LaunchCall& launch, long long threads) : call_(launch) {
        // Compared by blocks, since the count of threads of the largest grids overflows.
        const long long fewBlocks =
            (kMinThreadsToShare + launch.threadsPerBlock - 1) / launch.threadsPerBlock;
        const long long blocks = launch.blocks;  // at least 1: refused shapes are never queued
        blocksPerChunk_ = launch.order == gpu::detail::BlockOrder::inOrder || blocks < fewBlocks
                              ? blocks
                              : blocksPerPiece(blocks, threads);
        chunks_ = (blocks + blocksPerChunk_ - 1) / blocksPerChunk_;
        stripes_ = std::min(threads, chunks_);
        claims_ = stripes_ * ((chunks_ + stripes_ - 1) / stripes_);
    }

    long long widest() const override { return chunks_; }

    bool take(std::atomic<bool>& failed) override {
        for (;;) {
            const long long claim = nextChunk_.fetch_add(1, std::memory_order_relaxed);
            if (claim >= claims_) return false;
            const long long c = chunkOfClaim(claim);
            if (c < 0) continue;
            const long long first = c * blocksPerChunk_;
            run(call_, first, std::min(call_.blocks, first + blocksPerChunk_), failed);
            if (chunksDone_.fetch_add(1, std::memory_order_acq_rel) + 1 == chunks_) return true;
        }
    }

private:
    // The chunks lie in one stripe per thread, and claims go round the stripes: the first claims
    // of the threads land far apart, and a thread's next claim mostly follows on from its last.
    // Threads then seldom touch fresh memory in the same place at once, where each of them would
    // wait for and clear the same new page. -1 for a claim past the end of a shorter stripe.
    long long chunkOfClaim(long long claim) const {
        const long long stripe = claim % stripes_, step = claim / stripes_;
        const long long start = stripe * chunks_ / stripes_;
        return start + step < (stripe + 1) * chunks_ / stripes_ ? start + step : -1;
    }

    const gpu::detail::LaunchCall& call_;
    long long blocksPerChunk_ = 0;
    long long chunks_ = 0;
    long long stripes_ = 1;
    long long claims_ = 0;
    std::atomic<long long> nextChunk_{0};
    std::atomic<long long> chunksDone_{0};
};

// Banded launches of one grid, one after another: each launch's blocks in groups (tasks), and
// task i of a launch ready once tasks i - 1 to i + 1 of the launch before have run. Tasks go
// into a list as they become ready, the first launch's at once, and threads take them from it
// in that order, so a thread held back in one task holds back only the tasks after it that
// need it (and, for an instant, a thread held back between taking a place in the list and
// writing the task there holds back those who take from the list).
class BandedRun final : public Stage {
public:
    BandedRun(const gpu::detail::LaunchCall* const* calls, long long launches, long long threads)
        : calls_(calls),
          blocksPerTask_(blocksPerPiece(calls[0]->blocks, threads)),
          tasksPerLaunch_((calls[0]->blocks + blocksPerTask_ - 1) / blocksPerTask_),
          tasks_(launches * tasksPerLaunch_),
          waitingFor_(new std::atomic<int>[tasks_]),
          ready_(new std::atomic<long long>[tasks_]) {
        for (long long t = 0; t < tasks_; ++t) {
            const long long i = t % tasksPerLaunch_;
            const int before =
                t < tasksPerLaunch_ ? 0 : 1 + (i > 0 ? 1 : 0) + (i + 1 < tasksPerLaunch_ ? 1 : 0);
            waitingFor_[t].store(before, std::memory_order_relaxed);
            ready_[t].store(t < tasksPerLaunch_ ? t : kEmpty, std::memory_order_relaxed);
        }
        readyCount_.store(tasksPerLaunch_, std::memory_order_relaxed);
    }

    long long widest() const override { return tasksPerLaunch_; }

    bool take(std::atomic<bool>& failed) override {
        for (;;) {
            const long long task = claim();
            if (task < 0) return false;
            const long long i = task % tasksPerLaunch_;
            const long long first = i * blocksPerTask_;
            const gpu::detail::LaunchCall& call = *calls_[task / tasksPerLaunch_];
            run(call, first, std::min(call.blocks, first + blocksPerTask_), failed);
            if (finish(task)) return true;
        }
    }

private:
    static constexpr long long kEmpty = -1;

    // The next task of the ready list, waited for while none is ready; -1 once all are taken.
    long long claim() {
        for (;;) {
            long long next = claimed_.load(std::memory_order_acquire);
            auto readyOrTaken = [&] {
                next = claimed_.load(std::memory_order_acquire);
                return next >= tasks_ || ready_[next].load(std::memory_order_acquire) != kEmpty;
            };
            if (!readyOrTaken() && !spinUntil(readyOrTaken)) listed_.waitUntil(readyOrTaken);
            if (next >= tasks_) return -1;
            if (claimed_.compare_exchange_weak(next, next + 1, std::memory_order_acq_rel)) {
                if (next + 1 == tasks_) listed_.notify();  // those waiting for more leave
                return ready_[next].load(std::memory_order_relaxed);
            }
        }
    }

    // Lists the tasks of the next launch that `task` was the last to hold back; true when it was
    // the last task of the run.
    bool finish(long long task) {
        const long long next = task + tasksPerLaunch_;
        if (next < tasks_) {
            const long long i = task % tasksPerLaunch_;
            bool listed = false;
            for (long long j = std::max(0ll, i - 1); j <= std::min(tasksPerLaunch_ - 1, i + 1); ++j)
                if (waitingFor_[next - i + j].fetch_sub(1, std::memory_order_acq_rel) == 1) {
                    ready_[readyCount_.fetch_add(1, std::memory_order_relaxed)].store(
                        next - i + j, std::memory_order_release);
                    listed = true;
                }
            if (listed) listed_.notify();
        }
        return done_.fetch_add(1, std::memory_order_acq_rel) + 1 == tasks_;
    }

    const gpu::detail::LaunchCall* const* calls_;
    const long long blocksPerTask_, tasksPerLaunch_, tasks_;
    std::unique_ptr<std::atomic<int>[]> waitingFor_;   // tasks of the launch before not yet run
    std::unique_ptr<std::atomic<long long>[]> ready_;  // the ready list, kEmpty past its end
    std::atomic<long long> readyCount_{0};             // entries of the list handed out
    std::atomic<long long> claimed_{0};                // entries of the list taken
    std::atomic<long long> done_{0};
    Signal listed_;  // a task has joined the list, or the last one was taken
};

// Whether calls[k] and calls[k + 1] are banded launches of one grid.
bool bandedPair(const gpu::detail::LaunchCall* const* calls, size_t k) {
    return calls[k]->order == gpu::detail::BlockOrder::banded &&
           calls[k + 1]->order == gpu::detail::BlockOrder::banded &&
           calls[k]->blocks == calls[k + 1]->blocks;
}

// Launches that run one after another, each whole before the next begins (banded ones as if
// so); any thread may take their pieces.
class Sequence {
public:
    Sequence(const gpu::detail::LaunchCall* const* calls, size_t count, long long threads) {
        for (size_t k = 0; k < count;) {
            size_t end = k + 1;
            while (end < count && bandedPair(calls, end - 1)) ++end;
            if (end - k > 1) {
                stages_.push_back(std::make_unique<BandedRun>(calls + k, end - k, threads));
            } else {
                stages_.push_back(std::make_unique<Step>(*calls[k], threads));
            }
            k = end;
        }
    }

    // The most threads that any of its stages can use.
    long long widest() const {
        long long threads = 1;
        for (const auto& stage : stages_) threads = std::max(threads, stage->widest());
        return threads;
    }

    bool failed() const { return failed_.load(std::memory_order_relaxed); }

    // Takes pieces until none is left in the last stage. Pieces of the last stage may still be
    // running on other threads when it returns.
    void take() {
        for (size_t k = current_.load(std::memory_order_acquire); k < stages_.size();
             k = current_.load(std::memory_order_acquire)) {
            if (stages_[k]->take(failed_)) {
                open(k + 1);
            } else if (k + 1 == stages_.size()) {
                return;
            } else {
                waitPast(k);
            }
        }
    }

private:
    void open(size_t k) {
        current_.store(k, std::memory_order_seq_cst);
        opened_.notify();
    }

    // Returns once stage k has finished.
    void waitPast(size_t k) {
        auto past = [&] { return current_.load(std::memory_order_seq_cst) != k; };
        if (!spinUntil(past)) opened_.waitUntil(past);
    }

    std::vector<std::unique_ptr<Stage>> stages_;
    std::atomic<size_t> current_{0};  // the stage under way
    std::atomic<bool> failed_{false};
    Signal opened_;
};

// The team's state in one word, so that a worker takes a seat in the open launch, or learns that
// it has closed, in one atomic step: the launch's number, whether it is open, the seats it still
// offers and the workers seated in it.
class TeamState {
public:
    static constexpr std::uint64_t kSeated = 1;           // bits 0..15
    static constexpr std::uint64_t kSeat = 1ull << 16;    // bits 16..31
    static constexpr std::uint64_t kOpen = 1ull << 32;    // bit 32
    static constexpr std::uint64_t kNumber = 1ull << 33;  // bits 33..63
    static constexpr std::uint64_t kSeatsMask = 0xFFFFull << 16;

    static std::uint64_t number(std::uint64_t s) { return s / kNumber; }
    static bool open(std::uint64_t s) { return (s & kOpen) != 0; }
    static unsigned seats(std::uint64_t s) { return static_cast<unsigned>((s >> 16) & 0xFFFF); }
    static unsigned seated(std::uint64_t s) { return static_cast<unsigned>(s & 0xFFFF); }
};

class WorkerTeam {
public:
    ~WorkerTeam() {
        stopping_.store(true, std::memory_order_seq_cst);
        launched_.notify();
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::thread& worker : workers_) worker.join();
    }

    // Runs the sequence on the calling thread and up to `helpers` workers. False, having run
    // nothing, when the team is busy with launches from another thread.
    bool share(Sequence& sequence, int helpers) {
        if (inUse_.exchange(true, std::memory_order_acquire)) return false;
        helpers = startWorkers(std::min(helpers, kMaxWorkers));
        sequence_ = &sequence;
        const std::uint64_t number = ++launches_;
        state_.store(number * TeamState::kNumber | TeamState::kOpen |
                         static_cast<std::uint64_t>(helpers) * TeamState::kSeat,
                     std::memory_order_seq_cst);
        launched_.notify();

        sequence.take();

        // Close: workers that look from now on find no seat; wait for those seated.
        const std::uint64_t closed = state_.fetch_and(~(TeamState::kOpen | TeamState::kSeatsMask),
                                                      std::memory_order_acq_rel);
        auto finished = [this] { return nobodySeated(); };
        if (TeamState::seated(closed) > 0 && !spinUntil(finished)) left_.waitUntil(finished);
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
        gpu::detail::prepareTeamThread("gpu launches");
        std::uint64_t lastSeen = 0;  // the number of the last launch this worker looked at
        for (;;) {
            auto newer = [&] {
                return TeamState::number(state_.load(std::memory_order_seq_cst)) != lastSeen;
            };
            if (!spinUntil(newer) && !sleepUntil(newer)) return;
            std::uint64_t s = state_.load(std::memory_order_acquire);
            lastSeen = TeamState::number(s);
            if (takeSeat(s, lastSeen)) {
                sequence_->take();
                leaveSeat();
            }
        }
    }

    // Sleeps until `newer()`; false when the team stops.
    template <typename Newer>
    bool sleepUntil(Newer newer) {
        auto stopping = [this] { return stopping_.load(std::memory_order_seq_cst); };
        launched_.waitUntil([&] { return stopping() || newer(); });
        return !stopping();
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
        if (!TeamState::open(s) && TeamState::seated(s) == 0) left_.notify();
    }

    std::atomic<std::uint64_t> state_{0};
    std::atomic<bool> inUse_{false};  // a host thread's launch holds the team
    Sequence* sequence_ = nullptr;    // what the open launch runs; read by a worker once seated
    std::uint64_t launches_ = 0;
    Signal launched_;   // a launch has opened, or the team stops
    Signal left_;       // the last seated worker has left a closed launch
    std::mutex mutex_;  // guards workers_
    std::vector<std::thread> workers_;
    std::atomic<bool> stopping_{false};
};

WorkerTeam& team() {
    static WorkerTeam workers;  // joined when the runtime's copy is unloaded or the process ends
    return workers;
}

// Runs the launches in order with as many workers as they can use, or alone when the team is
// busy. Nothing runs when there is no memory to plan them.
void run(const gpu::detail::LaunchCall* const* calls, size_t count) {
    const long long threads = gpu::hostThreads();
    std::unique_ptr<Sequence> sequence;
    try {
        sequence = std::make_unique<Sequence>(calls, count, threads);
    } catch (const std::bad_alloc&) {
        gpu::detail::recordError(cudaErrorMemoryAllocation);
        return;
    }
    const long long helpers = std::min(threads - 1, sequence->widest() - 1);
    if (helpers <= 0 || !team().share(*sequence, static_cast<int>(helpers))) sequence->take();
    if (sequence->failed()) gpu::detail::recordError(cudaErrorLaunchFailure);
}

// The launches queued by the batch open on this thread.
struct Batch {
    int depth = 0;
    std::vector<std::unique_ptr<gpu::detail::LaunchCall>> calls;
};
thread_local Batch batch;

}  // namespace

namespace gpu::detail {

void runNow(const LaunchCall& call) {
    const LaunchCall* const calls[] = {&call};
    run(calls, 1);
}

bool batchOpen() { return batch.depth > 0; }

void queue(std::unique_ptr<LaunchCall> call) { batch.calls.push_back(std::move(call)); }

void openBatch() { ++batch.depth; }

void closeBatch() {
    if (--batch.depth > 0 || batch.calls.empty()) return;
    std::vector<std::unique_ptr<LaunchCall>> owned;
    owned.swap(batch.calls);
    std::vector<const LaunchCall*> calls;
    try {
        calls.resize(owned.size());
    } catch (const std::bad_alloc&) {
        return recordError(cudaErrorMemoryAllocation);
    }
    for (size_t k = 0; k < owned.size(); ++k) calls[k] = owned[k].get();
    run(calls.data(), calls.size());
}

}  // namespace gpu::detail
