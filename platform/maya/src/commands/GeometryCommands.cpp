// Built-in commands that make meshes, write geometry and point sets to files and read point sets
// back.
#include <maya/MGlobal.h>

#include <filesystem>

#include "commands/CommandArgs.h"
#include "commands/CommandRegistry.h"
#include "data/DataTypes.h"
#include "dynamics/Dynamics.h"
#include "graph/Scene.h"
#include "mesh/MeshData.h"
#include "mesh/MeshPrimitives.h"
#include "mesh/ObjFile.h"
#include "mesh/PlyFile.h"
#include "mesh/PlyPointSet.h"

using namespace mayahost;

namespace {

// A transform named `name` with a mesh shape "<name>Shape" holding the geometry.
MStatus addMesh(const char* command, const std::string& name, MeshGeometry geometry, CommandResult& result) {
    Scene& scene = Scene::current();
    MStatus status;
    NodePtr transform = scene.createNode("transform", name, nullptr, status);
    if (!transform) return commandError(command, status.errorString().asChar());
    NodePtr shape = scene.createNode("mesh", "", transform.get(), status);
    if (!shape) {
        scene.deleteNode(*transform);
        return commandError(command, status.errorString().asChar());
    }
    auto data = std::make_shared<MeshData>(std::move(geometry));
    PlugPath inMesh = pathOf(shape->type->findAttribute("inMesh"));
    scene.setValue(*shape, inMesh, [&](Slot& slot, int) { slot.data = data; });
    result.set(std::vector<std::string>{transform->name, shape->name});
    return MS::kSuccess;
}

struct IntFlag {
    const char* name;
    int fallback;
    int* value;
};

// Reads the size flags and the integer flags of a primitive command.
MStatus primitiveFlags(const CommandArgs& parsed, std::initializer_list<std::pair<const char*, double*>> sizes,
                       std::initializer_list<IntFlag> counts) {
    for (auto& size : sizes) {
        MStatus status = parsed.number(size.first, 1.0, *size.second);
        if (!status) return status;
    }
    for (const IntFlag& count : counts) {
        double value = 0;
        MStatus status = parsed.number(count.name, count.fallback, value);
        if (!status) return status;
        if (value != int(value) || value < 1 || value > 100000)
            return commandError(parsed.command, std::string("-") + count.name + " must be a whole number from 1 to 100000");
        *count.value = int(value);
    }
    return parsed.positional.empty() ? MStatus() : commandError(parsed.command, "unexpected argument \"" + parsed.positional[0] + "\"");
}

MStatus finishPrimitive(const CommandArgs& parsed, const char* defaultName, MeshGeometry mesh,
                        const std::string& error, CommandResult& result) {
    if (!error.empty()) return commandError(parsed.command, error);
    return addMesh(parsed.command, parsed.text("name", defaultName), std::move(mesh), result);
}

// The mesh a target names: a mesh plug, a mesh shape or a transform with one (in world space).
std::shared_ptr<MeshData> meshOf(const char* command, const std::string& target, MStatus& status) {
    Scene& scene = Scene::current();
    PlugRef plug;
    std::string error;
    if (target.find('.') != std::string::npos) {
        if (!scene.parsePlug(target, plug, error)) return status = commandError(command, error), nullptr;
    } else {
        Node* node = scene.findNode(target);
        // A transform's first mesh: the shape itself, not the original geometry a deformer
        // keeps beside it.
        if (node && node->type->kind == NodeKind::Transform)
            for (Node* child : node->children)
                if (child->type->apiType == MFn::kMesh) {
                    node = child;
                    break;
                }
        if (!node || node->type->apiType != MFn::kMesh)
            return status = commandError(command, "\"" + target + "\" is not a mesh, a transform of one, or a plug"), nullptr;
        plug.node = node->shared_from_this();
        plug.path = pathOf(node->type->findAttribute("worldMesh"), 0);
    }
    if (!scene.evaluate(*plug.node, plug.path))
        return status = commandError(command, "the value of '" + plug.name() + "' could not be computed"), nullptr;
    auto mesh = std::dynamic_pointer_cast<MeshData>(scene.slotFor(*plug.node, plug.path, nullptr)->data);
    if (!mesh) status = commandError(command, "'" + plug.name() + "' holds no mesh");
    return mesh;
}

}  // namespace

MAYAHOST_BUILTIN_COMMAND(polyPlane, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("polyPlane", args,
                                        {{"w", "width", 1}, {"h", "height", 1}, {"sx", "subdivisionsX", 1},
                                         {"sy", "subdivisionsY", 1}, {"n", "name", 1}}, parsed);
    double width = 1, height = 1;
    int sx = 10, sy = 10;
    if (status) status = primitiveFlags(parsed, {{"width", &width}, {"height", &height}},
                                        {{"subdivisionsX", 10, &sx}, {"subdivisionsY", 10, &sy}});
    if (!status) return status;
    std::string error;
    MeshGeometry mesh = makePolyPlane(width, height, sx, sy, &error);
    return finishPrimitive(parsed, "pPlane#", std::move(mesh), error, result);
}

MAYAHOST_BUILTIN_COMMAND(polyCube, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("polyCube", args,
                                        {{"w", "width", 1}, {"h", "height", 1}, {"d", "depth", 1}, {"sx", "subdivisionsX", 1},
                                         {"sy", "subdivisionsY", 1}, {"sz", "subdivisionsZ", 1}, {"n", "name", 1}}, parsed);
    double width = 1, height = 1, depth = 1;
    int sx = 1, sy = 1, sz = 1;
    if (status) status = primitiveFlags(parsed, {{"width", &width}, {"height", &height}, {"depth", &depth}},
                                        {{"subdivisionsX", 1, &sx}, {"subdivisionsY", 1, &sy}, {"subdivisionsZ", 1, &sz}});
    if (!status) return status;
    std::string error;
    MeshGeometry mesh = makePolyCube(width, height, depth, sx, sy, sz, &error);
    return finishPrimitive(parsed, "pCube#", std::move(mesh), error, result);
}

MAYAHOST_BUILTIN_COMMAND(polySphere, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("polySphere", args,
                                        {{"r", "radius", 1}, {"sx", "subdivisionsX", 1}, {"sy", "subdivisionsY", 1},
                                         {"n", "name", 1}}, parsed);
    double radius = 1;
    int sx = 20, sy = 20;
    if (status) status = primitiveFlags(parsed, {{"radius", &radius}}, {{"subdivisionsX", 20, &sx}, {"subdivisionsY", 20, &sy}});
    if (!status) return status;
    std::string error;
    MeshGeometry mesh = makePolySphere(radius, sx, sy, &error);
    return finishPrimitive(parsed, "pSphere#", std::move(mesh), error, result);
}

// importObj "file.obj" [-n name]: the transform takes the name, or the file's name.
MAYAHOST_BUILTIN_COMMAND(importObj, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("importObj", args, {{"n", "name", 1}}, parsed);
    if (!status) return status;
    if (parsed.positional.size() != 1) return commandError("importObj", "needs one file name");
    MeshGeometry mesh;
    std::string error;
    if (!readObj(parsed.positional[0], mesh, error)) return commandError("importObj", error);
    std::string stem = std::filesystem::path(parsed.positional[0]).stem().string();
    for (char& c : stem)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    if (stem.empty() || std::isdigit(static_cast<unsigned char>(stem[0]))) stem = "mesh" + stem;
    return addMesh("importObj", parsed.text("name", stem), std::move(mesh), result);
}

// exportObj <mesh shape | its transform | mesh plug> "file.obj"
MAYAHOST_BUILTIN_COMMAND(exportObj, args, result) {
    if (args.length() != 2) return commandError("exportObj", "needs a mesh and a file name");
    MStatus status;
    auto mesh = meshOf("exportObj", args.asString(0).asChar(), status);
    if (!mesh) return status;
    std::string error;
    if (!writeObj(args.asString(1).asChar(), mesh->geometry, error)) return commandError("exportObj", error);
    result.set(std::string(args.asString(1).asChar()));
    return MS::kSuccess;
}

// exportPoints <point-set plug | particle shape> "file.ply": every array of the set, or of the
// particle shape's particles, as vertex properties.
MAYAHOST_BUILTIN_COMMAND(exportPoints, args, result) {
    if (args.length() != 2) return commandError("exportPoints", "needs a point-set plug and a file name");
    PlugRef plug;
    std::string error;
    Scene& scene = Scene::current();
    if (!particleArraysPlug(args.asString(0).asChar(), plug) && !scene.parsePlug(args.asString(0).asChar(), plug, error))
        return commandError("exportPoints", error);
    if (!scene.evaluate(*plug.node, plug.path))
        return commandError("exportPoints", "the value of '" + plug.name() + "' could not be computed");
    auto set = std::dynamic_pointer_cast<ArrayAttrsData>(scene.slotFor(*plug.node, plug.path, nullptr)->data);
    if (!set) return commandError("exportPoints", "'" + plug.name() + "' holds no point set");
    std::vector<PlyColumn> columns;
    size_t count = 0;
    if (!plyColumnsOf(*set, columns, count, error) ||
        !writePly(args.asString(1).asChar(), count, columns, error))
        return commandError("exportPoints", error);
    MGlobal::displayInfo(MString("exportPoints: wrote ") + int(count) + " points to " + args.asString(1));
    result.set(int(count));
    return MS::kSuccess;
}

// importPoints "file.ply" <point-set plug> [-rename from to]: the file's vertex properties (as
// exportPoints writes them) as the plug's point set; -rename gives one array another name.
MAYAHOST_BUILTIN_COMMAND(importPoints, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse("importPoints", args, {{"rn", "rename", 2}}, parsed);
    if (!status) return status;
    if (parsed.positional.size() != 2) return commandError("importPoints", "needs a file name and a point-set plug");
    Scene& scene = Scene::current();
    PlugRef plug;
    std::string error;
    if (!scene.parsePlug(parsed.positional[1], plug, error)) return commandError("importPoints", error);
    const Attribute* attribute = plug.attribute();
    if (attribute->kind != Attribute::Kind::Typed || attribute->dataType != MFnData::kDynArrayAttrs)
        return commandError("importPoints", "'" + plug.name() + "' does not take a point set");
    status = checkWritable(plug);
    if (!status) return commandError("importPoints", status.errorString().asChar());
    size_t count = 0;
    std::vector<PlyColumn> columns;
    if (!readPly(parsed.positional[0], count, columns, error)) return commandError("importPoints", error);
    auto set = pointSetOf(parsed.positional[0], columns, error);
    if (!set) return commandError("importPoints", error);
    if (parsed.has("rename")) {
        const std::vector<std::string>& names = parsed.flags.at("rename");
        ArrayAttrsData::Entry* entry = set->find(names[0]);
        if (!entry) return commandError("importPoints", "the file has no array \"" + names[0] + "\"");
        if (set->find(names[1])) return commandError("importPoints", "the file already has an array \"" + names[1] + "\"");
        entry->name = names[1];
    }
    status = scene.setValue(*plug.node, plug.path, [&](Slot& slot, int) { slot.data = set; });
    if (!status) return commandError("importPoints", status.errorString().asChar());
    result.set(int(count));
    return MS::kSuccess;
}
