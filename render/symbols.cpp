#include "render/symbols.h"

#include <cmath>

#include "frame/host_api.h"

namespace render {

int32_t whole_degrees(float heading) {
    if (std::isnan(heading)) return 0;
    if (heading <= float(INT32_MIN)) return INT32_MIN;
    if (heading >= 2147483648.0f) return INT32_MAX;
    return int32_t(heading);
}

RoseFrame rose_frame(int32_t h) {
    if (h < 0) return {false, 0, 0};
    const int last = kRoseQuarters - 1;
    const int quarter = h / kRoseFramesPerQuarter < last ? h / kRoseFramesPerQuarter : last;
    return {true, quarter, h - quarter * kRoseFramesPerQuarter};
}

void draw_rose(DrawSurface *s, BitmapRecord *const (&strips)[kRoseQuarters], int32_t h, Pixel corner) {
    const RoseFrame r = rose_frame(h);
    if (r.shown) host_bitmap_draw(s, strips[r.quarter], corner.x, corner.y, r.frame);
}

}  // namespace render
