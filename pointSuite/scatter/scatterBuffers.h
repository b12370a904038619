#pragma once
// The device buffers that the stages of the scatter node hand each other, for .cu files. All of
// them live inside one compute.
#include <gpu/thrust.h>
#include <thrust/device_vector.h>

#include "common/deviceArrays.h"
#include "pointSuite/deviceFunctions.h"

// The triangulated mesh: object-space points and the triangle vertex list, in getTriangles order.
struct DeviceMesh {
    thrust::device_vector<float> points;            // x, y, z per vertex
    thrust::device_vector<unsigned int> triangles;  // three vertex indices per triangle
    unsigned int vertexCount = 0;
    unsigned int triangleCount = 0;
};

// Triangle areas and their inclusive running sum; totalArea is its last value (0 without
// triangles).
struct TriangleAreas {
    thrust::device_vector<float> areas;
    thrust::device_vector<float> cumulativeArea;
    float totalArea = 0.0f;
};

// The edges used by exactly one triangle: endpoints edgeA < edgeB, the triangle edgeT, lengths
// and their inclusive running sum (totalLength its last value).
struct BorderEdges {
    thrust::device_vector<unsigned int> edgeA, edgeB, edgeT;
    thrust::device_vector<float> lengths;
    thrust::device_vector<float> cumulativeLength;
    unsigned int count = 0;
    float totalLength = 0.0f;
};

// A phase's candidate list, `count` entries in candidate order: the samples carried from earlier
// phases first, then the phase's new candidates. (u, v) are barycentric in triangle triId.
struct Candidates {
    gpu::DeviceBuffer<float> x, y, z, u, v;
    gpu::DeviceBuffer<unsigned int> triId;
    gpu::DeviceBuffer<CellId> cellId;
    unsigned int count = 0;

    // Makes every array n entries long (contents undefined until filled).
    void resize(unsigned int n) {
        for (auto* values : {&x, &y, &z, &u, &v}) values->resize(n);
        triId.resize(n);
        cellId.resize(n);
        count = n;
    }
    void release() {
        for (auto* values : {&x, &y, &z, &u, &v}) gpu::DeviceBuffer<float>().swap(*values);
        gpu::DeviceBuffer<unsigned int>().swap(triId);
        gpu::DeviceBuffer<CellId>().swap(cellId);
        count = 0;
    }
};

// Accepted samples: positions (x, y, z), uv (u, v) and triangle of each, `count` samples.
struct AcceptedSamples {
    gpu::DeviceBuffer<float> positions;
    gpu::DeviceBuffer<float> uv;
    gpu::DeviceBuffer<unsigned int> triangles;
    unsigned int count = 0;
};

// The open hash table of a phase's occupied cells: `size` (H) buckets of 5 slots, slot k of
// bucket b at index k * H + b. bucketIndex counts the cells ever inserted into a bucket (a sixth
// or later one is counted, not stored); after the dart throwing, samples holds per slot the
// candidate number of its cell's accepted sample, or kNoSample for an empty slot or a cell
// without a sample.
struct CellHashTable {
    static constexpr unsigned int kNoSample = 0xFFFFFFFFu;
    static constexpr unsigned int kSlots = 5;

    gpu::DeviceBuffer<unsigned int> bucketIndex;
    gpu::DeviceBuffer<unsigned int> samples;
    int size = 0;
};
