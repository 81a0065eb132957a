#include "archive/manifest.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "archive/podlib.h"

namespace podlib {
// Each field by its name; a reader takes the defaults for fields it is
// missing, and fails on a field of another type.
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(SourceKind, kind, rows, imported, skipped)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(ManifestSource, file, format, version, version_line, cycle, lines, kinds,
                                                unused_rows)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(ManifestTable, records, kinds, adjusted)

namespace {

using nlohmann::json;

constexpr int kManifestVersion = 1;

}  // namespace

void write_manifest(const std::filesystem::path &file, const WorldManifest &m) {
    const json j = {{"manifest", kManifestVersion},
                    {"imported", m.imported},
                    {"variation", {{"model", m.magnetic_model}, {"date", m.magnetic_date}}},
                    {"sources", m.sources},
                    {"tables", m.tables}};
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
        m.imported = j.value("imported", std::string());
        const json variation = j.value("variation", json::object());
        m.magnetic_model = variation.value("model", std::string());
        m.magnetic_date = variation.value("date", std::string());
        m.sources = j.value("sources", std::vector<ManifestSource>());
        m.tables = j.value("tables", std::map<std::string, ManifestTable>());
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
