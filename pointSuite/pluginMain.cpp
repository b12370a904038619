// pointSuite's entry points: the node types and the command, in their one registration order.
#include <maya/MFnPlugin.h>

#include <cstdio>
#include <vector>

#include "common/pluginRegistration.h"
#include "pointSuite/attributes/zuColorBuffer.h"
#include "pointSuite/attributes/zuPointsNormal.h"
#include "pointSuite/attributes/zuPointsObjectId.h"
#include "pointSuite/attributes/zuPointsRotation.h"
#include "pointSuite/attributes/zuPointsScale.h"
#include "pointSuite/attributes/zuPointsTransform.h"
#include "pointSuite/attributes/zuPointsUV.h"
#include "pointSuite/cache/doZuPointsCacheCmd.h"
#include "pointSuite/cache/zuPointsCache.h"
#include "pointSuite/display/zuDisplayContainer.h"
#include "pointSuite/display/zuDisplayPoints.h"
#include "pointSuite/display/zuNoiseLocator.h"
#include "pointSuite/display/zuPointsEmitter.h"
#include "pointSuite/noise/zuNoise.h"
#include "pointSuite/scatter/zuScatterPoints.h"
#include "pointSuite/sets/zuPlantPoints.h"
#include "pointSuite/sets/zuPointsAttrShuffle.h"
#include "pointSuite/sets/zuPointsContainer.h"
#include "pointSuite/sets/zuPointsMerge.h"
#include "pointSuite/sets/zuPointsSelection.h"

PLUGIN_EXPORT const char MApiVersion[] = "201402";

namespace {

// Node types join this table, at their place in the order, as they are built.
const std::vector<RegistrationStep>& registrationTable() {
    static const std::vector<RegistrationStep> steps = {
        RegistrationStep::node("zuDisplayPoints", zuDisplayPoints::id, zuDisplayPoints::creator,
                               zuDisplayPoints::initialize, MPxNode::kLocatorNode),
        RegistrationStep::node("zuPointsRotation", zuPointsRotation::id, zuPointsRotation::creator,
                               zuPointsRotation::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuColorBuffer", zuColorBuffer::id, zuColorBuffer::creator,
                               zuColorBuffer::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPointsUV", zuPointsUV::id, zuPointsUV::creator, zuPointsUV::initialize,
                               MPxNode::kDependNode),
        RegistrationStep::node("zuPointsScale", zuPointsScale::id, zuPointsScale::creator,
                               zuPointsScale::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPointsObjectId", zuPointsObjectId::id, zuPointsObjectId::creator,
                               zuPointsObjectId::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuDisplayContainer", zuDisplayContainer::id, zuDisplayContainer::creator,
                               zuDisplayContainer::initialize, MPxNode::kLocatorNode),
        RegistrationStep::node("zuPointsContainer", zuPointsContainer::id, zuPointsContainer::creator,
                               zuPointsContainer::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPointsNormal", zuPointsNormal::id, zuPointsNormal::creator,
                               zuPointsNormal::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPointsMerge", zuPointsMerge::id, zuPointsMerge::creator,
                               zuPointsMerge::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPointsEmitter", zuPointsEmitter::id, zuPointsEmitter::creator,
                               zuPointsEmitter::initialize, MPxNode::kEmitterNode),
        RegistrationStep::node("zuPointsAttrShuffle", zuPointsAttrShuffle::id, zuPointsAttrShuffle::creator,
                               zuPointsAttrShuffle::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPlantPoints", zuPlantPoints::id, zuPlantPoints::creator,
                               zuPlantPoints::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPointsSelection", zuPointsSelection::id, zuPointsSelection::creator,
                               zuPointsSelection::initialize, MPxNode::kDependNode),
        RegistrationStep::command("doZuPointsCache", "doZuPointsCacheCmd", doZuPointsCacheCmd::creator),
        RegistrationStep::node("zuPointsCache", zuPointsCache::id, zuPointsCache::creator,
                               zuPointsCache::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuPointsTransform", zuPointsTransform::id, zuPointsTransform::creator,
                               zuPointsTransform::initialize, MPxNode::kDependNode),
        RegistrationStep::node("zuNoiseLocator", zuNoiseLocator::id, zuNoiseLocator::creator,
                               zuNoiseLocator::initialize, MPxNode::kLocatorNode),
        RegistrationStep::node("zuNoise", zuNoise::id, zuNoise::creator, zuNoise::initialize,
                               MPxNode::kDeformerNode),
        RegistrationStep::node("zuScatterPoints", zuScatterPoints::id, zuScatterPoints::creator,
                               zuScatterPoints::initialize, MPxNode::kDependNode),
    };
    return steps;
}

}  // namespace

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "pointSuite developers", "1.0", "Any");
    bool completed = false;
    MStatus status = registerSteps(plugin, registrationTable(), &completed);
    if (completed) {
        std::printf("zuScatterPoints initialized\n");
        std::fflush(stdout);
    }
    return status;
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    return deregisterSteps(plugin, registrationTable());
}
