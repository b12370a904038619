#pragma once
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MColorArray.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnBase.h>
#include <maya/MIntArray.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MSpace.h>
#include <maya/MStringArray.h>
#include <maya/MUintArray.h>

#include <memory>

class MDGModifier;

namespace mayahost {
class MeshData;
}

// Reads and edits a polygon mesh: a mesh shape node (its current geometry) or mesh data.
// Object space and world space are the same here. Every call checks its indices and fails with
// kInvalidParameter, leaving the mesh unchanged, rather than reading or writing out of range.
// The modifier, instance and colour-representation arguments are accepted and ignored.
class OPENMAYA_EXPORT MFnMesh : public MFnBase {
public:
    enum MColorRepresentation { kAlpha = 1, kRGB = 3, kRGBA = 4 };

    MFnMesh() = default;
    MFnMesh(const MObject& object, MStatus* ReturnStatus = NULL);

    MFn::Type type() const override { return MFn::kMesh; }
    // Accepts a mesh node or mesh data; anything else fails and leaves nothing attached.
    MStatus setObject(const MObject& object) override;

    // Builds a mesh from numVertices points and numPolygons faces (polygonCounts holds each
    // face's vertex count, polygonConnects the vertex ids of all faces in turn). With mesh data
    // as parentOrOwner the data is filled and returned; with the null object a new mesh data
    // object is made and returned; anything else fails. The lengths must match the counts, each
    // face needs 3 or more vertices and every id must be in range. The u/v overloads also fill
    // the default UV set "map1", without assigning it (see assignUVs). On success the function
    // set holds the returned object; on failure the null object comes back.
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = NULL);
    MObject create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = NULL);
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   const MFloatArray& uArray, const MFloatArray& vArray,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = NULL);
    MObject create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   const MFloatArray& uArray, const MFloatArray& vArray,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* ReturnStatus = NULL);

    int numVertices(MStatus* ReturnStatus = NULL) const;
    int numPolygons(MStatus* ReturnStatus = NULL) const;
    int numFaceVertices(MStatus* ReturnStatus = NULL) const;
    int polygonVertexCount(int polygonId, MStatus* ReturnStatus = NULL) const;

    MStatus getPoints(MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoints(MPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    // The array must hold exactly numVertices() points.
    MStatus setPoints(const MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus setPoints(const MPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus getPoint(int vertexId, MPoint& pos, MSpace::Space space = MSpace::kObject) const;
    MStatus setPoint(int vertexId, const MPoint& pos, MSpace::Space space = MSpace::kObject);

    MStatus getPolygonVertices(int polygonId, MIntArray& vertexList) const;
    // Every face's vertex count, and the vertex ids of all faces in turn.
    MStatus getVertices(MIntArray& vertexCount, MIntArray& vertexList) const;
    // The triangle count of each face (its vertex count - 2) and three vertex ids per triangle,
    // face by face, each triangle wound like its face.
    MStatus getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const;
    MStatus getPolygonTriangleVertices(int polygonId, int triangleId, int vertexList[3]) const;
    // Bounds of all points; empty for a mesh without points.
    MBoundingBox boundingBox(MStatus* ReturnStatus = NULL) const;
    // Edits take effect at once, so this only checks that a mesh is attached.
    MStatus updateSurface();

    MStatus getColorSetNames(MStringArray& setNames) const;
    int numColorSets(MStatus* ReturnStatus = NULL) const;
    // Adds an empty colour set; it becomes current if no set was. Fails for an empty or used name.
    MStatus createColorSet(const MString& colorSetName, MDGModifier* modifier = NULL,
                           bool clamped = false, MColorRepresentation rep = kRGBA);
    MStatus createColorSetDataMesh(const MString& colorSetName, bool clamped = false,
                                   MColorRepresentation rep = kRGBA);
    MStatus setCurrentColorSetName(const MString& colorSet, MDGModifier* modifier = NULL,
                                   MUintArray* instances = NULL);
    // Empty when the mesh has no colour set.
    MString currentColorSetName(int instance = -1, MStatus* ReturnStatus = NULL) const;
    // Colours the listed vertices in the current colour set, making "colorSet1" first when the
    // mesh has none. Both arrays must have the same length and every id must be in range.
    MStatus setVertexColors(const MColorArray& colors, const MIntArray& vertexList,
                            MDGModifier* modifier = NULL, MColorRepresentation rep = kRGBA);
    MStatus setVertexColor(const MColor& color, int vertexIndex, MDGModifier* modifier = NULL,
                           MColorRepresentation rep = kRGBA);
    // One colour per vertex from the named (or current) set. Vertices never coloured get
    // defaultUnsetColor, or (-1, -1, -1, -1) when none is given; so does every vertex when the
    // mesh has no colour set and none is named. Fails for a name that is not a colour set.
    MStatus getVertexColors(MColorArray& colors, const MString* colorSet = NULL,
                            const MColor* defaultUnsetColor = NULL) const;

    MStatus getUVSetNames(MStringArray& setNames) const;
    int numUVSets(MStatus* ReturnStatus = NULL) const;
    MString currentUVSetName(MStatus* ReturnStatus = NULL, int instance = -1) const;
    MStatus setCurrentUVSetName(const MString& setName, MDGModifier* modifier = NULL,
                                MUintArray* instances = NULL);
    // Adds an empty UV set. A used name is given the first free number ("map1" becomes "map2")
    // and passed back.
    MStatus createUVSet(MString& uvSetName, MDGModifier* modifier = NULL,
                        MUintArray* instances = NULL);
    MStatus createUVSetDataMesh(MString& uvSetName);

    // In the named set, or the current one when uvSet is NULL.
    int numUVs(MStatus* ReturnStatus = NULL) const;
    int numUVs(const MString& uvSet, MStatus* ReturnStatus = NULL) const;
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet = NULL) const;
    // Replaces the set's UV values; the arrays must have the same length. Assignments are kept,
    // and ids past the new end read as unassigned.
    MStatus setUVs(const MFloatArray& uArray, const MFloatArray& vArray,
                   const MString* uvSet = NULL);
    MStatus getUV(int uvId, float& u, float& v, const MString* uvSet = NULL) const;
    // uvId may be numUVs(), which appends.
    MStatus setUV(int uvId, float u, float v, const MString* uvSet = NULL);
    // uvCounts holds, per face, its vertex count or 0 for a face left unmapped; uvIds holds the
    // UV ids of the mapped faces' vertices in turn. Nothing changes unless all of it is valid.
    MStatus assignUVs(const MIntArray& uvCounts, const MIntArray& uvIds,
                      const MString* uvSet = NULL);
    // Per face, how many of its vertices have a UV, and those UV ids in turn.
    MStatus getAssignedUVs(MIntArray& uvCounts, MIntArray& uvIds,
                           const MString* uvSet = NULL) const;
    MStatus assignUV(int polygonId, int vertexIndex, int uvId, const MString* uvSet = NULL);
    // vertexIndex counts within the face. Fails when that face-vertex has no UV.
    MStatus getPolygonUV(int polygonId, int vertexIndex, float& u, float& v,
                         const MString* uvSet = NULL) const;
    MStatus getPolygonUVid(int polygonId, int vertexIndex, int& uvId,
                           const MString* uvSet = NULL) const;

private:
    MObject createFrom(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                       const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                       const MFloatArray* uArray, const MFloatArray* vArray, MObject parentOrOwner,
                       MStatus* ReturnStatus);
};
