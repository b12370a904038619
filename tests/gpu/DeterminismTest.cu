#include <gpu/launch.h>
#include <gpu/random.h>
#include <thrust/device_vector.h>
#include <thrust/reduce.h>
#include <thrust/scan.h>
#include <thrust/sort.h>

#include <algorithm>

#include "gpuTesting.h"

namespace {

constexpr int kBins = 64;

__global__ void shade(const float* table, float* values, int* keys, int* histogram, int n) {
    const int i = (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x;
    if (i >= n) return;
    const float r = table[i];
    values[i] = sqrtf(r) * 100.0f + rsqrtf(r + 1.0f) - __fdividef(r, 3.0f);
    keys[i] = __float2int_rd(r * 512.0f);
    atomicAdd(&histogram[keys[i] % kBins], 1);
}

// Items above the threshold take slots in the order of the walk.
__global__ void pick(const float* values, int* picked, unsigned int* count, int n) {
    const int i = blockIdx.x * blockDim.x + threadIdx.x;
    if (i < n && values[i] > 50.0f) picked[atomicAdd(count, 1u)] = i;
}

template <typename T>
T* raw(thrust::device_vector<T>& v) {
    return thrust::raw_pointer_cast(v.data());
}

struct Outputs {
    std::vector<int> histogram, offsets, keys, keySums, picked;
    std::vector<float> values, valueSums;
    float total;
};

// Random table -> kernels -> Thrust, as a node computes.
Outputs compute() {
    const int n = 100000;
    thrust::device_vector<float> table(n), values(n), valueSums(n);
    thrust::device_vector<int> keys(n), keySums(n), histogram(kBins), offsets(kBins), picked(n);
    curandGenerator_t generator;
    EXPECT_EQ(CURAND_STATUS_SUCCESS, curandCreateGenerator(&generator, CURAND_RNG_PSEUDO_DEFAULT));
    EXPECT_EQ(CURAND_STATUS_SUCCESS, curandSetPseudoRandomGeneratorSeed(generator, 2024));
    EXPECT_EQ(CURAND_STATUS_SUCCESS, curandGenerateUniform(generator, raw(table), n));
    curandDestroyGenerator(generator);

    gpuLaunch(shade, squareGrid(n, 128), dim3(128), raw(table), raw(values), raw(keys),
              raw(histogram), n);
    DeviceArray<unsigned int> count(1);
    gpuLaunchInOrder(pick, dim3(n / 64 + 1), dim3(64), raw(values), raw(picked), count.get(), n);
    EXPECT_EQ(cudaSuccess, cudaGetLastError());
    picked.resize(count.download()[0]);

    thrust::sort_by_key(keys.begin(), keys.end(), values.begin());
    thrust::exclusive_scan(histogram.begin(), histogram.end(), offsets.begin());
    thrust::inclusive_scan(keys.begin(), keys.end(), keySums.begin());
    thrust::inclusive_scan(values.begin(), values.end(), valueSums.begin());
    Outputs out;
    out.total = thrust::reduce(values.begin(), values.end(), 0.0f);
    out.histogram = toHost(histogram), out.offsets = toHost(offsets), out.keys = toHost(keys);
    out.keySums = toHost(keySums), out.picked = toHost(picked), out.values = toHost(values);
    out.valueSums = toHost(valueSums);
#if !defined(GPU_BACKEND_CPU)
    std::sort(out.picked.begin(), out.picked.end());  // a GPU takes the slots in its own order
#endif
    return out;
}

// Float sums and scans come out bit for bit the same whichever way the work is shared, on a
// quiet machine or a busy one. On a GPU, where the host threads change nothing: the same
// results on every run.
TEST(Determinism, SameResultsOnAnyNumberOfHostThreadsQuietOrLoaded) {
    const struct { int threads, busy; } runs[] = {{1, 0}, {8, 0}, {3, 0}, {8, 8}};
    Outputs reference;
    for (const auto& run : runs) {
        SCOPED_TRACE(testing::Message()
                     << run.threads << " threads beside " << run.busy << " busy ones");
        HostThreads threads(run.threads);
        BusyThreads busy(run.busy);
        const Outputs out = compute();
        if (run.threads == 1) {
            reference = out;
            EXPECT_FALSE(reference.picked.empty());
            continue;
        }
        EXPECT_EQ(reference.histogram, out.histogram);
        EXPECT_EQ(reference.offsets, out.offsets);
        EXPECT_EQ(reference.keys, out.keys);
        EXPECT_EQ(reference.keySums, out.keySums);
        EXPECT_EQ(reference.picked, out.picked);
        EXPECT_EQ(reference.values, out.values);  // sorted by key: the order of equal keys counts
        EXPECT_EQ(reference.valueSums, out.valueSums);
        EXPECT_EQ(reference.total, out.total);
    }
}

}  // namespace
