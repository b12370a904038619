// The weaver benchmark's plug-in: zuTriWeaver alone, and the entry through which the benchmark
// installs the listener that times the node's stages.
#include <maya/MFnPlugin.h>

#include "common/stageTimer.h"
#include "triWeaver/zuTriWeaver.h"

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "triWeaver developers", "1.0", "Any");
    return plugin.registerNode("zuTriWeaver", zuTriWeaver::id, zuTriWeaver::creator,
                               zuTriWeaver::initialize, MPxNode::kDependNode);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    return plugin.deregisterNode(zuTriWeaver::id);
}

PLUGIN_EXPORT void setWeaverStageListener(StageListener* listener) { setStageListener(listener); }
