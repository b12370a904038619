// A plug-in built for a newer interface than the host's: the host must refuse it without
// calling initializePlugin.
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>

namespace {

class FutureNode : public MPxNode {
public:
    static void* creator() { return new FutureNode; }
    static MStatus initialize() { return MS::kSuccess; }
};

}  // namespace

PLUGIN_EXPORT const char MApiVersion[] = "201600";

PLUGIN_EXPORT MStatus initializePlugin(MObject object) {
    MFnPlugin plugin(object, "tests", "1.0");
    return plugin.registerNode("futureNode", MTypeId(0x0012F1E0), FutureNode::creator, FutureNode::initialize);
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject object) {
    MFnPlugin plugin(object);
    return plugin.deregisterNode(MTypeId(0x0012F1E0));
}
