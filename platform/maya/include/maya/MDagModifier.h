#pragma once
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <vector>

// Collects graph edits and makes them on doIt: nodes are created at once (so that their
// objects can be connected), connections are made by doIt, and undoIt takes both back.
class OPENMAYA_EXPORT MDagModifier {
public:
    MDagModifier();
    virtual ~MDagModifier();

    // A node of the type; a DAG node goes under `parent` (a transform), or, for a shape
    // without one, under a new transform.
    MObject createNode(const MString& typeName, const MObject& parent = MObject::kNullObj,
                       MStatus* status = nullptr);
    MObject createNode(const MTypeId& typeId, const MObject& parent = MObject::kNullObj,
                       MStatus* status = nullptr);
    MStatus connect(const MObject& sourceNode, const MObject& sourceAttribute,
                    const MObject& destinationNode, const MObject& destinationAttribute);
    MStatus connect(const MPlug& source, const MPlug& destination);
    MStatus doIt();
    MStatus undoIt();

private:
    std::vector<MObject> created_;
    std::vector<std::pair<MPlug, MPlug>> pending_, made_;
};
