#pragma once
// zuPointsMerge: blends the arrays named in `attributes` of the first point set towards those of
// the second, point by point where their "pointID" values match, by `factor` (times the second
// set's "fallof" value where it has one; both are taken within 0..1, and a "fallof" value that
// is not a finite float is refused). The result has the first set's points and arrays, in its
// order; the second set's other arrays are not passed on. When an id repeats in the second set,
// its last point in that set's order is the one blended in. On every failure outPoints keeps its
// previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class PointSetInput;

class zuPointsMerge : public MPxNode {
public:
    ~zuPointsMerge() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject factor, inPoints1, inPoints2, outPoints, attributes;

private:
    MStatus merge(const MPlug& plug, MDataBlock& block);
    MStatus copyFirstSet(MDataBlock& block, const MPlug& plug, PointSetInput& first);
};
