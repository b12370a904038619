#pragma once
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

class MPlug;
class MDataBlock;

namespace mayahost {
class Node;
}

// Base of every node class: the host calls compute when an output it produces is needed.
class OPENMAYA_EXPORT MPxNode {
public:
    enum Type {
        kDependNode,
        kLocatorNode,
        kDeformerNode,
        kManipContainer,
        kSurfaceShape,
        kFieldNode,
        kEmitterNode,
        kSpringNode,
        kIkSolverNode,
        kHardwareShader,
        kHwShaderNode,
        kTransformNode,
        kObjectSet,
        kFluidEmitterNode,
        kImagePlaneNode,
        kParticleAttributeMapperNode,
        kCameraSetNode,
        kConstraintNode,
        kManipulatorNode,
        kMotionPathNode,
        kClientDeviceNode,
        kThreadedDeviceNode,
        kLast
    };

    MPxNode();
    virtual ~MPxNode();

    // Computes `plug` from the node's inputs; kUnknownParameter for plugs it does not make.
    virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);
    // Called once the node exists in the scene, before any compute.
    virtual void postConstructor();
    virtual Type type() const { return kDependNode; }

    MObject thisMObject() const;
    MTypeId typeId() const;
    MString typeName() const;
    MString name() const;

    // Used inside a node type's initialize function.
    static MStatus addAttribute(const MObject& attribute);
    static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);
    static MStatus inheritAttributesFrom(const MString& parentClassName);

    static MObject message;
    static MObject isHistoricallyInteresting;
    static MObject caching;
    static MObject state;

    mayahost::Node* hostNode() const { return node_; }
    void setHostNode(mayahost::Node* node) { node_ = node; }

private:
    mayahost::Node* node_ = nullptr;
};
