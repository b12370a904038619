#pragma once
#include <maya/MFnData.h>
#include <maya/MString.h>

class OPENMAYA_EXPORT MFnStringData : public MFnData {
public:
    MFnStringData() = default;
    MFnStringData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kStringData; }
    MStatus setObject(const MObject& object) override;

    MObject create(MStatus* status = nullptr);
    MObject create(const MString& value, MStatus* status = nullptr);
    MString string(MStatus* status = nullptr) const;
    MStatus set(const MString& value);
};
