#pragma once
#include <mayahost/ValueArray.h>

// A growable array of unsigned integers.
class OPENMAYA_EXPORT MUintArray : public mayahost::ValueArray<unsigned int, MUintArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MUintArray(std::shared_ptr<std::vector<unsigned int>> shared) : ValueArray(std::move(shared)) {}
    MUintArray() = default;
    MUintArray(unsigned int initialSize, unsigned int initialValue = 0)
        : ValueArray(initialSize, initialValue) {}
    MUintArray(const unsigned int source[], unsigned int count) : ValueArray(source, count) {}
};
