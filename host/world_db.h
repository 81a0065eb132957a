// The host's navigation database: the same three archives the display reads,
// with the positions, elevations and navaid kinds the archive tool adds, and
// the manifest of an imported world. From it the host answers the nearby
// lists and the magnetic variation; a spatial index finds the records near
// the aircraft among those of the whole earth.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/manifest.h"
#include "archive/podlib.h"
#include "frame/abi.h"
#include "host/geo_index.h"
#include "host/world.h"
#include "magnetic/model.h"

namespace panelhost {

class WorldDb {
public:
    // Reads airpvarmag.pod, navaid.pod and waypoint.pod from `system_folder`,
    // and its manifest where it has one; throws HostError naming the file
    // that is missing or malformed.
    static WorldDb load(const std::filesystem::path &system_folder);
    WorldDb() = default;
    WorldDb(std::vector<podlib::Record> airports, std::vector<podlib::Record> navaids,
            std::vector<podlib::Record> waypoints);

    struct Found {
        podlib::Table table;
        const podlib::Record *record;
    };
    // The record of a database key, searched in airports, navaids, waypoints.
    std::optional<Found> find(const std::string &key) const;

    // Replaces the world's nearby lists (those of the mask of
    // World::NearbyLists) with the records within `radius_nm` of `at`,
    // nearest first.
    void fill_nearby(World &world, const GeoPosition &at, double radius_nm, unsigned lists = World::kAllLists) const;

    // The magnetic variation at a position, in degrees (east positive): the
    // magnetic model's at its date once use_model has named them, else
    // weighted from the nearest records (0 for an empty database).
    double variation_at(const GeoPosition &at) const;
    void use_model(const magnetic::Model &model, const magnetic::Date &date);

    // The manifest of an imported world; none for a world made from CSV.
    const std::optional<podlib::WorldManifest> &manifest() const { return manifest_; }

    const std::vector<podlib::Record> &airports() const { return airports_; }
    const std::vector<podlib::Record> &navaids() const { return navaids_; }
    const std::vector<podlib::Record> &waypoints() const { return waypoints_; }

private:
    // A table's records placed on the earth: their positions in host units,
    // their unit vectors (to pass over the records outside a circle without
    // trigonometry) and the index of their cells.
    struct Placed {
        std::vector<GeoPosition> positions;
        std::vector<std::array<double, 3>> units;
        GeoIndex index;
    };
    static Placed place(const std::vector<podlib::Record> &records);
    // The records of one table within `radius_feet` of `at` (every record
    // when it reaches around the earth), with their distances in feet.
    void within(const Placed &table, const GeoPosition &at, double radius_feet,
                std::vector<std::pair<double, uint32_t>> &out) const;
    template <class Out, class Make>
    void nearest(const Placed &table, const GeoPosition &at, double radius_nm, std::vector<Out> &out, Make make) const;

    std::vector<podlib::Record> airports_, navaids_, waypoints_;
    Placed airports_placed_, navaids_placed_, waypoints_placed_;
    std::optional<podlib::WorldManifest> manifest_;
    const magnetic::Model *model_ = nullptr;
    double model_year_ = 0;
};

// A record's position in host units, at its elevation.
GeoPosition position_of(const podlib::Record &r);
// The nearby-list flags of a navaid kind: VOR for the VOR kinds, NDB for NDBs,
// none for a DME alone.
uint32_t navaid_flags(podlib::NavaidKind kind);

}  // namespace panelhost
