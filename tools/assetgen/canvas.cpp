#include "tools/assetgen/canvas.h"

#include <cstdlib>
#include <stdexcept>

#include "assetcodecs/raster_font.h"

namespace assetgen {
namespace {

// Drawing writes colours with a clear top byte; this value can never be
// written and so marks the pixels left alone.
constexpr uint32_t kTransparent = 0xFF000000u;

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), words_(size_t(width) * size_t(height), kTransparent) {}

void Canvas::plot(int x, int y, uint32_t colour) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) words_[size_t(y) * size_t(width_) + size_t(x)] = colour & 0xFFFFFF;
}

void Canvas::clear(int x, int y) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) words_[size_t(y) * size_t(width_) + size_t(x)] = kTransparent;
}

void Canvas::fill(int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) plot(x, y, colour);
}

void Canvas::frame(int x0, int y0, int x1, int y1, uint32_t colour) {
    line(x0, y0, x1, y0, colour);
    line(x0, y1, x1, y1, colour);
    line(x0, y0, x0, y1, colour);
    line(x1, y0, x1, y1, colour);
}

void Canvas::line(int x0, int y0, int x1, int y1, uint32_t colour) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (true) {
        plot(x0, y0, colour);
        if (x0 == x1 && y0 == y1) return;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

DrawSurface Canvas::surface() { return DrawSurface{words_.data(), width_, height_, width_}; }

void Canvas::text(const assetcodecs::FontData &font, int x, int y, uint32_t colour, std::string_view s) {
    assetcodecs::RasterFont(font).draw(surface(), x, y, colour, s, false);
}

int Canvas::text_width(const assetcodecs::FontData &font, std::string_view s) {
    return int(assetcodecs::RasterFont(font).text_width(s));
}

std::vector<uint32_t> Canvas::pixels() const {
    std::vector<uint32_t> out(words_.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = words_[i] == kTransparent ? 0u : assetcodecs::kOpaque | words_[i];
    return out;
}

assetcodecs::StripData make_strip(const std::vector<Canvas> &frames) {
    assetcodecs::StripData strip;
    strip.width = frames.at(0).width();
    strip.frame_height = frames.at(0).height();
    strip.frames = int(frames.size());
    for (const Canvas &c : frames) {
        if (c.width() != strip.width || c.height() != strip.frame_height)
            throw std::logic_error("frames of one strip differ in size");
        const auto p = c.pixels();
        strip.pixels.insert(strip.pixels.end(), p.begin(), p.end());
    }
    return strip;
}

}  // namespace assetgen
