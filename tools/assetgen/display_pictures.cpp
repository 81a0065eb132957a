// The navigation display's pictures. Positions are those at which the
// display draws each picture on its 206 x 330 page.
#include <cmath>
#include <numbers>
#include <string>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/glyphs.h"
#include "tools/assetgen/pictures.h"

namespace assetgen {
namespace {

constexpr uint32_t kWhite = rgb(235, 235, 235);

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// A point at `r` pixels from (cx, cy) in the direction `deg` clockwise from up.
void polar_plot(Canvas &c, double cx, double cy, double r, double deg, uint32_t colour) {
    c.plot(int(std::lround(cx + r * std::sin(radians(deg)))), int(std::lround(cy - r * std::cos(radians(deg)))),
           colour);
}

assetcodecs::StripData single(const Canvas &c) { return make_strip({c}); }

}  // namespace

// Frame and buttons only: the map, the data block and the indicator marks at
// rows 306..308 are the display's, so everything else stays transparent.
assetcodecs::StripData bezel() {
    Canvas c(206, 330);
    const uint32_t shades[3] = {rgb(95, 95, 95), rgb(65, 65, 65), rgb(35, 35, 35)};
    for (int i = 0; i < 3; ++i) c.frame(i, i, 205 - i, 329 - i, shades[i]);

    const auto micro = font_5();
    const int centres[6] = {14, 42, 74, 105, 137, 170};
    const char *captions[6] = {"APT", "VOR", "NDB", "WPT", "TFC", "RTE"};
    for (int i = 0; i < 6; ++i) {
        const int x = centres[i];
        c.frame(x - 9, 296, x + 9, 314, rgb(150, 150, 150));
        c.line(x - 8, 315, x + 9, 315, rgb(60, 60, 60));
        c.text(micro, x - (Canvas::text_width(micro, captions[i]) - 1) / 2, 299, kWhite, captions[i]);
    }
    return single(c);
}

// Drawn at (87, 52) around the three digits written at (96, 52), with an
// index below it pointing at the rose.
assetcodecs::StripData heading_box() {
    Canvas c(35, 15);
    c.frame(0, 0, 34, 10, kWhite);
    for (int row = 0; row < 3; ++row) c.line(17 - (2 - row), 11 + row, 17 + (2 - row), 11 + row, kWhite);
    return single(c);
}

// Drawn at (-26, 40) with its centre on the aircraft point (103, 232). The
// ring lies at 160 pixels, the length of the lubber line, well outside the
// range rings; inside it only the figures are drawn.
assetcodecs::StripData rose_quarter(int quarter) {
    constexpr int kWidth = 258, kHeight = 202;
    constexpr double kCx = 129, kCy = 192, kRing = 160, kFigures = 139;
    const auto font = font_10();
    std::vector<Canvas> frames;
    for (int k = 0; k < 90; ++k) {
        const int heading = 90 * quarter + k;
        Canvas c(kWidth, kHeight);
        for (int i = 0; i < 7200; ++i) polar_plot(c, kCx, kCy, kRing, i * 0.05, kWhite);
        for (int bearing = 0; bearing < 360; bearing += 5) {
            const double dir = bearing - heading;
            const double length = bearing % 10 == 0 ? 10 : 5;
            for (double r = kRing - length; r <= kRing; r += 0.25) polar_plot(c, kCx, kCy, r, dir, kWhite);
            if (bearing % 30 != 0) continue;
            const std::string figure = bearing == 0     ? "N"
                                       : bearing == 90  ? "E"
                                       : bearing == 180 ? "S"
                                       : bearing == 270 ? "W"
                                                        : std::to_string(bearing / 10);
            const double fx = kCx + kFigures * std::sin(radians(dir));
            const double fy = kCy - kFigures * std::cos(radians(dir));
            // Ink of the capitals spans cell rows 2..8.
            c.text(font, int(std::lround(fx - (Canvas::text_width(font, figure) - 1) / 2.0)), int(std::lround(fy)) - 5,
                   kWhite, figure);
        }
        frames.push_back(std::move(c));
    }
    return make_strip(frames);
}

// Drawn at (96, 223): the aircraft point (103, 232) is pixel (7, 9).
assetcodecs::StripData plane_symbol() {
    Canvas c(15, 15);
    const uint32_t colour = rgb(255, 255, 255);
    c.line(7, 1, 7, 13, colour);
    c.line(1, 8, 13, 8, colour);
    c.line(3, 7, 11, 7, colour);
    c.line(5, 6, 9, 6, colour);
    c.line(5, 13, 9, 13, colour);
    c.plot(6, 12, colour);
    c.plot(8, 12, colour);
    return single(c);
}

// The map symbols are 15 x 15 with their point at pixel (7, 7).
assetcodecs::StripData airport_symbol() {
    Canvas c(15, 15);
    const uint32_t colour = rgb(90, 170, 255);
    for (int i = 0; i < 360; ++i) polar_plot(c, 7, 7, 4, i, colour);
    for (int deg = 0; deg < 360; deg += 90)
        for (double r = 5; r <= 7; r += 0.5) polar_plot(c, 7, 7, r, deg, colour);
    return single(c);
}

assetcodecs::StripData vor_symbol() {
    Canvas c(15, 15);
    const uint32_t colour = rgb(120, 230, 255);
    const int corners[7][2] = {{4, 2}, {10, 2}, {13, 7}, {10, 12}, {4, 12}, {1, 7}, {4, 2}};
    for (int i = 0; i < 6; ++i) c.line(corners[i][0], corners[i][1], corners[i + 1][0], corners[i + 1][1], colour);
    c.fill(7, 7, 7, 7, colour);
    return single(c);
}

assetcodecs::StripData ndb_symbol() {
    Canvas c(15, 15);
    const uint32_t colour = rgb(230, 70, 230);
    c.fill(6, 6, 8, 8, colour);
    for (int deg = 0; deg < 360; deg += 45) polar_plot(c, 7, 7, 3.6, deg, colour);
    for (int i = 0; i < 16; ++i) polar_plot(c, 7, 7, 6.4, i * 22.5, colour);
    return single(c);
}

// Drawn at (176, 0); frame n shows n of the four zoom levels lit. The level
// number is written by the display at (188, 10), in the black window. The
// picture ends above row 21 so that it leaves the distance figure of the
// data block (rows 22..28) readable.
assetcodecs::StripData zoom_selector() {
    const auto micro = font_5();
    std::vector<Canvas> frames;
    for (int level = 0; level <= 4; ++level) {
        Canvas c(30, 21);
        c.fill(0, 0, 29, 20, rgb(35, 35, 35));
        c.frame(0, 0, 29, 20, rgb(120, 120, 120));
        for (int i = 0; i < 4; ++i) {
            const int x = 4 + 6 * i;
            if (i < level)
                c.fill(x, 2, x + 3, 4, rgb(20, 250, 0));
            else
                c.frame(x, 2, x + 3, 4, rgb(80, 80, 80));
        }
        c.frame(9, 8, 20, 20, rgb(120, 120, 120));
        c.fill(10, 9, 19, 19, rgb(0, 0, 0));
        c.text(micro, 3, 12, rgb(200, 200, 200), "-");
        c.text(micro, 23, 12, rgb(200, 200, 200), "+");
        frames.push_back(std::move(c));
    }
    return make_strip(frames);
}

}  // namespace assetgen
