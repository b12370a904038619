#include "common/pointSetOutput.h"

#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <cmath>

#include "common/arrayCopy.h"
#include "common/pointSetInput.h"
#include "common/statusCheck.h"

MStatus createPassThroughSet(MFnArrayAttrsData& input, std::initializer_list<ProducedArray> produced,
                             MFnArrayAttrsData& output, MObject& data,
                             const MStringArray& alsoSkipped, const std::vector<char>* mask) {
    MStatus status;
    data = output.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    MStringArray skipped = alsoSkipped;
    for (const ProducedArray& array : produced) {
        skipped.append(array.name);
        if (array.kind == MFnArrayAttrsData::kVectorArray) output.vectorArray(array.name, &status);
        else if (array.kind == MFnArrayAttrsData::kIntArray) output.intArray(array.name, &status);
        else output.doubleArray(array.name, &status);
        STATUS_RETURN_ON_ERROR(status, std::string("in fnArrayAttrsData.vectorArray(") + array.name + ")\n");
    }
    if (mask) copyArraysByMask(output, input, skipped, *mask);
    else copyAttributes(output, input, skipped);
    return MS::kSuccess;
}

MStatus storeVectors(MFnArrayAttrsData& output, const char* name, const float* values,
                     unsigned int count, unsigned int components, const MString& lead) {
    MStatus status;
    MVectorArray array = output.vectorArray(name, &status);  // shares the set's storage
    STATUS_RETURN_ON_ERROR(status, std::string("in fnArrayAttrsData.vectorArray(") + name + ")\n");
    array.setLength(count);
    bool finite = true;
    for (unsigned int i = 0; i < count; ++i, values += components) {
        const float z = components == 3 ? values[2] : 0.0f;
        finite = finite && std::isfinite(values[0]) && std::isfinite(values[1]) && std::isfinite(z);
        array[i] = MVector(values[0], values[1], z);
    }
    if (finite) return MS::kSuccess;
    checkFiniteVectors(array, lead, name);
    return MS::kFailure;
}

MStatus storeInts(MFnArrayAttrsData& output, const char* name, const unsigned int* values,
                  unsigned int count) {
    MStatus status;
    MIntArray array = output.intArray(name, &status);
    STATUS_RETURN_ON_ERROR(status, std::string("in fnArrayAttrsData.intArray(") + name + ")\n");
    array.setLength(count);
    for (unsigned int i = 0; i < count; ++i) array[i] = static_cast<int>(values[i]);
    return MS::kSuccess;
}

MStatus setOutputData(MDataBlock& block, const MObject& outputAttribute, const MPlug& plug,
                      const MObject& data, const char* outputValueText, const char* setText) {
    MStatus status;
    MDataHandle handle = block.outputValue(outputAttribute, &status);
    STATUS_RETURN_ON_ERROR(status, outputValueText);
    STATUS_RETURN_ON_ERROR(handle.set(data), setText);
    block.setClean(plug);
    return MS::kSuccess;
}

MStatus setOutputPoints(MDataBlock& block, const MObject& outputAttribute, const MPlug& plug,
                        const MObject& data) {
    return setOutputData(block, outputAttribute, plug, data, "in hOutArray = block.outputValue(outPoints).\n",
                         "handleOutPoints.set(outPointsArray)\n");
}

MStatus createVectorArrayData(MFnVectorArrayData& fn, MObject& data) {
    MStatus status;
    data = fn.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnVectorArrayData.create.\n");
    return MS::kSuccess;
}
