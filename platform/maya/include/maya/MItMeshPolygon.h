#pragma once
#include <maya/MTypes.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MSpace.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <memory>


namespace mayahost {
class MeshData;
}

// Walks the faces of a mesh (a mesh node's current geometry, or mesh data) in order. Object and
// world space are the same here. Calls made on a finished iterator, or with a face-vertex index
// outside the current face, fail with kInvalidParameter.
class OPENMAYA_EXPORT MItMeshPolygon {
public:
    // Fails with kInvalidParameter when polyObject is not a mesh; the iterator is then done.
    MItMeshPolygon(const MObject& polyObject, MStatus* ReturnStatus = NULL);

    bool isDone(MStatus* ReturnStatus = NULL) const;
    MStatus next();
    MStatus reset();
    unsigned int count(MStatus* ReturnStatus = NULL) const;
    int index(MStatus* ReturnStatus = NULL) const;
    // Moves to face `index`, passing back the face it was on.
    MStatus setIndex(int index, int& prevIndex);

    unsigned int polygonVertexCount(MStatus* ReturnStatus = NULL) const;
    MStatus getVertices(MIntArray& vertices) const;
    // The vertex id of the face's vertex number `index` (counted within the face).
    int vertexIndex(int index, MStatus* ReturnStatus = NULL) const;
    MPoint point(int index, MSpace::Space space = MSpace::kObject,
                 MStatus* ReturnStatus = NULL) const;
    MStatus getPoints(MPointArray& pointArray, MSpace::Space space = MSpace::kObject) const;

    // True when every vertex of the face has a UV in the current (or named) set.
    bool hasUVs(MStatus* ReturnStatus = NULL) const;
    bool hasUVs(const MString& uvSet, MStatus* ReturnStatus = NULL) const;
    MStatus getUV(int vertex, MFloat2& uvPoint, const MString* uvSet = NULL) const;
    MStatus getUVIndex(int vertex, int& index, const MString* uvSet = NULL) const;
    MStatus getUVIndex(int vertex, int& index, float& u, float& v,
                       const MString* uvSet = NULL) const;

    // The average of the face's vertex positions.
    MPoint center(MSpace::Space space = MSpace::kObject, MStatus* ReturnStatus = NULL) const;
    // The unit face normal following the vertex winding; zero for a degenerate face.
    MStatus getNormal(MVector& normal, MSpace::Space space = MSpace::kObject) const;

private:
    // The face-vertex position in the mesh of the current face's vertex `vertex`, or -1.
    int faceVertex(int vertex, MStatus& status) const;

    std::shared_ptr<mayahost::MeshData> mesh_;
    int index_ = 0;
};
