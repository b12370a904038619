#include "pointSuite/cache/zuPointsCache.h"

#include "common/cache/cachePlayback.h"

const MTypeId zuPointsCache::id(0xC7);
MObject zuPointsCache::time;
MObject zuPointsCache::cachePath;
MObject zuPointsCache::outPoints;

zuPointsCache::~zuPointsCache() = default;

void* zuPointsCache::creator() { return new zuPointsCache; }

MStatus zuPointsCache::initialize() {
    MStatus status = addCacheAttributes(time, cachePath, outPoints);
    if (!status) return status;
    status = attributeAffects(time, outPoints);
    if (!status) return status;
    return attributeAffects(cachePath, outPoints);
}

MStatus zuPointsCache::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outPoints) return MS::kUnknownParameter;

    CacheInputs inputs;
    MStatus status = readCacheInputs(block, {time, cachePath, outPoints}, inputs);
    if (!status) return status;

    CacheFrame frame;
    bool present = false;
    status = readCacheFrameAt(inputs.cachePath, cacheFrameOf(inputs.frames), frame, present);
    if (!status || !present) return status;

    MObject points;
    status = createPointSet(frame, points);
    if (!status) return status;
    return setOutputPoints(block, plug, points);
}
