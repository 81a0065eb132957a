// Where the display's pictures go, and which compass-rose image a heading
// selects. The pictures themselves are the host's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"

namespace render {

struct Pixel {
    int32_t x, y;
};

// The aircraft reference point of the map.
constexpr Pixel kAircraftPoint{103, 232};

// Top-left corners of the fixed pictures.
constexpr Pixel kBezelCorner{0, 0};
constexpr Pixel kHeadingBoxCorner{87, 52};
constexpr Pixel kRoseCorner{-26, 40};
constexpr Pixel kPlaneCorner{kAircraftPoint.x - 7, kAircraftPoint.y - 9};
constexpr Pixel kSelectorCorner{176, 0};

// Airport, VOR and NDB symbols are centred on their map point.
constexpr int32_t kSymbolHalf = 7;
constexpr Pixel symbol_corner(Pixel map_point) {
    return {map_point.x - kSymbolHalf, map_point.y - kSymbolHalf};
}

// The rose is four strips of 90 images, one strip per quarter of the circle.
constexpr int kRoseQuarters = 4;
constexpr int kRoseFramesPerQuarter = 90;

struct RoseFrame {
    bool shown;   // false for a negative whole-degree heading
    int quarter;  // 0 for headings 0-89 ... 3 for 270 and above
    int32_t frame;
};

// The whole-degree heading shown on the display: truncated toward zero,
// saturated to the int32 range (a NaN gives 0).
int32_t whole_degrees(float heading);

// From the whole-degree heading h; h of 360 and more stays in the last
// quarter with a frame past its strip, which the host is handed unchanged.
RoseFrame rose_frame(int32_t h);

// Draws the selected image of strips[quarter] at kRoseCorner, or nothing.
void draw_rose(DrawSurface *s, BitmapRecord *const (&strips)[kRoseQuarters], int32_t h);

// Frame 0 of a single-image picture at its corner.
void draw_picture(DrawSurface *s, BitmapRecord *picture, Pixel corner);

// A map symbol centred on its map point.
void draw_symbol(DrawSurface *s, BitmapRecord *symbol, Pixel map_point);

// The zoom selector showing `zoom`, with the number in white at its side;
// only on a display that keeps its own zoom (auto value non-zero). The
// number is formatted into the caller's text buffer.
constexpr Pixel kZoomNumberAnchor{188, 10};
void draw_zoom_selector(DrawSurface *s, BitmapRecord *selector, FontRecord *font,
                        int32_t auto_value, int32_t zoom, char *buf, size_t size);

}  // namespace render
