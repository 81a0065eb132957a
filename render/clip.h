// Cohen-Sutherland clipping of a segment against a window, on reals.
#pragma once

#include <cstdint>

namespace render {

struct ClipPoint {
    double x, y;
};

// A point is inside when left <= x <= right and top <= y <= bottom.
struct ClipWindow {
    double left, top, right, bottom;
};

// 1 when some part of a-b is inside the window, the ends then moved onto it;
// 0 otherwise, the ends then meaningless. The ends may come back exchanged:
// a point outside always ends up in a, so with one end inside, a holds the
// clipped end and b the inside one.
int clip_segment(ClipPoint &a, ClipPoint &b, const ClipWindow &w);

// Truncation toward zero of a clipped coordinate, saturated to the int32
// range (a NaN gives 0) so that no real converts out of range. Inline: every
// placed point of a page comes through here.
inline int32_t to_pixel(double v) {
    if (v != v) return 0;
    if (v <= double(INT32_MIN)) return INT32_MIN;
    if (v >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(v);
}

}  // namespace render
