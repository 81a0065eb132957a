// X-Plane's apt.dat, nav.dat and fix.dat in every version read, from
// excerpts with the quirks of real files: CR LF line ends, an empty first
// line, Latin-1 bytes, zero-padded coordinates, the 99 end line, unknown row
// codes, and records that do not fit the archive.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/world/import_support.h"

namespace {
using namespace world_test;

TEST(AptDat, Version1000AsRealFilesWriteIt) {
    const navimport::World w = import({"apt1000.dat"});
    const podlib::ManifestSource &s = w.manifest.sources.at(0);
    EXPECT_EQ(s.format, "X-Plane apt.dat");
    EXPECT_EQ(s.version, "1000");
    EXPECT_EQ(s.cycle, "2013.10");
    EXPECT_NE(s.version_line.find("Copyright \xC2\xA9 2013"), std::string::npos) << s.version_line;  // Latin-1 read, kept as UTF-8

    const podlib::Record *por = by_identifier(w.airports, "XPOR");
    ASSERT_NE(por, nullptr);
    EXPECT_EQ(por->key, "XPOR/A");
    EXPECT_EQ(por->name, "Port Ostra");  // no CR left from the line end
    EXPECT_DOUBLE_EQ(por->latitude, (43.577 + 43.5774) / 2);  // the mean of the runway's ends
    EXPECT_DOUBLE_EQ(por->longitude, (-13.125 + -13.10956) / 2);
    EXPECT_EQ(por->elevation, 12);
    EXPECT_NEAR(por->variation, model_variation(*por), 1e-12);

    const podlib::Record *sea = by_identifier(w.airports, "XSEA");
    ASSERT_NE(sea, nullptr);
    EXPECT_DOUBLE_EQ(sea->latitude, 43.61);  // water runway
    const podlib::Record *heli = by_identifier(w.airports, "XHEL");
    ASSERT_NE(heli, nullptr);
    EXPECT_DOUBLE_EQ(heli->longitude, -13.11);  // helipad
    EXPECT_EQ(by_identifier(w.airports, "XLAT")->name, "Sainte-\xC9lise a\xE9rodrome");  // Latin-1 into code page 1252
    EXPECT_EQ(by_identifier(w.airports, "XNAM")->name, "The Very Long Name Of An Invented Airfi");
    EXPECT_NEAR(std::fabs(by_identifier(w.airports, "XDL")->longitude), 180.0, 1e-9);  // runway across the 180th meridian
    EXPECT_EQ(by_identifier(w.airports, "XAFT"), nullptr);  // after the 99 line

    const podlib::SourceKind land = kind(w, "land airport");
    EXPECT_EQ(land.rows, 8);
    EXPECT_EQ(land.imported, 4);
    EXPECT_EQ(land.skipped.at("identifier longer than 4 characters"), 1);  // an identifier is never cut
    EXPECT_EQ(land.skipped.at("no position (no datum, runway or helipad)"), 2);
    EXPECT_EQ(land.skipped.at("malformed row"), 1);
    EXPECT_EQ(kind(w, "seaplane base").imported, 1);
    EXPECT_EQ(kind(w, "heliport").imported, 1);
    EXPECT_EQ(s.unused_rows.at("9999"), 1);
    EXPECT_EQ(s.unused_rows.at("110"), 2);
    EXPECT_EQ(w.manifest.tables.at("airports").adjusted.at("name shortened to 39 characters"), 1);
    EXPECT_EQ(w.manifest.tables.at("airports").kinds.at("land airport"), 4);
    EXPECT_TRUE(problem_starts(w, excerpt("apt1000.dat") + ":35:6: airport header")) << testing::PrintToString(w.problems.first);
    expect_every_row_counted(w);
}

TEST(AptDat, Version1100TakesTheDatumAndTheIcaoCode) {
    const navimport::World w = import({"apt1100.dat"});
    const podlib::Record *vel = by_identifier(w.airports, "XVEL");
    ASSERT_NE(vel, nullptr);
    EXPECT_DOUBLE_EQ(vel->latitude, 42.97385);
    EXPECT_DOUBLE_EQ(vel->longitude, -11.88518);
    // A local identifier too long for the archive: its ICAO code; a datum of
    // 0 is none, so the runway gives the place.
    const podlib::Record *tar = by_identifier(w.airports, "XTAR");
    ASSERT_NE(tar, nullptr);
    EXPECT_EQ(tar->key, "XTAR/A");
    EXPECT_DOUBLE_EQ(tar->latitude, 42.89);
    EXPECT_EQ(w.manifest.tables.at("airports").adjusted.at("identifier from its ICAO or GPS code"), 1);
    EXPECT_EQ(kind(w, "land airport").skipped.at("identifier longer than 4 characters"), 1);  // an empty icao_code
    // UTF-8 into code page 1252; what it lacks becomes '?'.
    EXPECT_EQ(by_identifier(w.airports, "XUTF")->name, "Z\xFCrich-S\xFC" "d \x84Landing\x93 ?est");
    EXPECT_EQ(w.manifest.tables.at("airports").adjusted.at("name characters code page 1252 lacks written as '?'"), 1);
    EXPECT_DOUBLE_EQ(by_identifier(w.airports, "XDAT")->latitude, 44.505);
    EXPECT_TRUE(problem_starts(w, excerpt("apt1100.dat") + ":28:16: 'north' is not a number"))
        << testing::PrintToString(w.problems.first);
    EXPECT_EQ(w.manifest.sources[0].cycle, "1710");
    expect_every_row_counted(w);
}

TEST(AptDat, Version1200WithEmptyDatumValues) {
    const navimport::World w = import({"apt1200.dat"});
    const podlib::Record *kes = by_identifier(w.airports, "XKES");
    ASSERT_NE(kes, nullptr);
    EXPECT_DOUBLE_EQ(kes->latitude, (44.19 + 44.20738) / 2);
    const podlib::Record *pad = by_identifier(w.airports, "XHPD");
    ASSERT_NE(pad, nullptr);
    EXPECT_DOUBLE_EQ(pad->latitude, 44.21);
    EXPECT_EQ(w.manifest.tables.at("airports").kinds.at("heliport"), 1);
    EXPECT_EQ(w.manifest.sources[0].unused_rows.at("1300"), 2);
    expect_every_row_counted(w);
}

TEST(NavDat, Version810JoinsVorsAndDmesAndSkipsTheLandingSystems) {
    const navimport::World w = import({"nav810.dat"});
    EXPECT_EQ(w.manifest.sources[0].version, "810");
    const podlib::Record *ost = by_key(w.navaids, "OST/V");
    ASSERT_NE(ost, nullptr);
    EXPECT_EQ(ost->kind, podlib::NavaidKind::vor_dme);
    EXPECT_DOUBLE_EQ(ost->frequency, 113.9);
    EXPECT_DOUBLE_EQ(ost->variation, -3.0);  // the station's published variation
    EXPECT_EQ(ost->name, "OSTRA VOR-DME");
    const podlib::Record *trn = by_key(w.navaids, "TRN/V");
    ASSERT_NE(trn, nullptr);
    EXPECT_EQ(trn->kind, podlib::NavaidKind::vortac);
    EXPECT_DOUBLE_EQ(trn->variation, -4.0);  // written 356.0
    EXPECT_EQ(by_key(w.navaids, "VLM/V")->kind, podlib::NavaidKind::vor);
    // A DME of a VOR's identifier far from it stays a DME of its own.
    const podlib::Record *far = by_key(w.navaids, "OST/D");
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(far->kind, podlib::NavaidKind::dme);
    EXPECT_DOUBLE_EQ(far->latitude, 45.0);
    EXPECT_DOUBLE_EQ(by_key(w.navaids, "KES/D")->frequency, 115.2);
    // NDBs in kHz, with the model's variation; two of one identifier.
    const podlib::Record *os = by_key(w.navaids, "OS/N");
    ASSERT_NE(os, nullptr);
    EXPECT_DOUBLE_EQ(os->frequency, 396);
    EXPECT_DOUBLE_EQ(os->latitude, 42.9);
    EXPECT_NEAR(os->variation, model_variation(*os), 1e-12);
    EXPECT_DOUBLE_EQ(by_key(w.navaids, "OS/N2")->latitude, 47.9);
    EXPECT_EQ(w.navaids.size(), 7u);

    EXPECT_EQ(kind(w, "NDB").skipped.at("identifier not printable ASCII"), 1);
    const podlib::SourceKind dme = kind(w, "DME");
    EXPECT_EQ(dme.rows, 5);
    EXPECT_EQ(dme.skipped.at("joined to the VOR of its identifier at its place"), 2);
    EXPECT_EQ(dme.skipped.at("part of an ILS: not part of the navaid table"), 1);
    for (const char *k : {"localiser", "glide slope", "marker"})
        EXPECT_EQ(kind(w, k).imported, 0) << k;
    EXPECT_EQ(kind(w, "marker").rows, 3);
    EXPECT_EQ(kind(w, "VOR").skipped.at("malformed row"), 1);
    EXPECT_TRUE(problem_starts(w, excerpt("nav810.dat") + ":9:4: navaid row: latitude '4x.00000000' is not a number"))
        << testing::PrintToString(w.problems.first);
    expect_every_row_counted(w);
}

TEST(NavDat, Versions1100And1200ReadTheNameAfterTheRegion) {
    const navimport::World a = import({"nav1100.dat"});
    EXPECT_EQ(by_key(a.navaids, "OST/V")->name, "OSTRA VOR/DME");
    EXPECT_EQ(by_key(a.navaids, "TRN/V")->kind, podlib::NavaidKind::vortac);
    EXPECT_EQ(by_key(a.navaids, "KES/D")->name, "KESSA DME");
    EXPECT_EQ(a.navaids.size(), 4u);
    expect_every_row_counted(a);

    // X-Plane 11.50's files say 1150 and have 1100's columns.
    const navimport::World c = navimport::import_text(
        navimport::Format::nav_dat,
        "I\n1150 Version - data cycle 2107\n3  44.28839000 -012.02144000    150 11630 130   -2.9 VLM  ENRT XX VELMAR VOR\n99\n",
        "nav1150.dat", kOptions);
    ASSERT_EQ(c.navaids.size(), 1u);
    EXPECT_EQ(c.navaids[0].name, "VELMAR VOR");
    EXPECT_EQ(c.manifest.sources[0].cycle, "2107");

    const navimport::World b = import({"nav1200.dat"});
    EXPECT_EQ(by_key(b.navaids, "VLM/V")->kind, podlib::NavaidKind::vor_dme);
    EXPECT_EQ(kind(b, "SBAS/GBAS approach").rows, 3);
    EXPECT_EQ(b.navaids.size(), 2u);
    expect_every_row_counted(b);
}

TEST(FixDat, EveryVersionAndTheKeysOfOneIdentifier) {
    const navimport::World w = import({"fix600.dat"});
    // Two fixes of one identifier: numbered by position, whatever the file's order.
    EXPECT_DOUBLE_EQ(by_key(w.waypoints, "FODAK/F")->latitude, 44.0);
    EXPECT_DOUBLE_EQ(by_key(w.waypoints, "FODAK/F2")->latitude, 44.30218);
    EXPECT_EQ(by_key(w.waypoints, "FODAK/F")->name, "FODAK");
    EXPECT_DOUBLE_EQ(by_key(w.waypoints, "XEQTR/F")->latitude, -0.5);  // zero-padded negative
    EXPECT_NE(by_key(w.waypoints, "13.26/F"), nullptr);
    const podlib::SourceKind fix = kind(w, "fix");
    EXPECT_EQ(fix.rows, 9);
    EXPECT_EQ(fix.imported, 5);
    EXPECT_EQ(fix.skipped.at("identifier not printable ASCII"), 1);
    EXPECT_EQ(fix.skipped.at("position outside latitudes -90..90 and longitudes -180..180"), 1);
    EXPECT_EQ(fix.skipped.at("identifier longer than 7 characters"), 1);
    EXPECT_EQ(fix.skipped.at("malformed row"), 1);
    expect_every_row_counted(w);

    for (const char *file : {"fix1100.dat", "fix1101.dat", "fix1200.dat"}) {
        const navimport::World v = import({file});
        ASSERT_EQ(v.waypoints.size(), 2u) << file;
        EXPECT_EQ(by_key(v.waypoints, "PENAK/F")->name, "PENAK") << file;
        EXPECT_TRUE(v.problems.first.empty()) << file;
    }
    EXPECT_EQ(by_key(import({"fix1200.dat"}).waypoints, "FODAK/F")->name, "FODAK ENTRY");
}

TEST(XplaneFiles, QuirksOfTheirEnds) {
    // No 99 line: read to the end, and noted as possibly cut short.
    const navimport::World w = navimport::import_text(navimport::Format::fix_dat,
                                                      "I\n600 Version\n 44.0 -12.0 FODAK\n 45.0 -12.0 PENAK", "cut.dat", kOptions);
    EXPECT_EQ(w.waypoints.size(), 2u);
    EXPECT_TRUE(problem_starts(w, "cut.dat:4: the file ends without its closing '99' line")) << testing::PrintToString(w.problems.first);
    // A byte order mark, blank lines with blanks, tabs between fields.
    const navimport::World t = navimport::import_text(navimport::Format::fix_dat,
                                                      "\xEF\xBB\xBFI\n1100 Version\n  \t \n44.0\t-12.0 FODAK ENRT XX\n99\n", "tabs.dat", kOptions);
    ASSERT_EQ(t.waypoints.size(), 1u);
    EXPECT_EQ(t.waypoints[0].identifier, "FODAK");
}

TEST(XplaneFiles, UnknownVersionsAndFormatsAreRefusedByName) {
    try {
        navimport::import_text(navimport::Format::apt_dat, "I\n850 Version\n1 10 0 0 XPOR Port\n99\n", "old.dat", kOptions);
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_STREQ(e.what(), "old.dat:2: X-Plane apt.dat version 850 is not one podtool reads (1000, 1100, 1200)");
    }
    try {
        navimport::import_text(navimport::Format::nav_dat, "hello\nworld\n", "hello.dat", kOptions);
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_NE(std::string(e.what()).find("hello.dat:1: not an X-Plane navigation data file"), std::string::npos) << e.what();
    }
}

}  // namespace
