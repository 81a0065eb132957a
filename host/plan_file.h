// The saved flight plan the display reads: one tagged block per waypoint.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "frame/abi.h"

namespace panelhost {

struct PlanWaypoint {
    enum Kind { kAirport = 1, kNavaid = 2, kWaypoint = 3, kUser = 4 } kind = kUser;
    std::string key;   // database key; empty for a user waypoint
    std::string name;
    GeoPosition position{};  // host units
};

// Writes the blocks: "<wpnt>", the kind line, "<llps>" with the position
// (latitude, longitude, altitude), "<name>", "<dbky>" for database points,
// "<endo>". Names and keys are written on their own line after their tag.
void write_flight_plan(std::ostream &out, const std::vector<PlanWaypoint> &route);

}  // namespace panelhost
