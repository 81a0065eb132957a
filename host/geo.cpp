#include "host/geo.h"

#include <cmath>
#include <cstring>

namespace panelhost {

double to_radians_arcsec(double arcsec) { return arcsec * (kPi / 648000.0); }

void LatitudeTrig::of(double latitude, double &sine, double &cosine) {
    // Compared bit for bit, so that -0 and NaN get their own results.
    if (std::memcmp(&latitude, &latitude_, sizeof latitude) != 0) {
        sine_ = std::sin(latitude);
        cosine_ = std::cos(latitude);
        latitude_ = latitude;
    }
    sine = sine_;
    cosine = cosine_;
}

void position_vector(const GeoPosition &from, const GeoPosition &to, double out[3]) {
    LatitudeTrig trig;
    position_vector(from, to, out, trig);
}

namespace {

// The terms of a great circle from one position to another: y and x give the
// initial bearing (atan2(y, x)); sqrt(x² + y²) and z, the sine and cosine of
// the central angle, the distance.
struct CircleTerms {
    double x, y, z;
};

CircleTerms circle_terms(const GeoPosition &from, const GeoPosition &to, LatitudeTrig &from_trig) {
    const double p1 = to_radians_arcsec(from.latitude), p2 = to_radians_arcsec(to.latitude);
    const double dl = to_radians_arcsec(to.longitude - from.longitude);
    double s1, c1;
    from_trig.of(p1, s1, c1);
    const double s2 = std::sin(p2), c2 = std::cos(p2);
    const double sl = std::sin(dl), cl = std::cos(dl);
    return {c1 * s2 - s1 * c2 * cl, sl * c2, s1 * s2 + c1 * c2 * cl};
}

}  // namespace

// The bearing's two terms also give the distance: the central angle is the
// angle between the two unit vectors, whose cross and dot products they are.
// atan2 of the two keeps full precision from a few feet to the antipode,
// with four trigonometric evaluations instead of the haversine's eight.
void position_vector(const GeoPosition &from, const GeoPosition &to, double out[3], LatitudeTrig &from_trig) {
    const auto [x, y, z] = circle_terms(from, to, from_trig);
    double bearing = std::atan2(y, x);
    if (bearing < 0) bearing += 2 * kPi;
    const double distance = kEarthRadiusFeet * std::atan2(std::sqrt(x * x + y * y), z);
    out[0] = to.altitude - from.altitude;
    out[1] = distance > 0 ? bearing : 0.0;
    out[2] = distance;
}

double distance_feet(const GeoPosition &from, const GeoPosition &to, LatitudeTrig &from_trig) {
    const auto [x, y, z] = circle_terms(from, to, from_trig);
    return kEarthRadiusFeet * std::atan2(std::sqrt(x * x + y * y), z);
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
    return GeoPosition{lat_deg * kArcsecPerDegree, lon * kArcsecPerDegree, altitude};
}

}  // namespace panelhost
