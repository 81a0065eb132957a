// Table entries and their CSV form.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "archive/cp1252.h"
#include "archive/csv.h"
#include "archive/layout.h"
#include "archive/podlib.h"

namespace podlib {
namespace {

using pod::kCountAt, pod::kRecordSizeAt;
using Layout = pod::RecordLayout;
constexpr size_t kHeaderSize = pod::kTableHeaderSize;

// The longest text of each field leaves room for its terminator.
constexpr TableInfo info(std::string_view name, const pod::TableFiles &files, const Layout &l) {
    return {name, files.archive, files.entry, int32_t(l.record_size), l.key_width - 1, l.identifier_width - 1,
            l.name_width - 1};
}
const std::array<TableInfo, 3> kTables{{
    info("airports", pod::kAirportFiles, pod::kAirport),
    info("navaids", pod::kNavaidFiles, pod::kNavaid),
    info("waypoints", pod::kWaypointFiles, pod::kWaypoint),
}};

const Layout &layout(Table t) {
    return t == Table::airports ? pod::kAirport : t == Table::navaids ? pod::kNavaid : pod::kWaypoint;
}

constexpr std::array<std::pair<NavaidKind, std::string_view>, 5> kKinds{{
    {NavaidKind::vor, "VOR"},
    {NavaidKind::vor_dme, "VOR-DME"},
    {NavaidKind::vortac, "VORTAC"},
    {NavaidKind::dme, "DME"},
    {NavaidKind::ndb, "NDB"},
}};

void put_u32(uint8_t *p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t get_u32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void put_f64(uint8_t *p, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) p[i] = uint8_t(bits >> (8 * i));
}
double get_f64(const uint8_t *p) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint64_t(p[i]) << (8 * i);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}
std::string get_text(const uint8_t *p, size_t width) {
    const char *s = reinterpret_cast<const char *>(p);
    return std::string(s, strnlen(s, width));
}

// What a text field may hold: printable ASCII (names also the other
// printable characters of code page 1252), at most `max` bytes. An empty
// result means the text fits.
std::string check_text(std::string_view what, const std::string &v, size_t max, bool latin) {
    if (v.size() > max) return std::string(what) + " is longer than " + std::to_string(max) + " characters";
    for (unsigned char c : v)
        if (latin ? !cp1252_printable(c) : (c < 0x20 || c >= 0x7f))
            return std::string(what) + (latin ? " holds a character that is not printable in code page 1252"
                                              : " holds a character that is not printable ASCII");
    return {};
}

// A flight plan finds a record by a key that starts at its first letter or
// digit and keeps its trailing blanks, so a key must begin and end so.
std::string check_key(Table t, const std::string &key) {
    if (key.empty()) return "key is empty";
    if (std::string e = check_text("key", key, table_info(t).key_max, false); !e.empty()) return e;
    if (!std::isalnum(static_cast<unsigned char>(key.front())) || key.back() == ' ')
        return "key must begin with a letter or digit and not end with a blank";
    return {};
}

std::string check_identifier(Table t, const std::string &v) {
    return check_text("identifier", v, table_info(t).identifier_max, false);
}

std::string check_name(Table t, const std::string &v) { return check_text("name", v, table_info(t).name_max, true); }

std::string shortest(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, ec == std::errc() ? end : buf);
}

}  // namespace

std::string_view kind_name(NavaidKind kind) {
    for (const auto &[k, name] : kKinds)
        if (k == kind) return name;
    return "?";
}

std::optional<NavaidKind> kind_by_name(std::string_view name) {
    for (const auto &[k, n] : kKinds)
        if (n == name) return k;
    return std::nullopt;
}

const TableInfo &table_info(Table t) { return kTables[size_t(t)]; }

std::string record_fault(Table t, const Record &r) {
    for (std::string e : {check_key(t, r.key), check_identifier(t, r.identifier), check_name(t, r.name)})
        if (!e.empty()) return e;
    return {};
}

std::optional<Table> table_by_name(std::string_view name) {
    for (size_t i = 0; i < kTables.size(); ++i)
        if (kTables[i].name == name) return Table(i);
    return std::nullopt;
}

std::vector<uint8_t> encode_table(Table t, const std::vector<Record> &records) {
    const Layout &L = layout(t);
    const size_t size = size_t(table_info(t).record_size);
    if (records.size() > size_t(INT32_MAX) / size) throw Error("too many records for one table");
    std::vector<uint8_t> out(kHeaderSize + records.size() * size, 0);
    put_u32(&out[kCountAt], uint32_t(records.size()));
    put_u32(&out[kRecordSizeAt], uint32_t(size));
    for (size_t i = 0; i < records.size(); ++i) {
        const Record &r = records[i];
        if (std::string e = record_fault(t, r); !e.empty()) throw Error("record " + std::to_string(i + 1) + ": " + e);
        uint8_t *p = &out[kHeaderSize + i * size];
        std::memcpy(p + L.key, r.key.data(), r.key.size());
        std::memcpy(p + L.identifier, r.identifier.data(), r.identifier.size());
        std::memcpy(p + L.name, r.name.data(), r.name.size());
        put_f64(p + L.variation, r.variation);
        put_f64(p + L.latitude, r.latitude);
        put_f64(p + L.longitude, r.longitude);
        put_f64(p + L.elevation, r.elevation);
        if (t == Table::navaids) {
            put_u32(p + L.kind, uint32_t(r.kind));
            put_f64(p + L.frequency, r.frequency);
        }
    }
    return out;
}

std::vector<Record> decode_table(Table t, const std::vector<uint8_t> &bytes) {
    const Layout &L = layout(t);
    if (bytes.size() < kHeaderSize) throw Error("table shorter than its header");
    const int64_t count = int32_t(get_u32(&bytes[kCountAt]));
    const int64_t size = int32_t(get_u32(&bytes[kRecordSizeAt]));
    if (count < 0) throw Error("negative record count");
    if (count > 0 && size < table_info(t).record_size)
        throw Error("record size " + std::to_string(size) + " is smaller than the " +
                    std::to_string(table_info(t).record_size) + " bytes of a record");
    if (count > 0 && int64_t(bytes.size() - kHeaderSize) / size < count)
        throw Error(std::to_string(count) + " records do not fit in the table");
    std::vector<Record> records(static_cast<size_t>(count));
    for (size_t i = 0; i < records.size(); ++i) {
        const uint8_t *p = &bytes[kHeaderSize + i * size_t(size)];
        Record &r = records[i];
        r.key = get_text(p + L.key, L.key_width);
        r.identifier = get_text(p + L.identifier, L.identifier_width);
        r.name = get_text(p + L.name, L.name_width);
        r.variation = get_f64(p + L.variation);
        r.latitude = get_f64(p + L.latitude);
        r.longitude = get_f64(p + L.longitude);
        r.elevation = get_f64(p + L.elevation);
        if (t == Table::navaids) {
            r.kind = NavaidKind(int32_t(get_u32(p + L.kind)));
            r.frequency = get_f64(p + L.frequency);
        }
    }
    return records;
}

std::vector<std::string_view> csv_columns(Table t) {
    std::vector<std::string_view> c{"key", "identifier", "name", "variation", "latitude", "longitude", "elevation"};
    if (t == Table::navaids) {
        c.push_back("kind");
        c.push_back("frequency");
    }
    return c;
}

namespace {

// A field's text for a message: a long one cut short, on a character's start.
std::string shortened(const std::string &text) {
    constexpr size_t kMost = 40;
    if (text.size() <= kMost) return text;
    size_t cut = kMost;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) + "...";
}

double number(CsvReader &csv, const CsvField &f, double lo, double hi) {
    double v = 0.0;
    const char *end = f.text.data() + f.text.size();
    const auto [ptr, ec] = std::from_chars(f.text.data(), end, v);
    if (f.text.empty() || ec != std::errc() || ptr != end || !std::isfinite(v))
        csv.fail(f.line, f.column, std::string("'").append(shortened(f.text)).append("' is not a number"));
    if (v < lo || v > hi) {
        std::ostringstream m;
        m << shortened(f.text) << " is outside " << lo << " .. " << hi;
        csv.fail(f.line, f.column, m.str());
    }
    return v;
}

// A name as the archives hold it: its UTF-8 converted to code page 1252, at
// most `most` characters. A name too long is refused before the rest of it
// is looked at, and the place of a fault found only once there is one.
std::string name_from_utf8(CsvReader &csv, const CsvField &f, size_t most) {
    std::string out;
    for (size_t at = 0; at < f.text.size();) {
        if (out.size() == most) csv.fail(f.line, f.column, check_text("name", f.text, most, true));
        const auto [c, n] = utf8_at(f.text, at);
        if (n == 0) {
            const auto [line, column] = f.position(at);
            csv.fail(line, column, "name is not valid UTF-8 (CSV files are read as UTF-8)");
        }
        const unsigned char b = cp1252_byte(c);
        if (b == 0) {
            const auto [line, column] = f.position(at);
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
            const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
            if (control) csv.fail(line, column, std::string("name holds the control character ") + code);
            csv.fail(line, column,
                     "name holds '" + f.text.substr(at, n) + "' (" + code + "), which code page 1252 does not have");
        }
        out += char(b);
        at += n;
    }
    return out;
}

}  // namespace

std::vector<Record> parse_table_csv(Table t, std::string_view text, const std::string &file) {
    CsvReader csv(text, file);
    const std::vector<std::string_view> columns = csv_columns(t);
    std::vector<CsvField> row;
    if (csv.only_empty_lines_left() || !csv.next_row(row)) csv.fail(1, 1, "empty file: expected a header row");
    for (size_t i = 0; i < columns.size(); ++i) {
        const int column = i < row.size() ? row[i].column : row.back().column;
        if (i >= row.size() || row[i].text != columns[i])
            csv.fail(row.front().line, column, "header column " + std::to_string(i + 1) + " must be '" + std::string(columns[i]) + "'");
    }
    if (row.size() > columns.size()) csv.fail(row[columns.size()].line, row[columns.size()].column, "unexpected header column");

    std::vector<Record> records;
    std::map<std::string, int> first_line;
    while (!csv.only_empty_lines_left() && csv.next_row(row)) {
        const int line = row.front().line;
        if (row.size() == 1 && !row[0].quoted && row[0].text.empty())
            csv.fail(line, 1, "empty line between records (empty lines may only end the file)");
        if (row.size() != columns.size())
            csv.fail(line, row.size() > columns.size() ? row[columns.size()].column : row.back().column,
                     "expected " + std::to_string(columns.size()) + " fields, found " + std::to_string(row.size()));
        Record r;
        r.key = row[0].text;
        r.identifier = row[1].text;
        r.name = name_from_utf8(csv, row[2], table_info(t).name_max);
        r.variation = number(csv, row[3], -180.0, 180.0);
        r.latitude = number(csv, row[4], -90.0, 90.0);
        r.longitude = number(csv, row[5], -180.0, 180.0);
        r.elevation = number(csv, row[6], -2000.0, 30000.0);
        if (t == Table::navaids) {
            const auto kind = kind_by_name(row[7].text);
            if (!kind)
                csv.fail(line, row[7].column,
                         std::string("kind '").append(shortened(row[7].text)).append("' is not VOR, VOR-DME, VORTAC, DME or NDB"));
            r.kind = *kind;
            r.frequency = number(csv, row[8], 1e-3, 1e6);
        }
        if (std::string e = check_key(t, r.key); !e.empty()) csv.fail(line, row[0].column, e);
        if (std::string e = check_identifier(t, r.identifier); !e.empty()) csv.fail(line, row[1].column, e);
        if (std::string e = check_name(t, r.name); !e.empty()) csv.fail(line, row[2].column, e);
        if (auto [it, fresh] = first_line.emplace(r.key, line); !fresh)
            csv.fail(line, row[0].column, "duplicate key '" + r.key + "' (first on line " + std::to_string(it->second) + ")");
        records.push_back(std::move(r));
    }
    return records;
}

std::vector<Record> read_table_csv(Table t, const std::string &file) {
    const std::vector<uint8_t> bytes = read_file(file);
    return parse_table_csv(t, std::string(bytes.begin(), bytes.end()), file);
}

namespace {

std::string csv_text(const std::string &s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

}  // namespace

void write_table_csv(Table t, const std::vector<Record> &records, std::ostream &out) {
    const auto columns = csv_columns(t);
    for (size_t i = 0; i < columns.size(); ++i) out << (i ? "," : "") << columns[i];
    out << "\n";
    for (const Record &r : records) {
        out << csv_text(r.key) << ',' << csv_text(r.identifier) << ',' << csv_text(utf8_from_cp1252(r.name)) << ','
            << shortest(r.variation) << ',' << shortest(r.latitude) << ',' << shortest(r.longitude) << ','
            << shortest(r.elevation);
        if (t == Table::navaids) out << ',' << kind_name(r.kind) << ',' << shortest(r.frequency);
        out << "\n";
    }
}

}  // namespace podlib
