// A pixel of a surface, and which compass-rose image a heading selects. The
// pictures themselves are the host's; where they go is the page's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"

namespace render {

struct Pixel {
    int32_t x, y;
};

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

// Draws the selected image of strips[quarter] with its top-left at `corner`, or nothing.
void draw_rose(DrawSurface *s, BitmapRecord *const (&strips)[kRoseQuarters], int32_t h, Pixel corner);

}  // namespace render
