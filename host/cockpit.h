// The panel of a scenario, flying: it builds the run folder, resolves the
// route, loads the panel, then advances the flight, the world and every
// plug-in one fixed step at a time, applying events and logging what
// changed. Each of those jobs has its own unit; this one calls them in order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assetcodecs/assets.h"
#include "host/flight.h"
#include "host/host.h"
#include "host/output/flight_log.h"
#include "host/output/image.h"
#include "host/panel.h"
#include "host/panel_picture.h"
#include "host/plan_file.h"
#include "host/run_folder.h"
#include "host/scenario.h"
#include "host/silent_gauges.h"
#include "host/state_observer.h"
#include "host/world_db.h"

namespace panelhost {

struct CockpitPaths {
    std::filesystem::path plugins;  // folder of the plug-in libraries
    std::filesystem::path world;    // folder holding system/*.pod
    std::filesystem::path assets;   // folder of fonts and bitmaps
};

// The folders `scenario` flies with: those its [folders] table names, the
// defaults for the rest.
CockpitPaths scenario_paths(const Scenario &scenario, CockpitPaths defaults);

class Cockpit {
public:
    // Builds the run folder, loads the plug-ins (from inside the run folder,
    // which becomes the working folder until the cockpit goes) and prepares
    // every instance. Throws ScenarioError or HostError naming the file.
    Cockpit(const Scenario &scenario, const CockpitPaths &paths, const std::filesystem::path &run_folder);
    ~Cockpit();
    Cockpit(const Cockpit &) = delete;
    Cockpit &operator=(const Cockpit &) = delete;

    // One frame: due events, the flight, the world, then every plug-in.
    void frame();
    // Every gauge drawn again with no time passing (a paused panel that was
    // clicked shows the answer).
    void redraw();
    // An event applied now, as the scenario's own are at their time.
    void apply(const Event &e);
    // Whether the scenario's timed events are applied (on by default).
    void play_events(bool on) { play_events_ = on; }
    long frames() const { return frame_; }
    double time() const { return double(frame_) * scenario_.step; }
    // Frames that make up the scenario's duration.
    long total_frames() const;

    const std::vector<GaugeView> &gauges() const { return panel_.gauges; }
    const GaugeView *gauge(const std::string &name) const;
    // Every gauge at its place on the panel background, the radio heads on
    // their faces; the gauges' own pixels are copied unchanged.
    Image panel_picture() const;
    // One line for each gauge that has presented no frame yet (once a frame
    // has been flown), with what it was told when it asked the host's
    // values: a power value of 0 or a value nobody answers is the likely cause.
    std::vector<std::string> silent_gauges() const;
    // A gauge as shown: its surface when presented, black otherwise.
    static Image shown(const GaugeView &g) { return gauge_picture(g); }

    Host &host() { return *host_; }
    const Flight &flight() const { return *flight_; }
    const WorldDb &world_db() const { return db_; }
    // The world flown over, for people: its folder and what its manifest
    // says; and where the variation comes from.
    const std::string &world_text() const { return world_text_; }
    const std::string &variation_text() const { return variation_text_; }
    const std::vector<PlanWaypoint> &plan() const { return plan_; }
    // "file:line: warning: ..." for the route's points the world lacks.
    const std::vector<std::string> &route_warnings() const { return route_warnings_; }
    FlightLog &log() { return log_; }

private:
    void choose_variation(const std::filesystem::path &world);
    void update_world();
    void draw_gauges();
    void observe();  // host state changes into the flight log
    void record_track();  // the aircraft into the log's track, once a simulated second

    Scenario scenario_;
    WorldDb db_;
    std::string world_text_, variation_text_;
    std::vector<PlanWaypoint> plan_;
    std::vector<std::string> route_warnings_;
    std::unique_ptr<Flight> flight_;
    std::vector<std::pair<size_t, TrafficMotion>> traffic_;  // world index, motion
    std::shared_ptr<std::vector<std::string>> asset_errors_;
    WorkingFolder folder_;  // left after the host has gone
    std::unique_ptr<Host> host_;
    Panel panel_;
    SilentGauges silent_;
    size_t drawing_ = SIZE_MAX;  // the gauge being drawn
    StateObserver observer_;
    FlightLog log_;
    size_t next_event_ = 0;
    bool play_events_ = true;
    long frame_ = 0;
    double nearby_timer_ = 0;
    long track_second_ = -1;  // the last whole second in the track
};

}  // namespace panelhost
