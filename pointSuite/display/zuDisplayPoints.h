#pragma once
// zuDisplayPoints: a locator that previews a point set in the view. Its compute keeps a copy of
// the incoming "position" array and a box round it (never smaller than the unit cube), and
// counts its computes on `state`. Its draw plots the kept positions in world space as dots, in
// one colour or blended by "fallof", optionally with the values of one array as labels and a
// line (with a barb towards "aimWorldUp") along "aimDirection" per point, coloured by
// "rotationRGB" when asked. The locator's own transform moves only its axis cross.
#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MTypeId.h>
#include <maya/MVectorArray.h>

class zuDisplayPoints : public MPxLocatorNode {
public:
    zuDisplayPoints();
    ~zuDisplayPoints() override;

    static void* creator();
    static MStatus initialize();
    void postConstructor() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;
    bool isBounded() const override;
    MBoundingBox boundingBox() const override;

    static const MTypeId id;
    static MObject inPoints;
    static MObject pointSize;
    static MObject pointColor;
    static MObject fallofColor;
    static MObject displayDir;
    static MObject arrowSize;
    static MObject colorFromRot;
    static MObject displayAttribute;
    static MObject attributeName;
    static MObject state;

private:
    MBoundingBox cachedBox;
    unsigned int updateCounter = 0;
    MVectorArray cachedPositions;
};
