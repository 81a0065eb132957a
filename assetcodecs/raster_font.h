// A font loaded from a font file, drawn glyph by glyph with clipping.
//
// The reference point (x, y) is the top-left corner of the first glyph's
// cell; each character moves the pen right by its advance. Codes the font
// lacks are drawn as its replacement character. A label (entry 16) is the
// same text on an opaque black box covering the cells, so that it stays
// legible over lines drawn beneath it.
#pragma once

#include "assetcodecs/assets.h"
#include "assetcodecs/font_file.h"

namespace assetcodecs {

class RasterFont final : public FontAsset {
public:
    explicit RasterFont(FontData data) : data_(std::move(data)) {}
    void draw(const DrawSurface &s, int x, int y, uint32_t colour, std::string_view text, bool label) const override;
    // Width in pixels of the text: the sum of its advances.
    int64_t text_width(std::string_view text) const;
    int height() const { return data_.cell_height; }

private:
    int glyph_code(unsigned char c) const { return data_.has(c) ? c : data_.replacement; }
    FontData data_;
};

}  // namespace assetcodecs
