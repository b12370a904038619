// The node types the host itself provides: transform, mesh and time (the camera and the
// textures register from viewport/ and shading/).
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include <cmath>
#include <limits>

#include "graph/Dag.h"
#include "data/DataTypes.h"
#include "dynamics/Dynamics.h"
#include "mesh/MeshData.h"
#include "graph/Registry.h"
#include "graph/Scene.h"
#include "shading/Texture2d.h"
#include "viewport/Camera.h"

namespace mayahost {

namespace {

MStatus addAll(std::initializer_list<MObject*> attributes) {
    for (MObject* a : attributes) {
        MStatus status = MPxNode::addAttribute(*a);
        if (!status) return status;
    }
    return MS::kSuccess;
}

MObject createDouble3(const char* name, const char* brief, double value) {
    MFnNumericAttribute numeric;
    MObject children[3];
    const char* axes[] = {"X", "Y", "Z"};
    const char* briefAxes[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i)
        children[i] = numeric.create(MString(name) + axes[i], MString(brief) + briefAxes[i], MFnNumericData::kDouble, value);
    return numeric.create(name, brief, children[0], children[1], children[2]);
}

MMatrix rotationAbout(int axis, double degrees) {
    double radians = degrees * M_PI / 180.0, c = std::cos(radians), s = std::sin(radians);
    MMatrix m;
    int a = (axis + 1) % 3, b = (axis + 2) % 3;
    m.matrix[a][a] = c;
    m.matrix[a][b] = s;
    m.matrix[b][a] = -s;
    m.matrix[b][b] = c;
    return m;
}

// ---- transform

class TransformNode : public MPxNode {
public:
    static MObject translate, rotate, scale, matrix;

    static MStatus initialize() {
        translate = createDouble3("translate", "t", 0.0);
        rotate = createDouble3("rotate", "r", 0.0);
        scale = createDouble3("scale", "s", 1.0);
        MFnMatrixAttribute fnMatrix;
        matrix = fnMatrix.create("matrix", "m");
        fnMatrix.setWritable(false);
        fnMatrix.setStorable(false);
        MStatus status = addAll({&translate, &rotate, &scale, &matrix});
        if (!status) return status;
        for (MObject* input : {&translate, &rotate, &scale}) attributeAffects(*input, matrix);
        // A new local matrix moves the transform in the world, and with it everything below.
        for (auto& a : inheritedAttributes(NodeKind::Transform))
            if (a.get() == worldMatrixAttribute()) attributeAffects(matrix, MObject(a));
        return status;
    }

    // Scale, then rotate about X, Y and Z (in degrees), then translate.
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != matrix) return MS::kUnknownParameter;
        const double* t = block.inputValue(translate).asDouble3();
        double r[3], s[3];
        for (int i = 0; i < 3; ++i) r[i] = block.inputValue(rotate).asDouble3()[i];
        for (int i = 0; i < 3; ++i) s[i] = block.inputValue(scale).asDouble3()[i];
        MMatrix m;
        for (int i = 0; i < 3; ++i) m.matrix[i][i] = s[i];
        m = m * rotationAbout(0, r[0]) * rotationAbout(1, r[1]) * rotationAbout(2, r[2]);
        for (int i = 0; i < 3; ++i) m.matrix[3][i] = t[i];
        block.outputValue(matrix).set(m);
        block.setClean(plug);
        return MS::kSuccess;
    }
};
MObject TransformNode::translate, TransformNode::rotate, TransformNode::scale, TransformNode::matrix;

// ---- mesh

class MeshNode : public MPxNode {
public:
    static MObject inMesh, outMesh, worldMesh, boundingBox, boundingBoxMin, boundingBoxMax, boundingBoxSize;

    static MStatus initialize() {
        MFnTypedAttribute typed;
        inMesh = typed.create("inMesh", "i", MFnData::kMesh);
        outMesh = typed.create("outMesh", "o", MFnData::kMesh);
        typed.setWritable(false);
        typed.setStorable(false);
        worldMesh = typed.create("worldMesh", "w", MFnData::kMesh);
        typed.setArray(true);
        typed.setWritable(false);
        typed.setStorable(false);
        boundingBoxMin = createDouble3("boundingBoxMin", "bbmn", 0.0);
        boundingBoxMax = createDouble3("boundingBoxMax", "bbmx", 0.0);
        boundingBoxSize = createDouble3("boundingBoxSize", "bbsz", 0.0);
        MFnCompoundAttribute compound;
        boundingBox = compound.create("boundingBox", "bb");
        for (MObject* child : {&boundingBoxMin, &boundingBoxMax, &boundingBoxSize}) compound.addChild(*child);
        compound.setWritable(false);
        compound.setStorable(false);
        MStatus status = addAll({&inMesh, &outMesh, &worldMesh, &boundingBox});
        if (!status) return status;
        for (MObject* output : {&outMesh, &worldMesh, &boundingBox}) attributeAffects(inMesh, *output);
        attributeAffects(MObject(std::const_pointer_cast<Attribute>(worldMatrixShared())), worldMesh);
        return MS::kSuccess;
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        MPlug top = plug;
        while (top.isChild() || top.isElement()) top = top.isElement() ? top.array() : top.parent();
        if (top == outMesh) {
            block.outputValue(outMesh).set(block.inputValue(inMesh).data());
        } else if (top == worldMesh) {
            MStatus status = setWorldMesh(block);
            if (!status) return status;
        } else if (top == boundingBox) {
            setBoundingBox(block);
        } else {
            return MS::kUnknownParameter;
        }
        block.setClean(top);
        return MS::kSuccess;
    }

private:
    static std::shared_ptr<const Attribute> worldMatrixShared() {
        for (auto& a : inheritedAttributes(NodeKind::Shape))
            if (a.get() == worldMatrixAttribute()) return a;
        return nullptr;
    }

    std::shared_ptr<MeshData> currentMesh(MDataBlock& block) {
        return std::dynamic_pointer_cast<MeshData>(block.inputValue(outMesh).data().host());
    }

    // The mesh with its points moved into world space. Fails with a message, the previous value
    // kept, when the world matrix takes a point beyond what a float holds.
    MStatus setWorldMesh(MDataBlock& block) {
        MObject value;
        if (auto mesh = currentMesh(block)) {
            auto world = std::static_pointer_cast<MeshData>(mesh->clone());
            MMatrix m = worldMatrix(*hostNode());
            std::vector<MeshPoint> points = world->geometry.points();
            for (MeshPoint& p : points) {
                double x = p.x, y = p.y, z = p.z;
                p.x = float(x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0]);
                p.y = float(x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1]);
                p.z = float(x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]);
            }
            if (!world->geometry.setPoints(std::move(points))) {
                const std::string message = hostNode()->name + ".worldMesh: the world matrix moves points beyond the float range";
                MGlobal::displayError(message.c_str());
                return MStatus(MS::kFailure, message.c_str());
            }
            value = MObject(std::shared_ptr<Data>(world));
        }
        MArrayDataHandle array = block.outputArrayValue(worldMesh);
        MArrayDataBuilder builder = array.builder();
        builder.addElement(0).set(value);
        return array.set(builder);
    }

    // Object-space bounds of the mesh's points; all zero for an empty mesh.
    void setBoundingBox(MDataBlock& block) {
        double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
        auto mesh = currentMesh(block);
        if (mesh && mesh->geometry.numVertices() > 0) {
            for (int i = 0; i < 3; ++i) low[i] = std::numeric_limits<double>::max(), high[i] = -low[i];
            for (const MeshPoint& p : mesh->geometry.points()) {
                double c[3] = {p.x, p.y, p.z};
                for (int i = 0; i < 3; ++i) low[i] = std::min(low[i], c[i]), high[i] = std::max(high[i], c[i]);
            }
        }
        MDataHandle box = block.outputValue(boundingBox);
        box.child(boundingBoxMin).set(low[0], low[1], low[2]);
        box.child(boundingBoxMax).set(high[0], high[1], high[2]);
        box.child(boundingBoxSize).set(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    }
};
MObject MeshNode::inMesh, MeshNode::outMesh, MeshNode::worldMesh, MeshNode::boundingBox, MeshNode::boundingBoxMin,
    MeshNode::boundingBoxMax, MeshNode::boundingBoxSize;

// ---- time

class TimeNode : public MPxNode {
public:
    static MObject outTime;

    static MStatus initialize() {
        MFnUnitAttribute unit;
        outTime = unit.create("outTime", "o", MFnUnitAttribute::kTime, 0.0);
        unit.setWritable(false);
        unit.setStorable(false);
        return addAttribute(outTime);
    }

    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != outTime) return MS::kUnknownParameter;
        block.outputValue(outTime).set(Scene::current().time());
        block.setClean(plug);
        return MS::kSuccess;
    }
};
MObject TimeNode::outTime;

template <class T>
void registerBuiltin(const char* name, unsigned id, NodeKind kind, MFn::Type apiType) {
    auto type = std::make_shared<NodeType>();
    type->name = name;
    type->id = MTypeId(id);
    type->kind = kind;
    type->apiType = apiType;
    type->creator = [] { return new T; };
    Registry::instance().registerType(type, &T::initialize);
}

}  // namespace

void registerBuiltinTypes() {
    static bool done = false;
    if (done) return;
    done = true;
    // Ids from the range the host keeps for itself.
    registerBuiltin<TransformNode>("transform", 0x4000001, NodeKind::Transform, MFn::kTransform);
    registerBuiltin<MeshNode>("mesh", 0x4000002, NodeKind::Shape, MFn::kMesh);
    registerBuiltin<TimeNode>("time", 0x4000003, NodeKind::Depend, MFn::kTime);
    registerCameraType();
    registerShadingTypes();
    registerParticleType();
}

std::shared_ptr<MeshData> meshDataForNode(const MObject& object) {
    Node* node = nodeOf(object);
    if (!node || node->type->apiType != MFn::kMesh) return nullptr;
    PlugPath path = pathOf(MeshNode::outMesh.host() ? attributeOf(MeshNode::outMesh) : nullptr);
    Scene::current().evaluate(*node, path);
    return std::dynamic_pointer_cast<MeshData>(node->slot(path[0].attribute).data);
}

// ---- DAG

const Attribute* worldMatrixAttribute() {
    static const Attribute* world = [] {
        for (auto& a : inheritedAttributes(NodeKind::Transform))
            if (a->longName == "worldMatrix") return a.get();
        return static_cast<Attribute*>(nullptr);
    }();
    return world;
}

MMatrix localMatrix(Node& node) {
    if (node.type->kind != NodeKind::Transform) return MMatrix();
    const Attribute* matrix = attributeOf(TransformNode::matrix);
    Scene::current().evaluate(node, pathOf(matrix));
    auto data = std::dynamic_pointer_cast<MatrixData>(node.slot(matrix).data);
    return data ? data->value : MMatrix();
}

MMatrix worldMatrix(Node& node) {
    const Attribute* world = worldMatrixAttribute();
    if (!node.type->isDag()) return MMatrix();
    Scene::current().evaluate(node, pathOf(world, 0));
    auto& elements = node.slot(world).elements;
    auto element = elements.find(0);
    auto data = element == elements.end() ? nullptr : std::dynamic_pointer_cast<MatrixData>(element->second.data);
    return data ? data->value : MMatrix();
}

// Made from the parent's world matrix plug, so that a change above reaches every node below
// through the graph and a deep hierarchy evaluates one level at a time.
bool computeDagAttribute(Node& node, const Attribute* attribute) {
    if (attribute != worldMatrixAttribute() || !node.type->isDag()) return false;
    auto data = std::make_shared<MatrixData>();
    data->value = node.parent ? localMatrix(node) * worldMatrix(*node.parent) : localMatrix(node);
    node.slot(attribute).elements[0].data = data;
    return true;
}

}  // namespace mayahost
