#include "host/serve/requests.h"

#include <cmath>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/event_checks.h"
#include "host/serve/replies.h"

namespace panelhost::live {
namespace {

using nlohmann::json;

[[noreturn]] void bad(const std::string &what) { throw RequestError(400, what); }

[[noreturn]] void out_of(const char *key, double lo, double hi) {
    char text[128];
    std::snprintf(text, sizeof text, "'%s' must lie between %g and %g", key, lo, hi);
    throw RequestError(422, text);
}

[[noreturn]] void out_of(const char *key, int64_t lo, int64_t hi) {
    throw RequestError(422, std::string("'") + key + "' must lie between " + std::to_string(lo) + " and " +
                                std::to_string(hi));
}

// The fields of one request body, read by name. Unknown fields are refused
// so that a misspelt one is not silently ignored.
class Body {
public:
    explicit Body(const std::string &text) {
        if (text.size() > kMaxBodyBytes) throw RequestError(413, "the request body is over " + std::to_string(kMaxBodyBytes) + " bytes");
        // A field given twice is refused like an unknown one: which of the
        // two was meant is not for the server to guess.
        std::vector<std::set<std::string>> objects;
        std::string twice;
        auto once = [&](int, json::parse_event_t event, json &parsed) {
            if (event == json::parse_event_t::object_start) {
                objects.emplace_back();
            } else if (event == json::parse_event_t::object_end && !objects.empty()) {
                objects.pop_back();
            } else if (event == json::parse_event_t::key && !objects.empty() && twice.empty() &&
                       !objects.back().insert(parsed.get<std::string>()).second) {
                twice = parsed.get<std::string>();
            }
            return true;
        };
        j_ = json::parse(text, once, false);
        if (j_.is_discarded()) bad("the request body is not valid JSON");
        if (!twice.empty()) bad("the field '" + excerpt(twice) + "' is given twice");
        if (!j_.is_object()) bad("the request body must be a JSON object");
    }

    bool has(const char *key) {
        known_.insert(key);
        return j_.contains(key);
    }
    const json &at(const char *key) {
        if (!has(key)) bad(std::string("'") + key + "' is missing");
        return j_.at(key);
    }
    std::string string(const char *key) {
        const json &v = at(key);
        if (!v.is_string()) bad(std::string("'") + key + "' must be a string");
        return v.get<std::string>();
    }
    // A whole number; nothing when it is one too large for 64 bits.
    std::optional<int64_t> whole(const char *key) {
        const json &v = at(key);
        if (v.is_number_float()) {
            // Whole numbers past 64 bits arrive as floating point.
            double d = v.get<double>();
            if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) >= 0x1p63) return std::nullopt;
        }
        if (!v.is_number_integer()) bad(std::string("'") + key + "' must be a whole number");
        if (v.is_number_unsigned() && v.get<uint64_t>() > uint64_t(INT64_MAX)) return std::nullopt;
        return v.get<int64_t>();
    }
    int64_t integer(const char *key, int64_t lo, int64_t hi, std::optional<int64_t> fallback = std::nullopt) {
        if (fallback && !has(key)) return *fallback;
        std::optional<int64_t> n = whole(key);
        if (!n || *n < lo || *n > hi) out_of(key, lo, hi);
        return *n;
    }
    double number(const char *key) {
        const json &v = at(key);
        if (!v.is_number()) bad(std::string("'") + key + "' must be a number");
        return v.get<double>();
    }
    double number(const char *key, double lo, double hi) {
        double d = number(key);
        if (!std::isfinite(d) || d < lo || d > hi) out_of(key, lo, hi);
        return d;
    }
    bool boolean(const char *key) {
        const json &v = at(key);
        if (!v.is_boolean()) bad(std::string("'") + key + "' must be true or false");
        return v.get<bool>();
    }
    // Refuses fields that no reader asked for.
    void finish() const {
        for (auto it = j_.begin(); it != j_.end(); ++it)
            if (!known_.count(it.key())) bad("unknown field '" + excerpt(it.key()) + "'");
    }

private:
    json j_;
    std::set<std::string> known_;
};

Command event(Event e) {
    Command c;
    c.kind = Command::kEvent;
    c.event = std::move(e);
    return c;
}

// The same checks as a scenario's events, refused with 422.
void check(const std::optional<std::string> &problem) {
    if (problem) throw RequestError(422, *problem);
}

Event radio(Body &b) {
    std::string name = b.string("radio");
    const RadioKind *r = radio_kind_named(name);
    if (r == nullptr) bad("'radio' must be one of com, nav, adf, xpdr, not \"" + excerpt(name) + "\"");
    Event e;
    e.kind = Event::kRadio;
    e.radio_kind = r->kind;
    e.radio_unit = int(b.integer("unit", 1, 2, 1));
    std::string which = b.has("which") ? b.string("which") : "active";
    if (which != "active" && which != "standby") bad("'which' must be active or standby");
    e.radio_which = which == "active" ? 0 : 1;
    e.value = b.number("value");
    check(radio_value_problem(*r, e.value));
    return e;
}

}  // namespace

Command parse_click(const std::string &text, const PanelFacts &panel) {
    Body b(text);
    Event e;
    e.kind = Event::kClick;
    e.gauge = b.string("gauge");
    const GaugeArea *area = nullptr;
    for (const GaugeArea &g : panel.gauges)
        if (g.name == e.gauge) area = &g;
    if (area == nullptr) throw RequestError(404, "no gauge of the panel is named \"" + excerpt(e.gauge) + "\"");
    // A place outside the gauge is told as the scenario's checks tell it;
    // one past 64 bits by the gauge's bounds.
    std::optional<int64_t> x = b.whole("x"), y = b.whole("y");
    if (!x) out_of("x", int64_t(0), int64_t(area->width - 1));
    if (!y) out_of("y", int64_t(0), int64_t(area->height - 1));
    check(click_problem(e.gauge, *x, *y, area->width, area->height));
    e.x = int32_t(*x);
    e.y = int32_t(*y);
    e.buttons = uint32_t(b.integer("buttons", kMinButtons, kMaxButtons, 1));
    b.finish();
    return event(std::move(e));
}

Command parse_key(const std::string &text) {
    Body b(text);
    Event e;
    e.kind = Event::kKey;
    e.key = int32_t(b.integer("code", kMinKeyCode, kMaxKeyCode));
    e.modifiers = int32_t(b.integer("modifiers", 0, kMaxModifiers, 0));
    b.finish();
    return event(std::move(e));
}

Command parse_control(const std::string &text, const PanelFacts &panel) {
    Body b(text);
    std::string action = b.string("action");
    Command c;
    if (action == "pause") {
        c.kind = Command::kPause;
    } else if (action == "resume") {
        c.kind = Command::kResume;
    } else if (action == "restart") {
        c.kind = Command::kRestart;
    } else if (action == "speed") {
        c.kind = Command::kSpeed;
        c.speed = b.number("speed", kMinSpeed, kMaxSpeed);
    } else if (action == "power") {
        if (!panel.has_power) throw RequestError(409, "the scenario names no power bus to switch");
        c.event.kind = Event::kPower;
        c.event.on = b.boolean("on");
    } else if (action == "light") {
        c.event.kind = Event::kLight;
        c.event.light = int(b.integer("switch", 1, 3));
        c.event.on = b.boolean("on");
    } else if (action == "autopilot") {
        if (!panel.has_autopilot) throw RequestError(409, "the scenario names no autopilot");
        c.event.kind = Event::kAutopilot;
        c.event.on = b.boolean("on");
    } else if (action == "radio") {
        c.event = radio(b);
    } else {
        bad("unknown action \"" + excerpt(action) +
            "\" (pause, resume, speed, restart, power, light, autopilot or radio)");
    }
    b.finish();
    return c;
}

}  // namespace panelhost::live
