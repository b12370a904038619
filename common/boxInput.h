#pragma once
// The bounding box that the scatter and weaver nodes read from their boundingBox compound
// (created by createBoundingBoxInput, nodeAttributes.h), and the input read they share. Of the box
// they read both corners but the maximum y: their grids run along y from the minimum y over the
// mesh's own points.
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MObject.h>

// An input value; a failed read is reported with its file and line and reads as 0.
MDataHandle readInput(MDataBlock& block, const MObject& attribute);

struct BoxCorners {
    float minX = 0, minY = 0, minZ = 0, maxX = 0, maxZ = 0;

    // All five values at 0 means the box was never connected or set.
    bool isSet() const { return minX != 0 || minY != 0 || minZ != 0 || maxX != 0 || maxZ != 0; }
};

// The node's attributes for the five values.
struct BoxAttributes {
    const MObject &minX, &minY, &minZ, &maxX, &maxZ;
};

BoxCorners readBoxCorners(MDataBlock& block, const BoxAttributes& attributes);

// True when all five values are finite; otherwise checkFinite's message (inputChecks.h) for the
// first that is not.
bool checkBoxFinite(const MObject& node, const BoxAttributes& attributes, const BoxCorners& box);

// True when the box is set; otherwise shows, led by the boundingBox plug's name, that the box
// must be connected or the plug dirtied.
bool checkBoxSet(const MObject& node, const MObject& boundingBox, const BoxCorners& box);
