#pragma once
#include <maya/MFnAttribute.h>

class OPENMAYA_EXPORT MFnEnumAttribute : public MFnAttribute {
public:
    MFnEnumAttribute() = default;
    MFnEnumAttribute(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kEnumAttribute; }

    MObject create(const MString& fullName, const MString& briefName, short defaultValue = 0,
                   MStatus* status = nullptr);
    MStatus addField(const MString& fieldName, short index);
    MString fieldName(short index, MStatus* status = nullptr) const;
    short fieldIndex(const MString& fieldName, MStatus* status = nullptr) const;
    MStatus setDefault(short index);
    MStatus setDefault(const MString& fieldName);
    MStatus getMin(short& value) const;
    MStatus getMax(short& value) const;
};
