#pragma once
// PNG images read and written through libpng.
#include <string>

#include "viewport/Viewport.h"

namespace mayahost {

// Writes the image as an 8-bit RGB PNG, replacing `path` whole or leaving it untouched. False,
// with `error` naming the file and the cause, on failure.
bool writePng(const std::string& path, const RgbaImage& image, std::string& error);

// Reads any PNG as 8-bit RGBA. False, with `error` naming the file and the cause, when the
// file cannot be read, is not a regular file, is no PNG, is larger than maxPixels, or is too small
// to hold the image its header claims (checked before anything is allocated).
bool readPng(const std::string& path, RgbaImage& image, std::string& error,
             size_t maxPixels = size_t(1) << 28);

}  // namespace mayahost
