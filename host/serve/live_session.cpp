#include "host/serve/live_session.h"

#include <cmath>
#include <unistd.h>

#include <future>

#include "host/event_checks.h"
#include "host/flight_map.h"
#include "host/geo.h"
#include "host/output/png.h"
#include "host/serve/key_bindings.h"

namespace panelhost::live {
namespace fs = std::filesystem;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

// Behind real time by more than this, the simulation drops the backlog
// rather than racing to catch up.
constexpr double kMaxCatchUpSeconds = 0.25;
// The measured speed is averaged over this much wall time.
constexpr double kRateWindowSeconds = 1.0;
// The largest map of the route beside the panel, in pixels.
constexpr int kLiveMapWidth = 440, kLiveMapHeight = 400;

std::string radio_name(int kind) {
    const RadioKind *r = radio_kind_numbered(kind);
    return r ? r->name : std::to_string(kind);
}

// Tuned radios as their heads show them, from (kind, unit, which) and value
// pairs: the scenario's start and the aircraft's radios now.
template <class Radios>
json radios_json(const Radios &radios) {
    json out = json::array();
    for (const auto &[slot, value] : radios) {
        int kind = std::get<0>(slot);
        out.push_back({{"radio", radio_name(kind)},
                       {"unit", std::get<1>(slot)},
                       {"which", std::get<2>(slot) ? "standby" : "active"},
                       {"value", radio_value_shown(kind, value)},
                       {"text", radio_value_text(kind, value)}});
    }
    return out;
}

json optional_flag(const MessageBus &bus, uint32_t target, uint32_t data) {
    auto v = bus.get(target, data);
    return v ? json(v->as_double() != 0) : json(nullptr);
}

}  // namespace

struct LiveSession::Flying {
    Scenario scenario;
    fs::path run;
    std::unique_ptr<Cockpit> cockpit;
};

const std::string &LiveFrame::png() const {
    std::call_once(encoded_, [this] {
        png_ = encode_png(panel_);
        encoded_png_ = true;
    });
    return png_;
}

LiveSession::LiveSession(SessionOptions options) : options_(std::move(options)) {
    speed_ = std::clamp(options_.speed, kMinSpeed, kMaxSpeed);
    run_root_ = fs::temp_directory_path() / ("panelhost-live-" + std::to_string(getpid()) + "-" +
                                             std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::remove_all(run_root_);
    fs::create_directories(run_root_);
    std::promise<void> started;
    std::future<void> ready = started.get_future();
    thread_ = std::thread([this, &started] {
        try {
            flying_ = build(0);
            publish();
        } catch (...) {
            flying_.reset();
            started.set_exception(std::current_exception());
            return;
        }
        started.set_value();
        run();
    });
    try {
        ready.get();
    } catch (...) {
        thread_.join();
        std::error_code ignored;
        fs::remove_all(run_root_, ignored);
        throw;
    }
}

LiveSession::~LiveSession() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    published_.notify_all();
    if (thread_.joinable()) thread_.join();
    std::error_code ignored;
    fs::remove_all(run_root_, ignored);
}

std::unique_ptr<LiveSession::Flying> LiveSession::build(long generation) {
    auto f = std::make_unique<Flying>();
    f->scenario = load_scenario(options_.scenario, options_.plan);
    f->run = run_root_ / ("run-" + std::to_string(generation));
    fs::remove_all(f->run);
    f->cockpit = std::make_unique<Cockpit>(f->scenario, scenario_paths(f->scenario, options_.paths), f->run);
    f->cockpit->play_events(options_.events);

    const Scenario &s = f->scenario;
    PanelFacts facts;
    facts.has_power = !s.power.empty();
    facts.has_autopilot = s.autopilot != 0;
    json gauges = json::array();
    for (const GaugeView &g : f->cockpit->gauges()) {
        const PanelRect at = panel_rect(g);
        GaugeArea a{g.name, at.x, at.y, at.width, at.height};
        gauges.push_back({{"name", a.name}, {"plugin", g.plugin}, {"x", a.x}, {"y", a.y}, {"width", a.width},
                          {"height", a.height}});
        facts.gauges.push_back(std::move(a));
    }
    json plugins = json::array();
    for (const PanelItem &p : s.panel) plugins.push_back({{"name", p.name}, {"plugin", p.plugin}});
    json keys = json::array();
    for (const BrowserKey &k : browser_keys()) keys.push_back({{"code", k.code}, {"host", k.host}, {"name", k.name}});
    json bindings = json::array();
    for (const KeyBinding &b : key_bindings(s))
        bindings.push_back({{"key", key_name(b.code, b.modifiers, b.any_modifiers)},
                            {"code", b.code},
                            {"modifiers", b.any_modifiers ? json(nullptr) : json(b.modifiers)},
                            {"plugin", b.plugin},
                            {"what", b.what}});
    Image picture = f->cockpit->panel_picture();
    FlightMap map = flight_map(s.name, f->cockpit->plan(), f->cockpit->world_db(), {}, {}, kLiveMapWidth, kLiveMapHeight);
    std::string map_png = encode_png(draw_track_map(map.input, map.projection));
    const MapProjection &mp = map.projection;
    json description = {
        {"name", s.name},
        {"scenario", s.file},
        {"generation", generation},
        {"warnings", [&] {
             json w = s.warnings;
             for (const std::string &r : f->cockpit->route_warnings()) w.push_back(r);
             return w;
         }()},
        {"step", s.step},
        {"events", options_.events},
        {"panel", {{"width", picture.width}, {"height", picture.height}}},
        {"gauges", gauges},
        {"plugins", plugins},
        {"controls", {{"power", facts.has_power}, {"autopilot", facts.has_autopilot}, {"lights", kNightLights}, {"radios", radios_json(s.radios)}}},
        {"speed", {{"min", kMinSpeed}, {"max", kMaxSpeed}}},
        {"modifiers", {{"shift", kModShift}, {"ctrl", kModControl}, {"alt", kModAlt}}},
        {"keys", keys},
        {"bindings", bindings},
        {"map", {{"width", mp.width()},
                 {"height", mp.height()},
                 {"centre_latitude", mp.centre_latitude()},
                 {"centre_longitude", mp.centre_longitude()},
                 {"pixels_per_degree", mp.pixels_per_degree()},
                 {"longitude_factor", mp.longitude_factor()}}},
    };
    std::lock_guard lock(mutex_);
    facts_ = std::move(facts);
    description_ = std::move(description);
    map_png_ = std::move(map_png);
    no_panel_.clear();
    return f;
}

PanelFacts LiveSession::facts() const {
    std::lock_guard lock(mutex_);
    return facts_;
}

json LiveSession::description() const {
    std::lock_guard lock(mutex_);
    return description_;
}

void LiveSession::post(Command c) {
    {
        std::lock_guard lock(mutex_);
        if (c.kind == Command::kEvent && !no_panel_.empty())
            throw RequestError(409, "there is no panel to act on (" + no_panel_ + ")");
        queue_.push_back(std::move(c));
    }
    published_.notify_all();
}

std::shared_ptr<const LiveFrame> LiveSession::frame_after(long after, std::chrono::milliseconds wait) const {
    std::unique_lock lock(mutex_);
    published_.wait_for(lock, wait, [&] { return stopping_ || (frame_ && frame_->number() > after); });
    return frame_;
}

std::shared_ptr<const LiveFrame> LiveSession::latest() const {
    std::lock_guard lock(mutex_);
    return frame_;
}

std::string LiveSession::map_png() const {
    std::lock_guard lock(mutex_);
    return map_png_;
}

void LiveSession::apply(Command &c) {
    switch (c.kind) {
    case Command::kPause: paused_ = true; return;
    case Command::kResume: paused_ = false; return;
    case Command::kSpeed: speed_ = c.speed; return;
    case Command::kRestart: {
        // The old panel goes first: one host at a time, and the plug-ins
        // start again from a fresh load.
        fs::path old = flying_ ? flying_->run : fs::path();
        flying_.reset();
        std::error_code ignored;
        if (!old.empty()) fs::remove_all(old, ignored);
        try {
            flying_ = build(++generation_);
            error_.clear();
            last_event_ = "restart";
        } catch (const std::exception &e) {
            error_ = std::string("restart failed: ") + e.what();
            lose_panel();
        }
        return;
    }
    case Command::kEvent: break;
    }
    if (!flying_) return;
    const Event &e = c.event;
    if (e.kind == Event::kClick) {
        // Checked against the panel when it was queued; a restart may have
        // changed the panel since.
        const GaugeView *g = flying_->cockpit->gauge(e.gauge);
        if (g == nullptr || e.x < 0 || e.y < 0 || e.x >= g->surface.width() || e.y >= g->surface.height()) return;
    }
    flying_->cockpit->apply(e);
    const json &events = flying_->cockpit->log().section("events");
    last_event_ = events.empty() ? "" : events.back().value("what", "");
}

void LiveSession::lose_panel() {
    std::lock_guard lock(mutex_);
    no_panel_ = error_;
}

json LiveSession::status() const {
    json s = {{"state", !flying_ ? "no panel" : paused_ ? "paused" : "running"},
              {"paused", paused_},
              {"speed", speed_},
              {"achieved_speed", achieved_speed_},
              {"last_event", last_event_},
              {"error", error_},
              {"generation", generation_}};
    if (!flying_) return s;
    Cockpit &c = *flying_->cockpit;
    Host &host = c.host();
    const SimObject &user = host.world().user();
    const AircraftState &a = c.flight().state();
    s["time"] = c.time();
    s["frame"] = c.frames();
    s["position"] = {{"lat", latitude_degrees(user.position)},
                     {"lon", longitude_degrees(user.position)},
                     {"altitude_ft", user.position.altitude}};
    s["heading_deg"] = user.heading_deg;
    s["true_heading_deg"] = a.true_heading_deg;
    s["ground_speed_kt"] = a.ground_speed_fps / kKnotToFps;
    s["vertical_speed_fpm"] = a.vertical_speed_fpm;
    const auto &plan = c.plan();
    size_t next = c.flight().next();
    if (next + 1 < plan.size())
        s["leg"] = {{"index", next + 1}, {"from", plan[next].name}, {"to", plan[next + 1].name}};
    else
        s["leg"] = nullptr;  // past the last waypoint
    s["last_message"] = host.bus().last_sent();
    json windows = json::array();
    for (const auto &[number, r] : host.resources().windows)
        windows.push_back({{"number", number}, {"x", r.x}, {"y", r.y}, {"width", r.w}, {"height", r.h}});
    s["windows"] = windows;
    const Scenario &sc = flying_->scenario;
    MessageBus &bus = host.bus();
    s["power"] = sc.power.empty() ? json(nullptr) : optional_flag(bus, sc.power.front().target, sc.power.front().data);
    json lights = json::array();
    for (int i = 1; i <= kNightLights; ++i) lights.push_back(optional_flag(bus, night_light_target(i), 0));
    s["lights"] = lights;
    s["autopilot"] = sc.autopilot == 0 ? json(nullptr) : optional_flag(bus, sc.autopilot, fourcc("apOn"));
    auto model = user.models.find(user.selected_model);
    s["model"] = model == user.models.end() ? "" : model->second;
    s["parts"] = user.part_frames;
    s["radios"] = radios_json(user.radios);
    // The units the heads on the panel read, by radio: what the page tunes
    // unless told otherwise.
    json read = json::object();
    for (const auto &[kind, unit] : user.radios_read) read[radio_name(kind)].push_back(unit);
    s["radio_units"] = read;
    s["scenario_ended"] = c.frames() >= c.total_frames();
    s["silent_gauges"] = c.silent_gauges();
    return s;
}

void LiveSession::publish() {
    // Without a panel (a restart failed) the frame has no picture.
    Image picture;
    if (flying_) picture = flying_->cockpit->panel_picture();
    json s = status();
    long number;
    {
        std::lock_guard lock(mutex_);
        number = ++published_count_;
        frame_ = std::make_shared<LiveFrame>(number, std::move(picture), std::move(s));
    }
    published_.notify_all();
    std::lock_guard lock(listener_mutex_);
    if (listener_) listener_(number);
}

void LiveSession::on_publish(std::function<void(long)> listener) {
    std::lock_guard lock(listener_mutex_);
    listener_ = std::move(listener);
}

void LiveSession::run() {
    auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.frame_interval));
    auto last = Clock::now(), next_tick = last + interval;
    double owed = 0, window_sim = 0, window_wall = 0;
    for (;;) {
        std::deque<Command> commands;
        {
            std::unique_lock lock(mutex_);
            published_.wait_until(lock, next_tick, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_) break;
            commands.swap(queue_);
        }
        bool changed = !commands.empty();
        for (Command &c : commands) apply(c);

        auto now = Clock::now();
        double wall = std::chrono::duration<double>(now - last).count();
        last = now;
        long steps = 0;
        try {
            if (flying_ && !paused_) {
                double step = flying_->scenario.step;
                owed += wall * speed_;
                steps = long(owed / step);
                long most = std::max(1L, long(std::ceil(kMaxCatchUpSeconds * speed_ / step)));
                if (steps > most) {
                    steps = most;
                    owed = 0;
                } else {
                    owed -= double(steps) * step;
                }
                for (long i = 0; i < steps; ++i) flying_->cockpit->frame();
                window_sim += double(steps) * step;
            } else {
                owed = 0;
                if (flying_ && changed) flying_->cockpit->redraw();
            }
        } catch (const std::exception &e) {
            error_ = e.what();
            flying_.reset();
            lose_panel();
        }
        window_wall += wall;
        if (window_wall >= kRateWindowSeconds) {
            achieved_speed_ = window_sim / window_wall;
            window_sim = window_wall = 0;
            // Nobody writes the flight log of a live panel out: keep it small.
            if (flying_) flying_->cockpit->log() = FlightLog{};
        }
        if (steps > 0 || changed) publish();
        if (now >= next_tick) next_tick = std::max(next_tick + interval, now);
    }
    flying_.reset();
}

}  // namespace panelhost::live
