#pragma once
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <vector>

class MStringArray;

// A list of nodes and plugs, found by name ("node" or "node.attribute[2]").
class OPENMAYA_EXPORT MSelectionList {
public:
    MSelectionList() = default;

    MStatus add(const MString& name, bool searchChildNamespacesToo = false);
    MStatus add(const MObject& node, bool mergeWithExisting = false);
    MStatus add(const MDagPath& path, const MObject& component = MObject::kNullObj, bool mergeWithExisting = false);
    MStatus add(const MPlug& plug, bool mergeWithExisting = true);
    MStatus remove(unsigned int index);
    MStatus clear();
    unsigned int length(MStatus* status = nullptr) const;
    bool isEmpty(MStatus* status = nullptr) const { return length(status) == 0; }

    MStatus getDependNode(unsigned int index, MObject& node) const;
    MStatus getDagPath(unsigned int index, MDagPath& path, MObject& component) const;
    MStatus getDagPath(unsigned int index, MDagPath& path) const;
    MStatus getPlug(unsigned int index, MPlug& plug) const;
    MStatus getSelectionStrings(MStringArray& names) const;

private:
    struct Item {
        MObject node;
        MPlug plug;
    };
    std::vector<Item> items_;
};
