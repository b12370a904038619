// The launch grid, the memory check, launch reporting and the fixed locator answers.
#include <gtest/gtest.h>
#include <mayahost/Messages.h>
#include <thrust/device_vector.h>

#include "common/gpuServices.h"
#include "common/locatorBounds.h"

namespace {

struct GridCase {
    unsigned n, block, x, y;
};

TEST(GridForCount, FollowsTheRule) {
    const GridCase cases[] = {
        {1, 128, 1, 1}, {128, 128, 1, 1}, {129, 128, 2, 1}, {10000, 64, 13, 13}, {10000, 128, 9, 9}, {64, 64, 1, 1},
    };
    for (const GridCase& c : cases) {
        dim3 grid = gridForCount(c.n, c.block);
        EXPECT_EQ(grid.x, c.x) << c.n << "/" << c.block;
        EXPECT_EQ(grid.y, c.y) << c.n << "/" << c.block;
        EXPECT_EQ(grid.z, 1u);
        EXPECT_GE(unsigned(grid.x) * grid.y * c.block, c.n);
    }
}

TEST(GridForCount, OneDimensionalLaunchKeepsASpareBlock) {
    EXPECT_EQ(gridForCountOneDimensional(64).x, 2u);
    EXPECT_EQ(gridForCountOneDimensional(63).x, 1u);
    EXPECT_EQ(gridForCountOneDimensional(0).x, 1u);
}

TEST(GpuMemoryCheck, ARequestEqualToFreeMemoryFits) {
    size_t freeBytes = 0, totalBytes = 0;
    ASSERT_EQ(cudaMemGetInfo(&freeBytes, &totalBytes), cudaSuccess);
    EXPECT_TRUE(fitsInFreeMemory(1000, 1000));
    EXPECT_FALSE(fitsInFreeMemory(1001, 1000));
    // Free memory moves between calls on a busy machine; zero and a huge request bound it.
    EXPECT_TRUE(gpuMemoryCheck(0));
    EXPECT_FALSE(gpuMemoryCheck(totalBytes + (1ull << 40)));
}

#if defined(GPU_BACKEND_CPU)
TEST(GpuMemoryCheck, TheEnvironmentSetsASmallerBudget) {
    size_t machineFree = 0, machineTotal = 0;
    ASSERT_EQ(cudaMemGetInfo(&machineFree, &machineTotal), cudaSuccess);
    struct Case {
        const char* limit;
        unsigned long long total;  // 0: the machine's own
    } cases[] = {
        {"1G", 1ull << 30}, {"3072m", 3ull << 30}, {"2147483648", 2ull << 30},
        {"", 0}, {"lots", 0}, {"12Q", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        setenv("GPU_MEMORY_LIMIT", c.limit, 1);
        size_t freeBytes = 0, totalBytes = 0;
        ASSERT_EQ(cudaMemGetInfo(&freeBytes, &totalBytes), cudaSuccess);
        unsetenv("GPU_MEMORY_LIMIT");
        if (c.total == 0) {
            EXPECT_EQ(totalBytes, machineTotal);
            continue;
        }
        EXPECT_EQ(totalBytes, c.total);
        // What the process holds counts against the budget.
        EXPECT_LT(freeBytes, totalBytes);
        EXPECT_GT(freeBytes, 0u);
    }
    setenv("GPU_MEMORY_LIMIT", "1K", 1);
    EXPECT_FALSE(gpuMemoryCheck(1));
    unsetenv("GPU_MEMORY_LIMIT");
    EXPECT_TRUE(gpuMemoryCheck(1));
}
#endif

TEST(LaunchCheck, ReportsAFailedLaunchWithTheKernelName) {
    thrust::device_vector<bool> state(4, false);
    thrust::device_vector<unsigned int> ids(1, 0), counts(1, 1);
    gpuLaunch(setTriangleState, dim3(0, 1, 1), dim3(64, 1, 1), thrust::raw_pointer_cast(state.data()),
              thrust::raw_pointer_cast(ids.data()), thrust::raw_pointer_cast(counts.data()), 1u);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(kernelLaunchSucceeded("setTriangleState"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Failed to launch setTriangleState kernel, error code: ", 0), 0u) << out;
    EXPECT_TRUE(kernelLaunchSucceeded("setTriangleState"));  // the error was taken

    gpuLaunch(setTriangleState, dim3(0, 1, 1), dim3(64, 1, 1), thrust::raw_pointer_cast(state.data()),
              thrust::raw_pointer_cast(ids.data()), thrust::raw_pointer_cast(counts.data()), 1u);
    mayahost::clearRecordedMessages();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(kernelLaunchSucceededOrShow("setTriangleState"));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(mayahost::hasMessage(mayahost::Message::kError, "Failed to launch setTriangleState kernel"));
}

TEST(SetTriangleState, MarksTheTrianglesOfTheListedFaces) {
    // Faces with 2, 1 and 3 triangles: cumulative counts 2, 3, 6. Faces 0 and 2 are listed.
    thrust::device_vector<unsigned int> cumulative = std::vector<unsigned int>{2, 3, 6};
    thrust::device_vector<unsigned int> faces = std::vector<unsigned int>{0, 2};
    thrust::device_vector<bool> state(6, false);
    gpuLaunch(setTriangleState, gridForCount(2, 64), dim3(64, 1, 1), thrust::raw_pointer_cast(state.data()),
              thrust::raw_pointer_cast(faces.data()), thrust::raw_pointer_cast(cumulative.data()), 2u);
    ASSERT_EQ(cudaDeviceSynchronize(), cudaSuccess);
    std::vector<char> marked(6);
    for (int i = 0; i < 6; ++i) marked[i] = state[i];
    EXPECT_EQ(marked, (std::vector<char>{1, 1, 0, 1, 1, 1}));
}

TEST(LocatorAnswers, FixedFlatBox) {
    EXPECT_TRUE(locatorIsBounded());
    MBoundingBox box = fixedLocatorBox();
    EXPECT_EQ(box.min(), MPoint(-5, 0, -5));
    EXPECT_EQ(box.max(), MPoint(5, 0, 5));
}

}  // namespace
