#pragma once
// The scene: its nodes, their names and connections, and the evaluation of the dependency
// graph (dirty propagation and pulling values through computes and connections).
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MTime.h>

#include <functional>
#include <list>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "graph/Node.h"

namespace mayahost {

using PlugStep = MPlug::Step;
using PlugPath = std::vector<MPlug::Step>;


// A plug as the graph sees it: a node and a path of attributes and element indices.
struct PlugRef {
    NodePtr node;
    PlugPath path;
    const Attribute* attribute() const { return path.empty() ? nullptr : path.back().attribute; }
    std::string name() const;  // "node.attr[3].child"
};

struct Connection {
    PlugRef source;
    PlugRef destination;
};

class Scene {
public:
    static Scene& current();

    // Empties the scene (nodes, connections, time) and makes a fresh "time1" and "persp" camera.
    void reset();

    NodePtr createNode(const std::string& typeName, const std::string& name, Node* parent,
                       MStatus& status);
    MStatus deleteNode(Node& node);
    Node* findNode(const std::string& name) const;
    // The name itself when free, else with '#' (or an appended '#') replaced by the
    // smallest number that makes it free.
    std::string uniqueName(const std::string& requested, const Node* except = nullptr) const;
    MStatus renameNode(Node& node, const std::string& requested);
    const std::vector<NodePtr>& nodes() const { return nodes_; }
    std::vector<NodePtr> nodesOfType(const NodeType* type) const;

    // "node.attr[2].child" to a plug; a clear error when the node or attribute is unknown.
    bool parsePlug(const std::string& text, PlugRef& plug, std::string& error) const;

    MStatus connect(const PlugRef& source, const PlugRef& destination, bool force);
    MStatus disconnect(const PlugRef& source, const PlugRef& destination);
    const Connection* incoming(const PlugRef& destination) const;
    std::vector<Connection> outgoing(const PlugRef& source) const;
    // Every connection that ends at the node.
    std::vector<Connection> incomingTo(const Node& node) const;

    // Makes the plug's value current: pulls connected inputs, computes dirty outputs.
    MStatus evaluate(Node& node, const PlugPath& path);
    // The slot that stores the plug's value (created when absent) and, for a child of a
    // numeric compound, the component it is.
    Slot* slotFor(Node& node, const PlugPath& path, int* component);
    // Stores a new value in an unconnected plug and dirties what depends on it.
    MStatus setValue(Node& node, const PlugPath& path, const std::function<void(Slot&, int)>& write);
    // Marks the plug's attribute dirty and everything downstream of it.
    void dirty(Node& node, const Attribute* attribute);
    // Dirties what the attribute affects, inside the node and through connections.
    void propagate(Node& node, const Attribute* changed);
    bool isDirty(const Node& node, const Attribute* attribute) const;
    void clean(Node& node, const Attribute* attribute);

    MTime time() const { return time_; }
    // Sets the time, dirties what depends on it, then tells the time listeners.
    void setTime(const MTime& time);
    // Called after each setTime with the previous and the new time (the particle shapes step).
    using TimeListener = std::function<void(const MTime& previous, const MTime& now)>;
    static void addTimeListener(TimeListener listener);
    Node* timeNode() const { return timeNode_; }

private:
    using GraphPlug = std::pair<Node*, const Attribute*>;
    using PlugVisit = std::function<void(Node&, const Attribute*)>;
    // Evaluations nested inside one another (each plug of a chain, an input plug and the output
    // made from it for each node) before the rest of a chain is evaluated from its far end, with
    // a stack of its own.
    static constexpr size_t kNestedEvaluations = 100;

    Scene();
    void markDirty(std::vector<GraphPlug> work);
    // The plugs a change to this one dirties directly, and the plugs whose change dirties it.
    void forEachDownstream(Node& node, const Attribute* changed, const PlugVisit& visit) const;
    void forEachUpstream(Node& node, const Attribute* attribute, const PlugVisit& visit) const;
    // Whether a connection from source to destination would close a cycle.
    bool closesCycle(const PlugRef& source, const PlugRef& destination) const;
    MStatus evaluatePlug(Node& node, const PlugPath& path);
    MStatus bringUpToDate(Node& node, const PlugPath& path);
    void evaluateUpstreamFirst(Node& node, const Attribute* attribute);
    // Tells the evaluation in progress that an input it read is still dirty.
    void markReaderStale();
    MStatus pullConnections(Node& node, const PlugPath& path, bool& connected);
    MStatus compute(Node& node, const PlugPath& path);
    void removeConnectionsOf(const Node& node);
    void eraseConnection(std::list<Connection>::iterator connection);
    // The connections that end (incoming) or start (outgoing) at a node.
    const std::vector<std::list<Connection>::iterator>& connectionsInto(const Node& node) const;
    const std::vector<std::list<Connection>::iterator>& connectionsFrom(const Node& node) const;
    void releaseName(const std::string& name);

    std::vector<NodePtr> nodes_;
    std::map<std::string, Node*> byName_;
    // For each "#" pattern, a number below which every name of the pattern is taken: names are
    // numbered from there instead of from 1. Forgotten whenever a name is freed.
    mutable std::unordered_map<std::string, unsigned> firstFreeNumber_;
    std::list<Connection> connections_;  // indexed by node below
    std::unordered_map<const Node*, std::vector<std::list<Connection>::iterator>> incoming_, outgoing_;
    MTime time_;
    Node* timeNode_ = nullptr;
    // One entry per evaluation in progress: whether an input it read stayed dirty.
    std::vector<char> staleInputs_;
    // While a read evaluates a chain from its far end: the plugs evaluated so far. One that
    // stayed dirty (a compute that failed or did not mark it clean, a cycle) is not evaluated
    // again in the same read, or each of its readers would evaluate it anew.
    bool walking_ = false;
    std::set<GraphPlug> walked_;
};

// Fails with "The attribute 'node.attr' is not writable and cannot be set" for a plug whose
// attribute, or one it lies in, is declared not writable (an output that its node computes):
// commands give no value to such a plug.
MStatus checkWritable(const PlugRef& plug);
// True when one path is the other or lies inside it (an element or a child of it).
bool pathsOverlap(const PlugPath& a, const PlugPath& b);
// The plug's top-level-to-leaf attributes, as the graph stores and dirties them.
PlugPath pathOf(const Attribute* attribute, int index = -1);

}  // namespace mayahost
