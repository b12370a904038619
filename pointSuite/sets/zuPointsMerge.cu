#include <gpu/thrust.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MStringArray.h>
#include <thrust/sequence.h>
#include <thrust/sort.h>

#include <algorithm>
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
#include "pointSuite/deviceFunctions.h"
#include "pointSuite/sets/setFunctions.h"
#include "pointSuite/sets/setKernels.h"
#include "pointSuite/sets/zuPointsMerge.h"

const MTypeId zuPointsMerge::id(0xC2);
MObject zuPointsMerge::factor, zuPointsMerge::inPoints1, zuPointsMerge::inPoints2, zuPointsMerge::outPoints,
    zuPointsMerge::attributes;

namespace {

const char kNoMemory[] = "zuPointsMerge: Not enough memory on GPU";

// Type codes of the blended arrays, as the kernel reads them.
enum BlendCode : unsigned short { kBlendDouble = 0, kBlendInt = 1, kBlendVector = 2 };

bool requireIds(PointSetInput& input) {
    MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
    if (!input.set().checkArrayExist("pointID", kind)) {
        input.show(": missing 'pointID' attribute");
        return false;
    }
    if (kind != MFnArrayAttrsData::kIntArray) {
        input.show(": wrong type of 'pointID' attribute");
        return false;
    }
    return true;
}

// Whether the ids, read as unsigned, ascend (strictly: every id unique), as a scatter's do.
bool ascending(const MIntArray& ids, bool strictly) {
    for (unsigned int i = 1; i < ids.length(); ++i) {
        const unsigned int previous = static_cast<unsigned int>(ids[i - 1]), id = static_cast<unsigned int>(ids[i]);
        if (strictly ? previous >= id : previous > id) return false;
    }
    return true;
}

// The positions of the points of a set whose ids are unique within it, keeping for a repeated id
// its last point in the set's order; empty when every id is unique already.
std::vector<unsigned int> lastPointOfEachId(const MIntArray& ids) {
    const unsigned int m = ids.length();
    if (ascending(ids, true)) return {};
    std::vector<unsigned int> hostKeys(m);
    for (unsigned int i = 0; i < m; ++i) hostKeys[i] = static_cast<unsigned int>(ids[i]);
    thrust::device_vector<unsigned int> keys, order(m);
    upload(hostKeys, keys);
    thrust::sequence(gpu::parallel, order.begin(), order.end());
    // Stable, so a run of equal ids keeps the set's order and its last entry is the last point.
    thrust::stable_sort_by_key(gpu::parallel, keys.begin(), keys.end(), order.begin());
    std::vector<unsigned int> sortedKeys, sortedOrder;
    download(keys, sortedKeys);
    download(order, sortedOrder);
    std::vector<unsigned int> kept;
    for (unsigned int i = 0; i < m; ++i)
        if (i + 1 == m || sortedKeys[i] != sortedKeys[i + 1]) kept.push_back(sortedOrder[i]);
    if (kept.size() == m) kept.clear();
    return kept;
}

// One array as floats (three per vector), for the points listed in `points` (all when empty).
std::vector<float> arrayAsFloats(MFnArrayAttrsData& set, const MString& name, MFnArrayAttrsData::Type kind,
                                 const std::vector<unsigned int>& points) {
    std::vector<float> values;
    const auto gather = [&](unsigned int length, unsigned int components, auto&& read) {
        const size_t count = points.empty() ? length : points.size();
        values.resize(count * components);
        for (size_t p = 0; p < count; ++p) read(points.empty() ? static_cast<unsigned int>(p) : points[p], &values[p * components]);
    };
    if (kind == MFnArrayAttrsData::kVectorArray) {
        const MVectorArray a = set.getVectorData(name);
        gather(a.length(), 3, [&](unsigned int i, float* out) {
            out[0] = static_cast<float>(a[i].x), out[1] = static_cast<float>(a[i].y), out[2] = static_cast<float>(a[i].z);
        });
    } else if (kind == MFnArrayAttrsData::kDoubleArray) {
        const MDoubleArray a = set.getDoubleData(name);
        gather(a.length(), 1, [&](unsigned int i, float* out) { *out = static_cast<float>(a[i]); });
    } else {
        const MIntArray a = set.getIntData(name);
        gather(a.length(), 1, [&](unsigned int i, float* out) { *out = static_cast<float>(a[i]); });
    }
    return values;
}

// Stores `count` blended values (three floats per vector) as the array `name` of its kind.
MStatus storeBlended(MFnArrayAttrsData& output, const MString& name, MFnArrayAttrsData::Type kind,
                     const float* values, unsigned int count) {
    MStatus status;
    if (kind == MFnArrayAttrsData::kVectorArray) {
        MVectorArray a = output.vectorArray(name, &status);
        STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.vectorArray\n");
        a.setLength(count);
        for (unsigned int i = 0; i < count; ++i) a[i] = MVector(values[3ull * i], values[3ull * i + 1], values[3ull * i + 2]);
    } else if (kind == MFnArrayAttrsData::kDoubleArray) {
        MDoubleArray a = output.doubleArray(name, &status);
        STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.doubleArray\n");
        a.setLength(count);
        for (unsigned int i = 0; i < count; ++i) a[i] = values[i];
    } else {
        MIntArray a = output.intArray(name, &status);
        STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData.intArray\n");
        a.setLength(count);
        for (unsigned int i = 0; i < count; ++i) a[i] = truncateToInt(values[i]);  // a blended int
    }
    return MS::kSuccess;
}

// The second set's "fallof" values as blend weights: values below 0 or above 1 are taken at the
// nearer of them, as `factor` is; false, with a message naming the array, when one is not a
// finite float.
bool readFallofWeights(PointSetInput& second, std::vector<float>& weights) {
    if (!doublesAsFloats(second.plugName() + ": 'fallof'", second.set().getDoubleData("fallof"),
                         weights))
        return false;
    for (float& weight : weights) weight = std::min(std::max(weight, 0.0f), 1.0f);
    return true;
}

unsigned int arrayLength(MFnArrayAttrsData& set, const MString& name, MFnArrayAttrsData::Type kind) {
    if (kind == MFnArrayAttrsData::kVectorArray) return set.getVectorData(name).length();
    if (kind == MFnArrayAttrsData::kDoubleArray) return set.getDoubleData(name).length();
    return set.getIntData(name).length();
}

struct BlendedArray {
    MString name;
    MFnArrayAttrsData::Type kind;
};

}  // namespace

__global__ void blendValues(const unsigned int* points1ID, const unsigned int* points2ID,
                            const unsigned int* map, const unsigned short* typeArray, float** data,
                            float factor, unsigned short attrCount, bool hasFallof, const float* fallof,
                            unsigned int samplesCount, unsigned int samplesCount2) {
    const unsigned int i = oneDimensionalThreadIndex();
    if (i >= samplesCount2) return;
    const unsigned int k = getElementIndex(points1ID, samplesCount, points2ID[i]);
    if (k == 0xFFFFFFFFu) return;
    const unsigned long long j = map[k];
    const float w = hasFallof ? factor * fallof[i] : factor;
    for (unsigned short a = 0; a < attrCount; ++a) {
        float* d1 = data[2 * a];
        const float* d2 = data[2 * a + 1];
        if (typeArray[a] == kBlendDouble) {
            d1[j] = d1[j] * (1.0f - w) + w * d2[i];
        } else if (typeArray[a] == kBlendInt) {
            // Exact where both values are equal, and at w = 0 and 1.
            d1[j] = d1[j] + w * (d2[i] - d1[j]);
        } else if (typeArray[a] == kBlendVector) {
            for (unsigned long long c = 0; c < 3; ++c)
                d1[3 * j + c] = d1[3 * j + c] * (1.0f - w) + w * d2[3ull * i + c];
        }
    }
}

zuPointsMerge::~zuPointsMerge() = default;

void* zuPointsMerge::creator() { return new zuPointsMerge; }

MStatus zuPointsMerge::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute("zuPointsMerge", [&] { return merge(plug, block); });
}

MStatus zuPointsMerge::merge(const MPlug& plug, MDataBlock& block) {
    const MObject node = thisMObject();
    PointSetInput first(node, inPoints1), second(node, inPoints2);
    MStatus status = first.read(block, ": please supply inPoints1");
    if (!status) return status;
    if (!(status = second.read(block, ": please supply inPoints2"))) return status;
    MArrayDataHandle names = block.inputArrayValue(attributes, &status);
    STATUS_RETURN_ON_ERROR(status, "block.inputArrayValue(attributes)");
    const unsigned int count = names.elementCount(&status);
    STATUS_RETURN_ON_ERROR(status, "attrCount = elementCount");
    if (count > 0xFFFF) {
        MGlobal::displayError(MPlug(node, attributes).name() + ": at most 65535 arrays are blended");
        return MS::kFailure;
    }
    if (!requireIds(first) || !requireIds(second)) return MS::kFailure;
    const MIntArray ids1 = first.set().getIntData("pointID"), ids2 = second.set().getIntData("pointID");
    const unsigned int n = ids1.length(), m = ids2.length();
    if (n == 0) {
        first.show(": Zero length input");
        return MS::kFailure;
    }
    MFnArrayAttrsData::Type fallofKind = MFnArrayAttrsData::kInvalid;
    const bool hasFallof = m > 0 && second.set().checkArrayExist("fallof", fallofKind);
    std::vector<float> fallofWeights;
    if (hasFallof) {
        if (fallofKind != MFnArrayAttrsData::kDoubleArray) {
            second.show(": wrong 'fallof' attribute type");
            return MS::kFailure;
        }
        if (!second.checkLength("fallof", second.set().getDoubleData("fallof").length(), m,
                                "pointID") ||
            !readFallofWeights(second, fallofWeights) || !deviceMemoryFits(4ull * m, kNoMemory))
            return MS::kFailure;
    }

    // Nothing of an empty second set can blend in.
    if (m == 0) return copyFirstSet(block, plug, first);

    // The arrays to blend, checked whole before any device work.
    std::vector<BlendedArray> blended;
    MStringArray blendedNames;
    for (unsigned int a = 0; a < count; ++a, names.next()) {
        MDataHandle element = names.inputValue(&status);
        STATUS_RETURN_ON_ERROR(status, "attributes.inputValue");
        const MString name = element.asString();
        MFnArrayAttrsData::Type kind1 = MFnArrayAttrsData::kInvalid, kind2 = MFnArrayAttrsData::kInvalid;
        if (!first.set().checkArrayExist(name, kind1)) {
            first.show(": missing '" + name + "' attribute");
            return MS::kFailure;
        }
        if (!second.set().checkArrayExist(name, kind2)) {
            second.show(": missing '" + name + "' attribute");
            return MS::kFailure;
        }
        if (kind1 != kind2) {
            MGlobal::displayError("Attribute '" + name + "' type differs in " + first.plugName() + " and " +
                                  second.plugName());
            return MS::kFailure;
        }
        if (kind1 != MFnArrayAttrsData::kVectorArray && kind1 != MFnArrayAttrsData::kDoubleArray &&
            kind1 != MFnArrayAttrsData::kIntArray) {
            MGlobal::displayError("zuPointsMerge: Invalid array type");
            return MS::kFailure;
        }
        if (!first.checkLength(name.asChar(), arrayLength(first.set(), name, kind1), n, "pointID") ||
            !second.checkLength(name.asChar(), arrayLength(second.set(), name, kind1), m, "pointID"))
            return MS::kFailure;
        blended.push_back({name, kind1});
        blendedNames.append(name);
    }

    if (blended.empty()) return copyFirstSet(block, plug, first);
    unsigned long long bytes = 20ull * blended.size() + 4ull * (m + 2ull * n);
    for (const BlendedArray& array : blended)
        bytes += (array.kind == MFnArrayAttrsData::kVectorArray ? 12ull : 4ull) * (n + m);
    if (!deviceMemoryFits(bytes, kNoMemory)) return MS::kFailure;
    float weight = block.inputValue(factor).asFloat();
    if (!clampFinite(node, factor, 0.0f, 1.0f, weight)) return MS::kFailure;

    const std::vector<unsigned int> unique2 = lastPointOfEachId(ids2);
    const std::vector<unsigned int> all;
    std::vector<unsigned short> codes;
    std::vector<DeviceTable<float>> buffers;
    buffers.reserve(2 * blended.size());
    std::vector<float*> pointers;
    for (const BlendedArray& array : blended) {
        codes.push_back(array.kind == MFnArrayAttrsData::kVectorArray   ? kBlendVector
                        : array.kind == MFnArrayAttrsData::kDoubleArray ? kBlendDouble
                                                                        : kBlendInt);
        buffers.emplace_back(arrayAsFloats(first.set(), array.name, array.kind, all));
        pointers.push_back(buffers.back().get());
        buffers.emplace_back(arrayAsFloats(second.set(), array.name, array.kind, unique2));
        pointers.push_back(buffers.back().get());
    }
    const unsigned int m2 = unique2.empty() ? m : static_cast<unsigned int>(unique2.size());
    std::vector<unsigned int> hostIds2(m2);
    for (unsigned int i = 0; i < m2; ++i) hostIds2[i] = static_cast<unsigned int>(ids2[unique2.empty() ? i : unique2[i]]);
    std::vector<float> hostFallof(hasFallof ? m2 : 0);
    for (unsigned int i = 0; i < hostFallof.size(); ++i)
        hostFallof[i] = fallofWeights[unique2.empty() ? i : unique2[i]];

    thrust::device_vector<unsigned short> typeArray;
    thrust::device_vector<float*> table;
    std::vector<unsigned int> hostIds1(n);
    for (unsigned int i = 0; i < n; ++i) hostIds1[i] = static_cast<unsigned int>(ids1[i]);
    thrust::device_vector<unsigned int> points1ID, points2ID, map(n);
    upload(hostIds1, points1ID);
    thrust::device_vector<float> fallof;
    upload(codes, typeArray);
    upload(pointers, table);
    upload(hostIds2, points2ID);
    upload(hostFallof, fallof);
    thrust::sequence(gpu::parallel, map.begin(), map.end());
    if (!ascending(ids1, false)) thrust::sort_by_key(gpu::parallel, points1ID.begin(), points1ID.end(), map.begin());
    launchOneDimensional(blendValues, m2, devicePointer(points1ID), devicePointer(points2ID), devicePointer(map),
                         devicePointer(typeArray), devicePointer(table), weight,
                         static_cast<unsigned short>(blended.size()), hasFallof, devicePointer(fallof), n, m2);
    if (!kernelLaunchSucceeded("blendValues")) return MS::kFailure;

    MFnArrayAttrsData output;
    MObject data = output.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    copyAttributes(output, first.set(), blendedNames);
    std::vector<float> scratch;
    for (size_t a = 0; a < blended.size(); ++a) {
        status = storeBlended(output, blended[a].name, blended[a].kind, buffers[2 * a].hostValues(scratch), n);
        if (!status) return status;
    }
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsMerge::copyFirstSet(MDataBlock& block, const MPlug& plug, PointSetInput& first) {
    MStatus status;
    MFnArrayAttrsData output;
    MObject data = output.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    copyAttributes(output, first.set(), MString());
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsMerge::initialize() {
    MStatus status;
    MFnNumericAttribute numeric;
    MFnTypedAttribute typed;
    factor = numeric.create("factor", "f", MFnNumericData::kFloat, 0.0, &status);
    STATUS_RETURN_ON_ERROR(status, "in factor.\n");
    numeric.setKeyable(true);
    numeric.setMin(0.0);
    numeric.setMax(1.0);
    const struct {
        MObject* attribute;
        const char *longName, *shortName;
        bool input;
    } sets[] = {{&inPoints1, "inPoints1", "ip1", true}, {&inPoints2, "inPoints2", "ip2", true},
                {&outPoints, "outPoints", "op", false}};
    for (const auto& set : sets) {
        *set.attribute = typed.create(set.longName, set.shortName, MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
        STATUS_RETURN_ON_ERROR(status, "in MFnData::kDynArrayAttrs.\n");
        typed.setWritable(set.input);
        typed.setStorable(false);
        typed.setKeyable(false);
    }
    attributes = typed.create("attributes", "a", MFnData::kString, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in attributes.\n");
    typed.setArray(true);
    typed.setStorable(true);
    typed.setKeyable(false);
    return addAttributes({&factor, &inPoints1, &inPoints2, &outPoints, &attributes},
                         {&factor, &inPoints1, &inPoints2, &attributes}, outPoints);
}
