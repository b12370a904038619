#pragma once
#include <maya/MFloatVector.h>
#include <mayahost/ValueArray.h>

// A growable array of single-precision vectors.
class OPENMAYA_EXPORT MFloatVectorArray
    : public mayahost::ValueArray<MFloatVector, MFloatVectorArray> {
public:
    using ValueArray::ValueArray;
    MFloatVectorArray() = default;
    MFloatVectorArray(unsigned int initialSize, const MFloatVector& initialValue = MFloatVector())
        : ValueArray(initialSize, initialValue) {}
    MFloatVectorArray(const MFloatVector source[], unsigned int count)
        : ValueArray(source, count) {}
    MFloatVectorArray(const float source[][3], unsigned int count) {
        for (unsigned int i = 0; source && i < count; ++i) items_.emplace_back(source[i]);
    }

    using ValueArray::set;
    MStatus set(const float element[3], unsigned int index) {
        return set(MFloatVector(element), index);
    }
    MStatus get(float dest[][3]) const { return getRows(dest); }
};
