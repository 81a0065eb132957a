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

struct KnownLine {
    int x0, y0, x1, y1;
    PixelSet pixels;
};

// Single points, the late minor steps of shallow lines, both orders of the
// ends, a steep line stepping left.
const KnownLine kKnownLines[] = {
    {4, 9, 4, 9, {{4, 9}}},
    {0, 0, 10, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0},
                   {10, 1}}},
    {0, 0, 10, 3, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {7, 2}, {8, 2}, {9, 2},
                   {10, 3}}},
    {10, 20, 0, 15, {{0, 15}, {1, 15}, {2, 16}, {3, 16}, {4, 17}, {5, 17}, {6, 18}, {7, 18},
                     {8, 19}, {9, 19}, {10, 20}}},
    {0, 15, 10, 20, {{0, 15}, {1, 15}, {2, 16}, {3, 16}, {4, 17}, {5, 17}, {6, 18}, {7, 18},
                     {8, 19}, {9, 19}, {10, 20}}},
    {5, 0, 3, 6, {{5, 0}, {5, 1}, {5, 2}, {4, 3}, {4, 4}, {4, 5}, {3, 6}}},
};

TEST(DrawLine, KnownLinesPixelForPixel) {
    for (const KnownLine &l : kKnownLines) {
        TestSurface t(30, 30, 32);
        draw_line(t.get(), l.x0, l.y0, l.x1, l.y1, kInk);
        EXPECT_EQ(t.written(), l.pixels) << l.x0 << "," << l.y0 << " " << l.x1 << "," << l.y1;
    }
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

PixelSet row_of(int y, int from, int to) {
    PixelSet out;
    for (int x = from; x < to; ++x) out.insert({x, y});
    return out;
}

// Lines reaching far off a 16 x 8 surface finish at once and keep exactly the
// pixels of the whole walk that fall on it (found by walking the lines in full).
TEST(DrawLine, ExtremeEndpointsFinishAndDrawTheirVisiblePart) {
    PixelSet diagonal, steep, leftwards = row_of(3, 1, 16);
    for (int i = 0; i < 8; ++i) diagonal.insert({i, i}), steep.insert({7, i});
    leftwards.insert({0, 4});  // its minor step falls on column 0
    const KnownLine lines[] = {
        {INT_MIN, 5, INT_MAX, 5, row_of(5, 0, 16)},
        {INT_MAX, INT_MAX, INT_MIN, INT_MIN, diagonal},
        {-2000000000, -3, 2000000000, 9, row_of(3, 0, 16)},
        {INT_MIN, 8, INT_MAX, 0, leftwards},
        {-5, INT_MIN, 20, INT_MAX, steep},
    };
    for (const KnownLine &l : lines) {
        TestSurface t(16, 8, 20);
        draw_line(t.get(), l.x0, l.y0, l.x1, l.y1, kInk);
        EXPECT_EQ(t.written(), l.pixels) << l.x0 << "," << l.y0 << " " << l.x1 << "," << l.y1;
        EXPECT_TRUE(t.outside_untouched());
    }
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
    PixelSet expected = row_of(0, 0, 10);
    expected.merge(row_of(4, 0, 10));
    expected.merge(row_of(5, 0, 10));
    EXPECT_EQ(t.written(), expected);
    EXPECT_TRUE(t.outside_untouched());

    // A pitch below the width: rows must not reach into the words after.
    TestSurface narrow(12, 4, 8);
    fill_rect(narrow.get(), 0, 0, 12, 4, kInk);
    draw_line(narrow.get(), 0, 3, 11, 3, kInk);
    EXPECT_TRUE(narrow.guard_untouched());
}

TEST(FillRect, WholeRowsOfAnUnpaddedSurfaceStopAtTheirLastRow) {
    // Long runs are written in growing copies; the last one must end exactly.
    for (int width : {301, 4099}) {
        TestSurface t(width, 40, width);
        fill_rect(t.get(), -1, 3, width + 1, 37, kInk);
        PixelSet expected;
        for (int y = 3; y < 37; ++y) expected.merge(row_of(y, 0, width));
        EXPECT_EQ(t.written(), expected);
        EXPECT_TRUE(t.guard_untouched());
    }
}

TEST(DrawCircle, RadiusOneWritesTheFourNeighboursAndBelowOneNothing) {
    TestSurface t(12, 12, 15);
    draw_circle(t.get(), 5, 5, 0, kInk);
    draw_circle(t.get(), 5, 5, -4, kInk);
    EXPECT_TRUE(t.written().empty());
    draw_circle(t.get(), 5, 5, 1, kInk);
    EXPECT_EQ(t.written(), (PixelSet{{5, 6}, {5, 4}, {6, 5}, {4, 5}}));
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

    TestSurface corner(12, 12, 15);
    draw_cross_mark(corner.get(), 0, 0);
    draw_cross_mark(corner.get(), INT_MIN, INT_MAX);
    EXPECT_EQ(corner.written(), (PixelSet{{0, 3}, {3, 0}}));
    EXPECT_TRUE(corner.outside_untouched());
}

}  // namespace
