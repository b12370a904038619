#pragma once
#include <maya/MColor.h>
#include <mayahost/ValueArray.h>

// A growable array of colours.
class OPENMAYA_EXPORT MColorArray : public mayahost::ValueArray<MColor, MColorArray> {
public:
    // Host side: an array over storage shared with a data object.
    explicit MColorArray(std::shared_ptr<std::vector<MColor>> shared) : ValueArray(std::move(shared)) {}
    MColorArray() = default;
    MColorArray(unsigned int initialSize, const MColor& initialValue = MColor())
        : ValueArray(initialSize, initialValue) {}
    MColorArray(const MColor source[], unsigned int count) : ValueArray(source, count) {}
    MColorArray(const float source[][4], unsigned int count) {
        for (unsigned int i = 0; source && i < count; ++i)
            items_.emplace_back(source[i][0], source[i][1], source[i][2], source[i][3]);
    }

    using ValueArray::set;
    MStatus set(unsigned int index, float r, float g, float b, float a = 1.0f) {
        return set(MColor(r, g, b, a), index);
    }
    MStatus get(float dest[][4]) const { return getRows(dest); }
};
