// The camera shape: lens and film settings, looking down its local -Z axis with +Y up.
#include "viewport/Camera.h"

#include <maya/MFnNumericAttribute.h>
#include <maya/MPxNode.h>

#include <cmath>

#include "graph/Dag.h"
#include "graph/Registry.h"
#include "graph/Scene.h"

namespace mayahost {

namespace {

constexpr double kMillimetresPerInch = 25.4;

class CameraNode : public MPxNode {
public:
    static MObject focalLength, horizontalFilmAperture, verticalFilmAperture, nearClipPlane,
        farClipPlane, orthographic, orthographicWidth, centerOfInterest;

    static MStatus initialize() {
        MFnNumericAttribute numeric;
        struct Number {
            MObject* attribute;
            const char *name, *brief;
            double value;
        };
        // Lengths in scene units, except the focal length (millimetres) and the film (inches).
        const Number numbers[] = {
            {&focalLength, "focalLength", "fl", 35.0},
            {&horizontalFilmAperture, "horizontalFilmAperture", "hfa", 1.41732},
            {&verticalFilmAperture, "verticalFilmAperture", "vfa", 0.94488},
            {&nearClipPlane, "nearClipPlane", "ncp", 0.1},
            {&farClipPlane, "farClipPlane", "fcp", 10000.0},
            {&orthographicWidth, "orthographicWidth", "ow", 30.0},
            {&centerOfInterest, "centerOfInterest", "coi", 5.0}};
        for (const Number& n : numbers) {
            *n.attribute = numeric.create(n.name, n.brief, MFnNumericData::kDouble, n.value);
            numeric.setKeyable(true);
            MStatus status = addAttribute(*n.attribute);
            if (!status) return status;
        }
        orthographic = numeric.create("orthographic", "o", MFnNumericData::kBoolean, 0);
        return addAttribute(orthographic);
    }
};
MObject CameraNode::focalLength, CameraNode::horizontalFilmAperture,
    CameraNode::verticalFilmAperture, CameraNode::nearClipPlane, CameraNode::farClipPlane,
    CameraNode::orthographic, CameraNode::orthographicWidth, CameraNode::centerOfInterest;

double numberOf(Node& node, const char* attribute) {
    const Attribute* a = node.type->findAttribute(attribute);
    if (!a) return NAN;
    PlugPath path = pathOf(a);
    Scene::current().evaluate(node, path);
    return a->heldValue(Scene::current().slotFor(node, path, nullptr)->number[0]);
}

bool positive(double value) { return std::isfinite(value) && value > 0; }

void setTriple(Scene& scene, Node& node, const char* attribute, double x, double y, double z) {
    scene.setValue(node, pathOf(node.type->findAttribute(attribute)), [&](Slot& slot, int) {
        slot.number[0] = x, slot.number[1] = y, slot.number[2] = z;
    });
}

}  // namespace

void registerCameraType() {
    auto type = std::make_shared<NodeType>();
    type->name = "camera";
    type->id = MTypeId(0x4000010);  // from the range the host keeps for itself
    type->kind = NodeKind::Shape;
    type->apiType = MFn::kCamera;
    type->creator = [] { return new CameraNode; };
    Registry::instance().registerType(type, &CameraNode::initialize);
}

void createDefaultCameras(Scene& scene) {
    MStatus status;
    NodePtr transform = scene.createNode("transform", "persp", nullptr, status);
    if (!transform) return;
    NodePtr shape = scene.createNode("camera", "perspShape", transform.get(), status);
    if (!shape) return;
    // At (28, 21, 28), turned 45 degrees about Y and tilted down, so the origin lies at the
    // centre of the view; the centre of interest is that distance away.
    const double distance = std::sqrt(28.0 * 28.0 * 2 + 21.0 * 21.0);
    const double tilt = -std::atan2(21.0, std::sqrt(28.0 * 28.0 * 2)) * 180.0 / M_PI;
    setTriple(scene, *transform, "translate", 28.0, 21.0, 28.0);
    setTriple(scene, *transform, "rotate", tilt, 45.0, 0.0);
    scene.setValue(*shape, pathOf(attributeOf(CameraNode::centerOfInterest)),
                   [&](Slot& slot, int) { slot.number[0] = distance; });
}

bool cameraView(Node& camera, MMatrix& view, std::string& error) {
    const MMatrix world = worldMatrix(camera);
    if (world.isSingular()) {
        error = "the camera " + camera.name + " cannot project: its world matrix has no inverse";
        return false;
    }
    view = world.inverse();
    return true;
}

bool cameraProjection(Node& camera, int width, int height, MMatrix& projection,
                      std::string& error) {
    auto problem = [&](const char* attribute, const char* what) {
        error = "the camera " + camera.name + " cannot project: its " + attribute + " " + what;
        return false;
    };
    const double nearPlane = numberOf(camera, "nearClipPlane"),
                 farPlane = numberOf(camera, "farClipPlane");
    if (!positive(nearPlane)) return problem("nearClipPlane", "must be a finite number above 0");
    if (!std::isfinite(farPlane) || !(farPlane > nearPlane))
        return problem("farClipPlane", "must be finite and beyond the nearClipPlane");
    const double aspect = double(width) / double(height);
    MMatrix m;
    for (int i = 0; i < 4; ++i) m.matrix[i][i] = 0;
    if (numberOf(camera, "orthographic") != 0) {
        const double orthographicWidth = numberOf(camera, "orthographicWidth");
        if (!positive(orthographicWidth))
            return problem("orthographicWidth", "must be a finite number above 0");
        const double right = orthographicWidth / 2, top = right / aspect;
        m.matrix[0][0] = 1 / right;
        m.matrix[1][1] = 1 / top;
        m.matrix[2][2] = -2 / (farPlane - nearPlane);
        m.matrix[3][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
        m.matrix[3][3] = 1;
    } else {
        const double focal = numberOf(camera, "focalLength"),
                     film = numberOf(camera, "horizontalFilmAperture");
        if (!positive(focal)) return problem("focalLength", "must be a finite number above 0");
        if (!positive(film))
            return problem("horizontalFilmAperture", "must be a finite number above 0");
        // The half-width of the view at distance 1 is half the film over the focal length.
        const double right = film * kMillimetresPerInch / 2 / focal, top = right / aspect;
        m.matrix[0][0] = 1 / right;
        m.matrix[1][1] = 1 / top;
        m.matrix[2][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
        m.matrix[2][3] = -1;
        m.matrix[3][2] = -2 * farPlane * nearPlane / (farPlane - nearPlane);
    }
    if (!std::isfinite(m.matrix[0][0]) || !std::isfinite(m.matrix[1][1]) ||
        !std::isfinite(m.matrix[3][2]))
        return problem("settings", "give no finite projection");
    projection = m;
    return true;
}

}  // namespace mayahost
