// The scenario's route against the world database, and the flight's start,
// without a panel or a run folder.
#include <gtest/gtest.h>

#include <cmath>

#include "host/geo.h"
#include "host/route.h"

namespace panelhost {
namespace {

podlib::Record rec(std::string key, std::string id, std::string name, double lat, double lon) {
    podlib::Record r;
    r.key = std::move(key);
    r.identifier = std::move(id);
    r.name = std::move(name);
    r.latitude = lat;
    r.longitude = lon;
    return r;
}

WorldDb sample() {
    return WorldDb({rec("A1", "", "Harbour Field", 44.0, -12.0)}, {rec("N1", "HBR", "Harbour VOR", 44.5, -12.0)},
                   {rec("W1", "FODAK", "", 45.0, -11.0)});
}

RoutePoint key(std::string k, int line, std::optional<double> altitude = std::nullopt) {
    RoutePoint p;
    p.key = std::move(k);
    p.altitude_ft = altitude;
    p.line = line;
    return p;
}

RoutePoint user(std::string name, double lat, double lon, int line, std::optional<double> altitude = std::nullopt) {
    RoutePoint p;
    p.name = std::move(name);
    p.latitude = lat;
    p.longitude = lon;
    p.altitude_ft = altitude;
    p.line = line;
    return p;
}

Scenario with_route(std::vector<RoutePoint> route) {
    Scenario s;
    s.file = "hop.toml";
    s.start_altitude_ft = 1500;
    s.route = std::move(route);
    return s;
}

TEST(Route, EachPointIsNamedAndPlacedFromItsRecordOrAsGiven) {
    Scenario s = with_route({key("A1", 10), key("N1", 14), user("BEND", 45.5, -11.5, 18), key("W1", 22)});
    std::vector<PlanWaypoint> plan = resolve_route(s, sample());
    ASSERT_EQ(plan.size(), 4u);
    // An airport without an identifier goes by its name.
    EXPECT_EQ(plan[0].name, "Harbour Field");
    EXPECT_EQ(plan[0].kind, PlanWaypoint::kAirport);
    EXPECT_EQ(plan[0].key, "A1");
    EXPECT_EQ(plan[1].name, "HBR");
    EXPECT_EQ(plan[1].kind, PlanWaypoint::kNavaid);
    EXPECT_EQ(plan[2].name, "BEND");
    EXPECT_EQ(plan[2].kind, PlanWaypoint::kUser);
    EXPECT_TRUE(plan[2].key.empty());
    EXPECT_DOUBLE_EQ(plan[2].position.latitude, 45.5 * kArcsecPerDegree);
    EXPECT_DOUBLE_EQ(plan[2].position.longitude, (360 - 11.5) * kArcsecPerDegree);
    EXPECT_EQ(plan[3].kind, PlanWaypoint::kWaypoint);
    EXPECT_DOUBLE_EQ(plan[1].position.latitude, 44.5 * kArcsecPerDegree);
}

TEST(Route, AnAltitudeHoldsUntilAPointNamesAnother) {
    Scenario s = with_route({key("A1", 10), key("N1", 14, 4000.0), user("BEND", 45.5, -11.5, 18), key("W1", 22, 2500.0)});
    std::vector<PlanWaypoint> plan = resolve_route(s, sample());
    ASSERT_EQ(plan.size(), 4u);
    // Not the airport's elevation: the start altitude until one is named.
    EXPECT_EQ(plan[0].position.altitude, 1500);
    EXPECT_EQ(plan[1].position.altitude, 4000);
    EXPECT_EQ(plan[2].position.altitude, 4000);
    EXPECT_EQ(plan[3].position.altitude, 2500);
}

TEST(Route, AKeyTheWorldDoesNotHoldNamesItsLine) {
    Scenario s = with_route({key("A1", 10), key("N9", 14), key("W1", 22)});
    try {
        resolve_route(s, sample());
        FAIL() << "an unknown key was accepted";
    } catch (const ScenarioError &e) {
        EXPECT_STREQ(e.what(), "hop.toml:14: no airport, navaid or waypoint of the world has the key \"N9\"");
    }
    // Keys are not names: the identifier does not find the record.
    EXPECT_THROW(resolve_route(with_route({key("HBR", 3), key("A1", 4)}), sample()), ScenarioError);
}

TEST(Route, TheFlightStartsAtTheFirstPointAndFliesTheRest) {
    Scenario s = with_route({user("START", 44.0, -12.0, 1, 3000.0), user("EAST", 44.0, -11.0, 2), user("NORTH", 45.0, -11.0, 3)});
    std::vector<PlanWaypoint> plan = resolve_route(s, WorldDb());
    Flight f = flight_along(plan, s);
    EXPECT_EQ(f.state().position.altitude, 1500);  // the start altitude, not the first point's
    EXPECT_NEAR(f.state().true_heading_deg, 90.0, 0.5);
    ASSERT_EQ(f.route().size(), 2u);
    EXPECT_EQ(f.route()[0].ident, "EAST");
    EXPECT_EQ(f.route()[0].position.altitude, 3000);

    s.start_heading_deg = 270.0;
    EXPECT_EQ(flight_along(plan, s).state().true_heading_deg, 270.0);

    plan.resize(1);
    EXPECT_THROW(flight_along(plan, s), ScenarioError);
}

}  // namespace
}  // namespace panelhost
