// An RGB picture the host composes gauges into and writes out.
#pragma once

#include <cstdint>
#include <vector>

#include "frame/abi.h"

namespace panelhost {

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row after row

    Image() = default;
    Image(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t &at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const Image &) const = default;

    // Copies a surface with its top-left corner at (x, y), clipped to the
    // picture. Keyed: pixels of the key colour leave the picture as it was.
    void blit(const DrawSurface &s, int x, int y, bool keyed = false, uint32_t key = 0);
    // A copy of the surface's width x height pixels.
    static Image of(const DrawSurface &s);
    // Every `factor`-th pixel of every `factor`-th row.
    Image scaled_down(int factor) const;
};

}  // namespace panelhost
