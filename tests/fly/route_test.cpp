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

// A world where identifiers repeat, as they do on the real earth: two VORs
// "DUP" far apart (with an NDB "DUP" beside the western one), an airport and
// a fix of one name, and a single "ONE".
WorldDb repeating() {
    auto navaid = [](std::string key, std::string id, double lat, double lon, podlib::NavaidKind kind) {
        podlib::Record r = rec(std::move(key), std::move(id), "", lat, lon);
        r.kind = kind;
        return r;
    };
    return WorldDb({rec("A1", "XPAL", "Palm Field", 44.0, -12.0), rec("A2", "XFAR", "Far Field", 44.0, 20.0),
                    rec("A3", "TWIN", "Twin Field", 44.2, -11.8)},
                   {navaid("N1", "DUP", 44.5, -12.0, podlib::NavaidKind::vor_dme),
                    navaid("N2", "DUP", 44.5, 20.0, podlib::NavaidKind::vortac),
                    navaid("N3", "DUP", 44.51, -12.01, podlib::NavaidKind::ndb),
                    navaid("N4", "ONE", 45.0, -11.0, podlib::NavaidKind::vor)},
                   {rec("W1", "TWIN", "", 45.0, -12.5), rec("W2", "FIXA", "", 44.8, 19.0)});
}

RoutePoint ident(std::string id, int line, plans::PointKind kind = plans::PointKind::kAny) {
    RoutePoint p;
    p.ident = std::move(id);
    p.kind = kind;
    p.line = line;
    return p;
}

// A point as a plan file gives it: identifier, kind and position.
RoutePoint planned(std::string id, plans::PointKind kind, double lat, double lon, int line) {
    RoutePoint p = ident(std::move(id), line, kind);
    p.latitude = lat;
    p.longitude = lon;
    p.file = "plan.fms";
    return p;
}

std::string error_of(const Scenario &s, const WorldDb &db) {
    try {
        resolve_route(s, db);
    } catch (const ScenarioError &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Route, AnIdentifierIsTheRecordNearestThePreviousPoint) {
    const WorldDb db = repeating();
    // From the western airport the western VOR; from the eastern one the
    // eastern VOR; and then back west from there.
    std::vector<PlanWaypoint> plan = resolve_route(
        with_route({key("A1", 1), ident("DUP", 2, plans::PointKind::kVor), key("A2", 3), ident("dup", 4, plans::PointKind::kVor),
                    ident("TWIN", 5)}),
        db);
    ASSERT_EQ(plan.size(), 5u);
    EXPECT_EQ(plan[1].key, "N1");
    EXPECT_EQ(plan[1].name, "DUP");
    EXPECT_EQ(plan[1].kind, PlanWaypoint::kNavaid);
    EXPECT_EQ(plan[3].key, "N2");  // case does not matter
    // From the eastern VOR the airport TWIN at 44.2 N 11.8 W is nearer
    // than the fix TWIN at 45 N 12.5 W: kinds do not matter without 'kind'.
    EXPECT_EQ(plan[4].key, "A3");
    EXPECT_EQ(plan[4].kind, PlanWaypoint::kAirport);

    // A kind narrows the choice: the NDB beside the western VOR, the fix
    // rather than the airport.
    plan = resolve_route(with_route({key("A1", 1), ident("DUP", 2, plans::PointKind::kNdb), ident("TWIN", 3, plans::PointKind::kFix)}), db);
    EXPECT_EQ(plan[1].key, "N3");
    EXPECT_EQ(plan[2].key, "W1");
    EXPECT_EQ(plan[2].kind, PlanWaypoint::kWaypoint);

    EXPECT_EQ(error_of(with_route({key("A1", 1), ident("ONE", 7, plans::PointKind::kNdb)}), db),
              "hop.toml:7: no NDB of the world has the identifier \"ONE\"");
    EXPECT_EQ(error_of(with_route({key("A1", 1), ident("NONE", 8)}), db),
              "hop.toml:8: no airport, navaid or fix of the world has the identifier \"NONE\"");
}

TEST(Route, TheFirstPointMustBeTheOnlyRecordOfItsIdentifier) {
    const WorldDb db = repeating();
    EXPECT_EQ(error_of(with_route({ident("DUP", 3), key("A1", 4)}), db),
              "hop.toml:3: \"DUP\" names 3 points of the world and the route's first point must be one; give its 'key' "
              "(or 'kind') instead: VOR-DME N1 at 44.5000 N 12.0000 W, VORTAC N2 at 44.5000 N 20.0000 E, "
              "NDB N3 at 44.5100 N 12.0100 W");
    // Narrowed to one by its kind, or alone of its name, it starts the route.
    EXPECT_EQ(resolve_route(with_route({ident("DUP", 3, plans::PointKind::kNdb), key("A1", 4)}), db)[0].key, "N3");
    EXPECT_EQ(resolve_route(with_route({ident("ONE", 3), key("A1", 4)}), db)[0].key, "N4");
    EXPECT_NE(error_of(with_route({ident("DUP", 3, plans::PointKind::kVor), key("A1", 4)}), db).find("names 2 points"),
              std::string::npos);
}

TEST(Route, APlannedPointIsMatchedNearWhereTheFileSaysOrFlownAsAUserWaypoint) {
    const WorldDb db = repeating();
    using plans::PointKind;
    // One degree of latitude is 60 nm: 0.04 degrees some 2.4 nm, 0.01 some 0.6.
    Scenario s = with_route({planned("XPAL", PointKind::kAirport, 44.04, -12.0, 7),  // 2.4 nm: an airport
                             planned("DUP", PointKind::kVor, 44.49, -12.0, 8),       // 0.6 nm: the western VOR
                             planned("DUP", PointKind::kAny, 44.5, 19.99, 9),        // any kind, by the position
                             planned("FIXA", PointKind::kFix, 44.83, 19.0, 10),      // 1.8 nm off: not this fix
                             planned("GONE", PointKind::kNdb, 44.0, 19.0, 11),       // nowhere in the world
                             planned("XFAR", PointKind::kVor, 44.0, 20.0, 12)});     // of another kind
    std::vector<std::string> warnings;
    std::vector<PlanWaypoint> plan = resolve_route(s, db, &warnings);
    ASSERT_EQ(plan.size(), 6u);
    EXPECT_EQ(plan[0].key, "A1");
    EXPECT_DOUBLE_EQ(plan[0].position.latitude, 44.0 * kArcsecPerDegree);  // the record's position, not the file's
    EXPECT_EQ(plan[1].key, "N1");
    EXPECT_EQ(plan[2].key, "N2");
    for (size_t i : {3, 4, 5}) {
        EXPECT_EQ(plan[i].kind, PlanWaypoint::kUser) << i;
        EXPECT_TRUE(plan[i].key.empty());
    }
    EXPECT_EQ(plan[3].name, "FIXA");
    EXPECT_DOUBLE_EQ(plan[3].position.latitude, 44.83 * kArcsecPerDegree);
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_EQ(warnings[0], "plan.fms:10: warning: fix FIXA at 44.8300 N 19.0000 E is not in the world (the nearest of "
                           "that identifier lies 1.8 nm away); flown as a user waypoint there");
    EXPECT_EQ(warnings[1], "plan.fms:11: warning: NDB GONE at 44.0000 N 19.0000 E is not in the world; flown as a user "
                           "waypoint there");
    EXPECT_EQ(warnings[2].rfind("plan.fms:12: warning: VOR XFAR", 0), 0u);

    // An airport more than 3 nm away is another airport.
    s = with_route({planned("XPAL", PointKind::kAirport, 44.06, -12.0, 7), key("A1", 8)});
    warnings.clear();
    EXPECT_EQ(resolve_route(s, db, &warnings)[0].kind, PlanWaypoint::kUser);
    EXPECT_EQ(warnings.size(), 1u);
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
