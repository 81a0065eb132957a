#include "host/output/image.h"

#include <algorithm>

namespace panelhost {

void Image::blit(const DrawSurface &s, int x, int y, bool keyed, uint32_t key) {
    if (s.pixels == nullptr) return;
    int x0 = std::max(0, -x), y0 = std::max(0, -y);
    int x1 = std::min(s.width, width - x), y1 = std::min(s.height, height - y);
    for (int sy = y0; sy < y1; ++sy) {
        const uint32_t *row = s.pixels + size_t(sy) * size_t(s.pitch);
        uint32_t *out = &at(x + x0, y + sy);
        for (int sx = x0; sx < x1; ++sx, ++out) {
            uint32_t c = row[sx] & 0xffffff;
            if (!keyed || c != key) *out = c;
        }
    }
}

Image Image::of(const DrawSurface &s) {
    Image img(std::max(0, s.width), std::max(0, s.height));
    img.blit(s, 0, 0);
    return img;
}

Image Image::scaled_down(int factor) const {
    if (factor <= 1) return *this;
    Image out((width + factor - 1) / factor, (height + factor - 1) / factor);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y) = at(x * factor, y * factor);
    return out;
}

}  // namespace panelhost
