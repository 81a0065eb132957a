#include "host/geo.h"

#include <cmath>

namespace panelhost {

double to_radians_arcsec(double arcsec) { return arcsec / 3600.0 * kPi / 180.0; }

void position_vector(const GeoPosition &from, const GeoPosition &to, double out[3]) {
    double p1 = to_radians_arcsec(from.latitude), p2 = to_radians_arcsec(to.latitude);
    double dl = to_radians_arcsec(to.longitude - from.longitude);
    double y = std::sin(dl) * std::cos(p2);
    double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    double bearing = std::atan2(y, x);
    if (bearing < 0) bearing += 2 * kPi;
    double sp = std::sin((p2 - p1) / 2), sl = std::sin(dl / 2);
    double h = sp * sp + std::cos(p1) * std::cos(p2) * sl * sl;
    double distance = 2 * kEarthRadiusFeet * std::asin(std::sqrt(std::fmin(1.0, h)));
    out[0] = to.altitude - from.altitude;
    out[1] = distance > 0 ? bearing : 0.0;
    out[2] = distance;
}

GeoPosition move_along(const GeoPosition &from, double bearing, double feet) {
    double p1 = to_radians_arcsec(from.latitude), l1 = to_radians_arcsec(from.longitude);
    double d = feet / kEarthRadiusFeet;
    double p2 = std::asin(std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(bearing));
    double l2 = l1 + std::atan2(std::sin(bearing) * std::sin(d) * std::cos(p1),
                                std::cos(d) - std::sin(p1) * std::sin(p2));
    return from_degrees(p2 * 180.0 / kPi, l2 * 180.0 / kPi, from.altitude);
}

GeoPosition from_degrees(double lat_deg, double lon_deg, double altitude) {
    double lon = std::fmod(lon_deg, 360.0);
    if (lon < 0) lon += 360.0;
    return GeoPosition{lat_deg * 3600.0, lon * 3600.0, altitude};
}

}  // namespace panelhost
