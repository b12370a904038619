#include <maya/MItMeshPolygon.h>

#include <string>

#include "mesh/MeshData.h"

using mayahost::MeshGeometry;
using mayahost::MeshPoint;
using mayahost::UVSet;

namespace {

MStatus invalid(const std::string& text) {
    return MStatus(MS::kInvalidParameter, MString("MItMeshPolygon: " + text));
}

void report(MStatus* ReturnStatus, const MStatus& status) {
    if (ReturnStatus) *ReturnStatus = status;
}

}  // namespace

MItMeshPolygon::MItMeshPolygon(const MObject& polyObject, MStatus* ReturnStatus)
    : mesh_(mayahost::resolveMeshData(polyObject)) {
    report(ReturnStatus, mesh_ ? MStatus(MS::kSuccess) : invalid("the object is not a mesh"));
}

bool MItMeshPolygon::isDone(MStatus* ReturnStatus) const {
    report(ReturnStatus, MS::kSuccess);
    return !mesh_ || index_ >= mesh_->geometry.numPolygons();
}

MStatus MItMeshPolygon::next() {
    if (isDone()) return invalid("the iteration is over");
    ++index_;
    return MS::kSuccess;
}

MStatus MItMeshPolygon::reset() {
    index_ = 0;
    return mesh_ ? MStatus(MS::kSuccess) : invalid("the object is not a mesh");
}

unsigned int MItMeshPolygon::count(MStatus* ReturnStatus) const {
    report(ReturnStatus, mesh_ ? MStatus(MS::kSuccess) : invalid("the object is not a mesh"));
    return mesh_ ? static_cast<unsigned int>(mesh_->geometry.numPolygons()) : 0;
}

int MItMeshPolygon::index(MStatus* ReturnStatus) const {
    report(ReturnStatus, MS::kSuccess);
    return index_;
}

MStatus MItMeshPolygon::setIndex(int index, int& prevIndex) {
    const int polygons = mesh_ ? mesh_->geometry.numPolygons() : 0;
    if (index < 0 || index >= polygons) {
        return invalid("polygon " + std::to_string(index) + " is out of range (" +
                       std::to_string(polygons) + ")");
    }
    prevIndex = index_;
    index_ = index;
    return MS::kSuccess;
}

int MItMeshPolygon::faceVertex(int vertex, MStatus& status) const {
    if (isDone()) {
        status = invalid("there is no current polygon");
        return -1;
    }
    const MeshGeometry& m = mesh_->geometry;
    const int count = m.counts()[index_];
    if (vertex < 0 || vertex >= count) {
        status = invalid("vertex " + std::to_string(vertex) + " is out of range (" +
                         std::to_string(count) + ")");
        return -1;
    }
    status = MS::kSuccess;
    return m.polygonStart(index_) + vertex;
}

unsigned int MItMeshPolygon::polygonVertexCount(MStatus* ReturnStatus) const {
    MStatus status;
    const int first = faceVertex(0, status);
    report(ReturnStatus, status);
    return first < 0 ? 0 : static_cast<unsigned int>(mesh_->geometry.counts()[index_]);
}

MStatus MItMeshPolygon::getVertices(MIntArray& vertices) const {
    MStatus status;
    const int first = faceVertex(0, status);
    if (first < 0) return status;
    const MeshGeometry& m = mesh_->geometry;
    vertices = MIntArray(m.connects().data() + first, m.counts()[index_]);
    return status;
}

int MItMeshPolygon::vertexIndex(int index, MStatus* ReturnStatus) const {
    MStatus status;
    const int position = faceVertex(index, status);
    report(ReturnStatus, status);
    return position < 0 ? -1 : mesh_->geometry.connects()[position];
}

MPoint MItMeshPolygon::point(int index, MSpace::Space, MStatus* ReturnStatus) const {
    MStatus status;
    const int position = faceVertex(index, status);
    report(ReturnStatus, status);
    if (position < 0) return MPoint();
    const MeshPoint& p = mesh_->geometry.points()[mesh_->geometry.connects()[position]];
    return MPoint(p.x, p.y, p.z);
}

MStatus MItMeshPolygon::getPoints(MPointArray& pointArray, MSpace::Space space) const {
    MStatus status;
    const unsigned int count = polygonVertexCount(&status);
    if (!status) return status;
    pointArray.setLength(count);
    for (unsigned int k = 0; k < count; ++k) pointArray[k] = point(static_cast<int>(k), space);
    return status;
}

bool MItMeshPolygon::hasUVs(MStatus* ReturnStatus) const {
    if (!mesh_) {
        report(ReturnStatus, invalid("the object is not a mesh"));
        return false;
    }
    return hasUVs(MString(mesh_->geometry.currentUVSet()), ReturnStatus);
}

bool MItMeshPolygon::hasUVs(const MString& uvSet, MStatus* ReturnStatus) const {
    const unsigned int count = polygonVertexCount(ReturnStatus);
    if (count == 0) return false;
    int index = 0;
    for (unsigned int k = 0; k < count; ++k) {
        const MStatus status = getUVIndex(static_cast<int>(k), index, &uvSet);
        if (!status) {
            if (status != MS::kFailure) report(ReturnStatus, status);
            return false;
        }
    }
    return true;
}

MStatus MItMeshPolygon::getUV(int vertex, MFloat2& uvPoint, const MString* uvSet) const {
    int index = 0;
    return getUVIndex(vertex, index, uvPoint[0], uvPoint[1], uvSet);
}

MStatus MItMeshPolygon::getUVIndex(int vertex, int& index, const MString* uvSet) const {
    float u, v;
    return getUVIndex(vertex, index, u, v, uvSet);
}

MStatus MItMeshPolygon::getUVIndex(int vertex, int& index, float& u, float& v,
                                   const MString* uvSet) const {
    MStatus status;
    const int position = faceVertex(vertex, status);
    if (position < 0) return status;
    const MeshGeometry& m = mesh_->geometry;
    const std::string name = uvSet ? uvSet->str() : m.currentUVSet();
    const UVSet* set = m.findUVSet(name);
    if (!set) return invalid("there is no UV set '" + name + "'");
    const int id = set->uvIds[position];
    if (!set->uvAt(id, u, v)) {
        return MStatus(MS::kFailure,
                       MString("MItMeshPolygon: vertex " + std::to_string(vertex) + " of polygon " +
                               std::to_string(index_) + " has no UV in set '" + name + "'"));
    }
    index = id;
    return status;
}

MPoint MItMeshPolygon::center(MSpace::Space space, MStatus* ReturnStatus) const {
    MPointArray points;
    const MStatus status = getPoints(points, space);
    report(ReturnStatus, status);
    if (!status) return MPoint();
    double x = 0, y = 0, z = 0;
    for (unsigned int k = 0; k < points.length(); ++k) {
        x += points[k].x, y += points[k].y, z += points[k].z;
    }
    const double n = points.length();
    return MPoint(x / n, y / n, z / n);
}

MStatus MItMeshPolygon::getNormal(MVector& normal, MSpace::Space space) const {
    MPointArray points;
    const MStatus status = getPoints(points, space);
    if (!status) return status;
    MVector sum;
    const unsigned int n = points.length();
    for (unsigned int k = 0; k < n; ++k) {
        const MPoint& a = points[k];
        const MPoint& b = points[(k + 1) % n];
        sum += MVector((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x),
                       (a.x - b.x) * (a.y + b.y));
    }
    normal = sum.normal();
    return status;
}
