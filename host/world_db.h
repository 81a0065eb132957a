// The host's navigation database: the same three archives the display reads,
// with the positions, elevations and navaid kinds the archive tool adds.
// From it the host answers the nearby lists and the magnetic variation.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "host/world.h"
#include "archive/podlib.h"

namespace panelhost {

class WorldDb {
public:
    // Reads airpvarmag.pod, navaid.pod and waypoint.pod from `system_folder`;
    // throws HostError naming the archive that is missing or malformed.
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

    // Replaces the world's nearby lists with the records within `radius_nm`
    // of `at`, nearest first.
    void fill_nearby(World &world, const GeoPosition &at, double radius_nm) const;

    // The magnetic variation at a position, in degrees (east positive),
    // weighted from the nearest records; 0 for an empty database.
    double variation_at(const GeoPosition &at) const;

    const std::vector<podlib::Record> &airports() const { return airports_; }
    const std::vector<podlib::Record> &navaids() const { return navaids_; }
    const std::vector<podlib::Record> &waypoints() const { return waypoints_; }

private:
    std::vector<podlib::Record> airports_, navaids_, waypoints_;
};

// A record's position in host units, at its elevation.
GeoPosition position_of(const podlib::Record &r);
// The nearby-list flags of a navaid kind: VOR for the VOR kinds, NDB for NDBs,
// none for a DME alone.
uint32_t navaid_flags(podlib::NavaidKind kind);

}  // namespace panelhost
