#include "assetcodecs/font_file.h"

#include <cstring>

#include "assetcodecs/asset_error.h"

namespace assetcodecs {
namespace {

constexpr char kMagic[4] = {'P', 'F', 'N', 'T'};
constexpr size_t kHeaderSize = 12;

size_t row_bytes(int width) { return size_t(width + 7) / 8; }

size_t glyph_record_size(int width, int height) { return 1 + size_t(height) * row_bytes(width); }

}  // namespace

FontData parse_font(std::span<const uint8_t> bytes, const std::string &file) {
    auto fail = [&file](const std::string &what) { return AssetError(file, what); };
    if (bytes.size() < kHeaderSize)
        throw fail("not a font: " + std::to_string(bytes.size()) + " bytes, shorter than the header");
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) throw fail("not a font: no PFNT signature");
    if (bytes[4] != 1) throw fail("font version " + std::to_string(bytes[4]) + " is not supported");

    FontData f;
    f.cell_width = bytes[5];
    f.cell_height = bytes[6];
    f.first = bytes[7];
    const int count = bytes[8];
    f.replacement = bytes[9];
    if (f.cell_width < 1 || f.cell_width > 32)
        throw fail("cell width " + std::to_string(f.cell_width) + " is outside 1..32");
    if (f.cell_height < 1 || f.cell_height > 64)
        throw fail("cell height " + std::to_string(f.cell_height) + " is outside 1..64");
    if (f.first < 1 || count < 1 || f.first + count - 1 > 255)
        throw fail("characters " + std::to_string(f.first) + " + " + std::to_string(count) +
                   " do not fit the codes 1..255");
    if (f.replacement < f.first || f.replacement >= f.first + count)
        throw fail("replacement character " + std::to_string(f.replacement) + " is not in the font");
    if (bytes[10] != 0 || bytes[11] != 0) throw fail("reserved header bytes are not zero");

    const size_t record = glyph_record_size(f.cell_width, f.cell_height);
    const size_t expected = kHeaderSize + size_t(count) * record;
    if (bytes.size() != expected)
        throw fail(std::string(bytes.size() < expected ? "truncated" : "trailing bytes") + ": " +
                   std::to_string(count) + " glyphs of " + std::to_string(f.cell_width) + "x" +
                   std::to_string(f.cell_height) + " need " + std::to_string(expected) + " bytes, the file has " +
                   std::to_string(bytes.size()));

    const size_t rb = row_bytes(f.cell_width);
    f.advance.resize(size_t(count));
    f.ink.assign(size_t(count) * size_t(f.cell_width) * size_t(f.cell_height), 0);
    for (int g = 0; g < count; ++g) {
        const uint8_t *rec = bytes.data() + kHeaderSize + size_t(g) * record;
        f.advance[size_t(g)] = rec[0];
        uint8_t *out = f.ink.data() + size_t(g) * size_t(f.cell_width) * size_t(f.cell_height);
        for (int row = 0; row < f.cell_height; ++row) {
            const uint8_t *bits = rec + 1 + size_t(row) * rb;
            for (int col = 0; col < int(rb * 8); ++col) {
                const bool set = (bits[col / 8] >> (7 - col % 8)) & 1;
                if (col < f.cell_width)
                    out[size_t(row) * size_t(f.cell_width) + size_t(col)] = set;
                else if (set)
                    throw fail("glyph of character " + std::to_string(f.first + g) + " has ink outside its cell");
            }
        }
    }
    return f;
}

std::vector<uint8_t> encode_font(const FontData &f) {
    std::vector<uint8_t> out = {uint8_t(kMagic[0]),    uint8_t(kMagic[1]),       uint8_t(kMagic[2]),
                                uint8_t(kMagic[3]),    1,                        uint8_t(f.cell_width),
                                uint8_t(f.cell_height), uint8_t(f.first),        uint8_t(f.count()),
                                uint8_t(f.replacement), 0,                       0};
    const size_t rb = row_bytes(f.cell_width);
    out.reserve(kHeaderSize + size_t(f.count()) * glyph_record_size(f.cell_width, f.cell_height));
    for (int code = f.first; code < f.first + f.count(); ++code) {
        out.push_back(f.advance[size_t(code - f.first)]);
        const uint8_t *g = f.glyph(code);
        for (int row = 0; row < f.cell_height; ++row) {
            std::vector<uint8_t> bits(rb, 0);
            for (int col = 0; col < f.cell_width; ++col)
                if (g[row * f.cell_width + col]) bits[size_t(col / 8)] |= uint8_t(0x80 >> (col % 8));
            out.insert(out.end(), bits.begin(), bits.end());
        }
    }
    return out;
}

}  // namespace assetcodecs
