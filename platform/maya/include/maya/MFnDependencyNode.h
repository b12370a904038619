#pragma once
#include <maya/MFnBase.h>
#include <maya/MPlug.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

class MPxNode;

// Names, type and plugs of a node.
class OPENMAYA_EXPORT MFnDependencyNode : public MFnBase {
public:
    MFnDependencyNode() = default;
    MFnDependencyNode(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kDependencyNode; }
    MStatus setObject(const MObject& object) override;

    // Creates a node of the named type; a shape type also gets a parent transform.
    MObject create(const MString& typeName, MStatus* status = nullptr);
    MObject create(const MString& typeName, const MString& name, MStatus* status = nullptr);
    MObject create(const MTypeId& typeId, MStatus* status = nullptr);
    MObject create(const MTypeId& typeId, const MString& name, MStatus* status = nullptr);

    MString name(MStatus* status = nullptr) const;
    // Renames the node; "#" becomes the smallest number that makes the name unique, and a name
    // already taken gets a number appended. Answers the name given.
    MString setName(const MString& name, bool createNamespace = false, MStatus* status = nullptr);
    MString typeName(MStatus* status = nullptr) const;
    MTypeId typeId(MStatus* status = nullptr) const;
    MPxNode* userNode(MStatus* status = nullptr) const;

    MPlug findPlug(const MString& attributeName, bool wantNetworkedPlug, MStatus* status = nullptr) const;
    MPlug findPlug(const MString& attributeName, MStatus* status = nullptr) const;
    MPlug findPlug(const MObject& attribute, bool wantNetworkedPlug, MStatus* status = nullptr) const;
    MPlug findPlug(const MObject& attribute, MStatus* status = nullptr) const;
    MObject attribute(const MString& attributeName, MStatus* status = nullptr) const;
    MObject attribute(unsigned int index, MStatus* status = nullptr) const;
    unsigned int attributeCount(MStatus* status = nullptr) const;
    bool hasAttribute(const MString& attributeName, MStatus* status = nullptr) const;
};
