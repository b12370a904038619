#pragma once
// zuNoise: a deformer that displaces every point by three fractal noises, one per axis, in the
// space of `deformSpace` (the accessory transform's matrix, taken as affine): in that space y
// moves by Ny(x, z), then x by Nx(y, z), then z by Nz(x, y), each with the coordinates already
// moved. It also makes three preview curves of the noise, which its accessory zuNoiseLocator
// draws.
#include <maya/MDagModifier.h>
#include <maya/MDataBlock.h>
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxDeformerNode.h>
#include <maya/MTypeId.h>

struct NoiseGenerator;

class zuNoise : public MPxDeformerNode {
public:
    ~zuNoise() override;

    static void* creator();
    static MStatus initialize();
    MStatus deform(MDataBlock& block, MItGeometry& iterator, const MMatrix& matrix,
                   unsigned int multiIndex) override;
    // The three VisualisationPoints; the deformed geometry through the deformer base.
    MStatus compute(const MPlug& plug, MDataBlock& block) override;
    MObject& accessoryAttribute() const override;
    MStatus accessoryNodeSetup(MDagModifier& modifier) override;

    static const MTypeId id;
    static MObject deformSpace;
    // Per axis x, y, z (index 0, 1, 2).
    static MObject visualisationPoints[3];
    static MObject length[3];
    static MObject pointsCount[3];
    static MObject noiseOctaves[3];
    static MObject noiseSeed[3];
    static MObject noiseFreq[3];
    static MObject noiseAmp[3];

private:
    // The axis's generator from its attributes: octaves within 1 to 10, a negative seed as 0.
    // False, with a message, for a frequency or amplitude that is not finite.
    bool readGenerator(MDataBlock& block, int axis, NoiseGenerator& generator);
    MStatus computeCurve(int axis, const MPlug& plug, MDataBlock& block);
};
