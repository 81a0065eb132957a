// The host over an imported world: the spatial index behind the nearby lists,
// the nearest kept at a dense place, and the variation from the magnetic
// model the world's manifest names, at the scenario's date.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "archive/manifest.h"
#include "host/geo.h"
#include "host/geo_index.h"
#include "host/world_db.h"
#include "tests/fly/fly_support.h"

namespace panelhost {
namespace {
namespace fs = std::filesystem;

podlib::Record airport(const std::string &id, double lat, double lon, double variation = 0) {
    podlib::Record r;
    r.key = id + "/A";
    r.identifier = id;
    r.name = id + " field";
    r.latitude = lat;
    r.longitude = lon;
    r.variation = variation;
    return r;
}

double distance_nm(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return v[2] / kFeetPerNauticalMile;
}

// Every record within the circle is among the index's answer, wherever the
// circle lies: across the 180th meridian, around a pole, half the earth.
TEST(GeoIndex, FindsEveryRecordWithinTheCircle) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180), unit(0, 1);
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 4000; ++i) points.emplace_back(lat(random), lon(random));
    for (double l : {-180.0, 180.0, 179.9999, -179.9999}) points.emplace_back(10.0, l);
    points.emplace_back(90.0, 0.0);
    points.emplace_back(-90.0, 45.0);
    const GeoIndex index(points);
    std::vector<std::pair<double, double>> centres = {{10.0, 180.0}, {10.0, -179.5}, {89.5, 20.0}, {-89.9, -100.0}, {0, 0}};
    for (int i = 0; i < 60; ++i) centres.emplace_back(lat(random), lon(random));
    std::vector<uint32_t> found;
    for (const auto &[clat, clon] : centres) {
        for (double radius : {0.001, 0.02, 0.3, 1.5, 3.2}) {
            index.near(clat, clon, radius, found);
            const std::set<uint32_t> got(found.begin(), found.end());
            EXPECT_EQ(got.size(), found.size()) << "a record given twice";
            const GeoPosition c = from_degrees(clat, clon, 0);
            for (size_t i = 0; i < points.size(); ++i) {
                const double angle = distance_nm(c, from_degrees(points[i].first, points[i].second, 0)) * kFeetPerNauticalMile / kEarthRadiusFeet;
                if (angle <= radius) {
                    EXPECT_TRUE(got.count(uint32_t(i)))
                        << clat << "," << clon << " r " << radius << ": " << points[i].first << "," << points[i].second;
                }
            }
        }
    }
}

// 300 airports within a mile of a place, 30 more five miles away listed
// first in the table: the list is nearest first, so the display's 256 are the
// nearest.
std::vector<podlib::Record> dense_place(double lat, double lon) {
    std::vector<podlib::Record> records;
    for (int i = 0; i < 30; ++i) records.push_back(airport("F" + std::to_string(100 + i), lat + 5.0 / 60 + i * 1e-4, lon));
    for (int i = 0; i < 300; ++i) {
        const double a = i * 2.399963, d = std::sqrt((i + 0.5) / 300.0) / 60.0;  // a mile, spread evenly
        records.push_back(airport("N" + std::to_string(100 + i), lat + d * std::cos(a), lon + d * std::sin(a) / std::cos(lat * kPi / 180)));
    }
    return records;
}

TEST(WorldDb, NearbyListsAreNearestFirstAtADensePlace) {
    const WorldDb db(dense_place(44.0, -12.0), {}, {});
    World w;
    const GeoPosition at = from_degrees(44.0, -12.0, 0);
    db.fill_nearby(w, at, 60.0);
    ASSERT_EQ(w.nearby_airports.size(), 330u);
    double last = 0;
    for (size_t i = 0; i < w.nearby_airports.size(); ++i) {
        const NearbyAirport &a = w.nearby_airports[i];
        const double d = distance_nm(at, GeoPosition{a.latitude, a.longitude, 0});
        EXPECT_GE(d, last);
        last = d;
        EXPECT_EQ(a.code[0], i < 300 ? 'N' : 'F') << i;
    }
}

TEST(WorldDb, EachListIsMadeWhenFirstHandedOut) {
    Host host;
    const WorldDb db(dense_place(44.0, -12.0), {}, {});
    std::vector<unsigned> made;
    host.world().refresh_nearby = [&](World &w, unsigned lists) {
        made.push_back(lists);
        db.fill_nearby(w, from_degrees(44.0, -12.0, 0), 0.5, lists);
    };
    host.world().stale_nearby = World::kAllLists;
    EXPECT_TRUE(host.world().nearby_airports.empty());
    Resources &r = host.resources();
    r.free_list(kEntryGetAirportList, r.make_list(kEntryGetAirportList));
    EXPECT_EQ(made, std::vector<unsigned>{World::kAirportList});
    EXPECT_FALSE(host.world().nearby_airports.empty());
    r.free_list(kEntryGetAirportList, r.make_list(kEntryGetAirportList));
    r.free_list(kEntryGetPointList, r.make_list(kEntryGetPointList));
    EXPECT_EQ(made, (std::vector<unsigned>{World::kAirportList, World::kPointList}));
}

TEST(WorldDb, VariationFromTheModelOnceNamed) {
    WorldDb db({airport("XPOR", 44.0, -12.0, 7.0)}, {}, {});
    const GeoPosition at = from_degrees(44.2, -12.3, 9000);
    EXPECT_DOUBLE_EQ(db.variation_at(at), 7.0);  // the nearest record's
    db.use_model(magnetic::wmm2025(), {2027, 7, 2});
    EXPECT_NEAR(db.variation_at(at), magnetic::wmm2025().declination(44.2, -12.3, 9000 * 0.0003048, magnetic::decimal_year({2027, 7, 2})),
                1e-9);
}

// A world folder of the given airports, with a manifest naming the model
// when `model` is not empty.
fs::path write_world(const std::string &name, const std::vector<podlib::Record> &airports, const std::string &model,
                     const std::string &date = "2026-06-01") {
    const fs::path system = test::scratch("world-" + name) / "system";
    fs::create_directories(system);
    for (podlib::Table t : podlib::kAllTables) {
        const auto &info = podlib::table_info(t);
        podlib::write_archive((system / std::string(info.archive_file)).string(),
                              {{std::string(info.entry_path), podlib::encode_table(t, t == podlib::Table::airports ? airports
                                                                                                                   : std::vector<podlib::Record>{})}});
    }
    if (!model.empty()) {
        podlib::WorldManifest m;
        m.imported = "2026-12-09";
        m.magnetic_model = model;
        m.magnetic_date = date;
        podlib::ManifestSource s;
        s.format = "X-Plane apt.dat";
        s.version = "1100";
        s.cycle = "2611";
        m.sources.push_back(s);
        podlib::write_manifest(system / podlib::kManifestFile, m);
    }
    return system.parent_path();
}

// The bundled panel at a place of the world, flying north, without events.
Scenario at_place(const fs::path &world, double lat, double lon) {
    std::string text = test::bundled_scenario_text();
    text = text.substr(0, text.find("[[route]]"));
    text.insert(text.find("[aircraft]"), "[folders]\nworld = \"" + world.string() + "\"\n\n");
    char route[256];
    std::snprintf(route, sizeof route, "[[route]]\nname = \"A\"\nlat = %.6f\nlon = %.6f\n[[route]]\nname = \"B\"\nlat = %.6f\nlon = %.6f\n",
                  lat, lon, lat + 0.5, lon);
    std::string panel = test::bundled_scenario_text();
    panel = panel.substr(panel.find("[[panel]]"));
    panel = panel.substr(0, panel.find("[output]"));
    Scenario s = parse_scenario(text.replace(text.find("duration = 330.0"), 16, "duration = 8.0") + route + panel, "s.toml");
    return s;
}

TEST(RealWorld, VariationComesFromTheModelAtTheScenariosDate) {
    const fs::path world = write_world("model", dense_place(44.0, -12.0), "WMM2025");
    Scenario s = at_place(world, 44.0, -12.0);
    {
        Cockpit c(s, scenario_paths(s, test::build_paths()), test::scratch("model-run") / "run");
        c.frame();
        const GeoPosition p = c.flight().state().position;
        // The world's own date when the scenario names none.
        EXPECT_FLOAT_EQ(*c.host().world().variation_deg,
                        float(magnetic::wmm2025().declination(latitude_degrees(p), longitude_degrees(p), p.altitude * 0.0003048,
                                                              magnetic::decimal_year({2026, 6, 1}))));
        EXPECT_EQ(c.variation_text(), "WMM2025 at 2026-06-01");
        EXPECT_NE(c.world_text().find("X-Plane apt.dat 1100; data cycle 2611; imported 2026-12-09"), std::string::npos) << c.world_text();
    }
    s.date = magnetic::Date{2029, 12, 31};
    {
        Cockpit c(s, scenario_paths(s, test::build_paths()), test::scratch("model-run") / "run");
        EXPECT_EQ(c.variation_text(), "WMM2025 at 2029-12-31");
    }
    s.date = magnetic::Date{2030, 1, 1};
    s.date_line = 3;
    try {
        Cockpit c(s, scenario_paths(s, test::build_paths()), test::scratch("model-run") / "run");
        FAIL();
    } catch (const ScenarioError &e) {
        EXPECT_STREQ(e.what(), "s.toml:3: the date 2030-01-01 lies outside the years of the world's magnetic model WMM2025 "
                               "(2025-01-01 to the day before 2030-01-01)");
    }
}

TEST(RealWorld, AWorldWithoutAModelKeepsTheWeightedVariation) {
    Scenario s = at_place(write_world("plain", {airport("XPOR", 44.0, -12.0, 7.0)}, ""), 44.0, -12.0);
    s.date = magnetic::Date{2031, 1, 1};  // no model: the date does not matter
    Cockpit c(s, scenario_paths(s, test::build_paths()), test::scratch("plain-run") / "run");
    c.frame();
    EXPECT_FLOAT_EQ(*c.host().world().variation_deg, 7.0f);
    EXPECT_EQ(c.variation_text(), "weighted from the four nearest records");

    const fs::path unknown = write_world("unknown", {airport("XPOR", 44.0, -12.0)}, "IGRF14");
    try {
        const Scenario u = at_place(unknown, 44.0, -12.0);
        Cockpit bad(u, scenario_paths(u, test::build_paths()), test::scratch("unknown-run") / "run");
        FAIL();
    } catch (const HostError &e) {
        EXPECT_NE(std::string(e.what()).find("world.json: the magnetic model 'IGRF14' is not one this host knows (WMM2025)"),
                  std::string::npos) << e.what();
    }
}

// The panel at the dense place: after the display's first refresh it draws
// the identifiers of the nearest airports only, none of the farther ones the
// table lists first.
TEST(RealWorld, TheDisplayKeepsTheNearestAtADensePlace) {
    Scenario s = at_place(write_world("dense", dense_place(44.0, -12.0), "WMM2025"), 44.0, -12.0);
    Event apt_identifiers;
    apt_identifiers.kind = Event::kClick;
    apt_identifiers.at = 0.5;
    apt_identifiers.gauge = "display";
    apt_identifiers.x = 14;
    apt_identifiers.y = 300;
    s.events = {apt_identifiers};
    Cockpit c(s, scenario_paths(s, test::build_paths()), test::scratch("dense-run") / "run");
    CallLog &log = c.host().log();
    std::set<std::string> near, far;
    while (c.time() < 7.0) {
        log.enabled = c.time() > 5.5;
        log.clear();
        c.frame();
        for (const HostCall &call : log.calls()) {
            if (call.entry != kEntryFontDrawText) continue;
            const size_t q = call.args.rfind(", \"");  // the text, the call's last argument
            if (q == std::string::npos) continue;
            const std::string text = call.args.substr(q + 3, call.args.size() - q - 4);
            if (text.size() == 4 && text[0] == 'N') near.insert(text);
            if (text.size() == 4 && text[0] == 'F') far.insert(text);
        }
    }
    EXPECT_GT(near.size(), 100u);
    EXPECT_LE(near.size(), 256u);
    EXPECT_TRUE(far.empty()) << *far.begin();
}

}  // namespace
}  // namespace panelhost
