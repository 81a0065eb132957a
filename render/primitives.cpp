#include "render/primitives.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace render {
namespace {

// Columns that may be written: a row never reaches past its pitch, so a
// surface whose pitch is below its width cannot be written out of its
// pitch x height words.
int64_t writable_width(const DrawSurface *s) { return std::min(s->width, s->pitch); }

bool writable(const DrawSurface *s) {
    return s != nullptr && s->pixels != nullptr && s->height > 0 && writable_width(s) > 0;
}

// Whether a box (edges included) lies wholly off the surface, so that
// nothing drawn within it would be written.
bool misses(const DrawSurface *s, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return right < 0 || bottom < 0 || left >= writable_width(s) || top >= s->height;
}

// Coordinates are 64-bit so that centre + offset cannot overflow.
inline void plot(DrawSurface *s, int64_t x, int64_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= writable_width(s) || y >= s->height) return;
    s->pixels[ptrdiff_t(y) * s->pitch + ptrdiff_t(x)] = colour;
}

// Steps of the minor axis taken in the first k steps of a line walked with
// error term 2*dmin - dmaj: ceil((k + 1) * dmin / dmaj) - 1, at least 0. The
// product stays below 2^64 for any line between int32 points.
uint64_t minor_steps_after(uint64_t k, uint64_t dmaj, uint64_t dmin) {
    if (k == 0) return 0;
    const uint64_t n = (k + 1) * dmin;
    return n <= dmaj ? 0 : (n + dmaj - 1) / dmaj - 1;
}

// One pixel per step of the major axis; the minor axis steps when the error
// term is positive. Steps before the line reaches the surface along its major
// axis are skipped in closed form, and the walk ends once either axis has
// passed the surface's far edge, so that a line's cost is bounded by the
// surface and not by its length. Neither changes which pixels are written.
struct LineWalk {
    int64_t major, minor;  // start, in the surface's axes
    int64_t dmaj, dmin;    // dmaj >= dmin >= 0
    int major_step, minor_step;
    int64_t major_limit, minor_limit;  // the axes' surface sizes
};

bool passed(int64_t v, int step, int64_t limit) { return step > 0 ? v >= limit : v < 0; }

template <class Plot>
void walk(const LineWalk &w, Plot plot_at) {
    uint64_t k = 0;
    if (w.major_step > 0 && w.major < 0) k = uint64_t(-w.major);
    if (w.major_step < 0 && w.major >= w.major_limit) k = uint64_t(w.major - (w.major_limit - 1));
    if (k > uint64_t(w.dmaj)) return;
    const uint64_t taken = minor_steps_after(k, uint64_t(w.dmaj), uint64_t(w.dmin));
    // The true error term is small; wrap-around arithmetic gives it exactly.
    int64_t error = int64_t(uint64_t(2 * w.dmin - w.dmaj) + k * uint64_t(w.dmin) -
                            taken * uint64_t(w.dmaj));
    int64_t major = w.major + w.major_step * int64_t(k);
    int64_t minor = w.minor + w.minor_step * int64_t(taken);
    for (uint64_t i = k; i <= uint64_t(w.dmaj); ++i) {
        if (passed(major, w.major_step, w.major_limit) ||
            passed(minor, w.minor_step, w.minor_limit))
            return;
        plot_at(major, minor);
        if (error > 0) {
            minor += w.minor_step;
            error -= w.dmaj;
        }
        error += w.dmin;
        major += w.major_step;
    }
}

// The walk of a line whose pixels all lie on the surface, from the word at
// `at`: each step moves `major` words, and `minor` more when the error term
// is positive.
void walk_inside(uint32_t *pixels, ptrdiff_t at, int64_t dmaj, int64_t dmin, ptrdiff_t major,
                 ptrdiff_t minor, uint32_t colour) {
    int64_t error = 2 * dmin - dmaj;
    for (int64_t i = 0;; ++i) {
        pixels[at] = colour;
        if (i == dmaj) return;
        if (error > 0) {
            at += minor;
            error -= dmaj;
        }
        error += dmin;
        at += major;
    }
}

// A run of equal words at memory speed: two words per store for a first
// stretch, then what is written so far copied onto what follows, doubling it
// up to a chunk that stays in cache (memcpy is vectorised where a plain loop
// is not).
void fill_run(uint32_t *p, size_t n, uint32_t colour) {
    constexpr size_t kStretch = 256, kChunk = 4096;
    const uint64_t pair = (uint64_t(colour) << 32) | colour;
    const size_t stretch = std::min(n, kStretch);
    const uint64_t pairs[4] = {pair, pair, pair, pair};
    size_t i = 0;
    for (; i + 8 <= stretch; i += 8) std::memcpy(p + i, pairs, sizeof pairs);
    for (; i < stretch; ++i) p[i] = colour;
    while (i < n) {
        const size_t m = std::min({i, n - i, kChunk});
        std::memcpy(p + i, p, m * sizeof *p);
        i += m;
    }
}

}  // namespace

void surface_clear(DrawSurface *s) {
    if (s == nullptr || s->pixels == nullptr || s->pitch <= 0 || s->height <= 0) return;
    std::memset(s->pixels, 0, size_t(s->pitch) * size_t(s->height) * sizeof(uint32_t));
}

void surface_plot(DrawSurface *s, int32_t x, int32_t y, uint32_t colour) {
    if (writable(s)) plot(s, x, y, colour);
}

// Not the textbook Bresenham: the error term is corrected by dy and dx, not
// by 2dy and 2dx, so shallow lines take their minor-axis steps late. Both
// endpoints are always written. The line is drawn with y increasing.
void draw_line(DrawSurface *s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    if (!writable(s)) return;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int64_t dy = int64_t(y1) - y0;
    int64_t dx = int64_t(x1) - x0;
    const int step = dx < 0 ? -1 : 1;
    if (dx < 0) dx = -dx;
    const int64_t w = writable_width(s), h = s->height;
    if (std::min(x0, x1) >= 0 && std::max(x0, x1) < w && y0 >= 0 && y1 < h) {
        // Wholly on the surface, as most lines of a page are: the same walk
        // without a bounds test per pixel.
        const ptrdiff_t pitch = s->pitch;
        if (dx > dy)
            walk_inside(s->pixels, ptrdiff_t(y0) * pitch + x0, dx, dy, step, pitch, colour);
        else
            walk_inside(s->pixels, ptrdiff_t(y0) * pitch + x0, dy, dx, pitch, step, colour);
        return;
    }
    if (dx > dy)
        walk({x0, y0, dx, dy, step, 1, w, h},
             [&](int64_t x, int64_t y) { plot(s, x, y, colour); });
    else
        walk({y0, x0, dy, dx, 1, step, h, w},
             [&](int64_t y, int64_t x) { plot(s, x, y, colour); });
}

void fill_rect(DrawSurface *s, int32_t left, int32_t top, int32_t right, int32_t bottom,
               uint32_t colour) {
    if (!writable(s)) return;
    const int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(right, writable_width(s));
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, s->height);
    if (y0 >= y1 || x0 >= x1) return;
    uint32_t *first = s->pixels + ptrdiff_t(y0) * s->pitch + x0;
    // Whole rows of a surface without padding are one run.
    if (x1 - x0 == s->pitch) {
        fill_run(first, size_t(y1 - y0) * size_t(s->pitch), colour);
        return;
    }
    // Later rows are copies of the first, which is still in cache.
    const size_t run = size_t(x1 - x0);
    fill_run(first, run, colour);
    for (int64_t y = 1; y < y1 - y0; ++y)
        std::memcpy(first + ptrdiff_t(y) * s->pitch, first, run * sizeof *first);
}

void draw_circle(DrawSurface *s, int32_t cx, int32_t cy, int32_t radius, uint32_t colour) {
    if (radius < 1 || !writable(s)) return;
    if (misses(s, int64_t(cx) - radius, int64_t(cy) - radius, int64_t(cx) + radius,
               int64_t(cy) + radius))
        return;
    auto octants = [&](int64_t a, int64_t b) {
        plot(s, cx + a, cy + b, colour);
        plot(s, cx - a, cy + b, colour);
        plot(s, cx + a, cy - b, colour);
        plot(s, cx - a, cy - b, colour);
        plot(s, cx + b, cy + a, colour);
        plot(s, cx - b, cy + a, colour);
        plot(s, cx + b, cy - a, colour);
        plot(s, cx - b, cy - a, colour);
    };
    int64_t x = 0, y = radius, d = 1 - int64_t(radius);
    octants(x, y);
    while (x < y) {
        ++x;
        if (d < 0) {
            d += 2 * x + 1;
        } else {
            --y;
            d += 2 * (x - y) + 1;
        }
        octants(x, y);
    }
}

void draw_cross_mark(DrawSurface *s, int32_t x, int32_t y) {
    if (!writable(s)) return;
    plot(s, x, int64_t(y) - kCrossMarkArm, kCrossMarkColour);
    plot(s, x, int64_t(y) + kCrossMarkArm, kCrossMarkColour);
    plot(s, int64_t(x) - kCrossMarkArm, y, kCrossMarkColour);
    plot(s, int64_t(x) + kCrossMarkArm, y, kCrossMarkColour);
}

}  // namespace render
