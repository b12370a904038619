#pragma once
#include <maya/MFnAttribute.h>

class OPENMAYA_EXPORT MFnMatrixAttribute : public MFnAttribute {
public:
    enum Type { kFloat, kDouble };

    MFnMatrixAttribute() = default;
    MFnMatrixAttribute(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMatrixAttribute; }

    MObject create(const MString& fullName, const MString& briefName, Type matrixType = kDouble,
                   MStatus* status = nullptr);
};
