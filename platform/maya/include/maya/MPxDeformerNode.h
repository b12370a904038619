#pragma once
#include <maya/MDagModifier.h>
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>

class MDataBlock;

// A deformer: for each element i of `input`, outputGeom[i] is a copy of
// input[i].inputGeometry whose points `deform` has moved. Any change of an input, the envelope
// or an attribute declared to affect outputGeom deforms again. The `deformer` command puts
// one between a mesh's original geometry and its shape.
class OPENMAYA_EXPORT MPxDeformerNode : public MPxNode {
public:
    MPxDeformerNode();
    ~MPxDeformerNode() override;

    Type type() const override { return kDeformerNode; }

    // Makes every element of outputGeom when one of them is asked for: the geometry of the
    // matching input, deformed.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    // Moves the points of one geometry; `localToWorld` is the identity in this host.
    virtual MStatus deform(MDataBlock& block, MItGeometry& iterator, const MMatrix& localToWorld,
                           unsigned int multiIndex);
    // The attribute an accessory node drives (null: none).
    virtual MObject& accessoryAttribute() const;
    // Creates and connects the accessory nodes through the modifier; the command runs doIt.
    virtual MStatus accessoryNodeSetup(MDagModifier& modifier);

    static MObject input;       // compound array
    static MObject inputGeom;   // input[].inputGeometry, mesh
    static MObject groupId;     // input[].groupId, int
    static MObject outputGeom;  // array of meshes
    static MObject envelope;    // float, default 1
};
