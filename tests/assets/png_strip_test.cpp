#include "assetcodecs/png_strip.h"

#include <png.h>

#include <gtest/gtest.h>

#include "assetcodecs/asset_error.h"
#include "tests/assets/test_support.h"

namespace {

using assetcodecs::AssetError;
using assetcodecs::decode_png_strip;
using assetcodecs::encode_png_strip;

std::string decode_error(const std::vector<uint8_t> &bytes) {
    try {
        decode_png_strip(bytes, "x.pbg");
    } catch (const AssetError &e) {
        EXPECT_EQ(e.file(), "x.pbg");
        return e.what();
    }
    return "";
}

// A PNG written by libpng from raw rows, for colour types the encoder does not write.
std::vector<uint8_t> raw_png(int w, int h, int colour_type, int depth, const std::vector<uint8_t> &data,
                             void (*extra)(png_structp, png_infop), const char *frames_text) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep d, png_size_t n) {
            auto *v = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(p));
            v->insert(v->end(), d, d + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), depth, colour_type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (extra) extra(png, info);
    char key[] = "Frames";
    std::string text = frames_text ? frames_text : "";
    png_text t{};
    t.compression = PNG_TEXT_COMPRESSION_NONE;
    t.key = key;
    t.text = text.data();
    if (frames_text) png_set_text(png, info, &t, 1);
    png_write_info(png, info);
    const size_t row = data.size() / size_t(h);
    for (int y = 0; y < h; ++y) png_write_row(png, data.data() + size_t(y) * row);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(PngStrip, RoundTripKeepsFramesColoursAndTransparency) {
    const auto strip = assets_test::checker_strip(5, 3, 4);
    const auto back = decode_png_strip(encode_png_strip(strip), "x.pbg");
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.frame_height, 3);
    EXPECT_EQ(back.frames, 4);
    EXPECT_EQ(back.pixels, strip.pixels);
}

TEST(PngStrip, WithoutFramesTextIsOnePicture) {
    const auto back = decode_png_strip(encode_png_strip(assets_test::checker_strip(4, 6, 1)), "x.pbm");
    EXPECT_EQ(back.frames, 1);
    EXPECT_EQ(back.frame_height, 6);
}

TEST(PngStrip, PaletteColourKeyAndGreyAlphaFollowTheThreshold) {
    // Palette entry 1 is keyed out by tRNS; entry 0 is opaque red.
    const auto keyed = raw_png(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1},
                               [](png_structp p, png_infop i) {
                                   png_color pal[2] = {{255, 0, 0}, {0, 255, 0}};
                                   png_set_PLTE(p, i, pal, 2);
                                   png_byte alpha[2] = {255, 0};
                                   png_set_tRNS(p, i, alpha, 2, nullptr);
                               },
                               nullptr);
    EXPECT_EQ(decode_png_strip(keyed, "k.pbm").pixels, (std::vector<uint32_t>{assetcodecs::kOpaque | 0xFF0000u, 0u}));

    // Grey with alpha: 127 is transparent, 128 opaque.
    const auto grey = raw_png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0x40, 127, 0x80, 128}, nullptr, nullptr);
    EXPECT_EQ(decode_png_strip(grey, "g.pbm").pixels, (std::vector<uint32_t>{0u, assetcodecs::kOpaque | 0x808080u}));

    // 16-bit RGB without alpha is opaque everywhere.
    const auto deep = raw_png(1, 2, PNG_COLOR_TYPE_RGB, 16, {0xAB, 0, 0xCD, 0, 0xEF, 0, 1, 0, 2, 0, 3, 0}, nullptr, "2");
    const auto d = decode_png_strip(deep, "d.pbg");
    EXPECT_EQ(d.frames, 2);
    EXPECT_EQ(d.pixels, (std::vector<uint32_t>{assetcodecs::kOpaque | 0xABCDEFu, assetcodecs::kOpaque | 0x010203u}));
}

TEST(PngStrip, RejectsBadFilesNamingFileAndFault) {
    const auto good = encode_png_strip(assets_test::checker_strip(3, 2, 3));
    EXPECT_NE(decode_error({}).find("not a PNG"), std::string::npos);
    EXPECT_NE(decode_error({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}).find("not a PNG"), std::string::npos);
    for (size_t cut : {size_t(8), size_t(20), good.size() / 2, good.size() - 13}) {
        SCOPED_TRACE(cut);
        EXPECT_NE(decode_error(std::vector<uint8_t>(good.begin(), good.begin() + long(cut))).find("bad PNG"),
                  std::string::npos);
    }
    // A chunk that claims a gigabyte in a short file is refused before libpng allocates it.
    const uint8_t forged_chunk[] = {0x40, 0, 0, 0, 't', 'E', 'X', 't', 'F', 'r', 'a', 'm', 'e', 's', 0, '2', 0, 0, 0, 0};
    std::vector<uint8_t> forged(good.begin(), good.begin() + 33);
    for (uint8_t b : forged_chunk) forged.push_back(b);
    EXPECT_NE(decode_error(forged).find("chunk runs past its end"), std::string::npos);
    auto corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0xFF;
    EXPECT_NE(decode_error(corrupt).find("bad PNG"), std::string::npos);

    const std::vector<uint8_t> rows(3 * 4 * 3, 0xFF);  // 3 x 3 RGBA
    EXPECT_NE(decode_error(raw_png(3, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8, rows, nullptr, "2")).find("2 frames do not divide"),
              std::string::npos);
    for (const char *text : {"0", "-3", "three", "3x", ""}) {
        SCOPED_TRACE(text);
        EXPECT_NE(decode_error(raw_png(3, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8, rows, nullptr, text)).find("Frames text"),
                  std::string::npos);
    }
    EXPECT_EQ(decode_error(raw_png(3, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8, rows, nullptr, "3")), "");
}

TEST(PngStrip, RejectsImagesBeyondTheLimits) {
    // A header that claims 40000 x 1 pixels: refused before any pixel is read.
    const std::vector<uint8_t> row(40000 * 3, 0);
    EXPECT_NE(decode_error(raw_png(40000, 1, PNG_COLOR_TYPE_RGB, 8, row, nullptr, nullptr)).find("bad PNG"),
              std::string::npos);
    // 5000 x 4000 one-bit grey: each side allowed, the whole too large.
    const std::vector<uint8_t> bits(625 * 4000, 0);
    EXPECT_NE(decode_error(raw_png(5000, 4000, PNG_COLOR_TYPE_GRAY, 1, bits, nullptr, nullptr)).find("image too large"),
              std::string::npos);
}

}  // namespace
