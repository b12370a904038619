#pragma once
#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MPxNode.h>

// A shape under a transform that draws itself in the view with OpenGL. draw is called with the
// modelview matrix set to the locator's world matrix, inside the view's render.
class OPENMAYA_EXPORT MPxLocatorNode : public MPxNode {
public:
    MPxLocatorNode();
    ~MPxLocatorNode() override;

    Type type() const override { return kLocatorNode; }

    virtual void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                      M3dView::DisplayStatus status);
    virtual bool isBounded() const;
    // The box in the locator's local space; meaningful when isBounded answers true.
    virtual MBoundingBox boundingBox() const;
};
