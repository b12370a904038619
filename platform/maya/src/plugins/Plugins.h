#pragma once
// Loaded plug-in libraries and what they registered.
#include <maya/MStatus.h>

#include <string>
#include <vector>

#include "graph/HostObject.h"

namespace mayahost {

struct PluginRecord : HostObject {
    MFn::Type apiType() const override { return MFn::kPlugin; }
    std::string name;  // the file name without folder and extension
    std::string path;
    std::string vendor = "Unknown", version = "Unknown", apiVersion;
    void* library = nullptr;
    bool loaded = false;
    std::vector<std::string> commands;
};

// Loads a plug-in by path or by bare name (searched on the plug-in path) and initializes it.
MStatus loadPlugin(const std::string& nameOrPath);
// Uninitializes a loaded plug-in; refused while nodes of its types exist.
MStatus unloadPlugin(const std::string& nameOrPath);
bool isPluginLoaded(const std::string& nameOrPath);
// The names of the node types a loaded plug-in registered, in registration order; none when
// it is not loaded.
std::vector<std::string> nodeTypesOf(const std::string& nameOrPath);
const std::vector<std::string>& pluginSearchPath();

}  // namespace mayahost
