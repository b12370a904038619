#include <maya/MFnMeshData.h>

#include "mesh/MeshData.h"

MFnMeshData::MFnMeshData(const MObject& object, MStatus* ReturnStatus) {
    const MStatus status = setObject(object);
    if (ReturnStatus) *ReturnStatus = status;
}

MStatus MFnMeshData::setObject(const MObject& object) {
    if (!mayahost::hostCast<mayahost::MeshData>(object.host())) {
        object_ = MObject();
        return MStatus(MS::kInvalidParameter, "MFnMeshData: the object is not mesh data");
    }
    object_ = object;
    return MS::kSuccess;
}

MObject MFnMeshData::create(MStatus* ReturnStatus) {
    object_ = MObject(std::make_shared<mayahost::MeshData>());
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return object_;
}
