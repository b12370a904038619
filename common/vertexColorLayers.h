#pragma once
// The mesh tables that point nodes sample: the triangle corner list, the vertex positions and
// the vertex-colour layers of a mesh.
//
// A layer pairs element k of a node's compound array attribute (in stored order) with colour
// set k of the mesh (in getColorSetNames order); there are as many layers as the smaller of the
// two counts. Reading goes in two steps, so that a node can check device memory between them:
// countVertexColorLayers, then readVertexColors. The element settings (types, weights, ids)
// differ by node and are read with forEachArrayElement.
#include <maya/MColor.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnMesh.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MStringArray.h>

#include <functional>
#include <vector>

// The getTriangles corner list: three vertex ids per triangle, polygons in order. Fails with
// "ERROR meshFn.getTriangles" on standard error.
MStatus readTriangleCorners(const MFnMesh& mesh, std::vector<unsigned int>& corners);

// The object-space vertex positions, x, y, z per vertex. Fails with "ERROR meshFn.getPoints".
MStatus readMeshPoints(const MFnMesh& mesh, std::vector<float>& points);

struct VertexColorLayers {
    unsigned short count = 0;       // L: the layers in use
    unsigned int vertexCount = 0;   // V: the mesh's vertices
    MStringArray names;             // the colour sets of the mesh, all of them
    // Red, green, blue, alpha per vertex per layer, layer-major: entry (l * V + v) * 4 + c.
    std::vector<float> colors;

    // Bytes of the colour table.
    unsigned long long colorBytes() const { return 16ull * count * vertexCount; }
};

// Counts the layers of `mesh` for the array attribute `elements`: L = the smaller of its
// element count and the mesh's colour-set count, at most 65,535. Host call failures write
// "ERROR block.inputArrayValue(<elementsName>)" or
// "ERROR influencesCount = influenceDataHandle.elementCount" and the status text to standard
// error and return the status.
MStatus countVertexColorLayers(MDataBlock& block, const MObject& elements, const char* elementsName,
                               const MFnMesh& mesh, VertexColorLayers& layers);

// Calls read(k, element) for the first `count` elements of the array attribute `elements` in
// stored order (k from 0), stopping at the first failing status, which it returns. Serves the
// layer settings and any other compound array a node reads element by element.
MStatus forEachArrayElement(MDataBlock& block, const MObject& elements, unsigned int count,
                            const std::function<MStatus(unsigned int, MDataHandle&)>& read);

// The settings of the first `count` elements of a layer node's compound array `elements`, as
// the layer kernels take them: each type taken at the nearer of 0 and 1, each weight refused when
// not finite and taken within [0, 1], and, where the elements have a factor child, each factor
// refused when not finite (before the weight). A refusal shows
// "<node>.<elements>[<k>].<child>: must be finite, not <value>" and fails.
struct LayerSettings {
    std::vector<short> types;
    std::vector<float> factors, weights;  // factors stays empty without a factor child
};
MStatus readLayerSettings(MDataBlock& block, const MObject& node, const MObject& elements, const MObject& type,
                          const MObject& weight, const MObject* factor, unsigned int count,
                          LayerSettings& settings);

// Fills layers.colors from the first layers.count colour sets; a vertex without a colour in a
// set reads as `unsetColor`. A set that does not give one finite colour per vertex is refused:
// shows nodeName + ": colour set '<name>' ..." and fails, before anything reaches the device.
// A failing getVertexColors writes "ERROR getting colorSet" and returns its status.
MStatus readVertexColors(const MFnMesh& mesh, const MColor& unsetColor, const char* nodeName,
                         VertexColorLayers& layers);

class PointSetInput;

// Where each of n points lies on the mesh, as the layer kernels read it: the mesh's corner
// list, each point's triangle and its (u, v).
struct PointTriangles {
    std::vector<unsigned int> corners;  // three vertex ids per triangle
    std::vector<unsigned int> triID;    // one per point
    std::vector<float> uv;              // u, v per point

    unsigned int triangleCount() const { return static_cast<unsigned int>(corners.size() / 3); }
    // Bytes of the three tables on the device.
    unsigned long long bytes() const { return 4ull * corners.size() + 4ull * triID.size() + 4ull * uv.size(); }
};

// Reads the corner list of `mesh` and the "triID" (ints) and "uv" (vectors) arrays of the
// input for its n points. A missing array shows triIdMissing / uvMissing (uvMissing as it
// stands, without the plug's name, when uvLedByPlug is false); arrays of another length than n
// (the length of the array named `reference`),
// triangle indices outside the mesh and uvs beyond the float range are refused with
// PointSetInput's messages. Fails with nothing read on the device.
MStatus readPointTriangles(PointSetInput& input, const MFnMesh& mesh, unsigned int n,
                           const char* triIdMissing, const char* uvMissing, bool uvLedByPlug,
                           PointTriangles& triangles, const char* reference = "position");
