// The attribute function sets: they build attribute definitions.
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>

#include <algorithm>
#include <cmath>

#include "data/DataTypes.h"
#include "graph/Attribute.h"
#include "graph/NumberRange.h"

namespace mayahost {

MFn::Type Attribute::apiType() const {
    switch (kind) {
        case Kind::Numeric: return MFn::kNumericAttribute;
        case Kind::Typed: return MFn::kTypedAttribute;
        case Kind::Compound: return MFn::kCompoundAttribute;
        case Kind::Enum: return MFn::kEnumAttribute;
        case Kind::Time:
        case Kind::Angle:
        case Kind::Distance: return MFn::kUnitAttribute;
        case Kind::Matrix: return MFn::kMatrixAttribute;
        case Kind::Message: return MFn::kMessageAttribute;
    }
    return MFn::kAttribute;
}

int Attribute::componentCount() const {
    if (kind != Kind::Numeric) return 1;
    switch (numericType) {
        case MFnNumericData::k2Short:
        case MFnNumericData::k2Long:
        case MFnNumericData::k2Float:
        case MFnNumericData::k2Double: return 2;
        case MFnNumericData::k3Short:
        case MFnNumericData::k3Long:
        case MFnNumericData::k3Float:
        case MFnNumericData::k3Double: return 3;
        case MFnNumericData::k4Double: return 4;
        default: return 1;
    }
}

bool Attribute::isAncestorOf(const Attribute* other) const {
    for (const Attribute* a = other ? other->parent : nullptr; a; a = a->parent)
        if (a == this) return true;
    return false;
}

double Attribute::clamp(int i, double value) const {
    if (hasMin && value < minimum[i]) value = minimum[i];
    if (hasMax && value > maximum[i]) value = maximum[i];
    return value;
}

double Attribute::heldValue(double stored) const {
    if (kind == Kind::Enum) return toNearest<short>(stored);
    if (kind != Kind::Numeric) return stored;
    switch (numericType) {
        case MFnNumericData::kBoolean:
            return toNearest<bool>(stored);
        case MFnNumericData::kByte:
            return toNearest<unsigned char>(stored);
        case MFnNumericData::kChar:
            return toNearest<char>(stored);
        case MFnNumericData::kShort:
        case MFnNumericData::k2Short:
        case MFnNumericData::k3Short:
            return toNearest<short>(stored);
        case MFnNumericData::kLong:
        case MFnNumericData::k2Long:
        case MFnNumericData::k3Long:
            return toNearest<int>(stored);
        default:
            return stored;
    }
}

bool Attribute::holdsWholeNumbers() const {
    // Every whole-number type holds 0.5 as 0, or a boolean as 1.
    return heldValue(0.5) != 0.5;
}

Attribute* attributeOf(const MObject& object) {
    return dynamic_cast<Attribute*>(object.host().get());
}

}  // namespace mayahost

using mayahost::Attribute;
using Kind = mayahost::Attribute::Kind;

namespace {

MStatus noAttribute() { return MStatus(MS::kInvalidParameter, "(kInvalidParameter): No attribute is attached to the function set"); }

template <class Set>
Attribute* attached(const Set& set, Kind kind, MStatus* status) {
    Attribute* a = mayahost::attributeOf(set.object());
    bool ok = a && a->kind == kind;
    if (status) *status = ok ? MStatus(MS::kSuccess) : noAttribute();
    return ok ? a : nullptr;
}

MFnNumericData::Type componentType(MFnNumericData::Type compound) {
    switch (compound) {
        case MFnNumericData::k2Short:
        case MFnNumericData::k3Short: return MFnNumericData::kShort;
        case MFnNumericData::k2Long:
        case MFnNumericData::k3Long: return MFnNumericData::kLong;
        case MFnNumericData::k2Float:
        case MFnNumericData::k3Float: return MFnNumericData::kFloat;
        case MFnNumericData::k2Double:
        case MFnNumericData::k3Double:
        case MFnNumericData::k4Double: return MFnNumericData::kDouble;
        default: return compound;
    }
}

MFnNumericData::Type compoundType(MFnNumericData::Type component, int count) {
    switch (component) {
        case MFnNumericData::kShort: return count == 2 ? MFnNumericData::k2Short : MFnNumericData::k3Short;
        case MFnNumericData::kLong: return count == 2 ? MFnNumericData::k2Long : MFnNumericData::k3Long;
        case MFnNumericData::kFloat: return count == 2 ? MFnNumericData::k2Float : MFnNumericData::k3Float;
        case MFnNumericData::kDouble: return count == 2 ? MFnNumericData::k2Double : MFnNumericData::k3Double;
        default: return MFnNumericData::kInvalid;
    }
}

bool validName(const MString& full, const MString& brief) { return full.length() > 0 && brief.length() > 0; }

// Links numeric children to their compound: each child is one component of the parent's value.
void adoptComponents(const std::shared_ptr<Attribute>& parent) {
    for (size_t i = 0; i < parent->children.size(); ++i) {
        parent->children[i]->parent = parent.get();
        parent->children[i]->component = static_cast<int>(i);
        parent->defaults[i] = parent->children[i]->defaults[0];
    }
}

}  // namespace

// ---- MFnAttribute

MFnAttribute::MFnAttribute(const MObject& object, MStatus* status) {
    MStatus s = setObject(object);
    if (!mayahost::attributeOf(object)) s = noAttribute();
    if (status) *status = s;
}

Attribute* MFnAttribute::attribute() const { return mayahost::attributeOf(object_); }

MObject MFnAttribute::adopt(const std::shared_ptr<Attribute>& attribute, MStatus* status) {
    object_ = MObject(attribute);
    if (status) *status = MS::kSuccess;
    return object_;
}

MString MFnAttribute::name() const { return attribute() ? MString(attribute()->longName) : MString(); }
MString MFnAttribute::shortName() const { return attribute() ? MString(attribute()->shortName) : MString(); }

MObject MFnAttribute::parent(MStatus* status) const {
    if (status) *status = MS::kSuccess;
    (void)status;
    return MObject();  // parents are reached through plugs
}

#define FLAG_ACCESSORS(getter, setter, field)                            \
    bool MFnAttribute::getter() const { return attribute() && attribute()->field; } \
    MStatus MFnAttribute::setter(bool state) {                          \
        if (!attribute()) return noAttribute();                         \
        attribute()->field = state;                                     \
        return MS::kSuccess;                                            \
    }
FLAG_ACCESSORS(isReadable, setReadable, readable)
FLAG_ACCESSORS(isWritable, setWritable, writable)
FLAG_ACCESSORS(isConnectable, setConnectable, connectable)
FLAG_ACCESSORS(isStorable, setStorable, storable)
FLAG_ACCESSORS(isCached, setCached, cached)
FLAG_ACCESSORS(isArray, setArray, array)
FLAG_ACCESSORS(indexMatters, setIndexMatters, indexMatters)
FLAG_ACCESSORS(isKeyable, setKeyable, keyable)
FLAG_ACCESSORS(isHidden, setHidden, hidden)
FLAG_ACCESSORS(usesArrayDataBuilder, setUsesArrayDataBuilder, usesArrayDataBuilder)
#undef FLAG_ACCESSORS

MStatus MFnAttribute::setChannelBox(bool) { return attribute() ? MStatus() : noAttribute(); }
MStatus MFnAttribute::setInternal(bool state) {
    if (!attribute()) return noAttribute();
    attribute()->internal = state;
    return MS::kSuccess;
}
MStatus MFnAttribute::setDisconnectBehavior(DisconnectBehavior) { return attribute() ? MStatus() : noAttribute(); }
MStatus MFnAttribute::setNiceNameOverride(const MString&) { return attribute() ? MStatus() : noAttribute(); }

// ---- MFnNumericAttribute

MFnNumericAttribute::MFnNumericAttribute(const MObject& object, MStatus* status) : MFnAttribute(object, status) {}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    MFnNumericData::Type unitType, double defaultValue, MStatus* status) {
    if (!validName(fullName, briefName) || unitType <= MFnNumericData::kInvalid || unitType >= MFnNumericData::kAddr) {
        if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Invalid numeric attribute");
        return MObject();
    }
    auto a = std::make_shared<Attribute>(Kind::Numeric, fullName.asChar(), briefName.asChar());
    a->numericType = unitType;
    int count = a->componentCount();
    if (count > 1) {
        static const char* suffix[] = {"X", "Y", "Z", "W"};
        static const char* brief[] = {"x", "y", "z", "w"};
        for (int i = 0; i < count; ++i) {
            auto c = std::make_shared<Attribute>(Kind::Numeric, a->longName + suffix[i], a->shortName + brief[i]);
            c->numericType = componentType(unitType);
            c->defaults[0] = defaultValue;
            a->children.push_back(c);
        }
        adoptComponents(a);
    } else {
        a->defaults[0] = defaultValue;
    }
    return adopt(a, status);
}

static MObject createTriple(MFnNumericAttribute& set, const MString& fullName, const MString& briefName,
                            const char* const* suffix, const char* const* brief, MStatus* status) {
    MObject children[3];
    for (int i = 0; i < 3; ++i) {
        MFnNumericAttribute child;
        children[i] = child.create(fullName + suffix[i], briefName + brief[i], MFnNumericData::kFloat, 0, status);
        if (children[i].isNull()) return MObject();
    }
    return set.create(fullName, briefName, children[0], children[1], children[2], status);
}

MObject MFnNumericAttribute::createColor(const MString& fullName, const MString& briefName, MStatus* status) {
    static const char* suffix[] = {"R", "G", "B"};
    static const char* brief[] = {"r", "g", "b"};
    return createTriple(*this, fullName, briefName, suffix, brief, status);
}

MObject MFnNumericAttribute::createPoint(const MString& fullName, const MString& briefName, MStatus* status) {
    static const char* suffix[] = {"X", "Y", "Z"};
    static const char* brief[] = {"x", "y", "z"};
    return createTriple(*this, fullName, briefName, suffix, brief, status);
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName, const MObject& child1,
                                    const MObject& child2, const MObject& child3, MStatus* status) {
    std::vector<std::shared_ptr<Attribute>> children;
    for (const MObject* c : {&child1, &child2, &child3}) {
        if (c->isNull()) continue;
        auto a = std::dynamic_pointer_cast<Attribute>(c->host());
        if (!a || a->kind != Kind::Numeric || a->componentCount() != 1 || a->parent) {
            if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Children must be single numeric attributes");
            return MObject();
        }
        children.push_back(a);
    }
    MFnNumericData::Type type = children.size() >= 2 ? compoundType(children[0]->numericType, int(children.size()))
                                                     : MFnNumericData::kInvalid;
    if (!validName(fullName, briefName) || type == MFnNumericData::kInvalid) {
        if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Invalid numeric compound");
        return MObject();
    }
    auto a = std::make_shared<Attribute>(Kind::Numeric, fullName.asChar(), briefName.asChar());
    a->numericType = type;
    a->children = children;
    adoptComponents(a);
    return adopt(a, status);
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* status) const {
    Attribute* a = attached(*this, Kind::Numeric, status);
    return a ? a->numericType : MFnNumericData::kInvalid;
}

MStatus MFnNumericAttribute::setDefaults(int count, const double* values) {
    MStatus status;
    Attribute* a = attached(*this, Kind::Numeric, &status);
    if (!a) return status;
    int n = std::min(count, a->componentCount());
    for (int i = 0; i < n; ++i) {
        a->defaults[i] = values[i];
        if (i < int(a->children.size())) a->children[i]->defaults[0] = values[i];
    }
    return MS::kSuccess;
}

MStatus MFnNumericAttribute::setDefault(bool value) { double v = value; return setDefaults(1, &v); }
MStatus MFnNumericAttribute::setDefault(int value) { double v = value; return setDefaults(1, &v); }
MStatus MFnNumericAttribute::setDefault(float value) { double v = value; return setDefaults(1, &v); }
MStatus MFnNumericAttribute::setDefault(double value) { return setDefaults(1, &value); }
MStatus MFnNumericAttribute::setDefault(int a, int b) { double v[] = {double(a), double(b)}; return setDefaults(2, v); }
MStatus MFnNumericAttribute::setDefault(float a, float b) { double v[] = {a, b}; return setDefaults(2, v); }
MStatus MFnNumericAttribute::setDefault(double a, double b) { double v[] = {a, b}; return setDefaults(2, v); }
MStatus MFnNumericAttribute::setDefault(int a, int b, int c) { double v[] = {double(a), double(b), double(c)}; return setDefaults(3, v); }
MStatus MFnNumericAttribute::setDefault(float a, float b, float c) { double v[] = {a, b, c}; return setDefaults(3, v); }
MStatus MFnNumericAttribute::setDefault(double a, double b, double c) { double v[] = {a, b, c}; return setDefaults(3, v); }

MStatus MFnNumericAttribute::setLimits(bool isMin, int count, const double* values) {
    MStatus status;
    Attribute* a = attached(*this, Kind::Numeric, &status);
    if (!a) return status;
    int n = a->componentCount();
    for (int i = 0; i < n; ++i) {
        double v = values[std::min(i, count - 1)];
        (isMin ? a->minimum : a->maximum)[i] = v;
        if (i < int(a->children.size())) {
            Attribute& c = *a->children[i];
            (isMin ? c.minimum : c.maximum)[0] = v;
            (isMin ? c.hasMin : c.hasMax) = true;
        }
    }
    (isMin ? a->hasMin : a->hasMax) = true;
    return MS::kSuccess;
}

MStatus MFnNumericAttribute::setMin(double value) { return setLimits(true, 1, &value); }
MStatus MFnNumericAttribute::setMax(double value) { return setLimits(false, 1, &value); }
MStatus MFnNumericAttribute::setMin(double a, double b, double c) { double v[] = {a, b, c}; return setLimits(true, 3, v); }
MStatus MFnNumericAttribute::setMax(double a, double b, double c) { double v[] = {a, b, c}; return setLimits(false, 3, v); }
MStatus MFnNumericAttribute::setSoftMin(double) { return attribute() ? MStatus() : noAttribute(); }
MStatus MFnNumericAttribute::setSoftMax(double) { return attribute() ? MStatus() : noAttribute(); }
bool MFnNumericAttribute::hasMin() const { return attribute() && attribute()->hasMin; }
bool MFnNumericAttribute::hasMax() const { return attribute() && attribute()->hasMax; }

MStatus MFnNumericAttribute::getMin(double& value) const {
    if (!hasMin()) return MS::kFailure;
    value = attribute()->minimum[0];
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getMax(double& value) const {
    if (!hasMax()) return MS::kFailure;
    value = attribute()->maximum[0];
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getDefault(double& value) const {
    if (!attribute()) return noAttribute();
    value = attribute()->defaults[0];
    return MS::kSuccess;
}
MStatus MFnNumericAttribute::getDefault(double& a, double& b, double& c) const {
    if (!attribute()) return noAttribute();
    a = attribute()->defaults[0], b = attribute()->defaults[1], c = attribute()->defaults[2];
    return MS::kSuccess;
}

// ---- MFnTypedAttribute

MFnTypedAttribute::MFnTypedAttribute(const MObject& object, MStatus* status) : MFnAttribute(object, status) {}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName, MFnData::Type type,
                                  const MObject& defaultData, MStatus* status) {
    if (!validName(fullName, briefName) || type <= MFnData::kInvalid || type >= MFnData::kLast) {
        if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Invalid typed attribute");
        return MObject();
    }
    auto a = std::make_shared<Attribute>(Kind::Typed, fullName.asChar(), briefName.asChar());
    a->dataType = type;
    a->defaultData = std::dynamic_pointer_cast<mayahost::Data>(defaultData.host());
    return adopt(a, status);
}

MFnData::Type MFnTypedAttribute::attrType(MStatus* status) const {
    Attribute* a = attached(*this, Kind::Typed, status);
    return a ? a->dataType : MFnData::kInvalid;
}

MStatus MFnTypedAttribute::setDefault(const MObject& defaultData) {
    MStatus status;
    Attribute* a = attached(*this, Kind::Typed, &status);
    if (a) a->defaultData = std::dynamic_pointer_cast<mayahost::Data>(defaultData.host());
    return status;
}

MStatus MFnTypedAttribute::getDefault(MObject& defaultData) const {
    MStatus status;
    Attribute* a = attached(*this, Kind::Typed, &status);
    if (a) defaultData = MObject(a->defaultData);
    return status;
}

// ---- MFnCompoundAttribute

MFnCompoundAttribute::MFnCompoundAttribute(const MObject& object, MStatus* status) : MFnAttribute(object, status) {}

MObject MFnCompoundAttribute::create(const MString& fullName, const MString& briefName, MStatus* status) {
    if (!validName(fullName, briefName)) {
        if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Invalid compound attribute");
        return MObject();
    }
    return adopt(std::make_shared<Attribute>(Kind::Compound, fullName.asChar(), briefName.asChar()), status);
}

MStatus MFnCompoundAttribute::addChild(const MObject& child) {
    MStatus status;
    Attribute* a = attached(*this, Kind::Compound, &status);
    if (!a) return status;
    auto c = std::dynamic_pointer_cast<Attribute>(child.host());
    if (!c || c->parent || c.get() == a)
        return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The child is not a free attribute");
    c->parent = a;
    a->children.push_back(c);
    return MS::kSuccess;
}

unsigned int MFnCompoundAttribute::numChildren(MStatus* status) const {
    Attribute* a = attached(*this, Kind::Compound, status);
    return a ? unsigned(a->children.size()) : 0;
}

MObject MFnCompoundAttribute::child(unsigned int index, MStatus* status) const {
    Attribute* a = attached(*this, Kind::Compound, status);
    if (!a || index >= a->children.size()) {
        if (status) *status = MS::kInvalidParameter;
        return MObject();
    }
    return MObject(a->children[index]);
}

// ---- MFnEnumAttribute

MFnEnumAttribute::MFnEnumAttribute(const MObject& object, MStatus* status) : MFnAttribute(object, status) {}

MObject MFnEnumAttribute::create(const MString& fullName, const MString& briefName, short defaultValue, MStatus* status) {
    if (!validName(fullName, briefName)) {
        if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Invalid enum attribute");
        return MObject();
    }
    auto a = std::make_shared<Attribute>(Kind::Enum, fullName.asChar(), briefName.asChar());
    a->defaults[0] = defaultValue;
    return adopt(a, status);
}

MStatus MFnEnumAttribute::addField(const MString& fieldName, short index) {
    MStatus status;
    Attribute* a = attached(*this, Kind::Enum, &status);
    if (!a) return status;
    for (auto& f : a->enumFields)
        if (f.first == fieldName.asChar() || f.second == index)
            return MStatus(MS::kInvalidParameter, "(kInvalidParameter): Duplicate enum field");
    a->enumFields.emplace_back(fieldName.asChar(), index);
    return MS::kSuccess;
}

MString MFnEnumAttribute::fieldName(short index, MStatus* status) const {
    Attribute* a = attached(*this, Kind::Enum, status);
    if (a)
        for (auto& f : a->enumFields)
            if (f.second == index) return MString(f.first);
    if (status) *status = MS::kInvalidParameter;
    return MString();
}

short MFnEnumAttribute::fieldIndex(const MString& name, MStatus* status) const {
    Attribute* a = attached(*this, Kind::Enum, status);
    if (a)
        for (auto& f : a->enumFields)
            if (f.first == name.asChar()) return f.second;
    if (status) *status = MS::kInvalidParameter;
    return 0;
}

MStatus MFnEnumAttribute::setDefault(short index) {
    MStatus status;
    Attribute* a = attached(*this, Kind::Enum, &status);
    if (a) a->defaults[0] = index;
    return status;
}

MStatus MFnEnumAttribute::setDefault(const MString& name) {
    MStatus status;
    short index = fieldIndex(name, &status);
    return status ? setDefault(index) : status;
}

static MStatus enumLimit(const Attribute* a, short& value, bool isMin) {
    if (!a || a->kind != Kind::Enum || a->enumFields.empty()) return MS::kFailure;
    value = a->enumFields[0].second;
    for (auto& f : a->enumFields) value = isMin ? std::min(value, f.second) : std::max(value, f.second);
    return MS::kSuccess;
}
MStatus MFnEnumAttribute::getMin(short& value) const { return enumLimit(attribute(), value, true); }
MStatus MFnEnumAttribute::getMax(short& value) const { return enumLimit(attribute(), value, false); }

// ---- MFnUnitAttribute

MFnUnitAttribute::MFnUnitAttribute(const MObject& object, MStatus* status) : MFnAttribute(object, status) {}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, Type unitType,
                                 double defaultValue, MStatus* status) {
    if (!validName(fullName, briefName) || unitType <= kInvalid || unitType >= kLast) {
        if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Invalid unit attribute");
        return MObject();
    }
    Kind kind = unitType == kTime ? Kind::Time : unitType == kAngle ? Kind::Angle : Kind::Distance;
    auto a = std::make_shared<Attribute>(kind, fullName.asChar(), briefName.asChar());
    // A time default given as a plain number is in the current time unit; it is held in seconds.
    a->defaults[0] = kind == Kind::Time ? MTime(defaultValue, MTime::uiUnit()).as(MTime::kSeconds) : defaultValue;
    return adopt(a, status);
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, const MTime& defaultValue,
                                 MStatus* status) {
    MObject object = create(fullName, briefName, kTime, 0.0, status);
    if (Attribute* a = mayahost::attributeOf(object)) a->defaults[0] = defaultValue.as(MTime::kSeconds);
    return object;
}

MFnUnitAttribute::Type MFnUnitAttribute::unitType(MStatus* status) const {
    Attribute* a = attribute();
    if (status) *status = a ? MStatus() : noAttribute();
    if (!a) return kInvalid;
    return a->kind == Kind::Time ? kTime : a->kind == Kind::Angle ? kAngle : a->kind == Kind::Distance ? kDistance : kInvalid;
}

MStatus MFnUnitAttribute::setDefault(double value) {
    Attribute* a = attribute();
    if (!a) return noAttribute();
    a->defaults[0] = a->kind == Kind::Time ? MTime(value, MTime::uiUnit()).as(MTime::kSeconds) : value;
    return MS::kSuccess;
}

MStatus MFnUnitAttribute::setDefault(const MTime& value) {
    Attribute* a = attribute();
    if (!a || a->kind != Kind::Time) return noAttribute();
    a->defaults[0] = value.as(MTime::kSeconds);
    return MS::kSuccess;
}

MStatus MFnUnitAttribute::setMin(double value) {
    Attribute* a = attribute();
    if (!a) return noAttribute();
    a->hasMin = true;
    a->minimum[0] = value;
    return MS::kSuccess;
}

MStatus MFnUnitAttribute::setMax(double value) {
    Attribute* a = attribute();
    if (!a) return noAttribute();
    a->hasMax = true;
    a->maximum[0] = value;
    return MS::kSuccess;
}

// ---- MFnMatrixAttribute

MFnMatrixAttribute::MFnMatrixAttribute(const MObject& object, MStatus* status) : MFnAttribute(object, status) {}

MObject MFnMatrixAttribute::create(const MString& fullName, const MString& briefName, Type matrixType, MStatus* status) {
    if (!validName(fullName, briefName)) {
        if (status) *status = MStatus(MS::kInvalidParameter, "(kInvalidParameter): Invalid matrix attribute");
        return MObject();
    }
    auto a = std::make_shared<Attribute>(Kind::Matrix, fullName.asChar(), briefName.asChar());
    a->floatMatrix = matrixType == kFloat;
    a->defaultData = std::make_shared<mayahost::MatrixData>();
    return adopt(a, status);
}
