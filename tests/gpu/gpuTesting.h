#pragma once
// What the device layer's tests share.
#include <gpu/runtime.h>
#include <gtest/gtest.h>
#include <thrust/copy.h>
#include <thrust/device_vector.h>

#include <cmath>
#include <vector>

#include "common/busyThreads.h"

// The values of a device vector, on the host.
template <typename T, typename Allocator>
std::vector<T> toHost(const thrust::device_vector<T, Allocator>& values) {
    std::vector<T> host(values.size());
    // Thrust's host copies dereference the host end of a range even when it is empty.
    if (!values.empty()) thrust::copy(values.begin(), values.end(), host.begin());
    return host;
}

// An array in device memory, freed with the object.
template <typename T>
class DeviceArray {
public:
    explicit DeviceArray(size_t n) : n_(n) {
        EXPECT_EQ(cudaSuccess, cudaMalloc(&data_, n * sizeof(T)));
        EXPECT_EQ(cudaSuccess, cudaMemset(data_, 0, n * sizeof(T)));
    }
    explicit DeviceArray(const std::vector<T>& values) : DeviceArray(values.size()) {
        EXPECT_EQ(cudaSuccess,
                  cudaMemcpy(data_, values.data(), n_ * sizeof(T), cudaMemcpyHostToDevice));
    }
    ~DeviceArray() { cudaFree(data_); }
    DeviceArray(const DeviceArray&) = delete;
    DeviceArray& operator=(const DeviceArray&) = delete;

    T* get() const { return data_; }
    std::vector<T> download() const {
        std::vector<T> values(n_);
        EXPECT_EQ(cudaSuccess,
                  cudaMemcpy(values.data(), data_, n_ * sizeof(T), cudaMemcpyDeviceToHost));
        return values;
    }

private:
    size_t n_;
    T* data_ = nullptr;
};

// On the cpu backend, the launches made while this lives share their blocks among `threads` host
// threads (Thrust's gpu::parallel calls run on TBB's threads regardless). Nothing on a GPU.
class HostThreads {
public:
    explicit HostThreads(int threads) {
#if defined(GPU_BACKEND_CPU)
        saved_ = gpu::hostThreads();
        gpu::setHostThreads(threads);
#else
        (void)threads;
#endif
    }
    ~HostThreads() {
#if defined(GPU_BACKEND_CPU)
        gpu::setHostThreads(saved_);
#endif
    }
    HostThreads(const HostThreads&) = delete;
    HostThreads& operator=(const HostThreads&) = delete;

private:
    int saved_ = 0;
};

// The two-dimensional shape the plug-ins launch n items with, in blocks of b threads:
// x = ceil(sqrt(ceil(n / b))), y = ceil(n / (x * b)); item
// i = (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x. No grid for n = 0.
inline dim3 squareGrid(unsigned int n, unsigned int b) {
    const unsigned int blocks = (n + b - 1) / b;
    const auto x = static_cast<unsigned int>(std::ceil(std::sqrt(static_cast<double>(blocks))));
    const unsigned int y = x ? (n + x * b - 1) / (x * b) : 0;
    return dim3(x, y);
}
