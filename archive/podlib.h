// The host's side of the navigation archives: writing, listing and extracting
// ".pod" archives, and the airport, navaid and waypoint tables with the extra
// fields that the host's world reads (docs/archive-format.md).
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace podlib {

// Every failure; the message names the file, and for CSV the line and column
// ("file:line:col: message").
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Table { airports, navaids, waypoints };
inline constexpr Table kAllTables[] = {Table::airports, Table::navaids, Table::waypoints};

enum class NavaidKind : int32_t { vor = 1, vor_dme = 2, vortac = 3, dme = 4, ndb = 5 };
std::string_view kind_name(NavaidKind kind);
std::optional<NavaidKind> kind_by_name(std::string_view name);

// One row of a table. Latitude and longitude in degrees (north and east
// positive), elevation in feet, variation in degrees. Kind and frequency are
// the navaids' (MHz, kHz for NDBs).
struct Record {
    std::string key;
    std::string identifier;
    std::string name;
    double variation = 0.0;
    double latitude = 0.0;
    double longitude = 0.0;
    double elevation = 0.0;
    NavaidKind kind = NavaidKind::vor;
    double frequency = 0.0;
    bool operator==(const Record &) const = default;
};

struct TableInfo {
    std::string_view name;          // "airports", as on the command line
    std::string_view archive_file;  // file name inside the host's system folder
    std::string_view entry_path;    // entry path inside the archive
    int32_t record_size;            // bytes of one record as written
    size_t key_max, identifier_max, name_max;  // longest text of each field
};
const TableInfo &table_info(Table table);
std::optional<Table> table_by_name(std::string_view name);

// Why a record does not fit its table's fields (key, identifier, name: their
// lengths and characters); empty when it fits.
std::string record_fault(Table table, const Record &record);

// A table entry: its 56-byte header and the records. encode throws when a
// record does not fit its fields; decode when the bytes are not such a table.
std::vector<uint8_t> encode_table(Table table, const std::vector<Record> &records);
std::vector<Record> decode_table(Table table, const std::vector<uint8_t> &bytes);

// CSV, RFC 4180, with a header row naming the columns (csv_columns).
std::vector<std::string_view> csv_columns(Table table);
std::vector<Record> read_table_csv(Table table, const std::string &file);
std::vector<Record> parse_table_csv(Table table, std::string_view text, const std::string &file);
void write_table_csv(Table table, const std::vector<Record> &records, std::ostream &out);

struct Entry {
    std::string path;
    std::vector<uint8_t> data;
};
struct EntryInfo {
    std::string path;
    uint32_t data_offset;
    uint32_t size;
};
// Writes `size` bytes as `file`, first under a temporary name ("<file>.partial")
// that is then renamed into place: on any failure the file is left as it was.
void write_file_whole(const std::string &file, const void *data, size_t size);

// Writes the whole archive under a temporary name and renames it into place:
// on any failure the file is left as it was.
void write_archive(const std::string &file, const std::vector<Entry> &entries);
std::vector<EntryInfo> list_archive(const std::string &file);
std::vector<uint8_t> extract_entry(const std::string &file, const std::string &entry_path);

// The whole file; an Error names it and the system's reason when it cannot
// be opened or read.
std::vector<uint8_t> read_file(const std::string &file);

}  // namespace podlib
