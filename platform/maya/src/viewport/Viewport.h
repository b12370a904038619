#pragma once
// The host's one 3-D view: the camera it looks through and its offscreen OpenGL rendering of the
// scene (meshes as wireframe, locators through their own draw).
#include <maya/MMatrix.h>
#include <maya/MStatus.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graph/Node.h"

namespace mayahost {

// An image as rows of RGBA bytes, the top row first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

class Viewport {
public:
    // The largest width or height a render takes.
    static constexpr int kMaxSize = 16384;

    static Viewport& instance();

    // The camera shape the view looks through: while drawing, the one the render uses; else the
    // one set last while it exists, else the scene's "perspShape"; null when there is none.
    Node* camera() const;
    // Accepts a camera shape or a transform with one; fails, changing nothing, for anything else.
    MStatus setCamera(Node& node);

    // Renders the scene through the camera (null: the view's own) at the size given (1 to kMaxSize
    // each way). Fails with a message naming the cause (no OpenGL context, no camera, a camera that
    // cannot project or whose world matrix has no inverse, too little memory, a mesh that cannot
    // be evaluated), leaving `image` empty and the view no longer drawing.
    MStatus render(int width, int height, Node* camera, RgbaImage& image, std::string& error);

    // True while a render is drawing: beginGL and drawText work only then.
    bool drawing() const { return drawing_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Nested beginGL/endGL pairs; endGL without beginGL fails.
    MStatus beginGL();
    MStatus endGL();

    // Makes the offscreen OpenGL context; null when none can be had. Replaceable, so that a
    // host without one can be reproduced.
    using ContextFactory = std::function<void*()>;
    void setContextFactory(ContextFactory factory);

    ~Viewport();

private:
    Viewport();
    bool ensureContext();
    // Draws meshes, then locators. False, with `error` naming the node, when evaluating a shape
    // throws; a locator whose draw throws is reported and skipped.
    bool drawScene(const MMatrix& view, std::string& error);

    ContextFactory makeContext_;
    void* context_ = nullptr;
    bool contextFailed_ = false;
    std::weak_ptr<Node> camera_;
    Node* drawingCamera_ = nullptr;
    int width_ = 640, height_ = 480;
    bool drawing_ = false;
    int glDepth_ = 0;
};

// The node's camera shape: itself, or the first camera below a transform; null when none.
Node* cameraShapeOf(Node& node);

}  // namespace mayahost
