// A small plug-in the host tests drive: one node type with inputs and outputs of most kinds,
// and one command.
//
// testAdder
//   sum      = (input1 (+ or *) input2 + offset.xyz + weights[*]) * gain + bias.xyz
//              fails, after scribbling over its value, while "fail" is on
//   computes = how many times sum was computed (never computed itself: kUnknownParameter)
//   labelOut = "[" + label + "]" + ("+" or "*" after the mode)
//   scaled   = weights * gain, element by element with the same logical indices
//   points   = a point set of "count" points: position, velocity, normal (x, y, z by turns),
//              radius, id
//
// testEcho
//   kept      = value, written through the output handle's asDouble and marked clean through it
//   forgotten = value, left dirty by its compute (a node that forgets setClean)
//
// testWhole
//   intRead, shortRead, enumRead, boolRead, doubleRead = what the compute reads from the int,
//   short, enum, bool and double inputs (asInt, asShort, asShort, asBool, asDouble), as doubles
//   intAsDouble, shortAsDouble, enumAsDouble, boolAsDouble, boolAsInt, intAsFloat = the input
//   read the other way its name says
//
// graphEcho a b c  answers the arguments as a string array.
#include <maya/MArgList.h>
#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnPlugin.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxCommand.h>
#include <maya/MPxNode.h>

#include <vector>

namespace {

#define RETURN_IF_FAILED(expression)      \
    do {                                  \
        MStatus status_ = (expression);   \
        if (!status_) return status_;     \
    } while (0)

class TestAdder : public MPxNode {
public:
    static const MTypeId id;
    static MObject input1, input2, offset, mode, label, fail, weights, settings, gain, bias, count;
    static MObject sum, computes, labelOut, scaled, points;

    static void* creator() { return new TestAdder; }

    static MStatus initialize() {
        MFnNumericAttribute numeric;
        input1 = numeric.create("input1", "i1", MFnNumericData::kDouble, 1.5);
        numeric.setMin(-10.0);
        numeric.setMax(10.0);
        numeric.setKeyable(true);
        input2 = numeric.create("input2", "i2", MFnNumericData::kInt, 2);
        offset = numeric.createPoint("offset", "off");
        numeric.setMin(-1.0, -2.0, -3.0);
        numeric.setMax(1.0, 2.0, 3.0);
        fail = numeric.create("fail", "fl", MFnNumericData::kBoolean, 0);
        numeric.setReadable(false);
        numeric.setHidden(true);
        numeric.setStorable(false);
        weights = numeric.create("weights", "w", MFnNumericData::kDouble, 0.0);
        numeric.setArray(true);
        count = numeric.create("count", "cnt", MFnNumericData::kInt, 3);
        numeric.setMin(0.0);
        numeric.setConnectable(false);

        gain = numeric.create("gain", "g", MFnNumericData::kDouble, 1.0);
        bias = numeric.createPoint("bias", "b");
        MFnCompoundAttribute compound;
        settings = compound.create("settings", "st");
        compound.addChild(gain);
        compound.addChild(bias);

        MFnEnumAttribute enumeration;
        mode = enumeration.create("mode", "md");
        enumeration.addField("add", 0);
        enumeration.addField("multiply", 1);
        enumeration.setDefault("add");

        MFnStringData text;
        MFnTypedAttribute typed;
        label = typed.create("label", "lb", MFnData::kString, text.create("none"));

        sum = numeric.create("sum", "s", MFnNumericData::kDouble, 0.0);
        numeric.setWritable(false);
        numeric.setStorable(false);
        computes = numeric.create("computes", "cmp", MFnNumericData::kInt, 0);
        numeric.setWritable(false);
        numeric.setStorable(false);
        numeric.setHidden(true);
        scaled = numeric.create("scaled", "sc", MFnNumericData::kDouble, 0.0);
        numeric.setArray(true);
        numeric.setUsesArrayDataBuilder(true);
        numeric.setWritable(false);
        numeric.setStorable(false);
        labelOut = typed.create("labelOut", "lo", MFnData::kString);
        typed.setWritable(false);
        typed.setStorable(false);
        points = typed.create("points", "pts", MFnData::kDynArrayAttrs);
        typed.setWritable(false);
        typed.setStorable(false);

        for (MObject* a : {&input1, &input2, &offset, &mode, &label, &fail, &weights, &settings, &count, &sum,
                           &computes, &labelOut, &scaled, &points})
            RETURN_IF_FAILED(addAttribute(*a));
        for (MObject* in : {&input1, &input2, &offset, &mode, &fail, &weights, &settings})
            RETURN_IF_FAILED(attributeAffects(*in, sum));
        for (MObject* in : {&label, &mode}) RETURN_IF_FAILED(attributeAffects(*in, labelOut));
        for (MObject* in : {&weights, &settings}) RETURN_IF_FAILED(attributeAffects(*in, scaled));
        for (MObject* in : {&count, &input1, &offset}) RETURN_IF_FAILED(attributeAffects(*in, points));
        return MS::kSuccess;
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug == sum) return computeSum(block);
        if (plug == labelOut) return computeLabel(block);
        if (plug == scaled) return computeScaled(block);
        if (plug == points) return computePoints(block);
        return MS::kUnknownParameter;
    }

private:
    MStatus computeSum(MDataBlock& block) {
        block.outputValue(computes).set(++computeCount_);
        double a = block.inputValue(input1).asDouble();
        double b = block.inputValue(input2).asInt();
        double value = block.inputValue(mode).asShort() == 1 ? a * b : a + b;
        MDataHandle offsetHandle = block.inputValue(offset);
        const float3& o = offsetHandle.asFloat3();
        value += o[0] + o[1] + o[2];
        MArrayDataHandle elements = block.inputArrayValue(weights);
        for (unsigned i = 0; i < elements.elementCount(); ++i, elements.next())
            value += elements.inputValue().asDouble();
        MDataHandle group = block.inputValue(settings);
        MDataHandle biasHandle = group.child(bias);
        const float3& shift = biasHandle.asFloat3();
        value = value * group.child(gain).asDouble() + shift[0] + shift[1] + shift[2];
        if (block.inputValue(fail).asBool()) {
            block.outputValue(sum).set(-999.0);
            return MStatus(MS::kFailure, "testAdder: asked to fail");
        }
        block.outputValue(sum).set(value);
        block.setClean(sum);
        return MS::kSuccess;
    }

    MStatus computeLabel(MDataBlock& block) {
        MString text = MString("[") + block.inputValue(label).asString() + "]";
        text += block.inputValue(mode).asShort() == 1 ? "*" : "+";
        block.outputValue(labelOut).set(text);
        block.setClean(labelOut);
        return MS::kSuccess;
    }

    MStatus computeScaled(MDataBlock& block) {
        double factor = block.inputValue(settings).child(gain).asDouble();
        MArrayDataHandle in = block.inputArrayValue(weights);
        MArrayDataBuilder built(&block, scaled, in.elementCount());
        for (unsigned i = 0; i < in.elementCount(); ++i, in.next())
            built.addElement(in.elementIndex()).set(in.inputValue().asDouble() * factor);
        MArrayDataHandle out = block.outputArrayValue(scaled);
        RETURN_IF_FAILED(out.set(built));
        block.setClean(scaled);
        return MS::kSuccess;
    }

    MStatus computePoints(MDataBlock& block) {
        int n = block.inputValue(count).asInt();
        double a = block.inputValue(input1).asDouble();
        MDataHandle offsetHandle = block.inputValue(offset);
        const float3& o = offsetHandle.asFloat3();
        MFnArrayAttrsData fn;
        MObject data = fn.create();
        MVectorArray position = fn.vectorArray("position");
        MVectorArray velocity = fn.vectorArray("velocity");
        MVectorArray normal = fn.vectorArray("normal");
        MDoubleArray radius = fn.doubleArray("radius");
        MIntArray ids = fn.intArray("id");
        for (int i = 0; i < n; ++i) {
            position.append(MVector(i + o[0], a * i + o[1], o[2]));
            velocity.append(MVector(0.0, a, -a));
            normal.append(MVector(i % 3 == 0, i % 3 == 1, i % 3 == 2));
            radius.append(0.5 * (i + 1));
            ids.append(10 * i);
        }
        RETURN_IF_FAILED(block.outputValue(points).set(data));
        block.setClean(points);
        return MS::kSuccess;
    }

    int computeCount_ = 0;
};

const MTypeId TestAdder::id(0x0012F100);
MObject TestAdder::input1, TestAdder::input2, TestAdder::offset, TestAdder::mode, TestAdder::label, TestAdder::fail,
    TestAdder::weights, TestAdder::settings, TestAdder::gain, TestAdder::bias, TestAdder::count, TestAdder::sum,
    TestAdder::computes, TestAdder::labelOut, TestAdder::scaled, TestAdder::points;

class TestEcho : public MPxNode {
public:
    static const MTypeId id;
    static MObject value, kept, forgotten;

    static void* creator() { return new TestEcho; }

    static MStatus initialize() {
        MFnNumericAttribute numeric;
        value = numeric.create("value", "v", MFnNumericData::kDouble, 1.0);
        kept = numeric.create("kept", "k", MFnNumericData::kDouble, 0.0);
        numeric.setWritable(false);
        forgotten = numeric.create("forgotten", "f", MFnNumericData::kDouble, 0.0);
        numeric.setWritable(false);
        for (MObject* a : {&value, &kept, &forgotten}) RETURN_IF_FAILED(addAttribute(*a));
        RETURN_IF_FAILED(attributeAffects(value, kept));
        return attributeAffects(value, forgotten);
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != kept && plug != forgotten) return MS::kUnknownParameter;
        MDataHandle output = block.outputValue(plug);
        output.asDouble() = block.inputValue(value).asDouble();
        if (plug == kept) output.setClean();
        return MS::kSuccess;
    }
};

const MTypeId TestEcho::id(0x0012F101);
MObject TestEcho::value, TestEcho::kept, TestEcho::forgotten;

class TestWhole : public MPxNode {
public:
    static const MTypeId id;
    static MObject intIn, shortIn, enumIn, boolIn, doubleIn;

    // An output that holds what the compute reads from one input, one way.
    struct Read {
        const char* name;
        const MObject* input;
        double (*read)(const MDataHandle&);
        MObject output;
    };
    static std::vector<Read> reads;

    static void* creator() { return new TestWhole; }

    static MStatus initialize() {
        MFnNumericAttribute numeric;
        intIn = numeric.create("int", "i", MFnNumericData::kInt, 0);
        shortIn = numeric.create("short", "s", MFnNumericData::kShort, 0);
        boolIn = numeric.create("bool", "b", MFnNumericData::kBoolean, 0);
        doubleIn = numeric.create("double", "d", MFnNumericData::kDouble, 0.0);
        MFnEnumAttribute enumeration;
        enumIn = enumeration.create("enum", "e");
        enumeration.addField("zero", 0);
        for (MObject* in : {&intIn, &shortIn, &enumIn, &boolIn, &doubleIn})
            RETURN_IF_FAILED(addAttribute(*in));
        for (Read& r : reads) {
            r.output = numeric.create(r.name, r.name, MFnNumericData::kDouble, 0.0);
            numeric.setWritable(false);
            RETURN_IF_FAILED(addAttribute(r.output));
            RETURN_IF_FAILED(attributeAffects(*r.input, r.output));
        }
        return MS::kSuccess;
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        for (Read& r : reads) {
            if (plug != r.output) continue;
            block.outputValue(r.output).set(r.read(block.inputValue(*r.input)));
            block.setClean(r.output);
            return MS::kSuccess;
        }
        return MS::kUnknownParameter;
    }
};

const MTypeId TestWhole::id(0x0012F102);
MObject TestWhole::intIn, TestWhole::shortIn, TestWhole::enumIn, TestWhole::boolIn,
    TestWhole::doubleIn;
std::vector<TestWhole::Read> TestWhole::reads = {
    {"intRead", &intIn, [](const MDataHandle& h) { return double(h.asInt()); }, {}},
    {"shortRead", &shortIn, [](const MDataHandle& h) { return double(h.asShort()); }, {}},
    {"enumRead", &enumIn, [](const MDataHandle& h) { return double(h.asShort()); }, {}},
    {"boolRead", &boolIn, [](const MDataHandle& h) { return h.asBool() ? 1.0 : 0.0; }, {}},
    {"doubleRead", &doubleIn, [](const MDataHandle& h) { return h.asDouble(); }, {}},
    {"intAsDouble", &intIn, [](const MDataHandle& h) { return h.asDouble(); }, {}},
    {"shortAsDouble", &shortIn, [](const MDataHandle& h) { return h.asDouble(); }, {}},
    {"enumAsDouble", &enumIn, [](const MDataHandle& h) { return h.asDouble(); }, {}},
    {"boolAsDouble", &boolIn, [](const MDataHandle& h) { return h.asDouble(); }, {}},
    {"boolAsInt", &boolIn, [](const MDataHandle& h) { return double(h.asInt()); }, {}},
    {"intAsFloat", &intIn, [](const MDataHandle& h) { return double(h.asFloat()); }, {}},
};

class GraphEcho : public MPxCommand {
public:
    static void* creator() { return new GraphEcho; }
    MStatus doIt(const MArgList& args) override {
        clearResult();
        for (unsigned i = 0; i < args.length(); ++i) appendToResult(args.asString(i));
        return MS::kSuccess;
    }
};

}  // namespace

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject object) {
    MFnPlugin plugin(object, "tests", "1.0");
    RETURN_IF_FAILED(plugin.registerNode("testAdder", TestAdder::id, TestAdder::creator, TestAdder::initialize));
    RETURN_IF_FAILED(plugin.registerNode("testEcho", TestEcho::id, TestEcho::creator, TestEcho::initialize));
    RETURN_IF_FAILED(
        plugin.registerNode("testWhole", TestWhole::id, TestWhole::creator, TestWhole::initialize));
    return plugin.registerCommand("graphEcho", GraphEcho::creator);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject object) {
    MFnPlugin plugin(object);
    RETURN_IF_FAILED(plugin.deregisterCommand("graphEcho"));
    RETURN_IF_FAILED(plugin.deregisterNode(TestWhole::id));
    RETURN_IF_FAILED(plugin.deregisterNode(TestEcho::id));
    return plugin.deregisterNode(TestAdder::id);
}
