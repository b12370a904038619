#pragma once
// zuPointsNormal: gives every point the flat unit normal of the mesh triangle it lies on
// ("triID", in getTriangles order), as the vector array "normal" (replaced when the input has
// one); (0, 0, 0) for a degenerate triangle. Needs only "triID"; every other array passes
// through. A "triID" that is negative or not below the mesh's triangle count is refused before
// any device work; on every failure outPoints keeps its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsNormal : public MPxNode {
public:
    ~zuPointsNormal() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, inMesh, outPoints;

private:
    MStatus computeNormals(const MPlug& plug, MDataBlock& block);
};
