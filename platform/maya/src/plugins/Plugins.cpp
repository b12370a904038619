// Loading plug-in libraries, and what they register through MFnPlugin.
#include "plugins/Plugins.h"

#include <dlfcn.h>
#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <mayahost/Plugins.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "commands/CommandRegistry.h"
#include "graph/Registry.h"
#include "graph/Scene.h"

namespace fs = std::filesystem;

namespace mayahost {

namespace {

using EntryPoint = MStatus (*)(MObject);

std::vector<std::shared_ptr<PluginRecord>>& plugins() {
    static std::vector<std::shared_ptr<PluginRecord>> list;
    return list;
}

MStatus failure(const std::string& text) {
    MGlobal::displayError(MString(text.c_str()));
    return MStatus(MS::kFailure, text.c_str());
}

std::string pluginName(const std::string& path) { return fs::path(path).stem().string(); }

// A path as given, or the first match for a bare name on the search path.
std::string resolve(const std::string& nameOrPath) {
    std::error_code error;
    if (nameOrPath.find('/') != std::string::npos) {
        return fs::exists(nameOrPath, error) ? fs::absolute(nameOrPath, error).lexically_normal().string() : "";
    }
    for (const std::string& dir : pluginSearchPath())
        for (const std::string& file : {nameOrPath, nameOrPath + ".so"}) {
            fs::path candidate = fs::path(dir) / file;
            if (fs::is_regular_file(candidate, error)) return fs::absolute(candidate, error).lexically_normal().string();
        }
    return "";
}

std::shared_ptr<PluginRecord> find(const std::string& nameOrPath) {
    for (auto& p : plugins())
        if (p->name == nameOrPath || p->path == nameOrPath || p->path == resolve(nameOrPath)) return p;
    return nullptr;
}

// "2014" and any release of it up to the host's own ("201402").
bool versionSupported(const char* version) {
    if (!version || std::strlen(version) != 6 || std::strspn(version, "0123456789") != 6) return false;
    long value = std::strtol(version, nullptr, 10);
    return value >= 201400 && value <= MAYA_API_VERSION;
}

std::vector<std::string>& searchPath() {
    static std::vector<std::string> dirs{MAYAHOST_PLUGIN_DIR};
    return dirs;
}

}  // namespace

const std::vector<std::string>& pluginSearchPath() { return searchPath(); }

void addPluginSearchPath(const std::string& dir) { searchPath().push_back(dir); }

bool isPluginLoaded(const std::string& nameOrPath) {
    auto p = find(nameOrPath);
    return p && p->loaded;
}

std::vector<std::string> nodeTypesOf(const std::string& nameOrPath) {
    std::vector<std::string> names;
    auto record = find(nameOrPath);
    if (!record || !record->loaded) return names;
    for (NodeType* type : Registry::instance().typesOf(record.get())) names.push_back(type->name);
    return names;
}

MStatus loadPlugin(const std::string& nameOrPath) {
    std::string path = resolve(nameOrPath);
    if (path.empty()) {
        std::string dirs;
        for (auto& d : pluginSearchPath()) dirs += (dirs.empty() ? "" : ":") + d;
        return failure("loadPlugin: Plug-in \"" + nameOrPath + "\" was not found (plug-in path: " + dirs + ")");
    }
    auto record = find(path);
    if (record && record->loaded) return MS::kSuccess;
    if (!record) {
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) return failure(std::string("loadPlugin: cannot load \"") + path + "\": " + dlerror());
        const char* version = static_cast<const char*>(dlsym(library, "MApiVersion"));
        auto initialize = reinterpret_cast<EntryPoint>(dlsym(library, "initializePlugin"));
        auto uninitialize = reinterpret_cast<EntryPoint>(dlsym(library, "uninitializePlugin"));
        std::string problem = !version ? "it exports no MApiVersion"
                              : !versionSupported(version)
                                  ? std::string("it was built for interface version ") + version +
                                        ", this host provides " + std::to_string(MAYA_API_VERSION)
                              : !initialize || !uninitialize ? "it lacks initializePlugin or uninitializePlugin"
                                                             : "";
        if (!problem.empty()) {
            dlclose(library);
            return failure("loadPlugin: \"" + path + "\" is not a plug-in for this host: " + problem);
        }
        record = std::make_shared<PluginRecord>();
        record->name = pluginName(path);
        record->path = path;
        record->library = library;
        record->apiVersion = version;
        plugins().push_back(record);
    }
    auto initialize = reinterpret_cast<EntryPoint>(dlsym(record->library, "initializePlugin"));
    MStatus status = initialize(MObject(record));
    if (!status) {
        // Take back what the plug-in registered before it failed, so that a later load starts clean.
        for (NodeType* type : Registry::instance().typesOf(record.get()))
            if (Scene::current().nodesOfType(type).empty()) Registry::instance().deregisterType(*type);
        for (const std::string& command : record->commands) deregisterPluginCommand(command);
        record->commands.clear();
        if (Registry::instance().typesOf(record.get()).empty()) {
            dlclose(record->library);
            auto& list = plugins();
            list.erase(std::remove(list.begin(), list.end(), record), list.end());
        }
        return failure("loadPlugin: initializePlugin function failed (" + record->name + ")");
    }
    record->loaded = true;
    return MS::kSuccess;
}

MStatus unloadPlugin(const std::string& nameOrPath) {
    auto record = find(nameOrPath);
    if (!record || !record->loaded) return failure("unloadPlugin: Plug-in \"" + nameOrPath + "\" is not loaded");
    size_t inUse = 0;
    for (NodeType* type : Registry::instance().typesOf(record.get()))
        inUse += Scene::current().nodesOfType(type).size();
    if (inUse)
        return failure("unloadPlugin: Plug-in \"" + record->name + "\" is in use by " + std::to_string(inUse) +
                       " node(s); delete them first");
    auto uninitialize = reinterpret_cast<EntryPoint>(dlsym(record->library, "uninitializePlugin"));
    MStatus status = uninitialize(MObject(record));
    record->loaded = false;
    if (!status) return failure("unloadPlugin: uninitializePlugin function failed (" + record->name + ")");
    // Code still reachable from a registered type or command keeps the library open.
    if (Registry::instance().typesOf(record.get()).empty() && record->commands.empty()) {
        dlclose(record->library);
        auto& list = plugins();
        list.erase(std::remove(list.begin(), list.end(), record), list.end());
    }
    return MS::kSuccess;
}

}  // namespace mayahost

// ---- MFnPlugin

using mayahost::PluginRecord;

namespace {

PluginRecord* recordOf(const MObject& object) { return dynamic_cast<PluginRecord*>(object.host().get()); }

MStatus noPlugin() { return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The object is not a plug-in"); }

mayahost::NodeKind kindOf(MPxNode::Type type, MFn::Type& apiType) {
    switch (type) {
        case MPxNode::kLocatorNode: apiType = MFn::kPluginLocatorNode; return mayahost::NodeKind::Locator;
        case MPxNode::kDeformerNode: apiType = MFn::kPluginDeformerNode; return mayahost::NodeKind::Deformer;
        case MPxNode::kEmitterNode: apiType = MFn::kPluginEmitterNode; return mayahost::NodeKind::Emitter;
        default: apiType = MFn::kPluginDependNode; return mayahost::NodeKind::Depend;
    }
}

}  // namespace

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version, const char*, MStatus* status) {
    object_ = object;
    PluginRecord* record = recordOf(object);
    if (record) {
        record->vendor = vendor ? vendor : "Unknown";
        record->version = version ? version : "Unknown";
    }
    if (status) *status = record ? MStatus() : noPlugin();
}

MString MFnPlugin::vendor(MStatus* status) const {
    if (status) *status = recordOf(object_) ? MStatus() : noPlugin();
    return recordOf(object_) ? MString(recordOf(object_)->vendor) : MString();
}

MString MFnPlugin::version(MStatus* status) const {
    if (status) *status = recordOf(object_) ? MStatus() : noPlugin();
    return recordOf(object_) ? MString(recordOf(object_)->version) : MString();
}

MString MFnPlugin::name(MStatus* status) const {
    if (status) *status = recordOf(object_) ? MStatus() : noPlugin();
    return recordOf(object_) ? MString(recordOf(object_)->name) : MString();
}

MString MFnPlugin::loadPath(MStatus* status) const {
    if (status) *status = recordOf(object_) ? MStatus() : noPlugin();
    return recordOf(object_) ? MString(std::filesystem::path(recordOf(object_)->path).parent_path().string()) : MString();
}

MString MFnPlugin::apiVersion(MStatus* status) const {
    if (status) *status = recordOf(object_) ? MStatus() : noPlugin();
    return recordOf(object_) ? MString(recordOf(object_)->apiVersion) : MString();
}

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                                MInitializeFunction initFunction, MPxNode::Type type, const MString*) {
    PluginRecord* record = recordOf(object_);
    if (!record) return noPlugin();
    if (!creatorFunction) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): A node type needs a creator");
    auto nodeType = std::make_shared<mayahost::NodeType>();
    nodeType->name = typeName.asChar();
    nodeType->id = typeId;
    nodeType->pxType = type;
    nodeType->kind = kindOf(type, nodeType->apiType);
    nodeType->plugin = record;
    nodeType->creator = [creatorFunction] { return static_cast<MPxNode*>(creatorFunction()); };
    MStatus status = mayahost::Registry::instance().registerType(
        nodeType, initFunction ? std::function<MStatus()>(initFunction) : std::function<MStatus()>());
    if (!status) MGlobal::displayError(MString("registerNode: ") + status.errorString());
    return status;
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId) {
    PluginRecord* record = recordOf(object_);
    if (!record) return noPlugin();
    mayahost::NodeType* type = mayahost::Registry::instance().findType(typeId.id());
    if (!type || type->plugin != record)
        return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The plug-in registered no node type of that id");
    if (!mayahost::Scene::current().nodesOfType(type).empty())
        return MStatus(MS::kFailure, "(kFailure): Nodes of the type still exist");
    return mayahost::Registry::instance().deregisterType(*type);
}

MStatus MFnPlugin::registerCommand(const MString& commandName, MCreatorFunction creatorFunction, MCreateSyntaxFunction) {
    PluginRecord* record = recordOf(object_);
    if (!record) return noPlugin();
    MStatus status = mayahost::registerPluginCommand(commandName.asChar(), creatorFunction);
    if (status) record->commands.push_back(commandName.asChar());
    else MGlobal::displayError(MString("registerCommand: ") + status.errorString());
    return status;
}

MStatus MFnPlugin::deregisterCommand(const MString& commandName) {
    PluginRecord* record = recordOf(object_);
    if (!record) return noPlugin();
    auto& commands = record->commands;
    auto it = std::find(commands.begin(), commands.end(), std::string(commandName.asChar()));
    if (it == commands.end())
        return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The plug-in registered no command of that name");
    MStatus status = mayahost::deregisterPluginCommand(commandName.asChar());
    if (status) commands.erase(it);
    return status;
}
