#include "host/scenario.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <toml++/toml.h>

#include "host/definition.h"
#include "host/event_checks.h"

namespace panelhost {

uint32_t night_light_target(int light) {
    return light >= 1 && light <= kNightLights ? frame::kNightLightTargets[light - 1] : 0;
}

namespace {

int line_of(const toml::node &n) { return int(n.source().begin.line); }

// One table of the scenario, read key by key. Every key must be known: a
// misspelt key is an error, not a silent default.
class Table {
public:
    Table(const toml::table &t, const std::string &file, std::string where)
        : t_(t), file_(file), where_(std::move(where)) {}

    [[noreturn]] void fail(const toml::node &at, const std::string &what) const { fail(line_of(at), what); }
    [[noreturn]] void fail(int line, const std::string &what) const {
        throw ScenarioError(file_ + ":" + std::to_string(line) + ": " + what);
    }
    int line() const { return line_of(t_); }
    const std::string &file() const { return file_; }

    const toml::node *node(const std::string &key) {
        known_.insert(key);
        return t_.get(key);
    }
    bool has(const std::string &key) { return node(key) != nullptr; }

    double number(const std::string &key, std::optional<double> fallback = std::nullopt) {
        const toml::node *n = node(key);
        if (n == nullptr) {
            if (!fallback) fail(line(), name(key) + " is missing");
            return *fallback;
        }
        if (auto v = n->value<double>(); v && std::isfinite(*v)) return *v;
        fail(*n, name(key) + " must be a number");
    }
    std::optional<double> optional_number(const std::string &key) {
        if (!has(key)) return std::nullopt;
        return number(key);
    }
    double ranged(const std::string &key, double lo, double hi, std::optional<double> fallback = std::nullopt) {
        double v = number(key, fallback);
        if (v < lo || v > hi) {
            const toml::node *n = node(key);
            fail(n ? line_of(*n) : line(), name(key) + " must lie between " + text(lo) + " and " + text(hi));
        }
        return v;
    }
    int64_t integer(const std::string &key, int64_t lo, int64_t hi, std::optional<int64_t> fallback = std::nullopt) {
        const toml::node *n = node(key);
        if (n == nullptr) {
            if (!fallback) fail(line(), name(key) + " is missing");
            return *fallback;
        }
        auto v = n->value_exact<int64_t>();
        if (!v) fail(*n, name(key) + " must be a whole number");
        if (*v < lo || *v > hi) fail(*n, name(key) + " must lie between " + text(lo) + " and " + text(hi));
        return *v;
    }
    std::string string(const std::string &key, std::optional<std::string> fallback = std::nullopt) {
        const toml::node *n = node(key);
        if (n == nullptr) {
            if (!fallback) fail(line(), name(key) + " is missing");
            return *fallback;
        }
        auto v = n->value_exact<std::string>();
        if (!v) fail(*n, name(key) + " must be a string");
        return *v;
    }
    bool boolean(const std::string &key, std::optional<bool> fallback = std::nullopt) {
        const toml::node *n = node(key);
        if (n == nullptr) {
            if (!fallback) fail(line(), name(key) + " is missing");
            return *fallback;
        }
        auto v = n->value_exact<bool>();
        if (!v) fail(*n, name(key) + " must be true or false");
        return *v;
    }
    uint32_t code(const std::string &key) {
        std::string s = string(key);
        auto c = code_from_text(s);
        if (!c) fail(*node(key), name(key) + " must be a code of one to four characters, not \"" + s + "\"");
        return *c;
    }
    Table sub(const std::string &key) {
        const toml::node *n = node(key);
        if (n == nullptr) return Table(empty(), file_, where_ + key);
        if (!n->is_table()) fail(*n, name(key) + " must be a table");
        return Table(*n->as_table(), file_, where_ + key + ".");
    }
    // An array of tables (or of inline tables).
    std::vector<Table> tables(const std::string &key) {
        std::vector<Table> out;
        const toml::node *n = node(key);
        if (n == nullptr) return out;
        const toml::array *a = n->as_array();
        if (a == nullptr) fail(*n, name(key) + " must be an array of tables");
        for (const toml::node &e : *a) {
            if (!e.is_table()) fail(e, name(key) + " must hold tables only");
            out.emplace_back(*e.as_table(), file_, where_ + key + ".");
        }
        return out;
    }
    std::vector<double> numbers(const std::string &key) {
        std::vector<double> out;
        const toml::node *n = node(key);
        if (n == nullptr) return out;
        const toml::array *a = n->as_array();
        if (a == nullptr) fail(*n, name(key) + " must be an array of numbers");
        for (const toml::node &e : *a) {
            auto v = e.value<double>();
            if (!v || !std::isfinite(*v)) fail(e, name(key) + " must hold numbers only");
            out.push_back(*v);
        }
        return out;
    }
    const toml::node *raw(const std::string &key) { return node(key); }

    // After reading: any key not asked for is a mistake in the file.
    void finish() const {
        for (auto &[k, v] : t_)
            if (!known_.count(std::string(k.str()))) fail(v, "unknown key '" + where_ + std::string(k.str()) + "'");
    }

private:
    static const toml::table &empty() {
        static const toml::table t;
        return t;
    }
    std::string name(const std::string &key) const { return "'" + where_ + key + "'"; }
    template <class T>
    static std::string text(T v) {
        std::ostringstream s;
        s << v;
        return s.str();
    }

    const toml::table &t_;
    const std::string &file_;
    std::string where_;
    std::set<std::string> known_;
};

// Names that become file names (gauge pictures, plug-in libraries, night
// models) stay plain: no path separators, nothing that climbs out of a folder.
bool plain_name(const std::string &s) {
    if (s.empty() || s.size() > 64 || s[0] == '.') return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
    });
}

std::string plain(Table &t, const std::string &key, std::optional<std::string> fallback = std::nullopt) {
    std::string s = t.string(key, fallback);
    if (!plain_name(s))
        t.fail(t.raw(key) ? line_of(*t.raw(key)) : t.line(),
               "'" + key + "' must be a plain name of letters, digits, '_', '-' and '.', not \"" + s + "\"");
    return s;
}

BusTarget bus_target(Table &t) { return BusTarget{t.code("target"), t.has("data") ? t.code("data") : 0u}; }

BusSetting bus_setting(Table &t) {
    BusSetting s{bus_target(t), {}};
    bool has_int = t.has("int"), has_real = t.has("real");
    if (has_int == has_real) t.fail(t.line(), "a value needs exactly one of 'int' or 'real'");
    s.value = has_int ? BusValue::integer(int32_t(t.integer("int", INT32_MIN, INT32_MAX)))
                      : BusValue::real(t.number("real"));
    return s;
}

const RadioKind &radio_kind(Table &t) {
    std::string r = t.string("radio");
    const RadioKind *kind = radio_kind_named(r);
    if (kind == nullptr) t.fail(*t.raw("radio"), "'radio' must be one of com, nav, adf, xpdr, not \"" + r + "\"");
    return *kind;
}

// The slot a radio table names and the value it tunes, checked as the live
// page checks its tuning.
std::tuple<int, int, int> radio_slot(Table &t, double &value) {
    const RadioKind &kind = radio_kind(t);
    int unit = int(t.integer("unit", 1, 2, 1));
    std::string which = t.string("which", "active");
    if (which != "active" && which != "standby") t.fail(*t.raw("which"), "'which' must be active or standby");
    value = t.number("value");
    if (auto problem = radio_value_problem(kind, value)) t.fail(*t.raw("value"), *problem);
    return {kind.kind, unit, which == "active" ? 0 : 1};
}

void read_panel(Table &root, Scenario &s) {
    std::set<std::string> names;
    for (Table &p : root.tables("panel")) {
        PanelItem item;
        item.line = p.line();
        item.plugin = plain(p, "plugin");
        item.name = plain(p, "name", item.plugin);
        if (!names.insert(item.name).second) p.fail(p.line(), "a second panel item named \"" + item.name + "\"");
        item.x = int(p.integer("x", 0, 10000, 0));
        item.y = int(p.integer("y", 0, 10000, 0));
        item.width = int(p.integer("width", 0, 4096, 0));
        item.height = int(p.integer("height", 0, 4096, 0));
        item.definition = p.string("definition", "");
        try {
            parse_definition(item.definition, "definition");
        } catch (const DefinitionError &e) {
            // "definition:N: what" from the parser: N counts within the text.
            std::string what = e.what();
            p.fail(*p.raw("definition"), "the definition of \"" + item.name + "\", line " + what.substr(11));
        }
        p.finish();
        s.panel.push_back(std::move(item));
    }
    // Gauges may overlap on purpose (a bezel over a display); the later one
    // is drawn on top.
    for (size_t i = 0; i < s.panel.size(); ++i)
        for (size_t j = 0; j < i; ++j) {
            const PanelItem &a = s.panel[i], &b = s.panel[j];
            if (a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0) continue;
            if (a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height)
                s.warnings.push_back(s.file + ":" + std::to_string(a.line) + ": warning: \"" + a.name +
                                     "\" overlaps \"" + b.name + "\" on the panel; it is drawn on top");
        }
}

// The kinds a route point's identifier may be limited to.
std::optional<plans::PointKind> point_kind(const std::string &word) {
    if (word == "airport") return plans::PointKind::kAirport;
    if (word == "vor") return plans::PointKind::kVor;
    if (word == "ndb") return plans::PointKind::kNdb;
    if (word == "fix") return plans::PointKind::kFix;
    return std::nullopt;
}

void read_route(Table &root, Scenario &s) {
    if (root.has("route_file")) {
        const toml::node &n = *root.raw("route_file");
        s.route_file_line = line_of(n);
        std::string file = root.string("route_file");
        if (file.empty()) root.fail(n, "'route_file' names no file");
        s.route_file = (std::filesystem::path(s.file).parent_path() / file).lexically_normal();
        if (root.has("route"))
            root.fail(n, "the route comes from 'route_file' or from [[route]] tables, not both");
        return;
    }
    for (Table &r : root.tables("route")) {
        RoutePoint p;
        p.line = r.line();
        // The ways the point is given, named at the second.
        std::vector<const toml::node *> ways;
        for (const toml::node *n : {r.raw("key"), r.raw("ident"), r.raw("lat") ? r.raw("lat") : r.raw("lon")})
            if (n) ways.push_back(n);
        if (ways.size() > 1)
            r.fail(*ways[1], "a route point has one of 'key' (a database key), 'ident' (an identifier of the world) or "
                             "'lat' and 'lon' (a user waypoint), not two");
        if (r.has("key")) {
            p.key = r.string("key");
            p.name = r.string("name", p.key);
        } else if (r.has("ident")) {
            p.ident = r.string("ident");
            if (p.ident.empty()) r.fail(*r.raw("ident"), "'ident' is empty");
            if (r.has("kind")) {
                std::string k = r.string("kind");
                auto kind = point_kind(k);
                if (!kind) r.fail(*r.raw("kind"), "'kind' must be one of airport, vor, ndb, fix, not \"" + k + "\"");
                p.kind = *kind;
            }
        } else {
            p.name = r.string("name");
            p.latitude = r.ranged("lat", -kMaxRouteLatitude, kMaxRouteLatitude);
            p.longitude = r.ranged("lon", -180.0, 360.0);
        }
        p.altitude_ft = r.optional_number("altitude_ft");
        r.finish();
        s.route.push_back(std::move(p));
    }
    if (s.route.size() < 2) root.fail(root.line(), "the route needs at least two points ([[route]] or 'route_file')");
}

void read_traffic(Table &root, Scenario &s) {
    for (Table &t : root.tables("traffic")) {
        TrafficItem a;
        a.line = t.line();
        a.name = t.string("name");
        a.latitude = t.ranged("lat", -kMaxRouteLatitude, kMaxRouteLatitude);
        a.longitude = t.ranged("lon", -180.0, 360.0);
        a.altitude_ft = t.ranged("altitude_ft", 0, 60000);
        a.heading_deg = t.ranged("heading_deg", 0, 360);
        a.speed_kt = t.ranged("speed_kt", 0, 1000);
        a.climb_fpm = t.ranged("climb_fpm", -10000, 10000, 0.0);
        a.turn_dps = t.ranged("turn_dps", -30, 30, 0.0);
        t.finish();
        s.traffic.push_back(std::move(a));
    }
}

Event read_event(Table &e, const Scenario &s) {
    Event ev;
    ev.line = e.line();
    ev.at = e.ranged("at", 0, 1e7);
    if (auto problem = event_time_problem(ev.at, s.duration, s.step)) e.fail(*e.raw("at"), *problem);
    static const char *const kActions[] = {"click", "key", "set", "radio", "power", "light", "autopilot"};
    int actions = 0;
    for (const char *a : kActions) actions += e.has(a) ? 1 : 0;
    // A misspelt action is named as such, before the count of actions.
    e.finish();
    if (actions != 1)
        e.fail(e.line(), "an event needs exactly one of click, key, set, radio, power, light, autopilot");
    if (e.has("click")) {
        Table c = e.sub("click");
        ev.kind = Event::kClick;
        ev.gauge = c.string("gauge");
        auto it = std::find_if(s.panel.begin(), s.panel.end(), [&](const PanelItem &p) { return p.name == ev.gauge; });
        if (it == s.panel.end()) c.fail(*c.raw("gauge"), "no panel item is named \"" + ev.gauge + "\"");
        int64_t x = c.integer("x", INT32_MIN, INT32_MAX), y = c.integer("y", INT32_MIN, INT32_MAX);
        if (auto problem = click_problem(it->name, x, y, it->width, it->height)) c.fail(*c.raw("x"), *problem);
        ev.x = int32_t(x);
        ev.y = int32_t(y);
        ev.buttons = uint32_t(c.integer("buttons", kMinButtons, kMaxButtons, 1));
        c.finish();
    } else if (e.has("key")) {
        Table k = e.sub("key");
        ev.kind = Event::kKey;
        ev.key = int32_t(k.integer("code", kMinKeyCode, kMaxKeyCode));
        ev.modifiers = int32_t(k.integer("modifiers", 0, kMaxModifiers, 0));
        k.finish();
    } else if (e.has("set")) {
        Table v = e.sub("set");
        ev.kind = Event::kSet;
        ev.setting = bus_setting(v);
        v.finish();
    } else if (e.has("radio")) {
        Table r = e.sub("radio");
        ev.kind = Event::kRadio;
        std::tie(ev.radio_kind, ev.radio_unit, ev.radio_which) = radio_slot(r, ev.value);
        r.finish();
    } else if (e.has("power")) {
        ev.kind = Event::kPower;
        ev.on = e.boolean("power");
        if (s.power.empty()) e.fail(e.line(), "a power event needs 'systems.power' to name what it switches");
    } else if (e.has("light")) {
        Table l = e.sub("light");
        ev.kind = Event::kLight;
        ev.light = int(l.integer("switch", 1, kNightLights));
        ev.on = l.boolean("on");
        l.finish();
    } else {
        ev.kind = Event::kAutopilot;
        ev.on = e.boolean("autopilot");
        if (s.autopilot == 0) e.fail(e.line(), "an autopilot event needs 'systems.autopilot'");
    }
    e.finish();
    return ev;
}

Scenario read(const toml::table &doc, const std::string &file) {
    Scenario s;
    s.file = file;
    Table root(doc, s.file, "");
    s.name = root.string("name", "flight");
    s.duration = root.ranged("duration", 0, 1e6);
    s.step = root.ranged("step", 1e-3, 1.0, 1.0 / 30.0);
    if (const toml::node *n = root.raw("date")) {
        // A TOML date (date = 2026-06-01) or the same as a string.
        std::optional<magnetic::Date> d;
        if (auto v = n->value_exact<toml::date>())
            d = magnetic::parse_date(magnetic::date_text({int(v->year), int(v->month), int(v->day)}));
        else if (auto t = n->value_exact<std::string>())
            d = magnetic::parse_date(*t);
        if (!d) root.fail(*n, "'date' must be a day of the calendar, YYYY-MM-DD");
        s.date = d;
        s.date_line = line_of(*n);
    }

    std::filesystem::path base = std::filesystem::path(file).parent_path();
    Table folders = root.sub("folders");
    auto folder = [&](const char *key) {
        return folders.has(key) ? base / folders.string(key) : std::filesystem::path();
    };
    s.world = folder("world");
    s.assets = folder("assets");
    s.plugins = folder("plugins");
    folders.finish();

    Table a = root.sub("aircraft");
    s.aircraft = a.string("name", s.aircraft);
    if (s.aircraft.size() > 63) a.fail(*a.raw("name"), "'aircraft.name' is longer than 63 characters");
    s.model = plain(a, "model", s.model);
    if (const toml::node *n = a.raw("night_models")) {
        for (double m : a.numbers("night_models")) {
            if (m != std::floor(m) || m < 0 || m > 3) a.fail(*n, "'aircraft.night_models' holds the numbers 0 to 3");
            s.night_models.push_back(int(m));
        }
    }
    s.speed_kt = a.ranged("speed_kt", 1, 1000, s.speed_kt);
    s.turn_rate_dps = a.ranged("turn_rate_dps", 0.1, 30, s.turn_rate_dps);
    s.climb_fpm = a.ranged("climb_fpm", 0, 10000, s.climb_fpm);
    s.start_altitude_ft = a.ranged("altitude_ft", 0, 60000, 0.0);
    if (a.has("heading_deg")) s.start_heading_deg = a.ranged("heading_deg", 0, 360);
    a.finish();

    Table w = root.sub("world");
    s.radius_nm = w.ranged("radius_nm", 1, 1000, s.radius_nm);
    w.finish();

    Table sys = root.sub("systems");
    for (Table &p : sys.tables("power")) {
        s.power.push_back(bus_target(p));
        p.finish();
    }
    if (sys.has("autopilot")) s.autopilot = sys.code("autopilot");
    for (Table &v : sys.tables("values")) {
        s.values.push_back(bus_setting(v));
        v.finish();
    }
    for (Table &r : sys.tables("radios")) {
        double value = 0;
        auto slot = radio_slot(r, value);
        s.radios.emplace_back(slot, value);
        r.finish();
    }
    sys.finish();

    s.partanim = root.string("partanim", "");
    read_route(root, s);
    read_traffic(root, s);
    read_panel(root, s);

    Table out = root.sub("output");
    s.snapshots = out.numbers("snapshots");
    for (double t : s.snapshots)
        if (t < 0 || t > s.duration) out.fail(*out.raw("snapshots"), "'output.snapshots' must lie within the flight");
    std::sort(s.snapshots.begin(), s.snapshots.end());
    s.animation_fps = out.ranged("animation_fps", 0, 60, s.animation_fps);
    s.animation_scale = int(out.integer("animation_scale", 1, 8, 1));
    out.finish();

    for (Table &e : root.tables("event")) s.events.push_back(read_event(e, s));
    std::stable_sort(s.events.begin(), s.events.end(), [](const Event &x, const Event &y) { return x.at < y.at; });
    root.finish();
    return s;
}

// The lines of a text before line `line` (counted from 1).
std::string lines_before(const std::string &text, int line) {
    size_t cut = 0;
    for (int n = 1; n < line; ++n) {
        const size_t end = text.find('\n', cut);
        if (end == std::string::npos) return text;
        cut = end + 1;
    }
    return text.substr(0, cut);
}

// The path of the last table header of a TOML text, "" when it has none.
// Lines inside multi-line strings are text, not headers.
std::string last_table(const std::string &text) {
    std::istringstream in(text);
    std::string l, path;
    bool in_string = false;
    while (std::getline(in, l)) {
        size_t quotes = 0;
        for (const char *q : {"\"\"\"", "'''"})
            for (size_t at = l.find(q); at != std::string::npos; at = l.find(q, at + 3)) ++quotes;
        const bool text_line = in_string || quotes > 0;
        if (quotes % 2) in_string = !in_string;
        const size_t open = l.find_first_not_of(" \t");
        if (text_line || open == std::string::npos || l[open] != '[') continue;
        const size_t begin = l.find_first_not_of("[ ", open), end = l.find(']', begin);
        if (begin == std::string::npos || end == std::string::npos) continue;
        path = l.substr(begin, end - begin);
        path.erase(path.find_last_not_of(' ') + 1);
    }
    return path;
}

// The line where a dotted path is given in a TOML text; 0 when it cannot be
// told. Of an array of tables, its last table.
int line_of_path(const std::string &text, const std::string &path) {
    try {
        const toml::table doc = toml::parse(text);
        const toml::node *node = &doc;
        std::istringstream segments(path);
        for (std::string key; node && std::getline(segments, key, '.');) {
            if (const toml::array *a = node->as_array(); a && !a->empty()) node = &a->back();
            const toml::table *t = node->as_table();
            node = t ? t->get(key) : nullptr;
        }
        return node ? line_of(*node) : 0;
    } catch (const toml::parse_error &) {
        return 0;
    }
}

// The line (from 1) of the first byte that does not belong to well-formed
// UTF-8; 0 when there is none.
int bad_utf8_line(const std::string &text) {
    int line = 1;
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t k) { return i + k < text.size() ? uint8_t(text[i + k]) : uint8_t(0); };
        const uint8_t c = byte(0);
        const size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (n == 0) return line;
        // The second byte's range rules out overlong forms, surrogates and
        // code points past U+10FFFF.
        const uint8_t lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80, hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        if (n > 1 && (byte(1) < lo || byte(1) > hi)) return line;
        for (size_t k = 2; k < n; ++k)
            if ((byte(k) & 0xC0) != 0x80) return line;
        if (c == '\n') ++line;
        i += n;
    }
    return 0;
}

// The TOML library's words for what a person gets wrong, in ours, and the
// line they are about.
std::string parse_fault(const toml::parse_error &e, const std::string &text, int &line) {
    const std::string d(e.description());
    line = int(e.source().begin.line);
    if (d.find("utf-8") != std::string::npos) {
        if (const int bad = bad_utf8_line(text)) line = bad;
        return "the file is not UTF-8 text";
    }
    const size_t redefine = d.find("cannot redefine existing ");
    const size_t open = d.find('\'', redefine), close = d.find('\'', open + 1);
    if (redefine == std::string::npos || close == std::string::npos) return d;
    const std::string before = lines_before(text, line);
    std::string path = d.substr(open + 1, close - open - 1);
    // A key given twice is named with its table; a table header given twice
    // names itself.
    const bool header = d.find(" as table") != std::string::npos ||
                        d.find(" as array-of-tables") != std::string::npos ||
                        d.find("redefine existing table") != std::string::npos;
    if (const std::string table = header ? "" : last_table(before); !table.empty()) path = table + "." + path;
    const int first = line_of_path(before, path);
    return "'" + path + "' is given twice" + (first > 0 ? " (first on line " + std::to_string(first) + ")" : "");
}

}  // namespace

Scenario parse_scenario(const std::string &text, const std::string &file) {
    try {
        toml::table doc = toml::parse(text, file);
        return read(doc, file);
    } catch (const toml::parse_error &e) {
        int line = 0;
        const std::string what = parse_fault(e, text, line);
        throw ScenarioError(file + ":" + std::to_string(line) + ": " + what);
    }
}

std::vector<RoutePoint> route_of_plan(const plans::Plan &plan, const std::string &file) {
    std::vector<RoutePoint> route;
    for (const plans::PlannedPoint &pp : plan.points) {
        RoutePoint p;
        p.file = file;
        p.line = pp.line;
        p.latitude = pp.latitude;
        p.longitude = pp.longitude;
        p.altitude_ft = pp.altitude_ft;
        if (pp.kind == plans::PointKind::kUser) {
            // A user point without a name is named by its place in the route.
            p.name = pp.ident.empty() ? "WP" + std::to_string(route.size() + 1) : pp.ident;
        } else {
            p.ident = pp.ident;
            p.kind = pp.kind;
        }
        // As for [[route]]: at a pole the heading-up map has no north.
        if (p.latitude && std::fabs(*p.latitude) > kMaxRouteLatitude) {
            char what[96];
            std::snprintf(what, sizeof what, ": latitude %.4f lies beyond %g: at a pole the map has no north", *p.latitude,
                          kMaxRouteLatitude);
            throw ScenarioError(file + ":" + std::to_string(p.line) + what);
        }
        route.push_back(std::move(p));
    }
    if (route.size() < 2)
        throw ScenarioError(file + ":" + std::to_string(route.empty() ? 1 : route.front().line) +
                            ": the route needs at least two points; the plan holds " + std::to_string(route.size()));
    return route;
}

namespace {

// The route of a plan file, its warnings added to the scenario's.
void read_plan_file(Scenario &s, const std::filesystem::path &plan, const std::string &where) {
    std::error_code ec;
    if (!std::filesystem::exists(plan, ec)) throw ScenarioError(where + "the plan file " + plan.string() + " does not exist");
    try {
        plans::Plan p = plans::load_plan(plan);
        s.route = route_of_plan(p, plan.string());
        s.warnings.insert(s.warnings.end(), p.warnings.begin(), p.warnings.end());
    } catch (const plans::PlanError &e) {
        throw ScenarioError(e.what());
    }
}

Scenario parse_scenario_file(const std::filesystem::path &file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        throw ScenarioError(file.string() + ": is a folder, not a scenario file");
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    const std::string reason = errno ? std::string(": ") + std::strerror(errno) : "";
    if (!in) throw ScenarioError(file.string() + ": cannot be read" + reason);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw ScenarioError(file.string() + ": cannot be read");
    return parse_scenario(text.str(), file.string());
}

}  // namespace

Scenario load_scenario(const std::filesystem::path &file, const std::filesystem::path &plan) {
    Scenario s = parse_scenario_file(file);
    if (!plan.empty()) {
        const size_t had = s.route.size();
        const bool from_file = !s.route_file.empty();
        read_plan_file(s, plan, "");
        s.warnings.push_back(s.file + ": warning: its route " +
                             (from_file ? "file " + s.route_file.string() : "of " + std::to_string(had) + " points") +
                             " is replaced by the " + std::to_string(s.route.size()) + " points of " + plan.string());
        s.route_file.clear();
        s.route_file_line = 0;
    } else if (!s.route_file.empty()) {
        read_plan_file(s, s.route_file, s.file + ":" + std::to_string(s.route_file_line) + ": ");
    }
    return s;
}

Scenario load_scenario(const std::filesystem::path &file) { return load_scenario(file, {}); }

void fail_at(const Scenario &scenario, int line, const std::string &what) {
    throw ScenarioError(scenario.file + ":" + std::to_string(line) + ": " + what);
}

}  // namespace panelhost
