// The plug-ins' own pixel primitives. Plain functions on the host's surface:
// no state, no allocation, nothing reported.
#pragma once

#include <cstdint>

#include "frame/abi.h"

namespace render {

// 0x00RRGGBB from components 0 to 255.
constexpr uint32_t rgb(int red, int green, int blue) {
    return (((uint32_t(red) << 8) | uint32_t(green)) << 8) | uint32_t(blue);
}

constexpr uint32_t kCrossMarkColour = rgb(255, 0, 255);
constexpr int kCrossMarkArm = 3;

// Zeroes all pitch x height words, the padding at the end of each row too.
void surface_clear(DrawSurface *s);

// One pixel; dropped when outside the surface. One of the primitives the
// plug-ins' drawing set defines; the line and circle code plot through the
// same rule inline rather than through this call.
void surface_plot(DrawSurface *s, int32_t x, int32_t y, uint32_t colour);

// The display's own line stepping (see primitives.cpp). Pixels off the
// surface are dropped; the rest are those of the unguarded line.
void draw_line(DrawSurface *s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);

// Half-open: columns left .. right - 1, rows top .. bottom - 1, cut to the
// surface.
void fill_rect(DrawSurface *s, int32_t left, int32_t top, int32_t right, int32_t bottom,
               uint32_t colour);

// One-pixel midpoint outline; radius below 1 draws nothing.
void draw_circle(DrawSurface *s, int32_t cx, int32_t cy, int32_t radius, uint32_t colour);

// Four magenta pixels kCrossMarkArm away from (x, y); the centre is left.
void draw_cross_mark(DrawSurface *s, int32_t x, int32_t y);

}  // namespace render
