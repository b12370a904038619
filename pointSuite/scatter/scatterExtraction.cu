#include "pointSuite/scatter/scatterExtraction.h"

#include <thrust/copy.h>
#include <thrust/count.h>

#include <algorithm>

#include "pointSuite/deviceFunctions.h"
#include "common/deviceLaunch.h"
#include "pointSuite/scatter/scatterSetup.h"

namespace {

struct HoldsSample {
    __host__ __device__ bool operator()(unsigned int sample) const {
        return sample != CellHashTable::kNoSample;
    }
};

// Slots compacted per pass: bounds the scratch of the compaction, whatever the table's size.
constexpr unsigned int kSlotsPerPass = 1u << 22;

}  // namespace

// Sample i of the slot order takes the position, uv and triangle of its candidate.
__global__ void copyAcceptedSamples(float* acceptedSamples, float* acceptedSamplesUV,
                                    unsigned int* acceptedSamplesTri, const unsigned int* sampleIds,
                                    const float* x, const float* y, const float* z, const float* u,
                                    const float* v, const unsigned int* triId,
                                    unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    const unsigned int s = sampleIds[i];
    acceptedSamples[3 * i] = x[s];
    acceptedSamples[3 * i + 1] = y[s];
    acceptedSamples[3 * i + 2] = z[s];
    acceptedSamplesUV[2 * i] = u[s];
    acceptedSamplesUV[2 * i + 1] = v[s];
    acceptedSamplesTri[i] = triId[s];
}

MStatus extractAcceptedSamples(const CellHashTable& table, const Candidates& candidates,
                               AcceptedSamples& samples) {
    samples = AcceptedSamples();
    const unsigned int slots = CellHashTable::kSlots * static_cast<unsigned int>(table.size);
    if (slots == 0) return MS::kSuccess;
    const unsigned int count = static_cast<unsigned int>(
        thrust::count_if(gpu::parallel, table.samples.begin(), table.samples.end(), HoldsSample()));
    if (count == 0) return MS::kSuccess;
    // The sample numbers, the accepted arrays and the compaction's scratch.
    if (!scatterMemoryFits(28ull * count + 8ull * std::min(slots, kSlotsPerPass)))
        return MS::kFailure;
    gpu::DeviceBuffer<unsigned int> sampleIds(count);
    auto written = sampleIds.begin();
    for (unsigned int first = 0; first < slots; first += std::min(slots - first, kSlotsPerPass)) {
        const unsigned int last = first + std::min(slots - first, kSlotsPerPass);
        written = thrust::copy_if(gpu::parallel, table.samples.begin() + first, table.samples.begin() + last,
                                  written, HoldsSample());
    }
    samples.positions.resize(3ull * count);
    samples.uv.resize(2ull * count);
    samples.triangles.resize(count);
    samples.count = count;
    launchTwoDimensional(copyAcceptedSamples, count, 64, devicePointer(samples.positions),
                         devicePointer(samples.uv), devicePointer(samples.triangles),
                         devicePointer(sampleIds), devicePointer(candidates.x),
                         devicePointer(candidates.y), devicePointer(candidates.z),
                         devicePointer(candidates.u), devicePointer(candidates.v),
                         devicePointer(candidates.triId), count);
    CUDA_CALL_CHECK(cudaGetLastError());
    return MS::kSuccess;
}
