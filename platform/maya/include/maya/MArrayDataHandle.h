#pragma once
#include <maya/MArrayDataBuilder.h>
#include <maya/MDataHandle.h>

// Walks the elements of an array attribute's value, in logical index order.
class OPENMAYA_EXPORT MArrayDataHandle {
public:
    MArrayDataHandle() = default;
    MArrayDataHandle(mayahost::Slot* slot, const mayahost::Attribute* attribute, mayahost::Node* node = nullptr)
        : slot_(slot), attribute_(attribute), node_(node) {}

    MDataHandle inputValue(MStatus* status = nullptr);
    MDataHandle outputValue(MStatus* status = nullptr);
    MArrayDataHandle inputArrayValue(MStatus* status = nullptr);
    MArrayDataHandle outputArrayValue(MStatus* status = nullptr);
    MStatus next();
    unsigned int elementCount(MStatus* status = nullptr);
    unsigned int elementIndex(MStatus* status = nullptr);
    // Moves to the position-th element (0 = first), or to the element of that logical index.
    MStatus jumpToElement(unsigned int position);
    MStatus jumpToArrayElement(unsigned int logicalIndex);
    MStatus setClean();
    MStatus setAllClean();
    MArrayDataBuilder builder(MStatus* status = nullptr);
    MStatus set(const MArrayDataBuilder& builder);

private:
    mayahost::Slot* current(MStatus* status);
    mayahost::Slot* slot_ = nullptr;
    const mayahost::Attribute* attribute_ = nullptr;
    mayahost::Node* node_ = nullptr;
    unsigned position_ = 0;
};
