// Fitting the records read to the archives' fields, their keys and their
// variation.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_set>

#include "tools/navimport/sources.h"

namespace navimport {
namespace {

constexpr double kKilometresPerFoot = 0.0003048;

struct Fitted {
    podlib::Record record;
    size_t read = 0, origin = 0;  // the source and its row kind
    std::string table_kind;
};

// An identifier as it may stand in the archive, and at the start of a key.
bool fits(std::string_view id, size_t max) {
    if (id.empty() || id.size() > max || !std::isalnum(static_cast<unsigned char>(id.front()))) return false;
    for (unsigned char c : id)
        if (c <= 0x20 || c >= 0x7F) return false;
    return true;
}

std::string identifier_fault(std::string_view id, size_t max) {
    if (id.empty()) return "no identifier";
    if (id.size() > max) return "identifier longer than " + std::to_string(max) + " characters";
    for (unsigned char c : id)
        if (c <= 0x20 || c >= 0x7F) return "identifier not printable ASCII";
    return "identifier does not begin with a letter or digit";
}

// A published variation as the archive holds it, -180..180: the data files
// also write a west variation as its complement (356.7 for 3.3 W).
std::optional<double> signed_variation(std::optional<double> v) {
    if (!v || !(std::fabs(*v) <= 360.0)) return std::nullopt;
    return *v > 180.0 ? *v - 360.0 : *v < -180.0 ? *v + 360.0 : *v;
}

// The letter that ends a key's stem: which table, and for navaids which
// family, the record is of.
char key_letter(podlib::Table t, podlib::NavaidKind kind) {
    if (t == podlib::Table::airports) return 'A';
    if (t == podlib::Table::waypoints) return 'F';
    return kind == podlib::NavaidKind::ndb ? 'N' : kind == podlib::NavaidKind::dme ? 'D' : 'V';
}

}  // namespace

World fit_records(std::vector<SourceRead> &reads, const ImportOptions &options) {
    World world;
    const magnetic::Model &model = magnetic::wmm2025();
    const double year = magnetic::decimal_year(options.variation_date);
    std::map<podlib::Table, std::vector<Fitted>> tables;
    std::map<podlib::Table, std::map<std::string, long>> adjusted;

    for (size_t s = 0; s < reads.size(); ++s) {
        SourceRead &read = reads[s];
        for (Candidate &c : read.candidates) {
            const podlib::TableInfo &info = podlib::table_info(c.table);
            auto &changes = adjusted[c.table];
            Fitted f{podlib::Record{}, s, c.origin, c.table_kind};
            podlib::Record &r = f.record;
            if (fits(c.identifier, info.identifier_max)) {
                r.identifier = c.identifier;
            } else if (fits(c.alternate, info.identifier_max)) {
                // An identifier is never cut: a pilot would see a wrong one.
                r.identifier = c.alternate;
                ++changes["identifier from its ICAO or GPS code"];
            } else {
                read.skip(c.origin, identifier_fault(c.identifier, info.identifier_max));
                continue;
            }
            if (!(std::fabs(c.latitude) <= 90.0) || !(std::fabs(c.longitude) <= 180.0)) {
                read.skip(c.origin, "position outside latitudes -90..90 and longitudes -180..180");
                continue;
            }
            r.latitude = c.latitude;
            r.longitude = c.longitude;
            r.elevation = c.elevation_known ? c.elevation : 0.0;
            if (!c.elevation_known) ++changes["elevation unknown: 0 written"];
            r.name = c.name;
            if (r.name.size() > info.name_max) {
                r.name.resize(info.name_max);
                while (!r.name.empty() && r.name.back() == ' ') r.name.pop_back();
                ++changes["name shortened to " + std::to_string(info.name_max) + " characters"];
            }
            if (c.name_replaced) ++changes["name characters code page 1252 lacks written as '?'"];
            r.kind = c.kind;
            r.frequency = c.frequency;
            if (const auto published = signed_variation(c.variation)) {
                r.variation = *published;
            } else {
                if (c.variation) ++changes["published variation out of range: the model's written"];
                r.variation = model.declination(r.latitude, r.longitude, r.elevation * kKilometresPerFoot, year);
            }
            tables[c.table].push_back(std::move(f));
        }
    }

    // Keys: the identifier, '/', the table's letter, and for the second and
    // later records of one stem a number, counted in the order of their
    // positions. The same data gives the same keys, whatever its order.
    std::unordered_set<std::string> used;
    for (podlib::Table t : podlib::kAllTables) {
        std::vector<Fitted> &records = tables[t];
        std::map<std::string, std::vector<size_t>> stems;
        for (size_t i = 0; i < records.size(); ++i) {
            const podlib::Record &r = records[i].record;
            stems[r.identifier + "/" + key_letter(t, r.kind)].push_back(i);
        }
        std::vector<bool> keyless(records.size(), false);
        for (auto &[stem, members] : stems) {
            std::stable_sort(members.begin(), members.end(), [&](size_t a, size_t b) {
                const podlib::Record &x = records[a].record, &y = records[b].record;
                return std::tie(x.latitude, x.longitude, x.name, x.elevation) < std::tie(y.latitude, y.longitude, y.name, y.elevation);
            });
            long n = 1;
            for (size_t i : members) {
                std::string key = stem;
                while (!used.insert(key).second) key = stem + std::to_string(++n);
                if (key.size() > podlib::table_info(t).key_max) {
                    used.erase(key);
                    keyless[i] = true;
                    continue;
                }
                records[i].record.key = std::move(key);
            }
        }
        podlib::ManifestTable table;
        std::vector<podlib::Record> &out = t == podlib::Table::airports ? world.airports
                                         : t == podlib::Table::navaids  ? world.navaids
                                                                        : world.waypoints;
        for (size_t i = 0; i < records.size(); ++i) {
            Fitted &f = records[i];
            if (keyless[i]) {
                reads[f.read].skip(f.origin, "no key of at most " + std::to_string(podlib::table_info(t).key_max) + " characters left for it");
                continue;
            }
            ++reads[f.read].source.kinds[f.origin].imported;
            ++table.kinds[f.table_kind];
            out.push_back(std::move(f.record));
        }
        table.records = long(out.size());
        table.adjusted = adjusted[t];
        world.manifest.tables[std::string(podlib::table_info(t).name)] = std::move(table);
    }

    world.manifest.imported = magnetic::date_text(options.import_date);
    world.manifest.magnetic_model = std::string(model.name());
    world.manifest.magnetic_date = magnetic::date_text(options.variation_date);
    for (SourceRead &read : reads) {
        world.manifest.sources.push_back(read.source);
        world.problems.count += read.problems.count;
        for (std::string &p : read.problems.first)
            if (world.problems.first.size() < Problems::kKept) world.problems.first.push_back(std::move(p));
    }
    return world;
}

}  // namespace navimport
