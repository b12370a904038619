#pragma once
// zuNoiseLocator: the accessory shape of zuNoise. It draws the deformer's three preview curves
// in blue, as one strip, with a red axis cross, and passes a curve length and a point count per
// axis on to the deformer, so that they are edited on the shape.
#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MTypeId.h>

class zuNoiseLocator : public MPxLocatorNode {
public:
    ~zuNoiseLocator() override;

    static void* creator();
    static MStatus initialize();
    void postConstructor() override;
    // CrvLenOut copies CrvLenIn and CrvPtsCountOut copies CrvPtsCountIn, per axis.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    bool isBounded() const override;
    MBoundingBox boundingBox() const override;

    static const MTypeId id;
    // Per axis x, y, z (index 0, 1, 2).
    static MObject curvePoints[3];
    static MObject crvLenIn[3];
    static MObject crvLenOut[3];
    static MObject crvPtsCountIn[3];
    static MObject crvPtsCountOut[3];
};
