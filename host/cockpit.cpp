#include "host/cockpit.h"

#include <cmath>
#include <cstdio>

#include "archive/podlib.h"
#include "assetcodecs/file_library.h"
#include "host/geo.h"
#include "host/log.h"
#include "host/route.h"

namespace panelhost {
namespace fs = std::filesystem;
namespace {

constexpr double kNearbyRefreshSeconds = 1.0;

std::string describe(const Event &e) {
    char text[160];
    switch (e.kind) {
    case Event::kClick:
        std::snprintf(text, sizeof text, "click %s at %d,%d buttons %u", e.gauge.c_str(), e.x, e.y, e.buttons);
        break;
    case Event::kKey: std::snprintf(text, sizeof text, "key %d modifiers %d", e.key, e.modifiers); break;
    case Event::kSet:
        std::snprintf(text, sizeof text, "set %s %s = %g", code_text(e.setting.at.target).c_str(),
                      code_text(e.setting.at.data).c_str(), e.setting.value.as_double());
        break;
    case Event::kRadio:
        std::snprintf(text, sizeof text, "radio kind %d unit %d %s = %g", e.radio_kind, e.radio_unit,
                      e.radio_which ? "standby" : "active", e.value);
        break;
    case Event::kPower: std::snprintf(text, sizeof text, "power %s", e.on ? "on" : "off"); break;
    case Event::kLight: std::snprintf(text, sizeof text, "light %d %s", e.light, e.on ? "on" : "off"); break;
    case Event::kAutopilot: std::snprintf(text, sizeof text, "autopilot %s", e.on ? "on" : "off"); break;
    }
    return text;
}

// The world database from the folder that holds system/. Naming system/
// itself is the likely slip, and is said so.
WorldDb load_world(const fs::path &world) {
    std::error_code ec;
    if (!fs::is_directory(world / "system", ec)) {
        std::string what = world.string() + ": holds no system folder: --world and a scenario's [folders] world name "
                                            "the folder that holds system/";
        const auto first_archive = podlib::table_info(podlib::kAllTables[0]).archive_file;
        const fs::path named = world.has_filename() ? world : world.parent_path();  // "a/system/" as "a/system"
        if (fs::exists(named / std::string(first_archive), ec))
            what += ", here " + (named.has_parent_path() ? named.parent_path().string() : std::string("."));
        throw HostError(what);
    }
    return WorldDb::load(world / "system");
}

}  // namespace

CockpitPaths scenario_paths(const Scenario &scenario, CockpitPaths defaults) {
    if (!scenario.world.empty()) defaults.world = scenario.world;
    if (!scenario.assets.empty()) defaults.assets = scenario.assets;
    if (!scenario.plugins.empty()) defaults.plugins = scenario.plugins;
    return defaults;
}

// Over an imported world whose manifest names a magnetic model, the variation
// comes from that model at the scenario's date, or at the date the world's
// records got theirs; otherwise it is weighted from the nearest records.
void Cockpit::choose_variation(const fs::path &world) {
    const auto &manifest = db_.manifest();
    world_text_ = world.string() + ": " + (manifest ? podlib::describe(*manifest) : "no manifest (a world made from CSV)");
    variation_text_ = "weighted from the four nearest records";
    if (!manifest || manifest->magnetic_model.empty()) return;
    const std::string file = (world / "system" / podlib::kManifestFile).string();
    const magnetic::Model *model = magnetic::model_named(manifest->magnetic_model);
    if (model == nullptr)
        throw HostError(file + ": the magnetic model '" + manifest->magnetic_model + "' is not one this host knows (" +
                        std::string(magnetic::wmm2025().name()) + ")");
    std::optional<magnetic::Date> date = scenario_.date;
    if (!date) date = magnetic::parse_date(manifest->magnetic_date);
    if (!date) throw HostError(file + ": the variation's date '" + manifest->magnetic_date + "' is not a date (YYYY-MM-DD)");
    if (!model->covers(*date)) {
        const std::string what = "the date " + magnetic::date_text(*date) + " lies outside the years of the world's magnetic model " +
                                 std::string(model->name()) + " (" + magnetic::date_text(model->first_day()) +
                                 " to the day before " + magnetic::date_text(model->end_day()) + ")";
        if (scenario_.date) fail_at(scenario_, scenario_.date_line, what);
        throw HostError(file + ": " + what);
    }
    db_.use_model(*model, *date);
    variation_text_ = std::string(model->name()) + " at " + magnetic::date_text(*date);
}

Cockpit::Cockpit(const Scenario &scenario, const CockpitPaths &paths, const fs::path &run_folder)
    : scenario_(scenario), db_(load_world(paths.world)) {
    choose_variation(paths.world);
    plan_ = resolve_route(scenario_, db_, &route_warnings_);
    fs::path run = fs::absolute(run_folder);
    prepare_run_folder(run, paths.world, scenario_, plan_);
    if (!fs::is_directory(paths.assets)) throw HostError(paths.assets.string() + ": no such assets folder");

    folder_.enter(run);
    asset_errors_ = std::make_shared<std::vector<std::string>>();
    auto errors = asset_errors_;
    HostOptions options;
    options.root = run.string();
    options.assets = std::make_shared<assetcodecs::FileAssetLibrary>(fs::absolute(folder_.previous() / paths.assets),
                                                                     [errors](const std::string &m) { errors->push_back(m); });
    host_ = std::make_unique<Host>(std::move(options));
    host_->log().enabled = false;
    host_->frame_seconds = float(scenario_.step);
    flight_ = std::make_unique<Flight>(flight_along(plan_, scenario_));

    World &world = host_->world();
    world.user().name = scenario_.aircraft;
    for (auto &[slot, value] : scenario_.radios) world.user().radios[slot] = float(value);
    for (const TrafficItem &t : scenario_.traffic) {
        SimObject o;
        o.name = t.name;
        o.position = from_degrees(t.latitude, t.longitude, t.altitude_ft);
        o.heading_deg = o.map_heading_deg = float(t.heading_deg);
        o.ground_speed_fps = float(t.speed_kt * kKnotToFps);
        traffic_.emplace_back(world.add_traffic(std::move(o)), TrafficMotion{t.heading_deg, t.speed_kt, t.climb_fpm, t.turn_dps});
    }
    for (const BusSetting &v : scenario_.values) host_->bus().set(v.at.target, v.at.data, v.value);
    host_->bus().on_set = [this](uint32_t target, uint32_t data, const BusValue &v) {
        log_.message(time(), frame_, code_word(target), code_word(data), v.as_double());
    };
    // What a gauge asks before it first presents may explain why it stays dark.
    host_->bus().on_get = [this](const HostMessage &m) {
        if (drawing_ < panel_.gauges.size() && panel_.gauges[drawing_].frames_shown == 0) silent_.note(drawing_, m);
    };
    update_world();
    record_track();
    observer_.start(*host_);
    load_panel(panel_, *host_, scenario_, paths.plugins, folder_.previous(), *asset_errors_);
    silent_ = SilentGauges(panel_.gauges.size());
}

Cockpit::~Cockpit() {
    for (Instance *i : panel_.instances) i->destroy();
    host_.reset();
}

long Cockpit::total_frames() const { return long(std::llround(scenario_.duration / scenario_.step)); }

const GaugeView *Cockpit::gauge(const std::string &name) const {
    for (const GaugeView &g : panel_.gauges)
        if (g.name == name) return &g;
    return nullptr;
}

void Cockpit::apply(const Event &e) {
    log_.event(time(), frame_, e.line, describe(e));
    MessageBus &bus = host_->bus();
    switch (e.kind) {
    case Event::kClick:
        for (GaugeView &g : panel_.gauges)
            if (g.name == e.gauge) g.instance->mouse(g.surface, e.x, e.y, e.buttons);
        break;
    case Event::kKey:
        for (Plugin *p : panel_.plugins) p->key(e.key, e.modifiers);
        break;
    case Event::kSet: bus.set(e.setting.at.target, e.setting.at.data, e.setting.value); break;
    case Event::kRadio:
        host_->world().user().radios[{e.radio_kind, e.radio_unit, e.radio_which}] = float(e.value);
        break;
    case Event::kPower:
        for (const BusTarget &t : scenario_.power) bus.set(t.target, t.data, BusValue::real(e.on ? 1.0 : 0.0));
        break;
    case Event::kLight:
        bus.set(night_light_target(e.light), 0, BusValue::real(e.on ? 1.0 : 0.0));
        break;
    case Event::kAutopilot: bus.set(scenario_.autopilot, fourcc("apOn"), BusValue::integer(e.on ? 1 : 0)); break;
    }
}

void Cockpit::update_world() {
    World &world = host_->world();
    SimObject &user = world.user();
    const AircraftState &s = flight_->state();
    user.position = s.position;
    double variation = db_.variation_at(s.position);
    world.variation_deg = float(variation);
    user.map_heading_deg = float(s.true_heading_deg);
    double magnetic = std::fmod(s.true_heading_deg - variation + 360.0, 360.0);
    user.heading_deg = float(magnetic);
    user.ground_speed_fps = float(s.ground_speed_fps);
    nearby_timer_ -= scenario_.step;
    if (nearby_timer_ <= 0) {
        world.refresh_nearby = [this, at = s.position](World &w, unsigned lists) {
            db_.fill_nearby(w, at, scenario_.radius_nm, lists);
        };
        world.stale_nearby = World::kAllLists;
        nearby_timer_ = kNearbyRefreshSeconds;
    }
}

void Cockpit::frame() {
    double dt = scenario_.step;
    while (play_events_ && next_event_ < scenario_.events.size() &&
           scenario_.events[next_event_].at <= time() + dt * 0.5)
        apply(scenario_.events[next_event_++]);

    std::optional<double> commanded;
    if (scenario_.autopilot != 0) {
        MessageBus &bus = host_->bus();
        auto on = bus.get(scenario_.autopilot, fourcc("apOn"));
        auto mode = bus.get(scenario_.autopilot, fourcc("VS_S"));
        auto command = bus.get(scenario_.autopilot, fourcc("VS_C"));
        // The rocker keeps the command negated on the bus: climbing is negative.
        if (on && mode && command && on->as_double() != 0 && mode->as_double() != 0) commanded = -command->as_double();
    }
    if (auto passed = flight_->step(dt, commanded)) log_.leg(time() + dt, frame_, *passed + 1, plan_[*passed + 1].name);
    World &world = host_->world();
    for (auto &[index, motion] : traffic_) {
        SimObject *o = world.object(index);
        move_traffic(o->position, motion, dt);
        o->heading_deg = o->map_heading_deg = float(motion.heading_deg);
    }
    update_world();

    host_->frame_seconds = float(dt);
    for (Plugin *p : panel_.plugins) p->time_slice(float(dt));
    for (Instance *i : panel_.subsystems) i->update();
    draw_gauges();
    host_->advance(dt);
    ++frame_;
    observe();
    record_track();
}

void Cockpit::record_track() {
    // The frame nearest each whole second; its time is the frame's own.
    long second = long(std::floor(time() + scenario_.step * 0.5));
    if (second <= track_second_) return;
    track_second_ = second;
    const SimObject &user = host_->world().user();
    const AircraftState &s = flight_->state();
    TrackPoint p;
    p.time = time();
    p.latitude_deg = latitude_degrees(s.position);
    p.longitude_deg = longitude_degrees(s.position);
    p.altitude_ft = s.position.altitude;
    p.true_heading_deg = s.true_heading_deg;
    p.magnetic_heading_deg = user.heading_deg;
    p.variation_deg = host_->world().variation_deg.value_or(0.0f);
    p.ground_speed_kt = s.ground_speed_fps / kKnotToFps;
    log_.track(p);
}

void Cockpit::draw_gauges() {
    for (size_t n = 0; n < panel_.gauges.size(); ++n) {
        GaugeView &g = panel_.gauges[n];
        drawing_ = n;
        const Presentation shown = g.instance->draw(g.surface);
        g.shown = shown.presented;
        g.keyed = shown.keyed;
        g.key = shown.key;
        if (g.shown) ++g.frames_shown;
    }
    drawing_ = SIZE_MAX;
}

std::vector<std::string> Cockpit::silent_gauges() const {
    return silent_.lines(panel_.gauges, frame_, scenario_.power);
}

void Cockpit::redraw() {
    host_->frame_seconds = 0;
    draw_gauges();
    host_->frame_seconds = float(scenario_.step);
    observe();
}

void Cockpit::observe() { observer_.observe(*host_, *asset_errors_, log_, time(), frame_ - 1); }

Image Cockpit::panel_picture() const { return panelhost::panel_picture(panel_.gauges, panel_.caption_font.get()); }

}  // namespace panelhost
