#pragma once
// The launch shapes of the plug-ins' kernels over a count of work items, and the thread index
// each shape gives, for .cu files. A count of 0 launches nothing (there is no grid for it), so
// the runtime's last error stays as it was. Kernels whose result depends on the order in which
// their threads take atomics use the InOrder forms, which run the threads in index order on the
// cpu backend.
#include <gpu/launch.h>

#include "common/gpuServices.h"

#if defined(__CUDACC__) || !defined(GPU_BACKEND_CUDA)
// The calling thread's index in the two-dimensional launch (grid from gridForCount).
__device__ inline unsigned int twoDimensionalThreadIndex() {
    return (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x;
}

// The calling thread's index in the one-dimensional launch (grid from gridForCountOneDimensional).
__device__ inline unsigned int oneDimensionalThreadIndex() {
    return blockIdx.x * blockDim.x + threadIdx.x;
}
#endif

// Grid gridForCount(n, threadsPerBlock), blocks of threadsPerBlock threads.
template <typename... Params, typename... Args>
void launchTwoDimensional(void (*kernel)(Params...), unsigned int n, unsigned int threadsPerBlock,
                          const Args&... args) {
    if (n == 0) return;
    gpuLaunch(kernel, gridForCount(n, threadsPerBlock), dim3(threadsPerBlock, 1, 1), args...);
}

template <typename... Params, typename... Args>
void launchTwoDimensionalInOrder(void (*kernel)(Params...), unsigned int n,
                                 unsigned int threadsPerBlock, const Args&... args) {
    if (n == 0) return;
    gpuLaunchInOrder(kernel, gridForCount(n, threadsPerBlock), dim3(threadsPerBlock, 1, 1),
                     args...);
}

// Grid (bands, 1, 1), blocks of threadsPerBlock threads, launched banded (gpu/launch.h): block b
// works on band b.
template <typename... Params, typename... Args>
void launchBanded(void (*kernel)(Params...), unsigned int bands, unsigned int threadsPerBlock,
                  const Args&... args) {
    if (bands == 0) return;
    gpuLaunchBanded(kernel, dim3(bands, 1, 1), dim3(threadsPerBlock, 1, 1), args...);
}

// Grid (n / 64 + 1, 1, 1), blocks of 64 threads.
template <typename... Params, typename... Args>
void launchOneDimensional(void (*kernel)(Params...), unsigned int n, const Args&... args) {
    if (n == 0) return;
    gpuLaunch(kernel, gridForCountOneDimensional(n), dim3(64, 1, 1), args...);
}
