// The map of a flight from the host's own facts: the route as flown, the
// world's airports, navaids and fixes around it, and the track and pings the
// flight log holds.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/output/track_map.h"
#include "host/plan_file.h"
#include "host/world_db.h"

namespace panelhost {

// The largest map, in pixels.
constexpr int kMapMaxWidth = 1200, kMapMaxHeight = 1000;

struct FlightMap {
    TrackMapInput input;
    MapProjection projection;
};

// The route, track and pings fitted into the map, with the records of the
// world inside it (the nearest to the route first, a few hundred of each
// kind at most).
FlightMap flight_map(const std::string &title, const std::vector<PlanWaypoint> &plan, const WorldDb &db,
                     const std::vector<MapPlace> &track, const std::vector<MapPlace> &pings,
                     int max_width = kMapMaxWidth, int max_height = kMapMaxHeight);

// The track and pings of a flight log's JSON ("track", "pings").
std::vector<MapPlace> logged_places(const nlohmann::json &entries);

}  // namespace panelhost
