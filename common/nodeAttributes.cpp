#include "common/nodeAttributes.h"

#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MPxNode.h>

#include <iostream>
#include <string>

#include "common/statusCheck.h"

namespace {

void setInputFlags(MFnAttribute& attribute) {
    attribute.setKeyable(true);
    attribute.setStorable(true);
    attribute.setReadable(true);
    attribute.setWritable(true);
}

}  // namespace

MStatus createNumericInputs(std::initializer_list<NumericInput> inputs) {
    MFnNumericAttribute numeric;
    for (const NumericInput& input : inputs) {
        MStatus status;
        *input.attribute =
            numeric.create(input.longName, input.shortName, input.type, input.defaultValue, &status);
        STATUS_RETURN_ON_ERROR(status, std::string("in ") + input.longName + ".\n");
        if (input.hasMin) numeric.setMin(input.min);
        if (input.hasMax) numeric.setMax(input.max);
        setInputFlags(numeric);
        if (input.hidden) numeric.setHidden(true);
    }
    return MS::kSuccess;
}

MStatus createPointSetInput(MObject& inPoints, bool hidden) {
    MFnTypedAttribute typed;
    MStatus status;
    inPoints = typed.create("inPoints", "ip", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in MFnData::kDynArrayAttrs.\n");
    typed.setWritable(true);
    typed.setStorable(false);
    typed.setKeyable(false);
    if (hidden) typed.setHidden(true);
    return MS::kSuccess;
}

MStatus createPointSetOutput(MObject& outPoints) {
    MFnTypedAttribute typed;
    MStatus status;
    outPoints = typed.create("outPoints", "op", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in MFnData::kDynArrayAttrs.\n");
    typed.setWritable(false);
    typed.setStorable(false);
    typed.setKeyable(false);
    return MS::kSuccess;
}

MStatus createPointSetPlugs(MObject& inPoints, MObject& outPoints, bool hiddenInput) {
    const MStatus status = createPointSetInput(inPoints, hiddenInput);
    if (!status) return status;
    return createPointSetOutput(outPoints);
}

MStatus createMeshInput(MObject& inMesh, bool hidden) {
    MFnTypedAttribute typed;
    MStatus status;
    inMesh = typed.create("inMesh", "im", MFnData::kMesh, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in inMesh.\n");
    setInputFlags(typed);
    if (hidden) typed.setHidden(true);
    return MS::kSuccess;
}

MStatus createVectorArrayInput(MObject& attribute, const char* longName, const char* shortName) {
    MFnTypedAttribute typed;
    MStatus status;
    attribute = typed.create(longName, shortName, MFnData::kVectorArray, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, std::string("in ") + longName + ".\n");
    setInputFlags(typed);
    return MS::kSuccess;
}

MStatus createVectorArrayOutput(MObject& attribute, const char* longName, const char* shortName,
                                const char* failureText) {
    MFnTypedAttribute typed;
    MStatus status;
    attribute = typed.create(longName, shortName, MFnData::kVectorArray, MObject::kNullObj, &status);
    if (!status) {
        std::cerr << failureText << status.errorString() << std::endl;
        return status;
    }
    typed.setReadable(true);
    typed.setWritable(false);
    typed.setStorable(false);
    typed.setKeyable(false);
    return MS::kSuccess;
}

MStatus createCompound(MObject& compound, const char* longName, const char* shortName,
                       std::initializer_list<const MObject*> children) {
    MFnCompoundAttribute fn;
    MStatus status;
    compound = fn.create(longName, shortName, &status);
    STATUS_RETURN_ON_ERROR(status, std::string("in ") + longName + ".\n");
    for (const MObject* child : children)
        STATUS_RETURN_ON_ERROR(fn.addChild(*child), std::string("in ") + longName + ".\n");
    fn.setReadable(true);
    fn.setWritable(true);
    return MS::kSuccess;
}

MStatus createCompoundArray(MObject& compound, const char* longName, const char* shortName,
                            std::initializer_list<const MObject*> children, bool storable) {
    const MStatus status = createCompound(compound, longName, shortName, children);
    if (!status) return status;
    MFnCompoundAttribute fn(compound);
    fn.setArray(true);
    if (storable) fn.setStorable(true);
    return MS::kSuccess;
}

MStatus addAttributes(std::initializer_list<const MObject*> attributes,
                      std::initializer_list<const MObject*> inputs, const MObject& output) {
    for (const MObject* attribute : attributes)
        STATUS_RETURN_ON_ERROR(MPxNode::addAttribute(*attribute), "in addAttribute.\n");
    for (const MObject* input : inputs)
        STATUS_RETURN_ON_ERROR(MPxNode::attributeAffects(*input, output), "in attributeAffects.\n");
    return MS::kSuccess;
}
