// The part of a w x h picture placed at (x, y) that falls on a surface.
#pragma once

#include "frame/abi.h"

namespace assetcodecs {

struct ClipRect {
    int src_x, src_y;  // first visible pixel of the picture
    int dst_x, dst_y;  // where it lands on the surface
    int width, height; // visible extent; both > 0 when visible
    bool visible() const { return width > 0 && height > 0; }
};

// True when the surface can be drawn on at all: pixels, positive size and a
// pitch of at least the width.
bool surface_usable(const DrawSurface &s);

// Clips with 64-bit arithmetic, so no position overflows however far off the
// surface it lies. An unusable surface clips everything away.
ClipRect clip_to_surface(const DrawSurface &s, int x, int y, int w, int h);

}  // namespace assetcodecs
