#include "render/clip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using render::ClipPoint;
using render::clip_segment;

// A window the size of the display's map.
constexpr render::ClipWindow kMapWindow{20.0, 50.0, 186.0, 240.0};

void expect_point(const ClipPoint &p, double x, double y) {
    EXPECT_DOUBLE_EQ(p.x, x);
    EXPECT_DOUBLE_EQ(p.y, y);
}

TEST(ClipSegment, BothEndsInsideAreAcceptedUnchanged) {
    ClipPoint a{103, 232}, b{103, 72};
    EXPECT_EQ(clip_segment(a, b, kMapWindow), 1);
    expect_point(a, 103, 232);
    expect_point(b, 103, 72);
}

TEST(ClipSegment, EdgesBelongToTheWindow) {
    ClipPoint a{20, 50}, b{186, 240};
    EXPECT_EQ(clip_segment(a, b, kMapWindow), 1);
    expect_point(a, 20, 50);
    expect_point(b, 186, 240);
}

TEST(ClipSegment, TheClippedEndComesBackInA) {
    ClipPoint a{103, 232}, b{103, 10};
    EXPECT_EQ(clip_segment(a, b, kMapWindow), 1);
    expect_point(a, 103, 50);
    expect_point(b, 103, 232);

    ClipPoint c{103, 10}, d{103, 232};
    EXPECT_EQ(clip_segment(c, d, kMapWindow), 1);
    expect_point(c, 103, 50);
    expect_point(d, 103, 232);
}

TEST(ClipSegment, SlantedSegmentIsMovedAlongItsSlope) {
    // y = x + 132: enters at the left edge, leaves through the bottom.
    ClipPoint a{0, 132}, b{200, 332};
    EXPECT_EQ(clip_segment(a, b, kMapWindow), 1);
    // Both ends were outside; each is moved onto the edge it crossed first.
    const ClipPoint lo = a.y < b.y ? a : b, hi = a.y < b.y ? b : a;
    expect_point(lo, 20, 152);
    expect_point(hi, 108, 240);

    ClipPoint c{103, 232}, d{0, 300};
    EXPECT_EQ(clip_segment(c, d, kMapWindow), 1);
    expect_point(c, 103.0 + (240.0 - 232.0) / (68.0 / -103.0), 240);
    expect_point(d, 103, 232);
}

TEST(ClipSegment, SegmentsSharingAnOutsideSideAreRejected) {
    ClipPoint a{-1e9, 0}, b{19.9, 1e9};
    EXPECT_EQ(clip_segment(a, b, kMapWindow), 0);
    ClipPoint c{0, 10}, d{300, 20};  // both above
    EXPECT_EQ(clip_segment(c, d, kMapWindow), 0);
}

TEST(ClipSegment, MissingTheCornerIsRejectedAfterMoving) {
    // Outside on different sides, passing beyond the top-left corner.
    ClipPoint a{0, 60}, b{30, 0};
    EXPECT_EQ(clip_segment(a, b, kMapWindow), 0);
}

TEST(ClipSegment, DegenerateWindowsAndNonFiniteInputEnd) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ClipPoint a{0, 0}, b{100, 100};
    EXPECT_EQ(clip_segment(a, b, render::ClipWindow{60, 60, 40, 40}), 0);
    ClipPoint c{-inf, 100}, d{inf, 120};
    clip_segment(c, d, kMapWindow);
    ClipPoint e{nan, 100}, f{0, nan};
    clip_segment(e, f, kMapWindow);  // finishing at all is the point here
}

TEST(ToPixel, TruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(render::to_pixel(49.999), 49);
    EXPECT_EQ(render::to_pixel(-0.7), 0);
    EXPECT_EQ(render::to_pixel(-3.9), -3);
    EXPECT_EQ(render::to_pixel(1e300), INT32_MAX);
    EXPECT_EQ(render::to_pixel(-1e300), INT32_MIN);
    EXPECT_EQ(render::to_pixel(std::nan("")), 0);
}

}  // namespace
