// What the live page may ask of the host, read from the JSON bodies of its
// requests. Every request is checked here, before it reaches the
// simulation: a bad one is refused with an HTTP status and changes nothing.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "host/scenario.h"

namespace panelhost::live {

// A refused request: the HTTP status and a message for the body.
class RequestError : public std::runtime_error {
public:
    RequestError(int status, const std::string &what) : std::runtime_error(what), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

// A gauge of the panel as the page sees it: its place on the panel picture.
struct GaugeArea {
    std::string name;
    int x = 0, y = 0, width = 0, height = 0;
};

// What requests are checked against.
struct PanelFacts {
    std::vector<GaugeArea> gauges;
    bool has_power = false;      // the scenario names the power buses
    bool has_autopilot = false;  // and the autopilot's target
};

// One command for the simulation thread.
struct Command {
    enum Kind { kEvent, kPause, kResume, kSpeed, kRestart } kind = kEvent;
    Event event;       // kEvent: applied as a scenario event is
    double speed = 1;  // kSpeed
};

constexpr double kMinSpeed = 1, kMaxSpeed = 16;
// Requests carry a few fields; anything longer is not one of ours.
constexpr size_t kMaxBodyBytes = 4096;

// POST /api/click {"gauge": name, "x": int, "y": int, "buttons": 1|2|4 (or a mix)}
Command parse_click(const std::string &body, const PanelFacts &panel);
// POST /api/key {"code": 1..255, "modifiers": 0..7}
Command parse_key(const std::string &body);
// POST /api/control {"action": ..., ...}: pause, resume, speed, restart,
// power, light, autopilot, radio (docs/live.md).
Command parse_control(const std::string &body, const PanelFacts &panel);

}  // namespace panelhost::live
