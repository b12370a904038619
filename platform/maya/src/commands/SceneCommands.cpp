// Built-in commands over nodes, attributes, connections, time and plug-ins.
#include <maya/MGlobal.h>

#include <cmath>
#include <cstdio>

#include "commands/CommandArgs.h"
#include "commands/CommandLanguage.h"
#include "commands/CommandRegistry.h"
#include "data/DataTypes.h"
#include "mesh/MeshData.h"
#include "graph/NumberRange.h"
#include "plugins/Plugins.h"
#include "graph/Scene.h"

using namespace mayahost;

namespace {

using Kind = Attribute::Kind;

bool findPlug(const char* command, const std::string& text, PlugRef& plug, MStatus& status) {
    std::string error;
    if (Scene::current().parsePlug(text, plug, error)) return true;
    status = commandError(command, error);
    return false;
}

Node* findNode(const char* command, const std::string& name, MStatus& status) {
    Node* node = Scene::current().findNode(name);
    if (!node) status = commandError(command, "No object matches name: " + name);
    return node;
}

bool isIntegral(const Attribute& a) {
    if (a.kind == Kind::Enum) return true;
    if (a.kind != Kind::Numeric) return false;
    switch (a.numericType) {
        case MFnNumericData::kFloat:
        case MFnNumericData::k2Float:
        case MFnNumericData::k3Float:
        case MFnNumericData::kDouble:
        case MFnNumericData::k2Double:
        case MFnNumericData::k3Double:
        case MFnNumericData::k4Double: return false;
        default: return true;
    }
}

// Whether a whole number fits the integer type that holds an integral attribute's values.
bool fitsItsType(const Attribute& a, double value) {
    if (a.kind == Kind::Enum) return fitsIn<short>(value);
    switch (a.numericType) {
        case MFnNumericData::kBoolean: return true;
        case MFnNumericData::kByte: return fitsIn<unsigned char>(value);
        case MFnNumericData::kChar: return fitsIn<char>(value);
        case MFnNumericData::kShort:
        case MFnNumericData::k2Short:
        case MFnNumericData::k3Short: return fitsIn<short>(value);
        default: return fitsIn<int>(value);
    }
}

MStatus reportFailure(const char* command, MStatus status) {
    if (status) return status;
    return commandError(command, status.errorString().asChar());
}

// One number from a setAttr argument: a number, a boolean word, or an enum field name.
bool parseValue(const Attribute& a, const std::string& text, double& value) {
    if (isNumberText(text)) {
        value = std::stod(text);
        return std::isfinite(value);
    }
    if (a.kind == Kind::Numeric && a.numericType == MFnNumericData::kBoolean) {
        for (const char* word : {"true", "on", "yes"})
            if (text == word) return value = 1, true;
        for (const char* word : {"false", "off", "no"})
            if (text == word) return value = 0, true;
    }
    if (a.kind == Kind::Enum)
        for (auto& field : a.enumFields)
            if (field.first == text) return value = field.second, true;
    return false;
}

MStatus setNumbers(const PlugRef& plug, const std::vector<std::string>& values) {
    const Attribute& a = *plug.attribute();
    int count = a.kind == Kind::Numeric ? a.componentCount() : 1;
    if (int(values.size()) != count)
        return commandError("setAttr", "'" + plug.name() + "' takes " + std::to_string(count) + " value(s), " +
                                           std::to_string(values.size()) + " given");
    double numbers[4] = {0, 0, 0, 0};
    for (int i = 0; i < count; ++i) {
        if (!parseValue(a, values[i], numbers[i]))
            return commandError("setAttr", "'" + values[i] + "' is not a valid value for '" + plug.name() + "'");
        if (isIntegral(a)) {
            if (!fitsItsType(a, numbers[i]))
                return commandError("setAttr", "'" + values[i] + "' is out of the range of '" + plug.name() + "'");
            numbers[i] = std::trunc(numbers[i]);
        }
        numbers[i] = a.clamp(i, numbers[i]);
        if (a.kind == Kind::Time) numbers[i] = MTime(numbers[i], MTime::uiUnit()).as(MTime::kSeconds);
    }
    return reportFailure("setAttr", Scene::current().setValue(*plug.node, plug.path, [&](Slot& slot, int component) {
        if (component >= 0) slot.number[component] = numbers[0];
        else std::copy(numbers, numbers + 4, slot.number);
    }));
}

MStatus setData(const PlugRef& plug, std::shared_ptr<Data> data) {
    return Scene::current().setValue(*plug.node, plug.path, [&](Slot& slot, int) { slot.data = data; });
}

// The value of an evaluated plug as a command result.
void describe(const PlugRef& plug, const Slot& slot, int component, CommandResult& result) {
    const Attribute& a = *plug.attribute();
    if (component >= 0) {
        const double held = a.heldValue(slot.number[component]);
        if (isIntegral(*a.parent)) return result.set(int(held));
        return result.set(held);
    }
    switch (a.kind) {
        case Kind::Numeric:
        case Kind::Enum: {
            int count = a.kind == Kind::Numeric ? a.componentCount() : 1;
            double held[4];
            for (int i = 0; i < count; ++i) held[i] = a.heldValue(slot.number[i]);
            if (count == 1 && isIntegral(a)) return result.set(int(held[0]));
            if (count == 1) return result.set(held[0]);
            return result.set(std::vector<double>(held, held + count));
        }
        case Kind::Time: return result.set(MTime(slot.number[0], MTime::kSeconds).as(MTime::uiUnit()));
        case Kind::Angle:
        case Kind::Distance: return result.set(slot.number[0]);
        default: break;
    }
    if (auto m = std::dynamic_pointer_cast<MatrixData>(slot.data)) {
        std::vector<double> values;
        for (auto& row : m->value.matrix) values.insert(values.end(), row, row + 4);
        return result.set(values);
    }
    if (auto s = std::dynamic_pointer_cast<StringData>(slot.data)) return result.set(s->value);
    if (auto v = std::dynamic_pointer_cast<VectorArrayData>(slot.data)) {
        std::vector<double> values;
        for (const MVector& p : *v->values) values.insert(values.end(), {p.x, p.y, p.z});
        return result.set(values);
    }
    if (auto set = std::dynamic_pointer_cast<ArrayAttrsData>(slot.data)) {
        static const char* kinds[] = {"none", "vector", "double", "int"};
        std::vector<std::string> arrays;
        for (auto& e : set->entries)
            arrays.push_back(e.name + " (" + kinds[e.kind] + ", " + std::to_string(e.size()) + ")");
        return result.set(arrays);
    }
    if (auto mesh = std::dynamic_pointer_cast<MeshData>(slot.data))
        return result.set("mesh: " + std::to_string(mesh->geometry.numVertices()) + " vertices, " +
                          std::to_string(mesh->geometry.numPolygons()) + " polygons");
    if (a.array) return result.set(int(slot.elements.size()));
}

}  // namespace

MAYAHOST_BUILTIN_COMMAND(createNode, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("createNode", args, {{"n", "name", 1}, {"p", "parent", 1}, {"ss", "skipSelect", 0}},
                                        parsed);
    if (!status) return status;
    if (parsed.positional.size() != 1) return commandError("createNode", "needs exactly one node type");
    Node* parent = nullptr;
    if (parsed.has("parent") && !(parent = findNode("createNode", parsed.text("parent"), status))) return status;
    NodePtr node = Scene::current().createNode(parsed.positional[0], parsed.text("name"), parent, status);
    if (!node) return reportFailure("createNode", status);
    result.set(node->name);
    return MS::kSuccess;
}

MAYAHOST_BUILTIN_COMMAND(delete, args, result) {
    (void)result;
    if (args.length() == 0) return commandError("delete", "needs the names of the nodes to delete");
    for (unsigned i = 0; i < args.length(); ++i) {
        MStatus status;
        Node* node = findNode("delete", args.asString(i).asChar(), status);
        if (!node) return status;
        status = Scene::current().deleteNode(*node);
        if (!status) return reportFailure("delete", status);
    }
    return MS::kSuccess;
}

MAYAHOST_BUILTIN_COMMAND(setAttr, args, result) {
    (void)result;
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("setAttr", args, {{"type", "type", 1}}, parsed);
    if (!status) return status;
    if (parsed.positional.size() < 2) return commandError("setAttr", "needs a plug and a value");
    PlugRef plug;
    if (!findPlug("setAttr", parsed.positional[0], plug, status)) return status;
    status = checkWritable(plug);
    if (!status) return reportFailure("setAttr", status);
    std::vector<std::string> values(parsed.positional.begin() + 1, parsed.positional.end());
    const Attribute& a = *plug.attribute();
    std::string type = parsed.text("type");
    if (a.array && plug.path.back().index < 0) return commandError("setAttr", "'" + plug.name() + "' is an array: give an element index");
    if (a.kind == Kind::Typed && a.dataType == MFnData::kString) {
        if (values.size() != 1) return commandError("setAttr", "'" + plug.name() + "' takes one string");
        auto data = std::make_shared<StringData>();
        data->value = values[0];
        return reportFailure("setAttr", setData(plug, data));
    }
    if (a.kind == Kind::Matrix) {
        if (type != "matrix" || values.size() != 16)
            return commandError("setAttr", "'" + plug.name() + "' takes -type \"matrix\" and 16 numbers");
        auto data = std::make_shared<MatrixData>();
        for (int i = 0; i < 16; ++i) {
            if (!isNumberText(values[i])) return commandError("setAttr", "'" + values[i] + "' is not a number");
            data->value.matrix[i / 4][i % 4] = std::stod(values[i]);
        }
        return reportFailure("setAttr", setData(plug, data));
    }
    if (!type.empty() && type != "double2" && type != "double3" && type != "float2" && type != "float3")
        return commandError("setAttr", "'" + plug.name() + "' does not take -type \"" + type + "\"");
    if (a.kind == Kind::Typed || a.kind == Kind::Compound || a.kind == Kind::Message)
        return commandError("setAttr", "'" + plug.name() + "' cannot be set from a command");
    return setNumbers(plug, values);
}

MAYAHOST_BUILTIN_COMMAND(getAttr, args, result) {
    if (args.length() != 1) return commandError("getAttr", "needs exactly one plug");
    PlugRef plug;
    MStatus status;
    if (!findPlug("getAttr", args.asString(0).asChar(), plug, status)) return status;
    status = Scene::current().evaluate(*plug.node, plug.path);
    if (!status) return commandError("getAttr", "the value of '" + plug.name() + "' could not be computed");
    int component = -1;
    Slot* slot = Scene::current().slotFor(*plug.node, plug.path, &component);
    describe(plug, *slot, component, result);
    std::printf("%s\n", result.toString().c_str());
    std::fflush(stdout);
    return MS::kSuccess;
}

MAYAHOST_BUILTIN_COMMAND(connectAttr, args, result) {
    (void)result;
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("connectAttr", args, {{"f", "force", 0}}, parsed);
    if (!status) return status;
    if (parsed.positional.size() != 2) return commandError("connectAttr", "needs a source and a destination plug");
    PlugRef source, destination;
    if (!findPlug("connectAttr", parsed.positional[0], source, status) ||
        !findPlug("connectAttr", parsed.positional[1], destination, status))
        return status;
    return reportFailure("connectAttr", Scene::current().connect(source, destination, parsed.has("force")));
}

MAYAHOST_BUILTIN_COMMAND(disconnectAttr, args, result) {
    (void)result;
    if (args.length() != 2) return commandError("disconnectAttr", "needs a source and a destination plug");
    PlugRef source, destination;
    MStatus status;
    if (!findPlug("disconnectAttr", args.asString(0).asChar(), source, status) ||
        !findPlug("disconnectAttr", args.asString(1).asChar(), destination, status))
        return status;
    return reportFailure("disconnectAttr", Scene::current().disconnect(source, destination));
}

// currentTime [frame] sets the time in the current unit; currentTime -q answers it.
MAYAHOST_BUILTIN_COMMAND(currentTime, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("currentTime", args, {{"q", "query", 0}, {"e", "edit", 0}}, parsed);
    if (!status) return status;
    if (parsed.has("query")) {
        if (!parsed.positional.empty()) return commandError("currentTime", "-query takes no value");
        result.set(Scene::current().time().as(MTime::uiUnit()));
        return MS::kSuccess;
    }
    if (parsed.positional.size() != 1 || !isNumberText(parsed.positional[0]))
        return commandError("currentTime", "needs a time, or -query");
    double frame = std::stod(parsed.positional[0]);
    if (!std::isfinite(frame)) return commandError("currentTime", "the time must be finite");
    MGlobal::viewFrame(frame);
    result.set(frame);
    return MS::kSuccess;
}

MAYAHOST_BUILTIN_COMMAND(loadPlugin, args, result) {
    if (args.length() != 1) return commandError("loadPlugin", "needs one plug-in name or path");
    MStatus status = loadPlugin(args.asString(0).asChar());
    if (status) result.set(std::string(args.asString(0).asChar()));
    return status;
}

MAYAHOST_BUILTIN_COMMAND(unloadPlugin, args, result) {
    (void)result;
    if (args.length() != 1) return commandError("unloadPlugin", "needs one plug-in name");
    return unloadPlugin(args.asString(0).asChar());
}

MStatus MGlobal::viewFrame(const MTime& time) {
    Scene::current().setTime(time);
    return MS::kSuccess;
}

MStatus MGlobal::viewFrame(double time) { return viewFrame(MTime(time, MTime::uiUnit())); }
