#include "pointSuite/sets/zuPointsAttrShuffle.h"

#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <climits>
#include <cmath>
#include <iostream>

#include "common/arrayCopy.h"
#include "common/nodeAttributes.h"
#include "common/pointSetInput.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"

const MTypeId zuPointsAttrShuffle::id(0xC4);
MObject zuPointsAttrShuffle::inPoints, zuPointsAttrShuffle::attrFrom, zuPointsAttrShuffle::attrTo,
    zuPointsAttrShuffle::outPoints;

namespace {

const char kInvalidType[] = "zuPointsAttrShuffle: invalid attribute type.";

// A value truncated toward zero, taken at the nearer end of the int range beyond it (0 for NaN).
int truncatedInt(double value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(value);
}

// The source as the ints of "pointID".
MStatus storeAsIds(MFnArrayAttrsData& input, const MString& from, MFnArrayAttrsData::Type kind,
                   MFnArrayAttrsData& output) {
    MStatus status;
    MIntArray ids = output.intArray("pointID", &status);
    STATUS_CHECK(status);
    if (kind == MFnArrayAttrsData::kIntArray) {
        ids.copy(input.getIntData(from));
    } else if (kind == MFnArrayAttrsData::kDoubleArray) {
        const MDoubleArray source = input.getDoubleData(from);
        ids.setLength(source.length());
        for (unsigned int i = 0; i < source.length(); ++i) ids[i] = truncatedInt(source[i]);
    } else if (kind == MFnArrayAttrsData::kVectorArray) {
        const MVectorArray source = input.getVectorData(from);
        ids.setLength(source.length());
        for (unsigned int i = 0; i < source.length(); ++i) ids[i] = truncatedInt(source[i].x);
    } else {
        MGlobal::displayError(kInvalidType);
        return MS::kFailure;
    }
    return MS::kSuccess;
}

// The source's values, unchanged, under `to` with the source's kind.
MStatus storeRenamed(MFnArrayAttrsData& input, const MString& from, const MString& to,
                     MFnArrayAttrsData::Type kind, MFnArrayAttrsData& output) {
    MStatus status;
    if (kind == MFnArrayAttrsData::kIntArray) {
        MIntArray target = output.intArray(to, &status);
        STATUS_CHECK(status);
        target.copy(input.getIntData(from));
    } else if (kind == MFnArrayAttrsData::kDoubleArray) {
        MDoubleArray target = output.doubleArray(to, &status);
        STATUS_CHECK(status);
        target.copy(input.getDoubleData(from));
    } else if (kind == MFnArrayAttrsData::kVectorArray) {
        MVectorArray target = output.vectorArray(to, &status);
        STATUS_CHECK(status);
        target.copy(input.getVectorData(from));
    } else {
        MGlobal::displayError(kInvalidType);
        return MS::kFailure;
    }
    return MS::kSuccess;
}

}  // namespace

zuPointsAttrShuffle::~zuPointsAttrShuffle() = default;

void* zuPointsAttrShuffle::creator() { return new zuPointsAttrShuffle; }

MStatus zuPointsAttrShuffle::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;
    return guardedCompute("zuPointsAttrShuffle", [&] { return shuffle(plug, block); });
}

MStatus zuPointsAttrShuffle::shuffle(const MPlug& plug, MDataBlock& block) {
    const MObject node = thisMObject();
    PointSetInput input(node, inPoints);
    MStatus status = input.read(block, ": please supply inPoints");
    if (!status) return status;
    MDataHandle fromHandle = block.inputValue(attrFrom, &status);
    STATUS_RETURN_ON_ERROR(status, "getting attrFrom handle");
    const MString from = fromHandle.asString();
    if (from.length() == 0) {
        MGlobal::displayError(MPlug(node, attrFrom).name() + ": please specify source attribute name.");
        return MS::kFailure;
    }
    MDataHandle toHandle = block.inputValue(attrTo, &status);
    STATUS_RETURN_ON_ERROR(status, "getting attrTo handle");
    const MString to = toHandle.asString();
    if (to.length() == 0) {
        MGlobal::displayError(MPlug(node, attrTo).name() + ": please specify destination attribute name.");
        return MS::kFailure;
    }
    MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
    if (!input.set().checkArrayExist(from, kind)) {
        input.show(": Input array does not contain '" + from + "' attribute.");
        return MS::kFailure;
    }
    const bool toIds = to == "pointID";
    if (kind != MFnArrayAttrsData::kIntArray && kind != MFnArrayAttrsData::kDoubleArray &&
        kind != MFnArrayAttrsData::kVectorArray) {
        MGlobal::displayError(kInvalidType);
        return MS::kFailure;
    }

    MFnArrayAttrsData output;
    MObject data = output.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    // A target of the result's own kind keeps its place and takes the new values; one of another
    // kind is left out, so the renamed array replaces it.
    MStringArray skipped;
    skipped.append(from);
    MFnArrayAttrsData::Type targetKind = MFnArrayAttrsData::kInvalid;
    const MFnArrayAttrsData::Type resultKind = toIds ? MFnArrayAttrsData::kIntArray : kind;
    if (input.set().checkArrayExist(to, targetKind) && targetKind != resultKind) skipped.append(to);
    copyAttributes(output, input.set(), skipped);
    status = toIds ? storeAsIds(input.set(), from, kind, output) : storeRenamed(input.set(), from, to, kind, output);
    if (!status) return status;
    return setOutputPoints(block, outPoints, plug, data);
}

MStatus zuPointsAttrShuffle::initialize() {
    MStatus status = createPointSetPlugs(inPoints, outPoints);
    if (!status) return status;
    MFnTypedAttribute typed;
    const struct {
        MObject* attribute;
        const char *longName, *shortName;
    } names[] = {{&attrFrom, "attrFrom", "af"}, {&attrTo, "attrTo", "at"}};
    for (const auto& name : names) {
        *name.attribute = typed.create(name.longName, name.shortName, MFnData::kString, MObject::kNullObj, &status);
        STATUS_RETURN_ON_ERROR(status, std::string("in ") + name.longName + ".\n");
        typed.setStorable(true);
        typed.setKeyable(false);
    }
    return addAttributes({&inPoints, &attrFrom, &attrTo, &outPoints}, {&inPoints, &attrFrom, &attrTo}, outPoints);
}
