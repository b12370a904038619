#pragma once
// zuPointsRotation: gives every point an orientation for instancing. Each point aims from its
// normal towards (R > 0) or away from (R < 0) the projection of `target` onto its tangent
// plane, turned about the normal by G full turns, with an up vector rolled about the aim by B
// full turns. The channels R, G, B start from an incoming "rotationRGB", then take in the
// per-point colour (inColor), the vertex-colour layers of inMesh, the offsets (offsetG and
// offsetB in degrees) and a random part drawn from a table of 10,000 numbers made with `seed`.
// Writes "rotationType" (1), "aimDirection", "aimWorldUp" and "rotationRGB" (the channels) and,
// with localAimDirection, "intersection" and "distanceToEdge" (per edge of the point's
// triangle). An active layer of type 1 drops the points whose alpha in it is 0. Needs
// "position", "triID", "uv" and "normal", all of one length.
//
// Every point gets a finite frame: a target on the point aims along n x (-1, 0, 0), or
// n x (0, 1, 0) when that is zero; a normal without length is taken as (0, 1, 0). Inputs that
// are not finite and triangles outside the mesh are refused before the node's kernel runs (the
// device-memory checks come before any device buffer is made); on every failure outPoints keeps
// its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuPointsRotation : public MPxNode {
public:
    ~zuPointsRotation() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject inPoints, inMesh, outPoints, localAimDirection;
    static MObject target, targetX, targetY, targetZ;
    static MObject activeLayer, offsetR, offsetG, offsetB, seed;
    static MObject randomR, randomG, randomB, randomAmplitudeR, randomAmplitudeG, randomAmplitudeB;
    static MObject minRandSpeedR, minRandSpeedG, minRandSpeedB, maxRandSpeedR, maxRandSpeedG, maxRandSpeedB;
    static MObject randTimeR, randTimeG, randTimeB;
    static MObject addColorMode, inColorFactor, inColor;
    static MObject vertexColor, vertexColorType, vertexColorWeight;

private:
    MStatus computeRotations(const MPlug& plug, MDataBlock& block);
};
