#include "viewport/PngFile.h"

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#include "mesh/AtomicFile.h"
#include "mesh/RegularFile.h"

namespace mayahost {

namespace {

struct ImageGuard {
    png_image* image;
    ~ImageGuard() { png_image_free(image); }
};

// The fewest bytes of deflated image data a PNG of the header's size and format can hold.
// Deflate expands at most about 1032:1, and each row of the raw data is a filter byte and its
// pixels at no fewer bits than the format allows: 1 for palette and grey images (a transparency
// chunk adds none), 24 for colour, twice that for 16-bit colour and 16 for 16-bit grey.
std::uintmax_t fewestEncodedBytes(const png_image& png) {
    const bool linear = png.format & PNG_FORMAT_FLAG_LINEAR;
    std::uintmax_t bits = linear ? 16 : 1;
    if ((png.format & PNG_FORMAT_FLAG_COLOR) && !(png.format & PNG_FORMAT_FLAG_COLORMAP))
        bits = linear ? 48 : 24;
    const std::uintmax_t rowBytes = 1 + (std::uintmax_t(png.width) * bits + 7) / 8;
    return rowBytes * png.height / 1032;
}

}  // namespace

bool writePng(const std::string& path, const RgbaImage& image, std::string& error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGB;  // the view is opaque: its alpha is left out
    ImageGuard guard{&png};
    std::string rgb;
    png_alloc_size_t size = 0;
    try {
        rgb.resize(size_t(image.width) * image.height * 3);
        for (size_t i = 0, n = size_t(image.width) * image.height; i < n; ++i)
            for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = char(image.pixels[i * 4 + c]);
        if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
            error = "cannot encode \"" + path + "\": " + png.message;
            return false;
        }
        std::string encoded(size, '\0');
        if (!png_image_write_to_memory(&png, encoded.data(), &size, 0, rgb.data(), 0, nullptr)) {
            error = "cannot encode \"" + path + "\": " + png.message;
            return false;
        }
        encoded.resize(size);
        return writeFileReplacing(path, encoded, error);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to encode \"" + path + "\"";
        return false;
    }
}

bool readPng(const std::string& path, RgbaImage& image, std::string& error, size_t maxPixels) {
    const RegularFile input = openRegularFile(path);
    if (!input.file) {
        error = "cannot read \"" + path + "\": " + input.failure;
        return false;
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ImageGuard guard{&png};
    if (!png_image_begin_read_from_stdio(&png, input.file.get())) {
        error = "cannot read \"" + path + "\": " + png.message;
        return false;
    }
    if (size_t(png.width) * png.height > maxPixels) {
        error = "\"" + path + "\" is too large (" + std::to_string(png.width) + "x" +
                std::to_string(png.height) + ")";
        return false;
    }
    // A header claiming more than the file can hold is refused before the image is allocated.
    if (input.size < fewestEncodedBytes(png)) {
        error = "\"" + path + "\" is damaged: it is too small for its size (" +
                std::to_string(png.width) + "x" + std::to_string(png.height) + ")";
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    RgbaImage read;
    try {
        read.pixels.resize(PNG_IMAGE_SIZE(png));
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read \"" + path + "\"";
        return false;
    }
    if (!png_image_finish_read(&png, nullptr, read.pixels.data(), 0, nullptr)) {
        error = "cannot read \"" + path + "\": " + png.message;
        return false;
    }
    read.width = int(png.width);
    read.height = int(png.height);
    image = std::move(read);
    return true;
}

}  // namespace mayahost
