#include "host/flight.h"

#include <algorithm>
#include <cmath>

#include "host/geo.h"

namespace panelhost {
namespace {

double to_degrees(double r) { return r * 180.0 / kPi; }
double to_radians(double d) { return d * kPi / 180.0; }

double wrap360(double d) {
    d = std::fmod(d, 360.0);
    return d < 0 ? d + 360.0 : d;
}

struct Vector {
    double bearing_deg, distance_feet;
};
Vector vector_between(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return {to_degrees(v[1]), v[2]};
}

}  // namespace

double heading_difference(double a, double b) {
    double d = std::fmod(a - b + 180.0, 360.0);
    if (d < 0) d += 360.0;
    return d - 180.0;
}

Flight::Flight(std::vector<RouteWaypoint> route, AircraftState start, FlightSettings settings)
    : route_(std::move(route)), state_(start), settings_(settings) {
    state_.ground_speed_fps = settings_.speed_kt * kKnotToFps;
}

double Flight::anticipation_feet() const {
    if (next_ + 1 >= route_.size()) return settings_.arrival_nm * kFeetPerNauticalMile;
    double in = vector_between(state_.position, route_[next_].position).bearing_deg;
    double out = vector_between(route_[next_].position, route_[next_ + 1].position).bearing_deg;
    double turn = std::fabs(heading_difference(out, in));
    double radius = state_.ground_speed_fps / to_radians(settings_.turn_rate_dps);
    // Fly-by: start the turn where its arc meets the next leg; a turn of more
    // than 120 degrees is flown over the waypoint instead of cut short.
    double lead = turn > 120.0 ? 0.0 : radius * std::tan(to_radians(turn) / 2.0);
    return std::max(lead, settings_.arrival_nm * kFeetPerNauticalMile);
}

// A waypoint is passed when the turn onto the next leg is due, or when it
// lies behind the aircraft within two turn diameters (overflown off track).
bool Flight::passes(double distance_feet, double relative_deg) const {
    if (distance_feet <= anticipation_feet()) return true;
    double radius = state_.ground_speed_fps / to_radians(settings_.turn_rate_dps);
    return std::fabs(relative_deg) > 90.0 && distance_feet < 4.0 * radius;
}

std::optional<size_t> Flight::step(double dt, std::optional<double> commanded_fpm) {
    time_ += dt;
    std::optional<size_t> passed;
    double target_altitude = state_.position.altitude;
    if (!finished()) {
        Vector to = vector_between(state_.position, route_[next_].position);
        double relative = heading_difference(to.bearing_deg, state_.true_heading_deg);
        if (passes(to.distance_feet, relative)) {
            passed = next_++;
        }
        if (!finished()) {
            to = vector_between(state_.position, route_[next_].position);
            relative = heading_difference(to.bearing_deg, state_.true_heading_deg);
            double turn = std::clamp(relative, -settings_.turn_rate_dps * dt, settings_.turn_rate_dps * dt);
            state_.true_heading_deg = wrap360(state_.true_heading_deg + turn);
            target_altitude = route_[next_].position.altitude;
        }
    }
    double fpm;
    if (commanded_fpm) {
        fpm = *commanded_fpm;
    } else {
        double gap = target_altitude - state_.position.altitude;
        double most = settings_.climb_fpm * dt / 60.0;
        fpm = std::fabs(gap) <= most ? gap * 60.0 / dt : std::copysign(settings_.climb_fpm, gap);
        if (dt <= 0) fpm = 0;
    }
    state_.vertical_speed_fpm = fpm;
    GeoPosition moved = move_along(state_.position, to_radians(state_.true_heading_deg), state_.ground_speed_fps * dt);
    moved.altitude = std::max(0.0, state_.position.altitude + fpm * dt / 60.0);
    state_.position = moved;
    return passed;
}

void move_traffic(GeoPosition &position, TrafficMotion &motion, double dt) {
    double altitude = position.altitude + motion.climb_fpm * dt / 60.0;
    position = move_along(position, to_radians(motion.heading_deg), motion.speed_kt * kKnotToFps * dt);
    position.altitude = std::max(0.0, altitude);
    motion.heading_deg = wrap360(motion.heading_deg + motion.turn_dps * dt);
}

}  // namespace panelhost
