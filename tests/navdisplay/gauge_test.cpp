// The gauge's life: gating, zoom sources, tags, start and shared state.
#include <algorithm>

#include "tests/navdisplay/display_fixture.h"

namespace navdisplay_test {
namespace {

class GaugeTest : public DisplayTest {};

const char *kRangeLabel6 = "host_font_draw_label(\"FTASCI10.RAW\", 99, 154, 0x7f7f7f, \"6\")";

TEST_F(GaugeTest, DrawsOnlyWithPowerEnabledAndZoom) {
    start();
    host->bus().set(fourcc("elec"), fourcc("bus1"), BusValue::real(0.0));
    surface.fill(0x123456);
    EXPECT_FALSE(draw());
    EXPECT_TRUE(calls(kEntrySurfacePresent).empty());
    EXPECT_TRUE(calls(kEntryBitmapDraw).empty());
    EXPECT_EQ(pixel(0, 0), 0x123456u) << "the surface is left untouched";

    host->bus().set(fourcc("elec"), fourcc("bus1"), BusValue::real(-0.5));
    EXPECT_TRUE(draw()) << "any non-zero power value lets it draw";
    EXPECT_EQ(pixel(0, 0), 0u) << "the surface is cleared";
    EXPECT_TRUE(host->problems().empty());
}

TEST_F(GaugeTest, StaysDarkBeforeGlobalStart) {
    host->bus().set(fourcc("elec"), fourcc("bus1"), BusValue::real(1.0));
    plugin = &host->load(PLUGIN_navdisplay);
    display = add_instance(definition());
    EXPECT_FALSE(draw()) << "OPT_ENABLED is set only by on_global_start";
    plugin->global_start();
    EXPECT_TRUE(draw());
}

TEST_F(GaugeTest, ZoomComesFromTheOtherGaugeWithoutAuto) {
    for (const char *tags : {"", "auto 0\n"}) {
        SCOPED_TRACE(tags);
        start(definition(tags));
        host->log().clear();
        EXPECT_FALSE(draw()) << "no reply: zoom 0 leaves the display dark";
        EXPECT_NE(calls(kEntrySendMessage).back().find("'getd' 'ndC2' 'dh__'"), std::string::npos);
        EXPECT_NE(calls(kEntrySendMessage).back().find("num=6"), std::string::npos);

        host->bus().set(fourcc("ndC2"), fourcc("dh__"), BusValue::integer(0));
        EXPECT_FALSE(draw()) << "a reply of 0 leaves it dark";

        host->bus().set(fourcc("ndC2"), fourcc("dh__"), BusValue::integer(4));
        host->log().clear();
        EXPECT_TRUE(draw());
        EXPECT_TRUE(called(kEntryFontDrawLabel, "host_font_draw_label(\"FTASCI10.RAW\", 99, 154, 0x7f7f7f, \"24\")"));
        for (const auto &c : calls(kEntryBitmapDraw))
            EXPECT_EQ(c.find("nd_zark_selector"), std::string::npos) << "no zoom selector without the auto value";
        host.reset();
    }
}

TEST_F(GaugeTest, ExternalZoomSurvivesASecondGlobalStart) {
    start(definition(""));
    host->bus().set(fourcc("ndC2"), fourcc("dh__"), BusValue::integer(2));
    EXPECT_TRUE(draw());
    plugin->global_start();
    EXPECT_TRUE(draw()) << "the zoom request is still addressed to 'ndC2'";
}

TEST_F(GaugeTest, AutoZoomSetsRangeAndShowsTheSelector) {
    start(definition("auto 3\n"));
    EXPECT_TRUE(draw());
    EXPECT_TRUE(called(kEntryFontDrawLabel, "host_font_draw_label(\"FTASCI10.RAW\", 99, 154, 0x7f7f7f, \"18\")"));
    EXPECT_TRUE(called(kEntryBitmapDraw, "host_bitmap_draw(\"nd_zark_selector.pbg\", 176, 0, 3)"));
    EXPECT_TRUE(called(kEntryFontDrawText, "host_font_draw_text(\"FTASCI10.RAW\", 188, 10, 0xffffff, \"3\")"));
    for (const auto &c : calls(kEntrySendMessage)) EXPECT_EQ(c.find("'ndC2'"), std::string::npos) << c;
}

TEST_F(GaugeTest, RangeNumberFollowsTheZoom) {
    start(definition("auto 1\n"));
    draw();
    EXPECT_TRUE(called(kEntryFontDrawLabel, kRangeLabel6));
    EXPECT_EQ(calls(kEntryFontDrawLabel).size(), 1u) << "only the range number goes through entry 16";
}

TEST_F(GaugeTest, TagsAreTakenAndOthersRefused) {
    plugin = &host->load(PLUGIN_navdisplay);
    plugin->global_start();
    panelhost::Instance *i = host->instantiate(*plugin);
    i->init();
    auto refused = i->read_definition(panelhost::parse_definition(
        definition("auto 2\n") + "user \"left display\"\nmisc 5\n", "display.def"));
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0], fourcc("misc"));
    EXPECT_TRUE(called(kEntryStreamReadString, "host_stream_read_string(256, \"left display\")"));
    EXPECT_TRUE(host->problems().empty());
}

TEST_F(GaugeTest, SecondGlobalStartReloadsAndKeepsOptions) {
    write_tables({{"AP1", "OLD", "Old Field", 0.0}}, {}, {});
    write_plan(PlanText().airport(ahead(0, 100000), "AP1").airport(ahead(0, 200000), "AP1").text());
    start();
    click(137, 300);  // traffic on
    click(170, 300);  // route on
    draw();
    EXPECT_TRUE(called(kEntryFontDrawText, "host_font_draw_text(\"FTASCI10.RAW\", 18, 265, 0xffff00, \"FROM : OLD\")"));

    write_tables({{"AP1", "NEW", "New Field", 0.0}}, {}, {});
    plugin->global_start();
    host->log().clear();
    draw();
    EXPECT_TRUE(called(kEntryFontDrawText, "host_font_draw_text(\"FTASCI10.RAW\", 18, 265, 0xffff00, \"FROM : NEW\")"))
        << "the tables are loaded again and the flight plan read again";
    EXPECT_EQ(pixel(137, 307), kDarkGreen) << "the traffic layer stays on";
    EXPECT_EQ(pixel(169, 307), kDarkGreen) << "the route layer stays on";
}

TEST_F(GaugeTest, InstancesShareTheOptionWord) {
    start();
    panelhost::Instance *other = add_instance(definition());
    panelhost::Surface other_surface(kWidth, kHeight);
    other->draw(other_surface);
    EXPECT_EQ(other_surface.at(104, 307), kNearBlack) << "waypoints off";
    click(105, 300);
    other->draw(other_surface);
    EXPECT_EQ(other_surface.at(104, 307), kDarkGreen) << "a click on one display switches the other";
}

TEST_F(GaugeTest, DestroyFreesTheBlock) {
    start();
    const size_t live = host->memory().live_count();
    display->destroy();
    EXPECT_EQ(host->memory().live_count(), live - 1);
    EXPECT_TRUE(host->problems().empty());
}

}  // namespace
}  // namespace navdisplay_test
