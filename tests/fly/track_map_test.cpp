// The map of a flight: its projection, and the route, the track, the pings
// and the scale bar found in the picture where the projection puts them.
#include <gtest/gtest.h>

#include <cmath>

#include "host/flight_map.h"
#include "host/geo.h"
#include "host/output/track_map.h"

namespace panelhost {
namespace {

int channel(uint32_t c, int shift) { return int((c >> shift) & 0xFF); }
bool near_colour(uint32_t got, uint32_t want, int tolerance = 40) {
    for (int shift : {0, 8, 16})
        if (std::abs(channel(got, shift) - channel(want, shift)) > tolerance) return false;
    return true;
}
std::string hex(uint32_t c) {
    char t[16];
    std::snprintf(t, sizeof t, "%06X", c);
    return t;
}

// The pixel a place falls in.
uint32_t pixel_at(const Image &picture, const MapProjection &pr, const MapPlace &p) {
    return picture.at(int(std::floor(pr.x(p))), int(std::floor(pr.y(p))));
}

TEST(TrackMap, TheProjectionFitsThePlacesNorthUp) {
    std::vector<MapPlace> places{{44.0, -12.0}, {44.5, -11.0}, {43.8, -11.5}};
    MapProjection pr = MapProjection::fit(places, 1000, 800, 40);
    EXPECT_LE(pr.width(), 1000);
    EXPECT_LE(pr.height(), 800);
    for (const MapPlace &p : places) {
        EXPECT_GE(pr.x(p), 40 - 1e-9);
        EXPECT_LE(pr.x(p), pr.width() - 40 + 1e-9);
        EXPECT_GE(pr.y(p), 40 - 1e-9);
        EXPECT_LE(pr.y(p), pr.height() - 40 + 1e-9);
        MapPlace back = pr.place(pr.x(p), pr.y(p));
        EXPECT_NEAR(back.latitude_deg, p.latitude_deg, 1e-9);
        EXPECT_NEAR(back.longitude_deg, p.longitude_deg, 1e-9);
    }
    // North up, east right, and a nautical mile as long each way.
    EXPECT_LT(pr.y(places[1]), pr.y(places[0]));
    EXPECT_GT(pr.x(places[1]), pr.x(places[0]));
    const GeoPosition a = from_degrees(44.2, -11.5, 0);
    for (double bearing : {0.0, 90.0}) {
        GeoPosition b = move_along(a, bearing * kPi / 180.0, 10 * kFeetPerNauticalMile);
        MapPlace pa{latitude_degrees(a), longitude_degrees(a)}, pb{latitude_degrees(b), longitude_degrees(b)};
        EXPECT_NEAR(std::hypot(pr.x(pb) - pr.x(pa), pr.y(pb) - pr.y(pa)), 10 * pr.pixels_per_nm(), 0.02 * 10 * pr.pixels_per_nm())
            << bearing;
    }

    // A route across the 180th meridian is one short stretch, not the
    // whole earth the other way round.
    MapProjection pacific = MapProjection::fit({{-17.0, 178.5}, {-18.0, -179.5}}, 1000, 1000, 40);
    EXPECT_GT(pacific.pixels_per_degree(), 200.0);
    EXPECT_LT(pacific.x({-17.0, 178.5}), pacific.x({-18.0, -179.5}));
    // A single place still makes a map some miles across.
    MapProjection one = MapProjection::fit({{10.0, 10.0}}, 800, 800, 40, 4.0);
    EXPECT_NEAR(one.pixels_per_nm() * 4.0, 720.0, 1.0);
}

TEST(TrackMap, RouteTrackAndPingsLandWhereTheirPositionsSay) {
    TrackMapInput in;
    in.title = "test";
    in.route = {{{44.0, -12.0}, "AAA", MapSymbol::kAirport},
                {{44.3, -11.7}, "BBB", MapSymbol::kVor},
                {{44.1, -11.2}, "CCC", MapSymbol::kUser}};
    // A track south of the route, apart from it.
    for (int i = 0; i <= 100; ++i) in.track.push_back({43.90 + 0.001 * i, -12.0 + 0.008 * i});
    in.pings = {{43.95, -11.6}, {44.25, -11.3}};
    in.nearby = {{{44.45, -12.1}, "NEAR", MapSymbol::kNdb}};
    std::vector<MapPlace> fitted;
    for (const MapPoint &p : in.route) fitted.push_back(p.at);
    fitted.insert(fitted.end(), in.track.begin(), in.track.end());
    const MapProjection pr = MapProjection::fit(fitted, 900, 700, 40);
    const Image picture = draw_track_map(in, pr);
    ASSERT_EQ(picture.width, pr.width());
    ASSERT_EQ(picture.height, pr.height());

    // The middle of each leg (a great circle: at this length within a
    // fraction of a pixel of the straight line).
    for (size_t i = 1; i < in.route.size(); ++i) {
        const MapPlace &a = in.route[i - 1].at, &b = in.route[i].at;
        for (double t : {0.3, 0.5, 0.7}) {
            MapPlace mid{a.latitude_deg + t * (b.latitude_deg - a.latitude_deg),
                         a.longitude_deg + t * (b.longitude_deg - a.longitude_deg)};
            uint32_t got = pixel_at(picture, pr, mid);
            EXPECT_TRUE(near_colour(got, map_colour::kRoute)) << "leg " << i << " at " << t << ": " << hex(got);
        }
    }
    for (size_t i = 5; i < in.track.size(); i += 15) {
        uint32_t got = pixel_at(picture, pr, in.track[i]);
        EXPECT_TRUE(near_colour(got, map_colour::kTrack)) << "track point " << i << ": " << hex(got);
    }
    // A ping is a ring around its place: its rim on every side, its middle
    // open (the track shows through).
    for (const MapPlace &p : in.pings) {
        int on_rim = 0;
        for (int k = 0; k < 8; ++k) {
            double a = k * kPi / 4;
            int x = int(std::floor(pr.x(p) + 7.0 * std::cos(a))), y = int(std::floor(pr.y(p) + 7.0 * std::sin(a)));
            on_rim += near_colour(picture.at(x, y), map_colour::kPing, 60) ? 1 : 0;
        }
        EXPECT_GE(on_rim, 7) << p.latitude_deg;
        EXPECT_FALSE(near_colour(pixel_at(picture, pr, p), map_colour::kPing, 60)) << hex(pixel_at(picture, pr, p));
    }
    // Far from everything: the background.
    EXPECT_TRUE(near_colour(pixel_at(picture, pr, {43.93, -11.43}), map_colour::kBackground, 10))
        << hex(pixel_at(picture, pr, {43.93, -11.43}));

    // The scale bar: a dark line along the bottom left, a round number of
    // nautical miles long.
    const int y = pr.height() - 22;
    int first = -1, last = -1;
    for (int x = 0; x < pr.width() / 2; ++x)
        if (near_colour(picture.at(x, y), 0x202020, 60)) {
            if (first < 0) first = x;
            last = x;
        }
    ASSERT_GE(first, 0);
    double nm = (last - first) / pr.pixels_per_nm(), power = std::pow(10.0, std::floor(std::log10(nm)));
    double mantissa = nm / power;
    EXPECT_TRUE(std::fabs(mantissa - 1) < 0.05 || std::fabs(mantissa - 2) < 0.1 || std::fabs(mantissa - 5) < 0.2 ||
                std::fabs(mantissa - 10) < 0.4)
        << nm << " nm";
}

TEST(TrackMap, TheFlightsMapHoldsTheWorldAroundTheRoute) {
    auto rec = [](std::string key, std::string id, double lat, double lon) {
        podlib::Record r;
        r.key = std::move(key);
        r.identifier = std::move(id);
        r.latitude = lat;
        r.longitude = lon;
        return r;
    };
    podlib::Record ndb = rec("N1", "NDB", 44.1, -11.9);
    ndb.kind = podlib::NavaidKind::ndb;
    WorldDb db({rec("A1", "XONE", 44.0, -12.0), rec("A2", "XFAR", 50.0, 0.0)}, {ndb},
               {rec("W1", "FIXA", 44.2, -11.8), rec("W2", "FIXB", 44.05, -11.95)});
    std::vector<PlanWaypoint> plan{{PlanWaypoint::kAirport, "A1", "XONE", from_degrees(44.0, -12.0, 0)},
                                   {PlanWaypoint::kWaypoint, "W1", "FIXA", from_degrees(44.2, -11.8, 0)}};
    FlightMap m = flight_map("t", plan, db, {{44.0, -12.0}, {44.1, -11.9}}, {{44.19, -11.81}});
    ASSERT_EQ(m.input.route.size(), 2u);
    EXPECT_EQ(m.input.route[0].symbol, MapSymbol::kAirport);
    EXPECT_EQ(m.input.route[1].symbol, MapSymbol::kFix);
    // The route's own records are not repeated; the far airport is off the map.
    std::vector<std::string> nearby;
    for (const MapPoint &p : m.input.nearby) nearby.push_back(p.label);
    EXPECT_EQ(nearby, (std::vector<std::string>{"NDB", "FIXB"}));
    EXPECT_EQ(m.input.nearby[0].symbol, MapSymbol::kNdb);
    EXPECT_EQ(m.input.pings.size(), 1u);
}

}  // namespace
}  // namespace panelhost
