#pragma once
// The root of everything an MObject can refer to, and the base of attribute-data values.
#include <maya/MFn.h>

#include <memory>

namespace mayahost {

class HostObject {
public:
    virtual ~HostObject() = default;
    virtual MFn::Type apiType() const = 0;
    // True when this object also answers to `type` (a mesh is also a shape, a DAG node...).
    virtual bool hasFn(MFn::Type type) const { return type == apiType() || type == MFn::kBase; }
};

// A value of a typed attribute: array-attribute data, vector arrays, meshes, strings, matrices.
class Data : public HostObject {
public:
    virtual std::shared_ptr<Data> clone() const = 0;
    bool hasFn(MFn::Type type) const override {
        return HostObject::hasFn(type) || type == MFn::kData;
    }
};

template <class T>
std::shared_ptr<T> hostCast(const std::shared_ptr<HostObject>& object) {
    return std::dynamic_pointer_cast<T>(object);
}

}  // namespace mayahost
