#include <maya/MFnMesh.h>

#include <string>

#include "mesh/MeshData.h"

using mayahost::ColorSet;
using mayahost::MeshColor;
using mayahost::MeshData;
using mayahost::MeshGeometry;
using mayahost::MeshPoint;
using mayahost::UVSet;

namespace {

const char* const kFirstColorSet = "colorSet1";

MStatus invalid(const std::string& text) {
    return MStatus(MS::kInvalidParameter, MString("MFnMesh: " + text));
}

std::shared_ptr<MeshData> meshOf(const MObject& object, MStatus& status) {
    std::shared_ptr<MeshData> data = mayahost::resolveMeshData(object);
    if (data) {
        status = MS::kSuccess;
    } else {
        status = invalid(object.isNull() ? "no mesh is attached" : "the mesh node has no geometry");
    }
    return data;
}

// Runs f on the attached mesh, or answers why there is none.
template <class F>
MStatus withMesh(const MObject& object, F f) {
    MStatus status;
    std::shared_ptr<MeshData> data = meshOf(object, status);
    return data ? f(data->geometry) : status;
}

// An int-valued query: f's result, or 0 when no mesh is attached.
template <class F>
int countOf(const MObject& object, MStatus* ReturnStatus, F f) {
    MStatus status;
    std::shared_ptr<MeshData> data = meshOf(object, status);
    if (ReturnStatus) *ReturnStatus = status;
    return data ? f(data->geometry) : 0;
}

MStatus outOfRange(const char* what, int index, int count) {
    return invalid(std::string(what) + " " + std::to_string(index) + " is out of range (" +
                   std::to_string(count) + ")");
}

bool polygonInRange(const MeshGeometry& mesh, int polygonId, MStatus& status) {
    if (polygonId >= 0 && polygonId < mesh.numPolygons()) return true;
    status = outOfRange("polygon id", polygonId, mesh.numPolygons());
    return false;
}

// The position in connects() of a face-vertex given by face and position within the face.
bool faceVertexAt(const MeshGeometry& mesh, int polygonId, int vertexIndex, int& position,
                  MStatus& status) {
    if (!polygonInRange(mesh, polygonId, status)) return false;
    const int count = mesh.counts()[polygonId];
    if (vertexIndex < 0 || vertexIndex >= count) {
        status = outOfRange("face-vertex index", vertexIndex, count);
        return false;
    }
    position = mesh.polygonStart(polygonId) + vertexIndex;
    return true;
}

// The named set, or the current one when no name is given.
template <class Mesh>
auto uvSetOf(Mesh& mesh, const MString* name, MStatus& status) {
    const std::string wanted = name ? name->str() : mesh.currentUVSet();
    auto* set = mesh.findUVSet(wanted);
    if (!set) status = invalid("there is no UV set '" + wanted + "'");
    return set;
}

template <class Mesh>
auto colorSetOf(Mesh& mesh, const MString* name, MStatus& status) {
    const std::string wanted = name ? name->str() : mesh.currentColorSet();
    auto* set = mesh.findColorSet(wanted);
    if (!set) {
        status = invalid(wanted.empty() ? std::string("the mesh has no colour set")
                                        : "there is no colour set '" + wanted + "'");
    }
    return set;
}

MeshPoint toMeshPoint(double x, double y, double z) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

MFloatPointArray toFloatPoints(const MPointArray& points) {
    MFloatPointArray result(points.length());
    for (unsigned int i = 0; i < points.length(); ++i) {
        result[i] = MFloatPoint(static_cast<float>(points[i].x), static_cast<float>(points[i].y),
                                static_cast<float>(points[i].z));
    }
    return result;
}

std::vector<int> toVector(const MIntArray& array) {
    std::vector<int> result(array.length());
    for (unsigned int i = 0; i < array.length(); ++i) result[i] = array[i];
    return result;
}

MStatus addColorSet(MeshGeometry& mesh, const MString& name) {
    if (name.length() == 0) return invalid("a colour set needs a name");
    if (!mesh.addColorSet(name.str())) {
        return invalid("colour set '" + name.str() + "' already exists");
    }
    return MS::kSuccess;
}

MStatus addUVSet(MeshGeometry& mesh, MString& name) {
    if (name.length() == 0) return invalid("a UV set needs a name");
    // A used name keeps its stem and takes the first free number: "map1" becomes "map2".
    std::string unique = name.str();
    const std::string stem = unique.substr(0, unique.find_last_not_of("0123456789") + 1);
    for (int n = 1; mesh.findUVSet(unique); ++n) unique = stem + std::to_string(n);
    mesh.addUVSet(unique);
    name = MString(unique);
    return MS::kSuccess;
}

}  // namespace

MFnMesh::MFnMesh(const MObject& object, MStatus* ReturnStatus) {
    const MStatus status = setObject(object);
    if (ReturnStatus) *ReturnStatus = status;
}

MStatus MFnMesh::setObject(const MObject& object) {
    const auto& host = object.host();
    if (!host || (host->apiType() != MFn::kMesh && host->apiType() != MFn::kMeshData)) {
        object_ = MObject();
        return invalid("the object is not a mesh node or mesh data");
    }
    object_ = object;
    return MS::kSuccess;
}

MObject MFnMesh::createFrom(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                            const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                            const MFloatArray* uArray, const MFloatArray* vArray,
                            MObject parentOrOwner, MStatus* ReturnStatus) {
    auto fail = [&](const MStatus& status) {
        if (ReturnStatus) *ReturnStatus = status;
        return MObject();
    };
    std::shared_ptr<MeshData> data;
    if (parentOrOwner.isNull()) {
        data = std::make_shared<MeshData>();
        parentOrOwner = MObject(data);
    } else {
        data = mayahost::hostCast<MeshData>(parentOrOwner.host());
        if (!data) return fail(invalid("parentOrOwner must be mesh data or the null object"));
    }
    if (numVertices < 0 || static_cast<unsigned int>(numVertices) != vertexArray.length()) {
        return fail(invalid("numVertices is " + std::to_string(numVertices) + " but " +
                            std::to_string(vertexArray.length()) + " points were given"));
    }
    if (numPolygons < 0 || static_cast<unsigned int>(numPolygons) != polygonCounts.length()) {
        return fail(invalid("numPolygons is " + std::to_string(numPolygons) + " but " +
                            std::to_string(polygonCounts.length()) + " counts were given"));
    }
    if (uArray && uArray->length() != vArray->length()) {
        return fail(invalid("the u and v arrays differ in length"));
    }
    std::vector<MeshPoint> points(vertexArray.length());
    for (unsigned int i = 0; i < vertexArray.length(); ++i) {
        points[i] = {vertexArray[i].x, vertexArray[i].y, vertexArray[i].z};
    }
    MeshGeometry mesh;
    std::string error;
    if (!mesh.setTopology(std::move(points), toVector(polygonCounts), toVector(polygonConnects),
                          error)) {
        return fail(invalid(error));
    }
    if (uArray) {
        UVSet* set = mesh.findUVSet(MeshGeometry::kDefaultUVSet);
        for (unsigned int i = 0; i < uArray->length(); ++i) {
            set->u.push_back((*uArray)[i]);
            set->v.push_back((*vArray)[i]);
        }
    }
    data->geometry = std::move(mesh);
    object_ = parentOrOwner;
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return parentOrOwner;
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        MObject parentOrOwner, MStatus* ReturnStatus) {
    return createFrom(numVertices, numPolygons, vertexArray, polygonCounts, polygonConnects,
                      nullptr, nullptr, parentOrOwner, ReturnStatus);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        MObject parentOrOwner, MStatus* ReturnStatus) {
    return createFrom(numVertices, numPolygons, toFloatPoints(vertexArray), polygonCounts,
                      polygonConnects, nullptr, nullptr, parentOrOwner, ReturnStatus);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        const MFloatArray& uArray, const MFloatArray& vArray, MObject parentOrOwner,
                        MStatus* ReturnStatus) {
    return createFrom(numVertices, numPolygons, vertexArray, polygonCounts, polygonConnects,
                      &uArray, &vArray, parentOrOwner, ReturnStatus);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                        const MFloatArray& uArray, const MFloatArray& vArray, MObject parentOrOwner,
                        MStatus* ReturnStatus) {
    return createFrom(numVertices, numPolygons, toFloatPoints(vertexArray), polygonCounts,
                      polygonConnects, &uArray, &vArray, parentOrOwner, ReturnStatus);
}

int MFnMesh::numVertices(MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus, [](const MeshGeometry& m) { return m.numVertices(); });
}

int MFnMesh::numPolygons(MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus, [](const MeshGeometry& m) { return m.numPolygons(); });
}

int MFnMesh::numFaceVertices(MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus,
                   [](const MeshGeometry& m) { return m.numFaceVertices(); });
}

int MFnMesh::polygonVertexCount(int polygonId, MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus, [&](const MeshGeometry& m) {
        MStatus status;
        if (!polygonInRange(m, polygonId, status)) {
            if (ReturnStatus) *ReturnStatus = status;
            return 0;
        }
        return m.counts()[polygonId];
    });
}

MStatus MFnMesh::getPoints(MFloatPointArray& vertexArray, MSpace::Space) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        vertexArray.setLength(m.numVertices());
        for (int i = 0; i < m.numVertices(); ++i) {
            const MeshPoint& p = m.points()[i];
            vertexArray[i] = MFloatPoint(p.x, p.y, p.z);
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::getPoints(MPointArray& vertexArray, MSpace::Space) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        vertexArray.setLength(m.numVertices());
        for (int i = 0; i < m.numVertices(); ++i) {
            const MeshPoint& p = m.points()[i];
            vertexArray[i] = MPoint(p.x, p.y, p.z);
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::setPoints(const MFloatPointArray& vertexArray, MSpace::Space) {
    return withMesh(object_, [&](MeshGeometry& m) {
        std::vector<MeshPoint> points(vertexArray.length());
        for (unsigned int i = 0; i < vertexArray.length(); ++i) {
            points[i] = {vertexArray[i].x, vertexArray[i].y, vertexArray[i].z};
        }
        if (!m.setPoints(std::move(points))) {
            return invalid("setPoints needs " + std::to_string(m.numVertices()) +
                           " finite points, got " + std::to_string(vertexArray.length()));
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::setPoints(const MPointArray& vertexArray, MSpace::Space space) {
    return setPoints(toFloatPoints(vertexArray), space);
}

MStatus MFnMesh::getPoint(int vertexId, MPoint& pos, MSpace::Space) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        if (vertexId < 0 || vertexId >= m.numVertices()) {
            return outOfRange("vertex id", vertexId, m.numVertices());
        }
        const MeshPoint& p = m.points()[vertexId];
        pos = MPoint(p.x, p.y, p.z);
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::setPoint(int vertexId, const MPoint& pos, MSpace::Space) {
    return withMesh(object_, [&](MeshGeometry& m) {
        if (vertexId < 0 || vertexId >= m.numVertices()) {
            return outOfRange("vertex id", vertexId, m.numVertices());
        }
        if (!m.setPoint(vertexId, toMeshPoint(pos.x, pos.y, pos.z))) {
            return invalid("the point is not finite");
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::getPolygonVertices(int polygonId, MIntArray& vertexList) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        MStatus status;
        if (!polygonInRange(m, polygonId, status)) return status;
        const int start = m.polygonStart(polygonId), count = m.counts()[polygonId];
        vertexList.setLength(count);
        for (int k = 0; k < count; ++k) vertexList[k] = m.connects()[start + k];
        return status;
    });
}

MStatus MFnMesh::getVertices(MIntArray& vertexCount, MIntArray& vertexList) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        vertexCount = MIntArray(m.counts().data(), m.numPolygons());
        vertexList = MIntArray(m.connects().data(), m.numFaceVertices());
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        const auto triangles = m.triangulation();
        triangleCounts.setLength(m.numPolygons());
        triangleVertices.setLength(static_cast<unsigned int>(triangles->corners.size()));
        unsigned int out = 0;
        for (int f = 0; f < m.numPolygons(); ++f) {
            const int first = triangles->firstTriangle[f], end = triangles->firstTriangle[f + 1];
            triangleCounts[f] = end - first;
            for (int c = 3 * first; c < 3 * end; ++c) {
                triangleVertices[out++] = m.connects()[m.polygonStart(f) + triangles->corners[c]];
            }
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::getPolygonTriangleVertices(int polygonId, int triangleId,
                                            int vertexList[3]) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        MStatus status;
        if (!polygonInRange(m, polygonId, status)) return status;
        const auto triangles = m.triangulation();
        const int first = triangles->firstTriangle[polygonId];
        const int count = triangles->firstTriangle[polygonId + 1] - first;
        if (triangleId < 0 || triangleId >= count) {
            return outOfRange("triangle id", triangleId, count);
        }
        for (int k = 0; k < 3; ++k) {
            const int corner = triangles->corners[3 * (first + triangleId) + k];
            vertexList[k] = m.connects()[m.polygonStart(polygonId) + corner];
        }
        return status;
    });
}

MBoundingBox MFnMesh::boundingBox(MStatus* ReturnStatus) const {
    MBoundingBox box;
    const MStatus status = withMesh(object_, [&](const MeshGeometry& m) {
        for (const MeshPoint& p : m.points()) box.expand(MPoint(p.x, p.y, p.z));
        return MStatus(MS::kSuccess);
    });
    if (ReturnStatus) *ReturnStatus = status;
    return box;
}

MStatus MFnMesh::updateSurface() {
    return withMesh(object_, [](MeshGeometry&) { return MStatus(MS::kSuccess); });
}

MStatus MFnMesh::getColorSetNames(MStringArray& setNames) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        setNames.clear();
        for (const ColorSet& set : m.colorSets()) setNames.append(MString(set.name));
        return MStatus(MS::kSuccess);
    });
}

int MFnMesh::numColorSets(MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus,
                   [](const MeshGeometry& m) { return static_cast<int>(m.colorSets().size()); });
}

MStatus MFnMesh::createColorSet(const MString& colorSetName, MDGModifier*, bool,
                                MColorRepresentation) {
    return withMesh(object_, [&](MeshGeometry& m) { return addColorSet(m, colorSetName); });
}

MStatus MFnMesh::createColorSetDataMesh(const MString& colorSetName, bool clamped,
                                        MColorRepresentation rep) {
    return createColorSet(colorSetName, nullptr, clamped, rep);
}

MStatus MFnMesh::setCurrentColorSetName(const MString& colorSet, MDGModifier*, MUintArray*) {
    return withMesh(object_, [&](MeshGeometry& m) {
        if (!m.setCurrentColorSet(colorSet.str())) {
            return invalid("there is no colour set '" + colorSet.str() + "'");
        }
        return MStatus(MS::kSuccess);
    });
}

MString MFnMesh::currentColorSetName(int, MStatus* ReturnStatus) const {
    MString name;
    const MStatus status = withMesh(object_, [&](const MeshGeometry& m) {
        name = MString(m.currentColorSet());
        return MStatus(MS::kSuccess);
    });
    if (ReturnStatus) *ReturnStatus = status;
    return name;
}

MStatus MFnMesh::setVertexColors(const MColorArray& colors, const MIntArray& vertexList,
                                 MDGModifier*, MColorRepresentation) {
    return withMesh(object_, [&](MeshGeometry& m) {
        if (colors.length() != vertexList.length()) {
            return invalid("setVertexColors got " + std::to_string(colors.length()) +
                           " colours for " + std::to_string(vertexList.length()) + " vertices");
        }
        for (unsigned int i = 0; i < vertexList.length(); ++i) {
            if (vertexList[i] < 0 || vertexList[i] >= m.numVertices()) {
                return outOfRange("vertex id", vertexList[i], m.numVertices());
            }
        }
        if (m.currentColorSet().empty()) m.addColorSet(kFirstColorSet);
        ColorSet* set = m.findColorSet(m.currentColorSet());
        for (unsigned int i = 0; i < vertexList.length(); ++i) {
            const MColor& c = colors[i];
            set->colors[vertexList[i]] = MeshColor{c.r, c.g, c.b, c.a};
            set->assigned[vertexList[i]] = 1;
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::setVertexColor(const MColor& color, int vertexIndex, MDGModifier* modifier,
                                MColorRepresentation rep) {
    return setVertexColors(MColorArray(1, color), MIntArray(1, vertexIndex), modifier, rep);
}

MStatus MFnMesh::getVertexColors(MColorArray& colors, const MString* colorSet,
                                 const MColor* defaultUnsetColor) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        const MColor unset = defaultUnsetColor ? *defaultUnsetColor : MColor(-1, -1, -1, -1);
        const ColorSet* set = nullptr;
        if (colorSet || !m.currentColorSet().empty()) {
            MStatus status;
            set = colorSetOf(m, colorSet, status);
            if (!set) return status;
        }
        colors.setLength(m.numVertices());
        for (int i = 0; i < m.numVertices(); ++i) {
            if (set && set->assigned[i]) {
                const MeshColor& c = set->colors[i];
                colors[i] = MColor(c.r, c.g, c.b, c.a);
            } else {
                colors[i] = unset;
            }
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::getUVSetNames(MStringArray& setNames) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        setNames.clear();
        for (const UVSet& set : m.uvSets()) setNames.append(MString(set.name));
        return MStatus(MS::kSuccess);
    });
}

int MFnMesh::numUVSets(MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus,
                   [](const MeshGeometry& m) { return static_cast<int>(m.uvSets().size()); });
}

MString MFnMesh::currentUVSetName(MStatus* ReturnStatus, int) const {
    MString name;
    const MStatus status = withMesh(object_, [&](const MeshGeometry& m) {
        name = MString(m.currentUVSet());
        return MStatus(MS::kSuccess);
    });
    if (ReturnStatus) *ReturnStatus = status;
    return name;
}

MStatus MFnMesh::setCurrentUVSetName(const MString& setName, MDGModifier*, MUintArray*) {
    return withMesh(object_, [&](MeshGeometry& m) {
        if (!m.setCurrentUVSet(setName.str())) {
            return invalid("there is no UV set '" + setName.str() + "'");
        }
        return MStatus(MS::kSuccess);
    });
}

MStatus MFnMesh::createUVSet(MString& uvSetName, MDGModifier*, MUintArray*) {
    return withMesh(object_, [&](MeshGeometry& m) { return addUVSet(m, uvSetName); });
}

MStatus MFnMesh::createUVSetDataMesh(MString& uvSetName) { return createUVSet(uvSetName); }

int MFnMesh::numUVs(MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus, [&](const MeshGeometry& m) {
        const UVSet* set = m.findUVSet(m.currentUVSet());
        return set ? set->numUVs() : 0;
    });
}

int MFnMesh::numUVs(const MString& uvSet, MStatus* ReturnStatus) const {
    return countOf(object_, ReturnStatus, [&](const MeshGeometry& m) {
        MStatus status;
        const UVSet* set = uvSetOf(m, &uvSet, status);
        if (!set && ReturnStatus) *ReturnStatus = status;
        return set ? set->numUVs() : 0;
    });
}

MStatus MFnMesh::getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        MStatus status;
        const UVSet* set = uvSetOf(m, uvSet, status);
        if (!set) return status;
        uArray = MFloatArray(set->u.data(), static_cast<unsigned int>(set->u.size()));
        vArray = MFloatArray(set->v.data(), static_cast<unsigned int>(set->v.size()));
        return status;
    });
}

MStatus MFnMesh::setUVs(const MFloatArray& uArray, const MFloatArray& vArray,
                        const MString* uvSet) {
    return withMesh(object_, [&](MeshGeometry& m) {
        MStatus status;
        UVSet* set = uvSetOf(m, uvSet, status);
        if (!set) return status;
        if (uArray.length() != vArray.length()) {
            return invalid("the u and v arrays differ in length");
        }
        set->u.resize(uArray.length());
        set->v.resize(vArray.length());
        for (unsigned int i = 0; i < uArray.length(); ++i) {
            set->u[i] = uArray[i];
            set->v[i] = vArray[i];
        }
        return status;
    });
}

MStatus MFnMesh::getUV(int uvId, float& u, float& v, const MString* uvSet) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        MStatus status;
        const UVSet* set = uvSetOf(m, uvSet, status);
        if (!set) return status;
        if (!set->uvAt(uvId, u, v)) return outOfRange("UV id", uvId, set->numUVs());
        return status;
    });
}

MStatus MFnMesh::setUV(int uvId, float u, float v, const MString* uvSet) {
    return withMesh(object_, [&](MeshGeometry& m) {
        MStatus status;
        UVSet* set = uvSetOf(m, uvSet, status);
        if (!set) return status;
        if (uvId < 0 || uvId > set->numUVs()) return outOfRange("UV id", uvId, set->numUVs());
        if (uvId == set->numUVs()) {
            set->u.push_back(u);
            set->v.push_back(v);
        } else {
            set->u[uvId] = u;
            set->v[uvId] = v;
        }
        return status;
    });
}

MStatus MFnMesh::assignUVs(const MIntArray& uvCounts, const MIntArray& uvIds,
                           const MString* uvSet) {
    return withMesh(object_, [&](MeshGeometry& m) {
        MStatus status;
        UVSet* set = uvSetOf(m, uvSet, status);
        if (!set) return status;
        if (uvCounts.length() != static_cast<unsigned int>(m.numPolygons())) {
            return invalid("assignUVs needs one count per polygon (" +
                           std::to_string(m.numPolygons()) + "), got " +
                           std::to_string(uvCounts.length()));
        }
        std::vector<int> assigned(m.numFaceVertices(), -1);
        unsigned int next = 0;
        for (int f = 0; f < m.numPolygons(); ++f) {
            if (uvCounts[f] == 0) continue;
            if (uvCounts[f] != m.counts()[f]) {
                return invalid("polygon " + std::to_string(f) + " has " +
                               std::to_string(m.counts()[f]) + " vertices but a UV count of " +
                               std::to_string(uvCounts[f]));
            }
            for (int k = 0; k < uvCounts[f]; ++k, ++next) {
                if (next >= uvIds.length()) return invalid("assignUVs ran out of UV ids");
                if (uvIds[next] < 0 || uvIds[next] >= set->numUVs()) {
                    return outOfRange("UV id", uvIds[next], set->numUVs());
                }
                assigned[m.polygonStart(f) + k] = uvIds[next];
            }
        }
        if (next != uvIds.length()) {
            return invalid("assignUVs got " + std::to_string(uvIds.length()) + " UV ids for " +
                           std::to_string(next) + " face-vertices");
        }
        set->uvIds = std::move(assigned);
        return status;
    });
}

MStatus MFnMesh::getAssignedUVs(MIntArray& uvCounts, MIntArray& uvIds, const MString* uvSet) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        MStatus status;
        const UVSet* set = uvSetOf(m, uvSet, status);
        if (!set) return status;
        uvCounts.setLength(m.numPolygons());
        uvIds.clear();
        float u, v;
        for (int f = 0; f < m.numPolygons(); ++f) {
            int mapped = 0;
            for (int k = 0; k < m.counts()[f]; ++k) {
                const int id = set->uvIds[m.polygonStart(f) + k];
                if (set->uvAt(id, u, v)) {
                    uvIds.append(id);
                    ++mapped;
                }
            }
            uvCounts[f] = mapped;
        }
        return status;
    });
}

MStatus MFnMesh::assignUV(int polygonId, int vertexIndex, int uvId, const MString* uvSet) {
    return withMesh(object_, [&](MeshGeometry& m) {
        MStatus status;
        int position = 0;
        UVSet* set = uvSetOf(m, uvSet, status);
        if (!set || !faceVertexAt(m, polygonId, vertexIndex, position, status)) return status;
        if (uvId < 0 || uvId >= set->numUVs()) return outOfRange("UV id", uvId, set->numUVs());
        set->uvIds[position] = uvId;
        return status;
    });
}

MStatus MFnMesh::getPolygonUV(int polygonId, int vertexIndex, float& u, float& v,
                              const MString* uvSet) const {
    int uvId = -1;
    MStatus status = getPolygonUVid(polygonId, vertexIndex, uvId, uvSet);
    if (status) status = getUV(uvId, u, v, uvSet);
    return status;
}

MStatus MFnMesh::getPolygonUVid(int polygonId, int vertexIndex, int& uvId,
                                const MString* uvSet) const {
    return withMesh(object_, [&](const MeshGeometry& m) {
        MStatus status;
        int position = 0;
        const UVSet* set = uvSetOf(m, uvSet, status);
        if (!set || !faceVertexAt(m, polygonId, vertexIndex, position, status)) return status;
        float u, v;
        if (!set->uvAt(set->uvIds[position], u, v)) {
            return invalid("face-vertex " + std::to_string(vertexIndex) + " of polygon " +
                           std::to_string(polygonId) + " has no UV in set '" + set->name + "'");
        }
        uvId = set->uvIds[position];
        return status;
    });
}
