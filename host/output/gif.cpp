#include "host/output/gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>

#include "host/host_error.h"

namespace panelhost {
namespace {

constexpr int kGreys = 40;

std::array<uint32_t, 256> make_palette() {
    std::array<uint32_t, 256> p{};
    int n = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p[size_t(n++)] = uint32_t(r * 51) << 16 | uint32_t(g * 51) << 8 | uint32_t(b * 51);
    for (int i = 0; i < kGreys; ++i) {
        uint32_t v = uint32_t(i * 255 / (kGreys - 1));
        p[size_t(n++)] = v << 16 | v << 8 | v;
    }
    return p;
}

const std::array<uint32_t, 256> &palette() {
    static const std::array<uint32_t, 256> p = make_palette();
    return p;
}

// Nearest palette entry of every colour with 5 bits per channel.
std::vector<uint8_t> make_lookup() {
    std::vector<uint8_t> t(32768);
    const auto &p = palette();
    for (uint32_t i = 0; i < 32768; ++i) {
        int r = int(i >> 10) * 255 / 31, g = int(i >> 5 & 31) * 255 / 31, b = int(i & 31) * 255 / 31;
        int best = 0, best_d = 1 << 30;
        for (int k = 0; k < 256; ++k) {
            int dr = r - int(p[size_t(k)] >> 16), dg = g - int(p[size_t(k)] >> 8 & 255), db = b - int(p[size_t(k)] & 255);
            int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < best_d) best_d = d, best = k;
        }
        t[i] = uint8_t(best);
    }
    return t;
}

}  // namespace

uint8_t gif_palette_index(uint32_t c) {
    static const std::vector<uint8_t> lookup = make_lookup();
    return lookup[(c >> 9 & 0x7c00) | (c >> 6 & 0x3e0) | (c >> 3 & 0x1f)];
}

GifWriter::GifWriter(const std::filesystem::path &file, int width, int height, int delay_cs)
    : file_(file), width_(width), height_(height), delay_cs_(delay_cs) {
    int error = 0;
    gif_ = EGifOpenFileName(file.c_str(), false, &error);
    if (gif_ == nullptr) fail(error);
    EGifSetGifVersion(gif_, true);
    GifColorType colours[256];
    for (size_t i = 0; i < 256; ++i)
        colours[i] = GifColorType{GifByteType(palette()[i] >> 16), GifByteType(palette()[i] >> 8),
                                  GifByteType(palette()[i])};
    ColorMapObject *map = GifMakeMapObject(256, colours);
    int ok = map ? EGifPutScreenDesc(gif_, width, height, 8, 0, map) : GIF_ERROR;
    GifFreeMapObject(map);
    if (ok == GIF_ERROR) fail(gif_->Error);
    // Loop for ever.
    static const GifByteType kApp[] = "NETSCAPE2.0";
    static const GifByteType kLoop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, kApp) == GIF_ERROR || EGifPutExtensionBlock(gif_, 3, kLoop) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif_) == GIF_ERROR)
        fail(gif_->Error);
}

GifWriter::~GifWriter() {
    if (gif_) EGifCloseFile(gif_, nullptr);
}

void GifWriter::fail(int error) const {
    const char *why = GifErrorString(error);
    throw HostError(file_.string() + ": cannot write the animation: " + (why ? why : "unknown error"));
}

void GifWriter::add(const Image &frame) {
    if (gif_ == nullptr) throw HostError(file_.string() + ": the animation is already closed");
    if (frame.width != width_ || frame.height != height_)
        throw HostError(file_.string() + ": a frame of another size than the animation");
    std::vector<uint8_t> indices(frame.pixels.size());
    std::transform(frame.pixels.begin(), frame.pixels.end(), indices.begin(), gif_palette_index);

    // The rectangle that differs from the previous frame (all of the first).
    int x0 = 0, y0 = 0, x1 = width_ - 1, y1 = height_ - 1;
    if (!previous_.empty()) {
        x0 = width_, y0 = height_, x1 = -1, y1 = -1;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (indices[size_t(y) * size_t(width_) + size_t(x)] != previous_[size_t(y) * size_t(width_) + size_t(x)]) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        if (x1 < 0) x0 = y0 = x1 = y1 = 0;  // unchanged: one pixel carries the delay
    }
    GraphicsControlBlock gcb{DISPOSE_DO_NOT, false, delay_cs_, NO_TRANSPARENT_COLOR};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_ERROR) fail(gif_->Error);
    int w = x1 - x0 + 1, h = y1 - y0 + 1;
    if (EGifPutImageDesc(gif_, x0, y0, w, h, false, nullptr) == GIF_ERROR) fail(gif_->Error);
    for (int y = y0; y <= y1; ++y)
        if (EGifPutLine(gif_, &indices[size_t(y) * size_t(width_) + size_t(x0)], w) == GIF_ERROR) fail(gif_->Error);
    previous_ = std::move(indices);
    ++frames_;
}

void GifWriter::close() {
    if (gif_ == nullptr) return;
    int error = 0;
    GifFileType *g = gif_;
    gif_ = nullptr;
    if (EGifCloseFile(g, &error) == GIF_ERROR) fail(error);
    // giflib creates the file for its owner alone; make it as readable as any other output.
    std::error_code ignored;
    std::filesystem::permissions(file_, std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add, ignored);
}

}  // namespace panelhost
