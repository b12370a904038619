#pragma once
#include <maya/MPlug.h>

#include <vector>

class OPENMAYA_EXPORT MPlugArray {
public:
    MPlugArray() = default;
    unsigned int length() const { return static_cast<unsigned int>(plugs_.size()); }
    MPlug& operator[](unsigned int index) { return plugs_.at(index); }
    const MPlug& operator[](unsigned int index) const { return plugs_.at(index); }
    MStatus append(const MPlug& plug) { plugs_.push_back(plug); return MS::kSuccess; }
    MStatus clear() { plugs_.clear(); return MS::kSuccess; }
    MStatus setLength(unsigned int length) { plugs_.resize(length); return MS::kSuccess; }

private:
    std::vector<MPlug> plugs_;
};
