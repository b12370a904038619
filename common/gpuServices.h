#pragma once
// Services every device node shares: the launch grid, the device-memory check, the reporting of
// failed launches and runtime calls, and the answers the fixed-size locators give.
#include <gpu/launch.h>
#include <gpu/runtime.h>
#include <maya/MStatus.h>

#include <cstdio>

// The two-dimensional launch grid for n items in blocks of b threads: blocks = ceil(n / b),
// x = ceil(sqrt(blocks)), y = ceil(n / (x * b)), z = 1. A kernel's index is
// (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x, guarded by i < n.
// For n = 0 there is no valid grid: callers launch nothing.
dim3 gridForCount(unsigned int n, unsigned int b);

// The one-dimensional launch grid: n / 64 + 1 blocks of 64 threads (a spare block also when n
// is a multiple of 64).
dim3 gridForCountOneDimensional(unsigned int n);

// True when `bytes` fit in the free device memory (equality fits). A failing query prints
// "Error: cudaMemGetInfo fails, <text> \n" on standard output and answers false, so that the
// caller reports its own lack of memory and fails its compute.
bool gpuMemoryCheck(unsigned long long bytes);
// gpuMemoryCheck(bytes), showing `messageWhenShort` as an error when the bytes do not fit.
bool deviceMemoryFits(unsigned long long bytes, const char* messageWhenShort);
// The device memory of one compute, added up group by group: each group's bytes join the total
// of the groups before, and that total is checked (deviceMemoryFits) with the group's message,
// so buffers that fit one by one but not together are refused.
class DeviceMemoryTally {
public:
    // Adds `bytes` to the total; true when the total fits, else shows messageWhenShort.
    bool fits(unsigned long long bytes, const char* messageWhenShort) {
        total_ += bytes;
        return deviceMemoryFits(total_, messageWhenShort);
    }
    unsigned long long total() const { return total_; }

private:
    unsigned long long total_ = 0;
};
// The rule the check applies: a request fits when it is at most the free memory.
inline bool fitsInFreeMemory(unsigned long long bytes, unsigned long long freeBytes) { return bytes <= freeBytes; }

// After a launch: on an error, writes "Failed to launch <kernel> kernel, error code: <text>"
// and a line end to standard output and answers false.
bool kernelLaunchSucceeded(const char* kernelName);

// After a launch: on an error, writes the runtime's text to standard error, shows
// "Failed to launch <kernel> kernel" as an error, passes it to a failed status's perror and
// answers false.
bool kernelLaunchSucceededOrShow(const char* kernelName);

// A runtime or cuRAND call inside a compute (both answer 0 for success): on failure prints
// "Error at <source>:<line>\n" on standard output and ends the compute with kFailure; device
// buffers are released by their destructors.
#define CUDA_CALL_CHECK(call)                                             \
    do {                                                                  \
        if (static_cast<int>(call) != 0) {                                \
            std::printf("Error at %s:%d\n", __FILE__, __LINE__);          \
            return MStatus(MS::kFailure);                                 \
        }                                                                 \
    } while (0)


// Marks the triangles of the listed faces: for each i < numId, triangle_state[t] = true for t
// from triangles_in_faces[facesID[i] - 1] (0 for face 0) up to triangles_in_faces[facesID[i]].
__global__ void setTriangleState(bool* triangle_state, const unsigned int* facesID,
                                 const unsigned int* triangles_in_faces, unsigned int numId);
