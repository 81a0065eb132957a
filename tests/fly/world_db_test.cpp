// The host's database answers: nearby lists (radius, order, record offsets)
// and the magnetic variation.
#include <gtest/gtest.h>

#include <cstring>

#include "host/geo.h"
#include "host/host.h"
#include "host/world_db.h"

namespace panelhost {
namespace {

podlib::Record rec(std::string key, std::string id, double lat, double lon, double variation = 0,
                   podlib::NavaidKind kind = podlib::NavaidKind::vor, double frequency = 0) {
    podlib::Record r;
    r.key = std::move(key);
    r.identifier = std::move(id);
    r.name = r.identifier + " name";
    r.latitude = lat;
    r.longitude = lon;
    r.variation = variation;
    r.kind = kind;
    r.frequency = frequency;
    return r;
}

// One degree of latitude is 60 nm on this earth within a fraction of a mile.
WorldDb sample() {
    return WorldDb({rec("A3", "FAR", 45.0, -12.0, -4), rec("A1", "NEAR", 44.1, -12.0, -2), rec("A2", "MID", 44.5, -12.0, -3)},
                   {rec("N1", "NDB", 44.2, -12.0, 0, podlib::NavaidKind::ndb, 375),
                    rec("N2", "VOR", 44.3, -12.0, 0, podlib::NavaidKind::vortac, 113.9),
                    rec("N3", "DME", 44.25, -12.0, 0, podlib::NavaidKind::dme, 109.2)},
                   {rec("W1", "FODAK", 43.9, -12.0)});
}

TEST(WorldDb, NearbyListsHoldTheRadiusNearestFirst) {
    WorldDb db = sample();
    World w;
    db.fill_nearby(w, from_degrees(44.0, -12.0, 0), 40.0);
    ASSERT_EQ(w.nearby_airports.size(), 2u);  // FAR lies 60 nm away
    EXPECT_EQ(w.nearby_airports[0].code, "NEAR");
    EXPECT_EQ(w.nearby_airports[1].code, "MID");
    EXPECT_DOUBLE_EQ(w.nearby_airports[0].latitude, 44.1 * 3600);
    EXPECT_DOUBLE_EQ(w.nearby_airports[0].longitude, (360 - 12.0) * 3600);
    ASSERT_EQ(w.nearby_navaids.size(), 3u);
    EXPECT_EQ(w.nearby_navaids[0].id, "NDB");
    EXPECT_EQ(w.nearby_navaids[0].flags, hostlist::navaid::kNdb);
    EXPECT_FLOAT_EQ(w.nearby_navaids[0].frequency, 375);
    EXPECT_EQ(w.nearby_navaids[1].flags, 0u);  // a DME alone is neither VOR nor NDB
    EXPECT_EQ(w.nearby_navaids[2].flags, hostlist::navaid::kVor);
    ASSERT_EQ(w.nearby_points.size(), 1u);
    db.fill_nearby(w, from_degrees(44.0, -12.0, 0), 3.0);
    EXPECT_TRUE(w.nearby_airports.empty());
    EXPECT_TRUE(w.nearby_points.empty());
}

template <class T>
T field(const uint8_t *node, size_t offset) {
    T v;
    std::memcpy(&v, node + offset, sizeof v);
    return v;
}

TEST(WorldDb, ListsReachThePlugInsAtTheirOffsets) {
    Host host;
    sample().fill_nearby(host.world(), from_degrees(44.0, -12.0, 0), 40.0);
    using namespace hostlist;
    void *head = host.resources().make_list(kEntryGetAirportList);
    std::vector<std::string> codes;
    for (auto *n = static_cast<const uint8_t *>(head); n; n = field<const uint8_t *>(n, airport::kNext)) {
        codes.emplace_back(reinterpret_cast<const char *>(n + airport::kCode));
        EXPECT_GT(field<double>(n, airport::kLatitude), 44.0 * 3600);
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"NEAR", "MID"}));
    EXPECT_TRUE(host.resources().free_list(kEntryGetAirportList, head));

    head = host.resources().make_list(kEntryGetNavaidList);
    auto *n = static_cast<const uint8_t *>(head);
    ASSERT_NE(n, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char *>(n + navaid::kId), "NDB");
    EXPECT_EQ(field<uint32_t>(n, navaid::kFlags), navaid::kNdb);
    EXPECT_FLOAT_EQ(field<float>(n, navaid::kFrequency), 375);
    EXPECT_DOUBLE_EQ(field<double>(n, navaid::kLongitude), 348.0 * 3600);
    EXPECT_TRUE(host.resources().free_list(kEntryGetNavaidList, head));
    EXPECT_TRUE(host.problems().empty());
}

TEST(WorldDb, VariationIsWeightedFromTheNearestRecords) {
    WorldDb db = sample();
    EXPECT_DOUBLE_EQ(db.variation_at(from_degrees(44.1, -12.0, 0)), -2.0);  // on a record
    // Between MID (-3) and three navaids (0), none of them on the spot.
    double between = db.variation_at(from_degrees(44.4, -12.0, 0));
    EXPECT_LT(between, -0.5);
    EXPECT_GT(between, -3.0);
    EXPECT_EQ(WorldDb().variation_at(from_degrees(44.0, -12.0, 0)), 0.0);
}

TEST(WorldDb, FindsKeysInEveryTable) {
    WorldDb db = sample();
    EXPECT_EQ(db.find("A2")->table, podlib::Table::airports);
    EXPECT_EQ(db.find("N3")->record->identifier, "DME");
    EXPECT_EQ(db.find("W1")->table, podlib::Table::waypoints);
    EXPECT_FALSE(db.find("nope"));
}

TEST(WorldDb, MissingArchiveIsNamed) {
    try {
        WorldDb::load("/nonexistent/system");
        FAIL();
    } catch (const HostError &e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/system/airpvarmag.pod"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace panelhost
