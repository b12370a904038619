#pragma once
// zuPointsSelection: splits a point set in two. Every point starts selected and goes through up
// to three stages on the device: a random draw against its colour (the red vertex colour of
// inMesh at its surface coordinates, or the x of inColor), the comparisons of `conditions`
// (listed ids are forced back in), and the facing test of its "normal" against dotProdVector.
// The selected points go to outPoints and the others to outPointsComplement, each with every
// array of the input, so the two add up to the input array by array. On every failure both
// outputs keep their previous values.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsSelection : public MPxNode {
public:
    ~zuPointsSelection() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, useVertexColor, inMesh, useInColor, inColor, conditions, varName, varValue,
        dotProdCondition, dotProdVector, dotProdRange, variables, outPoints, outPointsComplement;

private:
    MStatus select(MDataBlock& block);
};
