// Importing open navigation data into the host's archives: X-Plane's
// apt.dat, nav.dat and fix.dat (plain or gzip-compressed) and OurAirports'
// airports.csv and navaids.csv. Every record is fitted to the archives'
// fields or skipped for a reason that is counted; every record gets a key
// that the same data always gives it, and a magnetic variation: a VOR's
// published one, the World Magnetic Model's at the import's date for the
// rest (docs/world-import.md).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "archive/manifest.h"
#include "archive/podlib.h"
#include "magnetic/model.h"

namespace navimport {

enum class Format { apt_dat, nav_dat, fix_dat, ourairports_airports, ourairports_navaids };
std::string_view format_name(Format format);  // "X-Plane apt.dat"
// The table a format fills.
podlib::Table format_table(Format format);

// The rows that could not be read, each as "file:line:column: what"; the
// first few kept, all counted.
struct Problems {
    static constexpr size_t kKept = 20;
    std::vector<std::string> first;
    long count = 0;
    void add(std::string message);
};

struct ImportOptions {
    magnetic::Date variation_date;  // the model is evaluated at this date
    magnetic::Date import_date;     // written in the manifest as the date of the import
};

// The archives' records and the manifest that describes them.
struct World {
    std::vector<podlib::Record> airports, navaids, waypoints;
    podlib::WorldManifest manifest;
    Problems problems;
};

// The format of a file, found from its first lines; throws podlib::Error
// naming the file and the formats podtool reads when it is none of them.
Format detect_format(const std::string &file);

// Reads every file, at most one for each table, and makes the world. Throws
// podlib::Error ("file:line:column: message") for a file that cannot be read
// or is in no format or version the importer knows, or for two files that
// fill one table; rows that cannot be read are skipped and listed.
World import_files(const std::vector<std::string> &files, const ImportOptions &options);
// The same for one text in memory of a known format; `name` stands for the
// file in messages and the manifest.
World import_text(Format format, std::string_view text, const std::string &name, const ImportOptions &options);

// Writes the three archives (empty tables where no source filled them) and
// the manifest into `system_folder`, made when missing; each file under a
// temporary name first.
void write_world(const std::filesystem::path &system_folder, const World &world);

// What was read and written, for people: each source's rows by kind with the
// counts imported and skipped and why, each table's records by kind and the
// changes made to fit them, and the rows that could not be read.
std::string summary(const World &world);

}  // namespace navimport
