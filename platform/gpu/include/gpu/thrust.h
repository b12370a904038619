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
//       On the cpu backend the temporary storage of gpu::parallel's algorithms (a sort's copy
//       of its keys and values, say) comes from the layer's device memory, as a DeviceBuffer's
//       does (gpu::detail::allocateDevice).
//
//   gpu::DeviceBuffer<T>
//       A device array whose resize leaves new elements unset, for arrays that a kernel or an
//       algorithm fills whole: no pass over the memory before the first real write.
#include <gpu/runtime.h>
#include <thrust/device_malloc_allocator.h>
#include <thrust/device_vector.h>

#include <cstddef>
#include <new>

#if defined(GPU_BACKEND_CUDA)
#include <thrust/execution_policy.h>
#else
#include <thrust/system/tbb/execution_policy.h>
#endif

namespace gpu {

#if defined(GPU_BACKEND_CUDA)
inline constexpr auto& parallel = thrust::device;
#else

namespace detail {
// What Thrust's algorithms under gpu::parallel take their temporary storage from.
struct TemporaryStorage {
    using value_type = char;
    char* allocate(std::ptrdiff_t bytes) {
        void* block = allocateDevice(static_cast<size_t>(bytes));
        if (block == nullptr) throw std::bad_alloc();
        return static_cast<char*>(block);
    }
    void deallocate(char* block, size_t bytes) { freeDevice(block, bytes); }
};
inline TemporaryStorage temporaryStorage;
}  // namespace detail

inline const auto parallel = thrust::tbb::par(detail::temporaryStorage);
#endif

template <typename T>
struct UninitializedAllocator : thrust::device_malloc_allocator<T> {
    using Base = thrust::device_malloc_allocator<T>;
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <typename U>
    __host__ __device__ UninitializedAllocator(const UninitializedAllocator<U>&) {}
    // Elements are not constructed: a trivial type's bits stay as the allocation left them.
    __host__ __device__ void construct(T*) {}

#if !defined(GPU_BACKEND_CUDA) && !defined(__CUDACC__)
    // The layer's device memory (see gpu::detail::allocateDevice).
    typename Base::pointer allocate(typename Base::size_type n) {
        if (n > this->max_size()) throw std::bad_alloc();
        void* block = detail::allocateDevice(n * sizeof(T));
        if (block == nullptr) throw std::bad_alloc();
        return typename Base::pointer(static_cast<T*>(block));
    }
    void deallocate(typename Base::pointer block, typename Base::size_type n) {
        detail::freeDevice(thrust::raw_pointer_cast(block), n * sizeof(T));
    }
#endif
};

template <typename T>
using DeviceBuffer = thrust::device_vector<T, UninitializedAllocator<T>>;

}  // namespace gpu
