#pragma once
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

class OPENMAYA_EXPORT MRenderUtil {
public:
    // Samples a shading network at numSamples texture coordinates. shadingNodeName is a shading
    // node ("checker1", meaning its outColor) or one of its outputs ("checker1.outColor",
    // "checker1.outAlpha"); any other plug of three numbers is a constant colour. The whole
    // batch is sampled at once: each node of the network reads its inputs once and shades every
    // sample. uCoords and vCoords are needed and must hold numSamples values each; the other
    // arrays may be null and are not read, nor are the camera matrix and the map flags: the
    // host's textures depend on the UVs alone. resultColors and resultTransparencies (1 - alpha)
    // get numSamples entries; on failure they are left empty and the status says why.
    static MStatus sampleShadingNetwork(MString shadingNodeName, int numSamples, bool useShadowMaps,
                                        bool reuseMaps, MFloatMatrix& cameraMatrix,
                                        MFloatPointArray* points, MFloatArray* uCoords,
                                        MFloatArray* vCoords, MFloatVectorArray* normals,
                                        MFloatPointArray* refPoints, MFloatVectorArray* tangentUs,
                                        MFloatVectorArray* tangentVs, MFloatArray* filterSizes,
                                        MFloatVectorArray& resultColors,
                                        MFloatVectorArray& resultTransparencies);
};
