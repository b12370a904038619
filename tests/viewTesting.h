#pragma once
// Helpers for tests that look at the host's view: snapshots read back as images, a camera in
// front of the origin and where it projects a point, and pixel queries.
#include <gtest/gtest.h>
#include <maya/MGlobal.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "viewport/PngFile.h"

namespace viewTesting {

using Rgb = std::array<int, 3>;
// The view's background, the labels' dark blue and the meshes' wireframe blue, as bytes.
const Rgb kBackground{161, 161, 161};
const Rgb kLabel{0, 0, 64};
const Rgb kWire{0, 4, 96};

// Writes a snapshot with snapshotView and reads it back.
inline mayahost::RgbaImage snapshot(const std::string& path, const std::string& flags) {
    EXPECT_TRUE(MGlobal::executeCommand(("snapshotView \"" + path + "\" " + flags).c_str()))
        << flags;
    mayahost::RgbaImage image;
    std::string error;
    EXPECT_TRUE(mayahost::readPng(path, image, error)) << error;
    return image;
}

// The camera "front" at (0, 0, 10) looking down -Z; orthographic ones show 20 units across.
inline void addFrontCamera(bool orthographic) {
    ASSERT_TRUE(MGlobal::executeCommand(
        ("createNode transform -n front; createNode camera -n frontShape -p front; "
         "setAttr front.translate 0 0 10; setAttr frontShape.orthographic " +
         std::to_string(int(orthographic)) + "; setAttr frontShape.orthographicWidth 20")
            .c_str()));
}

// The pixel (column, row from the top) a point lands on through the front camera, worked out
// from the camera's lens and film: the film's width spans the image's width.
inline std::pair<int, int> frontProjection(double x, double y, double z, bool orthographic,
                                           int width, int height) {
    const double halfWidth = orthographic ? 10.0 : (10.0 - z) * 1.41732 * 25.4 / 2 / 35.0;
    const double halfHeight = halfWidth * height / width;
    const double column = (x / halfWidth + 1) / 2 * width, up = (y / halfHeight + 1) / 2 * height;
    return {int(std::floor(column)), height - 1 - int(std::floor(up))};
}

inline Rgb pixel(const mayahost::RgbaImage& image, int x, int row) {
    if (x < 0 || row < 0 || x >= image.width || row >= image.height) return {-1, -1, -1};
    const unsigned char* p = &image.pixels[(size_t(row) * image.width + x) * 4];
    return {p[0], p[1], p[2]};
}

// How many pixels of the rectangle (columns [x0, x1), rows [row0, row1)) have the colour, each
// channel within `tolerance`.
inline int countColor(const mayahost::RgbaImage& image, int x0, int x1, int row0, int row1,
                      const Rgb& color, int tolerance = 0) {
    int count = 0;
    for (int row = std::max(row0, 0); row < std::min(row1, image.height); ++row)
        for (int x = std::max(x0, 0); x < std::min(x1, image.width); ++x) {
            const Rgb p = pixel(image, x, row);
            bool same = true;
            for (int c = 0; c < 3; ++c) same = same && std::abs(p[c] - color[c]) <= tolerance;
            count += same;
        }
    return count;
}

// Whether a pixel within `radius` of (x, row) has the colour.
inline bool colorNear(const mayahost::RgbaImage& image, int x, int row, const Rgb& color,
                      int radius = 1) {
    return countColor(image, x - radius, x + radius + 1, row - radius, row + radius + 1, color) > 0;
}

}  // namespace viewTesting
