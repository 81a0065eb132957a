#include "assetcodecs/clip.h"

#include <algorithm>
#include <cstdint>

namespace assetcodecs {

bool surface_usable(const DrawSurface &s) {
    return s.pixels != nullptr && s.width > 0 && s.height > 0 && s.pitch >= s.width;
}

ClipRect clip_to_surface(const DrawSurface &s, int x, int y, int w, int h) {
    ClipRect r{0, 0, 0, 0, 0, 0};
    if (!surface_usable(s) || w <= 0 || h <= 0) return r;
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, s.width);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h, s.height);
    if (right <= left || bottom <= top) return r;
    r.src_x = int(left - x);
    r.src_y = int(top - y);
    r.dst_x = int(left);
    r.dst_y = int(top);
    r.width = int(right - left);
    r.height = int(bottom - top);
    return r;
}

}  // namespace assetcodecs
