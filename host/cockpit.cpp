#include "host/cockpit.h"

#include <unistd.h>

#include <cmath>
#include <fstream>

#include "archive/layout.h"
#include "assetcodecs/file_library.h"
#include "frame/message.h"
#include "host/geo.h"

namespace panelhost {
namespace fs = std::filesystem;
namespace {

constexpr double kNearbyRefreshSeconds = 1.0;

void write_text(const fs::path &file, const std::string &text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    if (!out) throw HostError(file.string() + ": cannot be written");
}

PlanWaypoint::Kind kind_of(podlib::Table t) {
    switch (t) {
    case podlib::Table::airports: return PlanWaypoint::kAirport;
    case podlib::Table::navaids: return PlanWaypoint::kNavaid;
    case podlib::Table::waypoints: return PlanWaypoint::kWaypoint;
    }
    return PlanWaypoint::kUser;
}

// A code as its bare characters, for the flight log.
std::string code_word(uint32_t code) {
    std::string s = code_text(code);
    if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'') s = s.substr(1, s.size() - 2);
    return s;
}

bool same_text_ignoring_case(const std::string &a, const std::string &b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

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

// The radio heads of the suite by class: the face the host draws beneath
// each, and its caption naming the radio and the unit the head reads (COM and
// NAV heads read unit 2; the ADF and transponder have one unit). The caption
// sits above the window of a COM or NAV head, left of it on the shorter ADF
// and transponder heads.
struct RadioHead {
    uint32_t cls;
    const char *bezel;
    const char *caption;
    int caption_x, caption_y;
};
constexpr RadioHead kRadioHeads[] = {
    {fourcc("Mg_c"), "head_com_nav.png", "COM 2", 9, 7},
    {fourcc("Mg_n"), "head_com_nav.png", "NAV 2", 9, 7},
    {fourcc("Mg_a"), "head_adf_xpdr.png", "ADF", 9, 12},
    {fourcc("Mg_x"), "head_adf_xpdr.png", "XPDR", 9, 12},
};
constexpr const char *kCaptionFont = "FTTINY7.RAW";
constexpr uint32_t kCaptionColour = 0xEBEBEB;

const RadioHead *radio_head(uint32_t cls) {
    for (const RadioHead &h : kRadioHeads)
        if (h.cls == cls) return &h;
    return nullptr;
}

}  // namespace

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    if (!previous_.empty()) fs::current_path(previous_, ignored);
}

void WorkingFolder::enter(const fs::path &folder) {
    if (previous_.empty()) previous_ = fs::current_path();
    fs::current_path(folder);
}

void Cockpit::fail_at(int line, const std::string &what) const {
    throw ScenarioError(scenario_.file + ":" + std::to_string(line) + ": " + what);
}

Cockpit::Cockpit(const Scenario &scenario, const CockpitPaths &paths, const fs::path &run_folder)
    : scenario_(scenario), db_(WorldDb::load(paths.world / "system")) {
    resolve_route();
    fs::path run = fs::absolute(run_folder);
    prepare_run_folder(run, paths);
    if (!fs::is_directory(paths.assets)) throw HostError(paths.assets.string() + ": no such assets folder");

    folder_.enter(run);
    asset_errors_ = std::make_shared<std::vector<std::string>>();
    auto errors = asset_errors_;
    HostOptions options;
    options.root = run.string();
    assets_ = std::make_shared<assetcodecs::FileAssetLibrary>(fs::absolute(folder_.previous() / paths.assets),
                                                 [errors](const std::string &m) { errors->push_back(m); });
    options.assets = assets_;
    host_ = std::make_unique<Host>(std::move(options));
    host_->log().enabled = false;
    host_->frame_seconds = float(scenario_.step);

    // The user aircraft starts at the first point of the route.
    AircraftState start;
    start.position = plan_.front().position;
    start.position.altitude = scenario_.start_altitude_ft;
    if (scenario_.start_heading_deg) {
        start.true_heading_deg = *scenario_.start_heading_deg;
    } else {
        double v[3];
        position_vector(plan_[0].position, plan_[1].position, v);
        start.true_heading_deg = v[1] * 180.0 / kPi;
    }
    std::vector<RouteWaypoint> legs;
    for (size_t i = 1; i < plan_.size(); ++i) legs.push_back({plan_[i].name, plan_[i].position});
    FlightSettings settings;
    settings.speed_kt = scenario_.speed_kt;
    settings.turn_rate_dps = scenario_.turn_rate_dps;
    settings.climb_fpm = scenario_.climb_fpm;
    flight_ = std::make_unique<Flight>(std::move(legs), start, settings);

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
    host_->bus().on_get = [this](const HostMessage &m) { note_asked(m); };
    update_world();
    windows_seen_ = host_->windows;
    load_panel(paths);
}

Cockpit::~Cockpit() {
    for (Instance *i : instances_) i->destroy();
    host_.reset();
}

void Cockpit::resolve_route() {
    double altitude = scenario_.start_altitude_ft;
    for (const RoutePoint &p : scenario_.route) {
        PlanWaypoint w;
        if (!p.key.empty()) {
            auto found = db_.find(p.key);
            if (!found) fail_at(p.line, "no airport, navaid or waypoint of the world has the key \"" + p.key + "\"");
            w.kind = kind_of(found->table);
            w.key = p.key;
            w.name = found->record->identifier.empty() ? found->record->name : found->record->identifier;
            w.position = position_of(*found->record);
        } else {
            w.name = p.name;
            w.position = from_degrees(p.latitude, p.longitude, 0);
        }
        if (p.altitude_ft) altitude = *p.altitude_ft;
        w.position.altitude = altitude;
        plan_.push_back(std::move(w));
    }
}

void Cockpit::prepare_run_folder(const fs::path &run, const CockpitPaths &paths) {
    fs::create_directories(run / "system");
    for (const char *archive : {pod::kAirportFiles.archive, pod::kNavaidFiles.archive, pod::kWaypointFiles.archive})
        fs::copy_file(paths.world / "system" / archive, run / "system" / archive, fs::copy_options::overwrite_existing);
    std::ostringstream plan;
    write_flight_plan(plan, plan_);
    write_text(run / "saved simulations" / "zark_fpl.sit", plan.str());
    if (!scenario_.partanim.empty()) write_text(run / "modules" / "pc" / "partanim.txt", scenario_.partanim);
    for (int n : scenario_.night_models) {
        std::string file = scenario_.model + "_Nlamp_" + std::to_string(n) + ".ACM";
        write_text(run / "MODELS" / file, "night model " + std::to_string(n) + " of " + scenario_.aircraft + "\n");
    }
}

void Cockpit::load_panel(const CockpitPaths &paths) {
    std::map<std::string, Plugin *> loaded;
    auto check_assets = [&](const PanelItem &item) {
        if (!asset_errors_->empty())
            fail_at(item.line, "\"" + item.name + "\": " + asset_errors_->front());
        if (!host_->problems().empty()) fail_at(item.line, "\"" + item.name + "\": " + host_->problems().front());
    };
    for (const PanelItem &item : scenario_.panel) {
        if (loaded.count(item.plugin)) continue;
        fs::path file = paths.plugins / (item.plugin + ".so");
        if (!fs::exists(file)) fail_at(item.line, file.string() + ": no such plug-in");
        Plugin &p = host_->load(fs::absolute(folder_.previous() / file).string());
        loaded[item.plugin] = &p;
        plugins_.push_back(&p);
        check_assets(item);
    }
    for (Plugin *p : plugins_) p->global_start();
    for (const PanelItem &item : scenario_.panel) {
        Plugin &p = *loaded[item.plugin];
        if (!p.has_class()) continue;  // module-wide work only (part animation)
        Instance *i = host_->instantiate(p);
        if (i == nullptr) fail_at(item.line, p.path() + ": made no instance of its class");
        instances_.push_back(i);
        i->init();
        std::vector<uint32_t> refused = i->read_definition(parse_definition(item.definition, scenario_.file));
        if (!refused.empty())
            fail_at(item.line, "\"" + item.name + "\": " + item.plugin + " does not take the tag " +
                                   code_text(refused.front()));
        i->prepare();
        check_assets(item);
        if (p.kind() == fourcc("gage")) {
            if (item.width <= 0 || item.height <= 0)
                fail_at(item.line, "\"" + item.name + "\": a gauge needs its width and height");
            gauges_.push_back(GaugeView{item.name, item.x, item.y, Surface(item.width, item.height), false, false, 0, i,
                                        nullptr, {}, 0, 0, 0});
            asked_.emplace_back();
        } else if (p.kind() == fourcc("subs")) {
            subsystems_.push_back(i);
        }
    }
    // The host's own pictures, after the plug-ins' assets have been checked: a
    // missing face is reported in the flight log and its head drawn without it.
    for (GaugeView &g : gauges_) {
        const RadioHead *head = radio_head(g.instance->plugin().cls());
        if (head == nullptr) continue;
        g.bezel = assets_->bitmap(head->bezel);
        g.caption = head->caption;
        g.caption_x = head->caption_x;
        g.caption_y = head->caption_y;
        if (!caption_font_) caption_font_ = assets_->font(kCaptionFont);
    }
}

long Cockpit::total_frames() const { return long(std::llround(scenario_.duration / scenario_.step)); }

const GaugeView *Cockpit::gauge(const std::string &name) const {
    for (const GaugeView &g : gauges_)
        if (g.name == name) return &g;
    return nullptr;
}

void Cockpit::apply(const Event &e) {
    log_.event(time(), frame_, e.line, describe(e));
    MessageBus &bus = host_->bus();
    switch (e.kind) {
    case Event::kClick:
        for (GaugeView &g : gauges_)
            if (g.name == e.gauge) g.instance->mouse(g.surface, e.x, e.y, e.buttons);
        break;
    case Event::kKey:
        for (Plugin *p : plugins_) p->key(e.key, e.modifiers);
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
        db_.fill_nearby(world, s.position, scenario_.radius_nm);
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
    for (Plugin *p : plugins_) p->time_slice(float(dt));
    for (Instance *i : subsystems_) i->update();
    draw_gauges();
    host_->advance(dt);
    ++frame_;
    observe();
}

void Cockpit::draw_gauges() {
    for (size_t n = 0; n < gauges_.size(); ++n) {
        GaugeView &g = gauges_[n];
        drawing_ = n;
        g.shown = g.instance->draw(g.surface);
        g.keyed = host_->presented().keyed;
        g.key = host_->presented().key;
        if (g.shown) ++g.frames_shown;
    }
    drawing_ = SIZE_MAX;
}

void Cockpit::note_asked(const HostMessage &m) {
    if (drawing_ >= gauges_.size() || gauges_[drawing_].frames_shown > 0) return;
    Asked &a = asked_[drawing_][{m.target, m.data_tag}];
    char value[64];
    if (m.reply == 0) {
        std::snprintf(value, sizeof value, "no value");
    } else {
        double v = m.value_type == frame::kTypeInt    ? double(m.value.i)
                   : m.value_type == frame::kTypeReal ? m.value.d
                   : m.value.d != 0.0                 ? m.value.d
                                                      : double(m.value.i);
        std::snprintf(value, sizeof value, "%g", v);
        a.answered = true;
        if (v != 0.0) a.non_zero = true;
    }
    a.last = value;
}

std::vector<std::string> Cockpit::silent_gauges() const {
    std::vector<std::string> out;
    if (frame_ == 0) return out;
    for (size_t n = 0; n < gauges_.size(); ++n) {
        const GaugeView &g = gauges_[n];
        if (g.frames_shown > 0) continue;
        std::string causes, answered;
        for (const auto &[at, a] : asked_[n]) {
            bool power = false;
            for (const BusTarget &t : scenario_.power) power = power || (t.target == at.first && t.data == at.second);
            std::string what = (power ? "power " : "") + code_text(at.first) + " " + code_text(at.second);
            if (!a.answered)
                causes += (causes.empty() ? "" : "; ") + what + " was never answered (no such value on the bus)";
            else if (!a.non_zero)
                causes += (causes.empty() ? "" : "; ") + what + " was 0 at every frame";
            else
                answered += (answered.empty() ? "" : ", ") + what + " = " + a.last;
        }
        std::string line = "gauge \"" + g.name + "\" (" + fs::path(g.instance->plugin().path()).stem().string() +
                           ") presented no frame in " + std::to_string(frame_) + " frames; ";
        if (!causes.empty())
            line += "likely cause: " + causes;
        else if (!answered.empty())
            line += "every value it asked was answered and not 0 (" + answered +
                    "): the gauge itself is switched off or has nothing to show";
        else
            line += "it asked the host for no value";
        out.push_back(std::move(line));
    }
    return out;
}

void Cockpit::redraw() {
    host_->frame_seconds = 0;
    draw_gauges();
    host_->frame_seconds = float(scenario_.step);
    observe();
}

void Cockpit::observe() {
    double t = time();
    SimObject &user = host_->world().user();
    if (user.selected_model != model_seen_) {
        model_seen_ = user.selected_model;
        auto it = user.models.find(model_seen_);
        log_.model(t, frame_ - 1, code_word(model_seen_), it == user.models.end() ? "" : it->second);
    }
    for (auto &[part, value] : user.part_frames) {
        auto seen = parts_seen_.find(part);
        if (seen == parts_seen_.end() || seen->second != value) {
            log_.part_frame(t, frame_ - 1, part, value);
            parts_seen_[part] = value;
        }
    }
    for (auto &[number, r] : host_->windows) {
        auto seen = windows_seen_.find(number);
        if (seen == windows_seen_.end() || seen->second.x != r.x || seen->second.y != r.y || seen->second.w != r.w ||
            seen->second.h != r.h) {
            log_.window(t, frame_ - 1, number, r.x, r.y, r.w, r.h);
            windows_seen_[number] = r;
        }
    }
    for (auto &[id, sound] : host_->sounds()) {
        if (id <= sounds_seen_) continue;
        sounds_seen_ = id;
        log_.sound(t, frame_ - 1, sound.file, same_text_ignoring_case(sound.file, "GPSPING.WAV"));
    }
    for (const std::string &e : *asset_errors_) log_.problem(e);
    asset_errors_->clear();
    for (const std::string &p : host_->problems()) log_.problem(p);
    host_->problems().clear();
}

Image Cockpit::shown(const GaugeView &g) {
    Image img(g.surface.width(), g.surface.height());
    if (g.shown) img.blit(g.surface.view(), 0, 0);
    return img;
}

Image Cockpit::panel_picture() const {
    int w = 0, h = 0;
    for (const GaugeView &g : gauges_) {
        w = std::max(w, g.x + g.surface.width());
        h = std::max(h, g.y + g.surface.height());
    }
    Image img(w + 2 * kPanelMargin, h + 2 * kPanelMargin, kPanelColour);
    for (const GaugeView &g : gauges_) {
        if (g.bezel) {
            // Drawn inside the gauge's rectangle only, so that neighbours keep their pixels.
            const int gx = g.x + kPanelMargin, gy = g.y + kPanelMargin;
            const int x0 = std::max(0, gx), y0 = std::max(0, gy);
            const int x1 = std::min(img.width, gx + g.surface.width()), y1 = std::min(img.height, gy + g.surface.height());
            if (x0 < x1 && y0 < y1) {
                DrawSurface face{&img.at(x0, y0), x1 - x0, y1 - y0, img.width};
                g.bezel->draw(face, gx - x0, gy - y0, 0);
                if (caption_font_)
                    caption_font_->draw(face, gx - x0 + g.caption_x, gy - y0 + g.caption_y, kCaptionColour, g.caption, false);
            }
            // The face's window stands for the head switched off.
            if (g.shown) img.blit(g.surface.view(), gx, gy, g.keyed, g.key);
            continue;
        }
        if (g.shown) {
            img.blit(g.surface.view(), g.x + kPanelMargin, g.y + kPanelMargin, g.keyed, g.key);
        } else {
            Image dark(g.surface.width(), g.surface.height());
            DrawSurface view{dark.pixels.data(), dark.width, dark.height, dark.width};
            img.blit(view, g.x + kPanelMargin, g.y + kPanelMargin);
        }
    }
    return img;
}

}  // namespace panelhost
