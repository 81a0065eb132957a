// The XML plan formats, read with pugixml: the .pln of the Microsoft
// simulators, Little Navmap's .lnmpln, Garmin's .fpl, GPX routes and
// FlightGear's route XML. Elements are matched by their local names, so a
// namespace prefix makes no difference.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include <pugixml.hpp>

#include "host/plans/plan_parsing.h"

namespace panelhost::plans::detail {
namespace {

constexpr double kFeetPerMetre = 1.0 / 0.3048;

std::string_view local_name(const char *name) {
    std::string_view n(name);
    size_t colon = n.find(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

pugi::xml_node child(pugi::xml_node n, std::string_view name) {
    for (pugi::xml_node c : n.children())
        if (c.type() == pugi::node_element && local_name(c.name()) == name) return c;
    return {};
}

std::vector<pugi::xml_node> children(pugi::xml_node n, std::string_view name) {
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node c : n.children())
        if (c.type() == pugi::node_element && local_name(c.name()) == name) out.push_back(c);
    return out;
}

std::string_view text(pugi::xml_node n) { return trim(n.child_value()); }
std::string_view child_text(pugi::xml_node n, std::string_view name) { return text(child(n, name)); }

class XmlReader {
public:
    XmlReader(std::string_view text, const std::string &file, Format format) : text_(text), r_(file, plan_) {
        plan_.format = format;
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') newlines_.push_back(i);
    }

    Plan read() {
        // pugixml resolves no external entities and loads nothing: the file
        // is all it reads.
        pugi::xml_parse_result result = doc_.load_buffer(text_.data(), text_.size(), pugi::parse_default);
        if (!result) {
            auto [line, column] = place(result.offset);
            r_.fail(line, column, std::string("not well-formed XML: ") + result.description());
        }
        pugi::xml_node root = doc_.document_element();
        switch (plan_.format) {
        case Format::kPln: read_pln(root); break;
        case Format::kLnmpln: read_lnmpln(root); break;
        case Format::kFpl: read_fpl(root); break;
        case Format::kGpx: read_gpx(root); break;
        case Format::kFlightGear: read_flightgear(root); break;
        case Format::kFms: break;
        }
        return std::move(plan_);
    }

private:
    std::pair<int, int> place(ptrdiff_t offset) const {
        size_t at = offset < 0 ? 0 : std::min(size_t(offset), text_.size());
        auto it = std::lower_bound(newlines_.begin(), newlines_.end(), at);
        int line = int(it - newlines_.begin()) + 1;
        size_t start = it == newlines_.begin() ? 0 : *(it - 1) + 1;
        return {line, int(at - start) + 1};
    }
    int line(pugi::xml_node n) const { return place(n.offset_debug()).first; }

    void expect_root(pugi::xml_node root, std::string_view name) {
        if (!root || local_name(root.name()) != name)
            r_.fail(root ? line(root) : 1, "the root element must be <" + std::string(name) + ">, not <" +
                                               shown(root ? root.name() : "") + ">");
    }
    pugi::xml_node need(pugi::xml_node parent, std::string_view name) {
        pugi::xml_node c = child(parent, name);
        if (!c) r_.fail(line(parent), "<" + shown(parent.name()) + "> has no <" + std::string(name) + ">");
        return c;
    }
    double decimal(pugi::xml_node at, std::string_view value, const std::string &what) {
        std::optional<double> v = number(value);
        if (!v) r_.fail(line(at), what + " \"" + shown(value) + "\" is not a number");
        return *v;
    }
    void need_points(pugi::xml_node list) {
        if (plan_.points.empty()) r_.fail(line(list), "the plan holds no route points");
    }

    // "N43° 34' 37.92"": a hemisphere letter, then degrees, minutes and
    // seconds, any of them with a fraction, between any separators (the
    // degree sign comes in several encodings).
    std::optional<double> dms(std::string_view s, char positive, char negative) {
        s = trim(s);
        if (s.empty()) return std::nullopt;
        char hemisphere = char(std::toupper(static_cast<unsigned char>(s.front())));
        if (hemisphere == positive || hemisphere == negative) {
            s.remove_prefix(1);
        } else {
            hemisphere = char(std::toupper(static_cast<unsigned char>(s.back())));
            if (hemisphere != positive && hemisphere != negative) return std::nullopt;
            s.remove_suffix(1);
        }
        double parts[3] = {0, 0, 0};
        size_t n = 0;
        for (size_t i = 0; i < s.size();) {
            if (!(std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) {
                if (s[i] == '-' || s[i] == '+') return std::nullopt;  // the letter gives the sign
                ++i;
                continue;
            }
            size_t j = i;
            while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
            std::optional<double> v = number(s.substr(i, j - i));
            if (!v || n == 3) return std::nullopt;
            parts[n++] = *v;
            i = j;
        }
        if (n == 0 || parts[1] >= 60 || parts[2] >= 60 || (n > 1 && parts[0] != std::floor(parts[0])))
            return std::nullopt;
        double degrees = parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
        return hemisphere == negative ? -degrees : degrees;
    }

    void read_pln(pugi::xml_node root) {
        expect_root(root, "SimBase.Document");
        pugi::xml_node fp = need(root, "FlightPlan.FlightPlan");
        plan_.version = std::string(child_text(child(fp, "AppVersion"), "AppVersionMajor"));
        for (pugi::xml_node w : children(fp, "ATCWaypoint")) {
            PlannedPoint p;
            p.line = line(w);
            p.ident = std::string(trim(w.attribute("id").value()));
            std::string_view icao = child_text(child(w, "ICAO"), "ICAOIdent");
            if (!icao.empty()) p.ident = std::string(icao);
            static const std::map<std::string, PointKind> kKinds = {{"AIRPORT", PointKind::kAirport},
                                                                    {"INTERSECTION", PointKind::kFix},
                                                                    {"VOR", PointKind::kVor},
                                                                    {"NDB", PointKind::kNdb},
                                                                    {"USER", PointKind::kUser}};
            auto kind = kKinds.find(upper(child_text(w, "ATCWaypointType")));
            p.kind = kind == kKinds.end() ? PointKind::kAny : kind->second;
            pugi::xml_node pos = child(w, "WorldPosition");
            if (!pos) r_.fail(p.line, "the waypoint " + shown(p.ident) + " has no <WorldPosition>");
            std::string_view where = text(pos);
            std::string_view lat = where.substr(0, where.find(','));
            std::string_view rest = lat.size() < where.size() ? where.substr(lat.size() + 1) : std::string_view();
            std::string_view lon = rest.substr(0, rest.find(','));
            p.latitude = dms(lat, 'N', 'S');
            p.longitude = dms(lon, 'E', 'W');
            if (!p.latitude || !p.longitude)
                r_.fail(line(pos), "the position \"" + shown(where) +
                                       "\" is not of the form N43° 34' 37.92\",W13° 7' 2.21\",+000012.00");
            if (lon.size() < rest.size()) p.altitude_ft = decimal(pos, rest.substr(lon.size() + 1), "the altitude");
            r_.add(std::move(p));
        }
        need_points(fp);
    }

    void read_lnmpln(pugi::xml_node root) {
        expect_root(root, "LittleNavmap");
        pugi::xml_node fp = need(root, "Flightplan");
        plan_.version = std::string(child_text(child(fp, "Header"), "FileVersion"));
        pugi::xml_node list = need(fp, "Waypoints");
        static const std::map<std::string, PointKind> kKinds = {{"AIRPORT", PointKind::kAirport},
                                                                {"WAYPOINT", PointKind::kFix},
                                                                {"VOR", PointKind::kVor},
                                                                {"NDB", PointKind::kNdb},
                                                                {"USER", PointKind::kUser}};
        for (pugi::xml_node w : children(list, "Waypoint")) {
            PlannedPoint p;
            p.line = line(w);
            p.ident = std::string(child_text(w, "Ident"));
            if (p.ident.empty()) p.ident = std::string(child_text(w, "Name"));
            auto kind = kKinds.find(upper(child_text(w, "Type")));
            p.kind = kind == kKinds.end() ? PointKind::kAny : kind->second;
            pugi::xml_node pos = child(w, "Pos");
            if (!pos) r_.fail(p.line, "the waypoint " + shown(p.ident) + " has no <Pos>");
            p.latitude = decimal(pos, pos.attribute("Lat").value(), "the latitude");
            p.longitude = decimal(pos, pos.attribute("Lon").value(), "the longitude");
            if (pugi::xml_attribute alt = pos.attribute("Alt")) p.altitude_ft = decimal(pos, alt.value(), "the altitude");
            r_.add(std::move(p));
        }
        need_points(list);
    }

    void read_fpl(pugi::xml_node root) {
        expect_root(root, "flight-plan");
        static const std::map<std::string, PointKind> kKinds = {
            {"AIRPORT", PointKind::kAirport}, {"VOR", PointKind::kVor},  {"NDB", PointKind::kNdb},
            {"INT", PointKind::kFix},         {"INT-VRP", PointKind::kFix}, {"USER WAYPOINT", PointKind::kUser}};
        // The route names its points by identifier, type and country.
        using Key = std::tuple<std::string, std::string, std::string>;
        std::map<Key, pugi::xml_node> table;
        for (pugi::xml_node w : children(need(root, "waypoint-table"), "waypoint"))
            table.emplace(Key{upper(child_text(w, "identifier")), upper(child_text(w, "type")),
                              upper(child_text(w, "country-code"))},
                          w);
        pugi::xml_node route = need(root, "route");
        for (pugi::xml_node rp : children(route, "route-point")) {
            Key key{upper(child_text(rp, "waypoint-identifier")), upper(child_text(rp, "waypoint-type")),
                    upper(child_text(rp, "waypoint-country-code"))};
            auto found = table.find(key);
            if (found == table.end())
                r_.fail(line(rp), "the route point " + shown(std::get<0>(key)) + " (" + shown(std::get<1>(key)) +
                                      ") has no entry in the waypoint-table");
            pugi::xml_node w = found->second;
            PlannedPoint p;
            p.line = line(rp);
            p.ident = std::string(child_text(w, "identifier"));
            auto kind = kKinds.find(std::get<1>(key));
            p.kind = kind == kKinds.end() ? PointKind::kAny : kind->second;
            p.latitude = decimal(w, child_text(w, "lat"), "the latitude");
            p.longitude = decimal(w, child_text(w, "lon"), "the longitude");
            r_.add(std::move(p));
        }
        need_points(route);
    }

    void read_gpx(pugi::xml_node root) {
        expect_root(root, "gpx");
        plan_.version = std::string(trim(root.attribute("version").value()));
        std::vector<pugi::xml_node> routes = children(root, "rte");
        if (routes.empty())
            r_.fail(line(root), "no route (<rte>): tracks and loose waypoints are not read as a plan");
        if (routes.size() > 1)
            r_.warn(line(routes[1]), "the file holds " + std::to_string(routes.size()) + " routes; the first is flown");
        static const std::map<std::string, PointKind> kKinds = {
            {"AIRPORT", PointKind::kAirport}, {"VOR", PointKind::kVor},         {"NDB", PointKind::kNdb},
            {"WAYPOINT", PointKind::kFix},    {"INTERSECTION", PointKind::kFix}, {"USER", PointKind::kUser}};
        for (pugi::xml_node w : children(routes[0], "rtept")) {
            PlannedPoint p;
            p.line = line(w);
            p.ident = std::string(child_text(w, "name"));
            auto kind = kKinds.find(upper(child_text(w, "type")));
            p.kind = kind != kKinds.end() ? kind->second : p.ident.empty() ? PointKind::kUser : PointKind::kAny;
            p.latitude = decimal(w, w.attribute("lat").value(), "the latitude");
            p.longitude = decimal(w, w.attribute("lon").value(), "the longitude");
            if (pugi::xml_node ele = child(w, "ele")) p.altitude_ft = decimal(ele, text(ele), "the elevation") * kFeetPerMetre;
            r_.add(std::move(p));
        }
        need_points(routes[0]);
    }

    void read_flightgear(pugi::xml_node root) {
        expect_root(root, "PropertyList");
        plan_.version = std::string(child_text(root, "version"));
        pugi::xml_node route = need(root, "route");
        pugi::xml_node departure = child(root, "departure"), destination = child(root, "destination");
        const std::string from(child_text(departure, "airport")), to(child_text(destination, "airport"));
        for (pugi::xml_node w : children(route, "wp")) {
            PlannedPoint p;
            p.line = line(w);
            std::string type = upper(child_text(w, "type"));
            if (type.empty()) type = child(w, "lat") ? "NAVAID" : "RUNWAY";
            p.ident = std::string(child_text(w, "ident"));
            if (type == "RUNWAY") {
                // A runway stands for its airport, found by identifier: the
                // threshold's position is not the airport's.
                const bool departing = text(child(w, "departure")) == "true" || plan_.points.empty();
                std::string icao(child_text(w, "icao"));
                p.ident = !icao.empty() ? icao : departing ? from : to;
                p.kind = PointKind::kAirport;
                r_.add(std::move(p));
                continue;
            }
            if (type != "NAVAID" && type != "BASIC") {
                r_.warn(p.line, "a waypoint of type \"" + shown(type) + "\" is not flown");
                continue;
            }
            p.kind = type == "BASIC" ? PointKind::kUser : PointKind::kAny;
            if (child(w, "lat") || child(w, "lon")) {
                p.latitude = decimal(w, child_text(w, "lat"), "the latitude");
                p.longitude = decimal(w, child_text(w, "lon"), "the longitude");
            }
            if (pugi::xml_node alt = child(w, "altitude-ft")) p.altitude_ft = decimal(alt, text(alt), "the altitude");
            r_.add(std::move(p));
        }
        // The departure and destination airports, where the route's ends are
        // not already they.
        auto is = [&](const PlannedPoint &p, const std::string &airport) { return upper(p.ident) == upper(airport); };
        std::vector<PlannedPoint> &points = plan_.points;
        if (!from.empty() && (points.empty() || !is(points.front(), from))) {
            r_.add({from, PointKind::kAirport, {}, {}, {}, line(departure)});
            std::rotate(points.begin(), points.end() - 1, points.end());
        }
        if (!to.empty() && (points.empty() || !is(points.back(), to)))
            r_.add({to, PointKind::kAirport, {}, {}, {}, line(destination)});
        need_points(route);
    }

    std::string_view text_;
    std::vector<size_t> newlines_;
    pugi::xml_document doc_;
    Plan plan_;
    Reading r_;
};

}  // namespace

Plan read_xml(std::string_view text, const std::string &file, Format format) { return XmlReader(text, file, format).read(); }

}  // namespace panelhost::plans::detail
