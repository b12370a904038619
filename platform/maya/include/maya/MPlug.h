#pragma once
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTime.h>

#include <vector>

class MPlugArray;
class MIntArray;

namespace mayahost {
class Attribute;
}

// One attribute of one node (or an element or child of it): its value and connections.
class OPENMAYA_EXPORT MPlug {
public:
    struct Step {
        const mayahost::Attribute* attribute;
        int index;  // logical element index, -1 for the whole attribute
        bool operator==(const Step& o) const { return attribute == o.attribute && index == o.index; }
        bool operator!=(const Step& o) const { return !(*this == o); }
    };

    MPlug() = default;
    MPlug(const MObject& node, const MObject& attribute);
    MPlug(const MObject& node, std::vector<Step> path) : node_(node), path_(std::move(path)) {}

    bool isNull(MStatus* status = nullptr) const;
    MObject node(MStatus* status = nullptr) const;
    MObject attribute(MStatus* status = nullptr) const;
    // "node.attribute[3].child"
    MString name(MStatus* status = nullptr) const;
    MString info(MStatus* status = nullptr) const;
    MString partialName(bool includeNodeName = false, bool includeNonMandatoryIndices = false,
                        bool includeInstancedIndices = false, bool useAlias = false,
                        bool useFullAttributePath = false, bool useLongNames = false,
                        MStatus* status = nullptr) const;

    bool isArray(MStatus* status = nullptr) const;
    bool isElement(MStatus* status = nullptr) const;
    bool isCompound(MStatus* status = nullptr) const;
    bool isChild(MStatus* status = nullptr) const;
    unsigned int logicalIndex(MStatus* status = nullptr) const;
    MPlug elementByLogicalIndex(unsigned int index, MStatus* status = nullptr) const;
    MPlug elementByPhysicalIndex(unsigned int index, MStatus* status = nullptr) const;
    unsigned int numElements(MStatus* status = nullptr) const;
    unsigned int evaluateNumElements(MStatus* status = nullptr) const;
    int getExistingArrayAttributeIndices(MIntArray& indices, MStatus* status = nullptr) const;
    MPlug array(MStatus* status = nullptr) const;
    MPlug parent(MStatus* status = nullptr) const;
    unsigned int numChildren(MStatus* status = nullptr) const;
    MPlug child(unsigned int index, MStatus* status = nullptr) const;
    MPlug child(const MObject& attribute, MStatus* status = nullptr) const;
    MStatus selectAncestorLogicalIndex(unsigned int index, const MObject& attribute = MObject::kNullObj);

    bool isConnected(MStatus* status = nullptr) const;
    bool isSource(MStatus* status = nullptr) const;
    bool isDestination(MStatus* status = nullptr) const;
    bool connectedTo(MPlugArray& plugs, bool asDst, bool asSrc, MStatus* status = nullptr) const;
    MPlug source(MStatus* status = nullptr) const;

    MStatus getValue(bool& value) const;
    MStatus getValue(char& value) const;
    MStatus getValue(short& value) const;
    MStatus getValue(int& value) const;
    MStatus getValue(float& value) const;
    MStatus getValue(double& value) const;
    MStatus getValue(MString& value) const;
    MStatus getValue(MTime& value) const;
    MStatus getValue(MObject& value) const;
    MStatus setValue(bool value);
    MStatus setValue(char value);
    MStatus setValue(short value);
    MStatus setValue(int value);
    MStatus setValue(float value);
    MStatus setValue(double value);
    MStatus setValue(const MString& value);
    MStatus setValue(const char* value) { return setValue(MString(value)); }
    MStatus setValue(const MTime& value);
    MStatus setValue(MObject& value);

    bool asBool(MStatus* status = nullptr) const;
    short asShort(MStatus* status = nullptr) const;
    int asInt(MStatus* status = nullptr) const;
    float asFloat(MStatus* status = nullptr) const;
    double asDouble(MStatus* status = nullptr) const;
    MString asString(MStatus* status = nullptr) const;
    MTime asMTime(MStatus* status = nullptr) const;
    MObject asMObject(MStatus* status = nullptr) const;
    MStatus setBool(bool value) { return setValue(value); }
    MStatus setShort(short value) { return setValue(value); }
    MStatus setInt(int value) { return setValue(value); }
    MStatus setFloat(float value) { return setValue(value); }
    MStatus setDouble(double value) { return setValue(value); }
    MStatus setString(const MString& value) { return setValue(value); }
    MStatus setMTime(const MTime& value) { return setValue(value); }
    MStatus setMObject(MObject& value) { return setValue(value); }

    // Compares the plug's attribute: `plug == aOutput` inside compute.
    bool operator==(const MObject& attribute) const;
    bool operator!=(const MObject& attribute) const { return !(*this == attribute); }
    bool operator==(const MPlug& other) const;
    bool operator!=(const MPlug& other) const { return !(*this == other); }

    const std::vector<Step>& hostPath() const { return path_; }

private:
    MStatus readNumber(int component, double& value) const;
    MStatus writeNumber(double value);

    MObject node_;
    std::vector<Step> path_;
};
