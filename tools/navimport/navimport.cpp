#include "tools/navimport/navimport.h"

#include <sstream>

#include "archive/csv.h"
#include "tools/navimport/sources.h"

namespace navimport {
namespace {

constexpr const char *kKnownFormats =
    "podtool reads X-Plane apt.dat (versions 1000, 1100, 1200), nav.dat (810, 1100, 1150, 1200) and "
    "fix.dat (600, 1100, 1101, 1200), plain or gzip-compressed, and OurAirports airports.csv and navaids.csv";

bool xplane(Format f) { return f == Format::apt_dat || f == Format::nav_dat || f == Format::fix_dat; }

// Which X-Plane file follows the header, from its first row: a fix row
// starts with a latitude, a navaid row with its code and a latitude, an
// airport header with its code (1, 16 or 17) and the elevation in feet. A file
// without rows is told by a version only one of them has.
Format xplane_format(Lines &lines, const XplaneHeader &h) {
    std::string_view line;
    while (lines.next(line)) {
        const std::string_view code = first_field(line);
        if (code.empty()) continue;
        if (code == "99") break;
        if (code.find('.') != std::string_view::npos || code.front() == '-') return Format::fix_dat;
        if (code == "1" || code == "17") return Format::apt_dat;  // codes no nav.dat row has
        Fields f;
        f.split(line);
        return f.size() > 1 && f[1].find('.') != std::string_view::npos ? Format::nav_dat : Format::apt_dat;
    }
    switch (h.version) {
    case 1000: return Format::apt_dat;
    case 810: case 1150: return Format::nav_dat;
    case 600: case 1101: return Format::fix_dat;
    }
    throw podlib::Error(lines.name() + ": an X-Plane file of version " + std::to_string(h.version) +
                        " without rows: cannot tell whether it is apt.dat, nav.dat or fix.dat");
}

// OurAirports files begin with a header row naming their columns.
bool ourairports_format(std::string_view first_line, const std::string &file, Format &format) {
    podlib::CsvReader csv(first_line, file);
    std::vector<podlib::CsvField> row;
    try {
        if (!csv.next_row(row)) return false;
    } catch (const podlib::Error &) {
        return false;
    }
    bool ident = false, latitude = false, frequency = false;
    for (const auto &f : row) {
        ident = ident || f.text == "ident";
        latitude = latitude || f.text == "latitude_deg";
        frequency = frequency || f.text == "frequency_khz";
    }
    if (!ident || !latitude) return false;
    format = frequency ? Format::ourairports_navaids : Format::ourairports_airports;
    return true;
}

void read_xplane(Format format, Lines &lines, SourceRead &read) {
    XplaneHeader header;
    if (!read_xplane_header(lines, header))
        throw podlib::Error(lines.name() + ":1: not an X-Plane navigation data file: it begins neither with 'I' and "
                            "a version line nor with an empty line and one");
    switch (format) {
    case Format::apt_dat: read_apt(lines, header, read); break;
    case Format::nav_dat: read_nav(lines, header, read); break;
    default: read_fix(lines, header, read); break;
    }
}

void read_csv(Format format, std::string_view text, SourceRead &read) {
    if (format == Format::ourairports_airports)
        read_ourairports_airports(text, read);
    else
        read_ourairports_navaids(text, read);
}

SourceRead new_read(Format format, const std::string &name) {
    SourceRead read;
    read.source.file = name;
    read.source.format = std::string(format_name(format));
    return read;
}

std::string plural(long n, const std::string &one, const std::string &many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string_view format_name(Format format) {
    switch (format) {
    case Format::apt_dat: return "X-Plane apt.dat";
    case Format::nav_dat: return "X-Plane nav.dat";
    case Format::fix_dat: return "X-Plane fix.dat";
    case Format::ourairports_airports: return "OurAirports airports.csv";
    case Format::ourairports_navaids: return "OurAirports navaids.csv";
    }
    return "?";
}

podlib::Table format_table(Format format) {
    switch (format) {
    case Format::apt_dat: case Format::ourairports_airports: return podlib::Table::airports;
    case Format::nav_dat: case Format::ourairports_navaids: return podlib::Table::navaids;
    case Format::fix_dat: return podlib::Table::waypoints;
    }
    return podlib::Table::airports;
}

void Problems::add(std::string message) {
    ++count;
    if (first.size() < kKept) first.push_back(std::move(message));
}

size_t SourceRead::kind(std::string_view name) {
    for (size_t i = 0; i < source.kinds.size(); ++i)
        if (source.kinds[i].kind == name) return i;
    podlib::SourceKind kind;
    kind.kind = std::string(name);
    source.kinds.push_back(std::move(kind));
    return source.kinds.size() - 1;
}

std::string name_text(std::string_view raw, bool &replaced) {
    std::string spaced(raw);
    for (char &c : spaced)
        if (c == '\t') c = ' ';
    return to_cp1252(spaced, replaced);
}

Format detect_format(const std::string &file) {
    {
        Lines lines(file);
        XplaneHeader header;
        if (read_xplane_header(lines, header)) return xplane_format(lines, header);
    }
    Lines lines(file);
    std::string_view first;
    Format format{};
    if (lines.next(first) && ourairports_format(first, file, format)) return format;
    throw podlib::Error(file + ":1: not a navigation data file podtool knows; " + kKnownFormats);
}

World import_files(const std::vector<std::string> &files, const ImportOptions &options) {
    if (files.empty()) throw podlib::Error("no files to import");
    std::vector<Format> formats;
    std::map<podlib::Table, std::string> filling;
    for (const std::string &file : files) {
        formats.push_back(detect_format(file));
        const podlib::Table t = format_table(formats.back());
        auto [it, fresh] = filling.emplace(t, file);
        if (!fresh)
            throw podlib::Error(it->second + " and " + file + " both give the " + std::string(podlib::table_info(t).name) +
                                ": name one of them");
    }
    std::vector<SourceRead> reads;
    for (size_t i = 0; i < files.size(); ++i) {
        reads.push_back(new_read(formats[i], files[i]));
        if (xplane(formats[i])) {
            Lines lines(files[i]);
            read_xplane(formats[i], lines, reads.back());
        } else {
            read_csv(formats[i], read_whole(files[i]), reads.back());
        }
    }
    return fit_records(reads, options);
}

World import_text(Format format, std::string_view text, const std::string &name, const ImportOptions &options) {
    std::vector<SourceRead> reads;
    reads.push_back(new_read(format, name));
    if (xplane(format)) {
        Lines lines(text, name);
        read_xplane(format, lines, reads.back());
    } else {
        read_csv(format, text, reads.back());
    }
    return fit_records(reads, options);
}

void write_world(const std::filesystem::path &system_folder, const World &world) {
    std::vector<std::pair<std::string, podlib::Entry>> archives;
    for (podlib::Table t : podlib::kAllTables) {
        const podlib::TableInfo &info = podlib::table_info(t);
        const auto &records = t == podlib::Table::airports ? world.airports
                            : t == podlib::Table::navaids  ? world.navaids
                                                           : world.waypoints;
        archives.emplace_back((system_folder / std::string(info.archive_file)).string(),
                              podlib::Entry{std::string(info.entry_path), podlib::encode_table(t, records)});
    }
    std::error_code ec;
    std::filesystem::create_directories(system_folder, ec);
    if (ec) throw podlib::Error(system_folder.string() + ": cannot create the folder: " + ec.message());
    for (const auto &[file, entry] : archives) podlib::write_archive(file, {entry});
    podlib::write_manifest(system_folder / podlib::kManifestFile, world.manifest);
}

std::string summary(const World &world) {
    std::ostringstream out;
    const podlib::WorldManifest &m = world.manifest;
    for (const podlib::ManifestSource &s : m.sources) {
        out << s.file << ": " << s.format;
        if (!s.version.empty()) out << " " << s.version;
        if (!s.cycle.empty()) out << ", data cycle " << s.cycle;
        out << ", " << plural(s.lines, "line", "lines") << "\n";
        for (const podlib::SourceKind &k : s.kinds) {
            out << "  " << k.kind << ": " << plural(k.rows, "row", "rows") << ", " << k.imported << " imported";
            for (const auto &[reason, n] : k.skipped) out << ", " << n << " " << reason;
            out << "\n";
        }
        long unused = 0;
        for (const auto &[code, n] : s.unused_rows) unused += n;
        if (unused > 0)
            out << "  " << plural(unused, "row", "rows") << " of " << plural(long(s.unused_rows.size()), "other code", "other codes")
                << " not needed (runways, taxiways, frequencies ...)\n";
    }
    for (podlib::Table t : podlib::kAllTables) {
        const podlib::TableInfo &info = podlib::table_info(t);
        const auto found = m.tables.find(std::string(info.name));
        if (found == m.tables.end()) continue;
        const podlib::ManifestTable &table = found->second;
        out << info.archive_file << ": " << table.records << " " << info.name;
        std::string kinds;
        for (const auto &[kind, n] : table.kinds) kinds += (kinds.empty() ? "" : ", ") + std::to_string(n) + " " + kind;
        if (!kinds.empty()) out << " (" << kinds << ")";
        out << "\n";
        for (const auto &[change, n] : table.adjusted) out << "  " << n << " with " << change << "\n";
    }
    out << "variation: " << m.magnetic_model << " at " << m.magnetic_date << "; VORs keep their published variation\n";
    if (world.problems.count > 0) {
        out << plural(world.problems.count, "problem", "problems") << " in the sources (rows skipped as malformed, files cut short)";
        out << (world.problems.count > long(world.problems.first.size()) ? " (the first " + std::to_string(world.problems.first.size()) + " here)" : "")
            << ":\n";
        for (const std::string &p : world.problems.first) out << "  " << p << "\n";
    }
    return out.str();
}

}  // namespace navimport
