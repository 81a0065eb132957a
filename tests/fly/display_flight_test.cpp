// The display against the flight: scenarios flown through the host, with the
// leg number, leg name, DTK, TRK and DIS that the display draws (every text
// passes the host's font service) and the pings it plays, compared with where
// the aircraft really was and with the host's own leg passages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "host/geo.h"
#include "host/plan_file.h"
#include "host/route.h"
#include "host/world_db.h"
#include "tests/fly/fly_support.h"

namespace panelhost {
namespace {
namespace fs = std::filesystem;

constexpr double kLegRefreshSeconds = 5.0;
constexpr double kPassageNm = 5.0;

double distance_nm(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return v[2] / kFeetPerNauticalMile;
}
double bearing_deg(const GeoPosition &a, const GeoPosition &b) {
    double v[3];
    position_vector(a, b, v);
    return v[1] * 180.0 / kPi;
}
double degrees_apart(double a, double b) { return std::fabs(heading_difference(a, b)); }

// The initial great-circle bearing in degrees, worked out here rather than by
// the host's geodesy that the display is measured with.
double great_circle_bearing_deg(const GeoPosition &from, const GeoPosition &to) {
    const double r = kPi / (180.0 * kArcsecPerDegree);
    const double p1 = from.latitude * r, p2 = to.latitude * r, dl = (to.longitude - from.longitude) * r;
    const double b = std::atan2(std::sin(dl) * std::cos(p2),
                                std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl));
    return std::fmod(b * 180.0 / kPi + 360.0, 360.0);
}

// What the display's data block showed in one frame.
struct Shown {
    double time = 0;
    GeoPosition aircraft{};
    float variation = 0;  // the host's, at the aircraft
    size_t plan = 0;      // the plan read last, an index into Run::plans
    bool drawn = false;   // the data block's leg line was drawn
    int leg = -1;
    std::string name;     // the orange leg name, empty when only the underline was drawn
    int dtk = -1;
    int trk = -1;           // -1: not drawn
    double dis = -1;        // nautical miles; -1: not drawn
    bool measured = false;  // the active leg was measured in this frame
};

// A measurement of a leg by the display, and where the aircraft was.
struct Measurement {
    size_t plan = 0;
    int leg = -1;
    GeoPosition aircraft{};
    float variation = 0;
    double time = 0;
};

struct Run {
    std::string what;
    fs::path world;  // the world folder flown over
    double step = 0;
    std::vector<PlanWaypoint> route;               // the scenario's, as the host flies it
    std::vector<std::vector<PlanWaypoint>> plans;  // every plan handed to the display, in order
    std::vector<Shown> frames;
    std::vector<double> pings;  // times, from the flight log
    nlohmann::json legs;        // the host's own passages, from the flight log
    size_t most_airports = 0, most_navaids = 0, most_points = 0;  // in the host's nearby lists
};

// A text the display drew: position and text, from the host's call log.
bool parse_text(const HostCall &c, int &x, int &y, std::string &text) {
    char font[64], body[256];
    unsigned colour = 0;
    if (std::sscanf(c.args.c_str(), "\"%63[^\"]\", %d, %d, 0x%x, \"%255[^\"]\"", font, &x, &y, &colour, body) != 5)
        return false;
    text = body;
    return true;
}

// The leg is measured when the data block's frame time is followed by a
// bearing-and-distance call before the DTK label: that pair is the leg
// refresh (the placements of the map come earlier in the frame).
Shown read_data_block(const CallLog &log) {
    Shown s;
    const auto &calls = log.calls();
    for (size_t i = 0; i < calls.size(); ++i) {
        const HostCall &c = calls[i];
        int x = 0, y = 0;
        std::string t;
        if (c.entry != kEntryFontDrawText || !parse_text(c, x, y, t)) continue;
        if (x == 103 && y == 250 && std::sscanf(t.c_str(), "LEG : %d", &s.leg) == 1) s.drawn = true;
        if (x == 153 && y == 250 && t != "____") s.name = t;
        if (x == 68 && y == 250) s.dtk = std::atoi(t.c_str());
        if (x == 68 && y == 20) s.trk = std::atoi(t.c_str());
        if (x == 153 && y == 20) s.dis = std::atof(t.c_str());
        if (x == 18 && y == 250 && t == "DTK : " && i >= 2)
            s.measured = calls[i - 1].entry == kEntryPositionVector && calls[i - 2].entry == kEntryGetFrameSeconds;
    }
    return s;
}

// A plan to hand to the display at a time of the flight: the host writes it
// over the saved plan and starts the display again, which reads it anew.
struct Reread {
    double at;
    std::vector<PlanWaypoint> plan;
};

Plugin &display_plugin(Cockpit &c) {
    for (auto &p : c.host().plugins())
        if (p->path().find("navdisplay") != std::string::npos) return *p;
    throw std::runtime_error("no display on the panel");
}

void hand_plan(Cockpit &c, const fs::path &run, const std::vector<PlanWaypoint> &plan) {
    std::ostringstream text;
    write_flight_plan(text, plan);
    test::write_file(run / "saved simulations" / "zark_fpl.sit", text.str());
    display_plugin(c).global_start();
}

Run fly_scenario(const std::string &what, const fs::path &scenario_file, std::vector<Reread> rereads = {},
                 const CockpitPaths &paths = test::build_paths()) {
    Run r;
    r.what = what;
    r.world = paths.world;
    Scenario scenario = load_scenario(scenario_file);
    r.step = scenario.step;
    fs::path run = test::scratch("display-" + what) / "run";
    Cockpit cockpit(scenario, paths, run);
    r.route = cockpit.plan();
    r.plans.push_back(r.route);
    size_t next_reread = 0;
    if (!rereads.empty() && rereads[0].at <= 0) {
        hand_plan(cockpit, run, rereads[0].plan);
        r.plans.back() = rereads[next_reread++].plan;
    }
    CallLog &log = cockpit.host().log();
    log.enabled = true;
    for (long f = 0; f < cockpit.total_frames(); ++f) {
        if (next_reread < rereads.size() && rereads[next_reread].at <= cockpit.time()) {
            hand_plan(cockpit, run, rereads[next_reread].plan);
            r.plans.push_back(rereads[next_reread++].plan);
        }
        log.clear();
        cockpit.frame();
        Shown s = read_data_block(log);
        s.time = std::round(cockpit.time() * 1000.0) / 1000.0;  // as the flight log has it
        s.aircraft = cockpit.flight().state().position;
        s.variation = cockpit.host().world().variation_deg.value_or(0.0f);
        s.plan = r.plans.size() - 1;
        r.frames.push_back(s);
        const World &world = cockpit.host().world();
        r.most_airports = std::max(r.most_airports, world.nearby_airports.size());
        r.most_navaids = std::max(r.most_navaids, world.nearby_navaids.size());
        r.most_points = std::max(r.most_points, world.nearby_points.size());
    }
    for (const auto &p : cockpit.log().section("pings")) r.pings.push_back(p["time"].get<double>());
    r.legs = cockpit.log().section("legs");
    return r;
}

// The variation a leg's magnetic angles use: a database point's own, or for
// a user waypoint the one at the aircraft.
double leg_variation(const WorldDb &db, const PlanWaypoint &w, float user_variation) {
    return w.kind == PlanWaypoint::kUser ? double(user_variation) : double(db.find(w.key)->record->variation);
}

// The magnetic course of leg k of a plan as the display should show it.
double expected_dtk(const WorldDb &db, const std::vector<PlanWaypoint> &plan, size_t k, float user_variation) {
    double course = k == 0 ? 0.0 : bearing_deg(plan[k - 1].position, plan[k].position);
    return std::fmod(course - leg_variation(db, plan[k], user_variation) + 720.0, 360.0);
}

std::string expected_name(const PlanWaypoint &w) {
    switch (w.kind) {
    case PlanWaypoint::kWaypoint: return "WPT";
    case PlanWaypoint::kUser: return "USR";
    default: return w.name;
    }
}

// Everything the display showed, held against the flight.
// The display's leg changes and pings, for the message of a failure.
std::string story(const Run &r) {
    std::string out;
    char t[96];
    for (size_t f = 1; f < r.frames.size(); ++f) {
        const Shown &s = r.frames[f], &b = r.frames[f - 1];
        if (s.drawn && (!b.drawn || s.leg != b.leg || s.plan != b.plan)) {
            std::snprintf(t, sizeof t, " %.1f:LEG %d %s", s.time, s.leg, s.name.c_str());
            out += t;
        }
    }
    out += "; pings";
    for (double p : r.pings) {
        std::snprintf(t, sizeof t, " %.1f", p);
        out += t;
    }
    return out;
}

// Everything the display showed, held against the flight; one failure
// listing every fault, with the display's story.
void check(const Run &r, bool every_point_reached = true) {
    const WorldDb db = WorldDb::load(r.world / "system");
    const double refresh = kLegRefreshSeconds + r.step;  // the display's leg refresh, in whole frames
    const auto &frames = r.frames;
    std::vector<std::string> faults;
    auto fault = [&](double t, const std::string &what) {
        char at[32];
        std::snprintf(at, sizeof at, "t = %.1f s: ", t);
        faults.push_back(at + what);
    };

    // The leg each plan started on, and the legs it is judged by: from there
    // to the leg the next plan started on, or to its end.
    std::vector<int> first(r.plans.size(), -1);
    for (const Shown &s : frames)
        if (s.drawn && first[s.plan] < 0) first[s.plan] = s.leg;
    for (size_t g = 0; g < r.plans.size(); ++g) ASSERT_GE(first[g], 0) << r.what << ": plan " << g << " never shown";

    // Closest approach of every judged waypoint, from the aircraft's track.
    struct Judged {
        size_t plan, leg;
        double closest_time = 0, closest_nm = 1e9;
        double advanced = -1;  // first time the display showed a later leg
        int pings = 0;
    };
    std::vector<Judged> judged;
    for (size_t g = 0; g < r.plans.size(); ++g) {
        size_t end = g + 1 < r.plans.size() ? size_t(first[g + 1]) : r.plans[g].size();
        for (size_t k = size_t(first[g]); k < end && k < r.plans[g].size(); ++k) judged.push_back({g, k});
    }
    for (Judged &j : judged)
        for (const Shown &s : frames) {
            double d = distance_nm(s.aircraft, r.plans[j.plan][j.leg].position);
            if (d < j.closest_nm) j.closest_nm = d, j.closest_time = s.time;
        }
    auto find = [&](size_t plan, int leg) -> Judged * {
        for (Judged &j : judged)
            if (j.plan == plan && int(j.leg) == leg) return &j;
        return nullptr;
    };

    // Frame by frame: names, advances, pings, DTK.
    std::set<double> ping_times(r.pings.begin(), r.pings.end());
    std::map<std::pair<size_t, int>, float> user_variation;  // as the leg became active
    std::set<std::pair<size_t, int>> wrong_dtk, wrong_name;   // each reported once
    for (size_t f = 1; f < frames.size(); ++f) {
        const Shown &s = frames[f], &before = frames[f - 1];
        if (!s.drawn || !before.drawn) continue;
        const auto &plan = r.plans[s.plan];
        const auto key = std::make_pair(s.plan, s.leg);
        const bool on_plan = s.leg >= 0 && size_t(s.leg) < plan.size();
        if (on_plan && s.name != expected_name(plan[size_t(s.leg)]) && wrong_name.insert(key).second)
            fault(s.time, "leg " + std::to_string(s.leg) + " named \"" + s.name + "\"");
        const bool advanced = s.plan == before.plan && s.leg > before.leg;
        const bool pinged = ping_times.count(s.time) > 0;
        if (advanced) {
            Judged *j = find(s.plan, before.leg);
            if (j == nullptr) fault(s.time, "moved on from leg " + std::to_string(before.leg) + ", not a judged leg");
            if (j && j->advanced < 0) j->advanced = s.time;
            if (s.leg != before.leg + 1) fault(s.time, "skipped to leg " + std::to_string(s.leg));
            if (!pinged) fault(s.time, "moved on without a ping");
        }
        if (pinged && !advanced) fault(s.time, "a ping without moving on");
        if (Judged *j = pinged && advanced ? find(s.plan, before.leg) : nullptr) {
            if (++j->pings > 1) fault(s.time, "a second ping for leg " + std::to_string(j->leg));
            if (s.time < j->closest_time)
                fault(s.time, "a ping for leg " + std::to_string(j->leg) + " before the aircraft's closest approach");
        }
        // DTK is that of the leg shown, once the leg has been shown a frame.
        if (s.leg == before.leg && on_plan) {
            if (!user_variation.count(key)) user_variation[key] = s.variation;
            double want = expected_dtk(db, plan, size_t(s.leg), user_variation[key]);
            if (degrees_apart(s.dtk, want) > 1.0 && wrong_dtk.insert(key).second)
                fault(s.time, "DTK " + std::to_string(s.dtk) + " on leg " + std::to_string(s.leg) + ", its course " +
                                  std::to_string(want));
        }
    }

    // TRK and DIS: every frame shows the leg's last measurement. While that
    // was of the active leg, TRK is the magnetic bearing from where the
    // aircraft was then; DIS is never the zero of a leg not yet measured.
    std::optional<Measurement> last;
    std::set<std::pair<size_t, int>> wrong_trk;
    std::set<size_t> zero_dis;  // plans, each reported once
    for (size_t f = 0; f < frames.size(); ++f) {
        const Shown &s = frames[f];
        if (s.measured) {
            // A passage in the frame moves the leg on after the measurement.
            const Shown *b = f > 0 ? &frames[f - 1] : nullptr;
            const bool passed = b && b->drawn && b->plan == s.plan && s.leg == b->leg + 1;
            last = Measurement{s.plan, passed ? b->leg : s.leg, s.aircraft, s.variation, s.time};
        }
        if (!s.drawn || s.dis < 0) continue;  // no published leg, no TRK or DIS
        const auto &plan = r.plans[s.plan];
        if (s.dis == 0.0) {
            const bool of_plan = last && last->plan == s.plan && size_t(last->leg) < plan.size();
            const double from = of_plan ? distance_nm(last->aircraft, plan[size_t(last->leg)].position) : -1;
            if (!(of_plan && from < 0.05) && zero_dis.insert(s.plan).second)
                fault(s.time, "DIS 0000.0 on leg " + std::to_string(s.leg) +
                                  (of_plan ? ", measured " + std::to_string(from) + " nm away" : ", not measured"));
        }
        if (!last || last->plan != s.plan || last->leg != s.leg || size_t(s.leg) >= plan.size()) continue;
        const PlanWaypoint &w = plan[size_t(s.leg)];
        const double want = std::fmod(great_circle_bearing_deg(last->aircraft, w.position) -
                                          leg_variation(db, w, last->variation) + 720.0,
                                      360.0);
        if (degrees_apart(s.trk, want) > 1.0 && wrong_trk.insert({s.plan, s.leg}).second) {
            char what[160];
            std::snprintf(what, sizeof what, "TRK %03d on leg %d %s, measured at t = %.1f s; its bearing %.1f", s.trk,
                          s.leg, w.name.c_str(), last->time, want);
            fault(s.time, what);
        }
    }

    // Every judged waypoint: the display moved on after the aircraft's
    // closest approach, within two leg refreshes, and only past waypoints
    // the host's flight passed too. One the flight did not reach in time
    // (its closest approach is the end of the flight) is never moved past.
    for (const Judged &j : judged) {
        const PlanWaypoint &w = r.plans[j.plan][j.leg];
        char closest[64];
        std::snprintf(closest, sizeof closest, " (closest %.2f nm at t = %.1f s)", j.closest_nm, j.closest_time);
        const std::string name = "leg " + std::to_string(j.leg) + " " + w.name + closest;
        const bool reached = j.closest_nm < kPassageNm && j.closest_time + 2 * refresh < frames.back().time;
        if (every_point_reached && !reached) fault(j.closest_time, name + ": the scenario does not pass it");
        if (j.advanced >= 0 && j.advanced <= j.closest_time)
            fault(j.advanced, name + ": moved on before the closest approach");
        if (!reached) continue;
        if (j.advanced < 0) {
            fault(frames.back().time, name + ": never moved on past it");
            continue;
        }
        if (j.advanced > j.closest_time + 2 * refresh + r.step)
            fault(j.advanced, name + ": moved on more than two leg refreshes after the closest approach");
        if (j.pings != 1) fault(j.advanced, name + ": " + std::to_string(j.pings) + " pings");
        bool host_passed = false;
        for (const auto &l : r.legs) {
            const PlanWaypoint &route_point = r.route[l["index"].get<size_t>()];
            if (distance_nm(route_point.position, w.position) < 0.01 && l["time"].get<double>() <= j.advanced)
                host_passed = true;
        }
        if (!host_passed) fault(j.advanced, name + ": the host's flight log has no passage of it before");
    }

    std::printf("%s: display%s\n", r.what.c_str(), story(r).c_str());
    std::string list;
    for (const std::string &f : faults) list += "\n  " + f;
    EXPECT_TRUE(faults.empty()) << r.what << ": display" << story(r) << list;
}

// A scenario of the display alone on the route, switched to its route layer
// at the start; `route` holds the [[route]] tables.
fs::path write_scenario(const std::string &what, double duration, const std::string &route, const std::string &top = "") {
    std::string text = "name = \"" + what + "\"\nduration = " + std::to_string(duration) +
                       "\nstep = 0.2\n" + top +
                       "[aircraft]\nname = \"Skylane\"\nspeed_kt = 240\naltitude_ft = 2500\n"
                       "[systems]\npower = [{ target = \"elec\", data = \"bus1\" }]\n"
                       "values = [{ target = \"elec\", data = \"bus1\", real = 1.0 }]\n" +
                       route +
                       "[[panel]]\nname = \"display\"\nplugin = \"navdisplay\"\nwidth = 206\nheight = 330\n"
                       "definition = '''\nmes1 {target=elec data=bus1 type=real}\nauto 2\n'''\n"
                       "[[event]]\nat = 0.0\nclick = { gauge = \"display\", x = 170, y = 300 }\n";
    fs::path file = test::scratch("display-scenario-" + what) / "flight.toml";
    test::write_file(file, text);
    return file;
}

// Route points east of Marrow Isle: each `nm` on from the last along `bearing`.
struct Leg {
    double bearing, nm;
};
const GeoPosition kMarrow = from_degrees(44.18505, -12.33062, 0);

std::vector<GeoPosition> points(const std::vector<Leg> &legs) {
    std::vector<GeoPosition> out{kMarrow};
    for (const Leg &l : legs) out.push_back(move_along(out.back(), l.bearing * kPi / 180.0, l.nm * kFeetPerNauticalMile));
    return out;
}

// Points after the first are named P1, P2, ..., unless `keys` gives a point
// of the world by its key.
std::string route_text(const std::vector<GeoPosition> &p, const std::map<size_t, std::string> &keys = {}) {
    std::string text = "[[route]]\nkey = \"AP0150\"\n";
    for (size_t i = 1; i < p.size(); ++i) {
        if (keys.count(i)) {
            text += "[[route]]\nkey = \"" + keys.at(i) + "\"\n";
            continue;
        }
        double lon = p[i].longitude / 3600.0;
        char t[160];
        std::snprintf(t, sizeof t, "[[route]]\nname = \"P%zu\"\nlat = %.6f\nlon = %.6f\n", i, p[i].latitude / 3600.0,
                      lon > 180.0 ? lon - 360.0 : lon);
        text += t;
    }
    return text;
}

// The user waypoints of a plan, from the start airport.
std::vector<PlanWaypoint> user_plan(const std::vector<GeoPosition> &p) {
    std::vector<PlanWaypoint> plan;
    plan.push_back({PlanWaypoint::kAirport, "AP0150", "XMAR", kMarrow});
    for (size_t i = 1; i < p.size(); ++i) {
        // Appended, not "P" + std::to_string(i): GCC 12 at -O3 reports a false -Wrestrict there.
        std::string name = "P";
        name += std::to_string(i);
        plan.push_back({PlanWaypoint::kUser, "", name, p[i]});
    }
    return plan;
}

TEST(DisplayFlight, BundledFlight) { check(fly_scenario("bundled", FLY_TEST_SCENARIO), false); }

TEST(DisplayFlight, FirstPointWithinFiveMilesOfTheStart) {
    auto p = points({{80, 3}, {80, 10}, {120, 5}});
    check(fly_scenario("near-start", write_scenario("near-start", 300, route_text(p))));
}

TEST(DisplayFlight, ConsecutivePointsTwoToFourMilesApart) {
    auto p = points({{90, 8}, {50, 3}, {100, 2.5}, {60, 4}, {90, 2}});
    check(fly_scenario("close-points", write_scenario("close-points", 320, route_text(p))));
}

TEST(DisplayFlight, LastWaypointFlownPastAndAwayFrom) {
    auto p = points({{100, 6}, {60, 6}});
    check(fly_scenario("past-the-end", write_scenario("past-the-end", 300, route_text(p))));
}

TEST(DisplayFlight, PlanReadAgainWithOtherCourses) {
    auto p = points({{90, 6}, {90, 10}, {45, 5}});
    // The same points from the active one on; before it a point far to the
    // south, so that the active leg's course differs by some 40 degrees.
    std::vector<PlanWaypoint> other = user_plan(p);
    other[1].position = move_along(kMarrow, 150.0 * kPi / 180.0, 6.0 * kFeetPerNauticalMile);
    other[1].name = "Q1";
    ASSERT_GT(degrees_apart(bearing_deg(other[1].position, p[2]), bearing_deg(p[1], p[2])), 20.0);
    check(fly_scenario("reread", write_scenario("reread", 340, route_text(p)), {{165.0, other}}));
}

TEST(DisplayFlight, DatabaseWaypointThenUserWaypoints) {
    // GOGES, a waypoint of the world some 15 miles west-north-west, then two
    // points of one's own beyond it.
    const GeoPosition goges = from_degrees(44.31542, -12.62288, 0);
    const GeoPosition p2 = move_along(goges, 20.0 * kPi / 180.0, 5.0 * kFeetPerNauticalMile);
    const std::vector<GeoPosition> p{kMarrow, goges, p2, move_along(p2, 60.0 * kPi / 180.0, 4.0 * kFeetPerNauticalMile)};
    check(fly_scenario("database-waypoint", write_scenario("database-waypoint", 370, route_text(p, {{1, "WP03122"}}))));
}

TEST(DisplayFlight, ARouteFromAPlanFile) {
    // The sample plan over the bundled world: an airport, an NDB, a fix, a
    // point of the pilot's own, a VOR and an airport, found by identifier
    // and position.
    check(fly_scenario("plan-file", write_scenario("plan-file", 1000, "",
                                                   "route_file = \"" PLAN_SAMPLES "/lnmpln/tiller-quillan.lnmpln\"\n")));
}

// The scenarios over the whole-earth world, where one has been imported
// (scripts/world); without it they are skipped, saying so.
std::optional<CockpitPaths> earth_paths() {
    CockpitPaths paths = test::build_paths();
    paths.world = FLY_TEST_EARTH;
    if (!fs::exists(paths.world / "system" / "waypoint.pod")) return std::nullopt;
    return paths;
}

Run fly_real(const std::string &what, const char *file) {
    return fly_scenario(what, fs::path(FLY_TEST_DATA) / "scenarios" / file, {}, *earth_paths());
}

#define NEEDS_EARTH()                                                                                    \
    if (!earth_paths())                                                                                  \
    GTEST_SKIP() << "no whole-earth world in " FLY_TEST_EARTH " (scripts/world imports one)"

// The display's capacities: past them it keeps the nearest.
constexpr size_t kDisplayAirports = 256, kDisplayNavaids = 128, kDisplayWaypoints = 256;

TEST(DisplayFlight, RealLondonTerminalArea) {
    NEEDS_EARTH();
    auto r = fly_real("london", "london-terminal.toml");
    check(r);
    // A busy sky: more of each than the display keeps.
    EXPECT_GT(r.most_airports, kDisplayAirports);
    EXPECT_GT(r.most_navaids, kDisplayNavaids);
    EXPECT_GT(r.most_points, kDisplayWaypoints);
}

TEST(DisplayFlight, RealBrennerCrossing) {
    NEEDS_EARTH();
    check(fly_real("brenner", "alps-brenner.toml"));
}

TEST(DisplayFlight, RealBayFromAPlanFile) {
    NEEDS_EARTH();
    auto r = fly_real("bay", "bay-plan.toml");
    check(r);
    // Every point of the plan is the world's own: none became a user
    // waypoint but the one the plan makes so.
    std::vector<PlanWaypoint::Kind> kinds;
    for (const PlanWaypoint &w : r.route) kinds.push_back(w.kind);
    EXPECT_EQ(kinds, (std::vector<PlanWaypoint::Kind>{PlanWaypoint::kAirport, PlanWaypoint::kNavaid, PlanWaypoint::kWaypoint,
                                                      PlanWaypoint::kUser, PlanWaypoint::kAirport}));
}

TEST(DisplayFlight, RealPlanOfTheMicrosoftFormReplacesTheRoute) {
    NEEDS_EARTH();
    // --plan over the London scenario: the .pln's points, in degrees, minutes
    // and seconds, are each the world's own record, with no warning but the
    // one saying that the route was replaced.
    const fs::path data(FLY_TEST_DATA);
    Scenario scenario = load_scenario(data / "scenarios" / "london-terminal.toml", data / "plans" / "EGLC-EGLL.pln");
    ASSERT_EQ(scenario.warnings.size(), 1u);
    EXPECT_NE(scenario.warnings[0].find("is replaced by the 4 points of"), std::string::npos) << scenario.warnings[0];
    std::vector<std::string> warnings;
    const std::vector<PlanWaypoint> plan = resolve_route(scenario, WorldDb::load(earth_paths()->world / "system"), &warnings);
    EXPECT_TRUE(warnings.empty()) << warnings[0];
    std::vector<std::string> names;
    std::vector<PlanWaypoint::Kind> kinds;
    for (const PlanWaypoint &w : plan) names.push_back(w.name), kinds.push_back(w.kind);
    EXPECT_EQ(names, (std::vector<std::string>{"EGLC", "BIG", "OCK", "EGLL"}));
    EXPECT_EQ(kinds, (std::vector<PlanWaypoint::Kind>{PlanWaypoint::kAirport, PlanWaypoint::kNavaid, PlanWaypoint::kNavaid,
                                                      PlanWaypoint::kAirport}));
    // The Biggin VOR-DME south of London, not a BIG of another country.
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_NEAR(latitude_degrees(plan[1].position), 51.33, 0.02);
    EXPECT_NEAR(longitude_degrees(plan[1].position), 0.03, 0.02);
}

TEST(DisplayFlight, OneLegPlan) {
    // The route goes on past Harrowgate Isle; the display's plan holds it alone.
    const GeoPosition harrowgate = from_degrees(44.19175, -12.14014, 0);
    auto beyond = move_along(harrowgate, 90.0 * kPi / 180.0, 5.0 * kFeetPerNauticalMile);
    std::string route = route_text({kMarrow, harrowgate, beyond});
    std::vector<PlanWaypoint> one{{PlanWaypoint::kAirport, "AP0269", "XHAR", harrowgate}};
    check(fly_scenario("one-leg", write_scenario("one-leg", 220, route), {{0.0, one}}));
}

}  // namespace
}  // namespace panelhost
