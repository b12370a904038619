#pragma once
// zuPointsCache: plays a points cache back. At each evaluation it reads the file of the frame
// its time falls in (cachePath + "_<frame>.zuc", or the same under the project root) and gives
// the stored arrays on outPoints. A frame without a file is a warning and leaves outPoints as
// it was; so does every failure.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsCache : public MPxNode {
public:
    ~zuPointsCache() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject time;
    static MObject cachePath;
    static MObject outPoints;
};
