#pragma once
// zuDisplayContainer: a locator that shows a container volume in its local space, the unit
// sphere (type 0) or the cube from -1 to 1 (type 1), in dark red, and inside it, in bright red,
// the same shape scaled by 1 - fallof where the fall-off zone begins (only for 0 < fallof < 1).
// It computes nothing; connect its world matrix, type and fallof to a zuPointsContainer.
#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MTypeId.h>

class zuDisplayContainer : public MPxLocatorNode {
public:
    ~zuDisplayContainer() override;

    static void* creator();
    static MStatus initialize();
    void postConstructor() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    bool isBounded() const override;
    MBoundingBox boundingBox() const override;

    static const MTypeId id;
    static MObject type;
    static MObject fallof;
};
