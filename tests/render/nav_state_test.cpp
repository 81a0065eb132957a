#include "render/nav_state.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "frame/host_api.h"
#include "host/geo.h"
#include "host/host.h"

namespace {

using render::NavState;
using render::Pixel;
using render::screen_point;

// An aircraft point to place around (the display's own).
constexpr Pixel kAircraft{103, 232};
constexpr double kNorth = 0.0;
constexpr double kDegToRad = 0.017453293005625408;  // the display's factor

// Entry 216 giving a chosen bearing (radians) and distance (feet), so that
// placements can be checked to the last bit.
struct ScriptedVector {
    static inline double bearing = 0.0, feet = 0.0;
    static inline GeoPosition last_to{};
    static inline int calls = 0;
    static double *entry(double out[3], const GeoPosition *, const GeoPosition *to) {
        ++calls;
        last_to = *to;
        out[0] = 0.0;
        out[1] = bearing;
        out[2] = feet;
        return out;
    }
};

class NavStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::copy_n(host.services(), kServiceCount, table.begin());
        frame::install_services(table.data(), 1);
        host.world().user().position = panelhost::from_degrees(45.0, 7.0, 3000.0);
    }

    void script_vector(double bearing, double feet) {
        ScriptedVector::bearing = bearing;
        ScriptedVector::feet = feet;
        table[kEntryPositionVector] = reinterpret_cast<HostEntry>(&ScriptedVector::entry);
        frame::install_services(table.data(), 1);
    }

    // Runs the flight plan reader on a file with user waypoints at these
    // positions, in a folder of its own.
    void load_plan(const std::vector<GeoPosition> &points) {
        namespace fs = std::filesystem;
        const fs::path dir = fs::temp_directory_path() /
                             ("nav_state_test_" + std::to_string(::getpid()));
        fs::create_directories(dir / "saved simulations");
        std::FILE *f = std::fopen((dir / "saved simulations" / "zark_fpl.sit").c_str(), "w");
        ASSERT_NE(f, nullptr);
        for (const GeoPosition &p : points)
            std::fprintf(f, "<wpnt>\nusrw\n<llps>\n%.17g,%.17g,%.17g\n<endo>\n", p.latitude,
                         p.longitude, p.altitude);
        std::fclose(f);
        const fs::path previous = fs::current_path();
        fs::current_path(dir);
        EXPECT_TRUE(nav.load_flight_plan());
        fs::current_path(previous);
        fs::remove_all(dir);
    }

    panelhost::Host host;
    std::array<HostEntry, kServiceCount> table{};
    NavState nav;
};

TEST_F(NavStateTest, RefreshOwnPositionAsksTheHostInItsOrder) {
    panelhost::SimObject &user = host.world().user();
    user.heading_deg = 123.5f;
    user.map_heading_deg = 90.0f;
    user.ground_speed_fps = 200.0f;
    host.world().variation_deg = -2.5f;
    host.log().clear();

    nav.refresh_own_position();

    std::vector<int> entries;
    for (const auto &c : host.log().calls()) entries.push_back(c.entry);
    EXPECT_EQ(entries, (std::vector<int>{115, 118, 281, 280, 208, 156, 282}));
    EXPECT_EQ(std::memcmp(&nav.own_position, &user.position, sizeof(GeoPosition)), 0);
    EXPECT_EQ(nav.displayed_heading, 123.5f);
    EXPECT_EQ(nav.map_heading, 90.0f);
    EXPECT_EQ(nav.motion.ground_speed_fps, 200.0f);
    EXPECT_EQ(nav.variation, -2.5f);
    const ObjectRef user_ref = host.world().user_ref();
    EXPECT_EQ(std::memcmp(&nav.user_object, &user_ref, sizeof user_ref), 0);
}

TEST_F(NavStateTest, FailedVariationKeepsWhatTheHostLeft) {
    nav.variation = 4.0f;
    host.world().variation_deg.reset();
    nav.refresh_own_position();
    EXPECT_EQ(nav.variation, 4.0f);
}

TEST_F(NavStateTest, PositionStraightAheadLiesAboveTheAircraft) {
    script_vector(kNorth, 45000.0);
    nav.place_position(1.0, 2.0, 0.0, 450);
    EXPECT_EQ(ScriptedVector::last_to.latitude, 1.0);
    EXPECT_EQ(ScriptedVector::last_to.longitude, 2.0);
    EXPECT_EQ(ScriptedVector::last_to.altitude, 0.0);
    const Pixel p = screen_point(nav.position_offset, kAircraft);
    EXPECT_EQ(p.x, 103);
    EXPECT_EQ(p.y, 132);

    nav.place_position(1.0, 2.0, 90.0 * kDegToRad, 450);
    const Pixel q = screen_point(nav.position_offset, kAircraft);
    EXPECT_EQ(q.x, 3);
    EXPECT_EQ(q.y, 232);
}

TEST_F(NavStateTest, PositionBehindLiesBelowTheAircraft) {
    script_vector(M_PI, 9000.0);
    nav.place_position(0.0, 0.0, 0.0, 900);
    EXPECT_GT(nav.position_offset.down, 0.0);
    EXPECT_GT(screen_point(nav.position_offset, kAircraft).y, 232);
}

TEST_F(NavStateTest, PlacedVectorIsConvertedAndTheAngleIsNotFolded) {
    script_vector(6.0, 6070.0);
    nav.place_position(0.0, 0.0, 0.1, 450);
    EXPECT_EQ(nav.position_vector.bearing(), 6.0 / 0.017453292519943295);
    EXPECT_EQ(nav.position_vector.distance(), 1.0);
    EXPECT_EQ(nav.relative_angle, 0.1 - 6.0);
    EXPECT_EQ(nav.position_offset.left, std::sin(0.1 - 6.0) * 6070.0 / 450);
    EXPECT_EQ(nav.position_offset.down, -std::cos(0.1 - 6.0) * 6070.0 / 450);
}

TEST_F(NavStateTest, PlanPointUsesTheLegPositionAndFoldsTheAngle) {
    const GeoPosition a = panelhost::from_degrees(45.0, 7.0, 0.0);
    const GeoPosition b = panelhost::from_degrees(45.5, 7.5, 2500.0);
    EXPECT_EQ(nav.working_leg_count(), 0u);
    load_plan({a, b});
    EXPECT_EQ(nav.working_leg_count(), 2u);
    script_vector(6.2, 12140.0);
    nav.place_plan_point(1, 0.1, 450);
    EXPECT_EQ(ScriptedVector::last_to.latitude, b.latitude);
    EXPECT_EQ(ScriptedVector::last_to.altitude, 2500.0);
    EXPECT_EQ(nav.relative_angle, (0.1 - 6.2) + 6.2831854820251465);
    EXPECT_EQ(nav.plan_vector.distance(), 2.0);
    EXPECT_EQ(nav.plan_offset.left, std::sin(nav.relative_angle) * 12140.0 / 450);
    // The position placement is left alone.
    EXPECT_EQ(nav.position_vector.distance(), 0.0);

    const double before = nav.relative_angle;
    nav.place_plan_point(2, 0.0, 450);
    EXPECT_EQ(nav.relative_angle, before);
}

TEST_F(NavStateTest, PlacementThroughTheHostsGeodesy) {
    nav.refresh_own_position();
    const GeoPosition ahead = panelhost::move_along(nav.own_position, 0.0, 36000.0);
    nav.place_position(ahead.latitude, ahead.longitude, 0.0, 450);
    // 36000 feet at zoom 1: on the middle ring, 80 pixels up.
    EXPECT_NEAR(nav.position_offset.down, -80.0, 1e-6);
    EXPECT_NEAR(nav.position_offset.left, 0.0, 1e-6);
    EXPECT_NEAR(nav.position_vector.distance(), 36000.0 / 6070.0, 1e-9);
}

TEST_F(NavStateTest, LegTrackWaitsForMoreThanFiveSeconds) {
    load_plan({panelhost::from_degrees(45.1, 7.0, 0.0)});
    nav.nav.working_leg(0)->kind = navdata::kLegNavaid;  // a database point, with its own variation
    nav.nav.working_leg(0)->variation = 20.0f;
    nav.variation = -4.0f;
    script_vector(10.0 * 0.017453292519943295, 60700.0);
    host.frame_seconds = 1.0f;
    for (int frame = 1; frame <= 5; ++frame) {
        EXPECT_FALSE(nav.update_leg_track(0)) << "frame " << frame;
        EXPECT_EQ(nav.leg_vector.bearing(), 0.0) << "frame " << frame;
        EXPECT_EQ(nav.leg_vector.distance(), 0.0);
    }
    EXPECT_TRUE(nav.update_leg_track(0)) << "measured on the sixth";
    EXPECT_FLOAT_EQ(float(nav.leg_vector.bearing()), 350.0f);  // 10 true, 20 east
    EXPECT_EQ(nav.leg_vector.distance(), 10.0);

    // The timer starts again: the next five frames keep the values.
    script_vector(0.0, 0.0);
    for (int frame = 0; frame < 5; ++frame) nav.update_leg_track(0);
    EXPECT_EQ(nav.leg_vector.distance(), 10.0);
    nav.update_leg_track(0);
    EXPECT_EQ(nav.leg_vector.distance(), 0.0);
}

TEST_F(NavStateTest, UserWaypointTrackTakesTheAircraftsVariation) {
    load_plan({panelhost::from_degrees(45.1, 7.0, 0.0)});
    ASSERT_EQ(nav.nav.working_leg(0)->kind, navdata::kLegUserWaypoint);
    ASSERT_EQ(nav.nav.working_leg(0)->variation, 0.0f) << "a user waypoint's leg holds no variation";
    nav.variation = -4.0f;  // as entry 282 left it at this frame's refresh
    script_vector(10.0 * 0.017453292519943295, 60700.0);
    host.frame_seconds = 6.0f;
    host.log().clear();
    EXPECT_TRUE(nav.update_leg_track(0));
    EXPECT_FLOAT_EQ(float(nav.leg_vector.bearing()), 14.0f) << "10 true, 4 west: magnetic like DTK";
    EXPECT_TRUE(host.log().of(kEntryObjectGetValue282).empty()) << "no host call of its own for the variation";
}

TEST_F(NavStateTest, MeasuringNowKeepsTheTimerRunning) {
    load_plan({panelhost::from_degrees(45.1, 7.0, 0.0)});
    script_vector(0.0, 60700.0);
    host.frame_seconds = 1.0f;
    ScriptedVector::calls = 0;
    EXPECT_TRUE(nav.update_leg_track(0, true)) << "measured at once";
    EXPECT_EQ(nav.leg_vector.distance(), 10.0);
    EXPECT_EQ(ScriptedVector::calls, 1);
    script_vector(0.0, 6070.0);
    for (int frame = 2; frame <= 5; ++frame) EXPECT_FALSE(nav.update_leg_track(0)) << "frame " << frame;
    EXPECT_EQ(nav.leg_vector.distance(), 10.0);
    EXPECT_TRUE(nav.update_leg_track(0)) << "the sixth second passes 5.0 as if nothing had been measured";
    EXPECT_EQ(nav.leg_vector.distance(), 1.0);

    // Due and asked for at once: one measurement, and the timer restarts.
    host.frame_seconds = 5.5f;
    ScriptedVector::calls = 0;
    EXPECT_TRUE(nav.update_leg_track(0, true));
    EXPECT_EQ(ScriptedVector::calls, 1);
    host.frame_seconds = 1.0f;
    EXPECT_FALSE(nav.update_leg_track(0));
    EXPECT_EQ(ScriptedVector::calls, 1);
}

TEST_F(NavStateTest, LegIndexPastTheListLeavesTheLegVector) {
    host.frame_seconds = 6.0f;
    script_vector(1.0, 6070.0);
    EXPECT_FALSE(nav.update_leg_track(3)) << "nothing to measure";
    EXPECT_EQ(nav.leg_vector.distance(), 0.0);
}

TEST_F(NavStateTest, ClipToWindowKeepsTheClippedEndsFirst) {
    EXPECT_EQ(nav.clip_to_window(103, 10, 103, 232, 20, 50, 186, 240), 1);
    EXPECT_EQ(nav.clipped_a().x, 103);
    EXPECT_EQ(nav.clipped_a().y, 50);
    EXPECT_EQ(nav.clipped_b().x, 103);
    EXPECT_EQ(nav.clipped_b().y, 232);
    EXPECT_EQ(nav.clip_window.right, 186.0);
    EXPECT_EQ(nav.clip_to_window(10, 10, 0, 0, 20, 50, 186, 240), 0);
}

TEST_F(NavStateTest, TrafficIsHeldFromOneRefreshToTheNext) {
    panelhost::SimObject other;
    other.name = "other";
    host.world().add_traffic(other);
    host.world().add_traffic(other);

    nav.refresh_traffic();
    EXPECT_EQ(nav.traffic_count, 2);
    EXPECT_EQ(nav.traffic_cursor, nav.traffic_list);
    ObjectRef ref;
    int walked = 0;
    while (nav.next_traffic(ref)) {
        const ObjectRef expected = host.world().ref_of(size_t(++walked));
        EXPECT_EQ(std::memcmp(&ref, &expected, sizeof ref), 0);
    }
    EXPECT_EQ(walked, 2);
    EXPECT_EQ(nav.traffic_cursor, nullptr);

    // A walk left at the head: the head is still released only once.
    nav.rewind_traffic();
    nav.refresh_traffic();
    nav.refresh_traffic();
    EXPECT_EQ(host.resources().outstanding_lists(), 1u);
    nav.release_traffic();
    nav.release_traffic();
    EXPECT_EQ(host.resources().outstanding_lists(), 0u);
    EXPECT_TRUE(host.problems().empty()) << host.problems().front();
}

TEST_F(NavStateTest, TrigTablesUseTheElevenDigitFactor) {
    EXPECT_EQ(nav.cos_table[0], 0.0);  // empty until filled
    nav.fill_trig_tables();
    EXPECT_EQ(nav.cos_table[0], 1.0);
    EXPECT_EQ(nav.sin_table[0], 0.0);
    EXPECT_NEAR(nav.sin_table[90], 1.0, 1e-15);
    EXPECT_EQ(nav.sin_table[30], std::sin(30 * 0.01745329252));
    EXPECT_NE(nav.sin_table[30], std::sin(30 * M_PI / 180.0));
    EXPECT_EQ(nav.cos_table[359], std::cos(359 * 0.01745329252));
}

TEST(ScreenPoint, TruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(screen_point({0.5, -0.5}, kAircraft).x, 102);
    EXPECT_EQ(screen_point({0.5, -0.5}, kAircraft).y, 231);
    EXPECT_EQ(screen_point({103.5, 0.0}, kAircraft).x, 0);  // -0.5 truncates to 0
    const Pixel far = screen_point({-INFINITY, NAN}, kAircraft);
    EXPECT_EQ(far.x, 1 << 28);
    EXPECT_EQ(far.y, 0);
}

}  // namespace
