// The deformer base and the iterator over a geometry's points it hands to deform.
#include "mesh/Deformer.h"

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MItGeometry.h>
#include <maya/MPlug.h>
#include <maya/MPxDeformerNode.h>

#include "graph/Node.h"
#include "mesh/MeshData.h"

MObject MPxDeformerNode::input;
MObject MPxDeformerNode::inputGeom;
MObject MPxDeformerNode::groupId;
MObject MPxDeformerNode::outputGeom;
MObject MPxDeformerNode::envelope;

namespace mayahost {

const std::vector<AttributePtr>& deformerAttributes() {
    static const std::vector<AttributePtr> list = [] {
        MFnTypedAttribute typed;
        MPxDeformerNode::inputGeom = typed.create("inputGeometry", "ig", MFnData::kMesh);
        typed.setStorable(false);
        MFnNumericAttribute numeric;
        MPxDeformerNode::groupId = numeric.create("groupId", "gi", MFnNumericData::kInt, 0);
        MFnCompoundAttribute compound;
        MPxDeformerNode::input = compound.create("input", "ip");
        compound.addChild(MPxDeformerNode::inputGeom);
        compound.addChild(MPxDeformerNode::groupId);
        compound.setArray(true);
        MPxDeformerNode::outputGeom = typed.create("outputGeometry", "og", MFnData::kMesh);
        typed.setArray(true);
        typed.setWritable(false);
        typed.setStorable(false);
        typed.setUsesArrayDataBuilder(true);
        MPxDeformerNode::envelope = numeric.create("envelope", "en", MFnNumericData::kFloat, 1.0);
        numeric.setKeyable(true);
        std::vector<AttributePtr> attributes;
        for (const MObject* a :
             {&MPxDeformerNode::input, &MPxDeformerNode::outputGeom, &MPxDeformerNode::envelope})
            attributes.push_back(std::dynamic_pointer_cast<Attribute>(a->host()));
        return attributes;
    }();
    return list;
}

namespace {

MPointArray pointsOf(const MeshGeometry& mesh) {
    MPointArray points;
    points.setLength(unsigned(mesh.points().size()));
    for (size_t i = 0; i < mesh.points().size(); ++i) {
        const MeshPoint& p = mesh.points()[i];
        points[unsigned(i)] = MPoint(p.x, p.y, p.z);
    }
    return points;
}

bool setPointsOf(MeshGeometry& mesh, const MPointArray& points) {
    std::vector<MeshPoint> stored(points.length());
    for (unsigned i = 0; i < points.length(); ++i)
        stored[i] = MeshPoint{float(points[i].x), float(points[i].y), float(points[i].z)};
    return mesh.setPoints(std::move(stored));
}

}  // namespace

}  // namespace mayahost

// ---- MPxDeformerNode

MPxDeformerNode::MPxDeformerNode() = default;
MPxDeformerNode::~MPxDeformerNode() = default;

MStatus MPxDeformerNode::deform(MDataBlock&, MItGeometry&, const MMatrix&, unsigned int) {
    return MS::kSuccess;
}

MObject& MPxDeformerNode::accessoryAttribute() const {
    static MObject none;
    return none;
}

MStatus MPxDeformerNode::accessoryNodeSetup(MDagModifier&) { return MS::kNotImplemented; }

// Each element of input gives the element of outputGeom of the same index. A geometry that
// fails to deform keeps the output it had, and the compute reports the failure.
MStatus MPxDeformerNode::compute(const MPlug& plug, MDataBlock& block) {
    MPlug top = plug.isElement() ? plug.array() : plug;
    if (top != outputGeom) return MS::kUnknownParameter;
    MArrayDataHandle inputs = block.inputArrayValue(input);
    MArrayDataHandle outputs = block.outputArrayValue(outputGeom);
    MArrayDataBuilder builder = outputs.builder();
    MStatus result;
    const unsigned count = inputs.elementCount();
    for (unsigned k = 0; k < count; ++k, inputs.next()) {
        const unsigned index = inputs.elementIndex();
        auto source = std::dynamic_pointer_cast<mayahost::MeshData>(
            inputs.inputValue().child(inputGeom).data().host());
        if (!source) {
            builder.addElement(index).set(MObject());
            continue;
        }
        auto mesh = std::static_pointer_cast<mayahost::MeshData>(source->clone());
        MItGeometry iterator(mayahost::pointsOf(mesh->geometry));
        MStatus status = deform(block, iterator, MMatrix(), index);
        if (status && !mayahost::setPointsOf(mesh->geometry, iterator.hostPoints())) {
            const std::string message =
                plug.name().asChar() + std::string(": the deformed points are not finite");
            MGlobal::displayError(message.c_str());
            status = MStatus(MS::kFailure, message.c_str());
        }
        if (!status) {
            result = status;
            continue;
        }
        builder.addElement(index).set(MObject(std::shared_ptr<mayahost::Data>(mesh)));
    }
    if (!result) return result;
    outputs.set(builder);
    block.setClean(top);
    return MS::kSuccess;
}

// ---- MItGeometry

bool MItGeometry::isDone(MStatus* status) const {
    if (status) *status = MS::kSuccess;
    return current_ >= points_.length();
}

MStatus MItGeometry::next() {
    if (current_ >= points_.length()) return MS::kFailure;
    ++current_;
    return MS::kSuccess;
}

MStatus MItGeometry::reset() {
    current_ = 0;
    return MS::kSuccess;
}

int MItGeometry::index(MStatus* status) const {
    if (status) *status = isDone() ? MStatus(MS::kFailure) : MStatus();
    return int(current_);
}

int MItGeometry::count(MStatus* status) const {
    if (status) *status = MS::kSuccess;
    return int(points_.length());
}

MPoint MItGeometry::position(MSpace::Space, MStatus* status) const {
    if (isDone()) {
        if (status) *status = MS::kFailure;
        return MPoint();
    }
    if (status) *status = MS::kSuccess;
    return points_[current_];
}

MStatus MItGeometry::setPosition(const MPoint& point, MSpace::Space) {
    if (isDone()) return MS::kFailure;
    points_[current_] = point;
    return MS::kSuccess;
}

MStatus MItGeometry::allPositions(MPointArray& points, MSpace::Space) const {
    points = points_;
    return MS::kSuccess;
}

MStatus MItGeometry::setAllPositions(const MPointArray& points, MSpace::Space) {
    if (points.length() != points_.length())
        return MStatus(MS::kInvalidParameter,
                       "(kInvalidParameter): The point count differs from the geometry's");
    points_ = points;
    return MS::kSuccess;
}
