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

TEST(SymbolPlacement, CornersOfTheFixedPicturesAndSymbols) {
    EXPECT_EQ(symbol_corner({50, 100}).x, 43);
    EXPECT_EQ(symbol_corner({50, 100}).y, 93);
    EXPECT_EQ(kPlaneCorner.x, 96);
    EXPECT_EQ(kPlaneCorner.y, 223);
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

TEST_F(HostDrawing, RoseAndSymbolsGoToTheBitmapService) {
    BitmapRecord rose[kRoseQuarters] = {};
    name(rose[0].name, "89ROSE.PBG");
    name(rose[1].name, "179ROSE.PBG");
    name(rose[2].name, "269ROSE.PBG");
    name(rose[3].name, "359ROSE.PBG");
    BitmapRecord *const strips[kRoseQuarters] = {&rose[0], &rose[1], &rose[2], &rose[3]};
    BitmapRecord airport = {};
    name(airport.name, "airp2.PBM");

    draw_rose(&surface, strips, whole_degrees(200.7f));
    draw_rose(&surface, strips, whole_degrees(-1.0f));
    draw_symbol(&surface, &airport, {50, 100});
    draw_picture(&surface, &airport, kPlaneCorner);

    EXPECT_EQ(host.log().of(kEntryBitmapDraw),
              (std::vector<std::string>{"host_bitmap_draw(\"269ROSE.PBG\", -26, 40, 20)",
                                        "host_bitmap_draw(\"airp2.PBM\", 43, 93, 0)",
                                        "host_bitmap_draw(\"airp2.PBM\", 96, 223, 0)"}));
}

TEST_F(HostDrawing, ZoomSelectorOnlyWithAnAutoValue) {
    BitmapRecord selector = {};
    FontRecord ascii = {};
    name(selector.name, "nd_zark_selector.pbg");
    name(ascii.name, "FTASCI10.RAW");
    char buf[16];
    draw_zoom_selector(&surface, &selector, &ascii, 0, 2, buf, sizeof buf);
    EXPECT_TRUE(host.log().calls().empty());
    draw_zoom_selector(&surface, &selector, &ascii, 3, 3, buf, sizeof buf);
    EXPECT_EQ(host.log().of_any({kEntryBitmapDraw, kEntryFontDrawText}),
              (std::vector<std::string>{
                  "host_bitmap_draw(\"nd_zark_selector.pbg\", 176, 0, 3)",
                  "host_font_draw_text(\"FTASCI10.RAW\", 188, 10, 0xffffff, \"3\")"}));
}

TEST_F(HostDrawing, TextsAreFormattedWhole) {
    FontRecord micro = {}, ascii = {};
    name(micro.name, "FTMICRO5.RAW");
    name(ascii.name, "FTASCI10.RAW");
    char buf[64];
    draw_textf(&surface, &micro, 4, 5, rgb(255, 0, 255), buf, sizeof buf, "%03.0f", 1000.4f);
    draw_labelf(&surface, &ascii, 99, 154, rgb(127, 127, 127), buf, sizeof buf, "%d", 1350 / 75);
    draw_text(&surface, &ascii, 18, 250, rgb(20, 250, 0), "DTK : ");

    EXPECT_EQ(host.log().of_any({kEntryFontDrawText, kEntryFontDrawLabel}),
              (std::vector<std::string>{
                  "host_font_draw_text(\"FTMICRO5.RAW\", 4, 5, 0xff00ff, \"1000\")",
                  "host_font_draw_label(\"FTASCI10.RAW\", 99, 154, 0x7f7f7f, \"18\")",
                  "host_font_draw_text(\"FTASCI10.RAW\", 18, 250, 0x14fa00, \"DTK : \")"}));
}

TEST_F(HostDrawing, AShortBufferGivesATerminatedText) {
    FontRecord font = {};
    name(font.name, "FTTINY7.RAW");
    char buf[3];
    draw_textf(&surface, &font, 0, 0, 0, buf, sizeof buf, "%+03.0f", -5.0);
    draw_textf(&surface, &font, 0, 0, 0, nullptr, 0, "%d", 7);
    EXPECT_EQ(host.log().of(kEntryFontDrawText),
              (std::vector<std::string>{"host_font_draw_text(\"FTTINY7.RAW\", 0, 0, 0x000000, \"-0\")",
                                        "host_font_draw_text(\"FTTINY7.RAW\", 0, 0, 0x000000, \"\")"}));
}

}  // namespace
