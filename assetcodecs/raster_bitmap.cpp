#include "assetcodecs/raster_bitmap.h"

#include "assetcodecs/clip.h"

#include <algorithm>

namespace assetcodecs {

RasterBitmap::RasterBitmap(StripData data) : data_(std::move(data)) {
    const size_t width = size_t(data_.width), rows = size_t(data_.frame_height) * size_t(data_.frames);
    row_runs_.reserve(rows + 1);
    for (size_t row = 0; row < rows; ++row) {
        row_runs_.push_back(uint32_t(runs_.size()));
        const uint32_t *p = data_.pixels.data() + row * width;
        for (size_t c = 0; c < width;) {
            if (!(p[c] & kOpaque)) {
                ++c;
                continue;
            }
            const size_t start = c;
            while (c < width && (p[c] & kOpaque)) ++c;
            runs_.push_back(Run{uint32_t(start), uint32_t(c)});
        }
    }
    row_runs_.push_back(uint32_t(runs_.size()));
}

void RasterBitmap::draw(const DrawSurface &s, int x, int y, int frame) const {
    if (frame < 0 || frame >= data_.frames) return;
    const ClipRect r = clip_to_surface(s, x, y, data_.width, data_.frame_height);
    const size_t first_row = size_t(frame) * size_t(data_.frame_height) + size_t(r.src_y);
    const uint32_t from = uint32_t(r.src_x), to = uint32_t(r.src_x + r.width);
    for (int row = 0; row < r.height; ++row) {
        const size_t strip_row = first_row + size_t(row);
        const uint32_t *in = data_.pixels.data() + strip_row * size_t(data_.width);
        uint32_t *out = s.pixels + size_t(r.dst_y + row) * size_t(s.pitch) + size_t(r.dst_x);
        for (uint32_t k = row_runs_[strip_row]; k < row_runs_[strip_row + 1]; ++k) {
            const uint32_t a = std::max(runs_[k].start, from), b = std::min(runs_[k].end, to);
            for (uint32_t c = a; c < b; ++c) out[c - from] = in[c] & 0x00FFFFFFu;
        }
    }
}

}  // namespace assetcodecs
