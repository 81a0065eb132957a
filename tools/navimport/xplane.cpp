// X-Plane's text navigation data: apt.dat, nav.dat and fix.dat.
#include <cctype>
#include <cmath>
#include <unordered_map>

#include "tools/navimport/sources.h"

namespace navimport {
namespace {

constexpr double kEarthRadiusNm = 3440.065;
// A VOR and a DME of one identifier this close are one station.
constexpr double kOneStationNm = 1.0;

bool same_text(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && same_text(text.substr(text.size() - end.size()), end);
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

double distance_nm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRadians = 3.14159265358979323846 / 180.0;
    const double p1 = lat1 * kRadians, p2 = lat2 * kRadians, dl = (lon2 - lon1) * kRadians;
    const double y = std::cos(p2) * std::sin(dl);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    const double z = std::sin(p1) * std::sin(p2) + std::cos(p1) * std::cos(p2) * std::cos(dl);
    return kEarthRadiusNm * std::atan2(std::hypot(x, y), z);
}

void check_version(const XplaneHeader &h, const SourceRead &out, std::initializer_list<long> known) {
    std::string list;
    for (long v : known) {
        if (v == h.version) return;
        list += (list.empty() ? "" : ", ") + std::to_string(v);
    }
    throw podlib::Error(out.source.file + ":2: " + out.source.format + " version " + std::to_string(h.version) +
                        " is not one podtool reads (" + list + ")");
}

void start(SourceRead &out, const XplaneHeader &h) {
    out.source.version = std::to_string(h.version);
    out.source.version_line = h.version_line;
    out.source.cycle = h.cycle;
}

// The rows of the file up to its "99" line, blank lines left out; the lines
// after it are not read. A file that ends without one is noted: it may have
// been cut short.
template <class Row>
void each_row(Lines &lines, SourceRead &out, Row row) {
    std::string_view line;
    bool ended = false;
    while (lines.next(line)) {
        const std::string_view code = first_field(line);
        if (code.empty()) continue;
        if (code == "99") {
            ended = true;
            break;
        }
        row(code, line);
    }
    out.source.lines = lines.number();
    if (!ended)
        out.problems.add(lines.where() + "the file ends without its closing '99' line: it may be cut short");
}

// A row of a code the reader does not take, counted by its code.
void unused(SourceRead &out, std::string_view code) {
    long n = 0;
    ++out.source.unused_rows[parse_integer(code, n) && n >= 0 && n < 100000 ? std::to_string(n) : "not a row code"];
}

void malformed(SourceRead &out, const Lines &lines, size_t column, const std::string &what) {
    out.problems.add(lines.where(column) + what);
}

// The mean of positions, longitudes taken around the first so that a place on
// the 180th meridian stays there.
std::pair<double, double> mean_position(const std::vector<std::pair<double, double>> &points) {
    double lat = 0, lon = 0;
    const double lon0 = points.front().second;
    for (const auto &[la, lo] : points) {
        double d = std::fmod(lo - lon0 + 540.0, 360.0) - 180.0;
        lat += la;
        lon += d;
    }
    const double n = double(points.size());
    double mean = lon0 + lon / n;
    if (mean > 180.0) mean -= 360.0;
    if (mean < -180.0) mean += 360.0;
    return {lat / n, mean};
}

}  // namespace

bool read_xplane_header(Lines &lines, XplaneHeader &header) {
    std::string_view line;
    if (!lines.next(line)) return false;
    if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    const std::string_view origin = trimmed(line);
    if (!origin.empty() && origin != "I" && origin != "A") return false;
    if (!lines.next(line)) return false;
    Fields f;
    f.split(line);
    if (f.size() < 2 || !parse_integer(f[0], header.version) || !same_text(f[1], "version")) return false;
    header.version_line = to_utf8(trimmed(line));
    const std::string_view text = line;
    for (size_t at = 0; at + 11 <= text.size(); ++at) {
        if (!same_text(text.substr(at, 11), "data cycle ")) continue;
        std::string_view cycle = first_field(text.substr(at + 11));
        while (!cycle.empty() && (cycle.back() == ',' || cycle.back() == '.' || cycle.back() == ';')) cycle.remove_suffix(1);
        header.cycle = to_utf8(cycle);
        break;
    }
    return true;
}

// Airports, seaplane bases and heliports: the header row (1, 16, 17), then the
// rows that follow it up to the next header. The reference point is the
// datum of the 1302 rows when it has both values, else the mean of the
// runway ends (100, 101) and helipads (102).
void read_apt(Lines &lines, const XplaneHeader &header, SourceRead &out) {
    check_version(header, out, {1000, 1100, 1200});
    start(out, header);
    struct Open {
        bool open = false;
        Candidate c;
        std::optional<double> datum_lat, datum_lon;
        std::vector<std::pair<double, double>> points;
    } a;
    auto close = [&] {
        if (!a.open) return;
        a.open = false;
        if (a.datum_lat && a.datum_lon && (*a.datum_lat != 0.0 || *a.datum_lon != 0.0)) {
            a.c.latitude = *a.datum_lat;
            a.c.longitude = *a.datum_lon;
        } else if (!a.points.empty()) {
            std::tie(a.c.latitude, a.c.longitude) = mean_position(a.points);
        } else {
            out.skip(a.c.origin, "no position (no datum, runway or helipad)");
            return;
        }
        out.candidates.push_back(std::move(a.c));
    };
    Fields f;
    // A position from two fields of a row of the open airport.
    auto point = [&](size_t lat, size_t lon) {
        double la = 0, lo = 0;
        if (f.size() <= std::max(lat, lon) || !parse_number(f[lat], la) || !parse_number(f[lon], lo)) {
            const size_t column = f.size() > lat ? f.column(lat) : 0;
            malformed(out, lines, column, "row " + std::string(f[0]) + ": no latitude and longitude in fields " +
                                              std::to_string(lat + 1) + " and " + std::to_string(lon + 1));
            return;
        }
        a.points.emplace_back(la, lo);
    };
    each_row(lines, out, [&](std::string_view code, std::string_view line) {
        if (code == "1" || code == "16" || code == "17") {
            close();
            const size_t kind = out.kind(code == "1" ? "land airport" : code == "16" ? "seaplane base" : "heliport");
            ++out.source.kinds[kind].rows;
            f.split(line);
            double elevation = 0;
            if (f.size() < 5 || !parse_number(f[1], elevation)) {
                malformed(out, lines, f.size() > 1 ? f.column(1) : 0,
                          "airport header: expected elevation, two flags and an identifier");
                out.skip(kind, kMalformed);
                return;
            }
            a = Open{};
            a.open = true;
            a.c.table = podlib::Table::airports;
            a.c.identifier = std::string(f[4]);
            a.c.name = name_text(f.rest(5), a.c.name_replaced);
            a.c.elevation = elevation;
            a.c.table_kind = out.source.kinds[kind].kind;
            a.c.origin = kind;
            return;
        }
        if (!a.open) {
            unused(out, code);
            return;
        }
        if (code == "100" || code == "101" || code == "102") {
            f.split(line);
            if (code == "100") {
                point(9, 10);
                point(18, 19);
            } else if (code == "101") {
                point(4, 5);
                point(7, 8);
            } else {
                point(2, 3);
            }
        } else if (code == "1302") {
            f.split(line);
            const std::string_view key = f.size() > 1 ? f[1] : std::string_view();
            const std::string_view value = f.rest(2);
            if (key == "icao_code") {
                a.c.alternate = std::string(value);
            } else if (key == "datum_lat" || key == "datum_lon") {
                double v = 0;
                if (value.empty()) return;  // "1302 datum_lat" with no value: no datum
                if (!parse_number(value, v)) {
                    malformed(out, lines, f.column(2), "'" + to_utf8(value) + "' is not a number");
                    return;
                }
                (key == "datum_lat" ? a.datum_lat : a.datum_lon) = v;
            }
        } else {
            unused(out, code);
        }
    });
    close();
}

// NDBs (2), VORs (3) and DMEs (12, 13); the ILS, glide slope, marker and
// landing-system rows are counted and skipped. A VOR and a DME of one
// identifier at one place become one station: a VOR-DME, or a VORTAC where
// either row names a TACAN.
void read_nav(Lines &lines, const XplaneHeader &header, SourceRead &out) {
    check_version(header, out, {810, 1100, 1150, 1200});
    start(out, header);
    // 1100 and later add the airport (or ENRT) and the region before the name.
    const size_t name_at = header.version == 810 ? 8 : 10;
    Fields f;
    each_row(lines, out, [&](std::string_view code, std::string_view line) {
        long n = 0;
        parse_integer(code, n);
        const char *name = n == 2 ? "NDB" : n == 3 ? "VOR" : (n == 12 || n == 13) ? "DME" : nullptr;
        if (name == nullptr) {
            const char *other = (n == 4 || n == 5) ? "localiser" : n == 6 ? "glide slope"
                              : (n >= 7 && n <= 9) ? "marker" : (n >= 14 && n <= 16) ? "SBAS/GBAS approach" : nullptr;
            if (other == nullptr) {
                unused(out, code);
            } else {
                const size_t kind = out.kind(other);
                ++out.source.kinds[kind].rows;
                out.skip(kind, "not part of the navaid table");
            }
            return;
        }
        const size_t kind = out.kind(name);
        ++out.source.kinds[kind].rows;
        f.split(line);
        if (f.size() < 8) {
            malformed(out, lines, 0, "navaid row: " + std::to_string(f.size()) + " fields, where 8 come before the name");
            out.skip(kind, kMalformed);
            return;
        }
        static constexpr std::pair<size_t, const char *> kNumbers[] = {
            {1, "latitude"}, {2, "longitude"}, {3, "elevation"}, {4, "frequency"}, {6, "variation or bias"}};
        double v[7] = {};
        for (const auto &[i, what] : kNumbers) {
            if (parse_number(f[i], v[i])) continue;
            malformed(out, lines, f.column(i), "navaid row: " + std::string(what) + " '" + to_utf8(f[i]) + "' is not a number");
            out.skip(kind, kMalformed);
            return;
        }
        Candidate c;
        c.latitude = v[1];
        c.longitude = v[2];
        c.elevation = v[3];
        const double frequency = v[4], multi = v[6];
        c.table = podlib::Table::navaids;
        c.identifier = std::string(f[7]);
        c.name = name_text(f.rest(name_at), c.name_replaced);
        c.origin = kind;
        if (n == 2) {
            c.kind = podlib::NavaidKind::ndb;
            c.frequency = frequency;
        } else {
            c.kind = n == 3 ? podlib::NavaidKind::vor : podlib::NavaidKind::dme;
            c.frequency = frequency / 100.0;  // 10 kHz units
            if (n == 3) c.variation = multi;
            if (n != 3 && ends_with(c.name, "DME-ILS")) {
                out.skip(kind, "part of an ILS: not part of the navaid table");
                return;
            }
        }
        c.table_kind = std::string(podlib::kind_name(c.kind));
        out.candidates.push_back(std::move(c));
    });

    std::unordered_map<std::string, std::vector<size_t>> dmes;
    for (size_t i = 0; i < out.candidates.size(); ++i)
        if (out.candidates[i].kind == podlib::NavaidKind::dme) dmes[out.candidates[i].identifier].push_back(i);
    std::vector<bool> joined(out.candidates.size(), false);
    for (Candidate &v : out.candidates) {
        if (v.kind != podlib::NavaidKind::vor) continue;
        auto it = dmes.find(v.identifier);
        if (it == dmes.end()) continue;
        size_t best = SIZE_MAX;
        double nearest = kOneStationNm;
        for (size_t j : it->second) {
            const Candidate &d = out.candidates[j];
            const double nm = distance_nm(v.latitude, v.longitude, d.latitude, d.longitude);
            if (!joined[j] && nm <= nearest) {
                nearest = nm;
                best = j;
            }
        }
        if (best == SIZE_MAX) continue;
        joined[best] = true;
        const Candidate &d = out.candidates[best];
        const bool tacan = ends_with(d.name, "TACAN") || ends_with(d.name, "VORTAC") || ends_with(v.name, "VORTAC");
        v.kind = tacan ? podlib::NavaidKind::vortac : podlib::NavaidKind::vor_dme;
        v.table_kind = std::string(podlib::kind_name(v.kind));
        out.skip(d.origin, "joined to the VOR of its identifier at its place");
    }
    size_t kept = 0;
    for (size_t i = 0; i < out.candidates.size(); ++i)
        if (!joined[i]) {
            if (kept != i) out.candidates[kept] = std::move(out.candidates[i]);
            ++kept;
        }
    out.candidates.resize(kept);
}

// Fixes: latitude, longitude and identifier; 1100 adds the airport (or ENRT)
// and the region, 1101 the waypoint type, 1200 a name after it.
void read_fix(Lines &lines, const XplaneHeader &header, SourceRead &out) {
    check_version(header, out, {600, 1100, 1101, 1200});
    start(out, header);
    const size_t fix = out.kind("fix");
    Fields f;
    each_row(lines, out, [&](std::string_view, std::string_view line) {
        ++out.source.kinds[fix].rows;
        f.split(line);
        Candidate c;
        if (f.size() < 3 || !parse_number(f[0], c.latitude) || !parse_number(f[1], c.longitude)) {
            const size_t column = f.size() > 1 && parse_number(f[0], c.latitude) ? f.column(1) : f.column(0);
            malformed(out, lines, column, "fix row: expected latitude, longitude and identifier");
            out.skip(fix, kMalformed);
            return;
        }
        c.table = podlib::Table::waypoints;
        c.identifier = std::string(f[2]);
        const std::string_view name = header.version == 1200 ? f.rest(6) : std::string_view();
        c.name = name_text(name.empty() ? f[2] : name, c.name_replaced);
        c.elevation = 0;
        c.table_kind = "fix";
        c.origin = fix;
        out.candidates.push_back(std::move(c));
    });
}

}  // namespace navimport
