#include "common/meshLayers.h"

#include <maya/MDataHandle.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include "common/gpuServices.h"
#include "common/pointSetInput.h"
#include "common/statusCheck.h"

MStatus readMeshLayers(MDataBlock& block, const MObject& node, PointSetInput& input, unsigned int n,
                       const MeshLayerRules& rules, const std::function<MStatus(unsigned int)>& readSettings,
                       DeviceMemoryTally& memory, MeshLayers& read, const std::function<MStatus()>& beforeColors) {
    MStatus status;
    MDataHandle meshHandle = block.inputValue(rules.mesh, &status);
    STATUS_RETURN_ON_ERROR(status, "getting inMesh");
    read.hasMesh = read.mesh.setObject(meshHandle.asMesh()) == MS::kSuccess;
    if (!read.hasMesh && rules.meshMissing) {
        MGlobal::displayError(MPlug(node, rules.mesh).name() + rules.meshMissing);
        return MS::kFailure;
    }
    VertexColorLayers& layers = read.layers;
    if (read.hasMesh) {
        status = countVertexColorLayers(block, rules.elements, rules.elementsName, read.mesh, layers);
        if (!status) return status;
    }
    if (layers.count > 0 || rules.needsTriangles) {
        status = readPointTriangles(input, read.mesh, n, ": Points triID missing", rules.uvMissing, rules.uvLedByPlug,
                                    read.triangles);
        if (!status) return status;
    }
    if (layers.count > 0 && !(status = readSettings(layers.count))) return status;
    if (beforeColors && !(status = beforeColors())) return status;
    if (layers.count == 0) return MS::kSuccess;
    const unsigned long long bytes = layers.colorBytes() + static_cast<unsigned long long>(rules.bytesPerLayer) * layers.count +
                                     (rules.trianglesWithColors ? read.triangles.bytes() : 0);
    if (!memory.fits(bytes, "Not enough memory on GPU for color sets")) return MS::kFailure;
    return readVertexColors(read.mesh, rules.unsetColor, rules.nodeName, layers);
}
