#include "pointSuite/sets/zuPointsSelection.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MColorArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MStringArray.h>
#include <thrust/copy.h>
#include <thrust/sort.h>

#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "common/arrayCopy.h"
#include "common/deviceArrays.h"
#include "common/deviceLaunch.h"
#include "common/gpuServices.h"
#include "common/inputChecks.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "common/vectorTables.h"
#include "common/vertexColorLayers.h"
#include "pointSuite/attributes/layerSampling.h"
#include "pointSuite/sets/conditionParser.h"
#include "pointSuite/sets/setFunctions.h"
#include "pointSuite/sets/setKernels.h"

const MTypeId zuPointsSelection::id(0xC6);
MObject zuPointsSelection::inPoints, zuPointsSelection::useVertexColor, zuPointsSelection::inMesh,
    zuPointsSelection::useInColor, zuPointsSelection::inColor, zuPointsSelection::conditions,
    zuPointsSelection::varName, zuPointsSelection::varValue, zuPointsSelection::dotProdCondition,
    zuPointsSelection::dotProdVector, zuPointsSelection::dotProdRange, zuPointsSelection::variables,
    zuPointsSelection::outPoints, zuPointsSelection::outPointsComplement;

namespace {

using S = zuPointsSelection;
const char kNoMemory[] = "zuPointsSelection: Not enough memory on GPU";
constexpr unsigned int kRandomTableSize = 1000;
constexpr unsigned long long kSelectionSeed = 123;

// A parser message: one that begins with ": " is led by the inPoints plug's name.
void showMessage(PointSetInput& input, const std::string& message) {
    if (message.rfind(": ", 0) == 0) input.show(message.c_str());
    else MGlobal::displayError(message.c_str());
}

ArrayKinds arrayKindsOf(MFnArrayAttrsData& set) {
    ArrayKinds kinds;
    const MStringArray names = set.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
        set.checkArrayExist(names[i], kind);
        kinds[names[i].asChar()] = kind == MFnArrayAttrsData::kVectorArray   ? ArrayKind::kVector
                                   : kind == MFnArrayAttrsData::kDoubleArray ? ArrayKind::kDouble
                                   : kind == MFnArrayAttrsData::kIntArray    ? ArrayKind::kInt
                                                                             : ArrayKind::kOther;
    }
    return kinds;
}

// The colour stage's own array check: its messages name the node type, not the plug.
bool requireColourArray(PointSetInput& input, const char* name, MFnArrayAttrsData::Type kind,
                        const char* missing) {
    MFnArrayAttrsData::Type found = MFnArrayAttrsData::kInvalid;
    if (!input.set().checkArrayExist(name, found)) {
        MGlobal::displayError(missing);
        return false;
    }
    if (found != kind) {
        MGlobal::displayError(MString("zuPointsSelection: invalid array type '") + name + "'");
        return false;
    }
    return true;
}

// What the colour stage hands its kernel: the mesh's red vertex colours and where each point
// lies, and inColor's x per point.
struct ColourInputs {
    bool hasVertexColor = false, hasColor = false;
    unsigned int vertexCount = 0;
    std::vector<float> red, inColor;
    DeviceTable<float> uv;
    std::vector<unsigned int> corners, triID;
};

MStatus readVertexColourInputs(MDataBlock& block, const MObject& node, PointSetInput& input,
                               unsigned int n, ColourInputs& colour) {
    MStatus status;
    MFnMesh mesh;
    if (!readInputMesh(block, node, S::inMesh, mesh)) return MS::kFailure;
    colour.vertexCount = static_cast<unsigned int>(mesh.numVertices());
    if (!requireColourArray(input, "triID", MFnArrayAttrsData::kIntArray, "zuPointsSelection: Points triID missing"))
        return MS::kFailure;
    const MIntArray triID = input.set().getIntData("triID");
    status = readTriangleCorners(mesh, colour.corners);
    if (!status) return status;
    const unsigned int triangleCount = static_cast<unsigned int>(colour.corners.size() / 3);
    if (!deviceMemoryFits(4ull * (colour.vertexCount + 3ull * n + colour.corners.size()), kNoMemory))
        return MS::kFailure;
    MColorArray colors;
    const MColor white(1, 1, 1, 1);
    status = mesh.getVertexColors(colors, nullptr, &white);
    STATUS_RETURN_ON_ERROR(status, "getting colorSet");
    if (colors.length() != colour.vertexCount) {
        MGlobal::displayError(MString("zuPointsSelection: the colour set gives ") +
                              static_cast<int>(colors.length()) + " colours for " +
                              static_cast<int>(colour.vertexCount) + " vertices");
        return MS::kFailure;
    }
    if (!requireColourArray(input, "uv", MFnArrayAttrsData::kVectorArray, "zuPointsSelection: Points UV missing"))
        return MS::kFailure;
    const MVectorArray uv = input.set().getVectorData("uv");
    if (firstTriangleOutOfRange(triID, triangleCount) >= 0) {
        MGlobal::displayError("zuPointsSelection: triID out of range, propably wrong inMesh input");
        return MS::kFailure;
    }
    if (!uploadVectorsAsFloats(input.plugName() + ": 'uv'", uv, 2, colour.uv)) return MS::kFailure;
    colour.triID = intsAsUnsigned(triID);
    colour.red.resize(colour.vertexCount);
    for (unsigned int v = 0; v < colour.vertexCount; ++v) colour.red[v] = colors[v].r;
    colour.hasVertexColor = true;
    return MS::kSuccess;
}

MStatus readInColor(MDataBlock& block, const MObject& node, unsigned int n, ColourInputs& colour) {
    MStatus status;
    const MString plugName = MPlug(node, S::inColor).name();
    MDataHandle handle = block.inputValue(S::inColor, &status);
    MFnVectorArrayData fn;
    if (!status || !fn.setObject(handle.data())) {
        MGlobal::displayError(plugName + ": missing inColor input");
        return MS::kFailure;
    }
    const MVectorArray values = fn.array();
    // An empty point set selects nothing whatever its colours say.
    if (n == 0) return MS::kSuccess;
    if (values.length() != n) {
        MGlobal::displayError(plugName + ": array lenght differs from inPoints length");
        return MS::kFailure;
    }
    if (!deviceMemoryFits(4ull * n, "Not enough memory on GPU")) return MS::kFailure;
    colour.inColor.resize(n);
    for (unsigned int i = 0; i < n; ++i) colour.inColor[i] = static_cast<float>(values[i].x);
    colour.hasColor = true;
    return MS::kSuccess;
}

MStatus runColourStage(MDataBlock& block, const MObject& node, PointSetInput& input, unsigned int n,
                       thrust::device_vector<bool>& visible) {
    const bool byVertexColor = block.inputValue(S::useVertexColor).asBool();
    const bool byInColor = block.inputValue(S::useInColor).asBool();
    if (!byVertexColor && !byInColor) return MS::kSuccess;
    ColourInputs colour;
    MStatus status;
    if (byVertexColor && !(status = readVertexColourInputs(block, node, input, n, colour))) return status;
    if (byInColor && !(status = readInColor(block, node, n, colour))) return status;

    thrust::device_vector<float> red, randoms;
    thrust::device_vector<unsigned int> corners;
    upload(colour.red, red);
    upload(colour.corners, corners);
    DeviceTable<float> inColor(std::move(colour.inColor));
    DeviceTable<unsigned int> triID(std::move(colour.triID));
    status = makeRandomTable(kSelectionSeed, kRandomTableSize, randoms);
    if (!status) return status;
    launchOneDimensional(computeSelection, n, devicePointer(visible), colour.hasColor, inColor.get(),
                         colour.hasVertexColor, devicePointer(red), colour.vertexCount,
                         devicePointer(corners), colour.uv.get(), triID.get(), devicePointer(randoms),
                         kRandomTableSize, n);
    return kernelLaunchSucceeded("computeSelection") ? MS::kSuccess : MS::kFailure;
}

MStatus readVariables(MDataBlock& block, const MObject& node, PointSetInput& input, const ArrayKinds& kinds,
                      VariableTable& table) {
    MStatus status;
    MArrayDataHandle elements = block.inputArrayValue(S::variables, &status);
    STATUS_RETURN_ON_ERROR(status, "block.inputArrayValue(variables)");
    const unsigned int count = elements.elementCount();
    const MString nodeName = MFnDependencyNode(node).name();
    std::vector<ConditionVariable> list(count);
    for (unsigned int i = 0; i < count; ++i, elements.next()) {
        MDataHandle element = elements.inputValue(&status);
        STATUS_RETURN_ON_ERROR(status, "variables.inputValue");
        list[i].name = element.child(S::varName).asString().asChar();
        MDataHandle valueHandle = element.child(S::varValue);  // the value lives in the handle
        const MFloat3& value = valueHandle.asFloat3();
        for (int c = 0; c < 3; ++c) {
            if (!checkFinite(nodeName + ".variables[" + static_cast<int>(i) + "].varValue", value[c]))
                return MS::kFailure;
            list[i].value[c] = value[c];
        }
    }
    std::string message;
    if (buildVariableTable(list, kinds, table, message)) return MS::kSuccess;
    showMessage(input, message);
    return MS::kFailure;
}

MStatus readFailed(const MStatus& status, const char* call) {
    std::cerr << "ERROR: zuPointSelection: " << call << std::endl << status.errorString() << std::endl;
    return status;
}

// The n floats of one operand: a vector component, or an int or double array converted.
MStatus readOperand(MFnArrayAttrsData& set, const OperandArray& operand, unsigned int n,
                    std::vector<float>& values) {
    MStatus status;
    const MString name = operand.name.c_str();
    unsigned int length = 0;
    if (operand.kind == ArrayKind::kVector) {
        const MVectorArray a = set.getVectorData(name, &status);
        if (!status) return readFailed(status, "getVectorData");
        length = a.length();
        if (length == n) {
            values.resize(n);
            for (unsigned int i = 0; i < n; ++i) values[i] = static_cast<float>(a[i][operand.element]);
        }
    } else if (operand.kind == ArrayKind::kDouble) {
        const MDoubleArray a = set.getDoubleData(name, &status);
        if (!status) return readFailed(status, "getDoubleData");
        length = a.length();
        if (length == n) {
            values.resize(n);
            for (unsigned int i = 0; i < n; ++i) values[i] = static_cast<float>(a[i]);
        }
    } else if (operand.kind == ArrayKind::kInt) {
        const MIntArray a = set.getIntData(name, &status);
        if (!status) return readFailed(status, "getIntData");
        length = a.length();
        if (length == n) {
            values.resize(n);
            for (unsigned int i = 0; i < n; ++i) values[i] = static_cast<float>(a[i]);
        }
    } else {
        MGlobal::displayError("This should not happen");
        return MS::kFailure;
    }
    if (length != n) {
        MGlobal::displayError("zuPointsSelection: different input vector arrays lenght");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

MStatus runConditionStage(MDataBlock& block, PointSetInput& input, const ArrayKinds& kinds,
                          const VariableTable& table, unsigned int n, thrust::device_vector<bool>& visible) {
    const MString text = block.inputValue(S::conditions).asString();
    if (text.length() == 0) return MS::kSuccess;
    ConditionLists lists;
    std::string message;
    if (!parseConditions(text.asChar(), kinds, table, lists, message)) {
        showMessage(input, message);
        return MS::kFailure;
    }
    // Nothing to test on no points or no items; the parse still gave its messages.
    if (n == 0 || lists.empty()) return MS::kSuccess;
    if (!deviceMemoryFits(4ull * n * lists.operands.size(), "Not enough memory on GPU")) return MS::kFailure;
    std::vector<DeviceTable<float>> operands;
    operands.reserve(lists.operands.size());
    std::vector<const float*> addresses;
    for (const OperandArray& operand : lists.operands) {
        std::vector<float> values;
        MStatus status = readOperand(input.set(), operand, n, values);
        if (!status) return status;
        operands.emplace_back(std::move(values));
        addresses.push_back(operands.back().get());
    }
    if (!deviceMemoryFits(4ull * lists.idToAdd.size(), "Not enough memory on GPU") ||
        !deviceMemoryFits(16ull * lists.operation.size(), "Not enough memory on GPU"))
        return MS::kFailure;
    thrust::device_vector<const float*> attributes;
    thrust::device_vector<unsigned int> ids, firstOperand;
    thrust::device_vector<unsigned short> operation, secondType;
    thrust::device_vector<int> secondInt;
    thrust::device_vector<float> secondFloat;
    upload(addresses, attributes);
    upload(lists.idToAdd, ids);
    upload(lists.firstOperand, firstOperand);
    upload(lists.operation, operation);
    upload(lists.secondOperandType, secondType);
    upload(lists.secondOperandInt, secondInt);
    upload(lists.secondOperandFloat, secondFloat);
    thrust::sort(ids.begin(), ids.end());
    const unsigned int numOp = static_cast<unsigned int>(lists.operation.size());
    const unsigned int numIds = static_cast<unsigned int>(lists.idToAdd.size());
    launchOneDimensional(checkConditions, n, devicePointer(attributes), devicePointer(ids),
                         devicePointer(firstOperand), devicePointer(operation), devicePointer(secondType),
                         devicePointer(secondInt), devicePointer(secondFloat), devicePointer(visible), numOp,
                         numIds, lists.pointIdPosition, devicePointer(ids), n);
    return kernelLaunchSucceeded("checkConditions") ? MS::kSuccess : MS::kFailure;
}

MStatus runFacingStage(MDataBlock& block, const MObject& node, PointSetInput& input, unsigned int n,
                       thrust::device_vector<bool>& visible) {
    if (!block.inputValue(S::dotProdCondition).asBool()) return MS::kSuccess;
    if (!input.requireArray("normal", MFnArrayAttrsData::kVectorArray,
                            ": Input array does not contain 'normal' attr. information, cannot check dotProd condition"))
        return MS::kFailure;
    const MVectorArray normals = input.set().getVectorData("normal");
    MDataHandle vectorHandle = block.inputValue(S::dotProdVector);  // the value lives in the handle
    const MFloat3& vector = vectorHandle.asFloat3();
    float d[3] = {vector[0], vector[1], vector[2]};
    for (float component : d)
        if (!checkFinite(node, S::dotProdVector, component)) return MS::kFailure;
    float range = block.inputValue(S::dotProdRange).asFloat();
    if (!clampFinite(node, S::dotProdRange, -1.0f, 1.0f, range)) return MS::kFailure;
    // A direction too short to point anywhere leans on the y axis.
    double length = std::sqrt(double(d[0]) * d[0] + double(d[1]) * d[1] + double(d[2]) * d[2]);
    if (length < 0.001) {
        d[1] = 1.0f;
        length = std::sqrt(double(d[0]) * d[0] + double(d[1]) * d[1] + double(d[2]) * d[2]);
    }
    if (!deviceMemoryFits(12ull * n, kNoMemory)) return MS::kFailure;
    DeviceTable<float> normal;
    if (!uploadVectorsAsFloats(input.plugName() + ": 'normal'", normals, 3, normal)) return MS::kFailure;
    launchOneDimensional(checkDotProduct, n, normal.get(), devicePointer(visible), range,
                         static_cast<float>(d[0] / length), static_cast<float>(d[1] / length),
                         static_cast<float>(d[2] / length), n);
    return kernelLaunchSucceeded("checkDotProduct") ? MS::kSuccess : MS::kFailure;
}

MStatus setOutput(MDataBlock& block, const MObject& node, const MObject& attribute, const MObject& data,
                  const char* handleText) {
    return setOutputData(block, attribute, MPlug(node, attribute), data, handleText,
                         "handle.set(outPointsArray)\n");
}

}  // namespace

__global__ void computeSelection(bool* visible, bool hasColor, const float* inColor, bool hasVertexColor,
                                 const float* colors, unsigned int meshPointsCount,
                                 const unsigned int* triIds, const float* uvs,
                                 const unsigned int* samplesTriID, const float* randomNumbers,
                                 unsigned int randomsNumber, unsigned int samplesCount) {
    (void)meshPointsCount;
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    float col = 0.0f;
    if (hasColor) col = inColor[i];
    if (hasVertexColor) {
        const TriangleCorners t = triangleCorners(triIds, samplesTriID[i]);
        const float u = uvs[2ull * i], v = uvs[2ull * i + 1];
        col = blendFromFirstCorner(colors[t.first], colors[t.second], colors[t.third], u, v);
    }
    visible[i] = randomNumbers[i % randomsNumber] < col;
}

__global__ void checkConditions(const float* const* attributes, const unsigned int* IdsToAdd,
                                const unsigned int* firstOperand, const unsigned short* operation,
                                const unsigned short* secondOperandType, const int* secondOperandInt,
                                const float* secondOperandFloat, bool* visible, unsigned int numOp,
                                unsigned int numIds, unsigned int pointIdPosition,
                                const unsigned int* idToAdd, unsigned int samplesCount) {
    (void)IdsToAdd;
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    for (unsigned int k = 0; k < numOp; ++k) {
        const float a = attributes[firstOperand[k]][i];
        const unsigned short type = secondOperandType[k];
        const float b = type == 0   ? static_cast<float>(secondOperandInt[k])
                        : type == 1 ? secondOperandFloat[k]
                                    : attributes[secondOperandInt[k]][i];
        bool pass;
        switch (operation[k]) {
            case 0: pass = a == b; break;
            case 1: pass = a > b; break;
            case 2: pass = a <= b; break;
            case 3: pass = a < b; break;
            case 4: pass = a >= b; break;
            default: pass = a != b; break;
        }
        if (!pass) {
            visible[i] = false;
            break;
        }
    }
    if (numIds > 0) {
        // Truncation toward zero of a negative or not-a-number id has no defined result: such a
        // point has no listed id.
        const float id = attributes[pointIdPosition][i];
        if (id >= 0.0f && id < 4294967296.0f && findId(idToAdd, numIds, static_cast<unsigned int>(id)))
            visible[i] = true;
    }
}

__global__ void checkDotProduct(const float* normal, bool* visible, float dotRange, float a, float b,
                                float c, unsigned int samplesCount) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount) return;
    const float* nv = normal + 3ull * i;
    const float d = a * nv[0] + b * nv[1] + c * nv[2];
    if (dotRange + d < 0.0f) visible[i] = false;
}

zuPointsSelection::~zuPointsSelection() = default;

void* zuPointsSelection::creator() { return new zuPointsSelection; }

MStatus zuPointsSelection::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints && plug != outPointsComplement) return MS::kUnknownParameter;
    return guardedCompute("zuPointsSelection", [&] { return select(block); });
}

MStatus zuPointsSelection::select(MDataBlock& block) {
    const MObject node = thisMObject();
    PointSetInput input(node, inPoints);
    MStatus status = input.read(block, ": please supply inPoints");
    if (!status) return status;
    if (!input.requireArray("pointID", MFnArrayAttrsData::kIntArray,
                            ": Input array does not contain pointID information"))
        return MS::kFailure;
    const unsigned int n = input.set().getIntData("pointID").length();
    // Both outputs together hold every entry of every array.
    if (!input.checkAllLengths(n, "pointID")) return MS::kFailure;
    if (!deviceMemoryFits(n, kNoMemory)) return MS::kFailure;
    thrust::device_vector<bool> visible(n, true);

    if (!(status = runColourStage(block, node, input, n, visible))) return status;
    const ArrayKinds kinds = arrayKindsOf(input.set());
    VariableTable table;
    if (!(status = readVariables(block, node, input, kinds, table))) return status;
    if (!(status = runConditionStage(block, input, kinds, table, n, visible))) return status;
    if (!(status = runFacingStage(block, node, input, n, visible))) return status;

    std::vector<char> mask(n);
    thrust::copy(visible.begin(), visible.end(), mask.begin());
    MFnArrayAttrsData selected, complement;
    MObject selectedData = selected.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    MObject complementData = complement.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    splitArraysByMask(selected, input.set(), MStringArray(), mask, complement);
    status = setOutput(block, node, outPoints, selectedData, "in handle = block.outputValue(outPoints).\n");
    if (!status) return status;
    return setOutput(block, node, outPointsComplement, complementData,
                     "in handle = block.outputValue(outPointsComplement).\n");
}

MStatus zuPointsSelection::initialize() {
    MStatus status;
    MFnTypedAttribute typed;
    MFnNumericAttribute numeric;
    status = createPointSetInput(inPoints);
    if (!status) return status;
    useVertexColor = numeric.create("useVertexColor", "uvc", MFnNumericData::kBoolean, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in useVertexColor.\n");
    numeric.setKeyable(true);
    if (!(status = createMeshInput(inMesh))) return status;
    useInColor = numeric.create("useInColor", "uic", MFnNumericData::kBoolean, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in useInColor.\n");
    numeric.setKeyable(true);
    if (!(status = createVectorArrayInput(inColor, "inColor", "ic"))) return status;
    conditions = typed.create("conditions", "c", MFnData::kString, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in 'conditions'\n");
    typed.setKeyable(false);
    varName = typed.create("varName", "vn", MFnData::kString, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in 'varName'\n");
    typed.setKeyable(false);
    varValue = numeric.create("varValue", "vv", MFnNumericData::k3Float, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in varValue.\n");
    numeric.setKeyable(true);
    dotProdCondition = numeric.create("dotProdCondition", "dpc", MFnNumericData::kBoolean, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in dotProdCondition.\n");
    numeric.setKeyable(true);
    dotProdVector = numeric.create("dotProdVector", "dpv", MFnNumericData::k3Float, 0, &status);
    STATUS_RETURN_ON_ERROR(status, "in dotProdVector.\n");
    numeric.setKeyable(true);
    dotProdRange = numeric.create("dotProdRange", "dpr", MFnNumericData::kFloat, 0.0, &status);
    STATUS_RETURN_ON_ERROR(status, "in dotProdRange.\n");
    numeric.setKeyable(true);
    numeric.setMin(-1.0);
    numeric.setMax(1.0);
    status = createCompoundArray(variables, "variables", "v", {&varName, &varValue}, false);
    if (!status) return status;
    for (MObject* output : {&outPoints, &outPointsComplement}) {
        *output = typed.create(output == &outPoints ? "outPoints" : "outPointsComplement",
                               output == &outPoints ? "op" : "opc", MFnData::kDynArrayAttrs,
                               MObject::kNullObj, &status);
        STATUS_RETURN_ON_ERROR(status, "in MFnData::kDynArrayAttrs.\n");
        typed.setWritable(false);
        typed.setStorable(false);
        typed.setKeyable(false);
    }
    const std::initializer_list<const MObject*> inputs = {&inPoints, &conditions, &variables, &useVertexColor, &inMesh, &useInColor,
                         &inColor, &dotProdCondition, &dotProdVector, &dotProdRange};
    status = addAttributes({&inPoints, &useVertexColor, &inMesh, &useInColor, &inColor, &conditions,
                            &dotProdCondition, &dotProdVector, &dotProdRange, &variables, &outPoints},
                           inputs, outPoints);
    if (!status) return status;
    return addAttributes({&outPointsComplement}, inputs, outPointsComplement);
}
