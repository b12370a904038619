#include "pointSuite/display/zuNoiseLocator.h"

#include <GL/gl.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MVectorArray.h>

#include <string>

#include "common/locatorBounds.h"
#include "common/statusCheck.h"
#include "pointSuite/display/locatorDrawing.h"

const MTypeId zuNoiseLocator::id(0xC9);
MObject zuNoiseLocator::curvePoints[3];
MObject zuNoiseLocator::crvLenIn[3];
MObject zuNoiseLocator::crvLenOut[3];
MObject zuNoiseLocator::crvPtsCountIn[3];
MObject zuNoiseLocator::crvPtsCountOut[3];

namespace {

const char* const kAxes[3] = {"x", "y", "z"};

void setInput(MFnAttribute& fn) {
    fn.setKeyable(true);
    fn.setStorable(true);
    fn.setReadable(true);
    fn.setWritable(true);
}

void setOutput(MFnAttribute& fn) {
    fn.setKeyable(false);
    fn.setStorable(false);
    fn.setReadable(true);
    fn.setWritable(false);
}

// The curve's points, appended to the strip; a curve that cannot be read adds none.
void addCurve(const MObject& node, const MObject& attribute) {
    MStatus status;
    MPlug plug = MFnDependencyNode(node).findPlug(attribute, &status);
    if (!status) return status.perror("plug");
    MObject data;
    status = plug.getValue(data);
    if (!status) return status.perror("getValue");
    MFnVectorArrayData fn(data, &status);
    if (!status) return status.perror("MFnVectorArrayData");
    const MVectorArray points = fn.array();
    for (unsigned i = 0; i < points.length(); ++i)
        glVertex3f(float(points[i].x), float(points[i].y), float(points[i].z));
}

}  // namespace

zuNoiseLocator::~zuNoiseLocator() = default;

void* zuNoiseLocator::creator() { return new zuNoiseLocator; }

MStatus zuNoiseLocator::initialize() {
    MStatus status;
    for (int axis = 0; axis < 3; ++axis) {
        const std::string a = kAxes[axis], o = "o" + a;
        MFnTypedAttribute typed;
        curvePoints[axis] = typed.create((o + "CurvePoints").c_str(), (o + "P").c_str(),
                                         MFnData::kVectorArray, MObject::kNullObj, &status);
        STATUS_RETURN_ON_ERROR(status, "in " + o + "CurvePoints.");
        setInput(typed);
        STATUS_RETURN_ON_ERROR(addAttribute(curvePoints[axis]), "adding " + o + "CurvePoints.");

        MFnNumericAttribute numeric;
        crvLenIn[axis] = numeric.create((o + "CrvLenIn").c_str(), (a + "li").c_str(),
                                        MFnNumericData::kFloat, 1.0, &status);
        STATUS_RETURN_ON_ERROR(status, "in " + o + "CrvLenIn.");
        setInput(numeric);
        STATUS_RETURN_ON_ERROR(addAttribute(crvLenIn[axis]), "adding " + o + "CrvLenIn.");
        crvLenOut[axis] = numeric.create((o + "CrvLenOut").c_str(), (a + "lo").c_str(),
                                         MFnNumericData::kFloat, 0.0, &status);
        STATUS_RETURN_ON_ERROR(status, "in " + o + "CrvLenOut.");
        setOutput(numeric);
        STATUS_RETURN_ON_ERROR(addAttribute(crvLenOut[axis]), "adding " + o + "CrvLenOut.");
        crvPtsCountIn[axis] = numeric.create((o + "CrvPtsCountIn").c_str(), (a + "ci").c_str(),
                                             MFnNumericData::kInt, 30, &status);
        STATUS_RETURN_ON_ERROR(status, "in " + o + "CrvPtsCountIn.");
        numeric.setMin(5);
        numeric.setMax(500);
        setInput(numeric);
        STATUS_RETURN_ON_ERROR(addAttribute(crvPtsCountIn[axis]), "adding " + o + "CrvPtsCountIn.");
        crvPtsCountOut[axis] = numeric.create((o + "CrvPtsCountOut").c_str(), (a + "co").c_str(),
                                              MFnNumericData::kInt, 0, &status);
        STATUS_RETURN_ON_ERROR(status, "in " + o + "CrvPtsCountOut.");
        setOutput(numeric);
        STATUS_RETURN_ON_ERROR(addAttribute(crvPtsCountOut[axis]),
                               "adding " + o + "CrvPtsCountOut.");
    }
    for (int axis = 0; axis < 3; ++axis) {
        STATUS_RETURN_ON_ERROR(attributeAffects(crvLenIn[axis], crvLenOut[axis]),
                               "in attributeAffects.");
        STATUS_RETURN_ON_ERROR(attributeAffects(crvPtsCountIn[axis], crvPtsCountOut[axis]),
                               "in attributeAffects.");
    }
    return MS::kSuccess;
}

void zuNoiseLocator::postConstructor() {
    MStatus status;
    MFnDependencyNode node(thisMObject(), &status);
    STATUS_CHECK(status);
    node.setName("zuNoiseLocatorShape#", false, &status);
    STATUS_CHECK(status);
}

MStatus zuNoiseLocator::compute(const MPlug& plug, MDataBlock& block) {
    for (int axis = 0; axis < 3; ++axis) {
        if (plug == crvLenOut[axis]) {
            block.outputValue(crvLenOut[axis]).set(block.inputValue(crvLenIn[axis]).asFloat());
        } else if (plug == crvPtsCountOut[axis]) {
            block.outputValue(crvPtsCountOut[axis])
                .set(block.inputValue(crvPtsCountIn[axis]).asInt());
        } else {
            continue;
        }
        block.setClean(plug);
        return MS::kSuccess;
    }
    return MS::kUnknownParameter;
}

void zuNoiseLocator::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
                          M3dView::DisplayStatus) {
    STATUS_CHECK(view.beginGL());
    glPushAttrib(GL_CURRENT_BIT);
    drawAxisCross(1.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_LINE_STRIP);
    for (const MObject& curve : curvePoints) addCurve(thisMObject(), curve);
    glEnd();
    glPopAttrib();
    STATUS_CHECK(view.endGL());
}

bool zuNoiseLocator::isBounded() const { return locatorIsBounded(); }

MBoundingBox zuNoiseLocator::boundingBox() const { return fixedLocatorBox(); }
