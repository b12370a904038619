#pragma once
#include <mayahost/ValueArray.h>

// A growable array of integers.
class OPENMAYA_EXPORT MIntArray : public mayahost::ValueArray<int, MIntArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MIntArray(std::shared_ptr<std::vector<int>> shared) : ValueArray(std::move(shared)) {}
    MIntArray() = default;
    MIntArray(unsigned int initialSize, int initialValue = 0)
        : ValueArray(initialSize, initialValue) {}
    MIntArray(const int source[], unsigned int count) : ValueArray(source, count) {}
};
