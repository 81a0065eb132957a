// The route layer and the data block: flight plan, legs, DTK, TRK, DIS, GS,
// ETE, waypoint passage and the leg advance.
#include <algorithm>

#include "tests/navdisplay/display_fixture.h"

namespace navdisplay_test {
namespace {

class RouteTest : public DisplayTest {
protected:
    RouteTest() {
        write_tables({{"AP1", "XPOR", "Port Ostra", -2.0}, {"AP2", "XVEL", "Velmar Field", -3.0}},
                     {{"NV1", "OST", "Ostra", -3.0}}, {{"WP1", "FODAK", "FODAK", -1.0}});
    }
    // Route on, with the frames long enough for every 5-second refresh.
    void start_route(const std::string &plan) {
        write_plan(plan);
        start(definition("auto 2\n"));
        click(170, 300);
        host->frame_seconds = 5.01f;
    }
    // Puts the aircraft `nm` south of a position.
    void fly_to(const GeoPosition &target, double nm) {
        GeoPosition p = panelhost::move_along(target, panelhost::kPi, nm * kFeetPerNm);
        p.altitude = home.altitude;
        user().position = p;
    }
    static std::string ascii(int x, int y, uint32_t colour, const std::string &text) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "host_font_draw_text(\"FTASCI10.RAW\", %d, %d, 0x%06x, \"%s\")", x, y, colour,
                      text.c_str());
        return buf;
    }
    bool shows(int x, int y, uint32_t colour, const std::string &text) const {
        return called(kEntryFontDrawText, ascii(x, y, colour, text));
    }
    size_t pings() const { return calls(kEntrySoundPlayFile).size(); }
};

TEST_F(RouteTest, DataBlockOfTheActiveLeg) {
    const GeoPosition leg1 = ahead(90.0, 20.0 * kFeetPerNm, 3000.0);
    start_route(PlanText().airport(home, "AP1").navaid(leg1, "NV1").airport(ahead(90.0, 40.0 * kFeetPerNm), "AP2").text());
    user().ground_speed_fps = 200.0f;
    EXPECT_TRUE(draw());
    EXPECT_TRUE(shows(18, 250, kBrightGreen, "DTK : "));
    EXPECT_TRUE(shows(68, 250, kBrightGreen, "093")) << "course 090 true, variation -3";
    EXPECT_TRUE(shows(18, 20, kBrightGreen, "TRK : "));
    EXPECT_TRUE(shows(68, 20, kBrightGreen, "093"));
    EXPECT_TRUE(shows(103, 20, kBrightGreen, "DIS : "));
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0020.0"));
    EXPECT_TRUE(shows(18, 40, kBrightGreen, "GS- : "));
    EXPECT_TRUE(shows(68, 40, kBrightGreen, "119")) << "200 ft/s is 118.6 knots of 6070 feet";
    EXPECT_TRUE(shows(103, 40, kBrightGreen, "ETE : "));
    EXPECT_TRUE(shows(153, 40, kBrightGreen, "00:10")) << "20 nm at 200 ft/s: 607.741 s";
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 1"));
    EXPECT_TRUE(shows(153, 250, kOrange, "____"));
    EXPECT_TRUE(shows(153, 250, kOrange, "OST")) << "a navaid leg is named by its identifier";
    EXPECT_TRUE(shows(18, 265, kYellow, "FROM : XPOR"));
    EXPECT_TRUE(shows(103, 265, kYellow, "TO   : XVEL"));
    EXPECT_EQ(pixel(50, 10), kNearBlack) << "top band";
    EXPECT_EQ(pings(), 0u);

    user().ground_speed_fps = 42.0f;
    host->log().clear();
    draw();
    EXPECT_TRUE(shows(153, 40, kBrightGreen, "00:00")) << "42 ft/s or less";
}

TEST_F(RouteTest, RouteLineAndPointMarks) {
    // Two points straight ahead at 900 ft per pixel: (103, 232) and (103, 131).
    start_route(PlanText().user(home, "HERE").user(ahead(0.0, 90450.0), "THERE").text());
    draw();
    EXPECT_EQ(pixel(100, 131), kMagenta) << "cross mark left of the far point";
    EXPECT_EQ(pixel(106, 131), kMagenta);
    EXPECT_EQ(pixel(101, 131), 0u) << "its arms are single pixels 3 away";
    EXPECT_EQ(pixel(102, 180), kDarkRed) << "route line drawn three pixels wide";
    EXPECT_EQ(pixel(104, 180), kDarkRed);
    EXPECT_EQ(pixel(103, 180), kGrey) << "the lubber line is drawn over it";
    EXPECT_TRUE(shows(153, 250, kOrange, "USR"));
}

TEST_F(RouteTest, EmptyPlanFillsOnlyTheTopBand) {
    start_route("");
    draw();
    EXPECT_EQ(pixel(50, 10), kNearBlack);
    for (const auto &t : calls(kEntryFontDrawText)) EXPECT_EQ(t.find("DTK"), std::string::npos) << t;
    for (const auto &t : calls(kEntryFontDrawText)) EXPECT_EQ(t.find("LEG"), std::string::npos) << t;
}

TEST_F(RouteTest, MissingPlanLeavesTheDataBlockOut) {
    start(definition("auto 2\n"));
    click(170, 300);
    EXPECT_TRUE(draw());
    for (const auto &t : calls(kEntryFontDrawText)) EXPECT_EQ(t.find("FROM"), std::string::npos) << t;
    EXPECT_TRUE(host->problems().empty());
}

TEST_F(RouteTest, PassageWhenTheDistanceGrowsAgainInsideFiveMiles) {
    const GeoPosition leg1 = ahead(0.0, 30.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(0.0, 60.0 * kFeetPerNm), "C").text());
    fly_to(leg1, 20.0);
    draw();
    EXPECT_EQ(pings(), 0u);
    for (double d : {4.2, 4.1}) {
        fly_to(leg1, d);
        draw();
    }
    EXPECT_EQ(pings(), 0u) << "closing in";
    fly_to(leg1, 4.3);
    host->log().clear();
    draw();
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0004.3"));
    EXPECT_EQ(calls(kEntrySoundPlayFile), std::vector<std::string>{"host_sound_play_file(\"GPSPING.WAV\" -> 1)"});
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2")) << "the frame that shows 4.3 advances the leg";
}

TEST_F(RouteTest, NoPassageOutsideFiveMiles) {
    const GeoPosition leg1 = ahead(0.0, 30.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(0.0, 60.0 * kFeetPerNm), "C").text());
    for (double d : {20.0, 6.0, 5.5, 6.0}) {
        fly_to(leg1, d);
        draw();
    }
    EXPECT_EQ(pings(), 0u);
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 1"));
}

TEST_F(RouteTest, FirstLegWithinFiveMilesPingsAtTheFirstRefresh) {
    const GeoPosition leg1 = ahead(0.0, 3.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(0.0, 60.0 * kFeetPerNm), "C").text());
    host->frame_seconds = 1.0f;
    for (int i = 0; i < 5; ++i) draw();
    EXPECT_EQ(pings(), 0u) << "the leg vector is still zero";
    draw();
    EXPECT_EQ(pings(), 1u) << "previous distance 0 after the read";
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2"));
}

TEST_F(RouteTest, PingIsNotRestartedWhilePlaying) {
    const GeoPosition leg1 = ahead(0.0, 3.0 * kFeetPerNm), leg2 = ahead(0.0, 6.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(leg2, "C").user(ahead(0.0, 90.0 * kFeetPerNm), "D").text());
    host->sound_seconds = 60.0;
    draw();  // leg 1 at 3 nm: ping, leg 2
    fly_to(leg2, 4.0);
    draw();  // leg 2 measured at 4 nm, still more than 3: passage again, sound still playing
    EXPECT_EQ(pings(), 1u);
    EXPECT_EQ(calls(kEntrySoundIsPlaying).back(), "host_sound_is_playing(1 -> 1)");
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 3")) << "the leg advances all the same";
}

TEST_F(RouteTest, LegIndexIsPulledBackToTheLastLeg) {
    const GeoPosition leg1 = ahead(0.0, 3.0 * kFeetPerNm);
    start_route(PlanText().airport(home, "AP1").airport(leg1, "AP2").text());
    draw();  // passage of the last leg: index 2
    EXPECT_EQ(pings(), 1u);
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2"));
    host->log().clear();
    draw();
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 1"));
    EXPECT_TRUE(shows(153, 250, kOrange, "XVEL"));
}

TEST_F(RouteTest, UserWaypointTakesTheCurrentVariation) {
    const GeoPosition leg1 = ahead(90.0, 20.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(90.0, 40.0 * kFeetPerNm), "C").text());
    world().variation_deg = 5.0f;
    draw();
    EXPECT_TRUE(shows(68, 250, kBrightGreen, "085"));
    EXPECT_TRUE(shows(68, 20, kBrightGreen, "090")) << "the leg track uses the leg's own variation (0 when read)";
}

TEST_F(RouteTest, FailedRereadKeepsTheLegInsideTheWorkingList) {
    start_route(PlanText()
                    .waypoint(home, "WP1")
                    .waypoint(ahead(0.0, 30.0 * kFeetPerNm), "WP1")
                    .waypoint(ahead(0.0, 31.0 * kFeetPerNm), "WP1")
                    .waypoint(ahead(0.0, 32.0 * kFeetPerNm), "WP1")
                    .text());
    fly_to(ahead(0.0, 30.0 * kFeetPerNm), 1.0);
    draw();  // leg 1 within 5 miles: passage to leg 2
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2"));
    // The plan is rewritten with one block and a cut-off second one: the read
    // fails, the working list holds one leg, the published list keeps four.
    write_plan(PlanText().waypoint(home, "WP1").raw("<wpnt>\nwywy\n<llps>\n").text());
    plugin->global_start();
    host->log().clear();
    EXPECT_TRUE(draw());
    // The re-read set the previous distance to 0 again: the leg vector, still
    // that of leg 1, makes one more passage, to leg 3.
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 3"));
    EXPECT_TRUE(shows(153, 250, kOrange, "____"));
    EXPECT_FALSE(shows(153, 250, kOrange, "WPT")) << "the working list has no leg 3";
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0001.0")) << "leg 3 is not measured from the working list";
    EXPECT_TRUE(host->problems().empty());
}

}  // namespace
}  // namespace navdisplay_test
