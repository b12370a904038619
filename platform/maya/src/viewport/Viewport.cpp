#include "viewport/Viewport.h"

#include <GL/osmesa.h>
#include <maya/MDagPath.h>
#include <maya/MGlobal.h>
#include <maya/MPxEmitterNode.h>
#include <maya/MPxLocatorNode.h>

#include <algorithm>
#include <exception>
#include <new>

#include "graph/Dag.h"
#include "graph/Scene.h"
#include "mesh/MeshData.h"
#include "viewport/Camera.h"

namespace mayahost {

namespace {

// The view's background and the colour of dormant mesh wireframes.
constexpr float kBackground[3] = {0.63f, 0.63f, 0.63f};
constexpr float kWireframe[3] = {0.0f, 0.016f, 0.376f};

void* makeOsMesaContext() { return OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr); }

void loadMatrix(const MMatrix& m) {
    double values[4][4];
    m.get(values);
    glLoadMatrixd(&values[0][0]);
}

bool visibleInScene(Node& node) {
    for (Node* n = &node; n; n = n->parent) {
        const Attribute* visibility = n->type->findAttribute("visibility");
        if (!visibility) continue;
        PlugPath path = pathOf(visibility);
        Scene::current().evaluate(*n, path);
        if (visibility->heldValue(Scene::current().slotFor(*n, path, nullptr)->number[0]) == 0)
            return false;
    }
    return true;
}

// Each polygon as a loop through its points, in the mesh's own space.
void drawWireframe(const MeshGeometry& mesh) {
    const std::vector<MeshPoint>& points = mesh.points();
    const std::vector<int>& connects = mesh.connects();
    glColor3fv(kWireframe);
    for (int p = 0; p < mesh.numPolygons(); ++p) {
        glBegin(GL_LINE_LOOP);
        const int start = mesh.polygonStart(p);
        for (int k = 0; k < mesh.counts()[p]; ++k) {
            const MeshPoint& point = points[connects[start + k]];
            glVertex3f(point.x, point.y, point.z);
        }
        glEnd();
    }
}

// Puts back the matrix and attribute stacks a locator's draw may have left unbalanced.
class GLStateGuard {
public:
    GLStateGuard() {
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelview_);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projection_);
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &attributes_);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
    }
    ~GLStateGuard() {
        restore(GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH, modelview_);
        restore(GL_PROJECTION, GL_PROJECTION_STACK_DEPTH, projection_);
        GLint depth = 0;
        for (glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth); depth > attributes_; --depth)
            glPopAttrib();
        glMatrixMode(GL_MODELVIEW);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

private:
    static void restore(GLenum mode, GLenum query, GLint depth) {
        glMatrixMode(mode);
        GLint now = 0;
        for (glGetIntegerv(query, &now); now > depth; --now) glPopMatrix();
    }
    GLint modelview_ = 0, projection_ = 0, attributes_ = 0;
};

// "<node>: draw failed: <why>" for the exception being handled.
std::string drawFailure(const Node& node) {
    try {
        throw;
    } catch (const std::exception& e) {
        return node.name + ": draw failed: " + e.what();
    } catch (...) {
        return node.name + ": draw failed";
    }
}

}  // namespace

Node* cameraShapeOf(Node& node) {
    if (node.type->apiType == MFn::kCamera) return &node;
    if (node.type->kind == NodeKind::Transform)
        for (Node* child : node.children)
            if (child->type->apiType == MFn::kCamera) return child;
    return nullptr;
}

Viewport& Viewport::instance() {
    static Viewport viewport;
    return viewport;
}

Viewport::Viewport() : makeContext_(makeOsMesaContext) {}

Viewport::~Viewport() {
    if (context_) OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
}

void Viewport::setContextFactory(ContextFactory factory) {
    if (context_) OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
    context_ = nullptr;
    contextFailed_ = false;
    makeContext_ = factory ? std::move(factory) : ContextFactory(makeOsMesaContext);
}

bool Viewport::ensureContext() {
    if (!context_ && !contextFailed_) {
        context_ = makeContext_();
        contextFailed_ = !context_;
    }
    return context_ != nullptr;
}

Node* Viewport::camera() const {
    if (drawing_ && drawingCamera_) return drawingCamera_;
    NodePtr chosen = camera_.lock();
    if (chosen && chosen->alive) return chosen.get();
    return Scene::current().findNode("perspShape");
}

MStatus Viewport::setCamera(Node& node) {
    Node* shape = cameraShapeOf(node);
    if (!shape || !node.alive)
        return MStatus(MS::kInvalidParameter,
                       ("(kInvalidParameter): " + node.name + " is not a camera").c_str());
    camera_ = shape->shared_from_this();
    return MS::kSuccess;
}

MStatus Viewport::beginGL() {
    if (!drawing_) return MStatus(MS::kFailure, "(kFailure): The view is not drawing");
    ++glDepth_;
    return MS::kSuccess;
}

MStatus Viewport::endGL() {
    if (!drawing_ || glDepth_ == 0)
        return MStatus(MS::kFailure, "(kFailure): endGL without beginGL");
    --glDepth_;
    return MS::kSuccess;
}

MStatus Viewport::render(int width, int height, Node* camera, RgbaImage& image,
                         std::string& error) {
    image = RgbaImage();
    auto fail = [&](const std::string& why) {
        error = why;
        return MStatus(MS::kFailure, why.c_str());
    };
    if (drawing_) return fail("the view is already drawing");
    if (width < 1 || height < 1 || width > kMaxSize || height > kMaxSize)
        return fail("the size must be from 1 to " + std::to_string(kMaxSize) + " pixels each way");
    if (!camera) camera = this->camera();
    if (!camera) return fail("there is no camera to look through");
    MMatrix projection;
    if (!cameraProjection(*camera, width, height, projection, error)) return fail(error);
    MMatrix view;
    if (!cameraView(*camera, view, error)) return fail(error);
    if (!ensureContext()) return fail("no OpenGL context is available");
    std::vector<unsigned char> pixels;
    try {
        pixels.assign(size_t(width) * size_t(height) * 4, 0);
    } catch (const std::bad_alloc&) {
        return fail("not enough memory for a " + std::to_string(width) + "x" +
                    std::to_string(height) + " image");
    }
    if (!OSMesaMakeCurrent(static_cast<OSMesaContext>(context_), pixels.data(), GL_UNSIGNED_BYTE,
                           width, height)) {
        return fail("the OpenGL context cannot draw " + std::to_string(width) + "x" +
                    std::to_string(height) + " pixels");
    }
    width_ = width, height_ = height;
    glViewport(0, 0, width, height);
    glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    loadMatrix(projection);
    glMatrixMode(GL_MODELVIEW);
    drawing_ = true;
    drawingCamera_ = camera;
    glDepth_ = 0;
    // However the drawing ends, the view stops drawing and no context stays current, so that
    // OpenGL calls made later draw nothing into the freed pixels.
    struct DrawingScope {
        Viewport& view;
        ~DrawingScope() {
            view.drawing_ = false;
            view.drawingCamera_ = nullptr;
            view.glDepth_ = 0;
            OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
        }
    } scope{*this};
    if (!drawScene(view, error)) return fail(error);
    glFinish();
    // OpenGL's rows run from the bottom up.
    const size_t row = size_t(width) * 4;
    for (int y = 0; y < height / 2; ++y)
        std::swap_ranges(pixels.begin() + size_t(y) * row, pixels.begin() + size_t(y + 1) * row,
                         pixels.begin() + size_t(height - 1 - y) * row);
    image.width = width, image.height = height;
    image.pixels = std::move(pixels);
    return MS::kSuccess;
}

bool Viewport::drawScene(const MMatrix& view, std::string& error) {
    Scene& scene = Scene::current();
    std::vector<NodePtr> nodes = scene.nodes();  // a draw may create or delete nodes
    for (const NodePtr& node : nodes) {
        try {  // evaluating the mesh computes the nodes upstream, which may throw
            if (!node->alive || node->type->apiType != MFn::kMesh || !visibleInScene(*node))
                continue;
            auto mesh = meshDataForNode(node->object());
            if (!mesh) continue;
            GLStateGuard guard;
            loadMatrix(worldMatrix(*node) * view);
            drawWireframe(mesh->geometry);
        } catch (...) {
            error = drawFailure(*node);
            return false;
        }
    }
    for (const NodePtr& node : nodes) {
        if (!node->alive) continue;
        auto* locator = dynamic_cast<MPxLocatorNode*>(node->user);
        auto* emitter = dynamic_cast<MPxEmitterNode*>(node->user);
        if (!locator && !emitter) continue;
        try {
            if (!visibleInScene(*node)) continue;
        } catch (...) {
            error = drawFailure(*node);
            return false;
        }
        MDagPath path;
        MDagPath::getAPathTo(node->object(), path);
        M3dView active = M3dView::active3dView();
        GLStateGuard guard;
        loadMatrix(worldMatrix(*node) * view);
        try {
            if (locator)
                locator->draw(active, path, M3dView::kWireFrame, M3dView::kDormant);
            else
                emitter->draw(active, path, M3dView::kWireFrame, M3dView::kDormant);
        } catch (...) {
            MGlobal::displayError(drawFailure(*node).c_str());
            // The draw may have left a primitive open, inside which the guard's pops would
            // fail; outside one this glEnd only raises an error, which the guard clears.
            glEnd();
        }
        glDepth_ = 0;
    }
    return true;
}

}  // namespace mayahost
