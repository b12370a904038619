#pragma once
#include <maya/MFnData.h>
#include <maya/MMatrix.h>

class OPENMAYA_EXPORT MFnMatrixData : public MFnData {
public:
    MFnMatrixData() = default;
    MFnMatrixData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMatrixData; }
    MStatus setObject(const MObject& object) override;

    MObject create(MStatus* status = nullptr);
    MObject create(const MMatrix& value, MStatus* status = nullptr);
    const MMatrix& matrix(MStatus* status = nullptr) const;
    MStatus set(const MMatrix& value);
};
