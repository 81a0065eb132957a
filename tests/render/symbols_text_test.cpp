#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "frame/host_api.h"
#include "frame/plugin.h"
#include "host/host.h"
#include "render/primitives.h"
#include "render/symbols.h"
#include "render/text.h"

namespace {

using namespace render;

struct Rose {
    bool shown;
    int quarter;
    int32_t frame;
    bool operator==(const Rose &) const = default;
};

Rose rose_for(float heading) {
    const RoseFrame r = rose_frame(whole_degrees(heading));
    return {r.shown, r.quarter, r.frame};
}

TEST(RoseFrame, QuarterAndFrameFromTheWholeDegreeHeading) {
    EXPECT_EQ(rose_for(0.0f), (Rose{true, 0, 0}));
    EXPECT_EQ(rose_for(89.9f), (Rose{true, 0, 89}));
    EXPECT_EQ(rose_for(90.0f), (Rose{true, 1, 0}));
    EXPECT_EQ(rose_for(269.5f), (Rose{true, 2, 89}));
    EXPECT_EQ(rose_for(359.99f), (Rose{true, 3, 89}));
    EXPECT_EQ(rose_for(-0.5f), (Rose{true, 0, 0}));
    EXPECT_FALSE(rose_for(-1.0f).shown);
}

TEST(RoseFrame, HeadingsPastTheCircleStayInTheLastStrip) {
    EXPECT_EQ(rose_for(360.0f), (Rose{true, 3, 90}));
    EXPECT_EQ(rose_for(1000.0f), (Rose{true, 3, 730}));
    EXPECT_EQ(whole_degrees(NAN), 0);
    EXPECT_EQ(whole_degrees(1e30f), INT32_MAX);
    EXPECT_EQ(whole_degrees(-1e30f), INT32_MIN);
    EXPECT_FALSE(rose_frame(INT32_MIN).shown);
    EXPECT_EQ(rose_frame(INT32_MAX).frame, INT32_MAX - 270);
}

// The helpers against the project's host: what reaches which entry.
class HostDrawing : public ::testing::Test {
protected:
    void SetUp() override { frame::install_services(host.services(), 1); }

    template <size_t N>
    static void name(char (&field)[N], const char *file) {
        frame::set_record_name(field, file);
    }

    panelhost::Host host;
    uint32_t pixels[4] = {};
    DrawSurface surface{pixels, 2, 2, 2};
};

TEST_F(HostDrawing, TheRoseGoesToTheBitmapServiceAtItsCorner) {
    BitmapRecord rose[kRoseQuarters] = {};
    name(rose[0].name, "89ROSE.PBG");
    name(rose[1].name, "179ROSE.PBG");
    name(rose[2].name, "269ROSE.PBG");
    name(rose[3].name, "359ROSE.PBG");
    BitmapRecord *const strips[kRoseQuarters] = {&rose[0], &rose[1], &rose[2], &rose[3]};

    draw_rose(&surface, strips, whole_degrees(200.7f), {-26, 40});
    draw_rose(&surface, strips, whole_degrees(-1.0f), {-26, 40});
    draw_rose(&surface, strips, whole_degrees(45.2f), {3, 4});

    EXPECT_EQ(host.log().of(kEntryBitmapDraw),
              (std::vector<std::string>{"host_bitmap_draw(\"269ROSE.PBG\", -26, 40, 20)",
                                        "host_bitmap_draw(\"89ROSE.PBG\", 3, 4, 45)"}));
}

TEST_F(HostDrawing, AFixedTextGoesToTheTextService) {
    FontRecord ascii = {};
    name(ascii.name, "FTASCI10.RAW");
    draw_text(&surface, &ascii, 18, 250, rgb(20, 250, 0), "DTK : ");
    EXPECT_EQ(host.log().of_any({kEntryFontDrawText, kEntryFontDrawLabel}),
              (std::vector<std::string>{"host_font_draw_text(\"FTASCI10.RAW\", 18, 250, 0x14fa00, \"DTK : \")"}));
}

}  // namespace
