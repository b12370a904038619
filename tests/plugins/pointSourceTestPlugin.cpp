// A plug-in with one node type that gives a point set changing with time, for the cache tests
// and the demo to bake.
//
// testPointSource
//   time, count, fail  ->  outPoints: "count" points, at frame f (the time in the current unit);
//   the compute fails while "fail" is on:
//     position     (i + 0.1, f / 2, -i)      vector    pointID       i             int
//     normal       (0, 1, 0)                 vector    id            100 + i       int
//     uv           (i / 10, f / 10, 0)       vector    triID         10 f + i      int
//     scale        (1, 1, 1 + i)             vector    objectIndex   i % 2         int
//     aimDirection (1, 0, f)                 vector    rotationType  -1            int
//     rotationRGB  (f, i, 0.5)               vector    fallof        1 / (i + 1)   double
//     velocity     (0, -f, 0)                vector    age           f             double
//                                                      radius        0.25          double
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPxNode.h>
#include <maya/MTime.h>

namespace {

class TestPointSource : public MPxNode {
public:
    static const MTypeId id;
    static MObject time, count, fail, outPoints;

    static void* creator() { return new TestPointSource; }

    static MStatus initialize() {
        MFnUnitAttribute unit;
        time = unit.create("time", "tm", MFnUnitAttribute::kTime, 0.0);
        MFnNumericAttribute numeric;
        count = numeric.create("count", "cnt", MFnNumericData::kInt, 3);
        fail = numeric.create("fail", "fl", MFnNumericData::kBoolean, 0);
        MFnTypedAttribute typed;
        outPoints = typed.create("outPoints", "op", MFnData::kDynArrayAttrs);
        typed.setWritable(false);
        typed.setStorable(false);
        for (MObject* a : {&time, &count, &fail, &outPoints}) {
            MStatus status = addAttribute(*a);
            if (!status) return status;
        }
        for (MObject* in : {&time, &count, &fail}) {
            MStatus status = attributeAffects(*in, outPoints);
            if (!status) return status;
        }
        return MS::kSuccess;
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != outPoints) return MS::kUnknownParameter;
        if (block.inputValue(fail).asBool()) return MStatus(MS::kFailure, "testPointSource: asked to fail");
        const double f = block.inputValue(time).asTime().as(MTime::uiUnit());
        const int n = block.inputValue(count).asInt();
        MFnArrayAttrsData fn;
        MObject data = fn.create();
        MVectorArray position = fn.vectorArray("position");
        MIntArray pointID = fn.intArray("pointID");
        MVectorArray normal = fn.vectorArray("normal");
        MDoubleArray fallof = fn.doubleArray("fallof");
        MIntArray ids = fn.intArray("id");
        MVectorArray uv = fn.vectorArray("uv");
        MIntArray triID = fn.intArray("triID");
        MVectorArray scale = fn.vectorArray("scale");
        MIntArray objectIndex = fn.intArray("objectIndex");
        MVectorArray aimDirection = fn.vectorArray("aimDirection");
        MIntArray rotationType = fn.intArray("rotationType");
        MVectorArray rotationRGB = fn.vectorArray("rotationRGB");
        MDoubleArray age = fn.doubleArray("age");
        MVectorArray velocity = fn.vectorArray("velocity");
        MDoubleArray radius = fn.doubleArray("radius");
        for (int i = 0; i < n; ++i) {
            position.append(MVector(i + 0.1, f / 2, -i));
            pointID.append(i);
            normal.append(MVector(0, 1, 0));
            fallof.append(1.0 / (i + 1));
            ids.append(100 + i);
            uv.append(MVector(i / 10.0, f / 10.0, 0));
            triID.append(int(10 * f) + i);
            scale.append(MVector(1, 1, 1 + i));
            objectIndex.append(i % 2);
            aimDirection.append(MVector(1, 0, f));
            rotationType.append(-1);
            rotationRGB.append(MVector(f, i, 0.5));
            age.append(f);
            velocity.append(MVector(0, -f, 0));
            radius.append(0.25);
        }
        MStatus status = block.outputValue(outPoints).set(data);
        if (!status) return status;
        block.setClean(plug);
        return MS::kSuccess;
    }
};

const MTypeId TestPointSource::id(0x0012F110);
MObject TestPointSource::time, TestPointSource::count, TestPointSource::fail, TestPointSource::outPoints;

}  // namespace

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject object) {
    MFnPlugin plugin(object, "tests", "1.0");
    return plugin.registerNode("testPointSource", TestPointSource::id, TestPointSource::creator,
                               TestPointSource::initialize);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject object) {
    MFnPlugin plugin(object);
    return plugin.deregisterNode(TestPointSource::id);
}
