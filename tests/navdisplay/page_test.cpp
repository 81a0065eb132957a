// The page: placement, heading and rose, layers and their labels, traffic,
// course line, refreshes and the fixed markings, on the call log and pixels.
#include <algorithm>

#include "tests/navdisplay/display_fixture.h"

namespace navdisplay_test {
namespace {

// "K12": appended, since GCC 12 at -O3 warns falsely (-Wrestrict) about
// "literal" + std::string temporaries.
std::string numbered(const char *prefix, int i) {
    std::string s = prefix;
    s += std::to_string(i);
    return s;
}

using panelhost::NearbyAirport;
using panelhost::NearbyNavaid;
using panelhost::NearbyPoint;

class PageTest : public DisplayTest {
protected:
    NearbyNavaid vor(const std::string &id, double bearing, double feet, float mhz = 113.9f) {
        GeoPosition p = ahead(bearing, feet);
        return NearbyNavaid{id, hostlist::navaid::kVor, p.latitude, p.longitude, mhz};
    }
    NearbyNavaid ndb(const std::string &id, double bearing, double feet, float khz) {
        GeoPosition p = ahead(bearing, feet);
        return NearbyNavaid{id, hostlist::navaid::kNdb, p.latitude, p.longitude, khz};
    }
    std::vector<std::string> micro_texts() const {
        std::vector<std::string> out;
        for (const auto &c : calls(kEntryFontDrawText))
            if (c.find("FTMICRO5") != std::string::npos) out.push_back(c);
        return out;
    }
    static std::string micro(int x, int y, uint32_t colour, const std::string &text) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "host_font_draw_text(\"FTMICRO5.RAW\", %d, %d, 0x%06x, \"%s\")", x, y, colour,
                      text.c_str());
        return buf;
    }
};

TEST_F(PageTest, NavaidAheadSitsOnTheMiddleRing) {
    // A hundredth of a foot short of 36000, so that no rounding of the host's
    // distance can tip the truncated pixel.
    world().nearby_navaids = {vor("OST", 0.0, 35999.99)};
    start(definition("auto 1\n"));
    draw_refreshed();
    EXPECT_EQ(calls(kEntryBitmapDraw)[0], "host_bitmap_draw(\"vor2.PBM\", 96, 145, 0)")
        << "screen point (103, 152), 80 pixels above the aircraft; symbol 7 up and left";
    EXPECT_EQ(host->resources().outstanding_lists(), 0u) << "every host list is released after the copy";
}

TEST_F(PageTest, MapTurnsWithTheMapHeading) {
    world().nearby_navaids = {vor("OST", 0.0, 45000.0)};
    start(definition("auto 1\n"));
    user().map_heading_deg = 90.0f;
    draw_refreshed();
    // North with the map turned to 90 lies to the left, at (3, 232): outside the symbol window.
    EXPECT_EQ(count(kEntryBitmapDraw, "host_bitmap_draw(\"vor2.PBM\", -4, 225, 0)"), 0u);
    world().nearby_navaids = {vor("OST", 0.0, 30000.0)};
    host->log().clear();
    draw_refreshed();
    EXPECT_TRUE(called(kEntryBitmapDraw, "host_bitmap_draw(\"vor2.PBM\", 29, 225, 0)"))
        << "30000 ft north at map heading 90: 66 pixels left of the aircraft";
}

TEST_F(PageTest, HeadingNumberAndRose) {
    struct Case {
        float heading;
        const char *number, *rose;
    };
    const Case cases[] = {{359.9f, "359", "host_bitmap_draw(\"359ROSE.PBG\", -26, 40, 89)"},
                          {0.5f, "000", "host_bitmap_draw(\"89ROSE.PBG\", -26, 40, 0)"},
                          {89.9f, "089", "host_bitmap_draw(\"89ROSE.PBG\", -26, 40, 89)"},
                          {90.0f, "090", "host_bitmap_draw(\"179ROSE.PBG\", -26, 40, 0)"},
                          {-0.5f, "000", "host_bitmap_draw(\"89ROSE.PBG\", -26, 40, 0)"}};
    start();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.heading);
        user().heading_deg = c.heading;
        host->log().clear();
        draw();
        EXPECT_TRUE(called(kEntryFontDrawText,
                           std::string("host_font_draw_text(\"FTASCI10.RAW\", 96, 52, 0xffff00, \"") + c.number + "\")"));
        EXPECT_TRUE(called(kEntryBitmapDraw, c.rose));
    }
    user().heading_deg = -1.0f;
    host->log().clear();
    draw();
    for (const auto &b : calls(kEntryBitmapDraw)) EXPECT_EQ(b.find("ROSE"), std::string::npos) << b;
}

TEST_F(PageTest, FixedMarkingsInOrderAndOnThePixels) {
    start(definition("auto 2\n"));
    draw();
    const std::vector<std::string> pictures = {
        "host_bitmap_draw(\"cadre_route.pbm\", 87, 52, 0)", "host_bitmap_draw(\"89ROSE.PBG\", -26, 40, 0)",
        "host_bitmap_draw(\"plane_symb.PBM\", 96, 223, 0)", "host_bitmap_draw(\"nav_display_1.pbm\", 0, 0, 0)",
        "host_bitmap_draw(\"nd_zark_selector.pbg\", 176, 0, 2)"};
    EXPECT_EQ(calls(kEntryBitmapDraw), pictures);
    EXPECT_EQ(host->log().calls().back().entry, kEntrySurfacePresent);
    EXPECT_EQ(pixel(103, 100), kGrey) << "lubber line";
    EXPECT_EQ(pixel(23, 232), kGrey) << "ring of radius 80";
    EXPECT_EQ(pixel(103, 272), kNearBlack) << "ring of radius 40 runs under the bottom panel";
    EXPECT_EQ(pixel(100, 242), kNearBlack) << "bottom panel";
    EXPECT_EQ(pixel(5, 329), kNearBlack);
    EXPECT_EQ(pixel(13, 307), kDarkGreen) << "airports indicator";
    EXPECT_EQ(pixel(42, 306), kDarkGreen) << "VOR indicator";
    EXPECT_EQ(pixel(74, 308), kDarkGreen) << "NDB indicator";
    EXPECT_EQ(pixel(104, 307), kNearBlack) << "waypoints are off";
    EXPECT_EQ(pixel(16, 307), kNearBlack) << "marks are 4 pixels wide";
    EXPECT_EQ(pixel(50, 10), 0u) << "no top band without the route layer";
}

TEST_F(PageTest, AirportLabelsAndTheShortIdentifier) {
    GeoPosition a = ahead(0.0, 100000.0), b = ahead(30.0, 60000.0);
    world().nearby_airports = {NearbyAirport{"XPOR", "LFPO", a.latitude, a.longitude},
                               NearbyAirport{"XVEL", "KZ", b.latitude, b.longitude}};
    start(definition("auto 2\n"));
    click(14, 300);  // identifiers
    draw_refreshed();
    const auto pictures = calls(kEntryBitmapDraw);
    ASSERT_GE(pictures.size(), 2u);
    EXPECT_EQ(pictures[0], "host_bitmap_draw(\"airp2.PBM\", 96, 113, 0)") << "100000 ft at 900 ft per pixel";
    EXPECT_EQ(pictures[1], "host_bitmap_draw(\"airp2.PBM\", 129, 167, 0)");
    EXPECT_EQ(micro_texts(), (std::vector<std::string>{micro(96, 107, kAirportLabel, "LFPO"),
                                                       micro(129, 161, kAirportLabel, "XVEL")}));

    click(14, 300);  // bearing/distance only
    host->log().clear();
    draw();
    EXPECT_EQ(micro_texts(), (std::vector<std::string>{micro(93, 131, kAirportLabel, "000/16"),
                                                       micro(126, 185, kAirportLabel, "030/10")}));
    click(14, 300);  // both
    host->log().clear();
    draw();
    EXPECT_EQ(micro_texts().size(), 4u);
    click(14, 300);  // off
    host->log().clear();
    draw();
    for (const auto &b : calls(kEntryBitmapDraw)) EXPECT_EQ(b.find("airp2"), std::string::npos) << b;
}

TEST_F(PageTest, BearingLabelRoundsUpTo360AndSubtractsVariation) {
    GeoPosition a = ahead(359.6, 60000.0);
    world().nearby_airports = {NearbyAirport{"", "ABCD", a.latitude, a.longitude}};
    start(definition("auto 2\n"));
    click(14, 300);
    click(14, 300);
    draw_refreshed();
    EXPECT_EQ(micro_texts(), std::vector<std::string>{micro(92, 176, kAirportLabel, "360/10")});
    world().variation_deg = 10.0f;
    host->log().clear();
    draw();
    EXPECT_EQ(micro_texts(), std::vector<std::string>{micro(92, 176, kAirportLabel, "350/10")});
}

TEST_F(PageTest, NavaidLabelModes) {
    world().nearby_navaids = {vor("OST", 0.0, 60000.0, 113.9f), ndb("KSA", 100.0, 45000.0, 1020.0f),
                              NearbyNavaid{"DME", 0x4, 0.0, 0.0, 0.0f}};
    start(definition("auto 2\n"));
    draw_refreshed();
    EXPECT_EQ(calls(kEntryBitmapDraw)[0], "host_bitmap_draw(\"vor2.PBM\", 96, 158, 0)");
    EXPECT_EQ(calls(kEntryBitmapDraw)[1], "host_bitmap_draw(\"ndb2.PBM\", 145, 233, 0)");
    EXPECT_TRUE(micro_texts().empty()) << "symbols only by default";

    click(42, 300);
    click(74, 300);  // identifiers
    host->log().clear();
    draw();
    EXPECT_EQ(micro_texts(), (std::vector<std::string>{micro(99, 176, kWhite, "OST"), micro(148, 251, kMagenta, "KSA")}));

    click(42, 300);
    click(74, 300);  // frequencies instead of identifiers
    host->log().clear();
    draw();
    EXPECT_EQ(micro_texts(),
              (std::vector<std::string>{micro(94, 152, kWhite, "113.90"), micro(147, 225, kMagenta, "1020")}))
        << "a frequency of 1000 kHz or more is longer, not cut";

    click(42, 300);
    click(74, 300);  // frequencies with bearing/distance
    host->log().clear();
    draw();
    EXPECT_EQ(micro_texts(), (std::vector<std::string>{micro(94, 152, kWhite, "113.90"), micro(94, 176, kWhite, "000/10"),
                                                       micro(147, 225, kMagenta, "1020"),
                                                       micro(141, 251, kMagenta, "100/7")}));
    click(42, 300);
    click(74, 300);  // off
    host->log().clear();
    draw();
    for (const auto &b : calls(kEntryBitmapDraw)) EXPECT_EQ(b.find("2.PBM"), std::string::npos) << b;
}

TEST_F(PageTest, WaypointMarksAndLabels) {
    GeoPosition w = ahead(0.0, 90450.0);
    world().nearby_points = {NearbyPoint{"FODAKXX", 0, w.latitude, w.longitude}};
    start(definition("auto 2\n"));
    click(105, 300);
    click(105, 300);
    click(105, 300);  // identifiers and bearing/distance
    draw_refreshed();
    // Screen point (103, 131): two yellow strokes down from (103, 129), whose
    // top the lubber line covers.
    EXPECT_EQ(pixel(102, 131), kYellow);
    EXPECT_EQ(pixel(104, 131), kYellow);
    EXPECT_EQ(pixel(101, 133), kYellow);
    EXPECT_EQ(pixel(105, 133), kYellow);
    EXPECT_EQ(micro_texts(), (std::vector<std::string>{micro(97, 121, kYellow, "FODA"), micro(93, 139, kYellow, "000/15")}))
        << "waypoint identifiers keep 4 characters";
}

TEST_F(PageTest, SymbolsOutsideTheWindowAreSkipped) {
    world().nearby_navaids = {vor("FAR", 0.0, 500000.0), vor("BEH", 180.0, 9000.0), vor("LFT", 270.0, 81000.0)};
    start(definition("auto 1\n"));
    draw_refreshed();
    for (const auto &b : calls(kEntryBitmapDraw)) EXPECT_EQ(b.find("vor2"), std::string::npos) << b;
    EXPECT_EQ(calls(kEntryPositionVector).size(), 3u) << "each held navaid is still placed";
}

TEST_F(PageTest, ListsRefreshEveryFiveSecondsPerLayer) {
    world().nearby_navaids = {vor("OST", 0.0, 35999.99)};
    start(definition("auto 1\n"));
    host->frame_seconds = 1.0f;
    for (int i = 0; i < 5; ++i) draw();
    EXPECT_TRUE(calls(kEntryGetNavaidList).empty()) << "exactly 5 seconds is not enough";
    draw();
    EXPECT_EQ(calls(kEntryGetNavaidList).size(), 1u);
    EXPECT_EQ(calls(kEntryGetAirportList).size(), 1u);
    EXPECT_TRUE(calls(kEntryGetPointList).empty()) << "the waypoint layer is off";

    world().nearby_navaids.clear();
    host->log().clear();
    for (int i = 0; i < 3; ++i) draw();
    EXPECT_EQ(count(kEntryBitmapDraw, "host_bitmap_draw(\"vor2.PBM\", 96, 145, 0)"), 3u)
        << "the held copy is drawn until the next refresh";
    for (int i = 0; i < 3; ++i) draw();
    EXPECT_EQ(count(kEntryBitmapDraw, "host_bitmap_draw(\"vor2.PBM\", 96, 145, 0)"), 5u);
}

TEST_F(PageTest, NearbyListsHoldAtMostTheirCapacity) {
    for (int i = 0; i < 300; ++i) world().nearby_navaids.push_back(vor(numbered("V", i), 0.0, 35999.99));
    start(definition("auto 1\n"));
    draw_refreshed();
    EXPECT_EQ(count(kEntryBitmapDraw, "host_bitmap_draw(\"vor2.PBM\", 96, 145, 0)"), 128u);
    EXPECT_EQ(host->resources().outstanding_lists(), 0u);
}

TEST_F(PageTest, TrafficColoursAndLabels) {
    struct Case {
        double bearing, feet, altitude;
        uint32_t colour;
        const char *label;
        int label_dy;
    };
    const Case cases[] = {
        {10.0, 40000.0, 4000.0, kBlue, "+10", -11},            // 1000 ft above
        {80.0, 5.999 * kFeetPerNm, 3999.0, kOrange, "+10", -11}, // 999 ft above, within 6 nm
        {290.0, 30000.0, 2500.0, kOrange, "-05", 5},           // 500 ft below: under the square
        {315.0, 50000.0, 3000.0, kYellow, "+00", 5},           // same altitude, beyond 6 nm
    };
    // Their screen points at 900 feet per pixel.
    const int xs[] = {110, 142, 71, 63}, ys[] = {188, 224, 220, 192};
    start(definition("auto 2\n"));
    for (const Case &c : cases) {
        panelhost::SimObject o;
        o.position = ahead(c.bearing, c.feet, c.altitude);
        world().add_traffic(o);
    }
    click(137, 300);
    draw_refreshed();
    const auto labels = calls(kEntryFontDrawText);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const int x = xs[i], y = ys[i];
        EXPECT_EQ(pixel(x, y), cases[i].colour);
        EXPECT_EQ(pixel(x - 3, y - 3), cases[i].colour);
        EXPECT_EQ(pixel(x + 3, y + 3), cases[i].colour);
        EXPECT_NE(pixel(x + 4, y + 4), cases[i].colour) << "the square is 7 pixels wide";
        char text[128];
        std::snprintf(text, sizeof text, "host_font_draw_text(\"FTTINY7.RAW\", %d, %d, 0x%06x, \"%s\")", x - 7,
                      y + cases[i].label_dy, cases[i].colour, cases[i].label);
        EXPECT_NE(std::find(labels.begin(), labels.end(), text), labels.end()) << text;
    }
}

TEST_F(PageTest, TrafficListIsHeldBetweenRefreshesAndReleasedOnKill) {
    start(definition("auto 2\n"));
    panelhost::SimObject o;
    o.position = ahead(0.0, 40000.0, 3000.0);
    const size_t index = world().add_traffic(o);
    click(137, 300);
    draw_refreshed();
    EXPECT_EQ(calls(kEntryGetTrafficList).size(), 1u);
    EXPECT_EQ(host->resources().outstanding_lists(), 1u) << "the traffic list stays held";
    world().remove_traffic(index);
    host->log().clear();
    draw();
    EXPECT_TRUE(calls(kEntryGetTrafficList).empty());
    EXPECT_EQ(calls(kEntryObjectIsValid), std::vector<std::string>{"host_object_is_valid(obj1 -> 0)"});
    draw_refreshed();
    EXPECT_EQ(calls(kEntryFreeTrafficList).size(), 1u) << "a refresh releases the old list";
    plugin->kill();
    EXPECT_EQ(host->resources().outstanding_lists(), 0u);
    EXPECT_TRUE(host->problems().empty());
}

TEST_F(PageTest, CourseLineFromTheSelectedCourse) {
    start();
    host->bus().set(fourcc("nav1"), fourcc("obs_"), BusValue::integer(90));
    draw();
    EXPECT_EQ(pixel(170, 232), kDarkRed) << "course 90 with heading 0 runs to the right";
    EXPECT_EQ(pixel(186, 232), kDarkRed) << "clipped at the map window";
    EXPECT_EQ(pixel(187, 232), 0u);

    user().heading_deg = 45.0f;
    draw();
    // Course 90 at heading 45 is 45 degrees right: a diagonal up to the right
    // edge of the map window (the line's own stepping may lag a pixel).
    for (int y : {225, 200, 160}) {
        const int x = 103 + (232 - y);
        EXPECT_TRUE(pixel(x, y) == kDarkRed || pixel(x - 1, y) == kDarkRed) << y;
    }
    EXPECT_TRUE(pixel(186, 148) == kDarkRed || pixel(186, 149) == kDarkRed) << "clipped at x = 186";
    EXPECT_NE(pixel(187, 147), kDarkRed);

    user().heading_deg = 360.0f;
    host->bus().set(fourcc("nav1"), fourcc("obs_"), BusValue::integer(0));
    EXPECT_TRUE(draw()) << "a fold to exactly 360 degrees stays within the tables";
    host->bus().erase(fourcc("nav1"), fourcc("obs_"));
    user().heading_deg = 0.0f;
    draw();
    EXPECT_EQ(pixel(170, 232), 0u) << "no reply: no course line";
}

}  // namespace
}  // namespace navdisplay_test
