#pragma once
#include <maya/MFloatPoint.h>
#include <mayahost/ValueArray.h>

// A growable array of single-precision points.
class OPENMAYA_EXPORT MFloatPointArray
    : public mayahost::ValueArray<MFloatPoint, MFloatPointArray> {
public:
    using ValueArray::ValueArray;
    MFloatPointArray() = default;
    MFloatPointArray(unsigned int initialSize, const MFloatPoint& initialValue = MFloatPoint())
        : ValueArray(initialSize, initialValue) {}
    MFloatPointArray(const MFloatPoint source[], unsigned int count) : ValueArray(source, count) {}
    MFloatPointArray(const float source[][4], unsigned int count) { assign(source, count); }
    MFloatPointArray(const double source[][4], unsigned int count) { assign(source, count); }

    using ValueArray::append;
    MStatus append(float x, float y, float z = 0.0f, float w = 1.0f) {
        return append(MFloatPoint(x, y, z, w));
    }
    using ValueArray::set;
    MStatus set(unsigned int index, float x, float y, float z = 0.0f, float w = 1.0f) {
        return set(MFloatPoint(x, y, z, w), index);
    }
    MStatus get(float dest[][4]) const { return getRows(dest); }
    MStatus get(double dest[][4]) const { return getRows(dest); }

private:
    template <class Row>
    void assign(const Row* source, unsigned int count) {
        for (unsigned int i = 0; source && i < count; ++i) items_.emplace_back(source[i]);
    }
};
