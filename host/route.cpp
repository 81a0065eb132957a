#include "host/route.h"

namespace panelhost {
namespace {

PlanWaypoint::Kind kind_of(podlib::Table t) {
    switch (t) {
    case podlib::Table::airports: return PlanWaypoint::kAirport;
    case podlib::Table::navaids: return PlanWaypoint::kNavaid;
    case podlib::Table::waypoints: return PlanWaypoint::kWaypoint;
    }
    return PlanWaypoint::kUser;
}

}  // namespace

std::vector<PlanWaypoint> resolve_route(const Scenario &scenario, const WorldDb &db) {
    std::vector<PlanWaypoint> plan;
    double altitude = scenario.start_altitude_ft;
    for (const RoutePoint &p : scenario.route) {
        PlanWaypoint w;
        if (!p.key.empty()) {
            auto found = db.find(p.key);
            if (!found)
                fail_at(scenario, p.line, "no airport, navaid or waypoint of the world has the key \"" + p.key + "\"");
            w.kind = kind_of(found->table);
            w.key = p.key;
            w.name = found->record->identifier.empty() ? found->record->name : found->record->identifier;
            w.position = position_of(*found->record);
        } else {
            w.name = p.name;
            w.position = from_degrees(p.latitude, p.longitude, 0);
        }
        if (p.altitude_ft) altitude = *p.altitude_ft;
        w.position.altitude = altitude;
        plan.push_back(std::move(w));
    }
    return plan;
}

Flight flight_along(const std::vector<PlanWaypoint> &plan, const Scenario &scenario) {
    if (plan.size() < 2) throw ScenarioError(scenario.file + ": the route needs at least two points");
    AircraftState start;
    start.position = plan.front().position;
    start.position.altitude = scenario.start_altitude_ft;
    if (scenario.start_heading_deg) {
        start.true_heading_deg = *scenario.start_heading_deg;
    } else {
        double v[3];
        position_vector(plan[0].position, plan[1].position, v);
        start.true_heading_deg = v[1] * 180.0 / kPi;
    }
    std::vector<RouteWaypoint> legs;
    for (size_t i = 1; i < plan.size(); ++i) legs.push_back({plan[i].name, plan[i].position});
    FlightSettings settings;
    settings.speed_kt = scenario.speed_kt;
    settings.turn_rate_dps = scenario.turn_rate_dps;
    settings.climb_fpm = scenario.climb_fpm;
    return Flight(std::move(legs), start, settings);
}

}  // namespace panelhost
