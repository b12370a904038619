#pragma once
// The device layer: what kernel sources and the code around them may use on either backend.
//
// cuda backend (nvcc): CUDA itself, <cuda_runtime.h> as is.
//
// cpu backend (the same .cu files compiled as C++ by the host compiler): the toolkit's
// <cuda_runtime.h> still supplies the types, enumerators and declarations (dim3, uint3,
// cudaError_t, cudaMemcpyKind, cudaDeviceProp, make_float3, ...), because Thrust and cuRAND
// include it themselves, and the qualifiers __global__, __device__, __host__, __constant__ and
// __shared__ come out empty, __forceinline__ as an always-inline function. This header adds what
// the device compiler would: blockIdx, threadIdx, blockDim and gridDim (set by the launcher in
// <gpu/launch.h>), the atomics and the device math. Device memory is host memory, and the subset
// of the runtime API defined by the `gpu` library is listed below; any other runtime function is
// declared but not defined, and fails at link time.
//
// A kernel on the cpu backend runs one thread at a time: there is no __syncthreads(), no warp
// function, and __shared__ memory is not shared between the threads of a block.
#if defined(__CUDACC__)
#if defined(GPU_BACKEND_CPU)
#error "the cpu backend compiles .cu files with the host compiler; see gpu_sources() in CMake"
#endif
#include <cuda_runtime.h>

#elif defined(GPU_BACKEND_CUDA)
// Host code of a cuda build that is not compiled by nvcc: the runtime API only.
#include <cuda_runtime.h>

#else
#include <cuda_runtime.h>
#include <math.h>

#include <cstring>
#include <memory>

// ---- Runtime subset (defined by the `gpu` library). Calls do not throw; a failing call returns
// its error and records it as the calling thread's last error.
//
//   cudaMalloc             256-byte aligned host memory from gpu::detail::allocateDevice; size
//                          0 gives nullptr; too large: cudaErrorMemoryAllocation (also the C++
//                          template overload)
//   cudaFree               nullptr is fine; a pointer that cudaMalloc did not return (or one
//                          already freed): cudaErrorInvalidValue, nothing freed
//   cudaMemcpy             every cudaMemcpyKind copies host memory; an unknown kind:
//                          cudaErrorInvalidMemcpyDirection
//   cudaMemcpyToSymbol     copies into / out of a __device__ or __constant__ variable
//   cudaMemcpyFromSymbol
//   cudaMemset             byte fill
//   cudaMemGetInfo         free / total: the machine's available and total memory; under a
//                          smaller GPU_MEMORY_LIMIT (bytes, or with a K, M or G suffix) the
//                          limit is the total and free is what this process does not hold of it
//   cudaGetLastError       returns and clears the last error; cudaPeekAtLastError leaves it
//   cudaGetErrorString     this layer's texts ("unrecognized error code" for others); and
//   cudaGetErrorName       the enumerator's name
//   cudaDeviceSynchronize  cudaSuccess: launches have finished when they return
//   cudaGetDeviceCount     one device, number 0 (cudaGetDevice; cudaSetDevice takes only 0)
//   cudaGetDeviceProperties  its name, the machine's memory, CUDA's launch limits

// The C++ overloads that take the variable itself (the toolkit declares them for nvcc only).
template <class T>
inline cudaError_t cudaMemcpyToSymbol(const T& symbol, const void* src, size_t count,
                                      size_t offset = 0,
                                      cudaMemcpyKind kind = cudaMemcpyHostToDevice) {
    return ::cudaMemcpyToSymbol(static_cast<const void*>(&symbol), src, count, offset, kind);
}
template <class T>
inline cudaError_t cudaMemcpyFromSymbol(void* dst, const T& symbol, size_t count, size_t offset = 0,
                                        cudaMemcpyKind kind = cudaMemcpyDeviceToHost) {
    return ::cudaMemcpyFromSymbol(dst, static_cast<const void*>(&symbol), count, offset, kind);
}

// ---- Built-in variables: the current thread's coordinates, set by the launcher.
// Each shared object keeps its own copy (hidden), since a kernel and the launches of it are
// always built into the same one: its code then finds them with one lookup per kernel call
// instead of one per read, which in a plug-in costs more than most kernels' own work.
#define GPU_BUILT_IN inline thread_local __attribute__((visibility("hidden")))
GPU_BUILT_IN uint3 threadIdx;
GPU_BUILT_IN uint3 blockIdx;
GPU_BUILT_IN dim3 blockDim;
GPU_BUILT_IN dim3 gridDim;
#undef GPU_BUILT_IN

// ---- Atomics, with CUDA's overloads and results: each returns the value before the operation.
// They are atomic under the launcher's parallel walk (relaxed order, as on the GPU).
namespace gpu::detail {

// Applies `update` to *address atomically; returns the old value.
template <typename T, typename Update>
inline T atomicUpdate(T* address, Update update) {
    T old;
    __atomic_load(address, &old, __ATOMIC_RELAXED);
    T desired;
    do {
        desired = update(old);
    } while (!__atomic_compare_exchange(address, &old, &desired, true, __ATOMIC_RELAXED,
                                        __ATOMIC_RELAXED));
    return old;
}

}  // namespace gpu::detail

inline int atomicAdd(int* address, int val) {
    return __atomic_fetch_add(address, val, __ATOMIC_RELAXED);
}
inline unsigned int atomicAdd(unsigned int* address, unsigned int val) {
    return __atomic_fetch_add(address, val, __ATOMIC_RELAXED);
}
inline unsigned long long atomicAdd(unsigned long long* address, unsigned long long val) {
    return __atomic_fetch_add(address, val, __ATOMIC_RELAXED);
}
inline float atomicAdd(float* address, float val) {
    return gpu::detail::atomicUpdate(address, [val](float old) { return old + val; });
}
inline double atomicAdd(double* address, double val) {
    return gpu::detail::atomicUpdate(address, [val](double old) { return old + val; });
}

inline int atomicSub(int* address, int val) {
    return __atomic_fetch_sub(address, val, __ATOMIC_RELAXED);
}
inline unsigned int atomicSub(unsigned int* address, unsigned int val) {
    return __atomic_fetch_sub(address, val, __ATOMIC_RELAXED);
}

// *address becomes (old >= val) ? 0 : old + 1.
inline unsigned int atomicInc(unsigned int* address, unsigned int val) {
    return gpu::detail::atomicUpdate(address,
                                     [val](unsigned int old) { return old >= val ? 0u : old + 1; });
}
// *address becomes (old == 0 || old > val) ? val : old - 1.
inline unsigned int atomicDec(unsigned int* address, unsigned int val) {
    return gpu::detail::atomicUpdate(
        address, [val](unsigned int old) { return old == 0 || old > val ? val : old - 1; });
}

inline int atomicExch(int* address, int val) {
    return __atomic_exchange_n(address, val, __ATOMIC_RELAXED);
}
inline unsigned int atomicExch(unsigned int* address, unsigned int val) {
    return __atomic_exchange_n(address, val, __ATOMIC_RELAXED);
}
inline unsigned long long atomicExch(unsigned long long* address, unsigned long long val) {
    return __atomic_exchange_n(address, val, __ATOMIC_RELAXED);
}
inline float atomicExch(float* address, float val) {
    float old;
    __atomic_exchange(address, &val, &old, __ATOMIC_RELAXED);
    return old;
}

// *address becomes val when it holds compare.
inline int atomicCAS(int* address, int compare, int val) {
    __atomic_compare_exchange_n(address, &compare, val, false, __ATOMIC_RELAXED, __ATOMIC_RELAXED);
    return compare;
}
inline unsigned int atomicCAS(unsigned int* address, unsigned int compare, unsigned int val) {
    __atomic_compare_exchange_n(address, &compare, val, false, __ATOMIC_RELAXED, __ATOMIC_RELAXED);
    return compare;
}
inline unsigned long long atomicCAS(unsigned long long* address, unsigned long long compare,
                                    unsigned long long val) {
    __atomic_compare_exchange_n(address, &compare, val, false, __ATOMIC_RELAXED, __ATOMIC_RELAXED);
    return compare;
}

#define GPU_ATOMIC_MIN_MAX(T)                                                                      \
    inline T atomicMin(T* address, T val) {                                                        \
        return gpu::detail::atomicUpdate(address, [val](T old) { return val < old ? val : old; }); \
    }                                                                                              \
    inline T atomicMax(T* address, T val) {                                                        \
        return gpu::detail::atomicUpdate(address, [val](T old) { return val > old ? val : old; }); \
    }
GPU_ATOMIC_MIN_MAX(int)
GPU_ATOMIC_MIN_MAX(unsigned int)
GPU_ATOMIC_MIN_MAX(long long)
GPU_ATOMIC_MIN_MAX(unsigned long long)
#undef GPU_ATOMIC_MIN_MAX

inline int atomicAnd(int* address, int val) {
    return __atomic_fetch_and(address, val, __ATOMIC_RELAXED);
}
inline unsigned int atomicAnd(unsigned int* address, unsigned int val) {
    return __atomic_fetch_and(address, val, __ATOMIC_RELAXED);
}
inline int atomicOr(int* address, int val) {
    return __atomic_fetch_or(address, val, __ATOMIC_RELAXED);
}
inline unsigned int atomicOr(unsigned int* address, unsigned int val) {
    return __atomic_fetch_or(address, val, __ATOMIC_RELAXED);
}
inline int atomicXor(int* address, int val) {
    return __atomic_fetch_xor(address, val, __ATOMIC_RELAXED);
}
inline unsigned int atomicXor(unsigned int* address, unsigned int val) {
    return __atomic_fetch_xor(address, val, __ATOMIC_RELAXED);
}

inline void __threadfence() { __atomic_thread_fence(__ATOMIC_SEQ_CST); }

template <typename T>
inline T __ldg(const T* address) {
    return *address;
}

// ---- Device math. sqrtf, floorf, ceilf, fabsf, fminf, fmaxf, expf, sinf, ... are the C
// library's; the intrinsics below compute the exact function (no reduced precision).
inline float rsqrtf(float x) { return 1.0f / sqrtf(x); }
inline double rsqrt(double x) { return 1.0 / sqrt(x); }
inline float rcbrtf(float x) { return 1.0f / cbrtf(x); }
inline float __fdividef(float x, float y) { return x / y; }
inline float __frcp_rn(float x) { return 1.0f / x; }
inline float __fsqrt_rn(float x) { return sqrtf(x); }
inline float __frsqrt_rn(float x) { return 1.0f / sqrtf(x); }
inline float __fmaf_rn(float x, float y, float z) { return fmaf(x, y, z); }
inline float __expf(float x) { return expf(x); }
inline float __logf(float x) { return logf(x); }
inline float __log2f(float x) { return log2f(x); }
inline float __powf(float x, float y) { return powf(x, y); }
inline float __sinf(float x) { return sinf(x); }
inline float __cosf(float x) { return cosf(x); }
inline float __tanf(float x) { return tanf(x); }
inline void __sincosf(float x, float* s, float* c) { *s = sinf(x), *c = cosf(x); }
// Clamps to [0, 1]; NaN gives 0.
inline float __saturatef(float x) { return x >= 1.0f ? 1.0f : (x > 0.0f ? x : 0.0f); }

inline int __float2int_rn(float x) { return static_cast<int>(rintf(x)); }
inline int __float2int_rz(float x) { return static_cast<int>(truncf(x)); }
inline int __float2int_rd(float x) { return static_cast<int>(floorf(x)); }
inline int __float2int_ru(float x) { return static_cast<int>(ceilf(x)); }
inline unsigned int __float2uint_rn(float x) { return static_cast<unsigned int>(rintf(x)); }
inline float __int2float_rn(int x) { return static_cast<float>(x); }
inline float __uint2float_rn(unsigned int x) { return static_cast<float>(x); }
inline int __float_as_int(float x) {
    int r;
    std::memcpy(&r, &x, sizeof r);
    return r;
}
inline unsigned int __float_as_uint(float x) {
    unsigned int r;
    std::memcpy(&r, &x, sizeof r);
    return r;
}
inline float __int_as_float(int x) {
    float r;
    std::memcpy(&r, &x, sizeof r);
    return r;
}
inline float __uint_as_float(unsigned int x) {
    float r;
    std::memcpy(&r, &x, sizeof r);
    return r;
}

inline int __popc(unsigned int x) { return __builtin_popcount(x); }
inline int __popcll(unsigned long long x) { return __builtin_popcountll(x); }
inline int __clz(int x) { return x == 0 ? 32 : __builtin_clz(static_cast<unsigned int>(x)); }
inline int __clzll(long long x) {
    return x == 0 ? 64 : __builtin_clzll(static_cast<unsigned long long>(x));
}
inline int __ffs(int x) { return __builtin_ffs(x); }
inline int __ffsll(long long x) { return __builtin_ffsll(x); }

// min and max as CUDA overloads them; a signed and an unsigned integer of one width compare as
// unsigned.
namespace gpu::detail {
template <typename R, typename A, typename B>
inline R lesser(A a, B b) {
    return static_cast<R>(a) < static_cast<R>(b) ? static_cast<R>(a) : static_cast<R>(b);
}
template <typename R, typename A, typename B>
inline R greater(A a, B b) {
    return static_cast<R>(a) > static_cast<R>(b) ? static_cast<R>(a) : static_cast<R>(b);
}
}  // namespace gpu::detail
#define GPU_MIN_MAX(R, A, B)                                        \
    inline R min(A a, B b) { return gpu::detail::lesser<R>(a, b); } \
    inline R max(A a, B b) { return gpu::detail::greater<R>(a, b); }
GPU_MIN_MAX(int, int, int)
GPU_MIN_MAX(unsigned int, unsigned int, unsigned int)
GPU_MIN_MAX(unsigned int, int, unsigned int)
GPU_MIN_MAX(unsigned int, unsigned int, int)
GPU_MIN_MAX(long, long, long)
GPU_MIN_MAX(unsigned long, unsigned long, unsigned long)
GPU_MIN_MAX(unsigned long, long, unsigned long)
GPU_MIN_MAX(unsigned long, unsigned long, long)
GPU_MIN_MAX(long long, long long, long long)
GPU_MIN_MAX(unsigned long long, unsigned long long, unsigned long long)
GPU_MIN_MAX(unsigned long long, long long, unsigned long long)
GPU_MIN_MAX(unsigned long long, unsigned long long, long long)
#undef GPU_MIN_MAX
inline float min(float a, float b) { return fminf(a, b); }
inline float max(float a, float b) { return fmaxf(a, b); }
inline double min(double a, double b) { return fmin(a, b); }
inline double max(double a, double b) { return fmax(a, b); }
inline double min(float a, double b) { return fmin(a, b); }
inline double max(float a, double b) { return fmax(a, b); }
inline double min(double a, float b) { return fmin(a, b); }
inline double max(double a, float b) { return fmax(a, b); }
inline unsigned int umin(unsigned int a, unsigned int b) { return a < b ? a : b; }
inline unsigned int umax(unsigned int a, unsigned int b) { return a > b ? a : b; }
inline long long llmin(long long a, long long b) { return a < b ? a : b; }
inline long long llmax(long long a, long long b) { return a > b ? a : b; }
inline unsigned long long ullmin(unsigned long long a, unsigned long long b) {
    return a < b ? a : b;
}
inline unsigned long long ullmax(unsigned long long a, unsigned long long b) {
    return a > b ? a : b;
}

// ---- Host threads.
namespace gpu {

// How many host threads a launch may run on, the calling thread included: the processors this
// process may run on, unless setHostThreads() said otherwise.
int hostThreads();

// Sets hostThreads() for the launches that follow; 0 or less goes back to the processors.
void setHostThreads(int threads);

}  // namespace gpu

// ---- For the launcher.
namespace gpu::detail {

// How the blocks of a launch may be shared between host threads (gpu/launch.h).
enum class BlockOrder {
    any,      // gpuLaunch: any block on any thread
    inOrder,  // gpuLaunchInOrder: all its blocks on one thread, in index order
    banded,   // gpuLaunchBanded: block b waits only for the blocks near b of the launch before
};

// A kernel's launch: its grid and what runs a range of its blocks.
class LaunchCall {
public:
    LaunchCall(long long blocks, long long threadsPerBlock, BlockOrder order)
        : blocks(blocks), threadsPerBlock(threadsPerBlock), order(order) {}
    virtual ~LaunchCall() = default;
    LaunchCall(const LaunchCall&) = delete;
    LaunchCall& operator=(const LaunchCall&) = delete;

    // Runs blocks [first, last) in order; false when the kernel threw, the rest of the range
    // left unrun.
    virtual bool runBlocks(long long first, long long last) const = 0;

    const long long blocks;
    const long long threadsPerBlock;
    const BlockOrder order;
};

// Runs `call` before returning, sharing its blocks with the layer's workers unless it runs in
// order or has few blocks. Records cudaErrorLaunchFailure when the kernel threw.
void runNow(const LaunchCall& call);

// Whether a LaunchBatch is open on the calling thread; queue() adds to it.
bool batchOpen();
void queue(std::unique_ptr<LaunchCall> call);
void openBatch();
void closeBatch();

// Device memory: `bytes` of host memory aligned to 256 bytes, or nullptr when there is none.
// Blocks of 2 MiB and more are mapped on their own and asked for in huge pages, where the system
// gives them: a kernel's first pass over a fresh array then takes one fault per 2 MiB instead of
// one per page, and the block goes back to the system whole when it is freed (under
// AddressSanitizer they come from the heap, whose bounds it checks). freeDevice takes the block
// and the size it was asked for.
void* allocateDevice(size_t bytes);
void freeDevice(void* block, size_t bytes);

// Records `error` as the calling thread's last error.
void recordError(cudaError_t error);

// True when CUDA would accept a launch of this shape: no zero dimension, at most 1024 threads a
// block (1024 x 1024 x 64), at most 2^31-1 x 65535 x 65535 blocks. Otherwise records
// cudaErrorInvalidConfiguration and returns false.
bool validLaunch(dim3 grid, dim3 block);

}  // namespace gpu::detail

#endif
