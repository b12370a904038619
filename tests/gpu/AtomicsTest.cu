#include <gpu/launch.h>

#include <algorithm>
#include <climits>
#include <numeric>

#include "gpuTesting.h"

namespace {

struct Counters {
    int added;
    unsigned int addedTwice;
    unsigned long long addedWide;
    float addedFloat;
    double addedHalf;
    int subtracted;
    unsigned int subtractedUnsigned;
    unsigned int wrapping;  // atomicInc up to kWrap
    int largest;
    int smallest;
};

constexpr unsigned int kWrap = 9;

__global__ void contend(Counters* c, int* addOld, unsigned int* incOld, int n) {
    const int i = (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x;
    if (i >= n) return;
    addOld[i] = atomicAdd(&c->added, 1);
    atomicAdd(&c->addedTwice, 2u);
    atomicAdd(&c->addedWide, 1ull << 33);
    atomicAdd(&c->addedFloat, 1.0f);
    atomicAdd(&c->addedHalf, 0.5);
    atomicSub(&c->subtracted, 3);
    atomicSub(&c->subtractedUnsigned, 1u);
    incOld[i] = atomicInc(&c->wrapping, kWrap);
    atomicMax(&c->largest, i);
    atomicMin(&c->smallest, i);
}

TEST(Atomics, CountsAreExactUnderTheParallelWalk) {
    HostThreads threads(8);
    const int n = 200000;  // a multiple of kWrap + 1
    Counters start{};
    start.subtractedUnsigned = 1u << 30;
    start.largest = INT_MIN;
    start.smallest = INT_MAX;
    DeviceArray<Counters> counters(std::vector<Counters>{start});
    DeviceArray<int> addOld(n);
    DeviceArray<unsigned int> incOld(n);
    gpuLaunch(contend, squareGrid(n, 128), dim3(128), counters.get(), addOld.get(), incOld.get(),
              n);
    ASSERT_EQ(cudaSuccess, cudaGetLastError());

    const Counters c = counters.download()[0];
    EXPECT_EQ(n, c.added);
    EXPECT_EQ(2u * n, c.addedTwice);
    EXPECT_EQ((1ull << 33) * n, c.addedWide);
    EXPECT_EQ(float(n), c.addedFloat);
    EXPECT_EQ(n / 2.0, c.addedHalf);
    EXPECT_EQ(-3 * n, c.subtracted);
    EXPECT_EQ((1u << 30) - n, c.subtractedUnsigned);
    EXPECT_EQ(n % (kWrap + 1), c.wrapping);
    EXPECT_EQ(n - 1, c.largest);
    EXPECT_EQ(0, c.smallest);

    // Every old value atomicAdd returned is taken exactly once ...
    std::vector<int> olds = addOld.download(), expected(n);
    std::sort(olds.begin(), olds.end());
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(expected, olds);
    // ... and atomicInc returned each value of its cycle equally often.
    std::vector<int> perValue(kWrap + 1);
    for (unsigned int old : incOld.download()) {
        ASSERT_LE(old, kWrap);
        ++perValue[old];
    }
    EXPECT_EQ(std::vector<int>(kWrap + 1, n / (kWrap + 1)), perValue);
}

enum Op { kInc, kDec, kCAS, kExch, kAdd, kSub, kMin, kMax, kAnd, kOr, kXor };

__global__ void applyOnce(Op op, unsigned int* value, unsigned int operand, unsigned int compare,
                          unsigned int* old) {
    switch (op) {
        case kInc:
            *old = atomicInc(value, operand);
            break;
        case kDec:
            *old = atomicDec(value, operand);
            break;
        case kCAS:
            *old = atomicCAS(value, compare, operand);
            break;
        case kExch:
            *old = atomicExch(value, operand);
            break;
        case kAdd:
            *old = atomicAdd(value, operand);
            break;
        case kSub:
            *old = atomicSub(value, operand);
            break;
        case kMin:
            *old = atomicMin(value, operand);
            break;
        case kMax:
            *old = atomicMax(value, operand);
            break;
        case kAnd:
            *old = atomicAnd(value, operand);
            break;
        case kOr:
            *old = atomicOr(value, operand);
            break;
        case kXor:
            *old = atomicXor(value, operand);
            break;
    }
}

TEST(Atomics, ReturnTheOldValueAndUpdateAsCudaDoes) {
    const struct {
        const char* name;
        Op op;
        unsigned int value, operand, compare, after;
    } cases[] = {
        {"inc below the limit", kInc, 5, 9, 0, 6},
        {"inc at the limit wraps", kInc, 9, 9, 0, 0},
        {"inc above the limit wraps", kInc, 12, 9, 0, 0},
        {"inc with limit 0", kInc, 0, 0, 0, 0},
        {"dec", kDec, 5, 9, 0, 4},
        {"dec from 0 wraps to the limit", kDec, 0, 9, 0, 9},
        {"dec above the limit", kDec, 12, 9, 0, 9},
        {"cas that matches", kCAS, 7, 3, 7, 3},
        {"cas that does not", kCAS, 7, 3, 8, 7},
        {"exch", kExch, 7, 3, 0, 3},
        {"add wraps", kAdd, UINT_MAX, 2, 0, 1},
        {"sub wraps", kSub, 0, 1, 0, UINT_MAX},
        {"min", kMin, 7, 3, 0, 3},
        {"min keeps", kMin, 3, 7, 0, 3},
        {"max is unsigned", kMax, 7, 0x80000000u, 0, 0x80000000u},
        {"and", kAnd, 0b1100, 0b1010, 0, 0b1000},
        {"or", kOr, 0b1100, 0b1010, 0, 0b1110},
        {"xor", kXor, 0b1100, 0b1010, 0, 0b0110},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceArray<unsigned int> value(std::vector<unsigned int>{c.value}), old(1);
        gpuLaunch(applyOnce, dim3(1), dim3(1), c.op, value.get(), c.operand, c.compare, old.get());
        ASSERT_EQ(cudaSuccess, cudaGetLastError());
        EXPECT_EQ(c.value, old.download()[0]);
        EXPECT_EQ(c.after, value.download()[0]);
    }
}

}  // namespace
