#pragma once
// zuPointsCache (frameStore): plays a points cache back on the processor, like pointSuite's node
// of the same name, and blends between whole frames. At a time with a fraction t above 1e-5
// and blendFrames on, each array comes out as current * (1 - t) + next * t, where next is the
// same array in the following frame's file: ints are blended as numbers and truncated toward
// zero. No following file, or a different number of arrays in any of its maps, plays the
// current frame as it stands.
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
    static MObject blendFrames;
};
