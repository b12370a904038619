#pragma once
// zuTriWeaver: weaves a triangle mesh through the point set on inPoints. Each triangle joins
// three points that are among one another's nearest neighbours within the grid reach of
// `radius` (and, with considerNormal, whose normals agree to dotProdLimit), whose circumcircle
// is small enough for the radius and whose circumsphere holds none of the nearby points. With
// makeManifold, triangles are dropped until no edge carries more than two; each connected piece
// is oriented consistently. outMesh gets the mesh, outPoints the point set reduced to the
// points the mesh uses, in the mesh's vertex order.
//
// The boundingBox input must be connected or set (its min x, y, z and max x, z all 0 is
// refused); the grid covers the box and every point. Values that cannot be used (a radius that is
// not finite and above 0, a limit or a box value that is not finite, non-finite positions or
// normals), arrays of another length than "position" and point sets too large for the grid or
// the device memory are refused with a message; on every failure the outputs keep their values.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <memory>

struct DeviceNeighbourOffsets;

class zuTriWeaver : public MPxNode {
public:
    zuTriWeaver();
    ~zuTriWeaver() override;

    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    // A new node, or null when its neighbour offset table cannot be made on the device.
    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject boundingBoxMinX, boundingBoxMinY, boundingBoxMinZ;
    static MObject boundingBoxMaxX, boundingBoxMaxY, boundingBoxMaxZ;
    static MObject boundingBoxSizeX, boundingBoxSizeY, boundingBoxSizeZ;
    static MObject boundingBoxMin, boundingBoxMax, boundingBoxSize, boundingBox;
    static MObject considerNormal;
    static MObject dotProdLimit;
    static MObject radius;
    static MObject inPoints;
    static MObject makeManifold;
    static MObject outMesh;
    static MObject outPoints;

private:
    MStatus weave(MDataBlock& block);

    std::unique_ptr<DeviceNeighbourOffsets> offsets;
};
