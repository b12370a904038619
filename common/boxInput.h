#pragma once
// The bounding box input of the scatter and weaver nodes: its creation, the reading of the
// values they use and their checks. Of the box they read both corners but the maximum y: their
// grids run along y from the minimum y over the mesh's own points.
#include <maya/MDataBlock.h>
#include <maya/MFnAttribute.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

// The node's boundingBox compound and its parts.
struct BoundingBoxPlugs {
    MObject &minX, &minY, &minZ, &maxX, &maxY, &maxZ, &sizeX, &sizeY, &sizeZ;
    MObject &min, &max, &size, &box;
};

// The plugs of a node class whose static attributes carry these names.
template <class NodeClass>
BoundingBoxPlugs boundingBoxPlugsOf() {
    using N = NodeClass;
    return {N::boundingBoxMinX,  N::boundingBoxMinY, N::boundingBoxMinZ,  N::boundingBoxMaxX,
            N::boundingBoxMaxY,  N::boundingBoxMaxZ, N::boundingBoxSizeX, N::boundingBoxSizeY,
            N::boundingBoxSizeZ, N::boundingBoxMin,  N::boundingBoxMax,   N::boundingBoxSize,
            N::boundingBox};
}

// Creates boundingBox (bb), readable and writable, of the hidden compounds boundingBoxMin
// (bmi), boundingBoxMax (bma) and boundingBoxSize (bms), readable and writable, each of three
// floats, default 0: boundingBoxMinX (bmix) to boundingBoxSizeZ (bmsz), each given
// `childFlags` where there is one. A failure writes "ERROR in <longName>.\n" and the status text
// to standard error and returns the status.
MStatus createBoundingBoxInput(const BoundingBoxPlugs& plugs,
                               void (*childFlags)(MFnAttribute&) = nullptr);

struct BoxCorners {
    float minX = 0, minY = 0, minZ = 0, maxX = 0, maxZ = 0;

    // All five values at 0 means the box was never connected or set.
    bool isSet() const { return minX != 0 || minY != 0 || minZ != 0 || maxX != 0 || maxZ != 0; }
};

BoxCorners readBoxCorners(MDataBlock& block, const BoundingBoxPlugs& plugs);

// True when all five values are finite; otherwise checkFinite's message (inputChecks.h) for the
// first that is not.
bool checkBoxFinite(const MObject& node, const BoundingBoxPlugs& plugs, const BoxCorners& box);

// True when the box is set; otherwise shows, led by the boundingBox plug's name, that the box
// must be connected or the plug dirtied.
bool checkBoxSet(const MObject& node, const BoundingBoxPlugs& plugs, const BoxCorners& box);
