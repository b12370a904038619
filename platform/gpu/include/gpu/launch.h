#pragma once
// Kernel launches. Node code launches through these two, never with <<< >>> itself, and from
// .cu files only (on the cuda backend nvcc alone compiles launches).
//
//   gpuLaunch(kernel, grid, block, args...)
//       Runs `kernel` over every thread of the grid. On the GPU: kernel<<<grid, block>>>. On the
//       cpu backend a grid of a few blocks runs on the calling thread; a larger one is shared
//       between the calling thread and the layer's workers (gpu::hostThreads() threads in all),
//       which sleep between launches. The threads of a block run one after another. Valid only
//       for kernels whose outcome does not depend on the order of their threads (integer atomics
//       that only count are fine; the order in which threads take slots with atomicAdd, or float
//       sums with atomicAdd, are not).
//
//   gpuLaunchInOrder(kernel, grid, block, args...)
//       For kernels whose result depends on the order in which threads take atomics. On the cpu
//       backend every thread of the grid runs on the calling thread in index order (blocks by
//       linear index x + gridDim.x * (y + gridDim.y * z), threads likewise within a block), so
//       the result is the same on every run. On the GPU: kernel<<<grid, block>>>, in the GPU's
//       order.
//
// Both return when the kernel has run on the cpu backend. A grid or block that CUDA would refuse
// (a zero dimension, more than 1024 threads a block, ...) runs nothing and records
// cudaErrorInvalidConfiguration, as CUDA does; read it with cudaGetLastError(). On the cpu
// backend a kernel that throws ends the launch with cudaErrorLaunchFailure recorded; nothing is
// thrown to the caller.
#include <gpu/runtime.h>

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

template <typename Body>
inline void runRange(void* body, long long first, long long last) {
    (*static_cast<Body*>(body))(first, last);
}

}  // namespace gpu::detail

template <typename... Params, typename... Args>
inline void gpuLaunch(void (*kernel)(Params...), dim3 grid, dim3 block, const Args&... args) {
    if (!gpu::detail::validLaunch(grid, block)) return;
    bool failed = false;
    auto body = [&](long long first, long long last) {
        try {
            for (long long b = first; b < last && !__atomic_load_n(&failed, __ATOMIC_RELAXED); ++b)
                gpu::detail::runBlock(b, grid, block, kernel, args...);
        } catch (...) {
            __atomic_store_n(&failed, true, __ATOMIC_RELAXED);
        }
    };
    gpu::detail::runBlocks(gpu::detail::blockCount(grid),
                           static_cast<long long>(block.x) * block.y * block.z,
                           &gpu::detail::runRange<decltype(body)>, &body);
    if (failed) gpu::detail::recordError(cudaErrorLaunchFailure);
}

template <typename... Params, typename... Args>
inline void gpuLaunchInOrder(void (*kernel)(Params...), dim3 grid, dim3 block,
                             const Args&... args) {
    if (!gpu::detail::validLaunch(grid, block)) return;
    const long long blocks = gpu::detail::blockCount(grid);
    try {
        for (long long b = 0; b < blocks; ++b)
            gpu::detail::runBlock(b, grid, block, kernel, args...);
    } catch (...) {
        gpu::detail::recordError(cudaErrorLaunchFailure);
    }
}

#endif
