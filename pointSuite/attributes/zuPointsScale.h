#pragma once
// zuPointsScale: gives every point a scale vector, "scale" (replaced when the input has one):
// the base scale, multiplied by a per-point colour (inColor) and by blend layers and raised by
// additive layers of inMesh's vertex colours, plus a random spread from a table of 1000
// numbers drawn with `seed`. With `uniform` on, only the x settings and the red channels count
// and the scale is (x, x, x). Needs "position"; "triID" and "uv" too when a layer is in use
// (a mesh on inMesh with colour sets and vertexColor elements). Every other array passes
// through. Inputs that are not finite, arrays of another length than "position" and triangles
// outside the mesh are refused before any device work; on every failure outPoints keeps its
// previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsScale : public MPxNode {
public:
    ~zuPointsScale() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, outPoints, inMesh;
    static MObject uniform, scaleX, scaleY, scaleZ, seed;
    static MObject scaleRandomX, scaleRandomY, scaleRandomZ;
    static MObject inColorFactor, inColor;
    static MObject vertexColor, vertexColorType, vertexColorFactor, vertexColorWeight;

private:
    MStatus computeScales(const MPlug& plug, MDataBlock& block);
};
