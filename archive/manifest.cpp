#include "archive/manifest.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "archive/podlib.h"

namespace podlib {
namespace {

using nlohmann::json;

constexpr int kManifestVersion = 1;

json counts(const std::map<std::string, long> &m) {
    json j = json::object();
    for (const auto &[k, v] : m) j[k] = v;
    return j;
}

// Reading: every field is optional, but a field that is there has its type.
template <class T>
void take(const json &j, const char *key, T &out) {
    if (j.contains(key)) out = j.at(key).get<T>();
}

}  // namespace

void write_manifest(const std::filesystem::path &file, const WorldManifest &m) {
    json sources = json::array();
    for (const ManifestSource &s : m.sources) {
        json kinds = json::array();
        for (const SourceKind &k : s.kinds)
            kinds.push_back({{"kind", k.kind}, {"rows", k.rows}, {"imported", k.imported}, {"skipped", counts(k.skipped)}});
        sources.push_back({{"file", s.file},
                           {"format", s.format},
                           {"version", s.version},
                           {"version_line", s.version_line},
                           {"cycle", s.cycle},
                           {"lines", s.lines},
                           {"kinds", kinds},
                           {"unused_rows", counts(s.unused_rows)}});
    }
    json tables = json::object();
    for (const auto &[name, t] : m.tables)
        tables[name] = {{"records", t.records}, {"kinds", counts(t.kinds)}, {"adjusted", counts(t.adjusted)}};
    const json j = {{"manifest", kManifestVersion},
                    {"imported", m.imported},
                    {"variation", {{"model", m.magnetic_model}, {"date", m.magnetic_date}}},
                    {"sources", sources},
                    {"tables", tables}};
    // Names were read in code page 1252 or UTF-8 and are kept as UTF-8 here;
    // a byte that is neither is replaced rather than failing the import.
    const std::string text = j.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
    write_file_whole(file.string(), text.data(), text.size());
}

std::optional<WorldManifest> read_manifest(const std::filesystem::path &system_folder) {
    const std::filesystem::path file = system_folder / kManifestFile;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) return std::nullopt;
        throw Error(file.string() + ": cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    WorldManifest m;
    try {
        const json j = json::parse(text.str());
        if (!j.is_object() || !j.contains("manifest")) throw Error("not a world manifest");
        if (j.at("manifest").get<int>() != kManifestVersion)
            throw Error("manifest version " + j.at("manifest").dump() + " is not " + std::to_string(kManifestVersion));
        take(j, "imported", m.imported);
        if (j.contains("variation")) {
            take(j.at("variation"), "model", m.magnetic_model);
            take(j.at("variation"), "date", m.magnetic_date);
        }
        if (j.contains("sources")) {
            for (const json &s : j.at("sources")) {
                ManifestSource source;
                take(s, "file", source.file);
                take(s, "format", source.format);
                take(s, "version", source.version);
                take(s, "version_line", source.version_line);
                take(s, "cycle", source.cycle);
                take(s, "lines", source.lines);
                take(s, "unused_rows", source.unused_rows);
                if (s.contains("kinds")) {
                    for (const json &k : s.at("kinds")) {
                        SourceKind kind;
                        take(k, "kind", kind.kind);
                        take(k, "rows", kind.rows);
                        take(k, "imported", kind.imported);
                        take(k, "skipped", kind.skipped);
                        source.kinds.push_back(std::move(kind));
                    }
                }
                m.sources.push_back(std::move(source));
            }
        }
        if (j.contains("tables")) {
            for (const auto &[name, t] : j.at("tables").items()) {
                ManifestTable table;
                take(t, "records", table.records);
                take(t, "kinds", table.kinds);
                take(t, "adjusted", table.adjusted);
                m.tables[name] = std::move(table);
            }
        }
    } catch (const json::exception &e) {
        throw Error(file.string() + ": " + e.what());
    } catch (const Error &e) {
        throw Error(file.string() + ": " + e.what());
    }
    return m;
}

std::string describe(const WorldManifest &m) {
    std::string text, cycles;
    std::set<std::string> seen;
    for (const ManifestSource &s : m.sources) {
        text += text.empty() ? "" : ", ";
        text += s.format;
        if (!s.version.empty()) text += " " + s.version;
        if (!s.cycle.empty() && seen.insert(s.cycle).second) cycles += (cycles.empty() ? "" : ", ") + s.cycle;
    }
    if (text.empty()) text = "no sources";
    if (!cycles.empty()) text += "; data cycle " + cycles;
    if (!m.imported.empty()) text += "; imported " + m.imported;
    if (!m.magnetic_model.empty()) text += "; variation from " + m.magnetic_model + " at " + m.magnetic_date;
    return text;
}

}  // namespace podlib
