#pragma once
#include <maya/MDataHandle.h>

#include <map>
#include <memory>

class MDataBlock;

// Builds the elements of an array attribute's value; MArrayDataHandle::set stores them.
class OPENMAYA_EXPORT MArrayDataBuilder {
public:
    MArrayDataBuilder() = default;
    MArrayDataBuilder(const MObject& attribute, unsigned int numElements, MStatus* status = nullptr);
    MArrayDataBuilder(MDataBlock* block, const MObject& attribute, unsigned int numElements,
                      MStatus* status = nullptr);

    MDataHandle addElement(unsigned int index, MStatus* status = nullptr);
    MDataHandle addLast(MStatus* status = nullptr);
    MStatus removeElement(unsigned int index);
    unsigned int elementCount(MStatus* status = nullptr) const;
    MStatus growArray(unsigned int amount);

    // Host side: the elements being built.
    std::map<unsigned, mayahost::Slot>* hostElements() const { return target_; }
    const mayahost::Attribute* hostAttribute() const { return attribute_; }

private:
    friend class MArrayDataHandle;
    const mayahost::Attribute* attribute_ = nullptr;
    std::shared_ptr<std::map<unsigned, mayahost::Slot>> own_;
    std::map<unsigned, mayahost::Slot>* target_ = nullptr;
};
