#include "host/world_db.h"

#include <algorithm>
#include <cmath>

#include "host/geo.h"
#include "host/host_error.h"

namespace panelhost {
namespace {

constexpr double kKilometresPerFoot = 0.0003048;
// Where the weighting of the variation starts looking for its four records.
constexpr double kFirstVariationRadiusNm = 60.0;

double radians_of_feet(double feet) { return feet / kEarthRadiusFeet; }

std::array<double, 3> unit_vector(double latitude, double longitude) {
    const double p = latitude * kPi / 180.0, l = longitude * kPi / 180.0;
    return {std::cos(p) * std::cos(l), std::cos(p) * std::sin(l), std::sin(p)};
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

WorldDb::Placed WorldDb::place(const std::vector<podlib::Record> &records) {
    Placed p;
    std::vector<std::pair<double, double>> degrees;
    for (const podlib::Record &r : records) {
        p.positions.push_back(position_of(r));
        p.units.push_back(unit_vector(r.latitude, r.longitude));
        degrees.emplace_back(r.latitude, r.longitude);
    }
    p.index = GeoIndex(degrees);
    return p;
}

WorldDb::WorldDb(std::vector<podlib::Record> airports, std::vector<podlib::Record> navaids,
                 std::vector<podlib::Record> waypoints)
    : airports_(std::move(airports)), navaids_(std::move(navaids)), waypoints_(std::move(waypoints)),
      airports_placed_(place(airports_)), navaids_placed_(place(navaids_)), waypoints_placed_(place(waypoints_)) {}

// The cells give the records that may lie within the circle; of those, the
// ones whose chord to the centre is longer than the circle's are passed over
// cheaply, and the rest measured as position_vector measures.
void WorldDb::within(const Placed &t, const GeoPosition &at, double radius_feet,
                     std::vector<std::pair<double, uint32_t>> &out) const {
    const double lat = latitude_degrees(at), lon = longitude_degrees(at);
    const double radius = radians_of_feet(radius_feet);
    const bool everything = radius >= kPi;
    const double half_chord = std::sin(std::min(radius, kPi) / 2.0);
    const double limit = 4.0 * half_chord * half_chord * (1.0 + 1e-9) + 1e-12;
    const std::array<double, 3> c = unit_vector(lat, lon);
    std::vector<uint32_t> candidates;
    t.index.near(lat, lon, radius, candidates);
    LatitudeTrig trig;
    out.clear();
    for (uint32_t i : candidates) {
        const std::array<double, 3> &u = t.units[i];
        const double dx = u[0] - c[0], dy = u[1] - c[1], dz = u[2] - c[2];
        if (!everything && dx * dx + dy * dy + dz * dz > limit) continue;
        const double d = distance_feet(at, t.positions[i], trig);
        if (everything || d <= radius_feet) out.emplace_back(d, i);
    }
}

// The records within the radius, nearest first, records at one distance in
// their order in the table.
template <class Out, class Make>
void WorldDb::nearest(const Placed &t, const GeoPosition &at, double radius_nm, std::vector<Out> &out, Make make) const {
    std::vector<std::pair<double, uint32_t>> near;
    within(t, at, radius_nm * kFeetPerNauticalMile, near);
    std::sort(near.begin(), near.end());
    out.clear();
    out.reserve(near.size());
    for (auto &[d, i] : near) out.push_back(make(i, t.positions[i]));
}

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
    WorldDb db(std::move(airports), std::move(navaids), table(podlib::Table::waypoints));
    try {
        db.manifest_ = podlib::read_manifest(system_folder);
    } catch (const podlib::Error &e) {
        throw HostError(e.what());
    }
    return db;
}

std::optional<WorldDb::Found> WorldDb::find(const std::string &key) const {
    for (auto [table, records] : {std::pair{podlib::Table::airports, &airports_},
                                  std::pair{podlib::Table::navaids, &navaids_},
                                  std::pair{podlib::Table::waypoints, &waypoints_}})
        for (const podlib::Record &r : *records)
            if (r.key == key) return Found{table, &r};
    return std::nullopt;
}

void WorldDb::fill_nearby(World &world, const GeoPosition &at, double radius_nm, unsigned lists) const {
    if (lists & World::kAirportList)
        nearest(airports_placed_, at, radius_nm, world.nearby_airports, [&](uint32_t i, const GeoPosition &p) {
            return NearbyAirport{airports_[i].key, airports_[i].identifier, p.latitude, p.longitude};
        });
    if (lists & World::kNavaidList)
        nearest(navaids_placed_, at, radius_nm, world.nearby_navaids, [&](uint32_t i, const GeoPosition &p) {
            const podlib::Record &r = navaids_[i];
            return NearbyNavaid{r.identifier, navaid_flags(r.kind), p.latitude, p.longitude, float(r.frequency)};
        });
    if (lists & World::kPointList)
        nearest(waypoints_placed_, at, radius_nm, world.nearby_points, [&](uint32_t i, const GeoPosition &p) {
            return NearbyPoint{waypoints_[i].identifier, 0, p.latitude, p.longitude};
        });
}

void WorldDb::use_model(const magnetic::Model &model, const magnetic::Date &date) {
    model_ = &model;
    model_year_ = magnetic::decimal_year(date);
}

// Without a model: inverse-distance weighting over the four nearest records
// of all tables, so that the variation changes smoothly along a flight
// instead of jumping at each record. The circle searched grows until it holds
// four records (or all there are); those are then the four nearest.
double WorldDb::variation_at(const GeoPosition &at) const {
    if (model_ != nullptr)
        return model_->declination(latitude_degrees(at), longitude_degrees(at), at.altitude * kKilometresPerFoot, model_year_);
    const size_t total = airports_.size() + navaids_.size() + waypoints_.size();
    if (total == 0) return 0.0;
    const size_t n = std::min<size_t>(4, total);
    std::vector<std::pair<double, double>> near;  // distance, variation
    std::vector<std::pair<double, uint32_t>> found;
    for (double radius = kFirstVariationRadiusNm * kFeetPerNauticalMile;; radius *= 4) {
        near.clear();
        for (auto [records, placed] : {std::pair{&airports_, &airports_placed_}, std::pair{&navaids_, &navaids_placed_},
                                       std::pair{&waypoints_, &waypoints_placed_}}) {
            within(*placed, at, radius, found);
            for (auto [d, i] : found) near.emplace_back(d, (*records)[i].variation);
        }
        if (near.size() >= n) break;
    }
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
