#include <gpu/random.h>

#include "gpuTesting.h"

namespace {

// A table of n uniform floats for one seed, made as the plug-ins make theirs.
std::vector<float> uniformTable(unsigned long long seed, size_t n) {
    curandGenerator_t generator;
    EXPECT_EQ(CURAND_STATUS_SUCCESS, curandCreateGenerator(&generator, CURAND_RNG_PSEUDO_DEFAULT));
    EXPECT_EQ(CURAND_STATUS_SUCCESS, curandSetPseudoRandomGeneratorSeed(generator, seed));
    DeviceArray<float> table(n);
    EXPECT_EQ(CURAND_STATUS_SUCCESS, curandGenerateUniform(generator, table.get(), n));
    EXPECT_EQ(CURAND_STATUS_SUCCESS, curandDestroyGenerator(generator));
    return table.download();
}

TEST(Random, OneSeedRepeatsAnotherDiffers) {
    const size_t n = 10000;
    const std::vector<float> first = uniformTable(1234, n);
    EXPECT_EQ(first, uniformTable(1234, n));

    const std::vector<float> other = uniformTable(4321, n);
    size_t differing = 0;
    for (size_t i = 0; i < n; ++i) differing += first[i] != other[i];
    EXPECT_GT(differing, n * 99 / 100);
}

TEST(Random, UniformValuesLieInZeroToOne) {
    const std::vector<float> table = uniformTable(99, 100000);
    double sum = 0;
    for (float x : table) {
        ASSERT_GT(x, 0.0f);
        ASSERT_LE(x, 1.0f);
        sum += x;
    }
    EXPECT_NEAR(0.5, sum / table.size(), 0.01);
}

}  // namespace
