#pragma once
// The device buffers that the weaver's stages hand each other, for .cu files. All but the
// neighbour offsets live inside one compute.
#include <maya/MStatus.h>
#include <thrust/device_vector.h>

#include <vector>

#include "common/deviceArrays.h"
#include "triWeaver/weaverGeometry.h"

// The node's neighbour offset table on the device, one column per axis.
struct DeviceNeighbourOffsets {
    thrust::device_vector<short> x, y, z;
};

// The points to weave and the settings the kernels read.
struct WeaverPoints {
    thrust::device_vector<float> positions;  // x, y, z per point
    thrust::device_vector<float> normals;    // x, y, z per point, with useNormal only
    unsigned int count = 0;
    bool useNormal = false;
    float dotProdLimit = 0.0f;
    float radius = 1.0f;
    WeaverGrid grid;
};

// Triples of point indices, corners ascending, in lexicographic order.
struct DeviceTriples {
    thrust::device_vector<unsigned int> a, b, c;
    unsigned int count = 0;
};

// The accepted triangles on the host: three corners each (ascending, lexicographic order) and
// their 3T edges (a < b) sorted by (a, b), each with the index of its triangle.
struct WovenTriangles {
    std::vector<unsigned int> corners;
    std::vector<unsigned int> edgeA, edgeB, edgeT;
    unsigned int count() const { return static_cast<unsigned int>(corners.size() / 3); }
};

// True when `bytes` more fit in the free device memory; otherwise shows
// "zuTriWeaver: Not enough memory on GPU" as an error.
bool weaverMemoryFits(unsigned long long bytes);

// Sorts the edges (pointA, pointB) with their values by (pointA, pointB), stably: equal edges keep
// their order. The three vectors are replaced by their sorted versions. False after showing a
// failed launch.
bool sortEdges(thrust::device_vector<unsigned int>& pointA,
               thrust::device_vector<unsigned int>& pointB,
               thrust::device_vector<unsigned int>& value);

// Steps of the weaver (triangleCandidates.cu, triangleAcceptance.cu). Each returns kFailure after
// showing a failed launch or a lack of memory.

// The triples proposed by all three of their corners among the points' nearest neighbours.
MStatus findKeptTriples(const WeaverPoints& points, const DeviceNeighbourOffsets& offsets,
                        DeviceTriples& kept);

// The kept triples whose circumcircle is small enough and holds none of their test points, with
// their sorted edges, on the host.
MStatus acceptTriangles(const WeaverPoints& points, const DeviceTriples& kept,
                        WovenTriangles& woven);
