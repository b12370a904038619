#pragma once
// zuColorBuffer: per-point colours from a shading network. inColor is not read for its value:
// whatever output is connected into it (a texture's outColor, say) is sampled at every (u, v)
// of inUVs (x and y of each entry, normally zuPointsUV's outUVs) in one batch, and outColor gets
// one (r, g, b) per entry, in order. With nothing connected into inColor, outColor keeps what it
// held. A sampling failure shows an error and leaves outColor as it was; should the network
// answer fewer colours than UVs, the others are (0, 0, 0), so outColor always has an entry per
// UV. The active view's camera is handed to the sampler but is not an input: moving it does not
// make outColor dirty.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class zuColorBuffer : public MPxNode {
public:
    ~zuColorBuffer() override;
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;
    static MObject outColor, inUVs, inColor;

private:
    MStatus computeColors(const MPlug& plug, MDataBlock& block);
};
