// Digit strips of the radio heads and the rocker picture.
//
// The radio windows are seen on a slant: the gauges place each strip further
// right and higher than the one before (3 rows per 16 columns), and the digits
// inside a strip rise at the same rate, so a whole frequency sits on one line.
#include <cmath>
#include <cstdio>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/pictures.h"

namespace assetgen {
namespace {

constexpr uint32_t kLit = rgb(255, 170, 0);

// Seven-segment digit, w x h with one-pixel strokes, top-left at (x, y).
void seven_segment(Canvas &c, int x, int y, int w, int h, int digit, uint32_t colour) {
    // Segments a..g: top, upper right, lower right, bottom, lower left, upper left, middle.
    static constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const unsigned s = kSegments[digit];
    const int r = x + w - 1, b = y + h - 1, m = y + (h - 1) / 2;
    if (s & 0x01) c.line(x, y, r, y, colour);
    if (s & 0x02) c.line(r, y, r, m, colour);
    if (s & 0x04) c.line(r, m, r, b, colour);
    if (s & 0x08) c.line(x, b, r, b, colour);
    if (s & 0x10) c.line(x, m, x, b, colour);
    if (s & 0x20) c.line(x, y, x, m, colour);
    if (s & 0x40) c.line(x, m, r, m, colour);
}

// Rows the slant lifts a digit at column x of a strip.
int lift(int x) { return int(std::lround(x * 3.0 / 16.0)); }

constexpr int kDigitW = 4, kDigitH = 7, kPitch = 5, kTop = 3, kStripH = kTop + kDigitH;

}  // namespace

// 16 x 10 frames, frame i showing first_mhz + i in three digits.
assetcodecs::StripData mhz_strip(int first_mhz, int count) {
    std::vector<Canvas> frames;
    for (int i = 0; i < count; ++i) {
        Canvas c(16, kStripH);
        char text[8];
        std::snprintf(text, sizeof text, "%03d", (first_mhz + i) % 1000);
        for (int d = 0; d < 3; ++d) {
            const int x = d * kPitch;
            seven_segment(c, x, kTop - lift(x), kDigitW, kDigitH, text[d] - '0', kLit);
        }
        frames.push_back(std::move(c));
    }
    return make_strip(frames);
}

// The decimal point and `digits` digits of i x khz_step kHz, frame i.
assetcodecs::StripData decimal_strip(int frames_count, int khz_step, int digits) {
    std::vector<Canvas> frames;
    const int width = 2 + digits * kPitch - 1;
    for (int i = 0; i < frames_count; ++i) {
        Canvas c(width, kStripH);
        char text[8];
        std::snprintf(text, sizeof text, "%03d", i * khz_step % 1000);
        c.plot(0, kTop + kDigitH - 1, kLit);
        for (int d = 0; d < digits; ++d) {
            const int x = 2 + d * kPitch;
            seven_segment(c, x, kTop - lift(x), kDigitW, kDigitH, text[d] - '0', kLit);
        }
        frames.push_back(std::move(c));
    }
    return make_strip(frames);
}

// 7 x 11 frames, the digits 0..9, for the ADF and transponder windows.
assetcodecs::StripData digit_strip() {
    std::vector<Canvas> frames;
    for (int digit = 0; digit < 10; ++digit) {
        Canvas c(7, 11);
        seven_segment(c, 0, 0, 6, 11, digit, kLit);
        frames.push_back(std::move(c));
    }
    return make_strip(frames);
}

// The host's face of a radio head, w x h, drawn beneath the gauge: the
// display's three-shade frame, a grey face and a black window recessed over
// x0..x1, y0..y1 where the digits go. The host writes the caption on the face
// and lets the window show through the gauge's black.
assetcodecs::StripData head_bezel(int w, int h, int x0, int y0, int x1, int y1) {
    Canvas c(w, h);
    const uint32_t shades[3] = {rgb(95, 95, 95), rgb(65, 65, 65), rgb(35, 35, 35)};
    c.fill(0, 0, w - 1, h - 1, rgb(58, 60, 62));
    c.fill(x0, y0, x1, y1, rgb(0, 0, 0));
    // Shadow on the top and left edges of the window, light on the others;
    // a window that reaches the frame runs beneath it.
    c.line(x0 - 1, y0 - 1, x1 + 1, y0 - 1, rgb(28, 28, 28));
    c.line(x0 - 1, y0 - 1, x0 - 1, y1 + 1, rgb(28, 28, 28));
    c.line(x0, y1 + 1, x1 + 1, y1 + 1, rgb(105, 105, 105));
    c.line(x1 + 1, y0, x1 + 1, y1 + 1, rgb(105, 105, 105));
    for (int i = 0; i < 3; ++i) c.frame(i, i, w - 1 - i, h - 1 - i, shades[i]);
    return make_strip({c});
}

// 24 x 48 frames: 0..2 and 4 at rest, 3 upper half pressed, 5 lower half
// pressed. The gauge counts a click above row height / 2 as the upper half.
assetcodecs::StripData rocker_strip() {
    std::vector<Canvas> frames;
    for (int frame = 0; frame < 6; ++frame) {
        const bool up = frame == 3, down = frame == 5;
        Canvas c(24, 48);
        c.fill(0, 0, 23, 47, rgb(45, 45, 45));
        c.frame(0, 0, 23, 47, rgb(140, 140, 140));
        c.fill(2, 2, 21, 22, up ? rgb(70, 70, 70) : rgb(115, 115, 115));
        c.fill(2, 25, 21, 45, down ? rgb(70, 70, 70) : rgb(115, 115, 115));
        // The pressed half sinks: its shadow is on top and its arrow one row lower.
        if (up) c.line(2, 2, 21, 2, rgb(30, 30, 30));
        if (down) c.line(2, 25, 21, 25, rgb(30, 30, 30));
        const uint32_t arrow = rgb(240, 240, 240);
        for (int row = 0; row < 5; ++row) {
            const int up_y = 9 + row + (up ? 1 : 0), down_y = 38 - row + (down ? 1 : 0);
            c.line(11 - row, up_y, 12 + row, up_y, arrow);
            c.line(11 - row, down_y, 12 + row, down_y, arrow);
        }
        frames.push_back(std::move(c));
    }
    return make_strip(frames);
}

}  // namespace assetgen
