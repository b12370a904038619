#pragma once
#include <maya/MFnAttribute.h>
#include <maya/MTime.h>

// Attributes measured in a unit: time (held in seconds), angles and distances.
class OPENMAYA_EXPORT MFnUnitAttribute : public MFnAttribute {
public:
    enum Type { kInvalid, kAngle, kDistance, kTime, kLast };

    MFnUnitAttribute() = default;
    MFnUnitAttribute(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kUnitAttribute; }

    MObject create(const MString& fullName, const MString& briefName, Type unitType,
                   double defaultValue = 0.0, MStatus* status = nullptr);
    MObject create(const MString& fullName, const MString& briefName, const MTime& defaultValue,
                   MStatus* status = nullptr);
    Type unitType(MStatus* status = nullptr) const;
    MStatus setDefault(double value);
    MStatus setDefault(const MTime& value);
    MStatus setMin(double value);
    MStatus setMax(double value);
};
