#include <gpu/launch.h>
#include <gpu/thrust.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>

#include "gpuTesting.h"

#if defined(GPU_BACKEND_CPU)
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>
#include <thrust/transform.h>
#endif

namespace {

constexpr int kGuard = 64;  // elements past the range that no thread may touch

// Counts every thread of the grid and marks the items below n.
__global__ void markLinear(unsigned int* hits, unsigned int* threads, int n) {
    atomicAdd(threads, 1u);
    const int i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < n) atomicAdd(&hits[i], 1u);
}

__global__ void markSquare(unsigned int* hits, unsigned int* threads, int n) {
    atomicAdd(threads, 1u);
    const int i = (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x;
    if (i < n) atomicAdd(&hits[i], 1u);
}

struct Shape {
    const char* name;
    void (*kernel)(unsigned int*, unsigned int*, int);
    dim3 (*grid)(int n);
    dim3 block;
};

dim3 linearGrid(int n) { return dim3(n / 64 + 1); }
dim3 squareGrid256(int n) { return squareGrid(n, 256); }

const Shape kShapes[] = {
    {"one-dimensional", markLinear, linearGrid, dim3(64)},
    {"two-dimensional", markSquare, squareGrid256, dim3(256)},
};

// Each thread counts itself at its linear index over the whole three-dimensional grid.
__global__ void markEveryCoordinate(unsigned int* seen, dim3 grid, dim3 block, int* wrongShape) {
    if (gridDim.x != grid.x || gridDim.y != grid.y || gridDim.z != grid.z ||
        blockDim.x != block.x || blockDim.y != block.y || blockDim.z != block.z)
        atomicAdd(wrongShape, 1);
    const unsigned int blockNumber = (blockIdx.z * gridDim.y + blockIdx.y) * gridDim.x + blockIdx.x;
    const unsigned int threadNumber =
        (threadIdx.z * blockDim.y + threadIdx.y) * blockDim.x + threadIdx.x;
    atomicAdd(&seen[blockNumber * blockDim.x * blockDim.y * blockDim.z + threadNumber], 1u);
}

__global__ void count(unsigned int* threads) { atomicAdd(threads, 1u); }

// Item i takes the next free slot.
__global__ void takeSlot(int* order, unsigned int* next, int n) {
    const int i = (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x;
    if (i < n) order[atomicAdd(next, 1u)] = i;
}

TEST(Launch, BothShapesCoverTheirRangeWithSpareThreadsIdle) {
    HostThreads threads(8);
    for (const Shape& shape : kShapes) {
        for (int n : {0, 1, 63, 64, 65, 1000, 65537}) {
            const dim3 grid = shape.grid(n);
            if (grid.x == 0) continue;  // the two-dimensional shape has no grid for n = 0
            SCOPED_TRACE(std::string(shape.name) + ", n = " + std::to_string(n));
            DeviceArray<unsigned int> hits(n + kGuard), visited(1);
            gpuLaunch(shape.kernel, grid, shape.block, hits.get(), visited.get(), n);
            ASSERT_EQ(cudaSuccess, cudaGetLastError());

            EXPECT_EQ(grid.x * grid.y * shape.block.x, visited.download()[0]);
            const std::vector<unsigned int> h = hits.download();
            for (int i = 0; i < n + kGuard; ++i) ASSERT_EQ(i < n ? 1u : 0u, h[i]) << "item " << i;
        }
    }
}

TEST(Launch, ThreeDimensionalGridVisitsEveryThreadOnce) {
    HostThreads threads(8);
    const dim3 grid(3, 4, 5), block(4, 2, 8);
    const int total = 3 * 4 * 5 * 4 * 2 * 8;
    DeviceArray<unsigned int> seen(total + kGuard);
    DeviceArray<int> wrongShape(1);
    gpuLaunch(markEveryCoordinate, grid, block, seen.get(), grid, block, wrongShape.get());
    ASSERT_EQ(cudaSuccess, cudaGetLastError());

    EXPECT_EQ(0, wrongShape.download()[0]);
    const std::vector<unsigned int> s = seen.download();
    for (int i = 0; i < total + kGuard; ++i) ASSERT_EQ(i < total ? 1u : 0u, s[i]) << "thread " << i;
}

TEST(Launch, ShapesCudaRefusesRunNothingAndRecordAnError) {
    const struct {
        dim3 grid, block;
    } refused[] = {
        {dim3(0), dim3(64)},       {dim3(4, 0), dim3(32)},    {dim3(1, 1, 0), dim3(32)},
        {dim3(1), dim3(0)},        {dim3(1), dim3(1025)},     {dim3(1), dim3(32, 32, 2)},
        {dim3(1), dim3(1, 1, 65)}, {dim3(1, 65536), dim3(1)}, {dim3(1, 1, 65536), dim3(1)},
    };
    DeviceArray<unsigned int> visited(1);
    for (const auto& shape : refused) {
        SCOPED_TRACE(testing::Message() << "grid " << shape.grid.x << "x" << shape.grid.y << "x"
                                        << shape.grid.z << ", block " << shape.block.x << "x"
                                        << shape.block.y << "x" << shape.block.z);
        gpuLaunch(count, shape.grid, shape.block, visited.get());
        EXPECT_EQ(cudaErrorInvalidConfiguration, cudaGetLastError());
        gpuLaunchInOrder(count, shape.grid, shape.block, visited.get());
        EXPECT_EQ(cudaErrorInvalidConfiguration, cudaGetLastError());
        EXPECT_EQ(cudaSuccess, cudaGetLastError());
    }
    EXPECT_EQ(0u, visited.download()[0]);

    // The largest shapes it accepts do run.
    gpuLaunch(count, dim3(1, 2, 3), dim3(16, 8, 8), visited.get());
    gpuLaunch(count, dim3(1, 65535), dim3(1, 1, 64), visited.get());
    EXPECT_EQ(cudaSuccess, cudaGetLastError());
    EXPECT_EQ(6u * 1024 + 65535u * 64, visited.download()[0]);
}

TEST(Launch, InOrderTakesAtomicsInIndexOrder) {
    const int n = 1000;
    DeviceArray<int> order(n);
    DeviceArray<unsigned int> next(1);
    gpuLaunchInOrder(takeSlot, squareGrid(n, 32), dim3(32), order.get(), next.get(), n);
    ASSERT_EQ(cudaSuccess, cudaGetLastError());

    ASSERT_EQ(unsigned(n), next.download()[0]);
    std::vector<int> taken = order.download(), expected(n);
    std::iota(expected.begin(), expected.end(), 0);
#if defined(GPU_BACKEND_CPU)
    EXPECT_EQ(expected, taken);
#else
    std::sort(taken.begin(), taken.end());  // the GPU's order is its own: only every item once
    EXPECT_EQ(expected, taken);
#endif
}

// Two host threads launching at once each get their whole grid run once.
TEST(Launch, LaunchesFromTwoHostThreadsAtOnceEachRunWhole) {
    HostThreads threads(8);
    const int n = 200000, rounds = 20;
    DeviceArray<unsigned int> hitsA(n + kGuard), hitsB(n + kGuard), visitedA(1), visitedB(1);
    auto launchMany = [&](const DeviceArray<unsigned int>& hits,
                          const DeviceArray<unsigned int>& visited) {
        for (int k = 0; k < rounds; ++k)
            gpuLaunch(markSquare, squareGrid(n, 64), dim3(64), hits.get(), visited.get(), n);
        EXPECT_EQ(cudaSuccess, cudaGetLastError());  // each host thread has its own last error
    };
    std::thread other(launchMany, std::cref(hitsB), std::cref(visitedB));
    launchMany(hitsA, visitedA);
    other.join();
    for (const DeviceArray<unsigned int>* hits : {&hitsA, &hitsB}) {
        const std::vector<unsigned int> h = hits->download();
        for (int i = 0; i < n + kGuard; ++i)
            ASSERT_EQ(i < n ? unsigned(rounds) : 0u, h[i]) << "item " << i;
    }
}

// Each item takes the value of an item in another block of the previous launch, plus one: a
// launch that began before the previous one had finished would read a value one short.
__global__ void stepFromOther(const unsigned int* from, unsigned int* to, int n) {
    const int i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < n) to[i] = from[(i + 7919) % n] + 1;
}

// A batch of launches of every kind (shared, a few blocks, in order) each sees the whole of the
// one before, quiet and beside busy threads.
TEST(LaunchBatch, EachLaunchSeesTheWholeOfTheOneBefore) {
    HostThreads threads(8);
    for (int busyThreads : {0, 8}) {
        SCOPED_TRACE(testing::Message() << busyThreads << " busy threads");
        BusyThreads busy(busyThreads);
        const int n = 50000, steps = 60;
        DeviceArray<unsigned int> a(n), b(n);
        {
            const gpu::LaunchBatch batch;
            for (int k = 0; k < steps; ++k) {
                const unsigned int* from = k % 2 ? b.get() : a.get();
                unsigned int* to = k % 2 ? a.get() : b.get();
                if (k % 3 == 0)
                    gpuLaunch(stepFromOther, dim3(n / 64 + 1), dim3(64), from, to, n);
                else if (k % 3 == 1)
                    gpuLaunch(stepFromOther, dim3(n / 1024 + 1), dim3(1024), from, to, n);
                else
                    gpuLaunchInOrder(stepFromOther, dim3(n / 128 + 1), dim3(128), from, to, n);
                ASSERT_EQ(cudaSuccess, cudaGetLastError());
            }
        }
        const std::vector<unsigned int> last = a.download();
        for (int i = 0; i < n; ++i) ASSERT_EQ(unsigned(steps), last[i]) << "item " << i;
    }
}

// Item j of band b (bands of `width` items, block b on band b) takes the sum of the items at its
// place in the bands beside it in the launch before (its own where there is none) and b + 1: a
// block that began before its neighbours of the launch before had finished, or one whose output
// was overwritten while they still read it, gives another sum.
__global__ void sumOfNeighbourBands(const unsigned int* from, unsigned int* to, int width,
                                    int bands) {
    const int b = blockIdx.x;
    for (int j = threadIdx.x; j < width; j += blockDim.x) {
        const int i = b * width + j;
        to[i] = (b > 0 ? from[i - width] : from[i]) + (b + 1 < bands ? from[i + width] : from[i]) +
                b + 1;
    }
}

// Runs of banded launches give what the launches give one after another, quiet and beside busy
// threads: a run cut by a plain launch, and a run of another grid after it.
TEST(LaunchBatch, BandedLaunchesGiveWhatTheyGiveOneAfterAnother) {
    HostThreads threads(8);
    const int n = 12000, steps = 100;
    auto shapeOf = [](int k) {
        return k < 80 ? std::pair<int, int>{40, 300} : std::pair<int, int>{80, 150};
    };
    std::vector<unsigned int> expected(n, 1u), next(n);
    for (int k = 0; k < steps; ++k) {
        const auto [width, bands] = shapeOf(k);
        for (int i = 0; i < n; ++i) {
            const int b = i / width;
            next[i] = (b > 0 ? expected[i - width] : expected[i]) +
                      (b + 1 < bands ? expected[i + width] : expected[i]) + b + 1;
        }
        expected.swap(next);
    }
    for (int busyThreads : {0, 8}) {
        SCOPED_TRACE(testing::Message() << busyThreads << " busy threads");
        BusyThreads busy(busyThreads);
        DeviceArray<unsigned int> a(std::vector<unsigned int>(n, 1u)), b(n);
        {
            const gpu::LaunchBatch batch;
            for (int k = 0; k < steps; ++k) {
                const unsigned int* from = k % 2 ? b.get() : a.get();
                unsigned int* to = k % 2 ? a.get() : b.get();
                const auto [width, bands] = shapeOf(k);
                if (k == 40) {
                    gpuLaunch(sumOfNeighbourBands, dim3(bands), dim3(32), from, to, width, bands);
                } else {
                    gpuLaunchBanded(sumOfNeighbourBands, dim3(bands), dim3(32), from, to, width,
                                    bands);
                }
            }
        }
        ASSERT_EQ(cudaSuccess, cudaGetLastError());
        EXPECT_EQ(expected, a.download());
    }
}

__global__ void addValue(unsigned int* total, unsigned int value) { atomicAdd(total, value); }

// A launch in a batch keeps the arguments it was given; a batch inside another runs with the
// outer one; a refused shape is refused at the launch and queues nothing.
TEST(LaunchBatch, KeepsArgumentsRunsNestedBatchesAtTheOuterCloseAndRefusesBadShapes) {
    DeviceArray<unsigned int> total(1);
    {
        const gpu::LaunchBatch outer;
        unsigned int value = 5;
        gpuLaunch(addValue, dim3(4), dim3(1), total.get(), value);
        value = 1000;
        {
            const gpu::LaunchBatch inner;
            gpuLaunch(addValue, dim3(1), dim3(2), total.get(), 3u);
        }
#if defined(GPU_BACKEND_CPU)
        EXPECT_EQ(0u, total.download()[0]) << "ran before the outer batch closed";
#endif
        gpuLaunch(addValue, dim3(0), dim3(1), total.get(), value);
        EXPECT_EQ(cudaErrorInvalidConfiguration, cudaGetLastError());
    }
    EXPECT_EQ(cudaSuccess, cudaGetLastError());
    EXPECT_EQ(4u * 5 + 2 * 3, total.download()[0]);
}

#if defined(GPU_BACKEND_CPU)
__global__ void throwInBlock(unsigned int* threads, unsigned int faulty) {
    if (blockIdx.x == faulty) throw std::runtime_error("kernel fault");
    atomicAdd(threads, 1u);
}

// A fault in a block that the calling thread runs, or one that a worker may run.
TEST(Launch, AKernelThatThrowsEndsTheLaunchWithALaunchFailure) {
    HostThreads threads(8);
    const struct {
        unsigned int blocks, threadsPerBlock, faulty;
    } launches[] = {{8, 4, 3}, {4096, 64, 0}, {4096, 64, 4095}};
    for (const auto& launch : launches) {
        SCOPED_TRACE(testing::Message()
                     << launch.blocks << " blocks, fault in block " << launch.faulty);
        DeviceArray<unsigned int> visited(1);
        EXPECT_NO_THROW(gpuLaunch(throwInBlock, dim3(launch.blocks), dim3(launch.threadsPerBlock),
                                  visited.get(), launch.faulty));
        EXPECT_EQ(cudaErrorLaunchFailure, cudaGetLastError());
        EXPECT_NO_THROW(gpuLaunchInOrder(throwInBlock, dim3(launch.blocks),
                                         dim3(launch.threadsPerBlock), visited.get(),
                                         launch.faulty));
        EXPECT_EQ(cudaErrorLaunchFailure, cudaGetLastError());
        EXPECT_EQ(cudaSuccess, cudaGetLastError());
    }
}
// A kernel that throws in a batch fails the batch at its close; the launches after it do not run.
TEST(LaunchBatch, AKernelThatThrowsFailsTheBatchAndTheLaunchesAfterIt) {
    HostThreads threads(8);
    DeviceArray<unsigned int> before(1), after(1);
    {
        const gpu::LaunchBatch batch;
        gpuLaunch(count, dim3(4096), dim3(64), before.get());
        gpuLaunch(throwInBlock, dim3(4096), dim3(64), before.get(), 17u);
        EXPECT_EQ(cudaSuccess, cudaGetLastError());  // the fault is known at the close
        gpuLaunch(count, dim3(4096), dim3(64), after.get());
    }
    EXPECT_EQ(cudaErrorLaunchFailure, cudaGetLastError());
    EXPECT_LE(4096u * 64, before.download()[0]);
    EXPECT_EQ(0u, after.download()[0]);

    // In a run of banded launches the blocks that did not need the faulty one may have run; the
    // batch fails all the same, and nothing after the run runs.
    DeviceArray<unsigned int> afterRun(1);
    {
        const gpu::LaunchBatch batch;
        for (int k = 0; k < 20; ++k)
            gpuLaunchBanded(throwInBlock, dim3(512), dim3(8), before.get(), k == 10 ? 300u : 512u);
        gpuLaunch(count, dim3(4096), dim3(64), afterRun.get());
    }
    EXPECT_EQ(cudaErrorLaunchFailure, cudaGetLastError());
    EXPECT_EQ(0u, afterRun.download()[0]);
}

// The turn on the processor that the calling thread asks for, in nanoseconds (the runtime field
// of sched_getattr); 0 where the system gives none.
unsigned long long callingThreadTurn() {
    struct {
        std::uint32_t size, policy;
        std::uint64_t flags;
        std::int32_t nice;
        std::uint32_t priority;
        std::uint64_t runtime, deadline, period;
        std::uint32_t utilMin, utilMax;
    } attributes{};
    if (syscall(SYS_sched_getattr, 0, &attributes, sizeof attributes, 0) != 0) return 0;
    return attributes.runtime;
}

TEST(ShortTurns, TheCallingThreadAsksForShortTurnsWhileOneLivesAndThenGetsItsOwnBack) {
    const unsigned long long own = callingThreadTurn();
    {
        const gpu::ShortTurns turns;
        const unsigned long long during = callingThreadTurn();
        if (during == own) GTEST_SKIP() << "this system keeps one turn for every thread";
        EXPECT_EQ(100000u, during);
        {
            const gpu::ShortTurns inner;
            EXPECT_EQ(100000u, callingThreadTurn());
        }
        EXPECT_EQ(100000u, callingThreadTurn()) << "the inner one gave back what it did not take";
    }
    EXPECT_EQ(own, callingThreadTurn());
}

struct Reversed {
    int n;
    __host__ __device__ int operator()(int i) const { return n - i; }
};

// What a TBB worker says of itself while it runs part of a loop: its name and its turn.
struct WorkerView {
    std::string name;
    unsigned long long turn;
};

// The views of the workers (not the calling thread) that take part in a parallel loop whose
// steps last long enough for all of them to join.
std::vector<WorkerView> workersOfALoop() {
    std::mutex mutex;
    std::vector<WorkerView> views;
    const std::thread::id caller = std::this_thread::get_id();
    tbb::parallel_for(0, 64, [&](int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (std::this_thread::get_id() == caller) return;
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        const std::lock_guard<std::mutex> lock(mutex);
        views.push_back({name, callingThreadTurn()});
    });
    return views;
}

// The layer's parallel algorithms leave TBB's workers, which the host may share, with their own
// name and turn.
TEST(ParallelThreads, TheLayerLeavesTbbWorkersAsItFindsThem) {
    if (tbb::this_task_arena::max_concurrency() < 2) GTEST_SKIP() << "TBB has no workers here";
    bool turnsChange;
    {
        const gpu::ShortTurns turns;
        turnsChange = callingThreadTurn() == 100000u;
    }
    const int n = 1 << 20;
    gpu::DeviceBuffer<int> keys(n), values(n);
    thrust::sequence(gpu::parallel, values.begin(), values.end());
    thrust::transform(gpu::parallel, values.begin(), values.end(), keys.begin(), Reversed{n});
    thrust::stable_sort_by_key(gpu::parallel, keys.begin(), keys.end(), values.begin());
    const std::vector<WorkerView> views = workersOfALoop();
    ASSERT_FALSE(views.empty()) << "no worker joined";
    for (const WorkerView& view : views) {
        EXPECT_NE("gpu parallel", view.name);
        if (turnsChange) {
            EXPECT_NE(100000u, view.turn);
        }
    }
}
#endif

}  // namespace
