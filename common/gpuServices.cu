#include "common/gpuServices.h"

#include <maya/MGlobal.h>

#include <cmath>
#include <iostream>

dim3 gridForCount(unsigned int n, unsigned int b) {
    unsigned int blocks = n / b;
    if (blocks * b < n) ++blocks;
    unsigned int x = static_cast<unsigned int>(std::ceil(std::sqrt(static_cast<double>(blocks))));
    unsigned int y = x ? n / (x * b) : 0;
    if (y * x * b < n) ++y;
    return dim3(x, y, 1);
}

dim3 gridForCountOneDimensional(unsigned int n) { return dim3(n / 64 + 1, 1, 1); }

bool gpuMemoryCheck(unsigned long long bytes) {
    size_t freeBytes = 0, totalBytes = 0;
    cudaError_t error = cudaMemGetInfo(&freeBytes, &totalBytes);
    if (error != cudaSuccess) {
        // Ending the process here would take the user's unsaved scene with it: report and
        // answer that the request does not fit, so the node fails its compute instead.
        std::printf("Error: cudaMemGetInfo fails, %s \n", cudaGetErrorString(error));
        std::fflush(stdout);
        return false;
    }
    return fitsInFreeMemory(bytes, freeBytes);
}

bool deviceMemoryFits(unsigned long long bytes, const char* messageWhenShort) {
    if (gpuMemoryCheck(bytes)) return true;
    MGlobal::displayError(messageWhenShort);
    return false;
}

bool kernelLaunchSucceeded(const char* kernelName) {
    cudaError_t error = cudaGetLastError();
    if (error == cudaSuccess) return true;
    std::printf("Failed to launch %s kernel, error code: %s\n", kernelName, cudaGetErrorString(error));
    std::fflush(stdout);
    return false;
}

bool kernelLaunchSucceededOrShow(const char* kernelName) {
    cudaError_t error = cudaGetLastError();
    if (error == cudaSuccess) return true;
    MString message = MString("Failed to launch ") + kernelName + " kernel";
    std::cerr << cudaGetErrorString(error) << std::endl;
    MGlobal::displayError(message);
    MStatus(MS::kFailure).perror(message);
    return false;
}

__global__ void setTriangleState(bool* triangle_state, const unsigned int* facesID,
                                 const unsigned int* triangles_in_faces, unsigned int numId) {
    unsigned int i = (blockIdx.y * gridDim.x + blockIdx.x) * blockDim.x + threadIdx.x;
    if (i >= numId) return;
    unsigned int face = facesID[i];
    unsigned int first = face == 0 ? 0 : triangles_in_faces[face - 1];
    for (unsigned int t = first; t < triangles_in_faces[face]; ++t) triangle_state[t] = true;
}
