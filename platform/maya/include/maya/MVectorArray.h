#pragma once
#include <maya/MVector.h>
#include <mayahost/ValueArray.h>

// A growable array of double-precision vectors.
class OPENMAYA_EXPORT MVectorArray : public mayahost::ValueArray<MVector, MVectorArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MVectorArray(std::shared_ptr<std::vector<MVector>> shared) : ValueArray(std::move(shared)) {}
    MVectorArray() = default;
    MVectorArray(unsigned int initialSize, const MVector& initialValue = MVector())
        : ValueArray(initialSize, initialValue) {}
    MVectorArray(const MVector source[], unsigned int count) : ValueArray(source, count) {}
    MVectorArray(const double source[][3], unsigned int count) { assign(source, count); }
    MVectorArray(const float source[][3], unsigned int count) { assign(source, count); }

    using ValueArray::set;
    MStatus set(const double element[3], unsigned int index) {
        return set(MVector(element), index);
    }
    MStatus set(const float element[3], unsigned int index) { return set(MVector(element), index); }
    MStatus get(double dest[][3]) const { return getRows(dest); }
    MStatus get(float dest[][3]) const { return getRows(dest); }

private:
    template <class Row>
    void assign(const Row* source, unsigned int count) {
        for (unsigned int i = 0; source && i < count; ++i) items_.emplace_back(source[i]);
    }
};
