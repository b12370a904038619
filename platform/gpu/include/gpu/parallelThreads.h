#pragma once
// gpu::runWithParallelThreads(work)
//     Runs `work` and returns when it has run. The gpu::parallel algorithms that it calls run in
//     a TBB arena of the layer's own, apart from any that the host runs: TBB's workers take the
//     layer's short turns while they work in it, and get their own name and turn back when they
//     leave. An exception from `work` comes out of it. On the GPU it only runs `work`.
#include <functional>

namespace gpu {

#if defined(__CUDACC__) || defined(GPU_BACKEND_CUDA)
inline void runWithParallelThreads(const std::function<void()>& work) { work(); }
#else
void runWithParallelThreads(const std::function<void()>& work);
#endif

}  // namespace gpu
