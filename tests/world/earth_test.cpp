// Over the real data where it is installed (Debian's flightgear-data-base,
// data cycle 2013.10; scripts/setup test installs it where there is room):
// the import's counts against the rows of the files, well-known airports,
// navaids and fixes as the files give them, and the bundled panel flown at a
// busy place with the display's lists full. Elsewhere each test skips.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "host/cockpit.h"
#include "host/geo.h"
#include "tests/scratch_folder.h"
#include "tests/world/import_support.h"

namespace {
namespace fs = std::filesystem;
using namespace world_test;

fs::path data_folder() {
    const char *set = std::getenv("EARTH_DATA");
    return set != nullptr ? fs::path(set) : fs::path("/usr/share/games/flightgear");
}
fs::path apt() { return data_folder() / "Airports" / "apt.dat.gz"; }
fs::path nav() { return data_folder() / "Navaids" / "nav.dat.gz"; }
fs::path fix() { return data_folder() / "Navaids" / "fix.dat.gz"; }

// The rows of an X-Plane file by their first field, counted here without
// the importer: every line after the two of the header, up to the 99 line.
std::map<std::string, long> rows_by_code(const fs::path &file) {
    std::map<std::string, long> rows;
    gzFile gz = gzopen(file.c_str(), "rb");
    if (gz == nullptr) return rows;
    std::vector<char> line(1 << 16);
    for (int n = 1; gzgets(gz, line.data(), int(line.size())) != nullptr; ++n) {
        if (n <= 2) continue;
        char first[32] = "";
        if (std::sscanf(line.data(), "%31s", first) != 1) continue;
        if (std::strcmp(first, "99") == 0) break;
        ++rows[std::strchr(first, '.') ? "position" : first];
    }
    gzclose(gz);
    return rows;
}

class Earth : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!fs::exists(apt()) || !fs::exists(nav()) || !fs::exists(fix())) return;
        folder_ = std::make_unique<fs::path>(suite_test::make_scratch_folder("earth"));
        world_ = std::make_unique<navimport::World>(
            navimport::import_files({apt().string(), nav().string(), fix().string()}, kOptions));
        navimport::write_world(*folder_ / "system", *world_);
    }
    static void TearDownTestSuite() {
        if (folder_ != nullptr) fs::remove_all(*folder_);
        world_.reset();
        folder_.reset();
    }
    void SetUp() override {
        if (world_ == nullptr)
            GTEST_SKIP() << "the Debian navigation data is not installed (flightgear-data-base, in " << data_folder()
                         << "; scripts/setup test installs it where 4 GB of disk are free)";
    }
    static long skipped(const podlib::SourceKind &k) {
        long n = 0;
        for (const auto &[reason, count] : k.skipped) n += count;
        return n;
    }
    static const navimport::World &world() { return *world_; }
    static inline std::unique_ptr<navimport::World> world_;
    static inline std::unique_ptr<fs::path> folder_;
};

TEST_F(Earth, CountsByKindAreTheFilesRowsLessThoseSkipped) {
    const auto airports = rows_by_code(apt()), navaids = rows_by_code(nav()), fixes = rows_by_code(fix());
    const navimport::World &w = world();
    expect_every_row_counted(w);
    const podlib::SourceKind land = kind(w, "land airport", 0), sea = kind(w, "seaplane base", 0), heli = kind(w, "heliport", 0);
    EXPECT_EQ(land.rows, airports.at("1"));
    EXPECT_EQ(sea.rows, airports.at("16"));
    EXPECT_EQ(heli.rows, airports.at("17"));
    EXPECT_EQ(long(w.airports.size()), airports.at("1") + airports.at("16") + airports.at("17") - skipped(land) - skipped(sea) - skipped(heli));

    const podlib::SourceKind ndb = kind(w, "NDB", 1), vor = kind(w, "VOR", 1), dme = kind(w, "DME", 1);
    EXPECT_EQ(ndb.rows, navaids.at("2"));
    EXPECT_EQ(vor.rows, navaids.at("3"));
    EXPECT_EQ(dme.rows, navaids.at("12") + navaids.at("13"));
    const auto &kinds = w.manifest.tables.at("navaids").kinds;
    EXPECT_EQ(kinds.at("NDB"), navaids.at("2") - skipped(ndb));
    EXPECT_EQ(kinds.at("VOR") + kinds.at("VOR-DME") + kinds.at("VORTAC"), navaids.at("3") - skipped(vor));
    EXPECT_EQ(kinds.at("DME"), navaids.at("12") + navaids.at("13") - skipped(dme));
    // Every DME joined to a VOR made it a VOR-DME or VORTAC.
    EXPECT_EQ(dme.skipped.at("joined to the VOR of its identifier at its place"), kinds.at("VOR-DME") + kinds.at("VORTAC"));
    EXPECT_EQ(kind(w, "localiser", 1).rows, navaids.at("4") + navaids.at("5"));
    EXPECT_EQ(kind(w, "marker", 1).rows, navaids.at("7") + navaids.at("8") + navaids.at("9"));

    const podlib::SourceKind f = kind(w, "fix", 2);
    EXPECT_EQ(f.rows, fixes.at("position"));
    EXPECT_EQ(long(w.waypoints.size()), fixes.at("position") - skipped(f));
    // The source as it is: nothing of it malformed.
    EXPECT_EQ(w.problems.count, 0) << testing::PrintToString(w.problems.first);
    EXPECT_EQ(w.manifest.sources[0].cycle, "2013.10");
}

TEST_F(Earth, WellKnownPlacesAsTheFilesGiveThem) {
    const navimport::World &w = world();
    const podlib::Record *egll = by_key(w.airports, "EGLL/A");
    ASSERT_NE(egll, nullptr);
    EXPECT_EQ(egll->name, "London Heathrow");
    EXPECT_EQ(egll->elevation, 83);
    // Two runways and a helipad: the mean of their ends and the pad.
    EXPECT_NEAR(egll->latitude, (51.47747035 + 51.47767520 + 51.46477398 + 51.46495200 + 51.46246728) / 5, 1e-9);
    EXPECT_NEAR(egll->longitude, (-0.48962591 - 0.43326100 - 0.48694615 - 0.43407800 - 0.45084007) / 5, 1e-9);
    EXPECT_NEAR(egll->variation, model_variation(*egll), 1e-9);
    EXPECT_EQ(by_key(w.airports, "EHAM/A")->elevation, -11);
    EXPECT_EQ(by_key(w.airports, "EDDF/A")->name, "Frankfurt am Main");

    const podlib::Record *jfk = by_key(w.navaids, "JFK/V");
    ASSERT_NE(jfk, nullptr);
    EXPECT_EQ(jfk->kind, podlib::NavaidKind::vor_dme);
    EXPECT_DOUBLE_EQ(jfk->frequency, 115.9);
    EXPECT_DOUBLE_EQ(jfk->latitude, 40.63288889);
    EXPECT_DOUBLE_EQ(jfk->longitude, -73.77138889);
    EXPECT_EQ(jfk->elevation, 11);
    EXPECT_DOUBLE_EQ(jfk->variation, -12.0);
    EXPECT_DOUBLE_EQ(by_key(w.navaids, "SFO/V")->variation, 17.0);
    // Its DME half a mile from the VOR: still one station.
    EXPECT_EQ(by_key(w.navaids, "LGA/V")->kind, podlib::NavaidKind::vor_dme);
    const podlib::Record *aph = by_key(w.navaids, "APH/N");
    ASSERT_NE(aph, nullptr);
    EXPECT_DOUBLE_EQ(aph->frequency, 396);
    EXPECT_EQ(aph->name, "A P HILL NDB");
    const podlib::Record *dixie = by_key(w.waypoints, "DIXIE/F");
    ASSERT_NE(dixie, nullptr);
    EXPECT_DOUBLE_EQ(dixie->latitude, 40.099367);
    EXPECT_DOUBLE_EQ(dixie->longitude, -74.164492);
}

// The bundled panel over New York, where there are more airports, navaids
// and fixes within the scenario's 180 nm than the display keeps.
TEST_F(Earth, ThePanelFliesABusyPlaceWithTheDisplaysListsFull) {
    panelhost::Scenario s = panelhost::load_scenario(NEW_YORK_SCENARIO);
    s.duration = 7.0;
    s.snapshots.clear();
    const panelhost::CockpitPaths paths{PANELHOST_PLUGINS, *folder_, PANELHOST_ASSETS};
    const fs::path run = *folder_ / "run";
    panelhost::Cockpit c(s, paths, run);
    std::map<int, long> listed;
    panelhost::CallLog &log = c.host().log();
    for (long f = 0; f < c.total_frames(); ++f) {
        log.enabled = true;
        log.clear();
        c.frame();
        for (const panelhost::HostCall &call : log.calls())
            if (call.entry == kEntryGetAirportList || call.entry == kEntryGetNavaidList || call.entry == kEntryGetPointList)
                listed[call.entry] = std::stol(call.args);
    }
    EXPECT_GE(listed[kEntryGetAirportList], 256);
    EXPECT_GE(listed[kEntryGetNavaidList], 128);
    EXPECT_GE(listed[kEntryGetPointList], 256);
    EXPECT_GT(c.gauge("display")->frames_shown, 0);
    EXPECT_EQ(c.variation_text(), "WMM2025 at 2026-06-01");
    EXPECT_TRUE(c.log().section("problems").empty()) << c.log().section("problems").dump();
}

// The variation the host answers at three airports, flying the panel's first
// frame there, against the model's: printed for the record.
TEST_F(Earth, TheHostsVariationAtRealAirportsIsTheModels) {
    const char *const airports[] = {"KJFK/A", "EGLL/A", "KSFO/A"};
    for (const char *key : airports) {
        panelhost::Scenario s = panelhost::load_scenario(NEW_YORK_SCENARIO);
        s.duration = 1.0;
        s.snapshots.clear();
        s.events.clear();
        s.route.resize(2);
        s.route[0].key = key;
        s.route[1].key = "";
        s.route[1].name = "NORTH";
        const podlib::Record *r = by_key(world().airports, key);
        ASSERT_NE(r, nullptr) << key;
        s.route[1].latitude = r->latitude + 1.0;
        s.route[1].longitude = r->longitude;
        panelhost::Cockpit c(s, {PANELHOST_PLUGINS, *folder_, PANELHOST_ASSETS}, *folder_ / "run");
        c.frame();
        const GeoPosition p = c.flight().state().position;
        const double model = magnetic::wmm2025().declination(panelhost::latitude_degrees(p), panelhost::longitude_degrees(p),
                                                             p.altitude * 0.0003048, magnetic::decimal_year({2026, 6, 1}));
        const float host = *c.host().world().variation_deg;
        EXPECT_NEAR(host, model, 1e-4) << key;
        std::printf("%s at %.5f, %.5f, %.0f ft on 2026-06-01: host %+.4f, model %+.4f degrees\n", key, panelhost::latitude_degrees(p),
                    panelhost::longitude_degrees(p), p.altitude, host, model);
    }
}

}  // namespace
