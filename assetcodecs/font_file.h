// The host's font files: one-bit glyphs in fixed cells (docs/asset-formats.md).
//
//   0  4  magic "PFNT"
//   4  1  version, 1
//   5  1  cell width W, 1..32 pixels
//   6  1  cell height H, 1..64 pixels
//   7  1  first character code F, 1..255
//   8  1  glyph count N, at least 1, F + N - 1 <= 255
//   9  1  replacement character, drawn for codes the font lacks; F..F+N-1
//  10  2  zero
//  12     N glyphs, each: advance (1 byte) and H rows of ceil(W/8) bytes,
//         most significant bit leftmost; bits past W are zero.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace assetcodecs {

struct FontData {
    int cell_width = 0;
    int cell_height = 0;
    int first = 0;
    int replacement = 0;
    std::vector<uint8_t> advance;  // one per glyph
    std::vector<uint8_t> ink;      // glyph-major, row-major, cell_width x cell_height per glyph; 1 = ink

    int count() const { return int(advance.size()); }
    bool has(int code) const { return code >= first && code < first + count(); }
    const uint8_t *glyph(int code) const {
        return ink.data() + size_t(code - first) * size_t(cell_width) * size_t(cell_height);
    }
};

// Parses a font file; throws AssetError naming `file` and the fault.
FontData parse_font(std::span<const uint8_t> bytes, const std::string &file);

// The file for a font; the font must be valid (the generator's fonts are).
std::vector<uint8_t> encode_font(const FontData &font);

}  // namespace assetcodecs
