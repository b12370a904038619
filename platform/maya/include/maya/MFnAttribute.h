#pragma once
#include <maya/MFnBase.h>
#include <maya/MString.h>

namespace mayahost {
class Attribute;
}

// Flags and names common to every kind of attribute.
class OPENMAYA_EXPORT MFnAttribute : public MFnBase {
public:
    enum DisconnectBehavior { kDelete, kReset, kNothing };

    MFnAttribute() = default;
    MFnAttribute(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kAttribute; }

    MString name() const;
    MString shortName() const;
    MObject parent(MStatus* status = nullptr) const;

    bool isReadable() const;
    bool isWritable() const;
    bool isConnectable() const;
    bool isStorable() const;
    bool isCached() const;
    bool isArray() const;
    bool indexMatters() const;
    bool isKeyable() const;
    bool isHidden() const;
    bool usesArrayDataBuilder() const;

    MStatus setReadable(bool state);
    MStatus setWritable(bool state);
    MStatus setConnectable(bool state);
    MStatus setStorable(bool state);
    MStatus setCached(bool state);
    MStatus setArray(bool state);
    MStatus setIndexMatters(bool state);
    MStatus setKeyable(bool state);
    MStatus setHidden(bool state);
    MStatus setChannelBox(bool state);
    MStatus setUsesArrayDataBuilder(bool state);
    MStatus setInternal(bool state);
    MStatus setDisconnectBehavior(DisconnectBehavior behavior);
    MStatus setNiceNameOverride(const MString& name);

protected:
    mayahost::Attribute* attribute() const;
    // Wraps a new definition in an MObject and points the function set at it.
    MObject adopt(const std::shared_ptr<mayahost::Attribute>& attribute, MStatus* status);
};
