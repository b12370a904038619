#pragma once
// zuPointsAttrShuffle: renames one array of a point set. The array named attrFrom leaves the set
// and its values come out under attrTo, as ints (truncated toward zero, a vector's x) when
// attrTo is "pointID"; an array already named attrTo is replaced, whatever its kind. Every other
// array passes through. On every failure outPoints keeps its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsAttrShuffle : public MPxNode {
public:
    ~zuPointsAttrShuffle() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, attrFrom, attrTo, outPoints;

private:
    MStatus shuffle(const MPlug& plug, MDataBlock& block);
};
