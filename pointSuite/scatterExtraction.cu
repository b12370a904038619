#include "pointSuite/scatterExtraction.h"

#include <thrust/scan.h>

#include "pointSuite/deviceFunctions.h"
#include "pointSuite/deviceLaunch.h"

__global__ void getPointsToCopy(unsigned int* pointsToCopy, const unsigned int* tabSample,
                                int hashTableSize) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= CellHashTable::kSlots * static_cast<unsigned int>(hashTableSize)) return;
    pointsToCopy[i] = tabSample[i] != CellHashTable::kNoSample ? 1u : 0u;
}

// Slot i (of 5H - 1; the last one is the host's) writes its sample to its scanned position.
__global__ void copyAcceptedSamples(float* acceptedSamples, float* acceptedSamplesUV,
                                    unsigned int* acceptedSamplesTri,
                                    const unsigned int* pointsToCopy,
                                    const unsigned int* tabSample, const float* x, const float* y,
                                    const float* z, const float* u, const float* v,
                                    const unsigned int* triId, int hashTableSize) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i + 1 >= CellHashTable::kSlots * static_cast<unsigned int>(hashTableSize)) return;
    if (pointsToCopy[i + 1] == pointsToCopy[i]) return;
    const unsigned int position = pointsToCopy[i];
    const unsigned int s = tabSample[i];
    acceptedSamples[3 * position] = x[s];
    acceptedSamples[3 * position + 1] = y[s];
    acceptedSamples[3 * position + 2] = z[s];
    acceptedSamplesUV[2 * position] = u[s];
    acceptedSamplesUV[2 * position + 1] = v[s];
    acceptedSamplesTri[position] = triId[s];
}

MStatus extractAcceptedSamples(const CellHashTable& table, const Candidates& candidates,
                               AcceptedSamples& samples) {
    samples = AcceptedSamples();
    const unsigned int slots = CellHashTable::kSlots * static_cast<unsigned int>(table.size);
    if (slots == 0) return MS::kSuccess;
    thrust::device_vector<unsigned int> pointsToCopy(slots);
    launchTwoDimensional(getPointsToCopy, slots, 64, devicePointer(pointsToCopy),
                         devicePointer(table.samples), table.size);
    CUDA_CALL_CHECK(cudaGetLastError());
    const unsigned int last = pointsToCopy[slots - 1];
    thrust::exclusive_scan(pointsToCopy.begin(), pointsToCopy.end(), pointsToCopy.begin());
    const unsigned int count = static_cast<unsigned int>(pointsToCopy[slots - 1]) + last;
    samples.positions.resize(3ull * count);
    samples.uv.resize(2ull * count);
    samples.triangles.resize(count);
    samples.count = count;
    if (count == 0) return MS::kSuccess;
    launchTwoDimensional(copyAcceptedSamples, slots, 64, devicePointer(samples.positions),
                         devicePointer(samples.uv), devicePointer(samples.triangles),
                         devicePointer(pointsToCopy), devicePointer(table.samples),
                         devicePointer(candidates.x), devicePointer(candidates.y),
                         devicePointer(candidates.z), devicePointer(candidates.u),
                         devicePointer(candidates.v), devicePointer(candidates.triId),
                         table.size);
    CUDA_CALL_CHECK(cudaGetLastError());
    if (last == 1) {
        const unsigned int s = table.samples[slots - 1];
        const unsigned int position = count - 1;
        samples.positions[3 * position] = candidates.x[s];
        samples.positions[3 * position + 1] = candidates.y[s];
        samples.positions[3 * position + 2] = candidates.z[s];
        samples.uv[2 * position] = candidates.u[s];
        samples.uv[2 * position + 1] = candidates.v[s];
        samples.triangles[position] = candidates.triId[s];
    }
    return MS::kSuccess;
}
