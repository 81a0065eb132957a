// What an event may carry, one set of rules for the scenario file and the
// live page: each check answers why a value is refused, or nothing. The
// scenario reader puts the file and line in front; the live page answers 422.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace panelhost {

// A radio kind as the frequency service numbers it, with the values a head
// of that kind shows.
struct RadioKind {
    const char *name;  // com, nav, adf, xpdr
    int kind;
    double lo, hi;
    int decimals;  // as the head shows a value
};

const RadioKind *radio_kind_named(const std::string &name);
const RadioKind *radio_kind_numbered(int kind);

// COM 118-136.975 MHz, NAV 108-117.95 MHz, ADF 100-1799 kHz, a transponder
// code of four octal digits.
std::optional<std::string> radio_value_problem(const RadioKind &radio, double value);

// A value as its head shows it: the stored float rounded to the head's
// decimals, so that 108.1f reads 108.1 and not 108.0999984741211.
double radio_value_shown(int kind, double value);
// The same as the head's digits: "108.10", "121.500", "0352", "4721".
std::string radio_value_text(int kind, double value);

// Clicks land inside the gauge, in its own pixels.
std::optional<std::string> click_problem(const std::string &gauge, int64_t x, int64_t y, int width, int height);

constexpr int64_t kMinButtons = 1, kMaxButtons = 7;  // left 1, right 2, middle 4
constexpr int64_t kMinKeyCode = 1, kMaxKeyCode = 255;
constexpr int64_t kMaxModifiers = 7;  // shift 1, ctrl 2, alt 4

// An event runs at the first frame at or after its time: one that no frame
// of the flight reaches would be dropped without a word.
std::optional<std::string> event_time_problem(double at, double duration, double step);

}  // namespace panelhost
