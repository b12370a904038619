// pointSuite's entry points: the node types and the command, in their one registration order.
#include <maya/MFnPlugin.h>

#include <cstdio>
#include <vector>

#include "common/pluginRegistration.h"

PLUGIN_EXPORT const char MApiVersion[] = "201402";

namespace {

// Node types join this table, at their place in the order, as they are built.
const std::vector<RegistrationStep>& registrationTable() {
    static const std::vector<RegistrationStep> steps = {};
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
