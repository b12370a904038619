#include "pointSuite/display/locatorDrawing.h"

#include <GL/gl.h>
#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>

#include "common/statusCheck.h"

void drawAxisCross(float size) {
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_LINES);
    glVertex3f(-size, 0.0f, 0.0f);
    glVertex3f(size, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, -size);
    glVertex3f(0.0f, 0.0f, size);
    glVertex3f(0.0f, -size, 0.0f);
    glVertex3f(0.0f, size, 0.0f);
    glEnd();
}

void loadCameraInverse(M3dView& view) {
    MDagPath camera;
    STATUS_CHECK(view.getCamera(camera));
    double values[4][4];
    camera.inclusiveMatrix().inverse().get(values);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixd(&values[0][0]);
}

MFloatVector plugColor(const MObject& node, const MObject& attribute) {
    MPlug plug(node, attribute);
    return MFloatVector(plug.child(0).asFloat(), plug.child(1).asFloat(), plug.child(2).asFloat());
}
