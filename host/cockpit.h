// The panel of a scenario, flying: the run folder the plug-ins read, the
// loaded plug-ins and their instances, the world database, the flight model
// and the traffic, advanced one fixed step at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assetcodecs/assets.h"
#include "host/flight.h"
#include "host/host.h"
#include "host/output/flight_log.h"
#include "host/output/image.h"
#include "host/plan_file.h"
#include "host/scenario.h"
#include "host/world_db.h"

namespace panelhost {

struct CockpitPaths {
    std::filesystem::path plugins;  // folder of the plug-in libraries
    std::filesystem::path world;    // folder holding system/*.pod
    std::filesystem::path assets;   // folder of fonts and bitmaps
};

// A gauge of the panel and what it showed at the last frame.
struct GaugeView {
    std::string name;
    int x = 0, y = 0;
    Surface surface;
    bool shown = false;  // presented at the last draw
    bool keyed = false;
    uint32_t key = 0;
    Instance *instance = nullptr;
    // The face the panel picture draws beneath a radio head, and its caption.
    std::shared_ptr<const assetcodecs::BitmapAsset> bezel;
    std::string caption;
    int caption_x = 0, caption_y = 0;  // top-left of its first cell, in the gauge
    long frames_shown = 0;  // draws that presented the surface
};

// The process's working folder, entered for a while and left again when the
// object goes (also when a constructor fails half-way).
class WorkingFolder {
public:
    WorkingFolder() = default;
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;
    ~WorkingFolder();
    void enter(const std::filesystem::path &folder);
    // The folder that was current before enter.
    const std::filesystem::path &previous() const { return previous_; }

private:
    std::filesystem::path previous_;
};

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

    const std::vector<GaugeView> &gauges() const { return gauges_; }
    const GaugeView *gauge(const std::string &name) const;
    // Every gauge at its place on the panel background, the radio heads on
    // their faces; the gauges' own pixels are copied unchanged.
    Image panel_picture() const;
    // One line for each gauge that has presented no frame yet (once a frame
    // has been flown), with what it was told when it asked the host's
    // values: a power value of 0 or a value nobody answers is the likely cause.
    std::vector<std::string> silent_gauges() const;
    // A gauge as shown: its surface when presented, black otherwise.
    static Image shown(const GaugeView &g);

    Host &host() { return *host_; }
    const Flight &flight() const { return *flight_; }
    const std::vector<PlanWaypoint> &plan() const { return plan_; }
    FlightLog &log() { return log_; }

private:
    void prepare_run_folder(const std::filesystem::path &run, const CockpitPaths &paths);
    void resolve_route();
    void load_panel(const CockpitPaths &paths);
    void update_world();
    void draw_gauges();
    void observe();  // host state changes into the flight log
    void note_asked(const HostMessage &m);
    [[noreturn]] void fail_at(int line, const std::string &what) const;

    Scenario scenario_;
    WorldDb db_;
    std::vector<PlanWaypoint> plan_;
    std::unique_ptr<Flight> flight_;
    std::vector<std::pair<size_t, TrafficMotion>> traffic_;  // world index, motion
    std::shared_ptr<std::vector<std::string>> asset_errors_;
    std::shared_ptr<assetcodecs::AssetLibrary> assets_;
    std::shared_ptr<const assetcodecs::FontAsset> caption_font_;
    WorkingFolder folder_;  // left after the host has gone
    std::unique_ptr<Host> host_;
    std::vector<Plugin *> plugins_;         // in panel order, each once
    std::vector<Instance *> subsystems_;    // updated every frame
    std::vector<Instance *> instances_;     // every instance, destroyed at the end
    std::vector<GaugeView> gauges_;
    // What each gauge that has not presented yet asked, by (target, data).
    struct Asked {
        bool answered = false;  // at some frame
        bool non_zero = false;  // at some frame
        std::string last;       // the value at the last ask
    };
    std::vector<std::map<std::pair<uint32_t, uint32_t>, Asked>> asked_;  // as gauges_
    size_t drawing_ = SIZE_MAX;                                        // the gauge being drawn
    FlightLog log_;
    size_t next_event_ = 0;
    bool play_events_ = true;
    long frame_ = 0;
    double nearby_timer_ = 0;
    // Observed host state.
    uint32_t model_seen_ = 0;
    std::map<std::string, int32_t> parts_seen_;
    std::map<int32_t, WindowRect> windows_seen_;
    int32_t sounds_seen_ = 0;
};

// Panel background colour, and its border around the gauges.
constexpr uint32_t kPanelColour = 0x303438;
constexpr int kPanelMargin = 8;

}  // namespace panelhost
