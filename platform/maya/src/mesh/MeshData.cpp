#include "mesh/MeshData.h"

namespace mayahost {

std::shared_ptr<Data> MeshData::clone() const { return std::make_shared<MeshData>(geometry); }

std::shared_ptr<MeshData> resolveMeshData(const MObject& object) {
    const std::shared_ptr<HostObject>& host = object.host();
    if (!host) return nullptr;
    switch (host->apiType()) {
        case MFn::kMeshData:
            return hostCast<MeshData>(host);
        case MFn::kMesh:
            return meshDataForNode(object);
        default:
            return nullptr;
    }
}

}  // namespace mayahost
