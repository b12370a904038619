#pragma once
#include <maya/MString.h>
#include <mayahost/ValueArray.h>

// A growable array of strings.
class OPENMAYA_EXPORT MStringArray : public mayahost::ValueArray<MString, MStringArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MStringArray(std::shared_ptr<std::vector<MString>> shared) : ValueArray(std::move(shared)) {}
    MStringArray() = default;
    MStringArray(unsigned int initialSize, const MString& initialValue)
        : ValueArray(initialSize, initialValue) {}
    MStringArray(const MString source[], unsigned int count) : ValueArray(source, count) {}
    MStringArray(const char* source[], unsigned int count) {
        for (unsigned int i = 0; source && i < count; ++i) items_.emplace_back(source[i]);
    }
};
