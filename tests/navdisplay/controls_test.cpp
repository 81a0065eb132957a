// The click rules of the button row and the zoom corner.
#include <gtest/gtest.h>

#include "navdisplay/controls.h"
#include "tests/navdisplay/display_fixture.h"

namespace navdisplay {
namespace {

constexpr uint32_t kLeft = 0x1, kRight = 0x2, kMiddle = 0x4;

uint32_t after_clicks(uint32_t options, int x, int clicks) {
    DisplayState s;
    s.options = options;
    for (int i = 0; i < clicks; ++i) apply_click(s, 0, x, 300, kLeft);
    return s.options;
}

TEST(Controls, AirportButtonCycle) {
    const uint32_t base = OPT_ENABLED | OPT_VOR | OPT_NDB;
    EXPECT_EQ(after_clicks(base | OPT_APT, 14, 1), base | OPT_APT | OPT_APT_ID);
    EXPECT_EQ(after_clicks(base | OPT_APT, 14, 2), base | OPT_APT | OPT_APT_BRG);
    EXPECT_EQ(after_clicks(base | OPT_APT, 14, 3), base | OPT_APT | OPT_APT_ID | OPT_APT_BRG);
    EXPECT_EQ(after_clicks(base | OPT_APT, 14, 4), base);
    EXPECT_EQ(after_clicks(base, 14, 1), base | OPT_APT);
}

TEST(Controls, NavaidButtonCycles) {
    struct Bits {
        int x;
        uint32_t layer, id, freq, brg;
    };
    for (const Bits &b : {Bits{42, OPT_VOR, OPT_VOR_ID, OPT_VOR_FREQ, OPT_VOR_BRG},
                          Bits{74, OPT_NDB, OPT_NDB_ID, OPT_NDB_FREQ, OPT_NDB_BRG}}) {
        SCOPED_TRACE(b.x);
        EXPECT_EQ(after_clicks(0, b.x, 1), b.layer);
        EXPECT_EQ(after_clicks(0, b.x, 2), b.layer | b.id);
        EXPECT_EQ(after_clicks(0, b.x, 3), b.layer | b.id | b.freq);
        EXPECT_EQ(after_clicks(0, b.x, 4), b.layer | b.id | b.freq | b.brg);
        EXPECT_EQ(after_clicks(0, b.x, 5), 0u);
    }
}

TEST(Controls, WaypointTrafficAndRouteButtons) {
    EXPECT_EQ(after_clicks(0, 105, 1), OPT_WPT);
    EXPECT_EQ(after_clicks(0, 105, 2), OPT_WPT | OPT_WPT_ID);
    EXPECT_EQ(after_clicks(0, 105, 3), OPT_WPT | OPT_WPT_ID | OPT_WPT_BRG);
    EXPECT_EQ(after_clicks(0, 105, 4), 0u);
    EXPECT_EQ(after_clicks(OPT_APT, 137, 1), OPT_APT | OPT_TRAFFIC);
    EXPECT_EQ(after_clicks(OPT_APT, 137, 2), OPT_APT);
    EXPECT_EQ(after_clicks(OPT_APT, 170, 1), OPT_APT | OPT_ROUTE);
    EXPECT_EQ(after_clicks(OPT_APT, 170, 2), OPT_APT);
}

TEST(Controls, ButtonRowBounds) {
    // Each button takes x strictly within 10 of its centre.
    const int centres[] = {14, 42, 74, 105, 137, 170};
    for (int c : centres) {
        SCOPED_TRACE(c);
        EXPECT_NE(after_clicks(0, c - 9, 1), 0u);
        EXPECT_NE(after_clicks(0, c + 9, 1), 0u);
        EXPECT_EQ(after_clicks(0, c - 10, 1), 0u);
        EXPECT_EQ(after_clicks(0, c + 10, 1), 0u);
    }
    DisplayState s;
    s.options = 0;
    apply_click(s, 0, 14, 295, kLeft);
    EXPECT_EQ(s.options, 0u) << "y must exceed 295";
    apply_click(s, 0, 14, 296, kLeft);
    EXPECT_EQ(s.options, OPT_APT);
    apply_click(s, 1, 14, 300, kRight | kMiddle);
    EXPECT_EQ(s.options, OPT_APT) << "only the left button works in the row";
}

TEST(Controls, ZoomCorner) {
    DisplayState s;
    s.zoom_level = 1;
    apply_click(s, 1, 180, 10, kLeft);
    EXPECT_EQ(s.zoom_level, 1);
    s.zoom_level = 4;
    apply_click(s, 1, 180, 10, kRight);
    EXPECT_EQ(s.zoom_level, 4);
    apply_click(s, 1, 177, 0, kLeft);
    EXPECT_EQ(s.zoom_level, 3) << "the corner's edges belong to it";
    apply_click(s, 1, 200, 32, kMiddle);
    EXPECT_EQ(s.zoom_level, 4);
    apply_click(s, 1, 176, 10, kLeft);
    apply_click(s, 1, 180, 33, kLeft);
    apply_click(s, 1, 180, -1, kLeft);
    apply_click(s, 1, 180, 10, 0);
    EXPECT_EQ(s.zoom_level, 4) << "outside the corner, or no button";

    s.zoom_level = 7;  // as the tag 'auto' may set it
    apply_click(s, 1, 180, 10, kLeft);
    EXPECT_EQ(s.zoom_level, 6);
    s.zoom_level = 7;
    apply_click(s, 1, 180, 10, kRight);
    EXPECT_EQ(s.zoom_level, 4);
    s.zoom_level = INT32_MIN;
    apply_click(s, 1, 180, 10, kLeft);
    EXPECT_EQ(s.zoom_level, 1);

    s.zoom_level = 2;
    for (uint32_t buttons : {kLeft, kRight, kMiddle}) apply_click(s, 0, 180, 10, buttons);
    EXPECT_EQ(s.zoom_level, 2) << "without the auto value the corner does nothing";
}

}  // namespace
}  // namespace navdisplay

namespace navdisplay_test {
namespace {

class ControlsThroughHost : public DisplayTest {};

TEST_F(ControlsThroughHost, ClicksChangeTheNextFrameAndReturnZero) {
    start(definition("auto 2\n"));
    EXPECT_EQ(display->mouse(surface, 180, 10, 0x1), 0);
    EXPECT_EQ(display->mouse(surface, 14, 300, 0x1), 0);
    host->log().clear();
    draw();
    EXPECT_TRUE(called(kEntryBitmapDraw, "host_bitmap_draw(\"nd_zark_selector.pbg\", 176, 0, 1)"));
    EXPECT_TRUE(called(kEntryFontDrawLabel, "host_font_draw_label(\"FTASCI10.RAW\", 99, 154, 0x7f7f7f, \"6\")"));
    EXPECT_EQ(pixel(13, 307), kDarkGreen) << "airports still on, now with identifiers";
    click(14, 300);
    click(14, 300);
    click(14, 300);
    draw();
    EXPECT_EQ(pixel(13, 307), kNearBlack) << "airports off";
}

}  // namespace
}  // namespace navdisplay_test
