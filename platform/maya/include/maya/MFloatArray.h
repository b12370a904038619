#pragma once
#include <mayahost/ValueArray.h>

// A growable array of floats.
class OPENMAYA_EXPORT MFloatArray : public mayahost::ValueArray<float, MFloatArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MFloatArray(std::shared_ptr<std::vector<float>> shared) : ValueArray(std::move(shared)) {}
    MFloatArray() = default;
    MFloatArray(unsigned int initialSize, float initialValue = 0.0f)
        : ValueArray(initialSize, initialValue) {}
    MFloatArray(const float source[], unsigned int count) : ValueArray(source, count) {}
};
