#include "common/pluginRegistration.h"

#include <maya/MGlobal.h>

namespace {

MStatus registerStep(MFnPlugin& plugin, const RegistrationStep& step) {
    if (step.kind == RegistrationStep::kCommand) return plugin.registerCommand(step.name, step.creator);
    return plugin.registerNode(step.name, step.id, step.creator, step.initialize, step.nodeType);
}

MStatus deregisterStep(MFnPlugin& plugin, const RegistrationStep& step) {
    if (step.kind == RegistrationStep::kCommand) return plugin.deregisterCommand(step.name);
    return plugin.deregisterNode(step.id);
}

template <class Action>
MStatus walk(MFnPlugin& plugin, const std::vector<RegistrationStep>& steps, Action action,
             const char* nodeMessage, const char* nodeSuffix, const char* commandMessage, bool* completed) {
    MStatus status;
    if (completed) *completed = false;
    for (size_t i = 0; i < steps.size(); ++i) {
        const RegistrationStep& step = steps[i];
        status = action(plugin, step);
        if (i + 1 == steps.size()) break;
        if (status) continue;
        if (step.kind == RegistrationStep::kCommand) {
            MGlobal::displayError(MString(commandMessage) + step.label);
            continue;
        }
        MGlobal::displayError(MString(nodeMessage) + step.label + nodeSuffix);
        return status;
    }
    if (completed) *completed = true;
    return status;
}

}  // namespace

MStatus registerSteps(MFnPlugin& plugin, const std::vector<RegistrationStep>& steps, bool* completed) {
    return walk(plugin, steps, registerStep, "Can not register ", " node", "registerCommand ", completed);
}

MStatus deregisterSteps(MFnPlugin& plugin, const std::vector<RegistrationStep>& steps, bool* completed) {
    return walk(plugin, steps, deregisterStep, "deregisterNode ", "", "deregisterCommand ", completed);
}
