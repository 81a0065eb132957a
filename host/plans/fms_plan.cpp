// X-Plane's .fms plans: version 3 (a count, then "type ident altitude lat
// lon" rows) and 1100 and later (keyword lines up to NUMENR, then "type ident
// via altitude lat lon" rows).
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

#include "host/plans/plan_parsing.h"

namespace panelhost::plans::detail {
namespace {

struct Line {
    int number;
    std::vector<std::string_view> fields;  // split at runs of spaces and tabs
    std::string_view text;
};

std::vector<Line> lines_of(std::string_view text) {
    std::vector<Line> out;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        Line l{number, {}, trim(line)};
        std::string_view rest = l.text;
        while (!rest.empty()) {
            size_t n = rest.find_first_of(" \t");
            l.fields.push_back(rest.substr(0, n));
            if (n == std::string_view::npos) break;
            rest = trim(rest.substr(n));
        }
        if (!l.fields.empty()) out.push_back(std::move(l));  // blank lines carry nothing
    }
    return out;
}

// The kind of a row's type number.
std::optional<PointKind> kind_of(std::string_view type) {
    if (type == "1") return PointKind::kAirport;
    if (type == "2") return PointKind::kNdb;
    if (type == "3") return PointKind::kVor;
    if (type == "11") return PointKind::kFix;
    if (type == "28") return PointKind::kUser;
    return std::nullopt;
}

class FmsReader {
public:
    FmsReader(std::string_view text, const std::string &file) : lines_(lines_of(text)), r_(file, plan_) {}

    Plan read() {
        plan_.format = Format::kFms;
        if (lines_.empty()) r_.fail(1, "an empty file, not an .fms plan");
        const Line &first = lines_[0];
        if (first.number != 1 || first.fields.size() != 1 || (first.text != "I" && first.text != "A"))
            r_.fail(first.number, "an .fms plan begins with a line 'I', not \"" + shown(first.text) + "\"");
        if (lines_.size() < 2) r_.fail(first.number, "the file ends before its version line");
        const Line &v = lines_[1];
        std::optional<double> version = v.fields.size() >= 2 ? number(v.fields[0]) : std::nullopt;
        if (!version || upper(v.fields[1]) != "VERSION")
            r_.fail(v.number, "the second line must be the version, such as '1100 Version', not \"" + shown(v.text) + "\"");
        plan_.version = std::string(v.fields[0]);
        if (*version == 3)
            read_version_3();
        else if (*version >= 1100 && *version < 100000 && *version == std::floor(*version))
            read_version_1100();
        else
            r_.fail(v.number, "version " + shown(v.fields[0]) + " is not one this reader knows (3, and 1100 and later)");
        return std::move(plan_);
    }

private:
    const Line &at(size_t i, int after) {
        if (i >= lines_.size()) r_.fail(after, "the file ends early: more lines were due after line " + std::to_string(after));
        return lines_[i];
    }

    size_t count(const Line &l, std::string_view value, const std::string &what) {
        std::optional<double> n = number(value);
        if (!n || *n < 0 || *n > 100000 || *n != std::floor(*n))
            r_.fail(l.number, what + " must be a whole number, not \"" + shown(value) + "\"");
        return size_t(*n);
    }

    double coordinate(const Line &l, std::string_view text, const char *what) {
        std::optional<double> v = number(text);
        if (!v) r_.fail(l.number, std::string(what) + " \"" + shown(text) + "\" is not a number");
        return *v;
    }

    // One point row: type, identifier, [via,] altitude, latitude, longitude.
    void point(const Line &l, bool has_via) {
        const size_t fields = has_via ? 6 : 5;
        if (l.fields.size() != fields)
            r_.fail(l.number, "a point row has " + std::to_string(fields) + " fields (" +
                                  (has_via ? "type ident via altitude lat lon" : "type ident altitude lat lon") +
                                  "), this one " + std::to_string(l.fields.size()));
        std::optional<PointKind> kind = kind_of(l.fields[0]);
        if (!kind)
            r_.fail(l.number, "unknown point type \"" + shown(l.fields[0]) +
                                  "\" (1 airport, 2 NDB, 3 VOR, 11 fix, 28 latitude/longitude)");
        PlannedPoint p;
        p.line = l.number;
        p.kind = *kind;
        p.ident = std::string(l.fields[1]);
        size_t at = has_via ? 3 : 2;
        std::optional<double> altitude = number(l.fields[at]);
        if (!altitude) r_.fail(l.number, "the altitude \"" + shown(l.fields[at]) + "\" is not a number");
        p.altitude_ft = altitude;
        p.latitude = coordinate(l, l.fields[at + 1], "the latitude");
        p.longitude = coordinate(l, l.fields[at + 2], "the longitude");
        r_.add(std::move(p));
    }

    // Rows of a count; a trailing row of type 0 (older files end so) is no point.
    void rows(size_t from, size_t expected, int count_line, bool has_via) {
        size_t i = from;
        for (; i < lines_.size(); ++i) {
            const Line &l = lines_[i];
            if (l.fields[0] == "0" && i + 1 == lines_.size()) break;
            point(l, has_via);
        }
        if (plan_.points.empty()) r_.fail(count_line, "the plan holds no route points");
        if (plan_.points.size() != expected)
            r_.fail(count_line, "the count says " + std::to_string(expected) + " points, the file holds " +
                                    std::to_string(plan_.points.size()));
    }

    void read_version_3() {
        at(2, lines_[1].number);
        const Line &n = at(3, lines_[2].number);
        if (n.fields.size() != 1) r_.fail(n.number, "the fourth line is the number of points less one");
        rows(4, count(n, n.fields[0], "the number of points less one") + 1, n.number, false);
    }

    void read_version_1100() {
        static const std::set<std::string_view> kProcedures = {"SID", "SIDTRANS", "STAR", "STARTRANS", "APP", "APPTRANS"};
        for (size_t i = 2;; ++i) {
            const Line &l = at(i, lines_[i - 1].number);
            if (l.fields[0] == "NUMENR") {
                if (l.fields.size() != 2) r_.fail(l.number, "NUMENR takes one number, the count of points");
                rows(i + 1, count(l, l.fields[1], "NUMENR"), l.number, true);
                return;
            }
            if (kind_of(l.fields[0]))
                r_.fail(l.number, "a point row before NUMENR, the count of points");
            // The departure, destination and runways are points of the rows
            // too; a procedure has no points here, so it is not flown.
            if (kProcedures.count(l.fields[0]) && l.fields.size() > 1)
                r_.warn(l.number, std::string(l.fields[0]) + " " + shown(l.fields[1]) +
                                      " is not flown: the host flies the points the plan lists");
        }
    }

    std::vector<Line> lines_;
    Plan plan_;
    Reading r_;
};

}  // namespace

Plan read_fms(std::string_view text, const std::string &file) { return FmsReader(text, file).read(); }

}  // namespace panelhost::plans::detail
