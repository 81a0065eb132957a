#include "host/flight_map.h"

#include <algorithm>
#include <limits>
#include <set>

#include "host/geo.h"

namespace panelhost {
namespace {

constexpr int kMapMargin = 40;
// Records of each kind shown at most: past a few hundred the map is a blur.
constexpr size_t kMostOfEachKind = 300;

MapPlace place_of(const GeoPosition &p) { return {latitude_degrees(p), longitude_degrees(p)}; }

MapSymbol navaid_symbol(podlib::NavaidKind kind) {
    switch (kind) {
    case podlib::NavaidKind::ndb: return MapSymbol::kNdb;
    case podlib::NavaidKind::dme: return MapSymbol::kDme;
    default: return MapSymbol::kVor;
    }
}

MapSymbol route_symbol(const PlanWaypoint &w, const WorldDb &db) {
    switch (w.kind) {
    case PlanWaypoint::kAirport: return MapSymbol::kAirport;
    case PlanWaypoint::kNavaid: {
        auto found = db.find(w.key);
        return found ? navaid_symbol(found->record->kind) : MapSymbol::kVor;
    }
    case PlanWaypoint::kWaypoint: return MapSymbol::kFix;
    case PlanWaypoint::kUser: return MapSymbol::kUser;
    }
    return MapSymbol::kUser;
}

}  // namespace

std::vector<MapPlace> logged_places(const nlohmann::json &entries) {
    std::vector<MapPlace> out;
    for (const auto &e : entries)
        if (e.contains("latitude_deg") && e.contains("longitude_deg"))
            out.push_back({e["latitude_deg"].get<double>(), e["longitude_deg"].get<double>()});
    return out;
}

FlightMap flight_map(const std::string &title, const std::vector<PlanWaypoint> &plan, const WorldDb &db,
                     const std::vector<MapPlace> &track, const std::vector<MapPlace> &pings, int max_width,
                     int max_height) {
    FlightMap m;
    m.input.title = title;
    std::set<std::string> on_route;
    for (const PlanWaypoint &w : plan) {
        m.input.route.push_back({place_of(w.position), w.name, route_symbol(w, db)});
        if (!w.key.empty()) on_route.insert(w.key);
    }
    m.input.track = track;
    m.input.pings = pings;
    std::vector<MapPlace> fitted;
    for (const MapPoint &p : m.input.route) fitted.push_back(p.at);
    fitted.insert(fitted.end(), track.begin(), track.end());
    m.projection = MapProjection::fit(fitted, max_width, max_height, kMapMargin);

    // What the route and the track pass, in pixels: the points and every
    // tenth track point are near enough for ordering.
    std::vector<std::pair<double, double>> passed;
    for (const MapPoint &p : m.input.route) passed.emplace_back(m.projection.x(p.at), m.projection.y(p.at));
    for (size_t i = 0; i < track.size(); i += 10) passed.emplace_back(m.projection.x(track[i]), m.projection.y(track[i]));
    auto closeness = [&](const MapPlace &p) {
        double x = m.projection.x(p), y = m.projection.y(p), best = std::numeric_limits<double>::max();
        for (auto &[px, py] : passed) best = std::min(best, (x - px) * (x - px) + (y - py) * (y - py));
        return best;
    };
    auto add = [&](const std::vector<podlib::Record> &records, auto symbol_of) {
        std::vector<std::pair<double, MapPoint>> inside;
        for (const podlib::Record &r : records) {
            MapPlace at{r.latitude, r.longitude};
            if (on_route.count(r.key) || !m.projection.contains(at)) continue;
            inside.emplace_back(closeness(at), MapPoint{at, r.identifier.empty() ? r.name : r.identifier, symbol_of(r)});
        }
        size_t n = std::min(inside.size(), kMostOfEachKind);
        std::partial_sort(inside.begin(), inside.begin() + long(n), inside.end(),
                          [](const auto &a, const auto &b) { return a.first < b.first; });
        for (size_t i = 0; i < n; ++i) m.input.nearby.push_back(std::move(inside[i].second));
    };
    // In the order their labels are placed: airports, navaids, then fixes.
    add(db.airports(), [](const podlib::Record &) { return MapSymbol::kAirport; });
    add(db.navaids(), [](const podlib::Record &r) { return navaid_symbol(r.kind); });
    add(db.waypoints(), [](const podlib::Record &) { return MapSymbol::kFix; });
    return m;
}

}  // namespace panelhost
