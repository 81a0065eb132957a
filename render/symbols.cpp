#include "render/symbols.h"

#include <cmath>

#include "frame/host_api.h"
#include "render/primitives.h"
#include "render/text.h"

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

void draw_rose(DrawSurface *s, BitmapRecord *const (&strips)[kRoseQuarters], int32_t h) {
    const RoseFrame r = rose_frame(h);
    if (r.shown) host_bitmap_draw(s, strips[r.quarter], kRoseCorner.x, kRoseCorner.y, r.frame);
}

void draw_picture(DrawSurface *s, BitmapRecord *picture, Pixel corner) {
    host_bitmap_draw(s, picture, corner.x, corner.y, 0);
}

void draw_symbol(DrawSurface *s, BitmapRecord *symbol, Pixel map_point) {
    draw_picture(s, symbol, symbol_corner(map_point));
}

void draw_zoom_selector(DrawSurface *s, BitmapRecord *selector, FontRecord *font,
                        int32_t auto_value, int32_t zoom, char *buf, size_t size) {
    if (auto_value == 0) return;
    host_bitmap_draw(s, selector, kSelectorCorner.x, kSelectorCorner.y, zoom);
    draw_textf(s, font, kZoomNumberAnchor.x, kZoomNumberAnchor.y, rgb(255, 255, 255), buf, size,
               "%d", zoom);
}

}  // namespace render
