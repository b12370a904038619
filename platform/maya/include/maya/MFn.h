#pragma once

// The kinds of object a host handle can refer to; function sets accept the kinds they work on.
class MFn {
public:
    enum Type {
        kInvalid = 0,
        kBase,
        kNamedObject,
        kDependencyNode,
        kDagNode,
        kTransform,
        kShape,
        kMesh,
        kLocator,
        kCamera,
        kParticle,
        kTime,
        kTexture2d,
        kPluginDependNode,
        kPluginLocatorNode,
        kPluginDeformerNode,
        kPluginEmitterNode,
        kAttribute,
        kNumericAttribute,
        kTypedAttribute,
        kCompoundAttribute,
        kEnumAttribute,
        kUnitAttribute,
        kMatrixAttribute,
        kGenericAttribute,
        kMessageAttribute,
        kData,
        kNumericData,
        kMeshData,
        kDynArrayAttrsData,
        kVectorArrayData,
        kDoubleArrayData,
        kIntArrayData,
        kPointArrayData,
        kStringData,
        kMatrixData,
        kPlugin,
        kLast
    };
};
