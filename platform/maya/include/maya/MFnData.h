#pragma once
#include <maya/MFnBase.h>

// Base of the function sets for attribute data values.
class OPENMAYA_EXPORT MFnData : public MFnBase {
public:
    enum Type {
        kInvalid,
        kNumeric,
        kPlugin,
        kPluginGeometry,
        kString,
        kMatrix,
        kStringArray,
        kDoubleArray,
        kIntArray,
        kPointArray,
        kVectorArray,
        kComponentList,
        kMesh,
        kLattice,
        kNurbsCurve,
        kNurbsSurface,
        kSphere,
        kDynArrayAttrs,
        kDynSweptGeometry,
        kSubdSurface,
        kNObject,
        kLast
    };

    MFn::Type type() const override { return MFn::kData; }
};
