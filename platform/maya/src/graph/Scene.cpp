// The dependency graph: nodes, names, connections, dirty propagation and evaluation.
#include "graph/Scene.h"

#include <maya/MDataBlock.h>
#include <maya/MGlobal.h>
#include <maya/MPxNode.h>

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "graph/Dag.h"
#include "graph/Registry.h"
#include "viewport/Camera.h"

namespace mayahost {

namespace {

MStatus failure(const std::string& text) { return MStatus(MS::kFailure, text.c_str()); }

bool related(const Attribute* a, const Attribute* b) {
    return a == b || a->isAncestorOf(b) || b->isAncestorOf(a);
}

bool isComputed(const NodeType& type, const Attribute* attribute) {
    for (const Attribute* a = attribute; a; a = a->parent)
        if (type.affected.count(a) || !a->writable) return true;
    return false;
}

void collectDescendants(const Attribute* attribute, std::vector<const Attribute*>& out) {
    for (auto& c : attribute->children) {
        out.push_back(c.get());
        collectDescendants(c.get(), out);
    }
}

// The attribute and the attributes below it.
std::vector<const Attribute*> familyBelow(const Attribute* attribute) {
    std::vector<const Attribute*> family{attribute};
    collectDescendants(attribute, family);
    return family;
}

// The attribute, its ancestors and its descendants: what a change to it touches.
std::vector<const Attribute*> familyOf(const Attribute* attribute) {
    std::vector<const Attribute*> family = familyBelow(attribute);
    for (const Attribute* a = attribute->parent; a; a = a->parent) family.push_back(a);
    return family;
}

// The value one component of a numeric compound, or a plain number, holds.
double componentOf(const Attribute& attribute, const Slot& slot, int i) {
    if (attribute.isNumericCompound() || attribute.component >= 0)
        return attribute.heldValue(slot.number[i]);
    auto child = i < int(attribute.children.size()) ? slot.children.find(attribute.children[i].get()) : slot.children.end();
    return child == slot.children.end() ? 0.0
                                        : attribute.children[i]->heldValue(child->second.number[0]);
}

// Copies a value between attributes of the same shape, matching compound children by position,
// so a numeric triple (boundingBoxMin of a mesh) feeds a compound of three numbers and back.
// Numbers pass on as the source plug holds them (a whole-number plug its held value), not as
// they were stored there.
void copyStructured(const Attribute& fromAttribute, const Slot& from, const Attribute& toAttribute, Slot& to) {
    to.data = from.data;
    for (int i = 0; i < 4; ++i) to.number[i] = fromAttribute.heldValue(from.number[i]);
    if (toAttribute.array && fromAttribute.array) {
        to.elements.clear();
        for (auto& element : from.elements) {
            Slot& target = to.elements[element.first];
            initializeSlot(toAttribute, target);
            copyStructured(fromAttribute, element.second, toAttribute, target);
        }
    }
    if (toAttribute.kind != Attribute::Kind::Compound) {
        if (toAttribute.isNumericCompound() && fromAttribute.kind == Attribute::Kind::Compound)
            for (int i = 0; i < toAttribute.componentCount(); ++i) to.number[i] = componentOf(fromAttribute, from, i);
        return;
    }
    for (size_t i = 0; i < toAttribute.children.size(); ++i) {
        const Attribute& toChild = *toAttribute.children[i];
        Slot& target = to.children[&toChild];
        if (i >= fromAttribute.children.size()) continue;
        const Attribute& fromChild = *fromAttribute.children[i];
        if (fromAttribute.kind == Attribute::Kind::Compound) {
            auto source = from.children.find(&fromChild);
            if (source != from.children.end()) copyStructured(fromChild, source->second, toChild, target);
        } else {
            target.number[0] = componentOf(fromAttribute, from, int(i));
        }
    }
}

// Copies a pulled value, converting between a numeric compound's component and a number.
void copyValue(const Attribute& fromAttribute, const Slot& from, int fromComponent, const Attribute& toAttribute,
               Slot& to, int toComponent) {
    if (fromComponent >= 0 || toComponent >= 0) {
        to.number[std::max(toComponent, 0)] =
            fromAttribute.heldValue(from.number[std::max(fromComponent, 0)]);
        return;
    }
    copyStructured(fromAttribute, from, toAttribute, to);
}

// Times are held in seconds; a plain number connected to or from one is in the current unit.
void convertTime(const Attribute& from, const Attribute& to, Slot& target, int toComponent) {
    bool fromTime = from.kind == Attribute::Kind::Time, toTime = to.kind == Attribute::Kind::Time;
    if (fromTime == toTime) return;
    double& number = target.number[std::max(toComponent, 0)];
    number = fromTime ? MTime(number, MTime::kSeconds).as(MTime::uiUnit()) : MTime(number, MTime::uiUnit()).as(MTime::kSeconds);
}

bool validName(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#';
    });
}

}  // namespace

std::string PlugRef::name() const {
    std::string text = node ? node->name : std::string();
    std::string attributes;
    for (size_t i = 0; i < path.size(); ++i) {
        const PlugStep& step = path[i];
        bool nextIsChild = i + 1 < path.size();
        // Parents without an index add nothing to the name of their child.
        if (nextIsChild && step.index < 0) continue;
        if (!attributes.empty()) attributes += ".";
        attributes += step.attribute->longName;
        if (step.index >= 0) attributes += "[" + std::to_string(step.index) + "]";
    }
    return text + "." + attributes;
}

bool pathsOverlap(const PlugPath& a, const PlugPath& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i].attribute != b[i].attribute) return false;
        if (a[i].index >= 0 && b[i].index >= 0 && a[i].index != b[i].index) return false;
    }
    return true;
}

PlugPath pathOf(const Attribute* attribute, int index) {
    PlugPath path;
    for (const Attribute* a = attribute; a; a = a->parent) path.insert(path.begin(), PlugStep{a, -1});
    if (!path.empty()) path.back().index = index;
    return path;
}

Scene& Scene::current() {
    static Scene scene;
    return scene;
}

Scene::Scene() {
    registerBuiltinTypes();
    reset();
}

void Scene::reset() {
    for (auto& node : nodes_) {
        node->alive = false;
        delete node->user;
        node->user = nullptr;
        node->children.clear();
        node->parent = nullptr;
    }
    nodes_.clear();
    byName_.clear();
    firstFreeNumber_.clear();
    connections_.clear();
    incoming_.clear();
    outgoing_.clear();
    timeNode_ = nullptr;
    time_ = MTime(1.0, MTime::uiUnit());
    MStatus status;
    NodePtr time = createNode("time", "time1", nullptr, status);
    timeNode_ = time.get();
    createDefaultCameras(*this);
}

std::string Scene::uniqueName(const std::string& requested, const Node* except) const {
    auto isFree = [&](const std::string& name) {
        auto it = byName_.find(name);
        return it == byName_.end() || it->second == except;
    };
    std::string pattern = requested;
    size_t hash = pattern.find('#');
    if (hash == std::string::npos) {
        if (isFree(pattern)) return pattern;
        size_t end = pattern.size();
        while (end > 1 && std::isdigit(static_cast<unsigned char>(pattern[end - 1]))) --end;
        pattern = pattern.substr(0, end) + "#";
        hash = pattern.size() - 1;
    }
    unsigned& firstFree = firstFreeNumber_[pattern];
    for (unsigned n = std::max(firstFree, 1u);; ++n) {
        std::string name = pattern.substr(0, hash) + std::to_string(n) + pattern.substr(hash + 1);
        name.erase(std::remove(name.begin(), name.end(), '#'), name.end());
        if (isFree(name)) {
            firstFree = n;
            return name;
        }
    }
}

void Scene::releaseName(const std::string& name) {
    byName_.erase(name);
    firstFreeNumber_.clear();
}

MStatus Scene::renameNode(Node& node, const std::string& requested) {
    if (!validName(requested)) return failure("Invalid node name: \"" + requested + "\"");
    std::string name = uniqueName(requested, &node);
    releaseName(node.name);
    node.name = name;
    byName_[name] = &node;
    return MS::kSuccess;
}

NodePtr Scene::createNode(const std::string& typeName, const std::string& name, Node* parent, MStatus& status) {
    NodeType* type = Registry::instance().findType(typeName);
    if (!type) {
        status = failure("Unknown object type: " + typeName + " (is its plug-in loaded?)");
        return nullptr;
    }
    if (!name.empty() && !validName(name)) {
        status = failure("Invalid node name: \"" + name + "\"");
        return nullptr;
    }
    if (parent && (!type->isDag() || parent->type->kind != NodeKind::Transform)) {
        status = failure(type->isDag() ? "The parent of " + typeName + " must be a transform, not " + parent->name
                                       : typeName + " is not a DAG node and cannot have a parent");
        return nullptr;
    }
    NodePtr transform;
    if (type->isShape() && !parent) {
        transform = createNode("transform", "transform#", nullptr, status);
        if (!transform) return nullptr;
        parent = transform.get();
    }
    auto node = std::make_shared<Node>(Registry::instance().sharedType(type));
    node->user = type->creator ? type->creator() : nullptr;
    if (!node->user) {
        if (transform) deleteNode(*transform);
        status = failure("The creator of " + typeName + " made no node");
        return nullptr;
    }
    node->user->setHostNode(node.get());
    std::string requested = !name.empty() ? name : parent && type->isShape() ? parent->name + "Shape" : typeName + "#";
    node->name = uniqueName(requested);
    byName_[node->name] = node.get();
    nodes_.push_back(node);
    if (parent) {
        node->parent = parent;
        parent->children.push_back(node.get());
    }
    for (Attribute* a : type->allAttributes)
        if (isComputed(*type, a)) node->dirty.insert(a);
    node->user->postConstructor();
    status = MS::kSuccess;
    return node;
}

MStatus Scene::deleteNode(Node& node) {
    if (!node.alive) return failure("The node was already deleted");
    if (&node == timeNode_) return failure("Cannot delete " + node.name);
    // The node and everything below it, each parent before its children.
    std::vector<NodePtr> doomed{node.shared_from_this()};
    for (size_t i = 0; i < doomed.size(); ++i)
        for (Node* child : doomed[i]->children) doomed.push_back(child->shared_from_this());
    if (node.parent) {
        auto& siblings = node.parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), &node), siblings.end());
    }
    std::unordered_set<const Node*> gone;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        Node& n = **it;
        removeConnectionsOf(n);
        n.parent = nullptr;
        n.children.clear();
        releaseName(n.name);
        n.alive = false;
        delete n.user;
        n.user = nullptr;
        gone.insert(&n);
    }
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(), [&](const NodePtr& n) { return gone.count(n.get()) > 0; }),
                 nodes_.end());
    return MS::kSuccess;
}

Node* Scene::findNode(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

std::vector<NodePtr> Scene::nodesOfType(const NodeType* type) const {
    std::vector<NodePtr> found;
    for (auto& node : nodes_)
        if (node->type.get() == type) found.push_back(node);
    return found;
}

bool Scene::parsePlug(const std::string& text, PlugRef& plug, std::string& error) const {
    size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 >= text.size()) {
        error = "\"" + text + "\" is not a plug (node.attribute)";
        return false;
    }
    Node* node = findNode(text.substr(0, dot));
    if (!node) {
        error = "No object matches name: " + text.substr(0, dot);
        return false;
    }
    plug.node = node->shared_from_this();
    plug.path.clear();
    std::string rest = text.substr(dot + 1);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('.', start);
        std::string segment = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
        int index = -1;
        size_t bracket = segment.find('[');
        if (bracket != std::string::npos) {
            size_t close = segment.find(']', bracket);
            std::string digits = close == std::string::npos ? "" : segment.substr(bracket + 1, close - bracket - 1);
            if (digits.empty() || digits.size() > 9 || close + 1 != segment.size() ||
                !std::all_of(digits.begin(), digits.end(), ::isdigit)) {
                error = "Invalid element index in " + text;
                return false;
            }
            index = std::stoi(digits);
            segment = segment.substr(0, bracket);
        }
        const Attribute* attribute = nullptr;
        if (plug.path.empty()) {
            attribute = node->type->findAttribute(segment);
        } else {
            for (auto& c : plug.path.back().attribute->children)
                if (c->longName == segment || c->shortName == segment) attribute = c.get();
        }
        if (!attribute) {
            error = "No attribute '" + segment + "' on " + node->name + " (" + node->type->name + ")";
            return false;
        }
        if (index >= 0 && !attribute->array) {
            error = text + ": " + attribute->longName + " is not an array";
            return false;
        }
        if (plug.path.empty()) {
            plug.path = pathOf(attribute, index);
        } else {
            plug.path.push_back(PlugStep{attribute, index});
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return true;
}

// ---- connections

static bool compatible(const Attribute& a, const Attribute& b) {
    using K = Attribute::Kind;
    auto scalar = [](const Attribute& x) {
        return (x.kind == K::Numeric && x.componentCount() == 1) || x.kind == K::Enum || x.kind == K::Time ||
               x.kind == K::Angle || x.kind == K::Distance;
    };
    if (scalar(a) && scalar(b)) return true;
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case K::Numeric: return a.componentCount() == b.componentCount();
        case K::Typed: return a.dataType == b.dataType;
        case K::Compound: return a.children.size() == b.children.size();
        default: return true;
    }
}

static bool needsIndex(const PlugPath& path) {
    for (const PlugStep& s : path)
        if (s.attribute->array && s.index < 0) return true;
    return false;
}

MStatus Scene::connect(const PlugRef& source, const PlugRef& destination, bool force) {
    if (!source.node || !destination.node || !source.node->alive || !destination.node->alive)
        return failure("connectAttr: a node of the connection does not exist");
    const Attribute* from = source.attribute();
    const Attribute* to = destination.attribute();
    if (!from->readable || !from->connectable) return failure("The source attribute '" + source.name() + "' cannot be connected");
    if (!to->writable || !to->connectable) return failure("The destination attribute '" + destination.name() + "' cannot be connected to");
    if (needsIndex(source.path) || needsIndex(destination.path))
        return failure("Array plugs need an element index: " + (needsIndex(source.path) ? source.name() : destination.name()));
    if (!compatible(*from, *to))
        return failure("The attribute '" + source.name() + "' cannot be connected to '" + destination.name() + "': their types differ");
    for (auto it : connectionsInto(*destination.node)) {
        if (!pathsOverlap(it->destination.path, destination.path)) continue;
        if (it->source.node == source.node && it->source.path == source.path && it->destination.path == destination.path)
            return failure("'" + source.name() + "' is already connected to '" + destination.name() + "'");
        if (!force) return failure("'" + destination.name() + "' already has an incoming connection from '" + it->source.name() + "'");
        eraseConnection(it);
        break;
    }
    // As the host's users expect, a cycle is allowed with a warning; its evaluation does not
    // re-enter a plug that is being evaluated, so it ends with the values the cycle held.
    if (closesCycle(source, destination))
        MGlobal::displayWarning(("connectAttr: connecting '" + source.name() + "' to '" + destination.name() +
                                 "' closes a cycle; the plugs of the cycle may not evaluate as expected")
                                    .c_str());
    auto added = connections_.insert(connections_.end(), Connection{source, destination});
    incoming_[destination.node.get()].push_back(added);
    outgoing_[source.node.get()].push_back(added);
    dirty(*destination.node, to);
    return MS::kSuccess;
}

MStatus Scene::disconnect(const PlugRef& source, const PlugRef& destination) {
    for (auto it : connectionsInto(*destination.node)) {
        if (it->source.node == source.node && it->source.path == source.path && it->destination.path == destination.path) {
            // The destination keeps the last value that came through.
            evaluate(*destination.node, destination.path);
            eraseConnection(it);
            propagate(*destination.node, destination.attribute());
            return MS::kSuccess;
        }
    }
    return failure("There is no connection from '" + source.name() + "' to '" + destination.name() + "'");
}

const std::vector<std::list<Connection>::iterator>& Scene::connectionsInto(const Node& node) const {
    static const std::vector<std::list<Connection>::iterator> none;
    auto found = incoming_.find(&node);
    return found == incoming_.end() ? none : found->second;
}

const std::vector<std::list<Connection>::iterator>& Scene::connectionsFrom(const Node& node) const {
    static const std::vector<std::list<Connection>::iterator> none;
    auto found = outgoing_.find(&node);
    return found == outgoing_.end() ? none : found->second;
}

void Scene::eraseConnection(std::list<Connection>::iterator connection) {
    auto forget = [&](auto& index, const Node* node) {
        auto found = index.find(node);
        if (found == index.end()) return;
        auto& list = found->second;
        list.erase(std::remove(list.begin(), list.end(), connection), list.end());
        if (list.empty()) index.erase(found);
    };
    forget(incoming_, connection->destination.node.get());
    forget(outgoing_, connection->source.node.get());
    connections_.erase(connection);
}

const Connection* Scene::incoming(const PlugRef& destination) const {
    for (auto c : connectionsInto(*destination.node))
        if (c->destination.path == destination.path) return &*c;
    return nullptr;
}

std::vector<Connection> Scene::incomingTo(const Node& node) const {
    std::vector<Connection> found;
    for (auto c : connectionsInto(node)) found.push_back(*c);
    return found;
}

std::vector<Connection> Scene::outgoing(const PlugRef& source) const {
    std::vector<Connection> found;
    for (auto c : connectionsFrom(*source.node))
        if (c->source.path == source.path) found.push_back(*c);
    return found;
}

void Scene::removeConnectionsOf(const Node& node) {
    std::vector<PlugRef> cutOff;
    while (!connectionsInto(node).empty()) eraseConnection(connectionsInto(node).back());
    while (!connectionsFrom(node).empty()) {
        auto c = connectionsFrom(node).back();
        if (c->destination.node.get() != &node) cutOff.push_back(c->destination);
        eraseConnection(c);
    }
    for (auto& plug : cutOff)
        if (plug.node->alive) propagate(*plug.node, plug.attribute());
}

// ---- dirtiness

bool Scene::isDirty(const Node& node, const Attribute* attribute) const {
    if (node.dirty.count(attribute)) return true;
    std::vector<const Attribute*> below;
    collectDescendants(attribute, below);
    for (const Attribute* a : below)
        if (node.dirty.count(a)) return true;
    return false;
}

void Scene::clean(Node& node, const Attribute* attribute) {
    node.dirty.erase(attribute);
    std::vector<const Attribute*> below;
    collectDescendants(attribute, below);
    for (const Attribute* a : below) node.dirty.erase(a);
    for (const Attribute* a = attribute->parent; a; a = a->parent) node.dirty.erase(a);
}

void Scene::dirty(Node& node, const Attribute* attribute) { markDirty({{&node, attribute}}); }

void Scene::propagate(Node& node, const Attribute* changed) {
    std::vector<GraphPlug> work;
    forEachDownstream(node, changed, [&](Node& n, const Attribute* a) { work.push_back({&n, a}); });
    markDirty(std::move(work));
}

// A plug that is dirty has everything downstream of it dirty already, so the walk stops there:
// a change costs what it newly dirties, and a cycle is walked once.
void Scene::markDirty(std::vector<GraphPlug> work) {
    while (!work.empty()) {
        GraphPlug plug = work.back();
        work.pop_back();
        if (!plug.first->dirty.insert(plug.second).second) continue;
        std::vector<const Attribute*> below;
        collectDescendants(plug.second, below);
        plug.first->dirty.insert(below.begin(), below.end());
        forEachDownstream(*plug.first, plug.second, [&](Node& n, const Attribute* a) { work.push_back({&n, a}); });
    }
}

// ---- the graph's edges, attribute by attribute

void Scene::forEachDownstream(Node& node, const Attribute* changed, const PlugVisit& visit) const {
    for (const Attribute* a : familyOf(changed)) {
        auto it = node.type->affects.find(a);
        if (it == node.type->affects.end()) continue;
        for (const Attribute* affected : it->second) visit(node, affected);
    }
    for (auto c : connectionsFrom(node))
        if (related(c->source.attribute(), changed)) visit(*c->destination.node, c->destination.attribute());
    if (changed == worldMatrixAttribute())
        for (Node* child : node.children) visit(*child, changed);
}

// Exactly the plugs whose forEachDownstream visits this one.
void Scene::forEachUpstream(Node& node, const Attribute* attribute, const PlugVisit& visit) const {
    auto inputs = node.type->affectedBy.find(attribute);
    if (inputs != node.type->affectedBy.end())
        for (const Attribute* input : inputs->second)
            for (const Attribute* a : familyOf(input)) visit(node, a);
    for (auto c : connectionsInto(node))
        if (c->destination.attribute() == attribute)
            for (const Attribute* a : familyOf(c->source.attribute())) visit(*c->source.node, a);
    if (attribute == worldMatrixAttribute() && node.parent) visit(*node.parent, attribute);
}

// Walks downstream from the destination and upstream from the source in turns, so a new
// connection costs what the smaller of the two sides holds.
bool Scene::closesCycle(const PlugRef& source, const PlugRef& destination) const {
    struct Side {
        std::vector<GraphPlug> frontier;
        std::set<GraphPlug> seen;
    };
    GraphPlug from{source.node.get(), source.attribute()}, to{destination.node.get(), destination.attribute()};
    Side sides[2] = {{{to}, {to}}, {{from}, {from}}};
    if (from == to) return true;
    for (int turn = 0; !sides[0].frontier.empty() && !sides[1].frontier.empty(); turn ^= 1) {
        Side& side = sides[turn];
        const Side& other = sides[turn ^ 1];
        GraphPlug plug = side.frontier.back();
        side.frontier.pop_back();
        bool met = false;
        auto visit = [&](Node& n, const Attribute* a) {
            GraphPlug next{&n, a};
            if (!side.seen.insert(next).second) return;
            met = met || other.seen.count(next);
            side.frontier.push_back(next);
        };
        if (turn == 0) forEachDownstream(*plug.first, plug.second, visit);
        else forEachUpstream(*plug.first, plug.second, visit);
        if (met) return true;
    }
    return false;
}

// ---- values and evaluation

Slot* Scene::slotFor(Node& node, const PlugPath& path, int* component) {
    if (component) *component = -1;
    if (path.empty() || !node.type->hasAttribute(path[0].attribute)) return nullptr;
    Slot* slot = &node.slot(path[0].attribute);
    auto enter = [](Slot* s, const Attribute* a, int index) {
        if (index < 0) return s;
        auto found = s->elements.find(unsigned(index));
        if (found != s->elements.end()) return &found->second;
        Slot& element = s->elements[unsigned(index)];
        initializeSlot(*a, element);
        return &element;
    };
    slot = enter(slot, path[0].attribute, path[0].index);
    for (size_t i = 1; i < path.size(); ++i) {
        const Attribute* a = path[i].attribute;
        if (a->component >= 0) {
            if (component) *component = a->component;
            continue;
        }
        auto found = slot->children.find(a);
        if (found == slot->children.end()) {
            found = slot->children.emplace(a, Slot()).first;
            if (!a->array) initializeSlot(*a, found->second);
        }
        slot = enter(&found->second, a, path[i].index);
    }
    return slot;
}

MStatus Scene::setValue(Node& node, const PlugPath& path, const std::function<void(Slot&, int)>& write) {
    if (!node.alive) return failure("The node was deleted");
    PlugRef plug{node.shared_from_this(), path};
    for (auto c : connectionsInto(node))
        if (pathsOverlap(c->destination.path, path))
            return failure("The attribute '" + plug.name() + "' is connected and cannot be set");
    int component = -1;
    Slot* slot = slotFor(node, path, &component);
    if (!slot) return failure("No such attribute on " + node.name);
    write(*slot, component);
    clean(node, path.back().attribute);
    propagate(node, path.back().attribute);
    return MS::kSuccess;
}

MStatus checkWritable(const PlugRef& plug) {
    for (const Attribute* a = plug.attribute(); a; a = a->parent)
        if (!a->writable)
            return failure("The attribute '" + plug.name() + "' is not writable and cannot be set");
    return MS::kSuccess;
}

MStatus Scene::pullConnections(Node& node, const PlugPath& path, bool& connected) {
    std::vector<Connection> sources;
    for (auto c : connectionsInto(node))
        if (related(c->destination.attribute(), path.back().attribute)) sources.push_back(*c);
    connected = !sources.empty();
    MStatus result;
    for (auto& c : sources) {
        Node& from = *c.source.node;
        MStatus status = evaluate(from, c.source.path);
        if (!status) result = status;
        int fromComponent = -1, toComponent = -1;
        Slot* value = slotFor(from, c.source.path, &fromComponent);
        Slot* target = slotFor(node, c.destination.path, &toComponent);
        if (value && target) {
            copyValue(*c.source.attribute(), *value, fromComponent, *c.destination.attribute(), *target, toComponent);
            convertTime(*c.source.attribute(), *c.destination.attribute(), *target, toComponent);
        }
    }
    return result;
}

// The node marks the plug clean (setClean) when its compute succeeds; one that does not is
// computed again on the next read.
MStatus Scene::compute(Node& node, const PlugPath& path) {
    const Attribute* attribute = path.back().attribute;
    MPlug plug(node.object(), path);
    MDataBlock block(&node);
    Slot before = node.slot(path[0].attribute);
    ++node.computeCalls[attribute];
    MStatus status = node.user ? node.user->compute(plug, block) : MStatus(MS::kUnknownParameter);
    if (status == MS::kUnknownParameter) {
        clean(node, attribute);
        return MS::kSuccess;
    }
    if (!status) {
        node.slot(path[0].attribute) = before;  // a failed compute leaves the previous value
        node.dirty.insert(attribute);
    }
    return status;
}

MStatus Scene::evaluate(Node& node, const PlugPath& path) {
    if (!node.alive) return failure("The node was deleted");
    if (path.empty()) return failure("Empty plug");
    const Attribute* attribute = path.back().attribute;
    if (!isDirty(node, attribute)) return MS::kSuccess;
    if (node.evaluating.count(attribute)) {
        // A cycle leads back here: the reader gets the value held now and stays dirty.
        markReaderStale();
        return MS::kSuccess;
    }
    if (walked_.count({&node, attribute})) {
        markReaderStale();
        return MS::kSuccess;
    }
    if (staleInputs_.size() < kNestedEvaluations) return evaluatePlug(node, path);
    const bool outermost = !walking_;
    walking_ = true;
    evaluateUpstreamFirst(node, attribute);
    MStatus status = evaluatePlug(node, path);
    if (outermost) {
        walking_ = false;
        walked_.clear();
    }
    return status;
}

MStatus Scene::evaluatePlug(Node& node, const PlugPath& path) {
    const Attribute* attribute = path.back().attribute;
    node.evaluating.insert(attribute);
    staleInputs_.push_back(false);
    MStatus status = bringUpToDate(node, path);
    bool stale = staleInputs_.back();
    staleInputs_.pop_back();
    node.evaluating.erase(attribute);
    // A value made from an input that is still dirty is not current either.
    if (stale) node.dirty.insert(attribute);
    if (isDirty(node, attribute)) markReaderStale();
    return status;
}

void Scene::markReaderStale() {
    if (!staleInputs_.empty()) staleInputs_.back() = true;
}

MStatus Scene::bringUpToDate(Node& node, const PlugPath& path) {
    const Attribute* attribute = path.back().attribute;
    bool connected = false;
    MStatus status = pullConnections(node, path, connected);
    if (connected) {
        clean(node, attribute);
        return status;
    }
    if (computeDagAttribute(node, attribute)) {
        clean(node, attribute);
        return MS::kSuccess;
    }
    if (isComputed(*node.type, attribute)) return compute(node, path);
    clean(node, attribute);
    return MS::kSuccess;
}

// A post-order walk with a stack of its own: each dirty plug upstream is evaluated after the
// plugs it is made from, so its compute finds its inputs current and nests no further.
void Scene::evaluateUpstreamFirst(Node& node, const Attribute* attribute) {
    struct Pending {
        GraphPlug plug;
        bool inputsQueued;
    };
    std::vector<Pending> work{{{&node, attribute}, false}};
    std::set<GraphPlug> queued{{&node, attribute}};
    // What stays dirty here is met again, and reported, by the compute that reads it.
    staleInputs_.push_back(false);
    while (work.size() > 1 || !work.back().inputsQueued) {
        Pending& next = work.back();
        GraphPlug plug = next.plug;
        if (next.inputsQueued) {
            work.pop_back();
            if (isDirty(*plug.first, plug.second) && !plug.first->evaluating.count(plug.second) &&
                walked_.insert(plug).second)
                evaluatePlug(*plug.first, pathOf(plug.second));
            continue;
        }
        next.inputsQueued = true;
        // Reading a compound reads its children, and the connections into them.
        for (const Attribute* part : familyBelow(plug.second))
            forEachUpstream(*plug.first, part, [&](Node& n, const Attribute* a) {
                if (isDirty(n, a) && !n.evaluating.count(a) && queued.insert({&n, a}).second)
                    work.push_back({{&n, a}, false});
            });
    }
    staleInputs_.pop_back();
}

namespace {

std::vector<Scene::TimeListener>& timeListeners() {
    static std::vector<Scene::TimeListener> listeners;
    return listeners;
}

}  // namespace

void Scene::addTimeListener(TimeListener listener) { timeListeners().push_back(std::move(listener)); }

void Scene::setTime(const MTime& time) {
    const MTime previous = time_;
    time_ = time;
    if (timeNode_) dirty(*timeNode_, timeNode_->type->findAttribute("outTime"));
    for (const TimeListener& listener : timeListeners()) listener(previous, time);
}

}  // namespace mayahost
