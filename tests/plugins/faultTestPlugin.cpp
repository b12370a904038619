// A small plug-in whose nodes fail by throwing, for the view tests.
//
// testThrower: `output` (bool, read-only) is computed from `input` by throwing
//   std::runtime_error("compute failed on purpose").
// testThrowingLocator (shape "testThrowingLocatorShape#"): its draw pushes the matrix and
//   attribute stacks, sets a large blue point, opens a primitive and throws
//   std::runtime_error("draw failed on purpose") before closing anything.
#include <GL/gl.h>
#include <maya/M3dView.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MPxNode.h>

#include <stdexcept>

namespace {

class TestThrower : public MPxNode {
public:
    static const MTypeId id;
    static MObject input, output;

    static void* creator() { return new TestThrower; }

    static MStatus initialize() {
        MFnNumericAttribute numeric;
        input = numeric.create("input", "i", MFnNumericData::kBoolean, 1);
        output = numeric.create("output", "o", MFnNumericData::kBoolean, 1);
        numeric.setWritable(false);
        for (MObject* a : {&input, &output}) {
            MStatus status = addAttribute(*a);
            if (!status) return status;
        }
        return attributeAffects(input, output);
    }

    MStatus compute(const MPlug& plug, MDataBlock&) override {
        if (plug != output) return MS::kUnknownParameter;
        throw std::runtime_error("compute failed on purpose");
    }
};

class TestThrowingLocator : public MPxLocatorNode {
public:
    static const MTypeId id;

    static void* creator() { return new TestThrowingLocator; }
    static MStatus initialize() { return MS::kSuccess; }

    void postConstructor() override {
        MFnDependencyNode node(thisMObject());
        node.setName("testThrowingLocatorShape#");
    }

    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
              M3dView::DisplayStatus) override {
        if (!view.beginGL()) return;
        glPushMatrix();
        glPushAttrib(GL_CURRENT_BIT | GL_POINT_BIT);
        glPointSize(9.0f);
        glColor3f(0.0f, 0.0f, 1.0f);
        glBegin(GL_POINTS);
        glVertex3f(0, 0, 0);
        throw std::runtime_error("draw failed on purpose");
    }

    bool isBounded() const override { return true; }
    MBoundingBox boundingBox() const override {
        return MBoundingBox(MPoint(-1, -1, -1), MPoint(1, 1, 1));
    }
};

const MTypeId TestThrower::id(0x0012F130);
MObject TestThrower::input, TestThrower::output;
const MTypeId TestThrowingLocator::id(0x0012F131);

}  // namespace

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject object) {
    MFnPlugin plugin(object, "tests", "1.0", "Any");
    MStatus status = plugin.registerNode("testThrower", TestThrower::id, TestThrower::creator,
                                         TestThrower::initialize);
    if (!status) return status;
    return plugin.registerNode("testThrowingLocator", TestThrowingLocator::id,
                               TestThrowingLocator::creator, TestThrowingLocator::initialize,
                               MPxNode::kLocatorNode);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject object) {
    MFnPlugin plugin(object);
    MStatus status = plugin.deregisterNode(TestThrowingLocator::id);
    if (!status) return status;
    return plugin.deregisterNode(TestThrower::id);
}
