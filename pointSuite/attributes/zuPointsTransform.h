#pragma once
// zuPointsTransform: moves a point set by the matrix on inWorldMatrix. "position" is
// transformed as points (with the translation), each of "aimDirection", "aimPosition",
// "aimAxis", "aimUpAxis" and "aimWorldUp" that the set holds as vectors (without it); every
// result is divided by the sum of the matrix's last column (1 for the affine matrices a
// transform gives). Every other array passes through. A matrix with an entry that is not
// finite, or whose last column sums to 0, an aim array of another kind or length than
// "position", or a value beyond the float range is refused with a message; on every failure
// outPoints keeps its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsTransform : public MPxNode {
public:
    ~zuPointsTransform() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, inWorldMatrix, outPoints;

private:
    MStatus transform(const MPlug& plug, MDataBlock& block);
};
