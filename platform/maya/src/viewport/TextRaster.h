#pragma once
// Text as coverage images, rasterised with FreeType from the host's label font.
#include <string>
#include <vector>

namespace mayahost {

// Coverage (0 to 255) of a line of text, rows top first. The pen starts at (originX, baseline)
// in image coordinates (x right, y down) and moves `advance` pixels across the whole text.
struct TextImage {
    int width = 0;
    int height = 0;
    int originX = 0;
    int baseline = 0;
    int advance = 0;
    std::vector<unsigned char> coverage;
};

// Rasterises each byte of `text` as a character of the label font at the label size. False,
// with `error` saying why, when the font cannot be loaded.
bool rasterizeText(const std::string& text, TextImage& image, std::string& error);

}  // namespace mayahost
