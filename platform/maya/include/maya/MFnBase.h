#pragma once
#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

// Base of the function sets: each operates on one object, set at construction or later.
class OPENMAYA_EXPORT MFnBase {
public:
    MFnBase() = default;
    virtual ~MFnBase() = default;
    virtual MFn::Type type() const { return MFn::kBase; }
    MObject object(MStatus* status = nullptr) const {
        if (status) *status = MS::kSuccess;
        return object_;
    }
    virtual MStatus setObject(const MObject& object) {
        object_ = object;
        return MS::kSuccess;
    }
    bool hasObj(const MObject& object) const { return !object.isNull(); }

protected:
    MObject object_;
};
