#include "pointSuite/display/zuDisplayContainer.h"

#include <GL/gl.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>

#include <cmath>

#include "common/locatorBounds.h"
#include "common/statusCheck.h"
#include "pointSuite/display/locatorDrawing.h"

const MTypeId zuDisplayContainer::id(0xB9);
MObject zuDisplayContainer::type;
MObject zuDisplayContainer::fallof;

namespace {

constexpr int kCircleVertices = 36;

// Three circles of the radius round the origin: in the XY, the YZ and the XZ plane.
void drawCircles(float radius) {
    for (int plane = 0; plane < 3; ++plane) {
        glBegin(GL_LINE_LOOP);
        for (int k = 0; k < kCircleVertices; ++k) {
            const float angle = float(k) * 6.2831855f / float(kCircleVertices);
            const float c = std::cos(angle) * radius, s = std::sin(angle) * radius;
            if (plane == 0)
                glVertex3f(c, s, 0.0f);
            else if (plane == 1)
                glVertex3f(0.0f, c, s);
            else
                glVertex3f(c, 0.0f, s);
        }
        glEnd();
    }
}

// The cube with corners at -size and size: its top and bottom faces, then the four uprights.
void drawCube(float size) {
    const float h = size;
    for (float y : {h, -h}) {
        glBegin(GL_LINE_LOOP);
        glVertex3f(-h, y, -h);
        glVertex3f(h, y, -h);
        glVertex3f(h, y, h);
        glVertex3f(-h, y, h);
        glEnd();
    }
    glBegin(GL_LINES);
    const float corners[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    for (const auto& corner : corners) {
        glVertex3f(corner[0], -h, corner[1]);
        glVertex3f(corner[0], h, corner[1]);
    }
    glEnd();
}

void drawShape(short shape, float size) {
    if (shape == 0)
        drawCircles(size);
    else
        drawCube(size);
}

}  // namespace

zuDisplayContainer::~zuDisplayContainer() = default;

void* zuDisplayContainer::creator() { return new zuDisplayContainer; }

MStatus zuDisplayContainer::initialize() {
    MStatus status;
    MFnEnumAttribute enumeration;
    type = enumeration.create("type", "t", 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in enumAttr.create(type)\n");
    STATUS_RETURN_ON_ERROR(enumeration.addField("sphere", 0), "in enumAttr.addField(sphere)\n");
    STATUS_RETURN_ON_ERROR(enumeration.addField("box", 1), "in enumAttr.addField(box)\n");
    enumeration.setHidden(false);
    STATUS_RETURN_ON_ERROR(addAttribute(type), "adding type.\n");

    MFnNumericAttribute numeric;
    fallof = numeric.create("fallof", "f", MFnNumericData::kFloat, 0.0, &status);
    STATUS_RETURN_ON_ERROR(status, "in fallof.\n");
    numeric.setMin(0.0);
    numeric.setMax(1.0);
    numeric.setKeyable(true);
    numeric.setStorable(true);
    numeric.setReadable(true);
    numeric.setWritable(true);
    STATUS_RETURN_ON_ERROR(addAttribute(fallof), "adding fallof.\n");
    return MS::kSuccess;
}

void zuDisplayContainer::postConstructor() {
    MStatus status;
    MFnDependencyNode node(thisMObject(), &status);
    STATUS_CHECK(status);
    node.setName("zuDisplayContainerShape#", false, &status);
    STATUS_CHECK(status);
}

MStatus zuDisplayContainer::compute(const MPlug&, MDataBlock&) { return MS::kUnknownParameter; }

void zuDisplayContainer::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
                              M3dView::DisplayStatus) {
    STATUS_CHECK(view.beginGL());
    glPushAttrib(GL_CURRENT_BIT);
    drawAxisCross(0.25f);
    const MObject self = thisMObject();
    const short shape = MPlug(self, type).asShort();
    const float inner = 1.0f - MPlug(self, fallof).asFloat();
    if (shape == 0 || shape == 1) {
        glColor3f(0.2f, 0.0f, 0.0f);
        drawShape(shape, 1.0f);
        // Also false for a fall-off without a value.
        if (inner > 0.0f && inner < 1.0f) {
            glColor3f(1.0f, 0.0f, 0.0f);
            drawShape(shape, inner);
        }
    }
    glPopAttrib();
    STATUS_CHECK(view.endGL());
}

bool zuDisplayContainer::isBounded() const { return locatorIsBounded(); }

MBoundingBox zuDisplayContainer::boundingBox() const { return fixedLocatorBox(); }
