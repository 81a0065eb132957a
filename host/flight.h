// The flight model: the user aircraft flies the route leg by leg at a fixed
// step, turning towards each next waypoint at a standard rate, and AI traffic
// flies its own tracks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "host/geo.h"

namespace panelhost {

constexpr double kKnotToFps = kFeetPerNauticalMile / 3600.0;

struct RouteWaypoint {
    std::string ident;     // shown in the flight log
    GeoPosition position;  // host units; the altitude is the one to fly at the waypoint
};

struct FlightSettings {
    double speed_kt = 150;         // ground speed (no wind)
    double turn_rate_dps = 3.0;    // standard rate turn
    double climb_fpm = 1000;       // towards each waypoint's altitude
    double arrival_nm = 0.1;       // the last waypoint counts as reached within this
};

struct AircraftState {
    GeoPosition position{};
    double true_heading_deg = 0;
    double ground_speed_fps = 0;
    double vertical_speed_fpm = 0;
};

class Flight {
public:
    Flight(std::vector<RouteWaypoint> route, AircraftState start, FlightSettings settings);

    // One step of `dt` seconds. `commanded_fpm` (the autopilot's vertical
    // speed, when its mode is on) replaces the climb towards the waypoint.
    // Returns the index of the waypoint passed in this step, if any.
    std::optional<size_t> step(double dt, std::optional<double> commanded_fpm = std::nullopt);

    const AircraftState &state() const { return state_; }
    const std::vector<RouteWaypoint> &route() const { return route_; }
    // The waypoint flown to; route().size() once the last one is passed.
    size_t next() const { return next_; }
    bool finished() const { return next_ >= route_.size(); }
    double time() const { return time_; }

private:
    // Distance before a waypoint at which the turn onto the next leg begins.
    double anticipation_feet() const;
    bool passes(double distance_feet, double relative_deg) const;

    std::vector<RouteWaypoint> route_;
    AircraftState state_;
    FlightSettings settings_;
    size_t next_ = 0;
    double time_ = 0;
};

// An AI aircraft on a straight or steadily turning track.
struct TrafficMotion {
    double heading_deg = 0;
    double speed_kt = 0;
    double climb_fpm = 0;
    double turn_dps = 0;
};

// Advances a traffic position and heading by `dt` seconds.
void move_traffic(GeoPosition &position, TrafficMotion &motion, double dt);

// Signed difference a - b in degrees folded into [-180, 180).
double heading_difference(double a, double b);

}  // namespace panelhost
