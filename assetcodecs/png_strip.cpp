#include "assetcodecs/png_strip.h"

#include <png.h>

#include <charconv>
#include <csetjmp>
#include <cstring>

#include "assetcodecs/asset_error.h"

namespace assetcodecs {
namespace {

// libpng reports its errors by calling back; this keeps the message for the
// longjmp back into the function that called libpng.
struct PngContext {
    std::span<const uint8_t> input;
    size_t offset = 0;
    std::vector<uint8_t> *output = nullptr;
    char message[256] = "";
};

void on_error(png_structp png, png_const_charp msg) {
    auto *ctx = static_cast<PngContext *>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", msg);
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

void read_bytes(png_structp png, png_bytep out, png_size_t length) {
    auto *ctx = static_cast<PngContext *>(png_get_io_ptr(png));
    if (length > ctx->input.size() - ctx->offset) png_error(png, "truncated file");
    std::memcpy(out, ctx->input.data() + ctx->offset, length);
    ctx->offset += length;
}

void write_bytes(png_structp png, png_bytep data, png_size_t length) {
    auto *ctx = static_cast<PngContext *>(png_get_io_ptr(png));
    ctx->output->insert(ctx->output->end(), data, data + length);
}

void flush_nothing(png_structp) {}

// The frame count of a "Frames" text: 0 when absent, -1 when not a number.
int frames_text(png_structp png, png_infop info) {
    png_textp texts = nullptr;
    int n = 0;
    png_get_text(png, info, &texts, &n);
    for (int i = 0; i < n; ++i) {
        if (std::strcmp(texts[i].key, "Frames") != 0) continue;
        const char *begin = texts[i].text, *end = begin + std::strlen(begin);
        int value = 0;
        auto [ptr, ec] = std::from_chars(begin, end, value);
        return (ec == std::errc() && ptr == end && value > 0) ? value : -1;
    }
    return 0;
}

// Reads the whole image as 8-bit RGBA bytes into the storage of `pixels`, one
// pixel's four bytes per element, so that the picture needs no second buffer
// of its size. Returns false with the message in ctx on a libpng error.
// Everything it changes belongs to the caller, so nothing is left
// indeterminate by the longjmp.
bool read_rgba(PngContext &ctx, std::vector<uint32_t> &pixels, std::vector<png_bytep> &rows, png_uint_32 &width,
               png_uint_32 &height, int &frames) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, on_error, on_warning);
    if (!png) {
        std::snprintf(ctx.message, sizeof ctx.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (!ctx.message[0]) std::snprintf(ctx.message, sizeof ctx.message, "out of memory");
        return false;
    }
    png_set_read_fn(png, &ctx, read_bytes);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_cache_max(png, 64);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (int64_t(width) * height > kMaxImagePixels) png_error(png, "image too large");

    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected row layout");

    pixels.resize(size_t(width) * height);
    rows.resize(height);
    png_bytep bytes = reinterpret_cast<png_bytep>(pixels.data());
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = bytes + size_t(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, info);
    frames = frames_text(png, info);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// libpng allocates a chunk's declared length before reading it, so a forged
// length in a short file would cost gigabytes: every chunk must fit the file.
bool chunks_fit(std::span<const uint8_t> bytes) {
    for (size_t at = 8; at < bytes.size();) {
        if (bytes.size() - at < 12) return false;
        const uint32_t length = uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
                                uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length > bytes.size() - at - 12) return false;
        at += 12 + size_t(length);
    }
    return true;
}

}  // namespace

StripData decode_png_strip(std::span<const uint8_t> bytes, const std::string &file) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
        throw AssetError(file, "not a PNG image");
    if (!chunks_fit(bytes)) throw AssetError(file, "bad PNG: truncated file (a chunk runs past its end)");

    PngContext ctx;
    ctx.input = bytes;
    StripData strip;
    std::vector<png_bytep> rows;
    png_uint_32 width = 0, height = 0;
    int frames = 0;
    if (!read_rgba(ctx, strip.pixels, rows, width, height, frames)) throw AssetError(file, std::string("bad PNG: ") + ctx.message);

    if (frames < 0) throw AssetError(file, "the Frames text is not a positive whole number");
    if (frames == 0) frames = 1;
    if (frames > kMaxFrames || height % png_uint_32(frames) != 0)
        throw AssetError(file, std::to_string(frames) + " frames do not divide the height of " +
                                   std::to_string(height) + " rows");

    strip.width = int(width);
    strip.frames = frames;
    strip.frame_height = int(height) / frames;
    // Each pixel's RGBA bytes become its value in place.
    for (uint32_t &pixel : strip.pixels) {
        uint8_t p[4];
        std::memcpy(p, &pixel, sizeof p);
        pixel = p[3] < 128 ? 0u : kOpaque | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    return strip;
}

std::vector<uint8_t> encode_png_strip(const StripData &strip) {
    std::vector<uint8_t> out;
    PngContext ctx;
    ctx.output = &out;
    const png_uint_32 width = png_uint_32(strip.width);
    const png_uint_32 height = png_uint_32(strip.frame_height) * png_uint_32(strip.frames);
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    for (size_t i = 0; i < strip.pixels.size() && i * 4 < rgba.size(); ++i) {
        const uint32_t p = strip.pixels[i];
        const bool opaque = (p & kOpaque) != 0;
        rgba[i * 4 + 0] = opaque ? uint8_t(p >> 16) : 0;
        rgba[i * 4 + 1] = opaque ? uint8_t(p >> 8) : 0;
        rgba[i * 4 + 2] = opaque ? uint8_t(p) : 0;
        rgba[i * 4 + 3] = opaque ? 0xFF : 0;
    }
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = rgba.data() + size_t(y) * width * 4;
    std::string frames = std::to_string(strip.frames);
    char key[] = "Frames";

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        throw std::runtime_error(std::string("cannot encode PNG: ") + ctx.message);
    }
    png_set_write_fn(png, &ctx, write_bytes, flush_nothing);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_text text{};
    if (strip.frames > 1) {
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = key;
        text.text = frames.data();
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace assetcodecs
