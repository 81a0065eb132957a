#include "assetcodecs/raster_font.h"

#include <algorithm>

#include "assetcodecs/clip.h"

namespace assetcodecs {
namespace {

void fill(const DrawSurface &s, const ClipRect &r, uint32_t colour) {
    for (int row = 0; row < r.height; ++row) {
        uint32_t *out = s.pixels + size_t(r.dst_y + row) * size_t(s.pitch) + size_t(r.dst_x);
        for (int col = 0; col < r.width; ++col) out[col] = colour;
    }
}

}  // namespace

int64_t RasterFont::text_width(std::string_view text) const {
    int64_t w = 0;
    for (unsigned char c : text) w += data_.advance[size_t(glyph_code(c) - data_.first)];
    return w;
}

void RasterFont::draw(const DrawSurface &s, int x, int y, uint32_t colour, std::string_view text,
                      bool label) const {
    if (!surface_usable(s)) return;
    colour &= 0x00FFFFFFu;
    const int w = data_.cell_width, h = data_.cell_height;
    if (label) {
        // The box may be wider than an int; only its part on the surface matters.
        const int64_t left = std::max<int64_t>(x, -1);
        const int64_t right = std::min<int64_t>(int64_t(x) + text_width(text), int64_t(s.width) + 1);
        if (right > left) fill(s, clip_to_surface(s, int(left), y, int(right - left), h), 0);
    }
    int64_t pen = x;
    for (unsigned char c : text) {
        if (pen >= s.width) break;
        const int code = glyph_code(c);
        if (pen + w > 0) {
            const ClipRect r = clip_to_surface(s, int(pen), y, w, h);
            const uint8_t *glyph = data_.glyph(code);
            for (int row = 0; row < r.height; ++row) {
                const uint8_t *ink = glyph + (r.src_y + row) * w + r.src_x;
                uint32_t *out = s.pixels + size_t(r.dst_y + row) * size_t(s.pitch) + size_t(r.dst_x);
                for (int col = 0; col < r.width; ++col)
                    if (ink[col]) out[col] = colour;
            }
        }
        pen += data_.advance[size_t(code - data_.first)];
    }
}

}  // namespace assetcodecs
