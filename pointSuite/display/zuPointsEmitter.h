#pragma once
// zuPointsEmitter: an emitter that emits particles from the points of a point set instead of
// from its own position. Each point emits along its "aimDirection" at the emitter's rate, with
// a random sideways spread and a random speed; in single-emission mode each "pointID" emits one
// particle per run. Chosen arrays of the points can be handed to the particles as "rgbPP" and
// "opacityPP". Runs on the central processor; its random numbers come from a sequence seeded
// anew in every compute from the whole seconds elapsed, so steps within one second repeat the
// same draws.
#include <maya/M3dView.h>
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPxEmitterNode.h>
#include <maya/MTime.h>
#include <maya/MTypeId.h>

#include <map>
#include <set>

class zuPointsEmitter : public MPxEmitterNode {
public:
    ~zuPointsEmitter() override;

    static void* creator();
    static MStatus initialize();
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;

    // The node's world position: the translation of worldMatrix[0]. Failures show their message
    // and answer their status.
    MStatus getWorldPosition(MPoint& point);

    // The most particles one step may emit; a step that would emit more emits nothing.
    static constexpr double kMaxParticlesPerStep = 4194304.0;

    static const MTypeId id;
    static MObject inPoints;
    static MObject singleEmission;
    static MObject passAttrInRGB;
    static MObject attrName1;
    static MObject passAttrInOpacity;
    static MObject attrName2;

private:
    double rateValue(MDataBlock& block);
    double speedValue(MDataBlock& block);
    bool isFullValue(MDataBlock& block, unsigned index);
    double inheritFactorValue(MDataBlock& block, unsigned index);
    MTime currentTimeValue(MDataBlock& block);
    MTime startTimeValue(MDataBlock& block, unsigned index);
    MTime deltaTimeValue(MDataBlock& block, unsigned index);

    // The ids each output element (each particle shape) has emitted in single-emission mode
    // since its last rewind.
    std::map<unsigned, std::set<unsigned>> emittedIds;
};
