#include "graph/Registry.h"

#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MPxDeformerNode.h>
#include <maya/MPxEmitterNode.h>
#include <maya/MPxNode.h>

#include <algorithm>

#include "dynamics/Dynamics.h"
#include "mesh/Deformer.h"

namespace mayahost {

namespace {

MStatus failure(const std::string& text) { return MStatus(MS::kFailure, text.c_str()); }

void addWithChildren(NodeType& type, Attribute* attribute) {
    type.allAttributes.push_back(attribute);
    for (auto& child : attribute->children) addWithChildren(type, child.get());
}

bool nameTaken(const NodeType& type, const Attribute& attribute) {
    std::vector<const Attribute*> candidates{&attribute};
    for (size_t i = 0; i < candidates.size(); ++i)
        for (auto& c : candidates[i]->children) candidates.push_back(c.get());
    for (const Attribute* a : type.allAttributes)
        for (const Attribute* b : candidates)
            if (a->longName == b->longName || a->shortName == b->shortName || a->longName == b->shortName ||
                a->shortName == b->longName)
                return true;
    return false;
}

std::vector<AttributePtr> makeDagAttributes() {
    MFnNumericAttribute numeric;
    MObject visibility = numeric.create("visibility", "v", MFnNumericData::kBoolean, 1);
    MFnMatrixAttribute matrix;
    MObject world = matrix.create("worldMatrix", "wm");
    matrix.setArray(true);
    matrix.setWritable(false);
    matrix.setStorable(false);
    return {std::dynamic_pointer_cast<Attribute>(visibility.host()), std::dynamic_pointer_cast<Attribute>(world.host())};
}

}  // namespace

Registry& Registry::instance() {
    static Registry registry;
    return registry;
}

const std::vector<AttributePtr>& inheritedAttributes(NodeKind kind) {
    static const std::vector<AttributePtr> none;
    static const std::vector<AttributePtr> dag = makeDagAttributes();
    static const std::vector<AttributePtr> emitter = [] {
        std::vector<AttributePtr> list = dag;
        for (auto& a : emitterAttributes()) list.push_back(a);
        return list;
    }();
    switch (kind) {
        case NodeKind::Transform:
        case NodeKind::Shape:
        case NodeKind::Locator: return dag;
        case NodeKind::Emitter: return emitter;
        case NodeKind::Deformer: return deformerAttributes();
        default: return none;
    }
}

namespace {

// What the inherited attributes of a kind affect: an emitter's inputs its output, a
// deformer's inputs and envelope its output geometry.
void addInheritedAffects(NodeType& type) {
    auto affects = [&](const MObject& from, const MObject& to) {
        auto& list = type.affects[attributeOf(from)];
        if (std::find(list.begin(), list.end(), attributeOf(to)) == list.end()) list.push_back(attributeOf(to));
    };
    if (type.kind == NodeKind::Emitter)
        for (const MObject* input : emitterInputs()) affects(*input, MPxEmitterNode::mOutput);
    if (type.kind == NodeKind::Deformer) {
        affects(MPxDeformerNode::input, MPxDeformerNode::outputGeom);
        affects(MPxDeformerNode::inputGeom, MPxDeformerNode::outputGeom);
        affects(MPxDeformerNode::envelope, MPxDeformerNode::outputGeom);
    }
}

}  // namespace

MStatus Registry::registerType(const std::shared_ptr<NodeType>& type, const std::function<MStatus()>& initialize) {
    if (type->name.empty()) return failure("A node type needs a name");
    if (findType(type->name)) return failure("The node type name \"" + type->name + "\" is already registered");
    if (findType(type->id.id()))
        return failure("The node type id " + std::to_string(type->id.id()) + " of \"" + type->name +
                       "\" is already registered by \"" + findType(type->id.id())->name + "\"");
    type->attributes.clear();
    type->allAttributes.clear();
    for (auto& a : inheritedAttributes(type->kind)) {
        type->attributes.push_back(a);
        addWithChildren(*type, a.get());
    }
    addInheritedAffects(*type);
    initializing_ = type;
    MStatus status = initialize ? initialize() : MStatus();
    initializing_.reset();
    if (!status) return status;
    type->affectedBy.clear();
    for (auto& entry : type->affects)
        for (const Attribute* a : entry.second) {
            type->affected.insert(a);
            type->affectedBy[a].push_back(entry.first);
        }
    types_.push_back(type);
    return MS::kSuccess;
}

MStatus Registry::deregisterType(const NodeType& type) {
    auto it = std::find_if(types_.begin(), types_.end(), [&](auto& t) { return t.get() == &type; });
    if (it == types_.end()) return failure("The node type \"" + type.name + "\" is not registered");
    types_.erase(it);
    return MS::kSuccess;
}

NodeType* Registry::findType(const std::string& name) const {
    for (auto& t : types_)
        if (t->name == name) return t.get();
    return nullptr;
}

NodeType* Registry::findType(unsigned id) const {
    for (auto& t : types_)
        if (t->id.id() == id) return t.get();
    return nullptr;
}

std::shared_ptr<NodeType> Registry::sharedType(const NodeType* type) const {
    for (auto& t : types_)
        if (t.get() == type) return t;
    return nullptr;
}

std::vector<NodeType*> Registry::typesOf(const PluginRecord* plugin) const {
    std::vector<NodeType*> found;
    for (auto& t : types_)
        if (t->plugin == plugin) found.push_back(t.get());
    return found;
}

MStatus Registry::addAttribute(NodeType& type, const AttributePtr& attribute) {
    if (attribute->parent) return MS::kSuccess;  // children come with their parent
    if (type.hasAttribute(attribute.get()))
        return failure("The attribute \"" + attribute->longName + "\" was already added to " + type.name);
    if (nameTaken(type, *attribute))
        return failure("The attribute name \"" + attribute->longName + "\" is already used on " + type.name);
    type.attributes.push_back(attribute);
    addWithChildren(type, attribute.get());
    return MS::kSuccess;
}

}  // namespace mayahost

// ---- MPxNode

using mayahost::Registry;

MObject MPxNode::message;
MObject MPxNode::isHistoricallyInteresting;
MObject MPxNode::caching;
MObject MPxNode::state;

MPxNode::MPxNode() = default;
MPxNode::~MPxNode() = default;

MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MS::kUnknownParameter; }
void MPxNode::postConstructor() {}

MObject MPxNode::thisMObject() const { return node_ ? node_->object() : MObject(); }
MTypeId MPxNode::typeId() const { return node_ ? node_->type->id : MTypeId(); }
MString MPxNode::typeName() const { return node_ ? MString(node_->type->name) : MString(); }
MString MPxNode::name() const { return node_ ? MString(node_->name) : MString(); }

MStatus MPxNode::addAttribute(const MObject& attribute) {
    auto a = std::dynamic_pointer_cast<mayahost::Attribute>(attribute.host());
    mayahost::NodeType* type = Registry::instance().initializing();
    if (!a) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): Not an attribute");
    if (!type) return MStatus(MS::kFailure, "(kFailure): Attributes are added while a node type is being registered");
    return Registry::instance().addAttribute(*type, a);
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
    mayahost::NodeType* type = Registry::instance().initializing();
    mayahost::Attribute* from = mayahost::attributeOf(whenChanges);
    mayahost::Attribute* to = mayahost::attributeOf(isAffected);
    if (!type) return MStatus(MS::kFailure, "(kFailure): attributeAffects is called while a node type is being registered");
    auto known = [&](const mayahost::Attribute* a) {
        return a && std::find(type->allAttributes.begin(), type->allAttributes.end(), a) != type->allAttributes.end();
    };
    if (!known(from) || !known(to))
        return MStatus(MS::kInvalidParameter, "(kInvalidParameter): attributeAffects needs attributes already added");
    auto& list = type->affects[from];
    if (std::find(list.begin(), list.end(), to) == list.end()) list.push_back(to);
    return MS::kSuccess;
}

MStatus MPxNode::inheritAttributesFrom(const MString&) { return MS::kNotImplemented; }
