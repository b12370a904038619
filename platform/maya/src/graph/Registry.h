#pragma once
// The node types the host knows: built-in ones and those plug-ins register.
#include <maya/MStatus.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graph/Node.h"

namespace mayahost {

class Registry {
public:
    static Registry& instance();

    // Adds a type: runs `initialize` (which adds the type's attributes) and checks the result.
    // Fails, leaving nothing registered, when the name or id is taken or initialize fails.
    MStatus registerType(const std::shared_ptr<NodeType>& type, const std::function<MStatus()>& initialize);
    MStatus deregisterType(const NodeType& type);
    NodeType* findType(const std::string& name) const;
    NodeType* findType(unsigned id) const;
    std::shared_ptr<NodeType> sharedType(const NodeType* type) const;
    std::vector<NodeType*> typesOf(const PluginRecord* plugin) const;

    // The type whose initialize function is running; attributes are added to it.
    NodeType* initializing() const { return initializing_.get(); }
    MStatus addAttribute(NodeType& type, const AttributePtr& attribute);

private:
    Registry() = default;
    std::vector<std::shared_ptr<NodeType>> types_;
    std::shared_ptr<NodeType> initializing_;
};

// Attributes every node of a kind inherits (DAG nodes their world matrix, ...).
const std::vector<AttributePtr>& inheritedAttributes(NodeKind kind);
// Registers the host's own node types (transform, mesh, time, camera, textures) once.
void registerBuiltinTypes();

}  // namespace mayahost
