#pragma once
// zuPointsContainer: keeps the points of a point set that lie inside the unit sphere (type 0) or
// the unit box from -1 to 1 (type 1) of the space whose world matrix is on inWorldMatrix, and
// writes each kept point's weight as the double array "fallof": 1 inside the inner shape of
// size 1 - fallof, falling linearly to 0 at the surface. Every other array keeps the kept
// points, in input order. A matrix that cannot be inverted is refused; on every failure
// outPoints keeps its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsContainer : public MPxNode {
public:
    ~zuPointsContainer() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, type, inWorldMatrix, fallof, outPoints;

private:
    MStatus contain(const MPlug& plug, MDataBlock& block);
};
