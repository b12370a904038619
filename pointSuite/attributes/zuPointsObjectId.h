#pragma once
// zuPointsObjectId: gives every point an object index, "objectIndex" (replaced when the input
// has one): `baseId`, replaced by a pick from the randomId candidates in proportion to their
// weights, then by the index of a colour channel of each vertex-colour layer of inMesh that
// applies at the point, then by the index of a channel of the per-point colour (inColor), each
// with draws from a table of 10,000 numbers made with `seed`. Needs "position"; "triID" and
// "uv" too when a layer is in use. Every other array passes through. Indices come through
// unchanged, large ones included. Weights or inputs that are not finite, arrays of another length
// than "position" and triangles outside the mesh are refused before any device work; on every
// failure outPoints keeps its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsObjectId : public MPxNode {
public:
    ~zuPointsObjectId() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, outPoints, inMesh, baseId, seed;
    static MObject randomId, randomIdVal, randomIdProbability;
    static MObject vertexColor, vertexColorId1, vertexColorId2, vertexColorId3;
    static MObject inColor, inColorIds;

private:
    MStatus computeIds(const MPlug& plug, MDataBlock& block);
};
