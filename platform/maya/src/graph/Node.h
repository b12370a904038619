#pragma once
// Node types, node instances and their stored values.
#include <maya/MObject.h>
#include <maya/MTypeId.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graph/Attribute.h"

class MPxNode;

namespace mayahost {

struct PluginRecord;

// The stored value of one plug: numeric components or a data object, and, for array and
// compound attributes, the values of the elements and children.
struct Slot {
    double number[4] = {0, 0, 0, 0};
    std::shared_ptr<Data> data;
    std::map<unsigned, Slot> elements;
    std::map<const Attribute*, Slot> children;
};

enum class NodeKind { Depend, Locator, Deformer, Emitter, Transform, Shape };

struct NodeType {
    std::string name;
    MTypeId id;
    NodeKind kind = NodeKind::Depend;
    int pxType = 0;  // MPxNode::Type the type was registered with
    MFn::Type apiType = MFn::kPluginDependNode;
    std::function<MPxNode*()> creator;
    PluginRecord* plugin = nullptr;  // null for built-in types
    std::vector<AttributePtr> attributes;   // top level, inherited ones first
    std::vector<Attribute*> allAttributes;  // every attribute, children included
    std::map<const Attribute*, std::vector<const Attribute*>> affects;
    std::map<const Attribute*, std::vector<const Attribute*>> affectedBy;  // affects, inverted
    std::set<const Attribute*> affected;  // attributes that something affects: computed ones

    bool isDag() const { return kind != NodeKind::Depend && kind != NodeKind::Deformer; }
    bool isShape() const { return isDag() && kind != NodeKind::Transform; }
    Attribute* findAttribute(const std::string& name) const;
    bool hasAttribute(const Attribute* attribute) const;
};

class Node : public HostObject, public std::enable_shared_from_this<Node> {
public:
    explicit Node(std::shared_ptr<NodeType> type) : type(std::move(type)) {}
    ~Node() override;

    MFn::Type apiType() const override { return type->apiType; }
    bool hasFn(MFn::Type fn) const override;
    MObject object() { return MObject(shared_from_this()); }

    std::shared_ptr<NodeType> type;
    std::string name;
    MPxNode* user = nullptr;  // owned
    std::map<const Attribute*, Slot> values;
    std::set<const Attribute*> dirty;
    std::set<const Attribute*> evaluating;
    std::map<const Attribute*, unsigned> computeCalls;  // by the attribute computed
    Node* parent = nullptr;  // DAG parent
    std::vector<Node*> children;
    bool alive = true;

    // Top-level slot of an attribute, created with its default when first used.
    Slot& slot(const Attribute* topLevel);
};

using NodePtr = std::shared_ptr<Node>;

Node* nodeOf(const MObject& object);

// Fills a slot with an attribute's default value (recursively for compounds).
void initializeSlot(const Attribute& attribute, Slot& slot);

}  // namespace mayahost
