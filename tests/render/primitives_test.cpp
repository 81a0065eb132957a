#include "render/primitives.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "test_surface.h"

namespace {

using render_test::PixelSet;
using render_test::TestSurface;
using namespace render;

constexpr uint32_t kInk = 0x00123456;

// The line as stated, without any bounds: every pixel it names, in order.
std::vector<std::pair<int64_t, int64_t>> reference_line(int64_t x0, int64_t y0, int64_t x1,
                                                        int64_t y1) {
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    int64_t dy = y1 - y0, dx = x1 - x0, step = dx < 0 ? -1 : 1;
    if (dx < 0) dx = -dx;
    std::vector<std::pair<int64_t, int64_t>> out;
    int64_t x = x0, y = y0;
    if (dx > dy) {
        for (int64_t i = 0, e = 2 * dy - dx; i <= dx; ++i, e += dy, x += step) {
            out.push_back({x, y});
            if (e > 0) ++y, e -= dx;
        }
    } else {
        for (int64_t i = 0, e = 2 * dx - dy; i <= dy; ++i, e += dx, ++y) {
            out.push_back({x, y});
            if (e > 0) x += step, e -= dy;
        }
    }
    return out;
}

PixelSet visible(const std::vector<std::pair<int64_t, int64_t>> &pixels, int width, int height) {
    PixelSet out;
    for (auto [x, y] : pixels)
        if (x >= 0 && y >= 0 && x < width && y < height) out.insert({int(x), int(y)});
    return out;
}

TEST(Rgb, PacksRedGreenBlueWithTopByteZero) {
    EXPECT_EQ(rgb(20, 250, 0), 0x0014FA00u);
    EXPECT_EQ(rgb(255, 255, 255), 0x00FFFFFFu);
    EXPECT_EQ(rgb(0, 0, 0), 0u);
    EXPECT_EQ(kCrossMarkColour, 0x00FF00FFu);
}

TEST(SurfaceClear, ZeroesEveryRowUpToThePitchAndNothingAfter) {
    TestSurface t(7, 5, 11);
    surface_clear(t.get());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 11; ++x) EXPECT_EQ(t.at(x, y), 0u) << x << "," << y;
    EXPECT_TRUE(t.guard_untouched());
}

TEST(NullPixels, EveryPrimitiveDoesNothing) {
    DrawSurface s{nullptr, 10, 10, 10};
    surface_clear(&s);
    surface_plot(&s, 1, 1, kInk);
    draw_line(&s, 0, 0, 9, 9, kInk);
    fill_rect(&s, 0, 0, 10, 10, kInk);
    draw_circle(&s, 5, 5, 3, kInk);
    draw_cross_mark(&s, 5, 5);
    surface_clear(nullptr);
    draw_line(nullptr, 0, 0, 1, 1, kInk);
    SUCCEED();
}

TEST(SurfacePlot, WritesInsideAndDropsEveryPixelOutside) {
    TestSurface t(8, 6, 12);
    for (int y = -2; y < 9; ++y)
        for (int x = -2; x < 14; ++x) surface_plot(t.get(), x, y, kInk);
    surface_plot(t.get(), INT_MIN, INT_MAX, kInk);
    EXPECT_EQ(t.written().size(), 8u * 6u);
    EXPECT_EQ(t.at(7, 5), kInk);
    EXPECT_TRUE(t.outside_untouched());
}

TEST(DrawLine, EqualEndpointsWriteOnePixel) {
    TestSurface t(20, 20, 24);
    draw_line(t.get(), 4, 9, 4, 9, kInk);
    EXPECT_EQ(t.written(), (PixelSet{{4, 9}}));
}

TEST(DrawLine, ShallowLinesStepLate) {
    TestSurface a(20, 20, 24);
    draw_line(a.get(), 0, 0, 10, 1, kInk);
    EXPECT_EQ(a.written(), (PixelSet{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0},
                                     {7, 0}, {8, 0}, {9, 0}, {10, 1}}));
    TestSurface b(20, 20, 24);
    draw_line(b.get(), 0, 0, 10, 3, kInk);
    EXPECT_EQ(b.written(), (PixelSet{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 2},
                                     {7, 2}, {8, 2}, {9, 2}, {10, 3}}));
}

TEST(DrawLine, IsDrawnDownwardsWhicheverEndComesFirst) {
    const PixelSet expected{{0, 15}, {1, 15}, {2, 16}, {3, 16}, {4, 17}, {5, 17},
                            {6, 18}, {7, 18}, {8, 19}, {9, 19}, {10, 20}};
    TestSurface a(30, 30, 32), b(30, 30, 32);
    draw_line(a.get(), 10, 20, 0, 15, kInk);
    draw_line(b.get(), 0, 15, 10, 20, kInk);
    EXPECT_EQ(a.written(), expected);
    EXPECT_EQ(b.written(), expected);
}

TEST(DrawLine, SteepLineStepsLeft) {
    TestSurface t(10, 10, 13);
    draw_line(t.get(), 5, 0, 3, 6, kInk);
    EXPECT_EQ(t.written(), (PixelSet{{5, 0}, {5, 1}, {5, 2}, {4, 3}, {4, 4}, {4, 5}, {3, 6}}));
}

// The guard drops what lies off the surface and nothing else, however far
// the line reaches; pixels in the padding columns are off the surface.
TEST(DrawLine, GuardKeepsExactlyTheVisiblePixels) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> coord(-90, 120);
    for (int i = 0; i < 3000; ++i) {
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        TestSurface t(37, 23, 41);
        draw_line(t.get(), x0, y0, x1, y1, kInk);
        ASSERT_EQ(t.written(), visible(reference_line(x0, y0, x1, y1), 37, 23))
            << x0 << "," << y0 << " " << x1 << "," << y1;
        ASSERT_TRUE(t.outside_untouched());
    }
}

TEST(DrawLine, ExtremeEndpointsFinishAndDrawTheirVisiblePart) {
    TestSurface row(16, 8, 20);
    draw_line(row.get(), INT_MIN, 5, INT_MAX, 5, kInk);
    PixelSet full_row;
    for (int x = 0; x < 16; ++x) full_row.insert({x, 5});
    EXPECT_EQ(row.written(), full_row);

    TestSurface diagonal(16, 8, 20);
    draw_line(diagonal.get(), INT_MAX, INT_MAX, INT_MIN, INT_MIN, kInk);
    PixelSet cells;
    for (int i = 0; i < 8; ++i) cells.insert({i, i});
    EXPECT_EQ(diagonal.written(), cells);

    // A long shallow line whose visible part starts deep into the walk.
    const int64_t x0 = -2000000000, y0 = -3, x1 = 2000000000, y1 = 9;
    TestSurface shallow(16, 8, 20);
    draw_line(shallow.get(), int32_t(x0), int32_t(y0), int32_t(x1), int32_t(y1), kInk);
    PixelSet expected;
    // Its row changes once every third of a billion columns; around x = 0 it
    // is row 3. These expectations come from walking the whole line.
    for (int x = 0; x < 16; ++x) expected.insert({x, 3});
    EXPECT_EQ(shallow.written(), expected);

    // Walking leftwards, its minor step falling on the visible column 0.
    TestSurface leftwards(16, 8, 20);
    draw_line(leftwards.get(), INT_MIN, 8, INT_MAX, 0, kInk);
    expected.clear();
    for (int x = 1; x < 16; ++x) expected.insert({x, 3});
    expected.insert({0, 4});
    EXPECT_EQ(leftwards.written(), expected);

    TestSurface steep(16, 8, 20);
    draw_line(steep.get(), -5, INT_MIN, 20, INT_MAX, kInk);
    expected.clear();
    for (int y = 0; y < 8; ++y) expected.insert({7, y});
    EXPECT_EQ(steep.written(), expected);
    for (TestSurface *t : {&row, &diagonal, &shallow, &leftwards, &steep})
        EXPECT_TRUE(t->outside_untouched());
}

TEST(FillRect, IsHalfOpenAndEmptyWhenAnEdgePairMeets) {
    TestSurface t(20, 20, 23);
    fill_rect(t.get(), 5, 5, 5, 9, kInk);
    fill_rect(t.get(), 5, 5, 9, 5, kInk);
    fill_rect(t.get(), 9, 5, 5, 9, kInk);
    fill_rect(t.get(), 5, 9, 9, 5, kInk);
    EXPECT_TRUE(t.written().empty());
    fill_rect(t.get(), 2, 3, 4, 5, kInk);
    EXPECT_EQ(t.written(), (PixelSet{{2, 3}, {3, 3}, {2, 4}, {3, 4}}));
}

TEST(FillRect, BottomPanelOfTheDisplay) {
    TestSurface t(206, 330, 213);
    fill_rect(t.get(), 0, 242, 206, 330, kInk);
    PixelSet expected;
    for (int y = 242; y < 330; ++y)
        for (int x = 0; x < 206; ++x) expected.insert({x, y});
    EXPECT_EQ(t.written(), expected);
    EXPECT_TRUE(t.outside_untouched());
}

TEST(FillRect, IsCutToTheSurface) {
    TestSurface t(10, 6, 14);
    fill_rect(t.get(), -5, 4, 30, 100, kInk);
    fill_rect(t.get(), INT_MIN, INT_MIN, INT_MAX, 1, kInk);
    PixelSet expected;
    for (int x = 0; x < 10; ++x) expected.insert({x, 0}), expected.insert({x, 4}),
                                     expected.insert({x, 5});
    EXPECT_EQ(t.written(), expected);
    EXPECT_TRUE(t.outside_untouched());
}

TEST(FillRect, WholeRowsOfAnUnpaddedSurfaceStopAtTheirLastRow) {
    // Long runs are written in growing copies; the last one must end exactly.
    for (int width : {301, 4099}) {
        TestSurface t(width, 40, width);
        fill_rect(t.get(), -1, 3, width + 1, 37, kInk);
        PixelSet expected;
        for (int y = 3; y < 37; ++y)
            for (int x = 0; x < width; ++x) expected.insert({x, y});
        EXPECT_EQ(t.written(), expected);
        EXPECT_TRUE(t.guard_untouched());
        for (int y = 3; y < 37; ++y) ASSERT_EQ(t.at(width - 1, y), kInk);
    }
}

TEST(FillRect, NeverPassesThePitchOfANarrowPitchSurface) {
    // A pitch below the width: rows must not reach into the next row's words.
    TestSurface t(12, 4, 8);
    fill_rect(t.get(), 0, 0, 12, 4, kInk);
    draw_line(t.get(), 0, 3, 11, 3, kInk);
    EXPECT_TRUE(t.guard_untouched());
}

TEST(DrawCircle, RadiusOneWritesTheFourNeighbours) {
    TestSurface t(12, 12, 15);
    draw_circle(t.get(), 5, 5, 1, kInk);
    EXPECT_EQ(t.written(), (PixelSet{{5, 6}, {5, 4}, {6, 5}, {4, 5}}));
}

TEST(DrawCircle, RadiusBelowOneWritesNothing) {
    TestSurface t(12, 12, 15);
    draw_circle(t.get(), 5, 5, 0, kInk);
    draw_circle(t.get(), 5, 5, -4, kInk);
    EXPECT_TRUE(t.written().empty());
}

const PixelSet kRadius3{{5, 8}, {5, 2}, {8, 5}, {2, 5}, {6, 8}, {4, 8}, {6, 2}, {4, 2},
                        {8, 6}, {2, 6}, {8, 4}, {2, 4}, {7, 7}, {3, 7}, {7, 3}, {3, 3}};

TEST(DrawCircle, MidpointOutline) {
    TestSurface t(12, 12, 15);
    draw_circle(t.get(), 5, 5, 3, kInk);
    EXPECT_EQ(t.written(), kRadius3);
}

TEST(DrawCircle, PartlyOutsideDrawsItsVisiblePartOnly) {
    TestSurface t(4, 4, 9);
    draw_circle(t.get(), 1, 1, 3, kInk);  // kRadius3 shifted by (-4, -4)
    PixelSet expected;
    for (auto [x, y] : kRadius3)
        if (x - 4 >= 0 && y - 4 >= 0 && x - 4 < 4 && y - 4 < 4) expected.insert({x - 4, y - 4});
    EXPECT_EQ(t.written(), expected);
    EXPECT_TRUE(t.outside_untouched());
    draw_circle(t.get(), INT_MAX, INT_MIN, 5, kInk);
    EXPECT_EQ(t.written(), expected);
}

TEST(DrawCrossMark, FourMagentaPixelsAroundAnEmptyCentre) {
    TestSurface t(12, 12, 15);
    draw_cross_mark(t.get(), 5, 5);
    EXPECT_EQ(t.written(), (PixelSet{{5, 2}, {5, 8}, {2, 5}, {8, 5}}));
    EXPECT_EQ(t.at(5, 2), rgb(255, 0, 255));
}

TEST(DrawCrossMark, AtTheCornerOnlyTwoArmsShow) {
    TestSurface t(12, 12, 15);
    draw_cross_mark(t.get(), 0, 0);
    EXPECT_EQ(t.written(), (PixelSet{{0, 3}, {3, 0}}));
    draw_cross_mark(t.get(), INT_MIN, INT_MAX);
    EXPECT_TRUE(t.outside_untouched());
}

}  // namespace
