// A benchmark's plug-in: one node alone (BENCH_NODE, declared in BENCH_NODE_HEADER, registered
// for BENCH_VENDOR), and the entry through which the benchmark installs the listener that times
// the node's stages.
#include <maya/MFnPlugin.h>

#include "common/stageTimer.h"
#include BENCH_NODE_HEADER

#define BENCH_STRING(name) BENCH_STRING_OF(name)
#define BENCH_STRING_OF(name) #name

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, BENCH_VENDOR, "1.0", "Any");
    return plugin.registerNode(BENCH_STRING(BENCH_NODE), BENCH_NODE::id, BENCH_NODE::creator,
                               BENCH_NODE::initialize, MPxNode::kDependNode);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    return plugin.deregisterNode(BENCH_NODE::id);
}

PLUGIN_EXPORT void setBenchStageListener(StageListener* listener) { setStageListener(listener); }
