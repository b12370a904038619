#pragma once
#include <maya/MFnBase.h>
#include <maya/MPxCommand.h>
#include <maya/MPxNode.h>
#include <maya/MString.h>
#include <maya/MSyntax.h>
#include <maya/MTypeId.h>

typedef MStatus (*MInitializeFunction)();

// What a plug-in registers with the host while it is being loaded or unloaded.
class OPENMAYA_EXPORT MFnPlugin : public MFnBase {
public:
    MFnPlugin() = default;
    MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kPlugin; }

    MString vendor(MStatus* status = nullptr) const;
    MString version(MStatus* status = nullptr) const;
    MString name(MStatus* status = nullptr) const;
    MString loadPath(MStatus* status = nullptr) const;
    MString apiVersion(MStatus* status = nullptr) const;

    // Fails, registering nothing, when the name or the id is already taken or initialize fails.
    MStatus registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                         MInitializeFunction initFunction, MPxNode::Type type = MPxNode::kDependNode,
                         const MString* classification = nullptr);
    MStatus deregisterNode(const MTypeId& typeId);
    MStatus registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                            MCreateSyntaxFunction createSyntaxFunction = nullptr);
    MStatus deregisterCommand(const MString& commandName);
};

// The entry points every plug-in defines and the host looks up by name. They return MStatus
// across C linkage, which clang warns of at the first declaration: that one is here.
#ifdef __clang__
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
PLUGIN_EXPORT MStatus initializePlugin(MObject object);
PLUGIN_EXPORT MStatus uninitializePlugin(MObject object);
#ifdef __clang__
#pragma clang diagnostic pop
#endif
