#pragma once
// What node code passes to Thrust beside its device arrays.
//
//   gpu::parallel
//       The execution policy for Thrust algorithms whose result does not depend on how the work
//       is split: sorts, copy_if, count_if, fills, and scans and reductions of integers. On the
//       GPU it is thrust::device. On the cpu backend it is Thrust's TBB system, whose workers
//       share the machine's cores with whatever else runs and sleep when idle. Algorithms called
//       without a policy run on the calling thread there, which is what float scans and
//       reductions need to give the same bits on every machine.
//
//   gpu::DeviceBuffer<T>
//       A device array whose resize leaves new elements unset, for arrays that a kernel or an
//       algorithm fills whole: no pass over the memory before the first real write.
#include <thrust/device_malloc_allocator.h>
#include <thrust/device_vector.h>

#if defined(GPU_BACKEND_CUDA)
#include <thrust/execution_policy.h>
#else
#include <thrust/system/tbb/execution_policy.h>
#endif

namespace gpu {

#if defined(GPU_BACKEND_CUDA)
inline constexpr auto& parallel = thrust::device;
#else
inline constexpr auto& parallel = thrust::tbb::par;
#endif

template <typename T>
struct UninitializedAllocator : thrust::device_malloc_allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <typename U>
    __host__ __device__ UninitializedAllocator(const UninitializedAllocator<U>&) {}
    // Elements are not constructed: a trivial type's bits stay as the allocation left them.
    __host__ __device__ void construct(T*) {}
};

template <typename T>
using DeviceBuffer = thrust::device_vector<T, UninitializedAllocator<T>>;

}  // namespace gpu
