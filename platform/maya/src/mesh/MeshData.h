#pragma once
// Mesh values: what a mesh attribute holds and what MFnMesh edits.
#include <maya/MObject.h>

#include <memory>

#include "graph/HostObject.h"
#include "mesh/MeshGeometry.h"

namespace mayahost {

class MeshData : public Data {
public:
    MeshData() = default;
    explicit MeshData(MeshGeometry mesh) : geometry(std::move(mesh)) {}

    MFn::Type apiType() const override { return MFn::kMeshData; }
    // A deep copy: later edits to either mesh leave the other alone.
    std::shared_ptr<Data> clone() const override;

    MeshGeometry geometry;
};

// The current mesh of a mesh shape node, or null when `node` is not one. Provided by the
// dependency graph.
std::shared_ptr<MeshData> meshDataForNode(const MObject& node);

// The mesh behind a handle: the data itself for mesh data, the node's current mesh for a mesh
// node, null for anything else.
std::shared_ptr<MeshData> resolveMeshData(const MObject& object);

}  // namespace mayahost
