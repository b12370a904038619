// A plug-in whose second node type takes a name graphTestPlugin already registered: its
// initializePlugin fails once graphTestPlugin is loaded. The first type must not outlive the
// failed load.
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

namespace {

class PlainNode : public MPxNode {
public:
    static void* creator() { return new PlainNode; }
    static MStatus initialize() { return MS::kSuccess; }
};

const MTypeId kClashOnlyId(0x0012F1F0);
const MTypeId kClashingId(0x0012F1F1);

}  // namespace

PLUGIN_EXPORT const char MApiVersion[] = "201402";

PLUGIN_EXPORT MStatus initializePlugin(MObject object) {
    MFnPlugin plugin(object, "tests", "1.0");
    MStatus status = plugin.registerNode("clashOnlyNode", kClashOnlyId, PlainNode::creator, PlainNode::initialize);
    if (!status) return status;
    return plugin.registerNode("testAdder", kClashingId, PlainNode::creator, PlainNode::initialize);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject object) {
    MFnPlugin plugin(object);
    MStatus status = plugin.deregisterNode(kClashingId);
    MStatus first = plugin.deregisterNode(kClashOnlyId);
    return status ? first : status;
}
