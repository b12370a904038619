#pragma once
#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>

// An attribute whose value is a data object (point sets, vector arrays, meshes, strings).
class OPENMAYA_EXPORT MFnTypedAttribute : public MFnAttribute {
public:
    MFnTypedAttribute() = default;
    MFnTypedAttribute(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kTypedAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MFnData::Type type,
                   const MObject& defaultData = MObject::kNullObj, MStatus* status = nullptr);
    MFnData::Type attrType(MStatus* status = nullptr) const;
    MStatus setDefault(const MObject& defaultData);
    MStatus getDefault(MObject& defaultData) const;
};
