// A pixel surface owned by the host, handed to draw and mouse callbacks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "frame/abi.h"

namespace panelhost {

class Surface {
public:
    Surface(int width, int height, int pitch = 0)
        : pixels_(size_t(pitch > width ? pitch : width) * size_t(height > 0 ? height : 0), 0) {
        raw_.pixels = pixels_.empty() ? nullptr : pixels_.data();
        raw_.width = width;
        raw_.height = height;
        raw_.pitch = pitch > width ? pitch : width;
    }
    Surface(const Surface &o) : pixels_(o.pixels_), raw_(o.raw_) { raw_.pixels = pixels_.empty() ? nullptr : pixels_.data(); }
    Surface &operator=(const Surface &o) {
        pixels_ = o.pixels_;
        raw_ = o.raw_;
        raw_.pixels = pixels_.empty() ? nullptr : pixels_.data();
        return *this;
    }

    DrawSurface *raw() { return &raw_; }
    const DrawSurface &view() const { return raw_; }
    int width() const { return raw_.width; }
    int height() const { return raw_.height; }
    int pitch() const { return raw_.pitch; }
    uint32_t at(int x, int y) const { return pixels_[size_t(y) * size_t(raw_.pitch) + size_t(x)]; }
    void set(int x, int y, uint32_t c) { pixels_[size_t(y) * size_t(raw_.pitch) + size_t(x)] = c; }
    void fill(uint32_t c) { std::fill(pixels_.begin(), pixels_.end(), c); }
    const std::vector<uint32_t> &words() const { return pixels_; }

private:
    std::vector<uint32_t> pixels_;
    DrawSurface raw_{};
};

}  // namespace panelhost
