// The cpu backend's runtime subset: device memory is host memory, launches are synchronous.
#include <gpu/runtime.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

thread_local cudaError_t lastError = cudaSuccess;

cudaError_t fail(cudaError_t error) {
    lastError = error;
    return error;
}

constexpr size_t kAlignment = 256;  // what cudaMalloc guarantees
constexpr size_t kHugePage = size_t(2) << 20;

// Under AddressSanitizer every block comes from the heap, where it checks the bounds of each.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif
#else
constexpr bool kMapLargeBlocks = true;
#endif

// The blocks cudaMalloc handed out and cudaFree has not taken back, with their sizes.
struct Allocations {
    std::mutex mutex;
    std::unordered_map<void*, size_t> live;
};

Allocations& allocations() {
    static Allocations* table = new Allocations;  // never destroyed: frees may come at exit
    return *table;
}

bool validKind(cudaMemcpyKind kind) {
    switch (kind) {
        case cudaMemcpyHostToHost:
        case cudaMemcpyHostToDevice:
        case cudaMemcpyDeviceToHost:
        case cudaMemcpyDeviceToDevice:
        case cudaMemcpyDefault:
            return true;
    }
    return false;
}

// MemAvailable / MemTotal from /proc/meminfo, in bytes; 0 where missing.
void readMemInfo(size_t* available, size_t* total) {
    *available = *total = 0;
    if (FILE* f = std::fopen("/proc/meminfo", "r")) {
        char name[64];
        unsigned long long kib;
        while (std::fscanf(f, "%63s %llu kB", name, &kib) == 2) {
            if (std::strcmp(name, "MemAvailable:") == 0) *available = kib * 1024;
            if (std::strcmp(name, "MemTotal:") == 0) *total = kib * 1024;
        }
        std::fclose(f);
    }
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    if (*total == 0) *total = static_cast<size_t>(sysconf(_SC_PHYS_PAGES)) * page;
    if (*available == 0) *available = static_cast<size_t>(sysconf(_SC_AVPHYS_PAGES)) * page;
}

// GPU_MEMORY_LIMIT: bytes, optionally followed by K, M or G (powers of 1024); 0 when unset or
// not of that form.
size_t memoryLimitFromEnvironment() {
    const char* text = std::getenv("GPU_MEMORY_LIMIT");
    if (text == nullptr || *text == '\0') return 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text) return 0;
    unsigned long long scale = 1;
    switch (*end) {
        case 'K': case 'k': scale = 1ull << 10, ++end; break;
        case 'M': case 'm': scale = 1ull << 20, ++end; break;
        case 'G': case 'g': scale = 1ull << 30, ++end; break;
        default: break;
    }
    if (*end != '\0' || value > SIZE_MAX / scale) return 0;
    return static_cast<size_t>(value * scale);
}

// The bytes this process holds in physical memory: device memory is host memory here, so all
// of it counts against a budget.
size_t residentBytes() {
    unsigned long long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%llu %llu", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// The device memory budget: the machine's available and total memory, or, under a smaller
// GPU_MEMORY_LIMIT, that limit as the total and what this process does not hold of it as free.
void readMemoryBudget(size_t* free, size_t* total) {
    readMemInfo(free, total);
    const size_t limit = memoryLimitFromEnvironment();
    if (limit == 0 || limit >= *total) return;
    const size_t held = residentBytes();
    const size_t unused = held < limit ? limit - held : 0;
    *total = limit;
    if (unused < *free) *free = unused;
}

size_t roundUp(size_t bytes, size_t unit) { return (bytes + unit - 1) / unit * unit; }

// A mapping of `bytes` (a multiple of the page) that starts on a huge page boundary: a huge page
// more is mapped and what lies before the boundary and after the block is given back.
void* mapOnHugePages(size_t bytes) {
    void* mapped =
        mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    char* const start = static_cast<char*>(mapped);
    char* const block = reinterpret_cast<char*>(
        roundUp(reinterpret_cast<std::uintptr_t>(start), kHugePage));
    if (block > start) munmap(start, static_cast<size_t>(block - start));
    char* const end = start + bytes + kHugePage;
    if (end > block + bytes) munmap(block + bytes, static_cast<size_t>(end - (block + bytes)));
    madvise(block, bytes, MADV_HUGEPAGE);  // a hint: refused or ignored, the block stays good
    return block;
}

size_t pageSize() {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return page;
}

}  // namespace

namespace gpu::detail {

void* allocateDevice(size_t bytes) {
    if (kMapLargeBlocks && bytes >= kHugePage && bytes <= SIZE_MAX - 2 * kHugePage)
        return mapOnHugePages(roundUp(bytes, pageSize()));
    if (bytes > SIZE_MAX - kAlignment) return nullptr;
    return std::aligned_alloc(kAlignment, roundUp(bytes == 0 ? 1 : bytes, kAlignment));
}

void freeDevice(void* block, size_t bytes) {
    if (block == nullptr) return;
    if (kMapLargeBlocks && bytes >= kHugePage) {
        munmap(block, roundUp(bytes, pageSize()));
    } else {
        std::free(block);
    }
}

void recordError(cudaError_t error) { lastError = error; }

bool validLaunch(dim3 grid, dim3 block) {
    const unsigned long long threads = 1ull * block.x * block.y * block.z;
    const bool valid = grid.x != 0 && grid.y != 0 && grid.z != 0 && threads != 0 &&
                       threads <= 1024 && block.x <= 1024 && block.y <= 1024 && block.z <= 64 &&
                       grid.x <= 0x7fffffffu && grid.y <= 65535 && grid.z <= 65535;
    if (!valid) lastError = cudaErrorInvalidConfiguration;
    return valid;
}

}  // namespace gpu::detail

extern "C" {

cudaError_t cudaMalloc(void** devPtr, size_t size) {
    if (devPtr == nullptr) return fail(cudaErrorInvalidValue);
    *devPtr = nullptr;
    if (size == 0) return cudaSuccess;
    void* p = gpu::detail::allocateDevice(size);
    if (p == nullptr) return fail(cudaErrorMemoryAllocation);
    try {
        Allocations& table = allocations();
        std::lock_guard<std::mutex> lock(table.mutex);
        table.live.emplace(p, size);
    } catch (const std::bad_alloc&) {
        gpu::detail::freeDevice(p, size);
        return fail(cudaErrorMemoryAllocation);
    }
    *devPtr = p;
    return cudaSuccess;
}

cudaError_t cudaFree(void* devPtr) {
    if (devPtr == nullptr) return cudaSuccess;
    size_t size = 0;
    {
        Allocations& table = allocations();
        std::lock_guard<std::mutex> lock(table.mutex);
        const auto block = table.live.find(devPtr);
        if (block == table.live.end()) return fail(cudaErrorInvalidValue);
        size = block->second;
        table.live.erase(block);
    }
    gpu::detail::freeDevice(devPtr, size);
    return cudaSuccess;
}

cudaError_t cudaMemcpy(void* dst, const void* src, size_t count, cudaMemcpyKind kind) {
    if (!validKind(kind)) return fail(cudaErrorInvalidMemcpyDirection);
    if (count == 0) return cudaSuccess;
    if (dst == nullptr || src == nullptr) return fail(cudaErrorInvalidValue);
    std::memmove(dst, src, count);
    return cudaSuccess;
}

cudaError_t cudaMemcpyToSymbol(const void* symbol, const void* src, size_t count, size_t offset,
                               cudaMemcpyKind kind) {
    if (kind != cudaMemcpyHostToDevice && kind != cudaMemcpyDeviceToDevice &&
        kind != cudaMemcpyDefault)
        return fail(cudaErrorInvalidMemcpyDirection);
    if (symbol == nullptr) return fail(cudaErrorInvalidValue);
    return cudaMemcpy(static_cast<char*>(const_cast<void*>(symbol)) + offset, src, count, kind);
}

cudaError_t cudaMemcpyFromSymbol(void* dst, const void* symbol, size_t count, size_t offset,
                                 cudaMemcpyKind kind) {
    if (kind != cudaMemcpyDeviceToHost && kind != cudaMemcpyDeviceToDevice &&
        kind != cudaMemcpyDefault)
        return fail(cudaErrorInvalidMemcpyDirection);
    if (symbol == nullptr) return fail(cudaErrorInvalidValue);
    return cudaMemcpy(dst, static_cast<const char*>(symbol) + offset, count, kind);
}

cudaError_t cudaMemset(void* devPtr, int value, size_t count) {
    if (count == 0) return cudaSuccess;
    if (devPtr == nullptr) return fail(cudaErrorInvalidValue);
    std::memset(devPtr, value, count);
    return cudaSuccess;
}

cudaError_t cudaMemGetInfo(size_t* free, size_t* total) {
    if (free == nullptr || total == nullptr) return fail(cudaErrorInvalidValue);
    readMemoryBudget(free, total);
    return cudaSuccess;
}

cudaError_t cudaGetLastError(void) {
    const cudaError_t error = lastError;
    lastError = cudaSuccess;
    return error;
}

cudaError_t cudaPeekAtLastError(void) { return lastError; }

const char* cudaGetErrorName(cudaError_t error) {
    switch (error) {
        case cudaSuccess:
            return "cudaSuccess";
        case cudaErrorInvalidValue:
            return "cudaErrorInvalidValue";
        case cudaErrorMemoryAllocation:
            return "cudaErrorMemoryAllocation";
        case cudaErrorInvalidConfiguration:
            return "cudaErrorInvalidConfiguration";
        case cudaErrorInvalidMemcpyDirection:
            return "cudaErrorInvalidMemcpyDirection";
        case cudaErrorInvalidDevice:
            return "cudaErrorInvalidDevice";
        case cudaErrorLaunchFailure:
            return "cudaErrorLaunchFailure";
        default:
            return "cudaErrorUnknown";
    }
}

const char* cudaGetErrorString(cudaError_t error) {
    switch (error) {
        case cudaSuccess:
            return "no error";
        case cudaErrorInvalidValue:
            return "invalid argument";
        case cudaErrorMemoryAllocation:
            return "out of memory";
        case cudaErrorInvalidConfiguration:
            return "invalid launch configuration";
        case cudaErrorInvalidMemcpyDirection:
            return "invalid copy direction";
        case cudaErrorInvalidDevice:
            return "invalid device ordinal";
        case cudaErrorLaunchFailure:
            return "kernel failed during launch";
        default:
            return "unrecognized error code";
    }
}

cudaError_t cudaDeviceSynchronize(void) { return cudaSuccess; }

cudaError_t cudaGetDeviceCount(int* count) {
    if (count == nullptr) return fail(cudaErrorInvalidValue);
    *count = 1;
    return cudaSuccess;
}

cudaError_t cudaGetDevice(int* device) {
    if (device == nullptr) return fail(cudaErrorInvalidValue);
    *device = 0;
    return cudaSuccess;
}

cudaError_t cudaSetDevice(int device) {
    return device == 0 ? cudaSuccess : fail(cudaErrorInvalidDevice);
}

cudaError_t cudaGetDeviceProperties(cudaDeviceProp* prop, int device) {
    if (prop == nullptr) return fail(cudaErrorInvalidValue);
    if (device != 0) return fail(cudaErrorInvalidDevice);
    std::memset(prop, 0, sizeof *prop);
    std::snprintf(prop->name, sizeof prop->name, "cpu backend (%d processors)",
                  gpu::hostThreads());
    size_t available;
    readMemoryBudget(&available, &prop->totalGlobalMem);
    prop->multiProcessorCount = gpu::hostThreads();
    prop->warpSize = 32;
    prop->maxThreadsPerBlock = 1024;
    prop->maxThreadsDim[0] = prop->maxThreadsDim[1] = 1024;
    prop->maxThreadsDim[2] = 64;
    prop->maxGridSize[0] = 0x7fffffff;
    prop->maxGridSize[1] = prop->maxGridSize[2] = 65535;
    return cudaSuccess;
}

}  // extern "C"
