// A picture being drawn by the generator: starts transparent, and every
// pixel drawn becomes opaque with its colour.
#pragma once

#include <string_view>

#include "frame/abi.h"
#include "assetcodecs/font_file.h"
#include "assetcodecs/png_strip.h"

namespace assetgen {

constexpr uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

class Canvas {
public:
    Canvas(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    void plot(int x, int y, uint32_t colour);
    void clear(int x, int y);  // back to transparent
    // Filled and outlined rectangles, corners inclusive.
    void fill(int x0, int y0, int x1, int y1, uint32_t colour);
    void frame(int x0, int y0, int x1, int y1, uint32_t colour);
    void line(int x0, int y0, int x1, int y1, uint32_t colour);
    // Text drawn by the host's own font renderer, top-left at (x, y).
    void text(const assetcodecs::FontData &font, int x, int y, uint32_t colour, std::string_view s);
    static int text_width(const assetcodecs::FontData &font, std::string_view s);

    // This picture as frame data (opaque where drawn).
    std::vector<uint32_t> pixels() const;

private:
    DrawSurface surface();
    int width_, height_;
    std::vector<uint32_t> words_;  // kTransparent where nothing is drawn
};

// Frames stacked into one strip; all canvases must share one size.
assetcodecs::StripData make_strip(const std::vector<Canvas> &frames);

}  // namespace assetgen
