#pragma once
#include <maya/MFn.h>
#include <maya/MTypes.h>

#include <memory>

namespace mayahost {
class HostObject;
}

// A handle to something the host owns: a node, an attribute, a piece of data or a plug-in.
// Copies refer to the same object; a default handle is null.
class OPENMAYA_EXPORT MObject {
public:
    MObject() = default;
    explicit MObject(std::shared_ptr<mayahost::HostObject> object) : object_(std::move(object)) {}

    bool isNull() const { return !object_; }
    MFn::Type apiType() const;
    bool hasFn(MFn::Type type) const;
    const char* apiTypeStr() const;

    bool operator==(const MObject& other) const { return object_ == other.object_; }
    bool operator!=(const MObject& other) const { return object_ != other.object_; }

    static const MObject kNullObj;

    const std::shared_ptr<mayahost::HostObject>& host() const { return object_; }

private:
    std::shared_ptr<mayahost::HostObject> object_;
};
