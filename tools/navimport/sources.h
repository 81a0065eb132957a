// Inside the importer: the records as the sources give them, before they are
// fitted to the archives' fields, and the readers of each format.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/manifest.h"
#include "archive/podlib.h"
#include "tools/navimport/lines.h"
#include "tools/navimport/navimport.h"

namespace navimport {

// A record as read. Its origin is the kind of row it came from, in the
// source's counts, so that fitting can count it as imported or skipped there.
struct Candidate {
    podlib::Table table = podlib::Table::airports;
    std::string identifier;  // as the source gives it
    std::string alternate;   // the identifier to use when that one does not fit (an ICAO code)
    std::string name;        // code page 1252
    bool name_replaced = false;  // characters the code page lacks became '?'
    double latitude = 0, longitude = 0, elevation = 0;
    bool elevation_known = true;
    podlib::NavaidKind kind = podlib::NavaidKind::vor;
    double frequency = 0;
    std::optional<double> variation;  // the station's published declination (VORs)
    std::string table_kind;           // as counted in the table: "land airport", "VOR-DME", "fix"
    size_t origin = 0;                // index into the source's kinds
};

// One source as read: its manifest entry with the row counts, its records,
// and the rows that could not be read.
struct SourceRead {
    podlib::ManifestSource source;
    std::vector<Candidate> candidates;
    Problems problems;
    // The kind's index in source.kinds, added on first use.
    size_t kind(std::string_view name);
    void skip(size_t kind, const std::string &reason) { ++source.kinds[kind].skipped[reason]; }
};

// The header of an X-Plane file: "I" or "A" (or an empty line), then the
// version line. Reads both; false when the text does not begin so.
struct XplaneHeader {
    long version = 0;
    std::string version_line;  // UTF-8
    std::string cycle;
};
bool read_xplane_header(Lines &lines, XplaneHeader &header);

// The readers: each reads the rest of the file after its header (X-Plane)
// or the whole text (OurAirports) into `out`, whose source names the file.
// Throws podlib::Error for a version it does not know.
void read_apt(Lines &lines, const XplaneHeader &header, SourceRead &out);
void read_nav(Lines &lines, const XplaneHeader &header, SourceRead &out);
void read_fix(Lines &lines, const XplaneHeader &header, SourceRead &out);
void read_ourairports_airports(std::string_view text, SourceRead &out);
void read_ourairports_navaids(std::string_view text, SourceRead &out);

// Fits every record of the sources to the archives' fields, gives each its
// key and variation and counts what was imported, skipped and changed.
World fit_records(std::vector<SourceRead> &reads, const ImportOptions &options);

// What the readers share: the reason a row kind is skipped when it is
// malformed, and the text of a name.
inline constexpr const char *kMalformed = "malformed row";
std::string name_text(std::string_view raw, bool &replaced);

}  // namespace navimport
