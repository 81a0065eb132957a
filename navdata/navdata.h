// The navigation data object: the three database tables and the flight plan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "frame/abi.h"
#include "archive/layout.h"
#include "navdata/key_index.h"
#include "navdata/records.h"

namespace navdata {

// Archive files and entry paths of the three tables, as the host names them.
constexpr const char *kAirportArchive = pod::kAirportFiles.system_path;
constexpr const char *kAirportEntry = pod::kAirportFiles.entry;
constexpr const char *kNavaidArchive = pod::kNavaidFiles.system_path;
constexpr const char *kNavaidEntry = pod::kNavaidFiles.entry;
constexpr const char *kWaypointArchive = pod::kWaypointFiles.system_path;
constexpr const char *kWaypointEntry = pod::kWaypointFiles.entry;
// The host's saved flight plan, under its English and its French folder name
// (the French one in code page 1252).
constexpr const char *kFlightPlanFile = "saved simulations\\zark_fpl.sit";
constexpr const char *kFlightPlanFileFr = "simulations sauv\xE9" "es\\zark_fpl.sit";

class NavData {
public:
    NavData();
    virtual ~NavData();
    NavData(const NavData &) = delete;
    NavData &operator=(const NavData &) = delete;

    // Each replaces its list; 1 when the table was read, 0 otherwise (list empty).
    int load_airports();
    int load_navaids();
    int load_waypoints();

    // First record with exactly this key, in load order: its variation, and
    // its identifier copied into `identifier` (at least 5 bytes). A key not
    // held gives 0.0 and leaves `identifier` untouched.
    double airport_by_key(const char *key, char *identifier);
    double navaid_by_key(const char *key, char *identifier);
    double waypoint_by_key(const char *key);

    // Magnetic variation at the user aircraft from the host, 0.0 on failure.
    float current_variation();
    float variation() const { return variation_; }

    // Reads the host's saved flight plan into the working leg list and, when
    // read to its end, publishes a copy. True when the file was read to its end.
    bool read_flight_plan();

    size_t working_leg_count() const { return working_legs_.size(); }
    size_t published_leg_count() const { return published_legs_.size(); }
    // Null when i is not within the list.
    FlightPlanLeg *working_leg(size_t i);
    const FlightPlanLeg *working_leg(size_t i) const;
    FlightPlanLeg *published_leg(size_t i);
    const FlightPlanLeg *published_leg(size_t i) const;

    const std::vector<AirportRecord> &airports() const { return airports_; }
    const std::vector<NavaidRecord> &navaids() const { return navaids_; }
    const std::vector<WaypointRecord> &waypoints() const { return waypoints_; }

private:
    bool read_waypoint_block(int appended);
    bool read_block_line(char *line);
    void extract_value(const char *line);
    void read_position(FlightPlanLeg &leg, int appended);
    void complete_leg(FlightPlanLeg &leg);
    void close_flight_plan();

    std::vector<FlightPlanLeg> working_legs_;
    std::vector<FlightPlanLeg> published_legs_;
    std::vector<AirportRecord> airports_;
    std::vector<NavaidRecord> navaids_;
    std::vector<WaypointRecord> waypoints_;
    ObjectRef user_object_{};

    // Flight plan reader state; the key buffers are shared by the whole read.
    std::FILE *plan_file_ = nullptr;
    char outer_line_[512]{};
    char block_line_[512]{};
    char value_[256]{};
    char navaid_key_[12]{};
    char waypoint_key_[12]{};
    GeoPosition previous_position_{};
    bool have_previous_position_ = false;

    float variation_ = 0.0f;

    KeyIndex airport_index_;
    KeyIndex navaid_index_;
    KeyIndex waypoint_index_;
};

}  // namespace navdata
