#include <gpu/thrust.h>
#include <thrust/sort.h>

#include "common/deviceLaunch.h"
#include "triWeaver/weaverBuffers.h"

bool weaverMemoryFits(unsigned long long bytes) {
    return deviceMemoryFits(bytes, "zuTriWeaver: Not enough memory on GPU");
}

// key[i] = weaverEdgeKey(pointA[i], pointB[i]).
__global__ void packEdgeKeys(unsigned long long* key, const unsigned int* pointA,
                             const unsigned int* pointB, unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    key[i] = weaverEdgeKey(pointA[i], pointB[i]);
}

__global__ void unpackEdgeKeys(unsigned int* pointA, unsigned int* pointB,
                               const unsigned long long* key, unsigned int count) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    pointA[i] = static_cast<unsigned int>(key[i] >> 32);
    pointB[i] = static_cast<unsigned int>(key[i]);
}

bool sortEdges(thrust::device_vector<unsigned int>& pointA,
               thrust::device_vector<unsigned int>& pointB,
               thrust::device_vector<unsigned int>& value) {
    const unsigned int n = static_cast<unsigned int>(pointA.size());
    if (n == 0) return true;
    gpu::DeviceBuffer<unsigned long long> key(n);
    launchTwoDimensional(packEdgeKeys, n, 128, devicePointer(key), devicePointer(pointA),
                         devicePointer(pointB), n);
    if (!kernelLaunchSucceededOrShow("packEdgeKeys")) return false;
    thrust::stable_sort_by_key(gpu::parallel, key.begin(), key.end(), value.begin());
    launchTwoDimensional(unpackEdgeKeys, n, 128, devicePointer(pointA), devicePointer(pointB),
                         devicePointer(key), n);
    return kernelLaunchSucceededOrShow("unpackEdgeKeys");
}
