#include "common/vertexColorLayers.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MColorArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "common/inputChecks.h"
#include "common/pointSetInput.h"
#include "common/statusCheck.h"

MStatus readTriangleCorners(const MFnMesh& mesh, std::vector<unsigned int>& corners) {
    MIntArray counts, vertices;
    STATUS_RETURN_ON_ERROR(mesh.getTriangles(counts, vertices), "meshFn.getTriangles");
    corners.resize(vertices.length() / 3 * 3);
    for (size_t i = 0; i < corners.size(); ++i)
        corners[i] = static_cast<unsigned int>(vertices[static_cast<unsigned int>(i)]);
    return MS::kSuccess;
}

MStatus readMeshPoints(const MFnMesh& mesh, std::vector<float>& points) {
    MFloatPointArray vertices;
    STATUS_RETURN_ON_ERROR(mesh.getPoints(vertices, MSpace::kObject), "meshFn.getPoints");
    points.resize(3ull * vertices.length());
    for (unsigned int i = 0; i < vertices.length(); ++i) {
        points[3ull * i] = vertices[i].x;
        points[3ull * i + 1] = vertices[i].y;
        points[3ull * i + 2] = vertices[i].z;
    }
    return MS::kSuccess;
}

MStatus countVertexColorLayers(MDataBlock& block, const MObject& elements, const char* elementsName,
                               const MFnMesh& mesh, VertexColorLayers& layers) {
    MStatus status;
    layers.vertexCount = static_cast<unsigned int>(mesh.numVertices(&status));
    STATUS_RETURN_ON_ERROR(status, "meshPointsCount");
    STATUS_RETURN_ON_ERROR(mesh.getColorSetNames(layers.names), "getColorSetNames");
    MArrayDataHandle array = block.inputArrayValue(elements, &status);
    STATUS_RETURN_ON_ERROR(status, std::string("block.inputArrayValue(") + elementsName + ")");
    const unsigned int elementCount = array.elementCount(&status);
    STATUS_RETURN_ON_ERROR(status, "influencesCount = influenceDataHandle.elementCount");
    const unsigned int count = std::min(elementCount, layers.names.length());
    layers.count = static_cast<unsigned short>(std::min(count, 65535u));
    return MS::kSuccess;
}

MStatus forEachArrayElement(MDataBlock& block, const MObject& elements, unsigned int count,
                            const std::function<MStatus(unsigned int, MDataHandle&)>& read) {
    MStatus status;
    MArrayDataHandle array = block.inputArrayValue(elements, &status);
    if (!status) return status;
    for (unsigned int l = 0; l < count; ++l) {
        status = array.jumpToElement(l);
        if (!status) return status;
        MDataHandle element = array.inputValue(&status);
        if (!status) return status;
        status = read(l, element);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MStatus readLayerSettings(MDataBlock& block, const MObject& node, const MObject& elements, const MObject& type,
                          const MObject& weight, const MObject* factor, unsigned int count,
                          LayerSettings& settings) {
    const MString elementsName = MPlug(node, elements).name();
    return forEachArrayElement(block, elements, count, [&](unsigned int l, MDataHandle& element) {
        const MString lead = elementsName + "[" + static_cast<int>(l) + "].";
        const short typeValue = element.child(type).asShort();
        const float weightValue = element.child(weight).asFloat();
        if (factor) {
            const float factorValue = element.child(*factor).asFloat();
            if (!checkFinite(lead + MFnAttribute(*factor).name(), factorValue)) return MStatus(MS::kFailure);
            settings.factors.push_back(factorValue);
        }
        if (!checkFinite(lead + MFnAttribute(weight).name(), weightValue)) return MStatus(MS::kFailure);
        settings.types.push_back(typeValue < 0 ? 0 : (typeValue > 1 ? 1 : typeValue));
        settings.weights.push_back(weightValue > 0.0f ? (weightValue < 1.0f ? weightValue : 1.0f) : 0.0f);
        return MStatus(MS::kSuccess);
    });
}

MStatus readVertexColors(const MFnMesh& mesh, const MColor& unsetColor, const char* nodeName,
                         VertexColorLayers& layers) {
    const unsigned int vertices = layers.vertexCount;
    layers.colors.resize(static_cast<size_t>(layers.count) * vertices * 4);
    float* out = layers.colors.data();
    for (unsigned int l = 0; l < layers.count; ++l) {
        const MString& name = layers.names[l];
        MColorArray colors;
        MStatus status = mesh.getVertexColors(colors, &name, &unsetColor);
        STATUS_RETURN_ON_ERROR(status, "getting colorSet");
        const MString lead = MString(nodeName) + ": colour set '" + name + "'";
        if (colors.length() != vertices) {
            MGlobal::displayError(lead + " has " + static_cast<int>(colors.length()) +
                                  " colours for " + static_cast<int>(vertices) + " vertices");
            return MS::kFailure;
        }
        for (unsigned int v = 0; v < vertices; ++v) {
            const MColor& c = colors[v];
            if (!std::isfinite(c.r) || !std::isfinite(c.g) || !std::isfinite(c.b) ||
                !std::isfinite(c.a)) {
                MGlobal::displayError(lead + ": the colour of vertex " + static_cast<int>(v) +
                                      " is not finite");
                return MS::kFailure;
            }
            *out++ = c.r, *out++ = c.g, *out++ = c.b, *out++ = c.a;
        }
    }
    return MS::kSuccess;
}

MStatus readPointTriangles(PointSetInput& input, const MFnMesh& mesh, unsigned int n,
                           const char* triIdMissing, const char* uvMissing, bool uvLedByPlug,
                           PointTriangles& triangles, const char* reference) {
    if (!input.requireArray("triID", MFnArrayAttrsData::kIntArray, triIdMissing)) return MS::kFailure;
    if (!input.requireArray("uv", MFnArrayAttrsData::kVectorArray, uvMissing, uvLedByPlug))
        return MS::kFailure;
    const MIntArray triID = input.set().getIntData("triID");
    const MVectorArray uv = input.set().getVectorData("uv");
    if (!input.checkLength("triID", triID.length(), n, reference) ||
        !input.checkLength("uv", uv.length(), n, reference))
        return MS::kFailure;
    MStatus status = readTriangleCorners(mesh, triangles.corners);
    if (!status) return status;
    if (!input.checkTriangleIds(triID, triangles.triangleCount())) return MS::kFailure;
    if (!vectorsAsFloats(input.plugName() + ": 'uv'", uv, 2, triangles.uv)) return MS::kFailure;
    triangles.triID = intsAsUnsigned(triID);
    return MS::kSuccess;
}
