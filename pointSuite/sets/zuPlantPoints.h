#pragma once
// zuPlantPoints: puts a point set back onto the mesh on inMesh from the surface coordinates its
// points carry ("triID" and "uv"), so the points follow the mesh as it moves or deforms, and
// gives each an aim frame from the mesh: "aimDirection" blends the triangle's normal with the
// direction from a reference point on one of its edges ("intersection", "distanceToEdge"),
// turned by "rotationRGB"; "aimWorldUp" is turned about the aim. A triangle index outside the
// mesh, or arrays of another length than "triID", are refused; on every failure outPoints keeps
// its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPlantPoints : public MPxNode {
public:
    ~zuPlantPoints() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, inMesh, outPoints;

private:
    MStatus plant(const MPlug& plug, MDataBlock& block);
};
