// frameStore's entry points: its one node type, zuPointsCache. The type takes the name and id
// of pointSuite's node of that name, so only one of the two plug-ins loads at a time.
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>

#include "frameStore/zuPointsCache.h"

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "frameStore developers", "1.0", "Any");
    MStatus status = plugin.registerNode("zuPointsCache", zuPointsCache::id, zuPointsCache::creator,
                                         zuPointsCache::initialize, MPxNode::kDependNode);
    if (!status) MGlobal::displayError("Can not register zuPointsCache node");
    return status;
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    MStatus status = plugin.deregisterNode(zuPointsCache::id);
    if (!status) MGlobal::displayError("deregisterNode zuPointsCache");
    return status;
}
