// triWeaver's entry points: its one node type, zuTriWeaver.
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>

#include "triWeaver/zuTriWeaver.h"

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "triWeaver developers", "1.0", "Any");
    MStatus status = plugin.registerNode("zuTriWeaver", zuTriWeaver::id, zuTriWeaver::creator,
                                         zuTriWeaver::initialize, MPxNode::kDependNode);
    if (!status) MGlobal::displayError("Can not register zuTriWeaver node");
    return status;
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
    MStatus status = plugin.deregisterNode(zuTriWeaver::id);
    if (!status) MGlobal::displayError("deregisterNode zuTriWeaver");
    return status;
}
