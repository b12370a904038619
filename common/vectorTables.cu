#include "common/vectorTables.h"

#include <gpu/launch.h>
#include <cmath>
#include <maya/MGlobal.h>

#include <string>
#include <vector>

#include "common/deviceLaunch.h"
#include "common/gpuServices.h"
#include "common/pointSetInput.h"
#include "common/statusCheck.h"

static_assert(sizeof(MVector) == 3 * sizeof(double), "vector arrays hold x, y, z doubles in turn");

namespace {

// values[c i + k] = vectors[3 i + k] as a float, k < components; *notFinite = 1 where one is
// not finite as a float.
__global__ void vectorsToFloats(const double* vectors, float* values, unsigned int components,
                                unsigned int count, int* notFinite) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    bool finite = true;
    for (unsigned int k = 0; k < components; ++k) {
        const float value = static_cast<float>(vectors[3ull * i + k]);
        finite = finite && fabsf(value) <= 3.40282347e38f;
        values[static_cast<unsigned long long>(components) * i + k] = value;
    }
    if (!finite) atomicExch(notFinite, 1);
}

// vectors[3 i + k] = values[c i + k], and 0 for z with 2 components; *notFinite = 1 where a
// value is NaN or infinite.
__global__ void floatsToVectors(const float* values, double* vectors, unsigned int components,
                                unsigned int count, int* notFinite) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= count) return;
    bool finite = true;
    for (unsigned int k = 0; k < 3; ++k) {
        const float value = k < components ? values[static_cast<unsigned long long>(components) * i + k] : 0.0f;
        finite = finite && fabsf(value) <= 3.40282347e38f;
        vectors[3ull * i + k] = value;
    }
    if (!finite) atomicExch(notFinite, 1);
}

}  // namespace

bool uploadVectorsAsFloats(const MString& what, const MVectorArray& vectors, unsigned int components,
                           DeviceTable<float>& table) {
    const unsigned int count = vectors.length();
    table = DeviceTable<float>(static_cast<size_t>(components) * count);
    if (count == 0) return true;
    const double* host = &vectors[0].x;
    thrust::device_vector<int> notFinite(1, 0);
#if defined(GPU_BACKEND_CUDA)
    const thrust::device_vector<double> staged(host, host + 3ull * count);
    const double* source = devicePointer(staged);
#else
    const double* source = host;
#endif
    launchTwoDimensional(vectorsToFloats, count, 256, source, table.get(), components, count, devicePointer(notFinite));
    if (!kernelLaunchSucceeded("vectorsToFloats")) return false;
    if (notFinite[0] == 0) return true;
    for (unsigned int i = 0; i < count; ++i)
        for (unsigned int k = 0; k < components; ++k)
            if (!(std::fabs(static_cast<float>(vectors[i][k])) <= 3.40282347e38f)) {
                MGlobal::displayError(what + ": entry " + static_cast<int>(i) + " is not a finite float");
                return false;
            }
    return false;
}

MStatus copyTableToVectors(DeviceTable<float>& table, MVectorArray& array, unsigned int count,
                           unsigned int components, bool* notFinite) {
    if (notFinite) *notFinite = false;
    array.setLength(count);
    if (count == 0) return MS::kSuccess;
    double* host = &array[0].x;
    thrust::device_vector<int> flag(1, 0);
#if defined(GPU_BACKEND_CUDA)
    thrust::device_vector<double> staged(3ull * count);
    launchTwoDimensional(floatsToVectors, count, 256, const_cast<const float*>(table.get()), devicePointer(staged),
                         components, count, devicePointer(flag));
    if (!kernelLaunchSucceeded("floatsToVectors")) return MS::kFailure;
    thrust::copy(staged.begin(), staged.end(), host);
#else
    launchTwoDimensional(floatsToVectors, count, 256, const_cast<const float*>(table.get()), host, components, count,
                         devicePointer(flag));
    if (!kernelLaunchSucceeded("floatsToVectors")) return MS::kFailure;
#endif
    if (notFinite) *notFinite = flag[0] != 0;
    return MS::kSuccess;
}

MStatus storeVectorTable(MFnArrayAttrsData& output, const char* name, DeviceTable<float>& table,
                         unsigned int count, unsigned int components, const MString& lead) {
    MStatus status;
    MVectorArray array = output.vectorArray(name, &status);  // shares the set's storage
    STATUS_RETURN_ON_ERROR(status, std::string("in fnArrayAttrsData.vectorArray(") + name + ")\n");
    bool notFinite = false;
    status = copyTableToVectors(table, array, count, components, &notFinite);
    if (!status || !notFinite) return status;
    checkFiniteVectors(array, lead, name);
    return MS::kFailure;
}

