// What the importer tests share: the excerpts, one import date, and finding
// records and counts in what an import made.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/navimport/navimport.h"

namespace world_test {

// The variation's date and the import's.
inline const navimport::ImportOptions kOptions{{2026, 6, 1}, {2026, 12, 9}};

inline std::string text_of(const std::string &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string excerpt(const std::string &name) { return std::string(WORLD_EXCERPTS) + "/" + name; }

inline navimport::World import(const std::vector<std::string> &names) {
    std::vector<std::string> files;
    for (const std::string &n : names) files.push_back(excerpt(n));
    return navimport::import_files(files, kOptions);
}

inline const podlib::Record *by_identifier(const std::vector<podlib::Record> &records, const std::string &id) {
    for (const podlib::Record &r : records)
        if (r.identifier == id) return &r;
    return nullptr;
}

inline const podlib::Record *by_key(const std::vector<podlib::Record> &records, const std::string &key) {
    for (const podlib::Record &r : records)
        if (r.key == key) return &r;
    return nullptr;
}

// The counts of one kind of row of the first source.
inline podlib::SourceKind kind(const navimport::World &w, const std::string &name, size_t source = 0) {
    for (const podlib::SourceKind &k : w.manifest.sources.at(source).kinds)
        if (k.kind == name) return k;
    ADD_FAILURE() << "no kind '" << name << "'";
    return {};
}

// Every row is imported or skipped for a counted reason.
inline void expect_every_row_counted(const navimport::World &w) {
    for (const podlib::ManifestSource &s : w.manifest.sources)
        for (const podlib::SourceKind &k : s.kinds) {
            long skipped = 0;
            for (const auto &[reason, n] : k.skipped) skipped += n;
            EXPECT_EQ(k.rows, k.imported + skipped) << s.file << ": " << k.kind;
        }
}

inline bool problem_starts(const navimport::World &w, const std::string &start) {
    for (const std::string &p : w.problems.first)
        if (p.rfind(start, 0) == 0) return true;
    return false;
}

inline double model_variation(const podlib::Record &r) {
    return magnetic::wmm2025().declination(r.latitude, r.longitude, r.elevation * 0.0003048,
                                           magnetic::decimal_year(kOptions.variation_date));
}

}  // namespace world_test
