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
    // Bearing-and-distance calls after the frame's last frame-time call: the
    // data block's leg measurements (the map's placements come before).
    size_t leg_measurements() const {
        const auto &c = host->log().calls();
        auto last_time = std::find_if(c.rbegin(), c.rend(), [](const auto &h) { return h.entry == kEntryGetFrameSeconds; });
        return size_t(std::count_if(c.rbegin(), last_time, [](const auto &h) { return h.entry == kEntryPositionVector; }));
    }
    // Sounds the display started since the host was made, whatever the log holds.
    size_t sounds_started() const { return host->resources().sounds().size(); }
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

TEST_F(RouteTest, FirstLegWithinFiveMilesWaitsForItsOwnDistanceToGrow) {
    const GeoPosition leg1 = ahead(0.0, 3.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(0.0, 60.0 * kFeetPerNm), "C").text());
    host->frame_seconds = 1.0f;
    for (int i = 0; i < 6; ++i) draw();
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0003.0")) << "measured at the sixth frame";
    EXPECT_EQ(pings(), 0u) << "a first distance is compared with nothing";
    host->frame_seconds = 5.01f;
    fly_to(leg1, 2.0);
    draw();
    EXPECT_EQ(pings(), 0u) << "closing in";
    fly_to(leg1, 2.5);
    host->log().clear();
    draw();
    EXPECT_EQ(pings(), 1u);
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2"));
}

TEST_F(RouteTest, ReadingThePlanAgainForgetsTheLastDistance) {
    const GeoPosition leg1 = ahead(0.0, 30.0 * kFeetPerNm);
    const std::string plan = PlanText().user(home, "A").user(leg1, "B").user(ahead(0.0, 60.0 * kFeetPerNm), "C").text();
    start_route(plan);
    fly_to(leg1, 4.0);
    draw();
    plugin->global_start();
    fly_to(leg1, 4.5);
    draw();
    EXPECT_EQ(pings(), 0u) << "4.5 after the read is a first distance, not one grown from 4.0";
    fly_to(leg1, 4.6);
    host->log().clear();
    draw();
    EXPECT_EQ(pings(), 1u);
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2"));
}

TEST_F(RouteTest, NextLegIsJudgedOnItsOwnDistances) {
    const GeoPosition b = ahead(0.0, 30.0 * kFeetPerNm), c = ahead(0.0, 34.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(b, "B").user(c, "C").user(ahead(0.0, 90.0 * kFeetPerNm), "D").text());
    for (double d : {2.0, 1.0, 1.5}) {
        fly_to(b, d);
        draw();
    }
    EXPECT_EQ(sounds_started(), 1u) << "B passed";
    host->advance(10.0);  // the ping has played
    fly_to(c, 3.0);
    host->log().clear();
    draw();
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0003.0"));
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2")) << "C's first distance is not compared with B's 1.5";
    fly_to(c, 2.0);
    draw();
    fly_to(c, 2.2);
    host->log().clear();
    draw();
    EXPECT_EQ(sounds_started(), 2u);
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 3"));
}

TEST_F(RouteTest, PingIsNotRestartedWhilePlaying) {
    const GeoPosition b = ahead(0.0, 30.0 * kFeetPerNm), c = ahead(0.0, 34.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(b, "B").user(c, "C").user(ahead(0.0, 90.0 * kFeetPerNm), "D").text());
    host->resources().sound_seconds = 60.0;
    for (double d : {2.0, 1.0, 1.5}) {
        fly_to(b, d);
        draw();
    }
    for (double d : {3.0, 2.0, 2.2}) {
        fly_to(c, d);
        draw();
    }
    EXPECT_EQ(pings(), 1u);
    EXPECT_EQ(calls(kEntrySoundIsPlaying),
              (std::vector<std::string>{"host_sound_is_playing(0 -> 0)", "host_sound_is_playing(1 -> 1)"}));
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 3")) << "the leg advances all the same";
}

TEST_F(RouteTest, LastLegIsPassedOncePerRead) {
    const GeoPosition leg1 = ahead(0.0, 30.0 * kFeetPerNm);
    start_route(PlanText().airport(home, "AP1").airport(leg1, "AP2").text());
    for (double d : {3.0, 2.0, 2.5}) {
        fly_to(leg1, d);
        draw();
    }
    EXPECT_EQ(sounds_started(), 1u);
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2")) << "shown once past the last leg";
    host->advance(10.0);
    host->log().clear();
    draw();
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 1")) << "then pulled back";
    EXPECT_TRUE(shows(153, 250, kOrange, "XVEL"));
    for (double d : {3.0, 4.0, 4.5, 4.9}) {
        fly_to(leg1, d);
        draw();
    }
    EXPECT_EQ(sounds_started(), 1u) << "flying away from the last waypoint pings no more";
    EXPECT_TRUE(calls(kEntrySoundIsPlaying).empty()) << "nor passes it again";
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 1"));

    // A new read: the last leg may be passed again.
    plugin->global_start();
    for (double d : {4.0, 3.0, 3.5}) {
        fly_to(leg1, d);
        draw();
    }
    EXPECT_EQ(sounds_started(), 2u);
}

TEST_F(RouteTest, DtkIsComputedAfreshAfterEachRead) {
    start_route(PlanText().airport(home, "AP1").airport(ahead(90.0, 20.0 * kFeetPerNm), "AP2").text());
    draw();
    EXPECT_TRUE(shows(68, 250, kBrightGreen, "093")) << "east, variation -3";
    write_plan(PlanText().airport(home, "AP1").airport(ahead(0.0, 20.0 * kFeetPerNm), "AP2").text());
    plugin->global_start();
    host->log().clear();
    draw();
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 1"));
    EXPECT_TRUE(shows(68, 250, kBrightGreen, "003")) << "the same leg index, another course: north, variation -3";

    // One leg: the index is pulled back to 0, the DTK leg held from the start.
    write_plan(PlanText().airport(ahead(0.0, 20.0 * kFeetPerNm), "AP2").text());
    plugin->global_start();
    host->log().clear();
    draw();
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 0"));
    EXPECT_TRUE(shows(68, 250, kBrightGreen, "003")) << "course 0 of the first leg, variation -3";
}

TEST_F(RouteTest, UserWaypointTakesTheCurrentVariation) {
    const GeoPosition leg1 = ahead(90.0, 20.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(90.0, 40.0 * kFeetPerNm), "C").text());
    world().variation_deg = 5.0f;
    draw();
    EXPECT_TRUE(shows(68, 250, kBrightGreen, "085"));
    EXPECT_TRUE(shows(68, 20, kBrightGreen, "085")) << "TRK folded with the variation at the aircraft, as DTK";
}

TEST_F(RouteTest, LegIsMeasuredOnTheFrameThePlanIsRead) {
    const GeoPosition leg1 = ahead(0.0, 20.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(0.0, 60.0 * kFeetPerNm), "C").text());
    host->frame_seconds = 1.0f;
    user().ground_speed_fps = 200.0f;
    draw();
    EXPECT_TRUE(shows(68, 20, kBrightGreen, "000"));
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0020.0")) << "measured on the first frame, not after 5 seconds";
    EXPECT_TRUE(shows(153, 40, kBrightGreen, "00:10"));
    EXPECT_EQ(leg_measurements(), 1u);
    const size_t read_times = calls(kEntryGetFrameSeconds).size();

    // Frames 2 to 5 keep that measurement; the sixth second refreshes it, on
    // the schedule the read frame did not restart.
    for (int frame = 2; frame <= 6; ++frame) {
        fly_to(leg1, 20.0 - frame);
        host->log().clear();
        draw();
        if (frame == 2) {
            EXPECT_EQ(leg_measurements(), 0u);
            EXPECT_EQ(calls(kEntryGetFrameSeconds).size(), read_times) << "the frame time is asked as often";
        }
        EXPECT_EQ(shows(153, 20, kBrightGreen, "0020.0"), frame < 6) << "frame " << frame;
    }
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0014.0"));

    // A read on a frame whose refresh is due measures once.
    plugin->global_start();
    host->frame_seconds = 5.01f;
    host->log().clear();
    draw();
    EXPECT_EQ(leg_measurements(), 1u);
}

TEST_F(RouteTest, FirstMeasurementAfterAReadOnlySetsTheStartingDistance) {
    const GeoPosition leg1 = ahead(0.0, 30.0 * kFeetPerNm);
    start_route(PlanText().user(home, "A").user(leg1, "B").user(ahead(0.0, 60.0 * kFeetPerNm), "C").text());
    host->frame_seconds = 1.0f;
    fly_to(leg1, 4.0);
    draw();  // read and measured: 4.0
    fly_to(leg1, 4.5);
    for (int frame = 2; frame <= 5; ++frame) draw();
    EXPECT_EQ(pings(), 0u) << "not measured again yet";
    draw();
    EXPECT_EQ(pings(), 1u) << "4.5 at the sixth second grew from the 4.0 measured at the read";
}

TEST_F(RouteTest, FailedRereadKeepsTheLegInsideTheWorkingList) {
    const GeoPosition leg1 = ahead(0.0, 30.0 * kFeetPerNm);
    start_route(PlanText()
                    .waypoint(home, "WP1")
                    .waypoint(leg1, "WP1")
                    .waypoint(ahead(0.0, 31.0 * kFeetPerNm), "WP1")
                    .waypoint(ahead(0.0, 32.0 * kFeetPerNm), "WP1")
                    .text());
    for (double d : {2.0, 1.0, 1.5}) {
        fly_to(leg1, d);
        host->log().clear();
        draw();
    }
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2"));
    // The plan is rewritten with one block and a cut-off second one: the read
    // fails, the working list holds one leg, the published list keeps four.
    write_plan(PlanText().waypoint(home, "WP1").raw("<wpnt>\nwywy\n<llps>\n").text());
    plugin->global_start();
    for (int i = 0; i < 3; ++i) {
        host->log().clear();
        EXPECT_TRUE(draw());
    }
    // Leg 2 lies past the working list: it is not measured, so the leg vector
    // (still leg 1's) is never taken for a passage.
    EXPECT_TRUE(shows(103, 250, kBrightGreen, "LEG : 2"));
    EXPECT_TRUE(shows(153, 250, kOrange, "____"));
    EXPECT_FALSE(shows(153, 250, kOrange, "WPT")) << "the working list has no leg 2";
    EXPECT_TRUE(shows(153, 20, kBrightGreen, "0001.5")) << "leg 2 is not measured from the working list";
    EXPECT_EQ(pings(), 0u);
    EXPECT_TRUE(host->problems().empty());
}

}  // namespace
}  // namespace navdisplay_test
