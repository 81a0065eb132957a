#include "assetcodecs/raster_bitmap.h"

#include "assetcodecs/clip.h"

namespace assetcodecs {

void RasterBitmap::draw(const DrawSurface &s, int x, int y, int frame) const {
    if (frame < 0 || frame >= data_.frames) return;
    const ClipRect r = clip_to_surface(s, x, y, data_.width, data_.frame_height);
    const uint32_t *picture = data_.pixels.data() + size_t(frame) * size_t(data_.frame_height) * size_t(data_.width);
    for (int row = 0; row < r.height; ++row) {
        const uint32_t *in = picture + size_t(r.src_y + row) * size_t(data_.width) + size_t(r.src_x);
        uint32_t *out = s.pixels + size_t(r.dst_y + row) * size_t(s.pitch) + size_t(r.dst_x);
        for (int col = 0; col < r.width; ++col)
            if (in[col] & kOpaque) out[col] = in[col] & 0x00FFFFFFu;
    }
}

}  // namespace assetcodecs
