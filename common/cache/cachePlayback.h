#pragma once
// What the cache playback nodes share: their time, cachePath and outPoints attributes, the frame
// of a time, finding a frame's file (falling back on the project root), loading it and giving
// its arrays out as a point set. Failures are reported as the nodes report them: messages
// through MGlobal, "ERROR ..." lines on standard error, and the failed status.
#include <maya/MDataBlock.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <string>
#include <vector>

#include "common/cache/cacheFrame.h"
#include "common/statusCheck.h"

struct CacheAttributes {
    MObject time;       // "time"/"tm", a time, 0.0; the host's default flags
    MObject cachePath;  // "cachePath"/"cp", a string: the files' path up to "_<frame>.zuc"
    MObject outPoints;  // "outPoints"/"op", a point set: not storable, not writable
};

// Creates the three attributes with their flags; adding them to the node is the caller's.
MStatus createCacheAttributes(CacheAttributes& attributes);
// Creates the three attributes and adds them, in that order, to the node type being initialized.
MStatus addCacheAttributes(MObject& time, MObject& cachePath, MObject& outPoints);

struct CacheInputs {
    MString cachePath;
    double frames = 0.0;  // the time in the current user time unit
};

// Reads cachePath, then time.
MStatus readCacheInputs(MDataBlock& block, const CacheAttributes& attributes, CacheInputs& inputs);

// The frame number of a time: truncated toward zero (12.9 gives 12, -0.5 gives 0, -1.2 gives
// -1), held to the int range; NaN gives 0.
int cacheFrameOf(double frames);

enum class CacheFileLookup { kPresent, kMissing, kNoProjectRoot };

// Sets path to the file name of `frame` under cachePath and tests it: anything the file system
// can give a status for counts as present (a directory too). When it is missing, the project
// root ("workspace -q -rd;") is put in front and the joined path tested and kept. A failing
// query shows "frameStore: cannot get workspace" and gives kNoProjectRoot.
CacheFileLookup findCacheFrameFile(const MString& cachePath, int frame, std::string& path);

// Loads a frame file. A map that cannot be loaded shows "Failed to load cache data (int map)"
// (or double map, vector map); a file that cannot be opened, or does not start with a valid
// archive header, shows a message naming the file. Every failure returns MS::kFailure.
MStatus loadCacheFrame(const std::string& path, CacheFrame& frame);

// Finds and loads the file of `frame`. A file missing even under the project root shows
// "No cache found for frame <frame>: <path>" as a warning and succeeds with present false; the
// node then leaves outPoints as it was and its plug dirty, so the file is looked for again at the
// next read (a bake running beside playback, a cache copied in).
MStatus readCacheFrameAt(const MString& cachePath, int frame, CacheFrame& data, bool& present);

// A new point set, filled array by array. Each add creates the array `name` with `count`
// entries, entry i being valueAt(i) (an int, a double or an MVector).
class CachePointSet {
public:
    // Failure writes "ERROR in fnOutput.create." to standard error.
    MStatus create();

    // Host failures are reported on standard error (the status check) and the work goes on.
    template <class ValueAt>
    void addInts(const std::string& name, unsigned int count, ValueAt valueAt) {
        MStatus status;
        MIntArray array = set_.intArray(name.c_str(), &status);
        STATUS_CHECK(status);
        fill(array, count, valueAt);
    }
    template <class ValueAt>
    void addDoubles(const std::string& name, unsigned int count, ValueAt valueAt) {
        MStatus status;
        MDoubleArray array = set_.doubleArray(name.c_str(), &status);
        STATUS_CHECK(status);
        fill(array, count, valueAt);
    }
    // Failure writes "ERROR creating vectorArray" to standard error and returns the status.
    template <class PointAt>
    MStatus addVectors(const std::string& name, unsigned int count, PointAt pointAt) {
        MStatus status;
        MVectorArray array = set_.vectorArray(name.c_str(), &status);
        STATUS_RETURN_ON_ERROR(status, "creating vectorArray\n");
        fill(array, count, pointAt);
        return MS::kSuccess;
    }

    MObject data() const { return data_; }

private:
    template <class Array, class ValueAt>
    static void fill(Array& array, unsigned int count, ValueAt valueAt) {
        STATUS_CHECK(array.setLength(count));
        for (unsigned int i = 0; i < count; ++i) array[i] = valueAt(i);
    }

    MFnArrayAttrsData set_;
    MObject data_;
};

// Whether a vector map entry holds whole points (a multiple of 3 floats); if not, shows
// "zuPointsCache: invalid vector length".
bool holdsWholePoints(const std::vector<float>& values);

// The length of a stored array, as the host counts lengths.
template <class T>
unsigned int countOf(const std::vector<T>& values) {
    return static_cast<unsigned int>(values.size());
}

// The int of a stored 32-bit pattern, and back.
int intFromBits(unsigned int bits);
unsigned int bitsFromInt(int value);

// A point set holding exactly the frame's arrays: int arrays, then double arrays, then vector
// arrays, each map in key order, floats widened to double.
MStatus createPointSet(const CacheFrame& frame, MObject& data);

// Sets data on the plug's output handle and marks the plug clean.
MStatus setOutputPoints(MDataBlock& block, const MPlug& plug, const MObject& data);
// Sets data on the plug's output handle and leaves the plug dirty, so the next read computes it
// again.
MStatus setOutputPointsLeavingDirty(MDataBlock& block, const MPlug& plug, const MObject& data);
