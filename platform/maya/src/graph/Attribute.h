#pragma once
// An attribute definition: what a node type's plugs are made of. Created by the attribute
// function sets, added to a node type while it is being registered, then never changed.
#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graph/HostObject.h"

namespace mayahost {

class Attribute : public HostObject {
public:
    enum class Kind { Numeric, Typed, Compound, Enum, Time, Angle, Distance, Matrix, Message };

    Attribute(Kind kind, std::string longName, std::string shortName)
        : kind(kind), longName(std::move(longName)), shortName(std::move(shortName)) {}

    MFn::Type apiType() const override;
    bool hasFn(MFn::Type type) const override {
        return HostObject::hasFn(type) || type == MFn::kAttribute;
    }

    Kind kind;
    std::string longName;
    std::string shortName;
    MFnNumericData::Type numericType = MFnNumericData::kInvalid;
    MFnData::Type dataType = MFnData::kInvalid;
    bool floatMatrix = false;

    // Numeric, enum and unit defaults and limits, one per component.
    double defaults[4] = {0, 0, 0, 0};
    bool hasMin = false, hasMax = false;
    double minimum[4] = {0, 0, 0, 0};
    double maximum[4] = {0, 0, 0, 0};
    std::shared_ptr<Data> defaultData;
    std::vector<std::pair<std::string, short>> enumFields;

    bool readable = true, writable = true, storable = true, keyable = false, hidden = false;
    bool array = false, connectable = true, cached = true, indexMatters = true;
    bool usesArrayDataBuilder = false, internal = false;

    std::vector<std::shared_ptr<Attribute>> children;
    Attribute* parent = nullptr;
    // A child of a numeric compound (translateX of translate) stores its value as one
    // component of the parent's value; this is that component's index, or -1.
    int component = -1;

    int componentCount() const;
    bool isNumericCompound() const { return kind == Kind::Numeric && !children.empty(); }
    bool isAncestorOf(const Attribute* other) const;
    // Both names, for messages: "longName".
    const std::string& name() const { return longName; }
    // Clamps component i of a numeric value to the limits.
    double clamp(int i, double value) const;
    // The value a plug of this attribute holds for a stored number, which a connection may have
    // brought from a plug of another type: for a boolean 1 unless the number is 0 or NaN; for the
    // other integer types (enum included) its whole part, or the nearest end of the type's range
    // beyond it (NaN holds 0); for every other kind the number itself. getAttr, the plug reads,
    // the data handles' reads and connections all go through here, so that they agree.
    double heldValue(double stored) const;
    // Whether heldValue may differ from the stored number: boolean, integer and enum types.
    bool holdsWholeNumbers() const;
};

using AttributePtr = std::shared_ptr<Attribute>;

// The attribute an MObject refers to, or null.
Attribute* attributeOf(const class ::MObject& object);

}  // namespace mayahost
