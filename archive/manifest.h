// The manifest of an imported world: a small JSON file beside the archives
// that says where their records came from, how many of each kind were read,
// imported or skipped and why, and which magnetic model gave the variation
// at which date (docs/world-import.md). A world without one (the sample
// world, made from CSV) has none of these facts.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace podlib {

inline constexpr const char *kManifestFile = "world.json";

// One kind of row of a source file: every row is imported or skipped for a
// reason, so rows == imported + the sum of skipped.
struct SourceKind {
    std::string kind;  // "land airport", "VOR", "DME", "localiser", "fix" ...
    long rows = 0, imported = 0;
    std::map<std::string, long> skipped;  // by reason
    bool operator==(const SourceKind &) const = default;
};

struct ManifestSource {
    std::string file;          // as named to the importer
    std::string format;        // "X-Plane apt.dat", "OurAirports navaids.csv" ...
    std::string version;       // "1000"; empty for formats without one
    std::string version_line;  // the header line, UTF-8
    std::string cycle;         // "2013.10" where the header states one
    long lines = 0;
    std::vector<SourceKind> kinds;
    std::map<std::string, long> unused_rows;  // rows of other codes, by code: read past, not imported
    bool operator==(const ManifestSource &) const = default;
};

struct ManifestTable {
    long records = 0;
    std::map<std::string, long> kinds;     // records written, by kind
    std::map<std::string, long> adjusted;  // records written with a change, by change ("name shortened")
    bool operator==(const ManifestTable &) const = default;
};

struct WorldManifest {
    std::string imported;        // the date of the import, YYYY-MM-DD
    std::string magnetic_model;  // the model the variation comes from ("WMM2025")
    std::string magnetic_date;   // and the date it was evaluated at
    std::vector<ManifestSource> sources;
    std::map<std::string, ManifestTable> tables;  // by table name ("airports")
    bool operator==(const WorldManifest &) const = default;
};

// Written under a temporary name and renamed into place; throws podlib::Error.
void write_manifest(const std::filesystem::path &file, const WorldManifest &manifest);
// The manifest in `system_folder`, or nullopt when the folder has none.
// Throws podlib::Error naming the file when it is not a manifest.
std::optional<WorldManifest> read_manifest(const std::filesystem::path &system_folder);

// One line for people: the sources' formats and versions, the data cycle,
// the import date and the variation's model and date.
std::string describe(const WorldManifest &manifest);

}  // namespace podlib
