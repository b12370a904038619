#pragma once
#include <maya/MDoubleArray.h>
#include <maya/MFnData.h>
#include <maya/MIntArray.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

// A point set: named per-point arrays of vectors, doubles or ints. The arrays it hands out
// share their storage with the data, so editing them edits the set.
class OPENMAYA_EXPORT MFnArrayAttrsData : public MFnData {
public:
    enum Type { kInvalid, kVectorArray, kDoubleArray, kIntArray, kStringArray, kLast };

    MFnArrayAttrsData() = default;
    MFnArrayAttrsData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kDynArrayAttrsData; }
    MStatus setObject(const MObject& object) override;

    MObject create(MStatus* status = nullptr);
    // The length of the first array, 0 when there is none.
    unsigned int count() const;
    MStringArray list(MStatus* status = nullptr) const;
    bool checkArrayExist(const MString& name, Type& arrayType, MStatus* status = nullptr);
    // The array of that name, created empty when absent; fails when the name holds another kind.
    MVectorArray vectorArray(const MString& name, MStatus* status = nullptr);
    MDoubleArray doubleArray(const MString& name, MStatus* status = nullptr);
    MIntArray intArray(const MString& name, MStatus* status = nullptr);
    // The array of that name; fails when it is absent or of another kind.
    MVectorArray getVectorData(const MString& name, MStatus* status = nullptr);
    MDoubleArray getDoubleData(const MString& name, MStatus* status = nullptr);
    MIntArray getIntData(const MString& name, MStatus* status = nullptr);
    MStatus clear();
};
