#pragma once
#include <mayahost/ValueArray.h>

// A growable array of doubles.
class OPENMAYA_EXPORT MDoubleArray : public mayahost::ValueArray<double, MDoubleArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MDoubleArray(std::shared_ptr<std::vector<double>> shared) : ValueArray(std::move(shared)) {}
    MDoubleArray() = default;
    MDoubleArray(unsigned int initialSize, double initialValue = 0.0)
        : ValueArray(initialSize, initialValue) {}
    MDoubleArray(const double source[], unsigned int count) : ValueArray(source, count) {}
};
