#pragma once
// A plug-in's registration table: node types and commands, registered and deregistered in one
// fixed order.
#include <maya/MFnPlugin.h>
#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

#include <vector>

struct RegistrationStep {
    enum Kind { kNode, kCommand };
    Kind kind;
    const char* name;   // node type name, or command name
    const char* label;  // the name the messages give (the command's class name)
    MTypeId id;
    MCreatorFunction creator;
    MInitializeFunction initialize;
    MPxNode::Type nodeType;

    static RegistrationStep node(const char* name, MTypeId id, MCreatorFunction creator,
                                 MInitializeFunction initialize, MPxNode::Type type) {
        return {kNode, name, name, id, creator, initialize, type};
    }
    static RegistrationStep command(const char* name, const char* className, MCreatorFunction creator) {
        return {kCommand, name, className, MTypeId(), creator, nullptr, MPxNode::kDependNode};
    }
};

// Registers the steps in order. A node type that fails shows "Can not register <type> node" and
// ends the registration with its status; a command that fails shows "registerCommand <class>"
// and registration goes on. The last step's status is returned untested and without a message.
// `completed` tells whether the walk reached the end of the table.
MStatus registerSteps(MFnPlugin& plugin, const std::vector<RegistrationStep>& steps,
                      bool* completed = nullptr);

// Deregisters in the same order. A node type that fails shows "deregisterNode <type>" and ends
// the teardown; a command that fails shows "deregisterCommand <class>" and teardown goes on. The
// last step's status is returned untested and without a message.
MStatus deregisterSteps(MFnPlugin& plugin, const std::vector<RegistrationStep>& steps,
                        bool* completed = nullptr);
