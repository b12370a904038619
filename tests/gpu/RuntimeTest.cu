#include <gpu/launch.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "gpuTesting.h"

namespace {

TEST(Runtime, CopiesAndFillsRoundTrip) {
    const int n = 1000;
    std::vector<int> host(n);
    for (int i = 0; i < n; ++i) host[i] = i * 7 - 3;
    int *a = nullptr, *b = nullptr;
    ASSERT_EQ(cudaSuccess, cudaMalloc(&a, n * sizeof(int)));
    ASSERT_EQ(cudaSuccess, cudaMalloc(&b, n * sizeof(int)));
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(a) % 256);

    EXPECT_EQ(cudaSuccess, cudaMemcpy(a, host.data(), n * sizeof(int), cudaMemcpyHostToDevice));
    EXPECT_EQ(cudaSuccess, cudaMemcpy(b, a, n * sizeof(int), cudaMemcpyDeviceToDevice));
    std::vector<int> back(n);
    EXPECT_EQ(cudaSuccess, cudaMemcpy(back.data(), b, n * sizeof(int), cudaMemcpyDeviceToHost));
    EXPECT_EQ(host, back);

    EXPECT_EQ(cudaSuccess, cudaMemset(b, 0xff, n * sizeof(int)));
    EXPECT_EQ(cudaSuccess, cudaMemcpy(back.data(), b, n * sizeof(int), cudaMemcpyDefault));
    EXPECT_EQ(std::vector<int>(n, -1), back);

    EXPECT_EQ(cudaSuccess, cudaFree(a));
    EXPECT_EQ(cudaSuccess, cudaFree(b));
    EXPECT_EQ(cudaSuccess, cudaFree(nullptr));
    void* empty = nullptr;
    EXPECT_EQ(cudaSuccess, cudaMalloc(&empty, 0));
    EXPECT_EQ(cudaSuccess, cudaFree(empty));
    EXPECT_EQ(cudaSuccess, cudaGetLastError());
}

// Small blocks come from the heap, blocks of a huge page and more are mapped on their own: each
// is aligned, whole to its last byte and taken back once.
TEST(Runtime, DeviceBlocksOfEverySizeAreWholeAndAligned) {
    const size_t hugePage = size_t(2) << 20;
    for (size_t size : {size_t(1), size_t(255), size_t(4096), hugePage - 1, hugePage,
                        hugePage + 1, 7 * hugePage + 3}) {
        SCOPED_TRACE(size);
        unsigned char* block = nullptr;
        ASSERT_EQ(cudaSuccess, cudaMalloc(&block, size));
        EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(block) % 256);
        ASSERT_EQ(cudaSuccess, cudaMemset(block, 0x5a, size));
        EXPECT_EQ(0x5a, block[0]);
        EXPECT_EQ(0x5a, block[size - 1]);
        EXPECT_EQ(cudaSuccess, cudaFree(block));
        EXPECT_EQ(cudaErrorInvalidValue, cudaFree(block));  // freed twice: refused, not unmapped
        EXPECT_EQ(cudaErrorInvalidValue, cudaGetLastError());
    }
}

TEST(Runtime, AFailedCallReturnsAndRecordsItsError) {
    static int source[4], target[4];
    const struct {
        const char* name;
        std::function<cudaError_t()> call;
        cudaError_t expected;
    } cases[] = {
        {"allocation beyond any memory",
         [] {
             void* p;
             return cudaMalloc(&p, size_t(1) << 62);
         },
         cudaErrorMemoryAllocation},
        {"allocation without a result", [] { return cudaMalloc(nullptr, 16); },
         cudaErrorInvalidValue},
        {"copy of an unknown kind",
         [] { return cudaMemcpy(target, source, sizeof source, cudaMemcpyKind(42)); },
         cudaErrorInvalidMemcpyDirection},
        {"properties of a missing device",
         [] {
             cudaDeviceProp prop;
             return cudaGetDeviceProperties(&prop, 1000);
         },
         cudaErrorInvalidDevice},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, c.call());
        EXPECT_EQ(c.expected, cudaPeekAtLastError());
        EXPECT_EQ(c.expected, cudaGetLastError());
        EXPECT_EQ(cudaSuccess, cudaGetLastError());
    }

    void* p = nullptr;
    ASSERT_EQ(cudaSuccess, cudaMalloc(&p, 64));
    ASSERT_EQ(cudaSuccess, cudaFree(p));
    EXPECT_NE(cudaSuccess, cudaFree(p));  // freed twice
    EXPECT_NE(cudaSuccess, cudaGetLastError());
}

TEST(Runtime, ErrorTextsAreDistinct) {
    std::set<std::string> texts;
    for (cudaError_t e : {cudaSuccess, cudaErrorInvalidValue, cudaErrorMemoryAllocation,
                          cudaErrorInvalidConfiguration, cudaErrorLaunchFailure}) {
        const std::string text = cudaGetErrorString(e);
        EXPECT_FALSE(text.empty());
        texts.insert(text);
        EXPECT_NE(nullptr, cudaGetErrorName(e));
    }
    EXPECT_EQ(5u, texts.size());
    EXPECT_NE(nullptr, cudaGetErrorString(cudaError_t(123456)));
}

TEST(Runtime, DescribesTheDeviceAndItsMemory) {
    size_t free = 0, total = 0;
    ASSERT_EQ(cudaSuccess, cudaMemGetInfo(&free, &total));
    EXPECT_GT(free, 0u);
    EXPECT_LE(free, total);

    int count = 0;
    ASSERT_EQ(cudaSuccess, cudaGetDeviceCount(&count));
    EXPECT_GE(count, 1);
    cudaDeviceProp prop;
    ASSERT_EQ(cudaSuccess, cudaGetDeviceProperties(&prop, 0));
    EXPECT_EQ(1024, prop.maxThreadsPerBlock);
    EXPECT_EQ(64, prop.maxThreadsDim[2]);
    EXPECT_EQ(65535, prop.maxGridSize[1]);
    EXPECT_GT(prop.totalGlobalMem, 0u);
    EXPECT_EQ(cudaSuccess, cudaDeviceSynchronize());
}

__constant__ float weights[4];
__device__ int calls;

__global__ void weigh(const float* in, float* out) {
    out[threadIdx.x] = in[threadIdx.x] * weights[threadIdx.x];
    atomicAdd(&calls, 1);
}

TEST(Runtime, SymbolsTakeAndGiveCopies) {
    const float w[4] = {0.5f, 2.0f, -1.0f, 4.0f};
    const int zero = 0;
    ASSERT_EQ(cudaSuccess, cudaMemcpyToSymbol(weights, w, sizeof w));
    ASSERT_EQ(cudaSuccess, cudaMemcpyToSymbol(calls, &zero, sizeof zero));
    DeviceArray<float> in(std::vector<float>{1, 2, 3, 4}), out(4);
    gpuLaunch(weigh, dim3(1), dim3(4), in.get(), out.get());
    ASSERT_EQ(cudaSuccess, cudaGetLastError());
    EXPECT_EQ((std::vector<float>{0.5f, 4.0f, -3.0f, 16.0f}), out.download());
    int n = 0;
    ASSERT_EQ(cudaSuccess, cudaMemcpyFromSymbol(&n, calls, sizeof n));
    EXPECT_EQ(4, n);
}

// A few device functions whose results CUDA defines exactly.
__global__ void deviceMath(int* i, float* f) {
    i[0] = min(-1, 1u) == 1u;  // signed and unsigned compare as unsigned
    i[1] = max(-3, 2);
    i[2] = __float2int_rn(2.5f);  // to nearest even
    i[3] = __float2int_rn(-3.5f);
    i[4] = __float2int_rd(-0.5f);
    i[5] = __float2int_rz(-1.7f);
    i[6] = __clz(1);
    i[7] = __clz(0);
    i[8] = __ffs(8);
    i[9] = __popc(0xf0f0u);
    i[10] = __float_as_int(1.0f);
    f[0] = rsqrtf(4.0f);
    f[1] = __saturatef(2.0f);
    f[2] = __saturatef(-1.0f);
    f[3] = __saturatef(sqrtf(-1.0f));  // NaN
    f[4] = fminf(3.0f, fmaxf(-2.0f, 1.0f));
    f[5] = __fdividef(1.0f, 4.0f);
    f[6] = floorf(-1.5f) + fabsf(-0.25f);
    f[7] = max(1.5f, 2.5f) + min(1.5f, 2.5f);
}

TEST(Runtime, DeviceMathAsCudaDefinesIt) {
    DeviceArray<int> i(11);
    DeviceArray<float> f(8);
    gpuLaunch(deviceMath, dim3(1), dim3(1), i.get(), f.get());
    ASSERT_EQ(cudaSuccess, cudaGetLastError());
    EXPECT_EQ((std::vector<int>{1, 2, 2, -4, -1, -1, 31, 32, 4, 8, 0x3f800000}), i.download());
    const std::vector<float> expected{0.5f, 1.0f, 0.0f, 0.0f, 1.0f, 0.25f, -1.75f, 4.0f};
    const std::vector<float> got = f.download();
    for (size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(expected[k], got[k], 1e-6f) << k;
}

}  // namespace
