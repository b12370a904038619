#pragma once
#include <maya/MPoint.h>
#include <mayahost/ValueArray.h>

// A growable array of double-precision points.
class OPENMAYA_EXPORT MPointArray : public mayahost::ValueArray<MPoint, MPointArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MPointArray(std::shared_ptr<std::vector<MPoint>> shared) : ValueArray(std::move(shared)) {}
    MPointArray() = default;
    MPointArray(unsigned int initialSize, const MPoint& initialValue = MPoint())
        : ValueArray(initialSize, initialValue) {}
    MPointArray(const MPoint source[], unsigned int count) : ValueArray(source, count) {}
    MPointArray(const double source[][4], unsigned int count) { assign(source, count); }
    MPointArray(const float source[][4], unsigned int count) { assign(source, count); }

    using ValueArray::append;
    MStatus append(double x, double y, double z = 0.0, double w = 1.0) {
        return append(MPoint(x, y, z, w));
    }
    using ValueArray::set;
    MStatus set(unsigned int index, double x, double y, double z = 0.0, double w = 1.0) {
        return set(MPoint(x, y, z, w), index);
    }
    MStatus set(const double element[4], unsigned int index) { return set(MPoint(element), index); }
    MStatus set(const float element[4], unsigned int index) { return set(MPoint(element), index); }
    MStatus get(double dest[][4]) const { return getRows(dest); }
    MStatus get(float dest[][4]) const { return getRows(dest); }

private:
    template <class Row>
    void assign(const Row* source, unsigned int count) {
        for (unsigned int i = 0; source && i < count; ++i) items_.emplace_back(source[i]);
    }
};
