// A small plug-in with an emitter and a deformer for the host's dynamics and deformer tests.
//
// testEmitter: each step emits round(rate * step) particles at (0, 0, 0), moving along +x at
//   `speed`, with "rgbPP" (0.5, 0, 0); counts its rewinds (a step of 0 or less) in `rewinds`;
//   draws a green dot at its origin.
// testDeformer: moves every point up by offset * envelope; its accessory is a transform whose
//   translateY drives `offset`.
#include <GL/gl.h>
#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MPlug.h>
#include <maya/MPxDeformerNode.h>
#include <maya/MPxEmitterNode.h>
#include <maya/MVectorArray.h>

#include <cmath>

namespace {

class TestEmitter : public MPxEmitterNode {
public:
    static const MTypeId id;
    static MObject rewinds;

    static void* creator() { return new TestEmitter; }
    static MStatus initialize() {
        MFnNumericAttribute numeric;
        rewinds = numeric.create("rewinds", "rw", MFnNumericData::kInt, 0);
        return addAttribute(rewinds);
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug.array() != mOutput) return MS::kUnknownParameter;
        const unsigned index = plug.logicalIndex();
        MArrayDataHandle outputs = block.outputArrayValue(mOutput);
        MArrayDataBuilder builder = outputs.builder();
        MDataHandle element = builder.addElement(index);
        MFnArrayAttrsData fn;
        MObject data = fn.create();
        MArrayDataHandle deltas = block.inputArrayValue(mDeltaTime);
        deltas.jumpToArrayElement(index);
        const double dt = deltas.inputValue().asTime().as(MTime::kSeconds);
        MArrayDataHandle full = block.inputArrayValue(mIsFull);
        const bool isFull = full.jumpToArrayElement(index) && full.inputValue().asBool();
        if (dt <= 0) {
            MPlug counter(thisMObject(), rewinds);
            counter.setValue(counter.asInt() + 1);
        } else if (!isFull) {
            const double speed = block.inputValue(mSpeed).asDouble();
            const int n = int(std::lround(block.inputValue(mRate).asDouble() * dt));
            MVectorArray position = fn.vectorArray("position"),
                         velocity = fn.vectorArray("velocity");
            MVectorArray rgb = fn.vectorArray("rgbPP");
            for (int i = 0; i < n; ++i) {
                position.append(MVector(0, 0, 0));
                velocity.append(MVector(speed, 0, 0));
                rgb.append(MVector(0.5, 0, 0));
            }
        }
        element.set(data);
        outputs.set(builder);
        block.setClean(plug);
        return MS::kSuccess;
    }

    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
              M3dView::DisplayStatus) override {
        if (!view.beginGL()) return;
        glPushAttrib(GL_CURRENT_BIT | GL_POINT_BIT);
        glPointSize(7);
        glColor3f(0, 1, 0);
        glBegin(GL_POINTS);
        glVertex3f(0, 0, 0);
        glEnd();
        glPopAttrib();
        view.endGL();
    }
};

class TestDeformer : public MPxDeformerNode {
public:
    static const MTypeId id;
    static MObject offset;

    static void* creator() { return new TestDeformer; }
    static MStatus initialize() {
        MFnNumericAttribute numeric;
        offset = numeric.create("offset", "of", MFnNumericData::kDouble, 0.0);
        MStatus status = addAttribute(offset);
        if (status) status = attributeAffects(offset, outputGeom);
        return status;
    }

    MStatus deform(MDataBlock& block, MItGeometry& points, const MMatrix&, unsigned) override {
        const double lift =
            block.inputValue(offset).asDouble() * block.inputValue(envelope).asFloat();
        for (points.reset(); !points.isDone(); points.next()) {
            MPoint p = points.position();
            p.y += lift;
            points.setPosition(p);
        }
        return MS::kSuccess;
    }

    MObject& accessoryAttribute() const override { return offset; }

    MStatus accessoryNodeSetup(MDagModifier& modifier) override {
        MStatus status;
        MObject handle = modifier.createNode("transform", MObject::kNullObj, &status);
        if (!status) return status;
        MFnDependencyNode fn(handle);
        fn.setName("offsetHandle#");
        return modifier.connect(handle, fn.attribute("translateY"), thisMObject(), offset);
    }
};

// A deformer whose accessory nodes cannot be set up: it makes one, then fails.
class FailingSetupDeformer : public MPxDeformerNode {
public:
    static const MTypeId id;

    static void* creator() { return new FailingSetupDeformer; }
    static MStatus initialize() { return MS::kSuccess; }

    MStatus deform(MDataBlock&, MItGeometry&, const MMatrix&, unsigned) override {
        return MS::kSuccess;
    }

    MStatus accessoryNodeSetup(MDagModifier& modifier) override {
        MStatus status;
        modifier.createNode("transform", MObject::kNullObj, &status);
        if (!status) return status;
        return MStatus(MS::kFailure, "no handle for it");
    }
};

const MTypeId TestEmitter::id(0x0012F130);
const MTypeId TestDeformer::id(0x0012F131);
const MTypeId FailingSetupDeformer::id(0x0012F132);
MObject TestEmitter::rewinds, TestDeformer::offset;

}  // namespace

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject object) {
    MFnPlugin plugin(object, "tests", "1.0", "Any");
    MStatus status = plugin.registerNode("testEmitter", TestEmitter::id, TestEmitter::creator,
                                         TestEmitter::initialize, MPxNode::kEmitterNode);
    if (status)
        status = plugin.registerNode("testDeformer", TestDeformer::id, TestDeformer::creator,
                                     TestDeformer::initialize, MPxNode::kDeformerNode);
    if (status)
        status = plugin.registerNode("failingSetupDeformer", FailingSetupDeformer::id,
                                     FailingSetupDeformer::creator,
                                     FailingSetupDeformer::initialize, MPxNode::kDeformerNode);
    return status;
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject object) {
    MFnPlugin plugin(object);
    MStatus status = plugin.deregisterNode(TestEmitter::id);
    if (status) status = plugin.deregisterNode(TestDeformer::id);
    if (status) status = plugin.deregisterNode(FailingSetupDeformer::id);
    return status;
}
