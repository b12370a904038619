#include <gpu/launch.h>
#include <gpu/thrust.h>
#include <thrust/device_vector.h>
#include <thrust/functional.h>
#include <thrust/reduce.h>
#include <thrust/scan.h>
#include <thrust/sort.h>

#include <algorithm>
#include <numeric>

#include "gpuTesting.h"

namespace {

// Keys with many repeats.
__host__ __device__ int keyOf(int i) { return int((unsigned(i) * 2654435761u) >> 7) % 1000; }

__global__ void writeKeys(int* keys, int* values, int n) {
    const int i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < n) keys[i] = keyOf(i), values[i] = i;
}

const int kSizes[] = {0, 1, 1000, 100003};

TEST(Thrust, SortByKeyOnKeysAKernelWrote) {
    for (int n : kSizes) {
        SCOPED_TRACE(n);
        thrust::device_vector<int> keys(n), values(n);
        gpuLaunch(writeKeys, dim3(n / 64 + 1), dim3(64), thrust::raw_pointer_cast(keys.data()),
                  thrust::raw_pointer_cast(values.data()), n);
        ASSERT_EQ(cudaSuccess, cudaGetLastError());
        thrust::sort_by_key(keys.begin(), keys.end(), values.begin());

        const std::vector<int> k = toHost(keys), v = toHost(values);
        EXPECT_TRUE(std::is_sorted(k.begin(), k.end()));
        std::vector<bool> seen(n);
        for (int j = 0; j < n; ++j) {
            ASSERT_TRUE(v[j] >= 0 && v[j] < n && !seen[v[j]]) << "value " << v[j];
            seen[v[j]] = true;
            ASSERT_EQ(keyOf(v[j]), k[j]) << "position " << j;  // each value kept its key
        }
    }
}

// Arrays of several huge pages, and a sort whose scratch is as large: the device memory's own
// blocks hold what is written to them, and the parallel sort keeps equal keys in order.
TEST(Thrust, ParallelStableSortOfBuffersBeyondAHugePage) {
    const int n = 3 << 20;  // 12 MiB of keys
    gpu::DeviceBuffer<int> keys(n), values(n);
    gpuLaunch(writeKeys, dim3(n / 256), dim3(256), thrust::raw_pointer_cast(keys.data()),
              thrust::raw_pointer_cast(values.data()), n);
    ASSERT_EQ(cudaSuccess, cudaGetLastError());
    thrust::stable_sort_by_key(gpu::parallel, keys.begin(), keys.end(), values.begin());

    std::vector<int> expected(n);
    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(),
                     [](int a, int b) { return keyOf(a) < keyOf(b); });
    EXPECT_EQ(expected, toHost(values));
    const std::vector<int> k = toHost(keys);
    EXPECT_TRUE(std::is_sorted(k.begin(), k.end()));
    EXPECT_EQ(keyOf(expected[n - 1]), k[n - 1]);
}

TEST(Thrust, ScansAndReductions) {
    for (int n : kSizes) {
        SCOPED_TRACE(n);
        std::vector<int> host(n);
        for (int i = 0; i < n; ++i) host[i] = keyOf(i) - 500;
        const thrust::device_vector<int> in(host.begin(), host.end());

        thrust::device_vector<int> out(n);
        thrust::inclusive_scan(in.begin(), in.end(), out.begin());
        std::vector<int> expected(n);
        std::partial_sum(host.begin(), host.end(), expected.begin());
        EXPECT_EQ(expected, toHost(out));

        thrust::exclusive_scan(in.begin(), in.end(), out.begin(), 7);
        if (n > 0) {
            expected.insert(expected.begin(), 0), expected.pop_back();
            for (int& e : expected) e += 7;
        }
        EXPECT_EQ(expected, toHost(out));

        EXPECT_EQ(std::accumulate(host.begin(), host.end(), 0),
                  thrust::reduce(in.begin(), in.end()));
        EXPECT_EQ(n ? *std::max_element(host.begin(), host.end()) : -1000,
                  thrust::reduce(in.begin(), in.end(), -1000, thrust::maximum<int>()));

        // Halves sum exactly in float: the result does not depend on the order of the sums.
        std::vector<float> halves(n);
        for (int i = 0; i < n; ++i) halves[i] = 0.5f * (i % 7);
        const thrust::device_vector<float> h(halves.begin(), halves.end());
        EXPECT_EQ(std::accumulate(halves.begin(), halves.end(), 0.0f),
                  thrust::reduce(h.begin(), h.end(), 0.0f));
    }
}

}  // namespace
