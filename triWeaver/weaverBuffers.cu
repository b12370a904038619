#include <maya/MGlobal.h>
#include <gpu/thrust.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>

#include "common/deviceLaunch.h"
#include "common/restoreOrder.h"
#include "triWeaver/weaverBuffers.h"

bool weaverMemoryFits(unsigned long long bytes) {
    if (gpuMemoryCheck(bytes)) return true;
    MGlobal::displayError("zuTriWeaver: Not enough memory on GPU");
    return false;
}

bool sortByColumn(thrust::device_vector<unsigned int>& key,
                  thrust::device_vector<unsigned int>& first,
                  thrust::device_vector<unsigned int>& second) {
    const unsigned int n = static_cast<unsigned int>(key.size());
    if (n == 0) return true;
    thrust::device_vector<unsigned int> map(n);
    thrust::sequence(gpu::parallel, map.begin(), map.end());
    thrust::stable_sort_by_key(gpu::parallel, key.begin(), key.end(), map.begin());
    thrust::device_vector<unsigned int> sortedFirst(n), sortedSecond(n);
    launchTwoDimensional(restoreOrder, n, 128, devicePointer(first), devicePointer(second),
                         devicePointer(sortedFirst), devicePointer(sortedSecond),
                         devicePointer(map), n);
    if (!kernelLaunchSucceededOrShow("restoreOrder")) return false;
    first.swap(sortedFirst);
    second.swap(sortedSecond);
    return true;
}
