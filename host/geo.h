// Great-circle bearing and distance on a spherical earth, in the host's
// position units (arcseconds, longitude counted east over 0 .. 1 296 000).
#pragma once

#include "frame/abi.h"

namespace panelhost {

constexpr double kEarthRadiusFeet = 20902231.0;  // 6371 km
constexpr double kPi = 3.14159265358979323846;
constexpr double kFeetPerNauticalMile = 6076.12;
constexpr double kArcsecPerDegree = 3600.0;

constexpr double degrees_from_arcsec(double arcsec) { return arcsec / kArcsecPerDegree; }

// A position's latitude in degrees, and its longitude in degrees east of
// -180 .. 180 (as people write them, not folded into 0 .. 360).
constexpr double latitude_degrees(const GeoPosition &p) { return degrees_from_arcsec(p.latitude); }
constexpr double longitude_degrees(const GeoPosition &p) {
    double d = degrees_from_arcsec(p.longitude);
    return d > 180.0 ? d - 360.0 : d;
}

double to_radians_arcsec(double arcsec);

// out[0]: altitude of `to` minus that of `from`; out[1]: initial true
// bearing from `from` to `to`, radians clockwise from north in [0, 2π);
// out[2]: distance in feet.
void position_vector(const GeoPosition &from, const GeoPosition &to, double out[3]);

// Sine and cosine of the last starting latitude: the bearings of a frame
// nearly all start at the aircraft. The results are the same as without it
// (it starts as latitude 0, whose sine and cosine are exact).
class LatitudeTrig {
public:
    void of(double latitude_radians, double &sine, double &cosine);

private:
    double latitude_ = 0.0, sine_ = 0.0, cosine_ = 1.0;
};
void position_vector(const GeoPosition &from, const GeoPosition &to, double out[3], LatitudeTrig &from_trig);
// The distance alone, in feet: the same value position_vector gives.
double distance_feet(const GeoPosition &from, const GeoPosition &to, LatitudeTrig &from_trig);

// The position reached from `from` after `feet` along the true bearing
// `bearing` (radians); the altitude is carried along.
GeoPosition move_along(const GeoPosition &from, double bearing, double feet);

// Degrees to the host's arcseconds, longitude folded into 0 .. 1 296 000.
GeoPosition from_degrees(double lat_deg, double lon_deg, double altitude);

}  // namespace panelhost
