#pragma once
// Reading the vertex-colour layers of a node's inMesh for its points, in the order every layer
// node follows: the mesh, the layer count, where each point lies on the mesh, the node's layer
// settings, the device-memory check of the colour tables, and the colours themselves.
#include <maya/MColor.h>
#include <maya/MDataBlock.h>
#include <maya/MFnMesh.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <functional>

#include "common/vertexColorLayers.h"

class DeviceMemoryTally;
class PointSetInput;

// How one node reads its layers.
struct MeshLayerRules {
    MObject mesh;               // the node's inMesh attribute
    MObject elements;           // its compound array of layer settings
    const char* elementsName;   // for countVertexColorLayers' message
    const char* uvMissing;      // readPointTriangles' texts
    bool uvLedByPlug;
    MColor unsetColor;          // the colour of a vertex without one
    const char* nodeName;       // leads readVertexColors' messages
    unsigned int bytesPerLayer; // the device bytes of one layer's settings
    bool trianglesWithColors;   // the point triangles count with the colour tables
    bool needsTriangles = false;         // read the point triangles even without layers
    const char* meshMissing = nullptr;   // when set, a missing mesh is refused: plug name + text
};

// The mesh and what was read of it.
struct MeshLayers {
    MFnMesh mesh;
    bool hasMesh = false;
    VertexColorLayers layers;
    PointTriangles triangles;
};

// Reads the layers of the node's mesh for its n points: the mesh (without one, no layers, or the
// meshMissing refusal), countVertexColorLayers, readPointTriangles (": Points triID missing")
// when there are layers or needsTriangles, readSettings(layer count) when there are layers,
// then beforeColors (when given), and with layers the check of the colour tables
// (colorBytes, bytesPerLayer per layer, the triangles' bytes with trianglesWithColors) joined to
// `memory` ("Not enough memory on GPU for color sets") and readVertexColors. Stops at the first
// failing step and returns its status.
MStatus readMeshLayers(MDataBlock& block, const MObject& node, PointSetInput& input, unsigned int n,
                       const MeshLayerRules& rules, const std::function<MStatus(unsigned int)>& readSettings,
                       DeviceMemoryTally& memory, MeshLayers& read,
                       const std::function<MStatus()>& beforeColors = nullptr);
