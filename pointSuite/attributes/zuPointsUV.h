#pragma once
// zuPointsUV: the texture coordinates of scattered points. For each point of inPoints it blends
// the UVs of its triangle's corners ("triID", in getTriangles order) in one UV set of inMesh
// with the point's weights ("uv": (1 - u - v), u, v) and writes (U, V, 0) to outUVs, a plain
// vector array in point order (not a point set). uvSet picks the set by its place among the
// mesh's UV sets; 0 is the current set, and a place past the last warns and reads the current
// set. A corner without a UV in the set reads (0, 0). A missing array, a "triID" outside the
// mesh's triangles, arrays of different lengths and weights beyond the float range are refused
// with a message; on every failure outUVs keeps its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsUV : public MPxNode {
public:
    ~zuPointsUV() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, inMesh, uvSet, outUVs;

private:
    MStatus computeUVs(const MPlug& plug, MDataBlock& block);
};
