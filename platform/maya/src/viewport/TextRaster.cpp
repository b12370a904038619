#include "viewport/TextRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <mutex>

namespace mayahost {

namespace {

constexpr unsigned kLabelPixels = 12;

struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<unsigned char> coverage;
};

// The label font, opened on first use, and the glyphs drawn so far.
class LabelFont {
public:
    static LabelFont& instance() {
        static LabelFont font;
        return font;
    }

    const Glyph* glyph(unsigned char c, std::string& error) {
        if (!face_) {
            error = error_;
            return nullptr;
        }
        auto found = glyphs_.find(c);
        if (found != glyphs_.end()) return &found->second;
        if (FT_Load_Char(face_, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) {
            error = "the label font has no glyph for character " + std::to_string(int(c));
            return nullptr;
        }
        const FT_GlyphSlot slot = face_->glyph;
        Glyph g;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = int(slot->bitmap.width);
        g.rows = int(slot->bitmap.rows);
        g.advance = int(slot->advance.x >> 6);
        g.coverage.resize(size_t(g.width) * g.rows);
        for (int y = 0; y < g.rows; ++y)
            std::copy_n(slot->bitmap.buffer + y * slot->bitmap.pitch, g.width,
                        g.coverage.begin() + size_t(y) * g.width);
        return &glyphs_.emplace(c, std::move(g)).first->second;
    }

    std::mutex lock;

private:
    LabelFont() {
        if (FT_Init_FreeType(&library_)) {
            error_ = "FreeType could not start";
            return;
        }
        if (FT_New_Face(library_, MAYAHOST_LABEL_FONT, 0, &face_) ||
            FT_Set_Pixel_Sizes(face_, 0, kLabelPixels)) {
            error_ = std::string("cannot load the label font ") + MAYAHOST_LABEL_FONT;
            face_ = nullptr;
        }
    }
    ~LabelFont() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    std::string error_;
    std::map<unsigned char, Glyph> glyphs_;
};

}  // namespace

bool rasterizeText(const std::string& text, TextImage& image, std::string& error) {
    LabelFont& font = LabelFont::instance();
    std::lock_guard<std::mutex> guard(font.lock);
    std::vector<std::pair<const Glyph*, int>> placed;  // glyph and pen position
    int pen = 0, left = 0, right = 0, top = 0, bottom = 0;
    bool inked = false;
    for (unsigned char c : text) {
        const Glyph* g = font.glyph(c, error);
        if (!g) return false;
        if (g->width > 0 && g->rows > 0) {
            left = inked ? std::min(left, pen + g->left) : pen + g->left;
            right = inked ? std::max(right, pen + g->left + g->width) : pen + g->left + g->width;
            inked = true;
            top = std::max(top, g->top);
            bottom = std::max(bottom, g->rows - g->top);
        }
        placed.push_back({g, pen});
        pen += g->advance;
    }
    image = TextImage();
    image.advance = pen;
    image.width = std::max(0, right - left);
    image.height = top + bottom;
    image.originX = -left;
    image.baseline = top;
    image.coverage.assign(size_t(image.width) * image.height, 0);
    for (auto& [g, at] : placed)
        for (int y = 0; y < g->rows; ++y)
            for (int x = 0; x < g->width; ++x) {
                unsigned char& target =
                    image.coverage[size_t(image.baseline - g->top + y) * image.width +
                                   (at + g->left - left + x)];
                target = std::max(target, g->coverage[size_t(y) * g->width + x]);
            }
    return true;
}

}  // namespace mayahost
