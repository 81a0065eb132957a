// The fly command from end to end: what a flight writes, and how bad input
// fails without leaving output that looks complete.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>

#include "host/fly.h"
#include "host/output/png.h"
#include "tests/fly/fly_support.h"

namespace panelhost {
namespace {
namespace fs = std::filesystem;
using test::scratch;

// The bundled events that a flight of `seconds` reaches: a scenario may not
// hold one after its end.
void drop_events_after(std::string &text, double seconds) {
    const std::string event = "[[event]]\nat = ";
    for (size_t at = text.find(event); at != std::string::npos; at = text.find(event, at)) {
        size_t end = text.find("\n[[", at);
        end = end == std::string::npos ? text.size() : end + 1;
        if (std::stod(text.substr(at + event.size())) > seconds)
            text.erase(at, end - at);
        else
            at = end;
    }
}

// The bundled scenario cut to `seconds`, written into `dir`.
fs::path short_scenario(const fs::path &dir, const std::string &seconds, const std::string &change_from = "",
                        const std::string &change_to = "") {
    std::string text = test::bundled_scenario_text();
    auto replace = [&](const std::string &from, const std::string &to) {
        size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("duration = 330.0", "duration = " + seconds);
    replace("snapshots = [1.0, 12.0, 30.0, 75.0, 150.0, 252.0, 320.0]", "snapshots = [1.0]");
    drop_events_after(text, std::stod(seconds));
    if (!change_from.empty()) replace(change_from, change_to);
    fs::path file = dir / "flight.toml";
    test::write_file(file, text);
    return file;
}

FlyOptions options_for(const fs::path &scenario, const fs::path &out) {
    FlyOptions o;
    o.scenario = scenario;
    o.out = out;
    o.paths = test::build_paths();
    o.progress = false;
    return o;
}

// Nothing but what the test put there: no output, no half-written folder.
std::vector<std::string> entries(const fs::path &dir) {
    std::vector<std::string> out;
    for (auto &e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Fly, WritesPicturesAnimationAndLog) {
    fs::path dir = scratch("writes");
    FlyResult r = fly(options_for(short_scenario(dir, "2.0"), dir / "out"));
    EXPECT_EQ(r.frames, 60);
    for (const char *f : {"panel.png", "flight.gif", "flight.json", "track.png", "snapshots/0001.0s/display.png",
                          "snapshots/0001.0s/rocker.png", "snapshots/0001.0s/panel.png",
                          "run/saved simulations/zark_fpl.sit", "run/system/navaid.pod",
                          "run/modules/pc/partanim.txt", "run/MODELS/skylane_Nlamp_3.ACM"})
        EXPECT_TRUE(fs::exists(dir / "out" / f)) << f;
    EXPECT_EQ(read_png(dir / "out/snapshots/0001.0s/display.png").width, 206);
    nlohmann::json log = nlohmann::json::parse(std::ifstream(dir / "out/flight.json"));
    EXPECT_EQ(log["frames"], 60);
    EXPECT_EQ(log["route"], (nlohmann::json{"XMAR", "HARBR", "XHAR", "VLM", "LAKES"}));
    EXPECT_EQ(log["problems"].size(), 0u);
    EXPECT_EQ(log["models"][0]["tag"], "nit0");
    EXPECT_EQ(log["events"][0]["what"], "click display at 170,300 buttons 1");
    // The sample world: no manifest, the variation weighted from its records.
    EXPECT_EQ(log["world"]["folder"], fs::absolute(FLY_TEST_WORLD).lexically_normal().string());
    EXPECT_TRUE(log["world"]["manifest"].is_null());
    EXPECT_EQ(log["world"]["variation"], "weighted from the four nearest records");
    // The track: the start and every simulated second, each with what the
    // display was told.
    ASSERT_EQ(log["track"].size(), 3u);
    for (int t = 0; t < 3; ++t) {
        const auto &p = log["track"][size_t(t)];
        EXPECT_EQ(p["time"], double(t));
        EXPECT_EQ(p["ground_speed_kt"], 240.0);
        double magnetic = std::fmod(p["true_heading_deg"].get<double>() - p["variation_deg"].get<double>() + 360.0, 360.0);
        EXPECT_NEAR(p["magnetic_heading_deg"].get<double>(), magnetic, 0.01);
    }
    EXPECT_EQ(log["track"][0]["latitude_deg"], 44.18505);  // Marrow Isle, the start
    EXPECT_GT(log["track"][2]["latitude_deg"].get<double>(), log["track"][1]["latitude_deg"].get<double>());
    EXPECT_GT(read_png(dir / "out/track.png").width, 400);
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"flight.toml", "out"}));

    // A second flight replaces the first output as a whole.
    test::write_file(dir / "out" / "stale.txt", "old");
    fly(options_for(dir / "flight.toml", dir / "out"));
    EXPECT_FALSE(fs::exists(dir / "out" / "stale.txt"));
}

// The line of the table header ("[[...]]") above the first line holding `text`.
int header_line(const fs::path &file, const std::string &text) {
    std::ifstream in(file);
    std::string line;
    int n = 0, header = 0;
    while (std::getline(in, line)) {
        ++n;
        if (line.rfind("[[", 0) == 0) header = n;
        if (line.find(text) != std::string::npos) return header;
    }
    return -1;
}
std::string at_line(const fs::path &file, const std::string &text) {
    return file.string() + ":" + std::to_string(header_line(file, text)) + ": ";
}

// The message of a failed flight, checking that it left nothing behind.
std::string failure(const fs::path &dir, const FlyOptions &o) {
    auto before = entries(dir);
    std::string what = "(no error)";
    try {
        fly(o);
    } catch (const std::exception &e) {
        what = e.what();
    }
    EXPECT_EQ(entries(dir), before) << what;
    return what;
}

TEST(Fly, BadInputFailsWithTheFileAndLeavesNoOutput) {
    fs::path dir = scratch("bad");
    fs::path out = dir / "out";
    EXPECT_EQ(failure(dir, options_for(dir / "missing.toml", out)),
              (dir / "missing.toml").string() + ": cannot be read: No such file or directory");

    fs::path s = short_scenario(dir, "1.0", "key = \"NV0204\"", "key = \"NV9999\"");
    EXPECT_EQ(failure(dir, options_for(s, out)),
              at_line(s, "NV9999") + "no airport, navaid or waypoint of the world has the key \"NV9999\"");

    s = short_scenario(dir, "1.0", "plugin = \"radio_adf\"", "plugin = \"radio_fm\"");
    std::string why = failure(dir, options_for(s, out));
    EXPECT_EQ(why.rfind(at_line(s, "radio_fm"), 0), 0u) << why;
    EXPECT_NE(why.find("radio_fm.so: no such plug-in"), std::string::npos) << why;

    s = short_scenario(dir, "1.0", "mxVS 2000", "mxVS 2000\nwarp 9");
    EXPECT_EQ(failure(dir, options_for(s, out)), at_line(s, "warp 9") + "\"rocker\": rockers does not take the tag 'warp'");

    s = short_scenario(dir, "1.0");
    FlyOptions o = options_for(s, out);
    o.paths.world = dir / "noworld";
    why = failure(dir, o);
    EXPECT_EQ(why, (dir / "noworld").string() + ": holds no system folder: --world and a scenario's [folders] world "
                                                "name the folder that holds system/");
    // The system folder named itself: the folder to name instead is said.
    o.paths.world = fs::path(FLY_TEST_WORLD) / "system";
    why = failure(dir, o);
    EXPECT_EQ(why.substr(why.size() - std::strlen(", here " FLY_TEST_WORLD)), ", here " FLY_TEST_WORLD) << why;
    fs::create_directories(dir / "emptyworld" / "system");
    o.paths.world = dir / "emptyworld";
    why = failure(dir, o);
    EXPECT_EQ(why, (dir / "emptyworld/system/airpvarmag.pod").string() + ": cannot open: No such file or directory");

    o = options_for(s, out);
    o.paths.assets = dir;  // a folder without the pictures
    why = failure(dir, o);
    EXPECT_NE(why.find("FTASCI10.RAW"), std::string::npos) << why;
}

TEST(Fly, APluginFolderRelativeToTheWorkingFolderIsFound) {
    // The plug-ins load while the run folder is the working folder: a relative
    // folder means the one the command was started in, for the check as well.
    fs::path dir = scratch("relative");
    FlyOptions o = options_for(short_scenario(dir, "1.0"), dir / "out");
    o.paths.plugins = fs::relative(o.paths.plugins);
    ASSERT_TRUE(o.paths.plugins.is_relative()) << o.paths.plugins;
    EXPECT_TRUE(fly(o).problems.empty());
    EXPECT_TRUE(fs::exists(dir / "out" / "panel.png"));
}

TEST(Fly, AStoppedFlightLeavesTheEarlierOutputAsItWas) {
    fs::path dir = scratch("stopped");
    fs::path s = short_scenario(dir, "1.0");
    fly(options_for(s, dir / "out"));
    test::write_file(dir / "out" / "mark.txt", "earlier");
    // As the signal handler leaves it: the flight stops at its next frame.
    volatile std::sig_atomic_t stop = SIGTERM;
    FlyOptions o = options_for(s, dir / "out");
    o.stop = &stop;
    auto before = entries(dir);
    try {
        fly(o);
        FAIL() << "the flight was not stopped";
    } catch (const FlyInterrupted &e) {
        EXPECT_EQ(e.signal(), SIGTERM);
    }
    EXPECT_EQ(entries(dir), before);
    EXPECT_TRUE(fs::exists(dir / "out" / "mark.txt"));
}

TEST(Fly, WarningsOfTheScenarioComeFirstAndTheFlightGoesOn) {
    fs::path dir = scratch("warnings");
    fs::path s = short_scenario(dir, "1.0", "plugin = \"radio_com\"\nx = 216", "plugin = \"radio_com\"\nx = 200");
    FlyOptions o = options_for(s, dir / "out");
    std::vector<std::string> warnings;
    o.warn = [&](const std::string &w) { warnings.push_back(w); };
    fly(o);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], at_line(s, "plugin = \"radio_com\"") + "warning: \"com\" overlaps \"display\" on the panel; it is drawn on top");
    EXPECT_TRUE(fs::exists(dir / "out" / "panel.png"));
}

TEST(Fly, APlanFileReplacesTheRouteAndPointsTheWorldLacksAreNamed) {
    fs::path dir = scratch("plan");
    fs::path s = short_scenario(dir, "2.0");
    // Over the bundled world: an airport, an NDB a little off where this
    // world has it, a fix it does not have, a VOR.
    test::write_file(dir / "hop.fms",
                     "I\n1100 Version\nADEP XTIL\nNUMENR 4\n1 XTIL ADEP 12 43.16476 -12.03532\n"
                     "2 LSV DRCT 3000 42.9100 -12.1700\n11 NOFIX DRCT 3000 42.85 -12.0\n3 EVL DRCT 4000 43.09338 -11.46104\n");
    FlyOptions o = options_for(s, dir / "out");
    o.plan = dir / "hop.fms";
    std::vector<std::string> warnings;
    o.warn = [&](const std::string &w) { warnings.push_back(w); };
    fly(o);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], s.string() + ": warning: its route of 5 points is replaced by the 4 points of " + o.plan.string());
    EXPECT_EQ(warnings[1], o.plan.string() + ":7: warning: fix NOFIX at 42.8500 N 12.0000 W is not in the world; flown "
                                             "as a user waypoint there");
    nlohmann::json log = nlohmann::json::parse(std::ifstream(dir / "out/flight.json"));
    EXPECT_EQ(log["route"], (nlohmann::json{"XTIL", "LSV", "NOFIX", "EVL"}));
    EXPECT_EQ(log["warnings"], nlohmann::json(warnings));
    EXPECT_EQ(log["track"][0]["latitude_deg"], 43.16476);
    // The display's saved plan names the world's records by their keys.
    std::ifstream sit(dir / "out/run/saved simulations/zark_fpl.sit");
    std::string text(std::istreambuf_iterator<char>(sit), {});
    EXPECT_NE(text.find("<dbky>\nNV0213\n"), std::string::npos) << text;
    EXPECT_NE(text.find("usrw\n<llps>\n154260.0000,"), std::string::npos) << text;
}

// The problems a flight of the cut bundled scenario lists, after `changes`.
std::vector<std::string> problems_of(const fs::path &dir, std::vector<std::pair<std::string, std::string>> changes,
                                     const std::string &more = "") {
    fs::path s = short_scenario(dir, "2.0");
    std::string text = test::bundled_scenario_text();
    std::ifstream in(s);
    text.assign(std::istreambuf_iterator<char>(in), {});
    for (const auto &[from, to] : changes) {
        size_t at = text.find(from);
        if (at == std::string::npos) {
            ADD_FAILURE() << from;
            return {};
        }
        text.replace(at, from.size(), to);
    }
    test::write_file(s, text + more);
    FlyResult r = fly(options_for(s, dir / "out"));
    nlohmann::json log = nlohmann::json::parse(std::ifstream(dir / "out/flight.json"));
    EXPECT_EQ(log["problems"], nlohmann::json(r.problems));
    return r.problems;
}

TEST(Fly, NotesEveryGaugeThatPresentedNoFrame) {
    fs::path dir = scratch("silent");
    // Without its 'auto' tag the display asks another gauge for its zoom,
    // which nobody answers on this panel.
    EXPECT_EQ(problems_of(dir, {{"auto 2\n", ""}}),
              std::vector<std::string>{"gauge \"display\" (navdisplay) presented no frame in 60 frames; likely cause: "
                                       "'ndC2' 'dh__' was never answered (no such value on the bus)"});

    // Power off for the whole flight: every powered gauge is dark, the rocker is not.
    auto dark = problems_of(dir, {{"{ target = \"elec\", data = \"bus1\", real = 1.0 }",
                                   "{ target = \"elec\", data = \"bus1\", real = 0.0 }"}});
    std::vector<std::string> names;
    for (const std::string &p : dark) {
        names.push_back(p.substr(0, p.find(" presented")));
        EXPECT_NE(p.find("likely cause: power 'elec' 'bus1' was 0 at every frame"), std::string::npos) << p;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"gauge \"display\" (navdisplay)", "gauge \"com\" (radio_com)",
                                               "gauge \"nav\" (radio_nav)", "gauge \"adf\" (radio_adf)",
                                               "gauge \"xpdr\" (radio_xpdr)"}));

    // Powered for a part of the flight only: every gauge showed something.
    EXPECT_TRUE(problems_of(dir,
                            {{"{ target = \"elec\", data = \"bus1\", real = 1.0 }",
                              "{ target = \"elec\", data = \"bus1\", real = 0.0 }"}},
                            "[[event]]\nat = 1.5\npower = true\n")
                    .empty());

    // A radio head without its power message asks nothing the host could blame.
    auto bare = problems_of(dir, {{"definition = \"msg1 {target=elec data=bus1 type=real}\"", "definition = \"\""}});
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].rfind("gauge \"com\" (radio_com) presented no frame in 60 frames; ", 0), 0u) << bare[0];
}

TEST(Fly, DoesNotReplaceAFolderThatIsNotAnOutput) {
    fs::path dir = scratch("foreign");
    fs::create_directories(dir / "mine");
    test::write_file(dir / "mine" / "notes.txt", "keep");
    std::string why = failure(dir, options_for(short_scenario(dir, "1.5"), dir / "mine"));
    EXPECT_EQ(why, (dir / "mine").string() + ": exists and is not the output of a flight; not replaced");
    EXPECT_TRUE(fs::exists(dir / "mine" / "notes.txt"));
}

}  // namespace
}  // namespace panelhost
