#pragma once
#include <maya/MFnData.h>
#include <maya/MVectorArray.h>

class OPENMAYA_EXPORT MFnVectorArrayData : public MFnData {
public:
    MFnVectorArrayData() = default;
    MFnVectorArrayData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kVectorArrayData; }
    MStatus setObject(const MObject& object) override;

    MObject create(MStatus* status = nullptr);
    MObject create(const MVectorArray& values, MStatus* status = nullptr);
    unsigned int length(MStatus* status = nullptr) const;
    // Shares its storage with the data.
    MVectorArray array(MStatus* status = nullptr);
    MStatus copyTo(MVectorArray& values) const;
    MStatus set(const MVectorArray& values);
    MVector operator[](unsigned int index) const;
};
