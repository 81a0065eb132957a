#include "render/clip.h"

#include <cmath>
#include <utility>

namespace render {
namespace {

enum : int { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

// Edges belong to the window: the comparisons are strict.
int outcode(const ClipPoint &p, const ClipWindow &w) {
    int code = 0;
    if (p.x < w.left) code += kLeft;
    if (p.x > w.right) code += kRight;
    if (p.y < w.top) code += kTop;
    if (p.y > w.bottom) code += kBottom;
    return code;
}

// Each pass moves one end onto an edge; a sound window needs at most a few.
// The cap only ends the loop on a degenerate window or non-finite input.
constexpr int kMaxPasses = 16;

}  // namespace

int clip_segment(ClipPoint &a, ClipPoint &b, const ClipWindow &w) {
    double m = 0.0;  // kept from the last pass when the two x are equal
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        int code_a = outcode(a, w);
        int code_b = outcode(b, w);
        if (code_a == 0 && code_b == 0) return 1;
        if (code_a & code_b) return 0;
        if (code_a == 0) {
            std::swap(a, b);
            std::swap(code_a, code_b);
        }
        if (a.x != b.x) m = (b.y - a.y) / (b.x - a.x);
        if (code_a & kLeft) {
            a.y += (w.left - a.x) * m;
            a.x = w.left;
        } else if (code_a & kRight) {
            a.y += (w.right - a.x) * m;
            a.x = w.right;
        } else if (code_a & kTop) {
            if (a.x != b.x) a.x += (w.top - a.y) / m;
            a.y = w.top;
        } else {
            if (a.x != b.x) a.x += (w.bottom - a.y) / m;
            a.y = w.bottom;
        }
    }
    return 0;
}

}  // namespace render
