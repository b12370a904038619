// Plugs: reading and writing node values by name, and their connections.
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <mayahost/ComputeCount.h>

#include <cmath>

#include "data/DataTypes.h"
#include "graph/NumberRange.h"
#include "graph/Scene.h"

using mayahost::Attribute;
using mayahost::Node;
using mayahost::PlugRef;
using mayahost::Scene;
using mayahost::Slot;

namespace {

MStatus invalidPlug() { return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The plug is null or its node was deleted"); }
MStatus wrongType(const PlugRef& plug, const char* what) {
    return MStatus(MS::kInvalidParameter, MString("(kInvalidParameter): ") + plug.name().c_str() + " does not hold " + what);
}

void report(MStatus* status, const MStatus& value) {
    if (status) *status = value;
}

bool resolve(const MObject& nodeObject, const std::vector<MPlug::Step>& path, PlugRef& plug) {
    Node* node = mayahost::nodeOf(nodeObject);
    if (!node || path.empty()) return false;
    plug.node = node->shared_from_this();
    plug.path = path;
    return true;
}

bool isNumericKind(const Attribute* a) {
    using K = Attribute::Kind;
    return a->kind == K::Numeric || a->kind == K::Enum || a->kind == K::Time || a->kind == K::Angle ||
           a->kind == K::Distance;
}

// A plug's number read as an integer type, saturating where the type cannot hold it.
template <typename Int>
MStatus readWhole(const MPlug& plug, Int& value) {
    double number = 0;
    MStatus status = plug.getValue(number);
    value = mayahost::toNearest<Int>(number);
    return status;
}

}  // namespace

MPlug::MPlug(const MObject& node, const MObject& attribute) {
    Node* n = mayahost::nodeOf(node);
    const Attribute* a = mayahost::attributeOf(attribute);
    if (!n || !a) return;
    mayahost::PlugPath path = mayahost::pathOf(a);
    if (!n->type->hasAttribute(path[0].attribute)) return;
    node_ = node;
    path_ = path;
}

bool MPlug::isNull(MStatus* status) const {
    report(status, MS::kSuccess);
    return path_.empty() || !mayahost::nodeOf(node_);
}

MObject MPlug::node(MStatus* status) const {
    report(status, isNull() ? invalidPlug() : MStatus());
    return node_;
}

MObject MPlug::attribute(MStatus* status) const {
    report(status, isNull() ? invalidPlug() : MStatus());
    if (path_.empty()) return MObject();
    auto* a = const_cast<Attribute*>(path_.back().attribute);
    return MObject(std::shared_ptr<mayahost::HostObject>(std::shared_ptr<void>(), a));
}

MString MPlug::name(MStatus* status) const {
    PlugRef plug;
    bool ok = resolve(node_, path_, plug);
    report(status, ok ? MStatus() : invalidPlug());
    return ok ? MString(plug.name()) : MString();
}

MString MPlug::info(MStatus* status) const { return name(status); }

MString MPlug::partialName(bool includeNodeName, bool, bool, bool, bool, bool useLongNames, MStatus* status) const {
    PlugRef plug;
    if (!resolve(node_, path_, plug)) {
        report(status, invalidPlug());
        return MString();
    }
    report(status, MS::kSuccess);
    std::string text;
    for (size_t i = 0; i < path_.size(); ++i) {
        if (i + 1 < path_.size() && path_[i].index < 0) continue;
        if (!text.empty()) text += ".";
        text += useLongNames ? path_[i].attribute->longName : path_[i].attribute->shortName;
        if (path_[i].index >= 0) text += "[" + std::to_string(path_[i].index) + "]";
    }
    return MString(includeNodeName ? plug.node->name + "." + text : text);
}

bool MPlug::isArray(MStatus* status) const {
    report(status, MS::kSuccess);
    return !path_.empty() && path_.back().attribute->array && path_.back().index < 0;
}

bool MPlug::isElement(MStatus* status) const {
    report(status, MS::kSuccess);
    return !path_.empty() && path_.back().index >= 0;
}

bool MPlug::isCompound(MStatus* status) const {
    report(status, MS::kSuccess);
    return !path_.empty() && !path_.back().attribute->children.empty();
}

bool MPlug::isChild(MStatus* status) const {
    report(status, MS::kSuccess);
    return path_.size() > 1 && path_.back().attribute->parent != nullptr;
}

unsigned int MPlug::logicalIndex(MStatus* status) const {
    bool ok = isElement();
    report(status, ok ? MStatus() : MStatus(MS::kFailure, "(kFailure): The plug is not an array element"));
    return ok ? unsigned(path_.back().index) : 0;
}

MPlug MPlug::elementByLogicalIndex(unsigned int index, MStatus* status) const {
    if (!isArray() || index > 0x7fffffffu) {
        report(status, MStatus(MS::kFailure, "(kFailure): The plug is not an array"));
        return MPlug();
    }
    MPlug element = *this;
    element.path_.back().index = int(index);
    report(status, MS::kSuccess);
    return element;
}

static std::vector<unsigned> existingIndices(const MObject& nodeObject, const std::vector<MPlug::Step>& path) {
    std::vector<unsigned> indices;
    PlugRef plug;
    if (!resolve(nodeObject, path, plug)) return indices;
    if (Slot* slot = Scene::current().slotFor(*plug.node, path, nullptr))
        for (auto& e : slot->elements) indices.push_back(e.first);
    return indices;
}

MPlug MPlug::elementByPhysicalIndex(unsigned int index, MStatus* status) const {
    std::vector<unsigned> indices = existingIndices(node_, path_);
    if (!isArray() || index >= indices.size()) {
        report(status, MStatus(MS::kFailure, "(kFailure): No element at that position"));
        return MPlug();
    }
    return elementByLogicalIndex(indices[index], status);
}

unsigned int MPlug::numElements(MStatus* status) const {
    report(status, isArray() ? MStatus() : MStatus(MS::kFailure, "(kFailure): The plug is not an array"));
    return static_cast<unsigned>(existingIndices(node_, path_).size());
}

unsigned int MPlug::evaluateNumElements(MStatus* status) const {
    PlugRef plug;
    if (resolve(node_, path_, plug)) Scene::current().evaluate(*plug.node, path_);
    return numElements(status);
}

int MPlug::getExistingArrayAttributeIndices(MIntArray& indices, MStatus* status) const {
    indices.clear();
    for (unsigned i : existingIndices(node_, path_)) indices.append(int(i));
    report(status, isArray() ? MStatus() : MStatus(MS::kFailure, "(kFailure): The plug is not an array"));
    return int(indices.length());
}

MPlug MPlug::array(MStatus* status) const {
    if (!isElement()) {
        report(status, MStatus(MS::kFailure, "(kFailure): The plug is not an array element"));
        return MPlug();
    }
    MPlug whole = *this;
    whole.path_.back().index = -1;
    report(status, MS::kSuccess);
    return whole;
}

MPlug MPlug::parent(MStatus* status) const {
    if (!isChild()) {
        report(status, MStatus(MS::kFailure, "(kFailure): The plug is not a child"));
        return MPlug();
    }
    MPlug up = *this;
    up.path_.pop_back();
    report(status, MS::kSuccess);
    return up;
}

unsigned int MPlug::numChildren(MStatus* status) const {
    report(status, MS::kSuccess);
    return path_.empty() ? 0 : unsigned(path_.back().attribute->children.size());
}

MPlug MPlug::child(unsigned int index, MStatus* status) const {
    if (path_.empty() || index >= path_.back().attribute->children.size()) {
        report(status, MStatus(MS::kFailure, "(kFailure): No child of that index"));
        return MPlug();
    }
    MPlug down = *this;
    down.path_.push_back(Step{path_.back().attribute->children[index].get(), -1});
    report(status, MS::kSuccess);
    return down;
}

MPlug MPlug::child(const MObject& attribute, MStatus* status) const {
    const Attribute* a = mayahost::attributeOf(attribute);
    if (!path_.empty() && a)
        for (unsigned i = 0; i < path_.back().attribute->children.size(); ++i)
            if (path_.back().attribute->children[i].get() == a) return child(i, status);
    report(status, MStatus(MS::kFailure, "(kFailure): Not a child of this plug"));
    return MPlug();
}

MStatus MPlug::selectAncestorLogicalIndex(unsigned int index, const MObject& attribute) {
    const Attribute* a = mayahost::attributeOf(attribute);
    for (auto it = path_.rbegin(); it != path_.rend(); ++it)
        if (it->attribute->array && (!a || it->attribute == a)) {
            it->index = int(index);
            return MS::kSuccess;
        }
    return MS::kFailure;
}

// ---- connections

bool MPlug::isSource(MStatus* status) const {
    PlugRef plug;
    report(status, MS::kSuccess);
    return resolve(node_, path_, plug) && !Scene::current().outgoing(plug).empty();
}

bool MPlug::isDestination(MStatus* status) const {
    PlugRef plug;
    report(status, MS::kSuccess);
    return resolve(node_, path_, plug) && Scene::current().incoming(plug) != nullptr;
}

bool MPlug::isConnected(MStatus* status) const { return isSource(status) || isDestination(status); }

bool MPlug::connectedTo(MPlugArray& plugs, bool asDst, bool asSrc, MStatus* status) const {
    plugs.clear();
    PlugRef plug;
    if (!resolve(node_, path_, plug)) {
        report(status, invalidPlug());
        return false;
    }
    report(status, MS::kSuccess);
    if (asDst)
        if (const mayahost::Connection* c = Scene::current().incoming(plug))
            plugs.append(MPlug(c->source.node->object(), c->source.path));
    if (asSrc)
        for (auto& c : Scene::current().outgoing(plug)) plugs.append(MPlug(c.destination.node->object(), c.destination.path));
    return plugs.length() > 0;
}

MPlug MPlug::source(MStatus* status) const {
    MPlugArray plugs;
    connectedTo(plugs, true, false, status);
    return plugs.length() ? plugs[0] : MPlug();
}

// ---- values

MStatus MPlug::readNumber(int, double& value) const {
    PlugRef plug;
    if (!resolve(node_, path_, plug)) return invalidPlug();
    if (!isNumericKind(plug.attribute()) || plug.attribute()->componentCount() != 1) return wrongType(plug, "a number");
    MStatus status = Scene::current().evaluate(*plug.node, path_);
    int component = -1;
    Slot* slot = Scene::current().slotFor(*plug.node, path_, &component);
    if (!slot) return invalidPlug();
    value = plug.attribute()->heldValue(slot->number[std::max(component, 0)]);
    return status;
}

MStatus MPlug::writeNumber(double value) {
    PlugRef plug;
    if (!resolve(node_, path_, plug)) return invalidPlug();
    const Attribute* a = plug.attribute();
    if (!isNumericKind(a) || a->componentCount() != 1) return wrongType(plug, "a number");
    if (!std::isfinite(value)) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The value is not a finite number");
    value = a->clamp(0, value);
    return Scene::current().setValue(*plug.node, path_, [value](Slot& slot, int component) {
        slot.number[std::max(component, 0)] = value;
    });
}

MStatus MPlug::getValue(bool& value) const { return readWhole(*this, value); }
MStatus MPlug::getValue(char& value) const {
    // A byte plug holds 0 to 255, read as the char of the same bits, as its data handle reads it.
    const Attribute* a = path_.empty() ? nullptr : path_.back().attribute;
    if (!a || a->numericType != MFnNumericData::kByte) return readWhole(*this, value);
    unsigned char byte = 0;
    MStatus status = readWhole(*this, byte);
    value = static_cast<char>(byte);
    return status;
}
MStatus MPlug::getValue(short& value) const { return readWhole(*this, value); }
MStatus MPlug::getValue(int& value) const { return readWhole(*this, value); }
MStatus MPlug::getValue(float& value) const { double d = 0; MStatus s = readNumber(0, d); value = float(d); return s; }
MStatus MPlug::getValue(double& value) const { return readNumber(0, value); }

MStatus MPlug::getValue(MTime& value) const {
    double seconds = 0;
    MStatus s = readNumber(0, seconds);
    value = MTime(seconds, MTime::kSeconds);
    value.setUnit(MTime::uiUnit());
    return s;
}

MStatus MPlug::getValue(MString& value) const {
    MObject data;
    MStatus s = getValue(data);
    auto text = std::dynamic_pointer_cast<mayahost::StringData>(data.host());
    if (!text) {
        PlugRef plug;
        resolve(node_, path_, plug);
        return s ? wrongType(plug, "a string") : s;
    }
    value = MString(text->value);
    return s;
}

MStatus MPlug::getValue(MObject& value) const {
    PlugRef plug;
    if (!resolve(node_, path_, plug)) return invalidPlug();
    MStatus status = Scene::current().evaluate(*plug.node, path_);
    Slot* slot = Scene::current().slotFor(*plug.node, path_, nullptr);
    value = slot ? MObject(slot->data) : MObject();
    return status;
}

MStatus MPlug::setValue(bool value) { return writeNumber(value ? 1.0 : 0.0); }
MStatus MPlug::setValue(char value) { return writeNumber(value); }
MStatus MPlug::setValue(short value) { return writeNumber(value); }
MStatus MPlug::setValue(int value) { return writeNumber(value); }
MStatus MPlug::setValue(float value) { return writeNumber(value); }
MStatus MPlug::setValue(double value) { return writeNumber(value); }
MStatus MPlug::setValue(const MTime& value) { return writeNumber(value.as(MTime::kSeconds)); }

MStatus MPlug::setValue(const MString& value) {
    PlugRef plug;
    if (!resolve(node_, path_, plug)) return invalidPlug();
    const Attribute* a = plug.attribute();
    if (a->kind != Attribute::Kind::Typed || a->dataType != MFnData::kString) return wrongType(plug, "a string");
    auto data = std::make_shared<mayahost::StringData>();
    data->value = value.asChar();
    return Scene::current().setValue(*plug.node, path_, [&](Slot& slot, int) { slot.data = data; });
}

MStatus MPlug::setValue(MObject& value) {
    PlugRef plug;
    if (!resolve(node_, path_, plug)) return invalidPlug();
    const Attribute* a = plug.attribute();
    auto data = std::dynamic_pointer_cast<mayahost::Data>(value.host());
    if (a->kind != Attribute::Kind::Typed && a->kind != Attribute::Kind::Matrix) return wrongType(plug, "data");
    if (!value.isNull() && !data) return wrongType(plug, "that kind of object");
    if (a->kind == Attribute::Kind::Matrix && data && data->apiType() != MFn::kMatrixData) return wrongType(plug, "that kind of data");
    return Scene::current().setValue(*plug.node, path_, [&](Slot& slot, int) { slot.data = data; });
}

bool MPlug::asBool(MStatus* status) const { bool v = false; report(status, getValue(v)); return v; }
short MPlug::asShort(MStatus* status) const { short v = 0; report(status, getValue(v)); return v; }
int MPlug::asInt(MStatus* status) const { int v = 0; report(status, getValue(v)); return v; }
float MPlug::asFloat(MStatus* status) const { float v = 0; report(status, getValue(v)); return v; }
double MPlug::asDouble(MStatus* status) const { double v = 0; report(status, getValue(v)); return v; }
MString MPlug::asString(MStatus* status) const { MString v; report(status, getValue(v)); return v; }
MTime MPlug::asMTime(MStatus* status) const { MTime v; report(status, getValue(v)); return v; }
MObject MPlug::asMObject(MStatus* status) const { MObject v; report(status, getValue(v)); return v; }

bool MPlug::operator==(const MObject& attribute) const {
    return !path_.empty() && path_.back().attribute == mayahost::attributeOf(attribute);
}

bool MPlug::operator==(const MPlug& other) const {
    if (node_ != other.node_ || path_.size() != other.path_.size()) return false;
    for (size_t i = 0; i < path_.size(); ++i)
        if (path_[i].attribute != other.path_[i].attribute || path_[i].index != other.path_[i].index) return false;
    return true;
}

unsigned mayahost::computeCount(const MPlug& plug) {
    PlugRef ref;
    if (!resolve(plug.node(), plug.hostPath(), ref)) return 0;
    auto found = ref.node->computeCalls.find(ref.attribute());
    return found == ref.node->computeCalls.end() ? 0 : found->second;
}
