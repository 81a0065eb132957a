// Drawing fonts and bitmaps onto surfaces: clipping, transparency, frames.
#include <gtest/gtest.h>

#include <climits>

#include "assetcodecs/raster_bitmap.h"
#include "assetcodecs/raster_font.h"
#include "tests/assets/test_support.h"

namespace {

using assets_test::GuardedSurface;
using assets_test::kBackground;

// What the surface must hold after drawing frame `f` of checker_strip(w, h)
// at (x, y): computed pixel by pixel, independently of the clipper.
void expect_checker(GuardedSurface &g, int x, int y, int w, int h, int f) {
    for (int sy = 0; sy < g.height; ++sy)
        for (int sx = 0; sx < g.width; ++sx) {
            const int64_t px = int64_t(sx) - x, py = int64_t(sy) - y;
            uint32_t want = kBackground;
            if (px >= 0 && py >= 0 && px < w && py < h && (px + py) % 2 == 0)
                want = uint32_t(f) << 16 | uint32_t(py) << 8 | uint32_t(px);
            ASSERT_EQ(g.at(sx, sy), want) << "surface pixel " << sx << "," << sy << " drawn at " << x << "," << y;
        }
}

TEST(BitmapDraw, ClipsAtEveryEdgeAndCornerWithoutTouchingGuards) {
    const assetcodecs::RasterBitmap bmp(assets_test::checker_strip(7, 5, 3));
    const int positions[] = {-7, -6, -3, 0, 2, 9, 12, 13, 100, INT_MIN, INT_MAX, INT_MIN + 3, INT_MAX - 3};
    for (int x : positions)
        for (int y : positions) {
            GuardedSurface g(13, 11, 17);
            bmp.draw(g.surface, x, y, 1);
            ASSERT_TRUE(g.guards_intact()) << x << "," << y;
            expect_checker(g, x, y, 7, 5, 1);
        }
}

TEST(BitmapDraw, PicksTheFrameAndIgnoresFramesOutsideTheStrip) {
    const assetcodecs::RasterBitmap bmp(assets_test::checker_strip(4, 4, 3));
    EXPECT_EQ(bmp.frame_count(), 3);
    EXPECT_EQ(bmp.width(), 4);
    EXPECT_EQ(bmp.height(), 4);
    for (int f = 0; f < 3; ++f) {
        GuardedSurface g(6, 6, 6);
        bmp.draw(g.surface, 1, 2, f);
        expect_checker(g, 1, 2, 4, 4, f);
    }
    for (int f : {-1, 3, 90, INT_MAX, INT_MIN}) {
        GuardedSurface g(6, 6, 6);
        bmp.draw(g.surface, 0, 0, f);
        expect_checker(g, 100, 100, 4, 4, 0);  // nothing drawn
    }
}

TEST(BitmapDraw, UnusableSurfacesAreLeftAlone) {
    const assetcodecs::RasterBitmap bmp(assets_test::checker_strip(4, 4, 1));
    GuardedSurface g(6, 6, 6);
    for (DrawSurface s : {DrawSurface{nullptr, 6, 6, 6}, DrawSurface{g.surface.pixels, 0, 6, 6},
                          DrawSurface{g.surface.pixels, 6, -1, 6}, DrawSurface{g.surface.pixels, 6, 6, 5}})
        bmp.draw(s, 0, 0, 0);
    expect_checker(g, 100, 100, 4, 4, 0);
}

constexpr uint32_t kInk = 0x00ABCDEFu;

TEST(FontDraw, WritesGlyphsAtThePenWithAdvancesAndReplacement) {
    const assetcodecs::RasterFont font(assets_test::small_font());
    GuardedSurface g(16, 6, 20);
    // 'B' one pixel at its corner, advance 3; 'z' lacks a glyph and is drawn
    // as 'A' (full 3 x 4 block, advance 4); then 'B' again.
    font.draw(g.surface, 1, 1, 0xFF000000u | kInk, "BzB", false);
    EXPECT_TRUE(g.guards_intact());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool ink = (x == 1 && y == 1) || (x >= 4 && x < 7 && y >= 1 && y < 5) || (x == 8 && y == 1);
            ASSERT_EQ(g.at(x, y), ink ? kInk : kBackground) << x << "," << y;  // top byte dropped
        }
    EXPECT_EQ(font.text_width("BzB"), 3 + 4 + 3);
}

TEST(FontDraw, ClipsTextAtEveryEdge) {
    const assetcodecs::RasterFont font(assets_test::small_font());
    const int positions[] = {-20, -12, -2, 0, 5, 9, 10, 40, INT_MIN, INT_MAX, INT_MAX - 5, INT_MIN + 2};
    for (bool label : {false, true})
        for (int x : positions)
            for (int y : positions) {
                GuardedSurface g(10, 9, 13);
                font.draw(g.surface, x, y, kInk, "AAAAAAAA", label);
                ASSERT_TRUE(g.guards_intact()) << x << "," << y << " label " << label;
                // Eight full blocks 4 apart: ink where 0 <= (px mod 4) < 3, within 32 x 4.
                for (int sy = 0; sy < 9; ++sy)
                    for (int sx = 0; sx < 10; ++sx) {
                        const int64_t px = int64_t(sx) - x, py = int64_t(sy) - y;
                        const bool in_box = px >= 0 && px < 32 && py >= 0 && py < 4;
                        const uint32_t want = in_box && px % 4 < 3 ? kInk : in_box && label ? 0u : kBackground;
                        ASSERT_EQ(g.at(sx, sy), want) << sx << "," << sy << " at " << x << "," << y;
                    }
            }
}

TEST(FontDraw, LabelsBlankTheirBoxAndEmptyTextDrawsNothing) {
    const assetcodecs::RasterFont font(assets_test::small_font());
    GuardedSurface g(12, 6, 12);
    font.draw(g.surface, 2, 1, kInk, "C", true);  // empty glyph, advance 2
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(g.at(x, y), (x >= 2 && x < 4 && y >= 1 && y < 5) ? 0u : kBackground);
    GuardedSurface e(4, 4, 4);
    font.draw(e.surface, 0, 0, kInk, "", true);
    font.draw(DrawSurface{nullptr, 4, 4, 4}, 0, 0, kInk, "AAA", true);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(e.at(x, y), kBackground);
}

}  // namespace
