#pragma once
#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MPlug.h>

namespace mayahost {
class Node;
}

// A node's stored values, as its compute sees them. Reading an input makes it current first.
class OPENMAYA_EXPORT MDataBlock {
public:
    explicit MDataBlock(mayahost::Node* node) : node_(node) {}

    MDataHandle inputValue(const MPlug& plug, MStatus* status = nullptr);
    MDataHandle inputValue(const MObject& attribute, MStatus* status = nullptr);
    MDataHandle outputValue(const MPlug& plug, MStatus* status = nullptr);
    MDataHandle outputValue(const MObject& attribute, MStatus* status = nullptr);
    MArrayDataHandle inputArrayValue(const MPlug& plug, MStatus* status = nullptr);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* status = nullptr);
    MArrayDataHandle outputArrayValue(const MPlug& plug, MStatus* status = nullptr);
    MArrayDataHandle outputArrayValue(const MObject& attribute, MStatus* status = nullptr);
    MStatus setClean(const MPlug& plug);
    MStatus setClean(const MObject& attribute);
    bool isClean(const MPlug& plug);
    bool isClean(const MObject& attribute);

private:
    mayahost::Node* node_;
};
