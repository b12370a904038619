// Function sets over nodes: dependency nodes, DAG nodes and paths, and selection lists.
#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPxNode.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>

#include "graph/Dag.h"
#include "graph/Registry.h"
#include "graph/Scene.h"

using mayahost::Node;
using mayahost::Scene;

namespace {

MStatus noNode() { return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The object is not a node that exists"); }

void report(MStatus* status, const MStatus& value) {
    if (status) *status = value;
}

MObject attributeObject(const mayahost::Attribute* a) {
    return MObject(std::shared_ptr<mayahost::HostObject>(std::shared_ptr<void>(), const_cast<mayahost::Attribute*>(a)));
}

MObject createNode(const std::string& type, const std::string& name, Node* parent, MStatus* status) {
    MStatus s;
    mayahost::NodePtr node = Scene::current().createNode(type, name, parent, s);
    report(status, s);
    return node ? node->object() : MObject();
}

}  // namespace

// ---- MFnDependencyNode

MFnDependencyNode::MFnDependencyNode(const MObject& object, MStatus* status) { report(status, setObject(object)); }

MStatus MFnDependencyNode::setObject(const MObject& object) {
    object_ = object;
    return mayahost::nodeOf(object) ? MStatus() : noNode();
}

MObject MFnDependencyNode::create(const MString& typeName, MStatus* status) { return create(typeName, "", status); }

MObject MFnDependencyNode::create(const MString& typeName, const MString& name, MStatus* status) {
    object_ = createNode(typeName.asChar(), name.asChar(), nullptr, status);
    return object_;
}

MObject MFnDependencyNode::create(const MTypeId& typeId, MStatus* status) { return create(typeId, "", status); }

MObject MFnDependencyNode::create(const MTypeId& typeId, const MString& name, MStatus* status) {
    mayahost::NodeType* type = mayahost::Registry::instance().findType(typeId.id());
    if (!type) {
        report(status, MStatus(MS::kInvalidParameter, "(kInvalidParameter): Unknown type id"));
        return MObject();
    }
    return create(MString(type->name), name, status);
}

MString MFnDependencyNode::name(MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    report(status, node ? MStatus() : noNode());
    return node ? MString(node->name) : MString();
}

MString MFnDependencyNode::setName(const MString& name, bool, MStatus* status) {
    Node* node = mayahost::nodeOf(object_);
    if (!node) {
        report(status, noNode());
        return MString();
    }
    report(status, Scene::current().renameNode(*node, name.asChar()));
    return MString(node->name);
}

MString MFnDependencyNode::typeName(MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    report(status, node ? MStatus() : noNode());
    return node ? MString(node->type->name) : MString();
}

MTypeId MFnDependencyNode::typeId(MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    report(status, node ? MStatus() : noNode());
    return node ? node->type->id : MTypeId();
}

MPxNode* MFnDependencyNode::userNode(MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    report(status, node ? MStatus() : noNode());
    return node ? node->user : nullptr;
}

MPlug MFnDependencyNode::findPlug(const MString& attributeName, bool, MStatus* status) const {
    return findPlug(attributeName, status);
}

MPlug MFnDependencyNode::findPlug(const MString& attributeName, MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    const mayahost::Attribute* a = node ? node->type->findAttribute(attributeName.asChar()) : nullptr;
    if (!a) {
        report(status, node ? MStatus(MS::kInvalidParameter, MString("(kInvalidParameter): No attribute named ") + attributeName)
                            : noNode());
        return MPlug();
    }
    report(status, MS::kSuccess);
    return MPlug(object_, mayahost::pathOf(a));
}

MPlug MFnDependencyNode::findPlug(const MObject& attribute, bool, MStatus* status) const {
    return findPlug(attribute, status);
}

MPlug MFnDependencyNode::findPlug(const MObject& attribute, MStatus* status) const {
    MPlug plug(object_, attribute);
    report(status, plug.isNull() ? MStatus(MS::kInvalidParameter, "(kInvalidParameter): The node has no such attribute")
                                 : MStatus());
    return plug;
}

MObject MFnDependencyNode::attribute(const MString& attributeName, MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    const mayahost::Attribute* a = node ? node->type->findAttribute(attributeName.asChar()) : nullptr;
    report(status, a ? MStatus() : MStatus(MS::kInvalidParameter, "(kInvalidParameter): No such attribute"));
    return a ? attributeObject(a) : MObject();
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    bool ok = node && index < node->type->allAttributes.size();
    report(status, ok ? MStatus() : MStatus(MS::kInvalidParameter, "(kInvalidParameter): No attribute of that index"));
    return ok ? attributeObject(node->type->allAttributes[index]) : MObject();
}

unsigned int MFnDependencyNode::attributeCount(MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    report(status, node ? MStatus() : noNode());
    return node ? unsigned(node->type->allAttributes.size()) : 0;
}

bool MFnDependencyNode::hasAttribute(const MString& attributeName, MStatus* status) const {
    Node* node = mayahost::nodeOf(object_);
    report(status, node ? MStatus() : noNode());
    return node && node->type->findAttribute(attributeName.asChar());
}

// ---- MDagPath

static Node* dagNode(const MObject& object) {
    Node* node = mayahost::nodeOf(object);
    return node && node->type->isDag() ? node : nullptr;
}

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path) {
    if (!dagNode(node)) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): Not a DAG node");
    path.node_ = node;
    return MS::kSuccess;
}

bool MDagPath::isValid(MStatus* status) const {
    report(status, MS::kSuccess);
    return dagNode(node_) != nullptr;
}

MObject MDagPath::node(MStatus* status) const {
    report(status, isValid() ? MStatus() : noNode());
    return node_;
}

MObject MDagPath::transform(MStatus* status) const {
    Node* node = dagNode(node_);
    report(status, node ? MStatus() : noNode());
    if (!node) return MObject();
    if (node->type->kind == mayahost::NodeKind::Transform || !node->parent) return node_;
    return node->parent->object();
}

unsigned int MDagPath::length(MStatus* status) const {
    unsigned n = 0;
    for (Node* node = dagNode(node_); node; node = node->parent) ++n;
    report(status, n ? MStatus() : noNode());
    return n;
}

unsigned int MDagPath::childCount(MStatus* status) const {
    Node* node = dagNode(node_);
    report(status, node ? MStatus() : noNode());
    return node ? unsigned(node->children.size()) : 0;
}

MObject MDagPath::child(unsigned int index, MStatus* status) const {
    Node* node = dagNode(node_);
    bool ok = node && index < node->children.size();
    report(status, ok ? MStatus() : noNode());
    return ok ? node->children[index]->object() : MObject();
}

MStatus MDagPath::push(const MObject& child) {
    Node* node = dagNode(node_);
    Node* below = dagNode(child);
    if (!node || !below || below->parent != node) return MS::kInvalidParameter;
    node_ = child;
    return MS::kSuccess;
}

MStatus MDagPath::pop(unsigned int count) {
    Node* node = dagNode(node_);
    for (unsigned i = 0; i < count; ++i) {
        if (!node || !node->parent) return MS::kInvalidParameter;
        node = node->parent;
    }
    if (node) node_ = node->object();
    return MS::kSuccess;
}

MStatus MDagPath::extendToShape() {
    Node* node = dagNode(node_);
    if (!node) return noNode();
    if (node->type->isShape()) return MS::kSuccess;
    for (Node* child : node->children)
        if (child->type->isShape()) {
            node_ = child->object();
            return MS::kSuccess;
        }
    return MS::kFailure;
}

MFn::Type MDagPath::apiType(MStatus* status) const {
    report(status, isValid() ? MStatus() : noNode());
    return node_.apiType();
}

bool MDagPath::hasFn(MFn::Type type, MStatus* status) const {
    report(status, isValid() ? MStatus() : noNode());
    return node_.hasFn(type);
}

MString MDagPath::fullPathName(MStatus* status) const {
    std::string path;
    for (Node* node = dagNode(node_); node; node = node->parent) path = "|" + node->name + path;
    report(status, path.empty() ? noNode() : MStatus());
    return MString(path);
}

MString MDagPath::partialPathName(MStatus* status) const {
    Node* node = dagNode(node_);
    report(status, node ? MStatus() : noNode());
    return node ? MString(node->name) : MString();
}

MMatrix MDagPath::inclusiveMatrix(MStatus* status) const {
    Node* node = dagNode(node_);
    report(status, node ? MStatus() : noNode());
    return node ? mayahost::worldMatrix(*node) : MMatrix();
}

MMatrix MDagPath::exclusiveMatrix(MStatus* status) const {
    Node* node = dagNode(node_);
    report(status, node ? MStatus() : noNode());
    return node && node->parent ? mayahost::worldMatrix(*node->parent) : MMatrix();
}

MMatrix MDagPath::inclusiveMatrixInverse(MStatus* status) const { return inclusiveMatrix(status).inverse(); }
MMatrix MDagPath::exclusiveMatrixInverse(MStatus* status) const { return exclusiveMatrix(status).inverse(); }

// ---- MFnDagNode

MFnDagNode::MFnDagNode(const MObject& object, MStatus* status) { report(status, setObject(object)); }
MFnDagNode::MFnDagNode(const MDagPath& path, MStatus* status) { report(status, setObject(path.node())); }

MStatus MFnDagNode::setObject(const MObject& object) {
    object_ = object;
    return dagNode(object) ? MStatus() : MStatus(MS::kInvalidParameter, "(kInvalidParameter): Not a DAG node");
}

MObject MFnDagNode::create(const MString& typeName, const MObject& parent, MStatus* status) {
    return create(typeName, "", parent, status);
}

MObject MFnDagNode::create(const MString& typeName, const MString& name, const MObject& parent, MStatus* status) {
    Node* up = parent.isNull() ? nullptr : dagNode(parent);
    if (!parent.isNull() && !up) {
        report(status, MStatus(MS::kInvalidParameter, "(kInvalidParameter): The parent is not a DAG node"));
        return MObject();
    }
    object_ = createNode(typeName.asChar(), name.asChar(), up, status);
    return object_;
}

unsigned int MFnDagNode::parentCount(MStatus* status) const {
    Node* node = dagNode(object_);
    report(status, node ? MStatus() : noNode());
    return node && node->parent ? 1 : 0;
}

MObject MFnDagNode::parent(unsigned int index, MStatus* status) const {
    Node* node = dagNode(object_);
    bool ok = node && node->parent && index == 0;
    report(status, ok ? MStatus() : MStatus(MS::kInvalidParameter, "(kInvalidParameter): No parent of that index"));
    return ok ? node->parent->object() : MObject();
}

unsigned int MFnDagNode::childCount(MStatus* status) const {
    Node* node = dagNode(object_);
    report(status, node ? MStatus() : noNode());
    return node ? unsigned(node->children.size()) : 0;
}

MObject MFnDagNode::child(unsigned int index, MStatus* status) const {
    Node* node = dagNode(object_);
    bool ok = node && index < node->children.size();
    report(status, ok ? MStatus() : MStatus(MS::kInvalidParameter, "(kInvalidParameter): No child of that index"));
    return ok ? node->children[index]->object() : MObject();
}

MStatus MFnDagNode::getPath(MDagPath& path) const { return MDagPath::getAPathTo(object_, path); }

MDagPath MFnDagNode::dagPath(MStatus* status) const {
    MDagPath path;
    report(status, getPath(path));
    return path;
}

MString MFnDagNode::fullPathName(MStatus* status) const { return dagPath().fullPathName(status); }
MString MFnDagNode::partialPathName(MStatus* status) const { return dagPath().partialPathName(status); }

// ---- MSelectionList

MStatus MSelectionList::add(const MString& name, bool) {
    const std::string text = name.asChar();
    if (text.find('.') == std::string::npos) {
        Node* node = Scene::current().findNode(text);
        if (!node) return MStatus(MS::kInvalidParameter, MString("(kInvalidParameter): No object matches name: ") + name);
        items_.push_back(Item{node->object(), MPlug()});
        return MS::kSuccess;
    }
    mayahost::PlugRef plug;
    std::string error;
    if (!Scene::current().parsePlug(text, plug, error)) return MStatus(MS::kInvalidParameter, error.c_str());
    items_.push_back(Item{plug.node->object(), MPlug(plug.node->object(), plug.path)});
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MObject& node, bool) {
    if (!mayahost::nodeOf(node)) return noNode();
    items_.push_back(Item{node, MPlug()});
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MDagPath& path, const MObject&, bool) { return add(path.node()); }

MStatus MSelectionList::add(const MPlug& plug, bool) {
    if (plug.isNull()) return MS::kInvalidParameter;
    items_.push_back(Item{plug.node(), plug});
    return MS::kSuccess;
}

MStatus MSelectionList::remove(unsigned int index) {
    if (index >= items_.size()) return MS::kInvalidParameter;
    items_.erase(items_.begin() + index);
    return MS::kSuccess;
}

MStatus MSelectionList::clear() {
    items_.clear();
    return MS::kSuccess;
}

unsigned int MSelectionList::length(MStatus* status) const {
    report(status, MS::kSuccess);
    return unsigned(items_.size());
}

MStatus MSelectionList::getDependNode(unsigned int index, MObject& node) const {
    if (index >= items_.size() || !mayahost::nodeOf(items_[index].node)) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): No item of that index");
    node = items_[index].node;
    return MS::kSuccess;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& path, MObject& component) const {
    component = MObject();
    return getDagPath(index, path);
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& path) const {
    if (index >= items_.size()) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): No item of that index");
    return MDagPath::getAPathTo(items_[index].node, path);
}

MStatus MSelectionList::getPlug(unsigned int index, MPlug& plug) const {
    if (index >= items_.size() || items_[index].plug.isNull()) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The item is not a plug");
    plug = items_[index].plug;
    return MS::kSuccess;
}

MStatus MSelectionList::getSelectionStrings(MStringArray& names) const {
    names.clear();
    for (auto& item : items_) {
        if (!item.plug.isNull()) names.append(item.plug.name());
        else if (Node* node = mayahost::nodeOf(item.node)) names.append(MString(node->name));
    }
    return MS::kSuccess;
}
