#include "pointSuite/attributes/zuColorBuffer.h"

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MMatrix.h>
#include <maya/MPlugArray.h>
#include <maya/MRenderUtil.h>
#include <maya/MVectorArray.h>

#include <iostream>

#include "common/nodeAttributes.h"
#include "common/pointSetOutput.h"
#include "common/statusCheck.h"
#include "pointSuite/attributes/sampledColors.h"

const MTypeId zuColorBuffer::id(0xB5);
MObject zuColorBuffer::outColor, zuColorBuffer::inUVs, zuColorBuffer::inColor;

namespace {

const char kNodeName[] = "zuColorBuffer";

// u and v of every entry, as the sampler takes them.
void splitUVs(const MVectorArray& uvs, MFloatArray& u, MFloatArray& v) {
    const unsigned int n = uvs.length();
    u.setLength(n);
    v.setLength(n);
    for (unsigned int i = 0; i < n; ++i) {
        u[i] = static_cast<float>(uvs[i].x);
        v[i] = static_cast<float>(uvs[i].y);
    }
}

// The world matrix of the active view's camera.
MStatus activeCameraMatrix(MFloatMatrix& matrix) {
    MStatus status;
    M3dView view = M3dView::active3dView(&status);
    STATUS_RETURN_ON_ERROR(status, "M3dView::active3dView");
    MDagPath camera;
    STATUS_RETURN_ON_ERROR(view.getCamera(camera), "view.getCamera");
    const MMatrix world = camera.inclusiveMatrix(&status);
    STATUS_RETURN_ON_ERROR(status, "camera.inclusiveMatrix");
    float entries[4][4];
    world.get(entries);
    matrix = MFloatMatrix(entries);
    return MS::kSuccess;
}

}  // namespace

zuColorBuffer::~zuColorBuffer() = default;

void* zuColorBuffer::creator() { return new zuColorBuffer; }

MStatus zuColorBuffer::compute(const MPlug& plug, MDataBlock& block) {
    if (plug != outColor) return MS::kUnknownParameter;
    return guardedCompute(kNodeName, [&] { return computeColors(plug, block); });
}

MStatus zuColorBuffer::computeColors(const MPlug& plug, MDataBlock& block) {
    MStatus status;
    MDataHandle uvHandle = block.inputValue(inUVs, &status);
    STATUS_RETURN_ON_ERROR(status, "getting inUVs");
    MFnVectorArrayData uvData(uvHandle.data(), &status);
    if (!status) {
        MGlobal::displayError(MPlug(thisMObject(), inUVs).name() +
                              ": please supply points UV from zuPointsUV node");
        return status;
    }
    const MVectorArray uvs = uvData.array();  // shares the input's storage
    const unsigned int n = uvs.length();

    const MPlug colorPlug(thisMObject(), inColor);
    MPlugArray sources;
    colorPlug.connectedTo(sources, true, false, &status);
    STATUS_RETURN_ON_ERROR(status, "getting plug connections");
    if (sources.length() == 0) {
        block.setClean(plug);
        return MS::kSuccess;
    }
    // The value is not used; reading it brings the network up to date.
    block.inputValue(inColor, &status);
    STATUS_RETURN_ON_ERROR(status, "getting inColor");
    const MString network = sources[0].name(&status);
    STATUS_RETURN_ON_ERROR(status, "getting plug name(2)");
    MFloatMatrix cameraMatrix;
    status = activeCameraMatrix(cameraMatrix);
    if (!status) return status;

    MFloatArray u, v;
    splitUVs(uvs, u, v);
    MFloatVectorArray sampled, transparencies;
    status = MRenderUtil::sampleShadingNetwork(network, static_cast<int>(n), false, false,
                                               cameraMatrix, nullptr, &u, &v, nullptr, nullptr,
                                               nullptr, nullptr, nullptr, sampled, transparencies);
    if (!status) {
        MGlobal::displayError(colorPlug.name() + ": cannot sample " + network + ": " +
                              status.errorString());
        return status;
    }

    MFnVectorArrayData output;
    MObject data;
    status = createVectorArrayData(output, data);
    if (!status) return status;
    MVectorArray colors = output.array(&status);  // shares the data's storage
    STATUS_RETURN_ON_ERROR(status, "fnVectorArrayData.array");
    const unsigned int answered = copySampledColors(sampled, n, colors);
    if (answered < n)
        MGlobal::displayWarning(MString(kNodeName) + ": " + network + " gave " +
                                static_cast<int>(answered) + " colours for " + static_cast<int>(n) +
                                " UVs; the others are (0, 0, 0)");
    return setOutputData(block, outColor, plug, data, "handle = block.outputValue.\n",
                         "handle.set(outArray)\n");
}

MStatus zuColorBuffer::initialize() {
    MStatus status = createVectorArrayOutput(outColor, "outColor", "oc", "ERROR in outColor.\n");
    if (!status) return status;
    if (!(status = createVectorArrayInput(inUVs, "inUVs", "uv"))) return status;
    MFnNumericAttribute numeric;
    inColor = numeric.createColor("inColor", "ic", &status);
    STATUS_RETURN_ON_ERROR(status, "in inColors.\n");
    numeric.setKeyable(true);
    numeric.setStorable(true);
    numeric.setReadable(true);
    numeric.setWritable(true);
    return addAttributes({&outColor, &inUVs, &inColor}, {&inUVs, &inColor}, outColor);
}
