#pragma once
// The scatter node's sampling distributions over a triangulated mesh, for .cu files: triangle
// areas with their running sum (surface phase) and the border edges, used by exactly one
// triangle, with their lengths and running sum (border-edge phase).
#include <maya/MStatus.h>

#include "pointSuite/scatter/scatterBuffers.h"

// areas[i] = 0.5 |(B - A) x (C - A)| for every triangle, cumulativeArea their inclusive running
// sum, totalArea its last value (0 for a mesh without triangles). A failed launch or runtime call
// prints "Error at <file>:<line>" and fails.
MStatus computeTriangleAreas(const DeviceMesh& mesh, TriangleAreas& areas);

// The border edges in (edgeA, edgeB) order, each with the one triangle that uses it, their
// lengths |P(edgeB) - P(edgeA)| and running sum. An edge shared by two or more triangles is none;
// a closed mesh (or one without triangles) has none (count 0). Failures as above.
MStatus findBorderEdges(const DeviceMesh& mesh, BorderEdges& edges);
