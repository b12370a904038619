// The scatter benchmark's plug-in: zuScatterPoints alone, and the entry through which the
// benchmark installs the listener that times the node's stages.
#include <maya/MFnPlugin.h>

#include "common/stageTimer.h"
#include "pointSuite/scatter/zuScatterPoints.h"

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "pointSuite developers", "1.0", "Any");
    return plugin.registerNode("zuScatterPoints", zuScatterPoints::id, zuScatterPoints::creator,
                               zuScatterPoints::initialize, MPxNode::kDependNode);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    return plugin.deregisterNode(zuScatterPoints::id);
}

PLUGIN_EXPORT void setScatterStageListener(StageListener* listener) {
    setStageListener(listener);
}
