// A scenario: the world, the panel, the route, the start, the traffic and
// the events of one flight (docs/scenario.md). Read from TOML; every error
// names the file and the line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/message.h"
#include "host/message_bus.h"
#include "host/plans/plan_reader.h"
#include "magnetic/model.h"

namespace panelhost {

// The night lights' switches, 1 .. kNightLights, and the bus target each sets
// ('ntx1' ..).
constexpr int kNightLights = int(std::size(frame::kNightLightTargets));
uint32_t night_light_target(int light);

class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One plug-in of the panel. Gauges are drawn at (x, y) of the panel picture,
// from its top left corner.
struct PanelItem {
    std::string name;    // unique; events name gauges by it
    std::string plugin;  // library name without the suffix
    int x = 0, y = 0, width = 0, height = 0;
    std::string definition;  // definition text fed to on_read_tag
    int line = 0;
};

// The highest latitude, north or south, of a user waypoint or traffic: at a
// pole every bearing is south and the heading-up map has no north.
constexpr double kMaxRouteLatitude = 89.0;

// A point of the route: a record of the world by its database key, a record
// by its identifier (as a flight management system finds it), or a user
// waypoint at a position.
struct RoutePoint {
    std::string key;    // a database key
    std::string ident;  // an identifier of the world, of `kind` when not kAny
    plans::PointKind kind = plans::PointKind::kAny;
    std::string name;   // of a user waypoint
    // Degrees: a user waypoint's position, or where a plan file puts an
    // identifier (the record must lie near it).
    std::optional<double> latitude, longitude;
    std::optional<double> altitude_ft;  // to fly at the waypoint
    int line = 0;
    std::string file;  // the plan file the point comes from; empty: the scenario
};

struct TrafficItem {
    std::string name;
    double latitude = 0, longitude = 0, altitude_ft = 0;
    double heading_deg = 0, speed_kt = 0, climb_fpm = 0, turn_dps = 0;
    int line = 0;
};

struct BusTarget {
    uint32_t target = 0, data = 0;
};

struct BusSetting {
    BusTarget at;
    BusValue value;
};

struct Event {
    enum Kind { kClick, kKey, kSet, kRadio, kPower, kLight, kAutopilot } kind = kSet;
    double at = 0;  // seconds from the start
    int line = 0;
    std::string gauge;  // click
    int32_t x = 0, y = 0;
    uint32_t buttons = 1;
    int32_t key = 0, modifiers = 0;  // key
    BusSetting setting;              // set
    int radio_kind = 0, radio_unit = 1, radio_which = 0;  // radio
    double value = 0;                                     // radio frequency or code
    bool on = false;                                      // power, light, autopilot
    int light = 0;                                        // 1..3
};

struct Scenario {
    std::string file;
    std::string name;
    // Folders named by the scenario, resolved against its own folder; empty
    // when it leaves them to the command line.
    std::filesystem::path world, assets, plugins;

    double step = 1.0 / 30.0;  // seconds per frame
    double duration = 0;       // seconds flown
    // The day flown: the magnetic model of an imported world is evaluated at
    // it (by default at the date the world's variation was computed for).
    std::optional<magnetic::Date> date;
    int date_line = 0;

    std::string aircraft = "User aircraft";  // the user aircraft's name
    std::string model = "aircraft";          // base name of its night models
    std::vector<int> night_models;           // which of the models 0..3 exist
    std::string partanim;                    // text of the part animation file

    double speed_kt = 150, turn_rate_dps = 3, climb_fpm = 1000;
    double start_altitude_ft = 0;
    std::optional<double> start_heading_deg;  // default: towards the first waypoint
    double radius_nm = 60;                    // of the nearby lists

    std::vector<RoutePoint> route;  // the first point is the start
    // The plan file the route comes from (resolved against the scenario's
    // folder) and the line naming it; load_scenario reads it into `route`.
    std::filesystem::path route_file;
    int route_file_line = 0;
    std::vector<TrafficItem> traffic;
    std::vector<PanelItem> panel;
    std::vector<BusSetting> values;  // held from the start
    std::vector<BusTarget> power;    // set to 1 or 0 by power events
    uint32_t autopilot = 0;          // target of 'apOn', 'VS_S', 'VS_C'
    std::vector<std::pair<std::tuple<int, int, int>, double>> radios;  // tuned at the start

    std::vector<double> snapshots;  // seconds at which each gauge is saved as PNG
    double animation_fps = 5;       // frames per simulated second of the animated picture; 0: none
    int animation_scale = 1;        // 1: full size, 2: half, ...

    std::vector<Event> events;  // in time order
    // "file:line: warning: ..." for what is allowed but likely a mistake
    // (gauges that overlap on the panel).
    std::vector<std::string> warnings;
};

// The scenario's text alone: a `route_file` is named, not read.
Scenario parse_scenario(const std::string &text, const std::string &file);
// The scenario file with the plan file its route_file names.
Scenario load_scenario(const std::filesystem::path &file);
// The same, its route replaced by the plan in `plan` when that is not empty
// (with a warning that says so).
Scenario load_scenario(const std::filesystem::path &file, const std::filesystem::path &plan);
// The route points of a plan file; throws ScenarioError naming the file and
// line of a malformed plan, or of one with fewer than two points.
std::vector<RoutePoint> route_of_plan(const plans::Plan &plan, const std::string &file);

// A fault found when the scenario is flown, at a line of its file.
[[noreturn]] void fail_at(const Scenario &scenario, int line, const std::string &what);

}  // namespace panelhost
