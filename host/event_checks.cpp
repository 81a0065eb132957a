#include "host/event_checks.h"

#include <cmath>
#include <cstdio>
#include <iterator>

#include "frame/abi.h"

namespace panelhost {
namespace {


constexpr RadioKind kRadioKinds[] = {
    {"com", kRadioCom, 118.0, 136.975, 3},
    {"nav", kRadioNav, 108.0, 117.95, 2},
    {"adf", kRadioAdf, 100, 1799, 0},  // kHz; the others MHz
    {"xpdr", kRadioTransponder, 0, 7777, 0},
};

std::string text(const char *format, auto... values) {
    char out[200];
    std::snprintf(out, sizeof out, format, values...);
    return out;
}

}  // namespace

const RadioKind *radio_kind_named(const std::string &name) {
    for (const RadioKind &r : kRadioKinds)
        if (name == r.name) return &r;
    return nullptr;
}

const RadioKind *radio_kind_numbered(int kind) {
    for (const RadioKind &r : kRadioKinds)
        if (kind == r.kind) return &r;
    return nullptr;
}

std::optional<std::string> radio_value_problem(const RadioKind &radio, double value) {
    if (radio.kind == kRadioTransponder) {
        bool octal = std::isfinite(value) && value >= 0 && value <= 7777 && value == std::floor(value);
        for (long v = octal ? long(value) : 0; v > 0; v /= 10) octal = octal && v % 10 <= 7;
        if (!octal) return text("a transponder code is four digits 0 to 7, not %g", value);
        return std::nullopt;
    }
    if (!std::isfinite(value) || value < radio.lo || value > radio.hi) {
        const char *unit = radio.kind == kRadioAdf ? "kHz" : "MHz";
        std::string name = radio.name;
        for (char &c : name) c = char(c - 'a' + 'A');
        return text("%s frequencies lie between %g and %g %s, not %g", name.c_str(), radio.lo, radio.hi, unit, value);
    }
    return std::nullopt;
}

double radio_value_shown(int kind, double value) {
    const RadioKind *r = radio_kind_numbered(kind);
    if (r == nullptr || !std::isfinite(value)) return value;
    double scale = std::pow(10.0, r->decimals);
    return std::round(value * scale) / scale;
}

std::string radio_value_text(int kind, double value) {
    const RadioKind *r = radio_kind_numbered(kind);
    if (r == nullptr) return text("%g", value);
    if (r->decimals == 0) return text("%04.0f", value);
    return text("%.*f", r->decimals, value);
}

std::optional<std::string> click_problem(const std::string &gauge, int64_t x, int64_t y, int width, int height) {
    if (width <= 0 || height <= 0) return "\"" + gauge + "\" has no width and height to click in";
    if (x < 0 || y < 0 || x >= width || y >= height)
        return text("(%lld, %lld) lies outside the gauge \"%s\" of %d x %d pixels", static_cast<long long>(x),
                    static_cast<long long>(y), gauge.c_str(), width, height);
    return std::nullopt;
}

std::optional<std::string> event_time_problem(double at, double duration, double step) {
    long frames = std::lround(duration / step);
    // The last frame starts at (frames - 1) steps and takes what is due
    // within half a step of it.
    double last = double(frames - 1) * step;
    if (frames > 0 && at <= last + step * 0.5) return std::nullopt;
    return text("the event at %g s comes after the flight's last frame (%.3f s of %g s)", at, frames > 0 ? last : 0.0,
                duration);
}

}  // namespace panelhost
