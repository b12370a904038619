// A small plug-in with a locator the view tests draw.
//
// testLocator (shape "testLocatorShape#")
//   one square dot of `dotSize` pixels in `dotColor` at its local origin, so that it moves with
//   its transform; with a `label`, the text in dark blue at that point, placed by `align`
//   (0 left, 1 centre, 2 right)
#include <GL/gl.h>
#include <maya/M3dView.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxLocatorNode.h>

namespace {

class TestLocator : public MPxLocatorNode {
public:
    static const MTypeId id;
    static MObject dotSize, dotColor, label, align;

    static void* creator() { return new TestLocator; }

    static MStatus initialize() {
        MFnNumericAttribute numeric;
        dotSize = numeric.create("dotSize", "ds", MFnNumericData::kFloat, 5.0);
        dotColor = numeric.createColor("dotColor", "dc");
        numeric.setDefault(1.0f, 0.0f, 0.0f);
        align = numeric.create("align", "al", MFnNumericData::kInt, 0);
        MFnTypedAttribute typed;
        label = typed.create("label", "lb", MFnData::kString);
        for (MObject* a : {&dotSize, &dotColor, &label, &align}) {
            MStatus status = addAttribute(*a);
            if (!status) return status;
        }
        return MS::kSuccess;
    }

    void postConstructor() override {
        MFnDependencyNode node(thisMObject());
        node.setName("testLocatorShape#");
    }

    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
              M3dView::DisplayStatus) override {
        MObject self = thisMObject();
        const float size = MPlug(self, dotSize).asFloat();
        MPlug color(self, dotColor);
        const MString text = MPlug(self, label).asString();
        const int where = MPlug(self, align).asInt();
        if (!view.beginGL()) return;
        glPushAttrib(GL_CURRENT_BIT | GL_POINT_BIT);
        glPointSize(size);
        glColor3f(color.child(0).asFloat(), color.child(1).asFloat(), color.child(2).asFloat());
        glBegin(GL_POINTS);
        glVertex3f(0, 0, 0);
        glEnd();
        if (text.length() > 0) {
            glColor3f(0.0f, 0.0f, 0.25f);
            view.drawText(text, MPoint(0, 0, 0), M3dView::TextPosition(where));
        }
        glPopAttrib();
        view.endGL();
    }

    bool isBounded() const override { return true; }
    MBoundingBox boundingBox() const override {
        return MBoundingBox(MPoint(-1, -1, -1), MPoint(1, 1, 1));
    }
};

const MTypeId TestLocator::id(0x0012F120);
MObject TestLocator::dotSize, TestLocator::dotColor, TestLocator::label, TestLocator::align;

}  // namespace

PLUGIN_EXPORT const char MApiVersion[] = "201402";

MStatus initializePlugin(MObject object) {
    MFnPlugin plugin(object, "tests", "1.0", "Any");
    return plugin.registerNode("testLocator", TestLocator::id, TestLocator::creator,
                               TestLocator::initialize, MPxNode::kLocatorNode);
}

MStatus uninitializePlugin(MObject object) {
    MFnPlugin plugin(object);
    return plugin.deregisterNode(TestLocator::id);
}
