#include "host/world_db.h"

#include <algorithm>
#include <cmath>

#include "host/geo.h"
#include "host/host_error.h"

namespace panelhost {
namespace {


double distance_feet(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return v[2];
}

// The records within the radius, nearest first, with their distances.
template <class Out, class Make>
void nearest(const std::vector<podlib::Record> &records, const GeoPosition &at, double radius_nm,
             std::vector<Out> &out, Make make) {
    std::vector<std::pair<double, const podlib::Record *>> near;
    for (const podlib::Record &r : records) {
        double d = distance_feet(at, position_of(r));
        if (d <= radius_nm * kFeetPerNauticalMile) near.emplace_back(d, &r);
    }
    std::stable_sort(near.begin(), near.end(), [](auto &a, auto &b) { return a.first < b.first; });
    out.clear();
    for (auto &[d, r] : near) out.push_back(make(*r));
}

}  // namespace

GeoPosition position_of(const podlib::Record &r) { return from_degrees(r.latitude, r.longitude, r.elevation); }

uint32_t navaid_flags(podlib::NavaidKind kind) {
    switch (kind) {
    case podlib::NavaidKind::vor:
    case podlib::NavaidKind::vor_dme:
    case podlib::NavaidKind::vortac: return hostlist::navaid::kVor;
    case podlib::NavaidKind::ndb: return hostlist::navaid::kNdb;
    case podlib::NavaidKind::dme: return 0;
    }
    return 0;
}

WorldDb::WorldDb(std::vector<podlib::Record> airports, std::vector<podlib::Record> navaids,
                 std::vector<podlib::Record> waypoints)
    : airports_(std::move(airports)), navaids_(std::move(navaids)), waypoints_(std::move(waypoints)) {}

WorldDb WorldDb::load(const std::filesystem::path &system_folder) {
    auto table = [&](podlib::Table t) {
        const podlib::TableInfo &info = podlib::table_info(t);
        std::string file = (system_folder / std::string(info.archive_file)).string();
        try {
            return podlib::decode_table(t, podlib::extract_entry(file, std::string(info.entry_path)));
        } catch (const podlib::Error &e) {
            std::string what = e.what();
            // podlib names the file in its messages; add it where it does not.
            throw HostError(what.find(file) == std::string::npos ? file + ": " + what : what);
        }
    };
    auto airports = table(podlib::Table::airports);  // in this order: the first missing one is named
    auto navaids = table(podlib::Table::navaids);
    return WorldDb(std::move(airports), std::move(navaids), table(podlib::Table::waypoints));
}

std::optional<WorldDb::Found> WorldDb::find(const std::string &key) const {
    for (auto [table, records] : {std::pair{podlib::Table::airports, &airports_},
                                  std::pair{podlib::Table::navaids, &navaids_},
                                  std::pair{podlib::Table::waypoints, &waypoints_}})
        for (const podlib::Record &r : *records)
            if (r.key == key) return Found{table, &r};
    return std::nullopt;
}

void WorldDb::fill_nearby(World &world, const GeoPosition &at, double radius_nm) const {
    nearest(airports_, at, radius_nm, world.nearby_airports, [](const podlib::Record &r) {
        GeoPosition p = position_of(r);
        return NearbyAirport{r.key, r.identifier, p.latitude, p.longitude};
    });
    nearest(navaids_, at, radius_nm, world.nearby_navaids, [](const podlib::Record &r) {
        GeoPosition p = position_of(r);
        return NearbyNavaid{r.identifier, navaid_flags(r.kind), p.latitude, p.longitude, float(r.frequency)};
    });
    nearest(waypoints_, at, radius_nm, world.nearby_points, [](const podlib::Record &r) {
        GeoPosition p = position_of(r);
        return NearbyPoint{r.identifier, 0, p.latitude, p.longitude};
    });
}

// Inverse-distance weighting over the four nearest records of all tables: the
// variation changes smoothly along a flight instead of jumping at each record.
double WorldDb::variation_at(const GeoPosition &at) const {
    std::vector<std::pair<double, double>> near;  // distance, variation
    for (auto *records : {&airports_, &navaids_, &waypoints_})
        for (const podlib::Record &r : *records) near.emplace_back(distance_feet(at, position_of(r)), r.variation);
    if (near.empty()) return 0.0;
    size_t n = std::min<size_t>(4, near.size());
    std::partial_sort(near.begin(), near.begin() + long(n), near.end());
    double weights = 0, sum = 0;
    for (size_t i = 0; i < n; ++i) {
        if (near[i].first < 1.0) return near[i].second;
        double w = 1.0 / (near[i].first * near[i].first);
        weights += w;
        sum += w * near[i].second;
    }
    return sum / weights;
}

}  // namespace panelhost
