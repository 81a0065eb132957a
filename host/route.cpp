#include "host/route.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "host/geo.h"

namespace panelhost {
namespace {

using plans::PointKind;

// How far a record may lie from where a plan file puts it: data sets of
// different cycles move points a little, and an airport's reference point
// is placed differently by different tools.
constexpr double kAirportToleranceNm = 3.0;
constexpr double kNavaidToleranceNm = 1.0;
// Candidates listed in the message for an ambiguous first point.
constexpr size_t kCandidatesListed = 12;

PlanWaypoint::Kind kind_of(podlib::Table t) {
    switch (t) {
    case podlib::Table::airports: return PlanWaypoint::kAirport;
    case podlib::Table::navaids: return PlanWaypoint::kNavaid;
    case podlib::Table::waypoints: return PlanWaypoint::kWaypoint;
    }
    return PlanWaypoint::kUser;
}

bool is_vor(podlib::NavaidKind k) {
    return k == podlib::NavaidKind::vor || k == podlib::NavaidKind::vor_dme || k == podlib::NavaidKind::vortac;
}

bool of_kind(podlib::Table table, const podlib::Record &r, PointKind kind) {
    switch (kind) {
    case PointKind::kAny: return true;
    case PointKind::kAirport: return table == podlib::Table::airports;
    case PointKind::kVor: return table == podlib::Table::navaids && is_vor(r.kind);
    case PointKind::kNdb: return table == podlib::Table::navaids && r.kind == podlib::NavaidKind::ndb;
    case PointKind::kFix: return table == podlib::Table::waypoints;
    case PointKind::kUser: return false;
    }
    return false;
}

bool same_ident(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

double distance_nm(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return v[2] / kFeetPerNauticalMile;
}

struct Candidate {
    podlib::Table table;
    const podlib::Record *record;
    GeoPosition position;
};

// Every record of the world with the identifier, of the kind asked for.
std::vector<Candidate> candidates(const WorldDb &db, const std::string &ident, PointKind kind) {
    std::vector<Candidate> out;
    for (auto [table, records] : {std::pair{podlib::Table::airports, &db.airports()},
                                  std::pair{podlib::Table::navaids, &db.navaids()},
                                  std::pair{podlib::Table::waypoints, &db.waypoints()}})
        for (const podlib::Record &r : *records)
            if (same_ident(r.identifier, ident) && of_kind(table, r, kind)) out.push_back({table, &r, position_of(r)});
    return out;
}

std::string what_record(const Candidate &c) {
    switch (c.table) {
    case podlib::Table::airports: return "airport";
    case podlib::Table::navaids: return std::string(podlib::kind_name(c.record->kind));
    case podlib::Table::waypoints: return "fix";
    }
    return "point";
}

std::string place_text(double lat, double lon) {
    char t[64];
    std::snprintf(t, sizeof t, "%.4f %c %.4f %c", std::fabs(lat), lat < 0 ? 'S' : 'N', std::fabs(lon), lon < 0 ? 'W' : 'E');
    return t;
}

std::string place_text(const GeoPosition &p) { return place_text(latitude_degrees(p), longitude_degrees(p)); }

std::string kind_text(PointKind kind) {
    return kind == PointKind::kAny ? "airport, navaid or fix" : std::string(plans::kind_name(kind));
}

class Resolver {
public:
    Resolver(const Scenario &scenario, const WorldDb &db, std::vector<std::string> *warnings)
        : scenario_(scenario), db_(db), warnings_(warnings) {}

    std::vector<PlanWaypoint> resolve() {
        double altitude = scenario_.start_altitude_ft;
        for (const RoutePoint &p : scenario_.route) {
            PlanWaypoint w = !p.key.empty() ? by_key(p) : !p.ident.empty() ? by_ident(p) : user(p, p.name);
            if (p.altitude_ft) altitude = *p.altitude_ft;
            w.position.altitude = altitude;
            plan_.push_back(std::move(w));
        }
        return std::move(plan_);
    }

private:
    [[noreturn]] void fail(const RoutePoint &p, const std::string &what) const {
        throw ScenarioError((p.file.empty() ? scenario_.file : p.file) + ":" + std::to_string(p.line) + ": " + what);
    }
    void warn(const RoutePoint &p, const std::string &what) const {
        if (warnings_)
            warnings_->push_back((p.file.empty() ? scenario_.file : p.file) + ":" + std::to_string(p.line) +
                                 ": warning: " + what);
    }

    static PlanWaypoint record_point(podlib::Table table, const podlib::Record &r) {
        PlanWaypoint w;
        w.kind = kind_of(table);
        w.key = r.key;
        w.name = r.identifier.empty() ? r.name : r.identifier;
        w.position = position_of(r);
        return w;
    }

    static PlanWaypoint user(const RoutePoint &p, const std::string &name) {
        PlanWaypoint w;
        w.name = name;
        w.position = from_degrees(p.latitude.value_or(0), p.longitude.value_or(0), 0);
        return w;
    }

    PlanWaypoint by_key(const RoutePoint &p) const {
        auto found = db_.find(p.key);
        if (!found) fail(p, "no airport, navaid or waypoint of the world has the key \"" + p.key + "\"");
        return record_point(found->table, *found->record);
    }

    PlanWaypoint by_ident(const RoutePoint &p) const {
        std::vector<Candidate> found = candidates(db_, p.ident, p.kind);
        if (p.latitude) return near_given(p, found);
        if (found.empty()) fail(p, "no " + kind_text(p.kind) + " of the world has the identifier \"" + p.ident + "\"");
        // As a flight management system does: the one nearest the previous
        // point; the first point has none, so it must be the only one.
        if (plan_.empty()) {
            if (found.size() > 1) fail(p, ambiguous(p, found));
            return record_point(found[0].table, *found[0].record);
        }
        const GeoPosition &previous = plan_.back().position;
        auto nearest = std::min_element(found.begin(), found.end(), [&](const Candidate &a, const Candidate &b) {
            return distance_nm(previous, a.position) < distance_nm(previous, b.position);
        });
        return record_point(nearest->table, *nearest->record);
    }

    // A point a plan file places: the nearest record of its identifier
    // within the tolerance of its kind, else a user waypoint where the file
    // says, with a warning.
    PlanWaypoint near_given(const RoutePoint &p, const std::vector<Candidate> &found) const {
        const GeoPosition given = from_degrees(*p.latitude, *p.longitude, 0);
        const Candidate *best = nullptr;
        double best_nm = 0, nearest_nm = -1;
        for (const Candidate &c : found) {
            double d = distance_nm(given, c.position);
            if (nearest_nm < 0 || d < nearest_nm) nearest_nm = d;
            double tolerance = c.table == podlib::Table::airports ? kAirportToleranceNm : kNavaidToleranceNm;
            if (d <= tolerance && (best == nullptr || d < best_nm)) best = &c, best_nm = d;
        }
        if (best) return record_point(best->table, *best->record);
        std::string what = kind_text(p.kind) + " " + p.ident + " at " + place_text(*p.latitude, *p.longitude) +
                           " is not in the world";
        if (nearest_nm >= 0) {
            char away[96];
            std::snprintf(away, sizeof away, " (the nearest of that identifier lies %.1f nm away)", nearest_nm);
            what += away;
        }
        warn(p, what + "; flown as a user waypoint there");
        return user(p, p.ident);
    }

    std::string ambiguous(const RoutePoint &p, const std::vector<Candidate> &found) const {
        std::string what = "\"" + p.ident + "\" names " + std::to_string(found.size()) +
                           " points of the world and the route's first point must be one; give its 'key' "
                           "(or 'kind') instead:";
        for (size_t i = 0; i < found.size() && i < kCandidatesListed; ++i)
            what += (i ? ", " : " ") + what_record(found[i]) + " " + found[i].record->key + " at " +
                    place_text(found[i].position);
        if (found.size() > kCandidatesListed) what += ", and " + std::to_string(found.size() - kCandidatesListed) + " more";
        return what;
    }

    const Scenario &scenario_;
    const WorldDb &db_;
    std::vector<std::string> *warnings_;
    std::vector<PlanWaypoint> plan_;
};

}  // namespace

std::vector<PlanWaypoint> resolve_route(const Scenario &scenario, const WorldDb &db, std::vector<std::string> *warnings) {
    return Resolver(scenario, db, warnings).resolve();
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
