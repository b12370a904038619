// The plug-in's handle on the host's view.
#include <maya/M3dView.h>

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "graph/Dag.h"
#include "graph/Scene.h"
#include "viewport/Camera.h"
#include "viewport/TextRaster.h"
#include "viewport/Viewport.h"

using mayahost::Viewport;

namespace {

void report(MStatus* status, const MStatus& value) {
    if (status) *status = value;
}

MStatus notDrawing() { return MStatus(MS::kFailure, "(kFailure): The view is not drawing"); }

// The window position of a point under the current matrices; false when it lies behind the
// eye (or on its plane).
bool windowPosition(const MPoint& p, double& x, double& y) {
    double modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double in[4] = {p.x, p.y, p.z, p.w};
    double eye[4], clip[4];
    // OpenGL stores its matrices column by column.
    for (int r = 0; r < 4; ++r)
        eye[r] = modelview[r] * in[0] + modelview[4 + r] * in[1] + modelview[8 + r] * in[2] +
                 modelview[12 + r] * in[3];
    for (int r = 0; r < 4; ++r)
        clip[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] + projection[8 + r] * eye[2] +
                  projection[12 + r] * eye[3];
    if (!(clip[3] > 0)) return false;
    x = viewport[0] + (clip[0] / clip[3] + 1) * 0.5 * viewport[2];
    y = viewport[1] + (clip[1] / clip[3] + 1) * 0.5 * viewport[3];
    return std::isfinite(x) && std::isfinite(y);
}

// Blends the coverage image, in the current colour, into the colour buffer with its pen
// origin at window pixel (x, y); the part outside the view is cut away first.
void blendText(const mayahost::TextImage& text, int x, int y) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const long left = long(x) - text.originX, bottom = long(y) - (text.height - text.baseline);
    const long x0 = std::max<long>(left, viewport[0]), y0 = std::max<long>(bottom, viewport[1]);
    const long x1 = std::min<long>(left + text.width, viewport[0] + viewport[2]);
    const long y1 = std::min<long>(bottom + text.height, viewport[1] + viewport[3]);
    if (x0 >= x1 || y0 >= y1) return;
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    unsigned char rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = (unsigned char)std::lround(std::clamp(color[c], 0.0f, 1.0f) * 255.0f);
    const int w = int(x1 - x0), h = int(y1 - y0);
    std::vector<unsigned char> pixels(size_t(w) * h * 4);
    for (int row = 0; row < h; ++row) {
        // Window rows run upwards, the image's downwards.
        const long imageRow = text.height - 1 - (y0 - bottom + row);
        for (int col = 0; col < w; ++col) {
            unsigned char* out = &pixels[(size_t(row) * w + col) * 4];
            std::copy_n(rgb, 3, out);
            out[3] = text.coverage[size_t(imageRow) * text.width + size_t(x0 - left + col)];
        }
    }
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPixelZoom(1.0f, 1.0f);
    glWindowPos2i(GLint(x0), GLint(y0));
    glDrawPixels(w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace

M3dView M3dView::active3dView(MStatus* status) {
    report(status, MS::kSuccess);
    return M3dView();
}

MStatus M3dView::beginGL() { return Viewport::instance().beginGL(); }

MStatus M3dView::endGL() { return Viewport::instance().endGL(); }

MStatus M3dView::getCamera(MDagPath& camera) {
    mayahost::Node* shape = Viewport::instance().camera();
    if (!shape) return MStatus(MS::kFailure, "(kFailure): The view has no camera");
    return MDagPath::getAPathTo(shape->object(), camera);
}

MStatus M3dView::setCamera(const MDagPath& camera) {
    mayahost::Node* node = mayahost::nodeOf(camera.node());
    if (!node) return MStatus(MS::kInvalidParameter, "(kInvalidParameter): The path names no node");
    return Viewport::instance().setCamera(*node);
}

MStatus M3dView::drawText(const MString& text, const MPoint position, TextPosition textPosition) {
    if (!Viewport::instance().drawing()) return notDrawing();
    double x = 0, y = 0;
    if (!windowPosition(position, x, y)) return MS::kSuccess;
    if (std::abs(x) > 1e9 || std::abs(y) > 1e9) return MS::kSuccess;
    mayahost::TextImage image;
    std::string error;
    if (!mayahost::rasterizeText(text.asChar(), image, error))
        return MStatus(MS::kFailure, ("(kFailure): " + error).c_str());
    long penX = std::lround(std::floor(x)), penY = std::lround(std::floor(y));
    if (textPosition == kCenter) penX -= image.advance / 2;
    if (textPosition == kRight) penX -= image.advance;
    blendText(image, int(penX), int(penY));
    return MS::kSuccess;
}

int M3dView::portWidth(MStatus* status) const {
    report(status, MS::kSuccess);
    return Viewport::instance().width();
}

int M3dView::portHeight(MStatus* status) const {
    report(status, MS::kSuccess);
    return Viewport::instance().height();
}

bool M3dView::worldToView(const MPoint& worldPoint, short& x_pos, short& y_pos,
                          MStatus* status) const {
    Viewport& view = Viewport::instance();
    mayahost::Node* camera = view.camera();
    MMatrix projection, cameraView;
    std::string error;
    if (!camera ||
        !mayahost::cameraProjection(*camera, view.width(), view.height(), projection, error) ||
        !mayahost::cameraView(*camera, cameraView, error)) {
        report(status,
               MStatus(MS::kFailure,
                       ("(kFailure): " + (camera ? error : "The view has no camera")).c_str()));
        return false;
    }
    report(status, MS::kSuccess);
    const MPoint eye = worldPoint * cameraView;
    double clip[4];
    for (int c = 0; c < 4; ++c)
        clip[c] = eye.x * projection[0][c] + eye.y * projection[1][c] + eye.z * projection[2][c] +
                  eye.w * projection[3][c];
    if (!(clip[3] > 0)) return false;
    const double x = (clip[0] / clip[3] + 1) * 0.5 * view.width(),
                 y = (clip[1] / clip[3] + 1) * 0.5 * view.height();
    if (!(x >= 0 && x < view.width() && y >= 0 && y < view.height())) return false;
    x_pos = short(x), y_pos = short(y);
    return true;
}
