#pragma once
// Kernel launches. Node code launches through these, never with <<< >>> itself, and from
// .cu files only (on the cuda backend nvcc alone compiles launches).
//
//   gpuLaunch(kernel, grid, block, args...)
//       Runs `kernel` over every thread of the grid. On the GPU: kernel<<<grid, block>>>. On the
//       cpu backend a grid of a few blocks runs on the calling thread; a larger one is shared
//       between the calling thread and the layer's workers (gpu::hostThreads() threads in all).
//       The threads of a block run one after another. Valid only for kernels whose outcome does
//       not depend on the order of their threads (integer atomics that only count are fine; the
//       order in which threads take slots with atomicAdd, or float sums with atomicAdd, are
//       not).
//
//   gpuLaunchInOrder(kernel, grid, block, args...)
//       For kernels whose result depends on the order in which threads take atomics. On the cpu
//       backend every thread of the grid runs on one host thread in index order (blocks by
//       linear index x + gridDim.x * (y + gridDim.y * z), threads likewise within a block), so
//       the result is the same on every run. On the GPU: kernel<<<grid, block>>>, in the GPU's
//       order.
//
//   gpuLaunchBanded(kernel, grid, block, args...)
//       For a loop of launches over data in bands, block b of each launch on band b: what block
//       b of one banded launch touches is touched by blocks b - 1 to b + 1 of the banded
//       launches before and after it at most, and two blocks two or more apart share nothing
//       that either writes. In a batch on the cpu backend, a banded launch that follows a
//       banded launch of as many blocks starts each block (each group of blocks) once the
//       blocks beside it in the launch before have run, without waiting for the whole launch:
//       on a loaded machine a thread that the system holds back holds back only the blocks near
//       its own. The caller keeps two loops of banded launches of one block count apart with
//       another launch. The result is that of running the launches one after another.
//       Otherwise, and on the GPU, it is gpuLaunch.
//
//   gpu::LaunchBatch batch;
//       The launches made on this thread while the batch is open run one after another, each
//       whole before the next begins, and all of them have run when the batch closes (at the
//       end of its scope). On the cpu backend they are queued with their arguments copied and
//       run at the close, where the workers go from one to the next without waiting for the
//       calling thread: on a loaded machine a calling thread that the system holds back does not
//       hold back the launches. On the GPU launches are queued anyway and the batch does
//       nothing. Between the launches of a batch the caller reads no device data that they write
//       and frees no buffer that they use, as it would not before a synchronisation on the GPU;
//       a batch opened inside another belongs to the outer one.
//
//   gpu::ShortTurns turns;
//       While it lives, the calling thread asks the system for the short turns on the processor
//       that the layer's own threads take, and gets its own setting back when it goes: for a
//       compute that launches many short kernels from a thread that belongs to the host. On a
//       loaded machine the thread then runs as soon as the launches it waits for are done,
//       instead of after another program's whole turn. On the GPU it does nothing.
//
// Outside a batch both return when the kernel has run on the cpu backend. A grid or block that
// CUDA would refuse (a zero dimension, more than 1024 threads a block, ...) runs nothing and
// records cudaErrorInvalidConfiguration at the launch, as CUDA does; read it with
// cudaGetLastError(). On the cpu backend a kernel that throws ends its launch (and the launches
// after it in a batch) with cudaErrorLaunchFailure recorded, at the launch or at the batch's
// close; in a run of banded launches the blocks that do not wait for the faulty one, directly
// or not, may still run. A launch that finds no memory to queue it records
// cudaErrorMemoryAllocation; nothing is thrown to the caller.
#include <gpu/runtime.h>

#include <memory>
#include <new>
#include <tuple>
#include <utility>

#if defined(__CUDACC__)

template <typename... Params, typename... Args>
inline void gpuLaunch(void (*kernel)(Params...), dim3 grid, dim3 block, Args&&... args) {
    kernel<<<grid, block>>>(std::forward<Args>(args)...);
}

template <typename... Params, typename... Args>
inline void gpuLaunchInOrder(void (*kernel)(Params...), dim3 grid, dim3 block, Args&&... args) {
    kernel<<<grid, block>>>(std::forward<Args>(args)...);
}

template <typename... Params, typename... Args>
inline void gpuLaunchBanded(void (*kernel)(Params...), dim3 grid, dim3 block, Args&&... args) {
    kernel<<<grid, block>>>(std::forward<Args>(args)...);
}

namespace gpu {
class LaunchBatch {
public:
    LaunchBatch() = default;
    LaunchBatch(const LaunchBatch&) = delete;
    LaunchBatch& operator=(const LaunchBatch&) = delete;
};

class ShortTurns {
public:
    ShortTurns() = default;
    ShortTurns(const ShortTurns&) = delete;
    ShortTurns& operator=(const ShortTurns&) = delete;
};
}  // namespace gpu

#elif !defined(GPU_BACKEND_CUDA)

namespace gpu::detail {

inline long long blockCount(dim3 grid) { return static_cast<long long>(grid.x) * grid.y * grid.z; }

// Runs the threads of block number `linear` in order. Each call of the kernel takes its own copy
// of the arguments, as each GPU thread does.
template <typename... Params, typename... Args>
inline void runBlock(long long linear, dim3 grid, dim3 block, void (*kernel)(Params...),
                     const Args&... args) {
    gridDim = grid;
    blockDim = block;
    const long long perLayer = static_cast<long long>(grid.x) * grid.y;
    blockIdx.z = static_cast<unsigned int>(linear / perLayer);
    blockIdx.y = static_cast<unsigned int>(linear % perLayer / grid.x);
    blockIdx.x = static_cast<unsigned int>(linear % grid.x);
    for (unsigned int z = 0; z < block.z; ++z) {
        for (unsigned int y = 0; y < block.y; ++y) {
            for (unsigned int x = 0; x < block.x; ++x) {
                threadIdx.x = x, threadIdx.y = y, threadIdx.z = z;
                kernel(args...);
            }
        }
    }
}

// A launch of `kernel` with copies of its arguments, as each GPU thread gets them.
template <typename Kernel, typename... Args>
class KernelCall final : public LaunchCall {
public:
    KernelCall(Kernel kernel, dim3 grid, dim3 block, BlockOrder order, const Args&... args)
        : LaunchCall(blockCount(grid), static_cast<long long>(block.x) * block.y * block.z, order),
          kernel_(kernel),
          grid_(grid),
          block_(block),
          args_(args...) {}

    bool runBlocks(long long first, long long last) const override {
        try {
            for (long long b = first; b < last; ++b)
                std::apply([&](const Args&... a) { runBlock(b, grid_, block_, kernel_, a...); },
                           args_);
        } catch (...) {
            return false;
        }
        return true;
    }

private:
    Kernel kernel_;
    dim3 grid_, block_;
    std::tuple<Args...> args_;
};

template <typename Kernel, typename... Args>
inline void launch(Kernel kernel, dim3 grid, dim3 block, BlockOrder order, const Args&... args) {
    if (!validLaunch(grid, block)) return;
    using Call = KernelCall<Kernel, Args...>;
    if (!batchOpen()) return runNow(Call(kernel, grid, block, order, args...));
    try {
        queue(std::make_unique<Call>(kernel, grid, block, order, args...));
    } catch (const std::bad_alloc&) {
        recordError(cudaErrorMemoryAllocation);
    }
}

}  // namespace gpu::detail

template <typename... Params, typename... Args>
inline void gpuLaunch(void (*kernel)(Params...), dim3 grid, dim3 block, const Args&... args) {
    gpu::detail::launch(kernel, grid, block, gpu::detail::BlockOrder::any, args...);
}

template <typename... Params, typename... Args>
inline void gpuLaunchInOrder(void (*kernel)(Params...), dim3 grid, dim3 block,
                             const Args&... args) {
    gpu::detail::launch(kernel, grid, block, gpu::detail::BlockOrder::inOrder, args...);
}

template <typename... Params, typename... Args>
inline void gpuLaunchBanded(void (*kernel)(Params...), dim3 grid, dim3 block, const Args&... args) {
    gpu::detail::launch(kernel, grid, block, gpu::detail::BlockOrder::banded, args...);
}

namespace gpu {
class LaunchBatch {
public:
    LaunchBatch() { detail::openBatch(); }
    ~LaunchBatch() { detail::closeBatch(); }
    LaunchBatch(const LaunchBatch&) = delete;
    LaunchBatch& operator=(const LaunchBatch&) = delete;
};

class ShortTurns {
public:
    ShortTurns();
    ~ShortTurns();
    ShortTurns(const ShortTurns&) = delete;
    ShortTurns& operator=(const ShortTurns&) = delete;

private:
    unsigned long long previousTurn_ = 0;
    bool changed_ = false;
};
}  // namespace gpu

#endif
