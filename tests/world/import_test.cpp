// The import as a whole: formats found from the files' contents, gzip, one
// file for each table, keys that the same data always gets, the archives and
// the manifest written, and podtool's import command.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "archive/manifest.h"
#include "tests/scratch_folder.h"
#include "tests/world/import_support.h"

namespace {
namespace fs = std::filesystem;
using namespace world_test;

void gzip(const std::string &text, const fs::path &out) {
    gzFile gz = gzopen(out.c_str(), "wb");
    ASSERT_NE(gz, nullptr);
    ASSERT_EQ(gzwrite(gz, text.data(), unsigned(text.size())), int(text.size()));
    gzclose(gz);
}

struct Scratch {
    fs::path dir = suite_test::make_scratch_folder("world-import");
    ~Scratch() { fs::remove_all(dir); }
};

TEST(Import, FindsEachFormatFromItsContents) {
    using F = navimport::Format;
    const std::pair<const char *, F> files[] = {
        {"apt1000.dat", F::apt_dat}, {"apt1100.dat", F::apt_dat}, {"apt1200.dat", F::apt_dat},
        {"nav810.dat", F::nav_dat},  {"nav1100.dat", F::nav_dat}, {"nav1200.dat", F::nav_dat},
        {"fix600.dat", F::fix_dat},  {"fix1101.dat", F::fix_dat}, {"fix1200.dat", F::fix_dat},
        {"airports.csv", F::ourairports_airports}, {"navaids.csv", F::ourairports_navaids}};
    for (const auto &[file, format] : files) EXPECT_EQ(navimport::detect_format(excerpt(file)), format) << file;

    Scratch s;
    std::ofstream(s.dir / "notes.txt") << "key,identifier\nXPOR,XPOR\n";
    try {
        navimport::detect_format((s.dir / "notes.txt").string());
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_NE(std::string(e.what()).find("notes.txt:1: not a navigation data file podtool knows; podtool reads X-Plane "
                                             "apt.dat (versions 1000, 1100, 1200), nav.dat"),
                  std::string::npos) << e.what();
    }
    try {
        navimport::detect_format((s.dir / "missing.dat").string());
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_NE(std::string(e.what()).find("missing.dat: cannot open: No such file or directory"), std::string::npos) << e.what();
    }
}

TEST(Import, GzipCompressedFilesReadAsPlainOnes) {
    Scratch s;
    gzip(text_of(excerpt("apt1000.dat")), s.dir / "apt.dat.gz");
    gzip(text_of(excerpt("nav810.dat")), s.dir / "nav.dat.gz");
    const navimport::World plain = import({"apt1000.dat", "nav810.dat"});
    const navimport::World packed = navimport::import_files({(s.dir / "apt.dat.gz").string(), (s.dir / "nav.dat.gz").string()}, kOptions);
    EXPECT_EQ(packed.airports, plain.airports);
    EXPECT_EQ(packed.navaids, plain.navaids);
    EXPECT_EQ(packed.manifest.sources[0].kinds, plain.manifest.sources[0].kinds);

    // Cut short: the compressed stream stops early.
    const std::string whole = text_of(s.dir / "apt.dat.gz");
    std::ofstream(s.dir / "cut.dat.gz", std::ios::binary) << whole.substr(0, whole.size() / 2);
    try {
        navimport::import_files({(s.dir / "cut.dat.gz").string()}, kOptions);
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_NE(std::string(e.what()).find("cut.dat.gz: the compressed data ends early"), std::string::npos) << e.what();
    }
}

TEST(Import, OneFileForEachTable) {
    const navimport::World w = import({"apt1100.dat", "navaids.csv", "fix1101.dat"});
    EXPECT_EQ(w.manifest.sources.size(), 3u);
    EXPECT_FALSE(w.airports.empty() || w.navaids.empty() || w.waypoints.empty());
    try {
        import({"apt1000.dat", "airports.csv"});
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_EQ(std::string(e.what()), excerpt("apt1000.dat") + " and " + excerpt("airports.csv") + " both give the airports: name one of them");
    }
}

// The keys of a record depend on the data, not on the order of its rows.
TEST(Import, KeysAreTheSameForTheSameData) {
    std::string rows;
    std::vector<std::string> lines;
    std::mt19937 random(7);
    for (int i = 0; i < 40; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, " %.6f %.6f %s\n", 40.0 + (i * 37 % 23) / 10.0, -12.0 + (i % 5), i % 3 ? "SAME" : "OTHER");
        lines.push_back(line);
    }
    auto keys = [&](const std::vector<std::string> &order) {
        std::string text = "I\n600 Version\n";
        for (const std::string &l : order) text += l;
        std::map<std::pair<double, double>, std::string> by_place;
        for (const podlib::Record &r : navimport::import_text(navimport::Format::fix_dat, text + "99\n", "f.dat", kOptions).waypoints)
            by_place[{r.latitude, r.longitude}] += r.key + " ";
        return by_place;
    };
    const auto first = keys(lines);
    std::shuffle(lines.begin(), lines.end(), random);
    EXPECT_EQ(keys(lines), first);
    std::set<std::string> unique;
    for (const auto &[place, k] : first) unique.insert(k);
    EXPECT_EQ(unique.size(), first.size());
}

TEST(Import, WritesTheArchivesAndTheManifest) {
    Scratch s;
    const navimport::World w = import({"apt1000.dat", "nav810.dat", "fix600.dat"});
    navimport::write_world(s.dir / "world" / "system", w);
    for (podlib::Table t : podlib::kAllTables) {
        const auto &info = podlib::table_info(t);
        const auto records = podlib::decode_table(
            t, podlib::extract_entry((s.dir / "world" / "system" / std::string(info.archive_file)).string(), std::string(info.entry_path)));
        EXPECT_EQ(records, t == podlib::Table::airports ? w.airports : t == podlib::Table::navaids ? w.navaids : w.waypoints);
    }
    const auto manifest = podlib::read_manifest(s.dir / "world" / "system");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(*manifest, w.manifest);
    EXPECT_EQ(manifest->imported, "2026-12-09");
    EXPECT_EQ(manifest->magnetic_model, "WMM2025");
    EXPECT_EQ(manifest->magnetic_date, "2026-06-01");
    EXPECT_EQ(podlib::describe(*manifest), "X-Plane apt.dat 1000, X-Plane nav.dat 810, X-Plane fix.dat 600; data cycle 2013.10; "
                                           "imported 2026-12-09; variation from WMM2025 at 2026-06-01");
    EXPECT_FALSE(podlib::read_manifest(s.dir));  // a folder without one

    std::ofstream(s.dir / "world.json") << "{\"manifest\": 1, \"imported\": 7}";
    try {
        podlib::read_manifest(s.dir);
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_NE(std::string(e.what()).find("world.json: "), std::string::npos) << e.what();
    }
}

int podtool(const std::string &arguments, const fs::path &output) {
    const std::string command = std::string(PODTOOL) + " " + arguments + " >" + output.string() + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Import, PodtoolImportSaysWhatItDid) {
    Scratch s;
    const fs::path out = s.dir / "out.txt";
    ASSERT_EQ(podtool("import " + (s.dir / "system").string() + " " + excerpt("apt1000.dat") + " " + excerpt("nav810.dat") +
                          " --date 2027-03-01",
                      out), 0)
        << text_of(out);
    const std::string said = text_of(out);
    for (const char *line : {"X-Plane apt.dat 1000, data cycle 2013.10, 39 lines\n", "  land airport: 8 rows, 4 imported",
                             "airpvarmag.pod: 6 airports (1 heliport, 4 land airport, 1 seaplane base)\n",
                             "navaid.pod: 7 navaids (2 DME, 2 NDB, 1 VOR, 1 VOR-DME, 1 VORTAC)\n", "waypoint.pod: 0 waypoints\n",
                             "variation: WMM2025 at 2027-03-01", "2 problems in the sources"})
        EXPECT_NE(said.find(line), std::string::npos) << line << "\n" << said;
    EXPECT_TRUE(fs::exists(s.dir / "system" / "waypoint.pod"));
    EXPECT_EQ(podlib::read_manifest(s.dir / "system")->magnetic_date, "2027-03-01");

    EXPECT_EQ(podtool("import " + (s.dir / "x").string() + " " + excerpt("fix600.dat") + " --date 2031-01-01", out), 1);
    EXPECT_EQ(text_of(out), "podtool: the magnetic model WMM2025 covers 2025-01-01 to the day before 2030-01-01, not 2031-01-01: "
                            "give --date within it\n");
    EXPECT_EQ(podtool("import " + (s.dir / "x").string() + " " + excerpt("fix600.dat") + " --date 2026-02-30", out), 1);
    EXPECT_EQ(text_of(out), "podtool: --date: '2026-02-30' is not a date (YYYY-MM-DD)\n");
    EXPECT_FALSE(fs::exists(s.dir / "x"));
    EXPECT_EQ(podtool("import " + (s.dir / "x").string(), out), 2);
}

}  // namespace
