#pragma once
// The candidate list of one scatter phase, for .cu files: the samples carried from earlier phases
// at its head (candidates 0..A-1, unchanged), then the phase's new candidates (A..count-1): the
// mesh vertices, random points on the border edges or random points on the surface. Every
// candidate gets its grid cell. A failed launch, runtime or random-generator call prints
// "Error at <file>:<line>" and fails.
#include <maya/MStatus.h>

#include <vector>

#include "pointSuite/scatter/scatterBuffers.h"
#include "pointSuite/scatter/scatterSetup.h"

// Vertex phase: vertex i becomes candidate A + i (while A + i < candidateCount), lying on the
// first triangle of the list that uses it, at its corner's (u, v): (0, 0), (1, 0) or (0, 1). A
// vertex used by no triangle keeps triangle 0 and (0, 0). points holds x, y, z per vertex,
// triangles the triangle vertex list (entries below the vertex count).
MStatus makeVertexCandidates(const std::vector<float>& points,
                             const std::vector<unsigned int>& triangles,
                             const AcceptedSamples& carried, const ScatterGrid& grid,
                             unsigned int candidateCount, Candidates& candidates);

// Surface phase: each new candidate lies on a triangle picked with probability proportional to
// its area, uniformly within it, from candidateCount uniform randoms seeded with `seed`.
MStatus makeSurfaceCandidates(const DeviceMesh& mesh, const TriangleAreas& areas,
                              const AcceptedSamples& carried, const ScatterGrid& grid,
                              unsigned int candidateCount, unsigned long long seed,
                              Candidates& candidates);

// Border-edge phase: each new candidate lies on a border edge picked with probability
// proportional to its length, uniformly along it, with (u, v) in the edge's triangle.
MStatus makeBorderEdgeCandidates(const DeviceMesh& mesh, const BorderEdges& edges,
                                 const AcceptedSamples& carried, const ScatterGrid& grid,
                                 unsigned int candidateCount, unsigned long long seed,
                                 Candidates& candidates);
