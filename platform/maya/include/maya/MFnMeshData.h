#pragma once
#include <maya/MFnData.h>

// Makes and holds mesh data objects: the values of mesh attributes, which MFnMesh then fills.
class OPENMAYA_EXPORT MFnMeshData : public MFnData {
public:
    MFnMeshData() = default;
    // Fails with kInvalidParameter, holding nothing, unless `object` is mesh data.
    MFnMeshData(const MObject& object, MStatus* ReturnStatus = NULL);

    MFn::Type type() const override { return MFn::kMeshData; }
    MStatus setObject(const MObject& object) override;

    // A new mesh data object holding an empty mesh; the function set now holds it too.
    MObject create(MStatus* ReturnStatus = NULL);
};
