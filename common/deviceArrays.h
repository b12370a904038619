#pragma once
// Device buffers of one compute, for .cu files: raw pointers for kernel arguments, uploads and
// downloads that leave empty tables alone, and the random tables the point nodes draw from.
#include <gpu/thrust.h>
#include <thrust/copy.h>
#include <thrust/device_vector.h>
#include <maya/MStatus.h>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// The raw device pointer of a buffer, for kernel arguments (any allocator, gpu::DeviceBuffer
// included).
template <typename T, typename Allocator>
T* devicePointer(thrust::device_vector<T, Allocator>& buffer) {
    return thrust::raw_pointer_cast(buffer.data());
}
template <typename T, typename Allocator>
const T* devicePointer(const thrust::device_vector<T, Allocator>& buffer) {
    return thrust::raw_pointer_cast(buffer.data());
}

// device = host (an empty host table gives an empty buffer).
template <typename T, typename Allocator>
void upload(const std::vector<T>& host, thrust::device_vector<T, Allocator>& device) {
    if (host.empty()) {
        device.clear();
        return;
    }
    device.assign(host.begin(), host.end());
}

// host = device.
template <typename T, typename Allocator>
void download(const thrust::device_vector<T, Allocator>& device, std::vector<T>& host) {
    host.resize(device.size());
    if (!device.empty()) thrust::copy(device.begin(), device.end(), host.begin());
}

// A per-point table that kernels read or write, for the large tables of a compute. Built from
// host values (which it takes over) or as `count` values that a kernel fills. On the cuda
// backend it is a device buffer: the values are copied up when it is made and down by
// hostValues. On the cpu backend, where device memory is host memory, the kernels work on the
// host values themselves: nothing is copied either way, and a table made by count is not
// initialised (a kernel must write every value it is read back for).
template <typename T>
class DeviceTable {
public:
    DeviceTable() = default;
    explicit DeviceTable(std::vector<T>&& host) : size_(host.size()) {
#if defined(GPU_BACKEND_CUDA)
        upload(host, device_);
#else
        host_ = std::move(host);
        data_ = host_.data();
#endif
    }
    explicit DeviceTable(size_t count) : size_(count) {
#if defined(GPU_BACKEND_CUDA)
        device_.resize(count);
#else
        fresh_.reset(new T[count]);
        data_ = fresh_.get();
#endif
    }

    size_t size() const { return size_; }
    T* get() {
#if defined(GPU_BACKEND_CUDA)
        return devicePointer(device_);
#else
        return size_ ? data_ : nullptr;
#endif
    }
    // The values on the host: `scratch` receives them where a copy is needed (cuda backend).
    const T* hostValues(std::vector<T>& scratch) {
#if defined(GPU_BACKEND_CUDA)
        download(device_, scratch);
        return scratch.data();
#else
        (void)scratch;
        return data_;
#endif
    }

private:
    size_t size_ = 0;
#if defined(GPU_BACKEND_CUDA)
    gpu::DeviceBuffer<T> device_;  // a kernel fills a table made by count: no fill before
#else
    std::vector<T> host_;
    std::unique_ptr<T[]> fresh_;
    T* data_ = nullptr;
#endif
};

// `count` uniform floats in (0, 1] from cuRAND's default pseudo-random generator seeded with
// `seed`, the same on both backends. A failing cuRAND call prints "Error at <file>:<line>\n" and
// fails; the generator is destroyed on every return. On the cpu backend the last few tables
// made are kept and handed out again for the same seed and count.
MStatus makeRandomTable(unsigned long long seed, unsigned int count,
                        thrust::device_vector<float>& table);
