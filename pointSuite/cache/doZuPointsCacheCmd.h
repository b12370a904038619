#pragma once
// doZuPointsCache nodeName pathToCache cacheName startFrame endFrame mode
//
// Bakes the point set on a node's outPoints to one cache frame file per frame, from startFrame
// to endFrame inclusive: for each frame it moves the current time there, reads the plug and
// writes pathToCache/cacheName_<frame>.zuc. The mode picks the arrays written: 0 or 1 all of
// them, 2 the instancer's base names, 3 those and the names our nodes add (uv, normal, ...).
// An empty pathToCache writes into the working directory; a missing mode is 0. Each file is
// written under a temporary name and renamed when complete, so no partial file ever has a
// frame's name; a write that fails (a full disk, a file size limit) stops the bake with an error
// naming the file. The bake can be interrupted between frames; the files written until then stay.
#include <maya/MArgList.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxCommand.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <cstdint>

class doZuPointsCacheCmd : public MPxCommand {
public:
    ~doZuPointsCacheCmd() override;
    MStatus doIt(const MArgList& args) override;
    static void* creator();

private:
    MStatus parseArgs(const MArgList& args);
    MStatus writeFrame(const MPlug& outPoints, const MString& directory, int frame) const;

    MString nodeName;
    MString pathToCache;
    MString cacheName;
    std::int32_t startFrame = 0;
    std::int32_t endFrame = 0;
    std::int16_t mode = 0;
    MObject node;
};
