#pragma once
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

// The path from the world to a DAG node, through its parent transforms.
class OPENMAYA_EXPORT MDagPath {
public:
    MDagPath() = default;

    static MStatus getAPathTo(const MObject& node, MDagPath& path);

    bool isValid(MStatus* status = nullptr) const;
    MObject node(MStatus* status = nullptr) const;
    // The node itself when it is a transform, else its parent transform.
    MObject transform(MStatus* status = nullptr) const;
    unsigned int length(MStatus* status = nullptr) const;
    unsigned int childCount(MStatus* status = nullptr) const;
    MObject child(unsigned int index, MStatus* status = nullptr) const;
    MStatus push(const MObject& child);
    MStatus pop(unsigned int count = 1);
    MStatus extendToShape();
    MFn::Type apiType(MStatus* status = nullptr) const;
    bool hasFn(MFn::Type type, MStatus* status = nullptr) const;
    MString fullPathName(MStatus* status = nullptr) const;
    MString partialPathName(MStatus* status = nullptr) const;
    // The world matrix of the node, and that of its parent.
    MMatrix inclusiveMatrix(MStatus* status = nullptr) const;
    MMatrix exclusiveMatrix(MStatus* status = nullptr) const;
    MMatrix inclusiveMatrixInverse(MStatus* status = nullptr) const;
    MMatrix exclusiveMatrixInverse(MStatus* status = nullptr) const;

    bool operator==(const MDagPath& other) const { return node_ == other.node_; }

private:
    MObject node_;
};
