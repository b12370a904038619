#include <maya/MObject.h>

#include "graph/HostObject.h"

const MObject MObject::kNullObj;

MFn::Type MObject::apiType() const { return object_ ? object_->apiType() : MFn::kInvalid; }

bool MObject::hasFn(MFn::Type type) const { return object_ && object_->hasFn(type); }

const char* MObject::apiTypeStr() const {
    switch (apiType()) {
        case MFn::kInvalid: return "kInvalid";
        case MFn::kTransform: return "kTransform";
        case MFn::kMesh: return "kMesh";
        case MFn::kTime: return "kTime";
        case MFn::kMeshData: return "kMeshData";
        case MFn::kDynArrayAttrsData: return "kDynArrayAttrsData";
        case MFn::kPluginDependNode: return "kPluginDependNode";
        case MFn::kPluginLocatorNode: return "kPluginLocatorNode";
        default: return "kBase";
    }
}
