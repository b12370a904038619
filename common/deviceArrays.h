#pragma once
// Device buffers of one compute, for .cu files: raw pointers for kernel arguments, uploads and
// downloads that leave empty tables alone, and the random tables the point nodes draw from.
#include <thrust/copy.h>
#include <thrust/device_vector.h>
#include <maya/MStatus.h>

#include <vector>

template <typename T>
T* devicePointer(thrust::device_vector<T>& buffer) {
    return thrust::raw_pointer_cast(buffer.data());
}
template <typename T>
const T* devicePointer(const thrust::device_vector<T>& buffer) {
    return thrust::raw_pointer_cast(buffer.data());
}

// device = host (an empty host table gives an empty buffer).
template <typename T>
void upload(const std::vector<T>& host, thrust::device_vector<T>& device) {
    if (host.empty()) {
        device.clear();
        return;
    }
    device.assign(host.begin(), host.end());
}

// host = device.
template <typename T>
void download(const thrust::device_vector<T>& device, std::vector<T>& host) {
    host.resize(device.size());
    if (!device.empty()) thrust::copy(device.begin(), device.end(), host.begin());
}

// `count` uniform floats in (0, 1] from cuRAND's default pseudo-random generator seeded with
// `seed`, the same on both backends. A failing cuRAND call prints "Error at <file>:<line>\n" and
// fails; the generator is destroyed on every return.
MStatus makeRandomTable(unsigned long long seed, unsigned int count,
                        thrust::device_vector<float>& table);
