// A plan view of a flight, north up: the route and its points, the ground
// track, where the display pinged, and the airports, navaids and fixes near
// it, with a scale bar. Drawn with Cairo (anti-aliased lines and text).
#pragma once

#include <string>
#include <vector>

#include "host/output/image.h"

namespace panelhost {

struct MapPlace {
    double latitude_deg = 0, longitude_deg = 0;
};

enum class MapSymbol { kAirport, kVor, kDme, kNdb, kFix, kUser };

struct MapPoint {
    MapPlace at;
    std::string label;
    MapSymbol symbol = MapSymbol::kFix;
};

struct TrackMapInput {
    std::string title;
    std::vector<MapPoint> route;   // in the order flown
    std::vector<MapPlace> track;   // the aircraft's ground track
    std::vector<MapPlace> pings;   // where the display played its passage sound
    std::vector<MapPoint> nearby;  // the world's points around, most important first
};

// A plain (equirectangular) projection about a centre: x grows east by the
// cosine of the centre's latitude, y grows south, both in pixels. Longitudes
// are taken the short way round from the centre, so a route across the
// 180th meridian stays whole.
class MapProjection {
public:
    // The projection that fits `places` (at least one) into at most
    // max_width x max_height pixels, keeping `margin` pixels free on each
    // side and showing at least min_extent_nm across.
    static MapProjection fit(const std::vector<MapPlace> &places, int max_width, int max_height, int margin,
                             double min_extent_nm = 4.0);

    double x(const MapPlace &p) const;
    double y(const MapPlace &p) const;
    // The place at a pixel (the inverse of x, y).
    MapPlace place(double x, double y) const;
    bool contains(const MapPlace &p) const;  // inside the picture

    int width() const { return width_; }
    int height() const { return height_; }
    double centre_latitude() const { return centre_.latitude_deg; }
    double centre_longitude() const { return centre_.longitude_deg; }
    double pixels_per_degree() const { return pixels_per_degree_; }  // of latitude
    double pixels_per_nm() const { return pixels_per_degree_ / 60.0; }
    double longitude_factor() const { return cos_latitude_; }

private:
    MapPlace centre_;
    double pixels_per_degree_ = 1, cos_latitude_ = 1;
    int width_ = 1, height_ = 1;
};

// The colours of the map, for those who check its pixels.
namespace map_colour {
constexpr uint32_t kBackground = 0xF4F1E8;
constexpr uint32_t kRoute = 0xD000D0;
constexpr uint32_t kTrack = 0x0050FF;
constexpr uint32_t kPing = 0xE00000;
}  // namespace map_colour

// The map as a picture of the projection's size.
Image draw_track_map(const TrackMapInput &input, const MapProjection &projection);

// Signed degrees folded into [-180, 180).
double wrap_longitude(double degrees);

}  // namespace panelhost
