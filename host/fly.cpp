#include "host/fly.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "host/flight_map.h"
#include "host/geo.h"
#include "host/output/gif.h"
#include "host/output/png.h"
#include "host/output/progress.h"

namespace panelhost {
namespace fs = std::filesystem;
namespace {

constexpr int kAnimationDelayCs = 10;  // played back at 10 pictures a second

// ".NAME.partial-PID", built by appending: GCC 12 at -O3 warns falsely
// (-Wrestrict) about "literal" + std::string temporaries.
std::string partial_name(const fs::path &out) {
    std::string name = ".";
    name += out.filename().string();
    name += ".partial-";
    name += std::to_string(getpid());
    return name;
}

// A folder beside the output, removed again unless it is renamed into place.
class Staging {
public:
    explicit Staging(const fs::path &out) : path_(out.parent_path() / partial_name(out)) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Staging() {
        std::error_code ignored;
        if (!committed_) fs::remove_all(path_, ignored);
    }
    const fs::path &path() const { return path_; }
    void commit(const fs::path &out) {
        if (fs::exists(out)) {
            if (!fs::exists(out / "flight.json"))
                throw HostError(out.string() + ": exists and is not the output of a flight; not replaced");
            fs::remove_all(out);
        }
        fs::rename(path_, out);
        committed_ = true;
    }

private:
    fs::path path_;
    bool committed_ = false;
};

std::string seconds_folder(double t) {
    char name[32];
    std::snprintf(name, sizeof name, "%06.1fs", t);
    return name;
}

}  // namespace

FlyResult fly(const FlyOptions &options) {
    auto started = std::chrono::steady_clock::now();
    Scenario scenario = load_scenario(options.scenario, options.plan);
    std::vector<std::string> warnings = scenario.warnings;
    auto check_stop = [&] {
        if (options.stop && *options.stop) throw FlyInterrupted(*options.stop);
    };

    fs::path out = fs::absolute(options.out).lexically_normal();
    if (out.filename().empty()) out = out.parent_path();
    fs::create_directories(out.parent_path());
    Staging staging(out);
    FlyResult result;
    result.out = out;
    auto record = [&](const fs::path &rel) { result.files.push_back(rel); };
    {
        const CockpitPaths paths = scenario_paths(scenario, options.paths);
        const fs::path world_folder = fs::absolute(paths.world).lexically_normal();  // before the cockpit enters its run folder
        Cockpit cockpit(scenario, paths, staging.path() / "run");
        warnings.insert(warnings.end(), cockpit.route_warnings().begin(), cockpit.route_warnings().end());
        if (options.note) options.note("world " + cockpit.world_text() + "\nvariation " + cockpit.variation_text());
        if (options.warn)
            for (const std::string &w : warnings) options.warn(w);
        check_stop();
        Image first = cockpit.panel_picture();
        std::unique_ptr<GifWriter> gif;
        long every = 0;
        if (options.animation && scenario.animation_fps > 0) {
            every = std::max(1L, long(std::lround(1.0 / (scenario.animation_fps * scenario.step))));
            Image scaled = first.scaled_down(scenario.animation_scale);
            gif = std::make_unique<GifWriter>(staging.path() / "flight.gif", scaled.width, scaled.height,
                                              kAnimationDelayCs);
        }
        size_t next_snapshot = 0;
        long total = cockpit.total_frames();
        Progress progress("flying " + scenario.name, total, options.progress ? stderr : nullptr);
        for (long f = 0; f < total; ++f) {
            check_stop();
            cockpit.frame();
            double t = cockpit.time();
            while (next_snapshot < scenario.snapshots.size() && scenario.snapshots[next_snapshot] <= t + scenario.step / 2) {
                fs::path dir = fs::path("snapshots") / seconds_folder(scenario.snapshots[next_snapshot++]);
                fs::create_directories(staging.path() / dir);
                for (const GaugeView &g : cockpit.gauges()) {
                    write_png(staging.path() / dir / (g.name + ".png"), Cockpit::shown(g));
                    record(dir / (g.name + ".png"));
                }
                write_png(staging.path() / dir / "panel.png", cockpit.panel_picture());
                record(dir / "panel.png");
            }
            if (gif && (f % every == 0 || f + 1 == total)) gif->add(cockpit.panel_picture().scaled_down(scenario.animation_scale));
            progress.update(f + 1);
        }
        progress.finish();
        write_png(staging.path() / "panel.png", cockpit.panel_picture());
        record("panel.png");
        if (gif) {
            gif->close();
            record("flight.gif");
        }
        result.frames = cockpit.frames();
        result.simulated_seconds = cockpit.time();
        const AircraftState &s = cockpit.flight().state();
        FlightLog &log = cockpit.log();
        for (const std::string &p : cockpit.silent_gauges()) log.problem(p);
        for (const auto &p : log.section("problems")) result.problems.push_back(p.get<std::string>());
        log.set("scenario", {{"file", scenario.file}, {"name", scenario.name}});
        log.set("warnings", warnings);
        const auto &manifest = cockpit.world_db().manifest();
        log.set("world", {{"folder", world_folder.string()},
                          {"manifest", manifest ? nlohmann::json(podlib::describe(*manifest)) : nlohmann::json()},
                          {"variation", cockpit.variation_text()}});
        log.set("step", scenario.step);
        log.set("frames", result.frames);
        log.set("seconds", result.simulated_seconds);
        log.set("route", [&] {
            nlohmann::json r = nlohmann::json::array();
            for (const PlanWaypoint &w : cockpit.plan()) r.push_back(w.name);
            return r;
        }());
        log.set("end", {{"latitude_deg", latitude_degrees(s.position)},
                        {"longitude_deg", longitude_degrees(s.position)},
                        {"altitude_ft", s.position.altitude},
                        {"true_heading_deg", s.true_heading_deg},
                        {"waypoints_passed", cockpit.flight().next()}});
        log.write(staging.path() / "flight.json");
        record("flight.json");
        FlightMap map = flight_map(scenario.name, cockpit.plan(), cockpit.world_db(), logged_places(log.section("track")),
                                   logged_places(log.section("pings")));
        write_png(staging.path() / "track.png", draw_track_map(map.input, map.projection));
        record("track.png");
        record("run");
    }
    check_stop();
    staging.commit(out);
    result.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

}  // namespace panelhost
