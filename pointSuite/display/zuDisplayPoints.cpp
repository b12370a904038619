#include "pointSuite/display/zuDisplayPoints.h"

#include <GL/gl.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

#include "common/locatorBounds.h"
#include "common/nodeAttributes.h"
#include "common/statusCheck.h"
#include "pointSuite/display/locatorDrawing.h"

const MTypeId zuDisplayPoints::id(0xB4);
MObject zuDisplayPoints::inPoints;
MObject zuDisplayPoints::pointSize;
MObject zuDisplayPoints::pointColor;
MObject zuDisplayPoints::fallofColor;
MObject zuDisplayPoints::displayDir;
MObject zuDisplayPoints::arrowSize;
MObject zuDisplayPoints::colorFromRot;
MObject zuDisplayPoints::displayAttribute;
MObject zuDisplayPoints::attributeName;
MObject zuDisplayPoints::state;

namespace {

// The largest dot drawn: a size arriving through a connection is kept within the attribute's
// own range, so that a huge value cannot make every dot cover the view.
constexpr float kMinPointSize = 1.0f, kMaxPointSize = 10.0f;

// The point set's arrays a draw uses, each present only when of the kind it needs.
struct DrawArrays {
    unsigned int count = 0;  // the cached positions
    bool directions = false, rotationColors = false, barbs = false, fallofColors = false,
         labels = false;
    MVectorArray aimDirection, rotationRGB, aimWorldUp;
    MDoubleArray fallof;
    MFnArrayAttrsData::Type labelKind = MFnArrayAttrsData::kInvalid;
    MVectorArray labelVectors;
    MDoubleArray labelDoubles;
    MIntArray labelInts;
};

bool hasArray(MFnArrayAttrsData& points, const char* name, MFnArrayAttrsData::Type kind) {
    MFnArrayAttrsData::Type found = MFnArrayAttrsData::kInvalid;
    return points.checkArrayExist(name, found) && found == kind;
}

MStatus addKeyable(MFnAttribute& fn, const MObject& attribute) {
    fn.setKeyable(true);
    fn.setStorable(true);
    fn.setReadable(true);
    fn.setWritable(true);
    return MPxNode::addAttribute(attribute);
}

// The labels' array when it can be labelled: of a kind with a text form and one value per
// point. A wrong length is a warning; a missing array or another kind is silent.
void readLabels(MFnArrayAttrsData& points, const MString& name, DrawArrays& arrays) {
    MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
    if (!points.checkArrayExist(name, kind)) return;
    unsigned int length = 0;
    if (kind == MFnArrayAttrsData::kVectorArray)
        length = (arrays.labelVectors = points.getVectorData(name)).length();
    else if (kind == MFnArrayAttrsData::kDoubleArray)
        length = (arrays.labelDoubles = points.getDoubleData(name)).length();
    else if (kind == MFnArrayAttrsData::kIntArray)
        length = (arrays.labelInts = points.getIntData(name)).length();
    else
        return;
    if (length != arrays.count) {
        MGlobal::displayWarning(MString("zuDisplayPoints: Invalid attribute array length: ") +
                                name);
        return;
    }
    arrays.labelKind = kind;
    arrays.labels = true;
}

std::string labelText(const DrawArrays& arrays, unsigned int i) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(3);
    if (arrays.labelKind == MFnArrayAttrsData::kDoubleArray)
        text << arrays.labelDoubles[i];
    else if (arrays.labelKind == MFnArrayAttrsData::kIntArray)
        text << arrays.labelInts[i];
    else
        text << arrays.labelVectors[i];
    return text.str();
}

void vertex(const MVector& p) { glVertex3f(float(p.x), float(p.y), float(p.z)); }

// Dots at the positions: in the point colour, or blended from it to the fall-off colour by
// each point's weight (1 the point colour, 0 the fall-off colour).
void drawDots(const MVectorArray& positions, const DrawArrays& arrays, const MFloatVector& color,
              const MFloatVector& fallofColor) {
    glBegin(GL_POINTS);
    if (!arrays.fallofColors) {
        glColor3f(color.x, color.y, color.z);
        for (unsigned int i = 0; i < arrays.count; ++i) vertex(positions[i]);
    } else {
        const unsigned int n = std::min(arrays.count, arrays.fallof.length());
        for (unsigned int i = 0; i < n; ++i) {
            const float f = float(arrays.fallof[i]);
            glColor3f(f * color.x + (1 - f) * fallofColor.x, f * color.y + (1 - f) * fallofColor.y,
                      f * color.z + (1 - f) * fallofColor.z);
            vertex(positions[i]);
        }
    }
    glEnd();
}

void drawLabels(M3dView& view, const MVectorArray& positions, const DrawArrays& arrays) {
    const M3dView::TextPosition where =
        arrays.labelKind == MFnArrayAttrsData::kVectorArray ? M3dView::kCenter : M3dView::kLeft;
    for (unsigned int i = 0; i < arrays.count; ++i)
        STATUS_CHECK(view.drawText(labelText(arrays, i).c_str(), MPoint(positions[i]), where));
}

// A line per point along its aim direction, with a barb from the tip half-way towards the point
// half an up vector from the start. Only the points that every array used covers are drawn.
void drawDirections(const MVectorArray& positions, const DrawArrays& arrays, double length,
                    const MFloatVector& color) {
    unsigned int n = std::min(arrays.count, arrays.aimDirection.length());
    if (arrays.barbs) n = std::min(n, arrays.aimWorldUp.length());
    glBegin(GL_LINES);
    if (!arrays.rotationColors) glColor3f(color.x, color.y, color.z);
    for (unsigned int i = 0; i < n; ++i) {
        if (arrays.rotationColors) {
            const MVector& r = arrays.rotationRGB[i];
            glColor3f(float(std::abs(r.x)), float(std::abs(std::sin(M_PI * r.y))),
                      float(std::abs(std::sin(M_PI * r.z))));
        }
        const MVector& start = positions[i];
        const MVector tip = start + arrays.aimDirection[i] * length;
        vertex(start);
        vertex(tip);
        if (arrays.barbs) {
            vertex(tip);
            vertex(tip + ((start + 0.5 * arrays.aimWorldUp[i]) - tip) * 0.5);
        }
    }
    glEnd();
}

}  // namespace

zuDisplayPoints::zuDisplayPoints() {
    cachedBox.expand(MPoint(-1.0, -1.0, -1.0));
    cachedBox.expand(MPoint(1.0, 1.0, 1.0));
}

zuDisplayPoints::~zuDisplayPoints() = default;

void* zuDisplayPoints::creator() { return new zuDisplayPoints; }

MStatus zuDisplayPoints::initialize() {
    MStatus status;
    MFnTypedAttribute typed;
    MFnNumericAttribute numeric;

    status = createPointSetInput(inPoints);
    if (!status) return status;
    STATUS_RETURN_ON_ERROR(addAttribute(inPoints), "adding inPoints.\n");

    pointSize = numeric.create("pointSize", "ps", MFnNumericData::kInt, 2, &status);
    STATUS_RETURN_ON_ERROR(status, "in pointSize.\n");
    numeric.setMin(1);
    numeric.setMax(10);
    STATUS_RETURN_ON_ERROR(addKeyable(numeric, pointSize), "adding pointSize.\n");

    pointColor = numeric.createColor("pointColor", "pc", &status);
    STATUS_RETURN_ON_ERROR(status, "in pointColor.\n");
    numeric.setDefault(0.0f, 0.0f, 0.0f);
    STATUS_RETURN_ON_ERROR(addKeyable(numeric, pointColor), "adding pointColor.\n");

    fallofColor = numeric.createColor("fallofColor", "fc", &status);
    STATUS_RETURN_ON_ERROR(status, "in fallofColor.\n");
    numeric.setDefault(0.0f, 0.0f, 0.0f);
    STATUS_RETURN_ON_ERROR(addKeyable(numeric, fallofColor), "adding fallofColor.\n");

    displayDir = numeric.create("displayDir", "dd", MFnNumericData::kBoolean, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in displayDir.\n");
    STATUS_RETURN_ON_ERROR(addKeyable(numeric, displayDir), "adding displayDir.\n");

    arrowSize = numeric.create("arrowSize", "as", MFnNumericData::kFloat, 1.0, &status);
    STATUS_RETURN_ON_ERROR(status, "in arrowSize.\n");
    numeric.setMin(0.0);
    STATUS_RETURN_ON_ERROR(addKeyable(numeric, arrowSize), "adding arrowSize.\n");

    colorFromRot = numeric.create("colorFromRot", "cfr", MFnNumericData::kBoolean, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in colorFromDir.\n");
    STATUS_RETURN_ON_ERROR(addKeyable(numeric, colorFromRot), "adding colorFromRot.\n");

    displayAttribute =
        numeric.create("displayAttribute", "da", MFnNumericData::kBoolean, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in displayAttribute.\n");
    STATUS_RETURN_ON_ERROR(addKeyable(numeric, displayAttribute), "adding displayAttribute.\n");

    attributeName =
        typed.create("attributeName", "aa", MFnData::kString, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in attributeName.\n");
    typed.setStorable(true);
    typed.setReadable(true);
    typed.setWritable(true);
    typed.setKeyable(false);
    STATUS_RETURN_ON_ERROR(addAttribute(attributeName), "adding attributeName.\n");

    state = numeric.create("state", "st", MFnNumericData::kInt, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in state.\n");
    numeric.setReadable(true);
    numeric.setWritable(false);
    numeric.setStorable(false);
    numeric.setKeyable(false);
    STATUS_RETURN_ON_ERROR(addAttribute(state), "adding state.\n");

    STATUS_RETURN_ON_ERROR(attributeAffects(inPoints, state),
                           "in attributeAffects(inPoints, state).\n");
    return MS::kSuccess;
}

void zuDisplayPoints::postConstructor() {
    MStatus status;
    MFnDependencyNode node(thisMObject(), &status);
    STATUS_CHECK(status);
    node.setName("zuDisplayPointsShape#", false, &status);
    STATUS_CHECK(status);
}

MStatus zuDisplayPoints::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != state) return MS::kUnknownParameter;
    MStatus status;
    MDataHandle stateHandle = block.outputValue(state, &status);
    STATUS_CHECK(status);
    updateCounter = (updateCounter + 1) % 10000;
    stateHandle.set(int(updateCounter));

    cachedBox.clear();
    cachedBox.expand(MPoint(-1.0, -1.0, -1.0));
    cachedBox.expand(MPoint(1.0, 1.0, 1.0));

    MDataHandle input = block.inputValue(inPoints, &status);
    STATUS_CHECK(status);
    MFnArrayAttrsData points;
    MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
    if (!points.setObject(input.data()) || !points.checkArrayExist("position", kind)) {
        cachedPositions.clear();
        block.setClean(plug);
        return MS::kSuccess;
    }
    cachedPositions = points.getVectorData("position", &status);
    STATUS_CHECK(status);
    // A position without a value would leave the box without one: it is drawn, not boxed.
    for (unsigned int i = 0; i < cachedPositions.length(); ++i) {
        const MVector& p = cachedPositions[i];
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
            cachedBox.expand(MPoint(p));
    }
    block.setClean(plug);
    return MS::kSuccess;
}

void zuDisplayPoints::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
                           M3dView::DisplayStatus) {
    const MObject self = thisMObject();
    MPlug(self, state).asInt();
    STATUS_CHECK(view.beginGL());
    glPushAttrib(GL_CURRENT_BIT);
    drawAxisCross(1.0f);

    const float size = MPlug(self, pointSize).asFloat();
    MObject data;
    STATUS_CHECK(MPlug(self, inPoints).getValue(data));
    const MFloatVector color = plugColor(self, pointColor);
    MFnArrayAttrsData points;
    MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
    if (!points.setObject(data) || !points.checkArrayExist("position", kind)) {
        glPopAttrib();
        STATUS_CHECK(view.endGL());
        return;
    }

    DrawArrays arrays;
    arrays.count = cachedPositions.length();
    arrays.directions = MPlug(self, displayDir).asBool() &&
                        hasArray(points, "aimDirection", MFnArrayAttrsData::kVectorArray);
    if (arrays.directions) arrays.aimDirection = points.getVectorData("aimDirection");
    double length = MPlug(self, arrowSize).asFloat();
    if (!(length > 0) || !std::isfinite(length)) length = 0;  // NaN and negative sizes draw no line
    arrays.rotationColors = MPlug(self, colorFromRot).asBool() &&
                            hasArray(points, "rotationRGB", MFnArrayAttrsData::kVectorArray) &&
                            points.getVectorData("rotationRGB").length() == arrays.count;
    if (arrays.rotationColors) arrays.rotationRGB = points.getVectorData("rotationRGB");
    arrays.barbs = hasArray(points, "aimWorldUp", MFnArrayAttrsData::kVectorArray);
    if (arrays.barbs) arrays.aimWorldUp = points.getVectorData("aimWorldUp");
    const MFloatVector fallofTint = plugColor(self, fallofColor);
    const MString labelName = MPlug(self, attributeName).asString();
    if (MPlug(self, displayAttribute).asBool() && labelName.length() > 0)
        readLabels(points, labelName, arrays);
    arrays.fallofColors = hasArray(points, "fallof", MFnArrayAttrsData::kDoubleArray);
    if (arrays.fallofColors) arrays.fallof = points.getDoubleData("fallof");

    loadCameraInverse(view);
    glPointSize(std::isfinite(size) ? std::clamp(size, kMinPointSize, kMaxPointSize)
                                    : kMinPointSize);
    drawDots(cachedPositions, arrays, color, fallofTint);
    glColor3f(0.0f, 0.0f, 0.25f);
    if (arrays.labels) drawLabels(view, cachedPositions, arrays);
    if (arrays.directions) drawDirections(cachedPositions, arrays, length, color);
    glPopMatrix();
    glPopAttrib();
    STATUS_CHECK(view.endGL());
}

bool zuDisplayPoints::isBounded() const { return locatorIsBounded(); }

MBoundingBox zuDisplayPoints::boundingBox() const { return cachedBox; }
