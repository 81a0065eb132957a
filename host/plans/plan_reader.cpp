#include "host/plans/plan_reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "host/plans/plan_parsing.h"

namespace panelhost::plans {

std::string_view kind_name(PointKind kind) {
    switch (kind) {
    case PointKind::kAny: return "point";
    case PointKind::kAirport: return "airport";
    case PointKind::kVor: return "VOR";
    case PointKind::kNdb: return "NDB";
    case PointKind::kFix: return "fix";
    case PointKind::kUser: return "user waypoint";
    }
    return "point";
}

std::string_view format_name(Format format) {
    switch (format) {
    case Format::kFms: return "X-Plane .fms";
    case Format::kPln: return ".pln";
    case Format::kLnmpln: return "Little Navmap .lnmpln";
    case Format::kFpl: return "Garmin .fpl";
    case Format::kGpx: return "GPX";
    case Format::kFlightGear: return "FlightGear route XML";
    }
    return "plan";
}

namespace detail {

void Reading::fail(int line, const std::string &what) const {
    throw PlanError(file_ + ":" + std::to_string(line) + ": " + what);
}

void Reading::fail(int line, int column, const std::string &what) const {
    throw PlanError(file_ + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + what);
}

void Reading::warn(int line, const std::string &what) {
    plan_.warnings.push_back(file_ + ":" + std::to_string(line) + ": warning: " + what);
}

void Reading::add(PlannedPoint p) {
    if (p.latitude.has_value() != p.longitude.has_value())
        fail(p.line, "a point needs both latitude and longitude, or neither");
    if (p.latitude && !(std::fabs(*p.latitude) <= 90.0))
        fail(p.line, "latitude " + shown(std::to_string(*p.latitude)) + " lies outside -90 .. 90");
    if (p.longitude && !(std::fabs(*p.longitude) <= 180.0))
        fail(p.line, "longitude " + shown(std::to_string(*p.longitude)) + " lies outside -180 .. 180");
    if (p.kind == PointKind::kUser && !p.latitude)
        fail(p.line, "the user waypoint " + shown(p.ident) + " has no position");
    if (p.kind != PointKind::kUser && p.ident.empty())
        fail(p.line, "a point of the world needs an identifier");
    if (p.altitude_ft && *p.altitude_ft > kMaxAltitudeFt) {
        char what[96];
        std::snprintf(what, sizeof what, "altitude %.0f ft lies above %.0f ft", *p.altitude_ft, kMaxAltitudeFt);
        fail(p.line, what);
    }
    if (p.altitude_ft && *p.altitude_ft <= 0.0) p.altitude_ft.reset();  // "none" in several formats
    if (p.ident.size() > kMaxPointName) {
        size_t cut = kMaxPointName;
        while (cut > 0 && (static_cast<unsigned char>(p.ident[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
        warn(p.line, "the name \"" + shown(p.ident) + "...\" is cut to " + std::to_string(kMaxPointName) + " bytes");
        p.ident.resize(cut);
    }
    plan_.points.push_back(std::move(p));
}

std::optional<double> number(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string_view trim(std::string_view s) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char &c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string shown(std::string_view s) {
    std::string out;
    for (char c : s.substr(0, 40)) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    return out;
}

}  // namespace detail

namespace {

// The name of the first element, past the declaration, comments,
// processing instructions and a document type.
std::string root_element(std::string_view text) {
    size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        std::string_view rest = text.substr(at + 1);
        if (rest.empty()) break;
        if (rest.front() == '?' || rest.front() == '!') {
            size_t end = rest.substr(0, 4) == "!--" ? rest.find("-->") : rest.find('>');
            if (end == std::string_view::npos) break;
            at += end + 2;
            continue;
        }
        size_t n = 0;
        while (n < rest.size() && !std::isspace(static_cast<unsigned char>(rest[n])) && rest[n] != '>' && rest[n] != '/')
            ++n;
        std::string name(rest.substr(0, n));
        size_t colon = name.find(':');  // a namespace prefix
        return colon == std::string::npos ? name : name.substr(colon + 1);
    }
    return "";
}

}  // namespace

Format detect_format(std::string_view text, const std::string &file) {
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);  // a UTF-8 byte order mark
    std::string_view first = detail::trim(body.substr(0, body.find('\n')));
    if (first == "I" || first == "A") return Format::kFms;
    const std::string root = root_element(body);
    if (root == "SimBase.Document") return Format::kPln;
    if (root == "LittleNavmap") return Format::kLnmpln;
    if (root == "flight-plan") return Format::kFpl;
    if (root == "gpx") return Format::kGpx;
    if (root == "PropertyList") return Format::kFlightGear;
    const std::string known =
        "the plans this host reads are X-Plane .fms, .pln, Little Navmap .lnmpln, Garmin .fpl, GPX routes and "
        "FlightGear route XML";
    if (body.find('<') != std::string_view::npos && !root.empty())
        throw PlanError(file + ":1: an XML document of <" + detail::shown(root) + ">, not a flight plan; " + known);
    throw PlanError(file + ":1: not a flight plan: " + known + " (an .fms file begins with a line 'I')");
}

namespace {

void check_size(size_t bytes, const std::string &file) {
    if (bytes > kMaxPlanBytes)
        throw PlanError(file + ": larger than any flight plan (at most " + std::to_string(kMaxPlanBytes) + " bytes)");
}

}  // namespace

Plan read_plan(std::string_view text, const std::string &file) {
    check_size(text.size(), file);
    return read_plan(text, file, detect_format(text, file));
}

Plan read_plan(std::string_view text, const std::string &file, Format format) {
    check_size(text.size(), file);
    Plan plan = format == Format::kFms ? detail::read_fms(text, file) : detail::read_xml(text, file, format);
    if (plan.points.empty()) throw PlanError(file + ": the plan holds no route points");
    return plan;
}

Plan load_plan(const std::filesystem::path &file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) throw PlanError(file.string() + ": is a folder, not a flight plan");
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw PlanError(file.string() + ": cannot be read" + (errno ? std::string(": ") + std::strerror(errno) : ""));
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, size_t(in.gcount()));
        check_size(text.size(), file.string());
    }
    if (in.bad()) throw PlanError(file.string() + ": cannot be read");
    return read_plan(text, file.string());
}

}  // namespace panelhost::plans
