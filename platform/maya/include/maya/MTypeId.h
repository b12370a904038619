#pragma once
#include <maya/MTypes.h>

// A node type's fixed 32-bit identifier, stored in scenes.
class OPENMAYA_EXPORT MTypeId {
public:
    MTypeId() = default;
    MTypeId(unsigned int id) : id_(id) {}
    MTypeId(unsigned int prefix, unsigned int id) : id_((prefix << 8) | (id & 0xff)) {}
    unsigned int id() const { return id_; }
    bool operator==(const MTypeId& other) const { return id_ == other.id_; }
    bool operator!=(const MTypeId& other) const { return id_ != other.id_; }

private:
    unsigned int id_ = 0;
};
