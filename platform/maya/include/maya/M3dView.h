#pragma once
#include <maya/MDagPath.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

// A 3-D view: the camera it looks through and the OpenGL drawing it does. The host has one,
// drawn offscreen; locators draw into it between beginGL and endGL while it renders.
class OPENMAYA_EXPORT M3dView {
public:
    // Where drawText places its text horizontally: starting at, centred on or ending at the
    // point. The baseline runs through the point.
    enum TextPosition { kLeft, kCenter, kRight };
    enum DisplayStyle { kBoundingBox, kFlatShaded, kGouraudShaded, kWireFrame, kPoints };
    enum DisplayStatus {
        kActive,
        kLive,
        kDormant,
        kInvisible,
        kHilite,
        kTemplate,
        kActiveTemplate,
        kActiveComponent,
        kLead,
        kIntermediateObject,
        kActiveAffected,
        kNoStatus
    };

    M3dView() = default;

    static M3dView active3dView(MStatus* status = nullptr);

    // Makes the view's context current for drawing; fails outside a render of the view.
    MStatus beginGL();
    MStatus endGL();

    MStatus getCamera(MDagPath& camera);
    // Looks through another camera (a camera shape, or a transform with one).
    MStatus setCamera(const MDagPath& camera);

    // Draws the text in the current colour at the position, which the current modelview and
    // projection matrices carry into the view. Text whose point lies behind the camera is not
    // drawn.
    MStatus drawText(const MString& text, const MPoint position, TextPosition textPosition = kLeft);

    int portWidth(MStatus* status = nullptr) const;
    int portHeight(MStatus* status = nullptr) const;
    // The pixel a world-space point projects to through the view's camera (x right, y up from
    // the lower-left corner); false when it lies outside the view or behind the camera.
    bool worldToView(const MPoint& worldPoint, short& x_pos, short& y_pos,
                     MStatus* status = nullptr) const;
};
