// Surfaces with guard words around them, and small pictures to draw.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "assetcodecs/font_file.h"
#include "assetcodecs/png_strip.h"

namespace assets_test {

constexpr uint32_t kGuard = 0xDEADBEEFu;
constexpr uint32_t kBackground = 0x00123456u;

// A width x height surface whose rows are `pitch` words apart, with guard
// words before, after and between the rows.
struct GuardedSurface {
    static constexpr int kMargin = 64;
    int width, height, pitch;
    std::vector<uint32_t> words;
    DrawSurface surface;

    GuardedSurface(int w, int h, int p) : width(w), height(h), pitch(p), words(size_t(p * h + 2 * kMargin), kGuard) {
        surface = DrawSurface{words.data() + kMargin, w, h, p};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) at(x, y) = kBackground;
    }
    uint32_t &at(int x, int y) { return words[size_t(kMargin + y * pitch + x)]; }
    // True when every word outside width x height still holds the guard.
    bool guards_intact() const {
        for (size_t i = 0; i < words.size(); ++i) {
            const long off = long(i) - kMargin;
            const bool inside = off >= 0 && off < long(pitch) * height && off % pitch < width;
            if (!inside && words[i] != kGuard) return false;
        }
        return true;
    }
};

// A strip of `frames` w x h frames whose pixel (x, y) of frame f is opaque
// with colour f << 16 | y << 8 | x, except where x + y is odd (transparent).
assetcodecs::StripData checker_strip(int w, int h, int frames);

// A font of 3 x 4 cells for the codes 'A'..'C'; 'A' is a full block, 'B' a
// single pixel at its top-left, 'C' empty; '?' is missing, so 'A' replaces.
assetcodecs::FontData small_font();

std::filesystem::path temp_folder(const std::string &name);
void write_file(const std::filesystem::path &path, const std::vector<uint8_t> &bytes);

}  // namespace assets_test
