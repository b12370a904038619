#pragma once
// zuScatterPoints: spreads samples over the mesh on inMesh with a minimum distance `radius`
// between any two of them (Poisson-disc sampling by dart throwing on a hashed grid), in up to
// three phases, in this order: on the vertices, on the border edges, on the surface. Each phase
// keeps the samples of the phases before it. outPoints gets the point set "position" (object
// space), "triID" (the triangle, in getTriangles order), "uv" ((u, v, 0), barycentric in that
// triangle), "pointID" (0, 1, 2, ...) and, when computeNormal is on, "normal" (unit, smooth),
// all in the slot order of the last phase's hash table.
//
// The boundingBox input must be connected or set (all of boundingBox min and max x, z and min y
// at 0 is refused). It is the frame of the sampling grid, whose cells have a diagonal of
// `radius`: the grid covers the box's two corners (in either order) and the whole mesh, from
// which the candidates come. A radius that is not finite and above 0, or a box value that is
// not finite (both can arrive through connections), is refused with the plug's name, and so is
// a grid too large to number its cells. A phase draws at most 10,000,000 candidates and warns
// when it is cut there; every device buffer passes the memory check before it is made. On every
// failure the output keeps its previous value.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

#include <vector>

class zuScatterPoints : public MPxNode {
public:
    zuScatterPoints();
    ~zuScatterPoints() override;

    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject outPoints;
    static MObject inMesh;
    static MObject boundingBoxMinX, boundingBoxMinY, boundingBoxMinZ;
    static MObject boundingBoxMaxX, boundingBoxMaxY, boundingBoxMaxZ;
    static MObject boundingBoxSizeX, boundingBoxSizeY, boundingBoxSizeZ;
    static MObject boundingBoxMin, boundingBoxMax, boundingBoxSize, boundingBox;
    static MObject radius;
    static MObject seed;
    static MObject computeNormal;
    static MObject randomsMultipler;
    static MObject trials;
    static MObject mode;
    static MObject addAll;
    static MObject partial;
    static MObject faces;
    static MObject scatterOnVertices;
    static MObject scatterOnBorderEdges;
    static MObject scatterOnSurface;

private:
    MStatus scatter(const MPlug& plug, MDataBlock& block);

    // The processing phase (0..26) of each position of a 3 x 3 x 3 block of grid cells.
    std::vector<unsigned short> phaseMap;
};
