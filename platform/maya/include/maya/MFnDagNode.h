#pragma once
#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>

class OPENMAYA_EXPORT MFnDagNode : public MFnDependencyNode {
public:
    MFnDagNode() = default;
    MFnDagNode(const MObject& object, MStatus* status = nullptr);
    MFnDagNode(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kDagNode; }
    MStatus setObject(const MObject& object) override;

    MObject create(const MString& typeName, const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);
    MObject create(const MString& typeName, const MString& name, const MObject& parent = MObject::kNullObj,
                   MStatus* status = nullptr);
    unsigned int parentCount(MStatus* status = nullptr) const;
    MObject parent(unsigned int index, MStatus* status = nullptr) const;
    unsigned int childCount(MStatus* status = nullptr) const;
    MObject child(unsigned int index, MStatus* status = nullptr) const;
    MStatus getPath(MDagPath& path) const;
    MDagPath dagPath(MStatus* status = nullptr) const;
    MString fullPathName(MStatus* status = nullptr) const;
    MString partialPathName(MStatus* status = nullptr) const;
};
