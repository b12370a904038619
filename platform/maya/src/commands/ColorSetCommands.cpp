// Built-in commands that add colour sets to a mesh and colour its vertices:
//   polyColorSet -create -colorSet NAME mesh
//   polyColorPerVertex [-colorSet NAME] [-rgb R G B] [-a A] mesh.vtx[i] | mesh.vtx[i:j] ...
// The mesh is a mesh shape, or a transform with one, whose inMesh holds its own geometry (not
// a connection): the edit replaces that geometry with an edited copy, so everything reading
// the mesh is evaluated again.
#include <maya/MGlobal.h>

#include <cmath>
#include <limits>
#include <string>

#include "commands/CommandArgs.h"
#include "commands/CommandRegistry.h"
#include "graph/Node.h"
#include "graph/Scene.h"
#include "mesh/MeshData.h"

using namespace mayahost;

namespace {

// The mesh shape a name gives (the shape itself or a transform's mesh child), or null with an
// error shown.
Node* meshShape(const char* command, const std::string& name) {
    Node* node = Scene::current().findNode(name);
    if (node && node->type->kind == NodeKind::Transform)
        for (Node* child : node->children)
            if (child->type->apiType == MFn::kMesh) node = child;
    if (!node || node->type->apiType != MFn::kMesh) {
        commandError(command, "\"" + name + "\" is not a mesh or a transform of one");
        return nullptr;
    }
    return node;
}

// Replaces the shape's own geometry by edit(copy of it). Fails when inMesh is connected or
// holds no mesh, or when edit fails (it shows why).
template <typename Edit>
MStatus editMesh(const char* command, Node& shape, Edit&& edit) {
    Scene& scene = Scene::current();
    PlugRef inMesh{shape.shared_from_this(), pathOf(shape.type->findAttribute("inMesh"))};
    if (scene.incoming(inMesh))
        return commandError(command, "'" + inMesh.name() + "' is connected: only a mesh that holds its own geometry can be edited");
    auto current = std::dynamic_pointer_cast<MeshData>(scene.slotFor(shape, inMesh.path, nullptr)->data);
    if (!current) return commandError(command, "'" + inMesh.name() + "' holds no mesh");
    auto edited = std::static_pointer_cast<MeshData>(current->clone());
    MStatus status = edit(edited->geometry);
    if (!status) return status;
    return scene.setValue(shape, inMesh.path, [&](Slot& slot, int) { slot.data = edited; });
}

// Reads the 1 to 9 digits at `at` and moves past them.
bool readVertexIndex(const std::string& text, std::size_t& at, long long& index) {
    const std::size_t start = at;
    index = 0;
    for (; at < text.size() && at - start < 9 && text[at] >= '0' && text[at] <= '9'; ++at)
        index = 10 * index + (text[at] - '0');
    return at > start;
}

// The vertex range of "mesh.vtx[i]" or "mesh.vtx[i:j]" (i <= j, each of 1 to 9 digits; the mesh
// name holds no "."), split into the mesh name and the range. A plain walk over the text, so a
// text of any length costs no more than its length.
bool vertexRange(const std::string& text, std::string& mesh, long long& first, long long& last) {
    static const std::string marker = ".vtx[";
    const std::size_t dot = text.find('.');
    if (dot == 0 || dot == std::string::npos || text.compare(dot, marker.size(), marker) != 0)
        return false;
    std::size_t at = dot + marker.size();
    if (!readVertexIndex(text, at, first)) return false;
    last = first;
    if (at < text.size() && text[at] == ':' && !readVertexIndex(text, ++at, last)) return false;
    if (at + 1 != text.size() || text[at] != ']') return false;
    mesh = text.substr(0, dot);
    return first <= last;
}

}  // namespace

MAYAHOST_BUILTIN_COMMAND(polyColorSet, args, result) {
    const char* command = "polyColorSet";
    CommandArgs parsed;
    MStatus status = CommandArgs::parse(command, args, {{"cr", "create", 0}, {"cs", "colorSet", 1}}, parsed);
    if (!status) return status;
    if (!parsed.has("create") || !parsed.has("colorSet") || parsed.positional.size() != 1)
        return commandError(command, "takes -create -colorSet NAME and one mesh");
    Node* shape = meshShape(command, parsed.positional[0]);
    if (!shape) return MS::kFailure;
    const std::string name = parsed.text("colorSet");
    status = editMesh(command, *shape, [&](MeshGeometry& mesh) {
        return mesh.addColorSet(name) ? MStatus()
                                      : commandError(command, "the mesh has a colour set \"" + name + "\" already, or the name is empty");
    });
    if (status) result.set(name);
    return status;
}

MAYAHOST_BUILTIN_COMMAND(polyColorPerVertex, args, result) {
    const char* command = "polyColorPerVertex";
    CommandArgs parsed;
    MStatus status = CommandArgs::parse(command, args, {{"cs", "colorSet", 1}, {"rgb", "rgb", 3}, {"a", "alpha", 1}}, parsed);
    if (!status) return status;
    if (!parsed.has("rgb") && !parsed.has("alpha")) return commandError(command, "needs -rgb R G B, -a A or both");
    if (parsed.positional.empty()) return commandError(command, "needs one or more vertex ranges (mesh.vtx[i:j])");
    double rgb[3] = {0, 0, 0}, alpha = 1;
    if (parsed.has("rgb"))
        for (int k = 0; k < 3; ++k) {
            const std::string& text = parsed.flags.at("rgb")[k];
            char* end = nullptr;
            rgb[k] = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end) return commandError(command, "-rgb takes three numbers, not \"" + text + "\"");
        }
    if (parsed.has("alpha") && !(status = parsed.number("alpha", 1, alpha))) return status;
    for (double value : {rgb[0], rgb[1], rgb[2], alpha})
        if (!(std::fabs(value) <= std::numeric_limits<float>::max()))
            return commandError(command, "colours must be finite floats");

    for (const std::string& target : parsed.positional) {
        std::string meshName;
        long long first = 0, last = 0;
        if (!vertexRange(target, meshName, first, last))
            return commandError(command, "\"" + target + "\" is not a vertex range such as mesh.vtx[0:3]");
        Node* shape = meshShape(command, meshName);
        if (!shape) return MS::kFailure;
        status = editMesh(command, *shape, [&](MeshGeometry& mesh) {
            if (last >= mesh.numVertices())
                return commandError(command, "\"" + target + "\" goes past the mesh's " + std::to_string(mesh.numVertices()) + " vertices");
            std::string setName = parsed.text("colorSet", mesh.currentColorSet());
            if (setName.empty()) setName = "colorSet1";
            ColorSet* set = mesh.findColorSet(setName);
            if (!set && !parsed.has("colorSet")) set = mesh.addColorSet(setName);
            if (!set) return commandError(command, "the mesh has no colour set \"" + setName + "\"");
            for (long long v = first; v <= last; ++v) {
                MeshColor& color = set->colors[v];
                if (parsed.has("rgb")) color.r = float(rgb[0]), color.g = float(rgb[1]), color.b = float(rgb[2]);
                if (parsed.has("alpha")) color.a = float(alpha);
                set->assigned[v] = 1;
            }
            return MStatus();
        });
        if (!status) return status;
    }
    result.set(1);
    return MS::kSuccess;
}
