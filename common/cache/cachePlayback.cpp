#include "common/cache/cachePlayback.h"

#include <maya/MPxNode.h>

#include <maya/MDataHandle.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MTime.h>
#include <maya/MVector.h>

#include <boost/filesystem/operations.hpp>
#include <boost/system/error_code.hpp>
#include <climits>
#include <cmath>
#include <cstring>
#include <iostream>

#include "common/statusCheck.h"

namespace {

MStatus reportFailure(const MStatus& status) {
    std::cerr << status.errorString() << std::endl;
    return status;
}

// Not found, or no status to be had: anything else (a directory too) counts as present.
bool isMissing(const std::string& path) {
    boost::system::error_code error;
    const boost::filesystem::file_type type = boost::filesystem::status(path, error).type();
    return type == boost::filesystem::file_not_found || type == boost::filesystem::status_error;
}

MString failureMessage(CacheReadResult result, const std::string& path) {
    switch (result) {
        case CacheReadResult::kCannotOpen:
            return MString("zuPointsCache: can not open cache file ") + path.c_str();
        case CacheReadResult::kBadHeader:
            return MString("zuPointsCache: not a cache file (bad archive header): ") + path.c_str();
        case CacheReadResult::kBadIntMap:
            return "Failed to load cache data (int map)";
        case CacheReadResult::kBadDoubleMap:
            return "Failed to load cache data (double map)";
        case CacheReadResult::kBadVectorMap:
        case CacheReadResult::kRead:
            break;
    }
    return "Failed to load cache data (vector map)";
}

}  // namespace

MStatus createCacheAttributes(CacheAttributes& attributes) {
    MStatus status;
    MFnUnitAttribute unit;
    attributes.time = unit.create("time", "tm", MFnUnitAttribute::kTime, 0.0, &status);
    if (!status) return reportFailure(status);

    MFnTypedAttribute typed;
    attributes.cachePath =
        typed.create("cachePath", "cp", MFnData::kString, MObject::kNullObj, &status);
    if (!status) return reportFailure(status);
    STATUS_CHECK(typed.setStorable(true));
    STATUS_CHECK(typed.setReadable(true));
    STATUS_CHECK(typed.setWritable(true));
    STATUS_CHECK(typed.setKeyable(false));

    attributes.outPoints =
        typed.create("outPoints", "op", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    STATUS_RETURN_ON_ERROR(status, "in MFnData::kDynArrayAttrs.\n");
    STATUS_CHECK(typed.setStorable(false));
    STATUS_CHECK(typed.setWritable(false));
    STATUS_CHECK(typed.setKeyable(false));
    return MS::kSuccess;
}

MStatus addCacheAttributes(MObject& time, MObject& cachePath, MObject& outPoints) {
    CacheAttributes attributes;
    MStatus status = createCacheAttributes(attributes);
    if (!status) return status;
    time = attributes.time;
    cachePath = attributes.cachePath;
    outPoints = attributes.outPoints;
    for (const MObject* attribute : {&time, &cachePath, &outPoints}) {
        status = MPxNode::addAttribute(*attribute);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus readCacheInputs(MDataBlock& block, const CacheAttributes& attributes, CacheInputs& inputs) {
    MStatus status;
    MDataHandle pathHandle = block.inputValue(attributes.cachePath, &status);
    if (!status) return reportFailure(status);
    inputs.cachePath = pathHandle.asString();
    MDataHandle timeHandle = block.inputValue(attributes.time, &status);
    STATUS_RETURN_ON_ERROR(status, "getting time data handle\n");
    inputs.frames = timeHandle.asTime().as(MTime::uiUnit());
    return MS::kSuccess;
}

int cacheFrameOf(double frames) {
    if (std::isnan(frames)) return 0;
    if (frames >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (frames <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(frames);
}

CacheFileLookup findCacheFrameFile(const MString& cachePath, int frame, std::string& path) {
    path = cacheFrameFileName(cachePath.asChar(), frame);
    if (!isMissing(path)) return CacheFileLookup::kPresent;
    MString root;
    if (!MGlobal::executeCommand("workspace -q -rd;", root, false, false)) {
        MGlobal::displayError("frameStore: cannot get workspace");
        return CacheFileLookup::kNoProjectRoot;
    }
    path = root.asChar() + path;
    return isMissing(path) ? CacheFileLookup::kMissing : CacheFileLookup::kPresent;
}

MStatus loadCacheFrame(const std::string& path, CacheFrame& frame) {
    const CacheReadResult result = readCacheFrame(path, frame);
    if (result == CacheReadResult::kRead) return MS::kSuccess;
    MGlobal::displayError(failureMessage(result, path));
    return MS::kFailure;
}

MStatus readCacheFrameAt(const MString& cachePath, int frame, CacheFrame& data, bool& present) {
    present = false;
    std::string path;
    switch (findCacheFrameFile(cachePath, frame, path)) {
        case CacheFileLookup::kNoProjectRoot:
            return MS::kFailure;
        case CacheFileLookup::kMissing:
            MGlobal::displayWarning(MString("No cache found for frame ") + frame + ": " +
                                    path.c_str());
            return MS::kSuccess;
        case CacheFileLookup::kPresent:
            break;
    }
    MStatus status = loadCacheFrame(path, data);
    present = status == MS::kSuccess;
    return status;
}

MStatus CachePointSet::create() {
    MStatus status;
    data_ = set_.create(&status);
    STATUS_RETURN_ON_ERROR(status, "in fnOutput.create.\n");
    return MS::kSuccess;
}

bool holdsWholePoints(const std::vector<float>& values) {
    if (values.size() % 3 == 0) return true;
    MGlobal::displayError("zuPointsCache: invalid vector length");
    return false;
}

int intFromBits(unsigned int bits) {
    int value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

unsigned int bitsFromInt(int value) { return static_cast<unsigned int>(value); }

MStatus createPointSet(const CacheFrame& frame, MObject& data) {
    CachePointSet set;
    MStatus status = set.create();
    if (!status) return status;
    for (const auto& [name, values] : frame.ints) {
        const unsigned int* bits = values.data();
        set.addInts(name, countOf(values), [bits](unsigned int i) { return intFromBits(bits[i]); });
    }
    for (const auto& [name, values] : frame.doubles) {
        const double* numbers = values.data();
        set.addDoubles(name, countOf(values), [numbers](unsigned int i) { return numbers[i]; });
    }
    for (const auto& [name, values] : frame.vectors) {
        if (!holdsWholePoints(values)) return MS::kFailure;
        const float* xyz = values.data();
        status = set.addVectors(name, countOf(values) / 3, [xyz](unsigned int i) {
            return MVector(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
        });
        if (!status) return status;
    }
    data = set.data();
    return MS::kSuccess;
}

MStatus setOutputPoints(MDataBlock& block, const MPlug& plug, const MObject& data) {
    MStatus status = setOutputPointsLeavingDirty(block, plug, data);
    if (!status) return status;
    STATUS_CHECK(block.setClean(plug));
    return MS::kSuccess;
}

MStatus setOutputPointsLeavingDirty(MDataBlock& block, const MPlug& plug, const MObject& data) {
    MStatus status;
    MDataHandle handle = block.outputValue(plug, &status);
    STATUS_RETURN_ON_ERROR(status, "in handle = block.outputValue(outPoints).\n");
    status = handle.set(data);
    STATUS_RETURN_ON_ERROR(status, "handle.set(outPointsArray)\n");
    return MS::kSuccess;
}
