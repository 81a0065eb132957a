// OurAirports' airports.csv and navaids.csv: columns by their names, types
// into kinds, the codes that stand in for long identifiers, frequencies in
// kHz, and the published variation of VORs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "archive/csv.h"
#include "tests/world/import_support.h"

namespace {
using namespace world_test;

TEST(OurAirports, Airports) {
    const navimport::World w = import({"airports.csv"});
    EXPECT_EQ(w.manifest.sources[0].format, "OurAirports airports.csv");
    const podlib::Record *por = by_key(w.airports, "XPOR/A");
    ASSERT_NE(por, nullptr);
    EXPECT_EQ(por->name, "Port Ostra");
    EXPECT_DOUBLE_EQ(por->latitude, 43.5772);
    EXPECT_EQ(por->elevation, 12);
    EXPECT_NEAR(por->variation, model_variation(*por), 1e-12);
    // A local identifier too long for the archive: its GPS code; no elevation given.
    const podlib::Record *lis = by_key(w.airports, "XLIS/A");
    ASSERT_NE(lis, nullptr);
    EXPECT_EQ(lis->elevation, 0);
    const auto &adjusted = w.manifest.tables.at("airports").adjusted;
    EXPECT_EQ(adjusted.at("elevation unknown: 0 written"), 1);
    EXPECT_EQ(adjusted.at("identifier from its ICAO or GPS code"), 1);
    EXPECT_EQ(by_key(w.airports, "XUTF/A")->name, "Z\xFCrich-S\xFC" "d \x84Landing\x93 ?est");
    EXPECT_EQ(kind(w, "heliport").skipped.at("identifier longer than 4 characters"), 1);
    EXPECT_EQ(kind(w, "closed").skipped.at("closed"), 1);
    EXPECT_EQ(w.manifest.tables.at("airports").kinds.at("seaplane base"), 1);
    EXPECT_EQ(w.airports.size(), 4u);
    EXPECT_TRUE(problem_starts(w, excerpt("airports.csv") + ":8:") && w.problems.count == 2) << testing::PrintToString(w.problems.first);
    EXPECT_TRUE(problem_starts(w, excerpt("airports.csv") + ":9:1: 4 fields where the header has 18"));
    expect_every_row_counted(w);
}

TEST(OurAirports, Navaids) {
    const navimport::World w = import({"navaids.csv"});
    const podlib::Record *ost = by_key(w.navaids, "OST/V");
    ASSERT_NE(ost, nullptr);
    EXPECT_EQ(ost->kind, podlib::NavaidKind::vor_dme);
    EXPECT_DOUBLE_EQ(ost->frequency, 113.9);
    EXPECT_DOUBLE_EQ(ost->variation, -3.0);  // slaved_variation_deg
    const podlib::Record *ksa = by_key(w.navaids, "KSA/N");
    ASSERT_NE(ksa, nullptr);
    EXPECT_DOUBLE_EQ(ksa->frequency, 375);
    EXPECT_NEAR(ksa->variation, model_variation(*ksa), 1e-12);  // not the file's magnetic_variation_deg
    const podlib::Record *trn = by_key(w.navaids, "TRN/D");  // a TACAN: its DME's frequency
    ASSERT_NE(trn, nullptr);
    EXPECT_DOUBLE_EQ(trn->frequency, 112.4);
    EXPECT_NEAR(by_key(w.navaids, "VLM/V")->variation, model_variation(*by_key(w.navaids, "VLM/V")), 1e-12);
    EXPECT_EQ(by_key(w.navaids, "PO/N")->kind, podlib::NavaidKind::ndb);
    EXPECT_DOUBLE_EQ(by_key(w.navaids, "OSV/V")->variation, -3.5);
    EXPECT_EQ(kind(w, "MARKER").skipped.at("not a kind of the navaid table"), 1);
    EXPECT_EQ(w.navaids.size(), 6u);
    expect_every_row_counted(w);
}

// Newer dumps add columns and may order them otherwise: the same records.
TEST(OurAirports, ColumnsAreFoundByTheirNames) {
    const std::string text = text_of(excerpt("navaids.csv"));
    podlib::CsvReader csv(text, "navaids.csv");
    std::vector<podlib::CsvField> row;
    std::string turned;
    while (csv.next_row(row)) {
        std::string line = row.front().line == 1 ? "\"icao_code\"" : "\"X\"";
        for (size_t i = row.size(); i-- > 0;) line += ",\"" + row[i].text + "\"";
        turned += line + "\n";
    }
    const navimport::World plain = import({"navaids.csv"});
    const navimport::World reordered =
        navimport::import_text(navimport::Format::ourairports_navaids, turned, excerpt("navaids.csv"), kOptions);
    EXPECT_EQ(reordered.navaids, plain.navaids);

    try {
        navimport::import_text(navimport::Format::ourairports_airports, "\"id\",\"ident\",\"type\",\"name\"\n", "a.csv", kOptions);
        FAIL();
    } catch (const podlib::Error &e) {
        EXPECT_STREQ(e.what(), "a.csv:1:1: OurAirports airports.csv needs the column 'latitude_deg'");
    }
}

}  // namespace
