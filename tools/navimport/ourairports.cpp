// OurAirports' airports.csv and navaids.csv: columns found by their header
// names, since newer dumps add columns.
#include <array>
#include <map>

#include "archive/csv.h"
#include "tools/navimport/sources.h"

namespace navimport {
namespace {

using podlib::CsvField;

// The columns a reader takes, found in the header row; optional ones may be
// missing (their index is then SIZE_MAX).
class Columns {
public:
    Columns(podlib::CsvReader &csv, const std::vector<CsvField> &header, std::string_view format,
            std::initializer_list<const char *> required, std::initializer_list<const char *> optional) {
        for (size_t i = 0; i < header.size(); ++i) at_[header[i].text] = i;
        for (const char *name : required)
            if (!at_.count(name))
                csv.fail(header.front().line, 1, std::string(format) + " needs the column '" + name + "'");
        for (const char *name : optional) at_.try_emplace(name, SIZE_MAX);
    }
    // The text of a column in a row; empty where the column is missing.
    std::string_view operator()(const std::vector<CsvField> &row, const char *name) const {
        const size_t i = at_.at(name);
        return i < row.size() ? std::string_view(row[i].text) : std::string_view();
    }
    const CsvField *field(const std::vector<CsvField> &row, const char *name) const {
        const size_t i = at_.at(name);
        return i < row.size() ? &row[i] : nullptr;
    }
    size_t count() const { return width_; }
    void width(size_t w) { width_ = w; }

private:
    std::map<std::string, size_t, std::less<>> at_;
    size_t width_ = 0;
};

std::string where(const SourceRead &out, const CsvField &f) {
    return out.source.file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": ";
}

// Reads the rows after the header. `row_read` takes each well-formed row; a
// row with another number of fields than the header is noted and skipped.
template <class RowRead>
void each_row(std::string_view text, SourceRead &out, std::string_view format, std::initializer_list<const char *> required,
              std::initializer_list<const char *> optional, RowRead row_read) {
    podlib::CsvReader csv(text, out.source.file);
    std::vector<CsvField> row;
    if (!csv.next_row(row)) csv.fail(1, 1, "empty file: expected a header row");
    Columns columns(csv, row, format, required, optional);
    columns.width(row.size());
    std::string_view header = text.substr(0, text.find('\n'));
    if (!header.empty() && header.back() == '\r') header.remove_suffix(1);
    if (header.substr(0, 3) == "\xEF\xBB\xBF") header.remove_prefix(3);
    out.source.version_line = to_utf8(header);
    long last = 1;
    while (!csv.only_empty_lines_left() && csv.next_row(row)) {
        last = row.back().line;
        if (row.size() == 1 && row[0].text.empty()) continue;
        if (row.size() != columns.count()) {
            const size_t kind = out.kind("row");
            ++out.source.kinds[kind].rows;
            out.problems.add(where(out, row.front()) + std::to_string(row.size()) + " fields where the header has " +
                             std::to_string(columns.count()));
            out.skip(kind, kMalformed);
            continue;
        }
        row_read(columns, row);
    }
    out.source.lines = last;
}

// A number column: the value, or false (with the row noted) where it is not one.
bool number(SourceRead &out, const Columns &columns, const std::vector<CsvField> &row, const char *name, double &v) {
    const CsvField *f = columns.field(row, name);
    if (f != nullptr && parse_number(f->text, v)) return true;
    if (f != nullptr) out.problems.add(where(out, *f) + name + " '" + to_utf8(f->text) + "' is not a number");
    return false;
}

// A row's position into `c`; false (the row noted and skipped as malformed)
// where it has none.
bool position(SourceRead &out, const Columns &columns, const std::vector<CsvField> &row, size_t kind, Candidate &c) {
    if (number(out, columns, row, "latitude_deg", c.latitude) && number(out, columns, row, "longitude_deg", c.longitude))
        return true;
    out.skip(kind, kMalformed);
    return false;
}

// The airport kinds by their type text; closed airports are skipped.
std::string kind_text(std::string_view type) {
    std::string k(type);
    for (char &c : k)
        if (c == '_') c = ' ';
    return k.empty() ? "no type" : k;
}

}  // namespace

void read_ourairports_airports(std::string_view text, SourceRead &out) {
    const std::string format = out.source.format;
    each_row(text, out, format, {"ident", "type", "name", "latitude_deg", "longitude_deg"},
             {"elevation_ft", "icao_code", "gps_code"}, [&](const Columns &col, const std::vector<CsvField> &row) {
                 const size_t kind = out.kind(kind_text(col(row, "type")));
                 ++out.source.kinds[kind].rows;
                 if (col(row, "type") == "closed") {
                     out.skip(kind, "closed");
                     return;
                 }
                 Candidate c;
                 if (!position(out, col, row, kind, c)) return;
                 c.table = podlib::Table::airports;
                 c.identifier = std::string(col(row, "ident"));
                 // A local identifier too long for the archive: the ICAO code, or the GPS code, serves.
                 c.alternate = std::string(col(row, "icao_code").empty() ? col(row, "gps_code") : col(row, "icao_code"));
                 c.name = name_text(col(row, "name"), c.name_replaced);
                 c.elevation_known = !col(row, "elevation_ft").empty();
                 if (c.elevation_known && !number(out, col, row, "elevation_ft", c.elevation)) {
                     out.skip(kind, kMalformed);
                     return;
                 }
                 c.table_kind = out.source.kinds[kind].kind;
                 c.origin = kind;
                 out.candidates.push_back(std::move(c));
             });
}

void read_ourairports_navaids(std::string_view text, SourceRead &out) {
    static const std::map<std::string, podlib::NavaidKind, std::less<>> kKinds = {
        {"VOR", podlib::NavaidKind::vor},     {"VOR-DME", podlib::NavaidKind::vor_dme}, {"VORTAC", podlib::NavaidKind::vortac},
        {"TACAN", podlib::NavaidKind::dme},   {"DME", podlib::NavaidKind::dme},         {"NDB", podlib::NavaidKind::ndb},
        {"NDB-DME", podlib::NavaidKind::ndb},
    };
    const std::string format = out.source.format;
    each_row(text, out, format, {"ident", "name", "type", "frequency_khz", "latitude_deg", "longitude_deg"},
             {"elevation_ft", "slaved_variation_deg", "dme_frequency_khz"},
             [&](const Columns &col, const std::vector<CsvField> &row) {
                 const std::string_view type = col(row, "type");
                 const size_t kind = out.kind(type.empty() ? "no type" : type);
                 ++out.source.kinds[kind].rows;
                 const auto k = kKinds.find(type);
                 if (k == kKinds.end()) {
                     out.skip(kind, "not a kind of the navaid table");
                     return;
                 }
                 Candidate c;
                 if (!position(out, col, row, kind, c)) return;
                 c.table = podlib::Table::navaids;
                 c.kind = k->second;
                 c.identifier = std::string(col(row, "ident"));
                 c.name = name_text(col(row, "name"), c.name_replaced);
                 c.elevation_known = !col(row, "elevation_ft").empty();
                 double v = 0;
                 if ((c.elevation_known && !number(out, col, row, "elevation_ft", c.elevation)) ||
                     (!col(row, "slaved_variation_deg").empty() && !number(out, col, row, "slaved_variation_deg", v))) {
                     out.skip(kind, kMalformed);
                     return;
                 }
                 // The station's published variation is a VOR's own; the others get the model's.
                 const bool vor = c.kind == podlib::NavaidKind::vor || c.kind == podlib::NavaidKind::vor_dme ||
                                  c.kind == podlib::NavaidKind::vortac;
                 if (vor && !col(row, "slaved_variation_deg").empty()) c.variation = v;
                 // kHz in the file; the archive holds MHz but for NDBs. A TACAN may give only its DME's.
                 double khz = 0;
                 const char *frequency = col(row, "frequency_khz").empty() ? "dme_frequency_khz" : "frequency_khz";
                 if (!col(row, frequency).empty() && !number(out, col, row, frequency, khz)) {
                     out.skip(kind, kMalformed);
                     return;
                 }
                 c.frequency = c.kind == podlib::NavaidKind::ndb ? khz : khz / 1000.0;
                 c.table_kind = std::string(podlib::kind_name(c.kind));
                 c.origin = kind;
                 out.candidates.push_back(std::move(c));
             });
}

}  // namespace navimport
