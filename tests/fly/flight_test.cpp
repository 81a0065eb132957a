// The flight model: legs are passed where a fly-by turn begins, headings
// turn at the standard rate, altitudes follow the route or the autopilot.
#include <gtest/gtest.h>

#include <cmath>

#include "host/flight.h"
#include "host/geo.h"

namespace panelhost {
namespace {

constexpr double kStep = 1.0 / 30.0;

double bearing_deg(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return v[1] * 180.0 / kPi;
}
double distance_nm(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return v[2] / kFeetPerNauticalMile;
}

// Flies until a waypoint is passed; returns where (and checks it is passed once).
struct Passage {
    size_t index;
    GeoPosition at;
    double time;
};
std::vector<Passage> fly(Flight &f, double seconds, std::optional<double> fpm = std::nullopt) {
    std::vector<Passage> out;
    for (int i = 0; i < int(seconds / kStep); ++i)
        if (auto p = f.step(kStep, fpm)) out.push_back({*p, f.state().position, f.time()});
    return out;
}

AircraftState at(double lat, double lon, double altitude, double heading) {
    return AircraftState{from_degrees(lat, lon, altitude), heading, 0, 0};
}

TEST(Flight, StraightLegIsPassedAtTheWaypoint) {
    GeoPosition a = from_degrees(44.0, -12.0, 3000), b = from_degrees(44.2, -12.0, 3000);
    Flight f({{"B", b}}, at(44.0, -12.0, 3000, 0), FlightSettings{});
    double leg_nm = distance_nm(a, b);  // 12 nm at 150 kt: 288 s
    auto passed = fly(f, 400);
    ASSERT_EQ(passed.size(), 1u);
    EXPECT_EQ(passed[0].index, 0u);
    EXPECT_LT(distance_nm(passed[0].at, b), 0.1 + 0.01);
    EXPECT_NEAR(passed[0].time, leg_nm / 150.0 * 3600.0, 3.0);
    EXPECT_TRUE(f.finished());
}

TEST(Flight, RightAngleTurnStartsAtTheLeadDistance) {
    // North to B, then east to C: the turn of 90 degrees begins r*tan(45) = r before B.
    GeoPosition b = from_degrees(44.2, -12.0, 3000), c = from_degrees(44.2, -11.6, 3000);
    FlightSettings s;
    Flight f({{"B", b}, {"C", c}}, at(44.0, -12.0, 3000, 0), s);
    double radius_nm = s.speed_kt * kKnotToFps / (s.turn_rate_dps * kPi / 180.0) / kFeetPerNauticalMile;
    auto passed = fly(f, 320);
    ASSERT_EQ(passed.size(), 1u);
    EXPECT_NEAR(distance_nm(passed[0].at, b), radius_nm, 0.02);
    // Turning at 3 degrees a second, the aircraft is on the new leg 30 s later.
    fly(f, 35);
    EXPECT_NEAR(f.state().true_heading_deg, bearing_deg(f.state().position, c), 1.0);
    double off_track_nm = std::fabs(f.state().position.latitude - b.latitude) / 3600.0 * 60.0;
    EXPECT_LT(off_track_nm, 0.2);
}

TEST(Flight, OverflownWaypointBehindIsPassed) {
    // Heading away from a waypoint just behind: passed at once, not chased round.
    Flight f({{"B", from_degrees(44.0, -12.0, 0)}, {"C", from_degrees(44.5, -12.0, 0)}}, at(44.005, -12.0, 0, 0),
             FlightSettings{});
    auto passed = fly(f, 1);
    ASSERT_EQ(passed.size(), 1u);
    EXPECT_EQ(passed[0].index, 0u);
}

TEST(Flight, ClimbsToTheWaypointAltitudeAtTheClimbRate) {
    FlightSettings s;
    s.climb_fpm = 600;
    Flight f({{"B", from_degrees(45.0, -12.0, 4000)}}, at(44.0, -12.0, 3000, 0), s);
    fly(f, 60);
    EXPECT_NEAR(f.state().position.altitude, 3600, 1.0);
    EXPECT_NEAR(f.state().vertical_speed_fpm, 600, 1e-6);
    fly(f, 60);
    EXPECT_DOUBLE_EQ(f.state().position.altitude, 4000);
    EXPECT_NEAR(f.state().vertical_speed_fpm, 0, 1e-6);
}

TEST(Flight, AutopilotVerticalSpeedOverridesTheRoute) {
    Flight f({{"B", from_degrees(45.0, -12.0, 3000)}}, at(44.0, -12.0, 3000, 0), FlightSettings{});
    fly(f, 30, -500.0);
    EXPECT_NEAR(f.state().position.altitude, 2750, 1.0);
    fly(f, 3000, -5000.0);
    EXPECT_EQ(f.state().position.altitude, 0.0);  // not below the ground
}

TEST(Flight, GroundSpeedCoversTheDistance) {
    FlightSettings s;
    s.speed_kt = 360;
    Flight f({{"B", from_degrees(46.0, -12.0, 0)}}, at(44.0, -12.0, 0, 0), s);
    GeoPosition start = f.state().position;
    fly(f, 60);
    EXPECT_NEAR(distance_nm(start, f.state().position), 6.0, 0.01);
    EXPECT_NEAR(f.state().ground_speed_fps, 360 * kKnotToFps, 1e-9);
}

TEST(Traffic, FliesItsTrackAndAltitude) {
    GeoPosition p = from_degrees(44.0, -12.0, 5000);
    TrafficMotion m{90, 120, -600, 0};
    GeoPosition start = p;
    for (int i = 0; i < 1800; ++i) move_traffic(p, m, kStep);  // one minute
    EXPECT_NEAR(distance_nm(start, p), 2.0, 0.01);
    EXPECT_NEAR(bearing_deg(start, p), 90.0, 0.2);
    EXPECT_NEAR(p.altitude, 4400, 0.5);
    TrafficMotion orbit{0, 100, 0, 3};
    for (int i = 0; i < 1800; ++i) move_traffic(p, orbit, kStep);
    EXPECT_NEAR(orbit.heading_deg, 180.0, 1e-6);
}

TEST(Flight, HeadingDifferenceFolds) {
    EXPECT_DOUBLE_EQ(heading_difference(10, 350), 20);
    EXPECT_DOUBLE_EQ(heading_difference(350, 10), -20);
    EXPECT_DOUBLE_EQ(heading_difference(180, 0), -180);
    EXPECT_DOUBLE_EQ(heading_difference(725, 0), 5);
}

}  // namespace
}  // namespace panelhost
