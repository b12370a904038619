#include "frameStore/zuPointsCache.h"

#include <maya/MDataHandle.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MVector.h>

#include <climits>
#include <iostream>

#include "common/cache/cachePlayback.h"
#include "common/statusCheck.h"

const MTypeId zuPointsCache::id(0xC7);
MObject zuPointsCache::time;
MObject zuPointsCache::cachePath;
MObject zuPointsCache::outPoints;
MObject zuPointsCache::blendFrames;

namespace {

// Fractions up to this are taken as the whole frame.
constexpr double kBlendThreshold = 1e-5;

// Whether a time blends its frame with the next.
enum class Blend {
    kNo,           // not asked for, no frame after, or the next file holds other numbers of arrays
    kNextMissing,  // the next frame has no file (yet): the frame plays as it stands
    kYes,
};

// Loads the file of the frame after `frame` for blending and says whether to blend with it.
MStatus readFollowingFrame(const MString& cachePath, int frame, const CacheFrame& current,
                           CacheFrame& next, Blend& blend) {
    blend = Blend::kNo;
    if (frame == INT_MAX) return MS::kSuccess;
    std::string path;
    switch (findCacheFrameFile(cachePath, frame + 1, path)) {
        case CacheFileLookup::kNoProjectRoot:
            return MS::kFailure;
        case CacheFileLookup::kMissing:
            blend = Blend::kNextMissing;
            return MS::kSuccess;
        case CacheFileLookup::kPresent:
            break;
    }
    MStatus status = loadCacheFrame(path, next);
    if (!status) return status;
    const bool sameCounts = next.ints.size() == current.ints.size() &&
                            next.doubles.size() == current.doubles.size() &&
                            next.vectors.size() == current.vectors.size();
    blend = sameCounts ? Blend::kYes : Blend::kNo;
    return MS::kSuccess;
}

// The following frame's array of the same name and length as `values`.
template <class Values>
MStatus findFollowing(const std::map<std::string, Values>& next, const std::string& name,
                      const Values& values, const Values*& following) {
    const auto match = next.find(name);
    if (match == next.end()) {
        MGlobal::displayError(
            "frameStore: Cannot blend frames, no matching array in following cache file");
        return MS::kFailure;
    }
    if (match->second.size() != values.size()) {
        MGlobal::displayError("frameStore: Cannot blend frames, arrays size differs");
        return MS::kFailure;
    }
    following = &match->second;
    return MS::kSuccess;
}

MStatus createBlendedPointSet(const CacheFrame& current, const CacheFrame& next, double t,
                              MObject& data) {
    const double w = 1.0 - t;
    CachePointSet set;
    MStatus status = set.create();
    if (!status) return status;

    for (const auto& [name, values] : current.ints) {
        const std::vector<unsigned int>* following = nullptr;
        status = findFollowing(next.ints, name, values, following);
        if (!status) return status;
        const unsigned int* now = values.data();
        const unsigned int* ahead = following->data();
        set.addInts(name, countOf(values), [&](unsigned int i) {
            return static_cast<int>(intFromBits(now[i]) * w + intFromBits(ahead[i]) * t);
        });
    }
    for (const auto& [name, values] : current.doubles) {
        const std::vector<double>* following = nullptr;
        status = findFollowing(next.doubles, name, values, following);
        if (!status) return status;
        const double* now = values.data();
        const double* ahead = following->data();
        set.addDoubles(name, countOf(values),
                       [&](unsigned int i) { return now[i] * w + ahead[i] * t; });
    }
    for (const auto& [name, values] : current.vectors) {
        if (!holdsWholePoints(values)) return MS::kFailure;
        const std::vector<float>* following = nullptr;
        status = findFollowing(next.vectors, name, values, following);
        if (!status) return status;
        const float* now = values.data();
        const float* ahead = following->data();
        const auto blend = [&](unsigned int k) {
            return double(now[k]) * w + double(ahead[k]) * t;
        };
        status = set.addVectors(name, countOf(values) / 3, [&](unsigned int i) {
            return MVector(blend(3 * i), blend(3 * i + 1), blend(3 * i + 2));
        });
        if (!status) return status;
    }
    data = set.data();
    return MS::kSuccess;
}

}  // namespace

zuPointsCache::~zuPointsCache() = default;

void* zuPointsCache::creator() { return new zuPointsCache; }

MStatus zuPointsCache::initialize() {
    MStatus status = addCacheAttributes(time, cachePath, outPoints);
    if (!status) return status;

    MFnNumericAttribute numeric;
    blendFrames = numeric.create("blendFrames", "bf", MFnNumericData::kBoolean, 1.0, &status);
    if (!status) {
        std::cerr << status.errorString() << std::endl;
        return status;
    }
    STATUS_CHECK(numeric.setKeyable(true));
    STATUS_CHECK(numeric.setStorable(true));
    STATUS_CHECK(numeric.setReadable(true));
    STATUS_CHECK(numeric.setWritable(true));
    STATUS_CHECK(numeric.setDefault(true));
    status = addAttribute(blendFrames);
    if (!status) return status;

    for (const MObject* input : {&time, &cachePath, &blendFrames}) {
        status = attributeAffects(*input, outPoints);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus zuPointsCache::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;

    CacheInputs inputs;
    MStatus status = readCacheInputs(block, {time, cachePath, outPoints}, inputs);
    if (!status) return status;
    const int frame = cacheFrameOf(inputs.frames);
    const double t = inputs.frames - frame;

    CacheFrame current;
    bool present = false;
    status = readCacheFrameAt(inputs.cachePath, frame, current, present);
    if (!status || !present) return status;

    MDataHandle blendHandle = block.inputValue(blendFrames, &status);
    STATUS_RETURN_ON_ERROR(status, "handle = block.inputValue( blendFrames );");
    CacheFrame next;
    Blend blend = Blend::kNo;
    if (blendHandle.asBool() && t > kBlendThreshold) {
        status = readFollowingFrame(inputs.cachePath, frame, current, next, blend);
        if (!status) return status;
    }

    MObject points;
    status = blend == Blend::kYes ? createBlendedPointSet(current, next, t, points)
                                  : createPointSet(current, points);
    if (!status) return status;
    // Left dirty, the next read looks for the next frame's file again, and blends it in once it
    // is there (a bake running beside playback).
    if (blend == Blend::kNextMissing) return setOutputPointsLeavingDirty(block, plug, points);
    return setOutputPoints(block, plug, points);
}
