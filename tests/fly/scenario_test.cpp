// The scenario file: what a good one gives, and the errors of bad ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/scenario.h"

namespace panelhost {
namespace {

const char *const kBase = R"(name = "t"
duration = 10
[[route]]
key = "AP1"
[[route]]
name = "USR"
lat = 44.0
lon = -12.0
altitude_ft = 3000
[[panel]]
name = "display"
plugin = "navdisplay"
width = 206
height = 330
definition = "auto 2"
)";

// The error message of a scenario made of kBase and `extra`.
std::string error_of(const std::string &text) {
    try {
        parse_scenario(text, "s.toml");
    } catch (const ScenarioError &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Scenario, ReadsRoutePanelEventsAndDefaults) {
    Scenario s = parse_scenario(std::string(kBase) + R"(
[systems]
power = [{ target = "elec", data = "bus1" }]
autopilot = "ap"
values = [{ target = "elec", data = "bus1", real = 1.0 }, { target = "ntx1", int = 2 }]
[[event]]
at = 5
power = false
[[event]]
at = 1
click = { gauge = "display", x = 14, y = 300 }
[[event]]
at = 2
radio = { radio = "adf", value = 350 }
)",
                                "s.toml");
    EXPECT_EQ(s.duration, 10);
    EXPECT_NEAR(s.step, 1.0 / 30.0, 1e-12);
    ASSERT_EQ(s.route.size(), 2u);
    EXPECT_EQ(s.route[0].key, "AP1");
    EXPECT_FALSE(s.route[0].altitude_ft);
    EXPECT_EQ(s.route[1].name, "USR");
    EXPECT_EQ(*s.route[1].altitude_ft, 3000);
    ASSERT_EQ(s.panel.size(), 1u);
    EXPECT_EQ(s.panel[0].definition, "auto 2");
    EXPECT_EQ(s.autopilot, fourcc("ap  "));
    ASSERT_EQ(s.values.size(), 2u);
    EXPECT_EQ(s.values[1].at.target, fourcc("ntx1"));
    EXPECT_EQ(s.values[1].at.data, 0u);
    EXPECT_EQ(s.values[1].value.type, BusValue::kInt);
    // Events come in time order, whatever the file's order.
    ASSERT_EQ(s.events.size(), 3u);
    EXPECT_EQ(s.events[0].kind, Event::kClick);
    EXPECT_EQ(s.events[0].buttons, 1u);
    EXPECT_EQ(s.events[1].kind, Event::kRadio);
    EXPECT_EQ(s.events[1].radio_kind, 64);
    EXPECT_EQ(s.events[1].radio_unit, 1);
    EXPECT_EQ(s.events[2].kind, Event::kPower);
    EXPECT_FALSE(s.events[2].on);
    EXPECT_EQ(s.events[2].line, 21);
}

TEST(Scenario, SyntaxErrorsNameFileAndLine) {
    EXPECT_EQ(error_of("name = \"t\"\nduration = = 3\n").rfind("s.toml:2: ", 0), 0u) << error_of("duration = = 3");
    EXPECT_EQ(error_of("name = \"unterminated\n").rfind("s.toml:1: ", 0), 0u);
}

TEST(Scenario, SyntaxErrorsInOurWords) {
    EXPECT_EQ(error_of("name = \"x\"\n\xff\xfe = 1\n"), "s.toml:2: the file is not UTF-8 text");
    EXPECT_EQ(error_of("name = \"caf\xc3\"\n"), "s.toml:1: the file is not UTF-8 text");
    EXPECT_EQ(error_of("a = 1\nb = 2\nc = \"\xc0\xaf\"\n"), "s.toml:3: the file is not UTF-8 text") << "overlong";
    EXPECT_EQ(error_of("a = \"\xe2\x82\xac\"\nb = \"\xed\xa0\x80\"\n"), "s.toml:2: the file is not UTF-8 text")
        << "a surrogate after a good euro sign";
    EXPECT_EQ(error_of("[aircraft]\nname = \"a\"\nspeed_kt = 240\n\nspeed_kt = 200\n"),
              "s.toml:5: 'aircraft.speed_kt' is given twice (first on line 3)");
    EXPECT_EQ(error_of("name = \"a\"\nname = \"b\"\n"), "s.toml:2: 'name' is given twice (first on line 1)");
    // The key of the array's last table; a table given twice names itself; a
    // header inside a multi-line string is text.
    EXPECT_EQ(error_of("[[route]]\nname = \"A\"\n[[route]]\nname = \"B\"\nname = \"C\"\n"),
              "s.toml:5: 'route.name' is given twice (first on line 4)");
    EXPECT_EQ(error_of("[aircraft]\nname = \"a\"\n[world]\n[aircraft]\n"),
              "s.toml:4: 'aircraft' is given twice (first on line 1)");
    EXPECT_EQ(error_of("[aircraft]\nnote = \'\'\'\n[world]\n\'\'\'\nname = \"a\"\nname = \"b\"\n"),
              "s.toml:6: 'aircraft.name' is given twice (first on line 5)");
}

TEST(Scenario, MeaningErrorsNameFileAndLine) {
    std::string base = kBase;
    EXPECT_EQ(error_of("name = \"t\"\n[[route]]\nkey = \"A\"\n"), "s.toml:1: 'duration' is missing");
    EXPECT_EQ(error_of(base + "[aircraft]\nspeed_kt = \"fast\"\n"), "s.toml:17: 'aircraft.speed_kt' must be a number");
    EXPECT_EQ(error_of(base + "[aircraft]\nsped_kt = 100\n"), "s.toml:17: unknown key 'aircraft.sped_kt'");
    EXPECT_EQ(error_of(base + "[[event]]\nat = 1\nclick = { gauge = \"radio\", x = 1, y = 2 }\n"),
              "s.toml:18: no panel item is named \"radio\"");
    EXPECT_EQ(error_of(base + "[[event]]\nat = 1\npower = true\n"),
              "s.toml:16: a power event needs 'systems.power' to name what it switches");
    EXPECT_EQ(error_of(base + "[[event]]\nat = 1\nkey = { code = 4 }\nautopilot = true\n"),
              "s.toml:16: an event needs exactly one of click, key, set, radio, power, light, autopilot");
    EXPECT_EQ(error_of(base + "[systems]\nautopilot = \"toolong\"\n"),
              "s.toml:17: 'systems.autopilot' must be a code of one to four characters, not \"toolong\"");
    EXPECT_EQ(error_of(base + "[output]\nsnapshots = [4, 12]\n"), "s.toml:17: 'output.snapshots' must lie within the flight");
    EXPECT_EQ(error_of(base + "[[route]]\nname = \"X\"\nlat = 95\nlon = 0\n"), "s.toml:18: 'route.lat' must lie between -89 and 89");
    EXPECT_EQ(error_of("duration = 3\n[[route]]\nkey = \"A\"\n"), "s.toml:1: the route needs at least two points ([[route]] or 'route_file')");
}

TEST(Scenario, PanelErrors) {
    std::string base = kBase;
    // A definition that does not parse names the scenario's line of it.
    std::string bad = base + "[[panel]]\nname = \"com\"\nplugin = \"radio_com\"\ndefinition = \"msg1 {target=elec\"\n";
    EXPECT_EQ(error_of(bad), "s.toml:19: the definition of \"com\", line 1: message group without '}'");
    // Names become file names: nothing that leaves the output folder.
    EXPECT_EQ(error_of(base + "[[panel]]\nplugin = \"navdisplay\"\nname = \"../display\"\n"),
              "s.toml:18: 'name' must be a plain name of letters, digits, '_', '-' and '.', not \"../display\"");
    EXPECT_EQ(error_of(base + "[aircraft]\nmodel = \"a/b\"\n"),
              "s.toml:17: 'model' must be a plain name of letters, digits, '_', '-' and '.', not \"a/b\"");
    EXPECT_EQ(error_of(base + "[[panel]]\nplugin = \"navdisplay\"\nname = \"display\"\n"),
              "s.toml:16: a second panel item named \"display\"");
}

// The same rules as the live page's requests (tests/serve), with the line.
TEST(Scenario, EventValuesAreCheckedAsTheLivePageChecksThem) {
    std::string base = kBase;
    auto event = [&](const std::string &action, const std::string &at = "1") {
        return error_of(base + "[[event]]\nat = " + at + "\n" + action + "\n");
    };
    EXPECT_EQ(event("radio = { radio = \"com\", value = 19.25 }"),
              "s.toml:18: COM frequencies lie between 118 and 136.975 MHz, not 19.25");
    EXPECT_EQ(event("radio = { radio = \"nav\", value = 118.0 }"),
              "s.toml:18: NAV frequencies lie between 108 and 117.95 MHz, not 118");
    EXPECT_EQ(event("radio = { radio = \"adf\", value = 1800 }"),
              "s.toml:18: ADF frequencies lie between 100 and 1799 kHz, not 1800");
    EXPECT_EQ(event("radio = { radio = \"xpdr\", value = 9999 }"),
              "s.toml:18: a transponder code is four digits 0 to 7, not 9999");
    EXPECT_EQ(event("radio = { radio = \"xpdr\", value = 1200.5 }"),
              "s.toml:18: a transponder code is four digits 0 to 7, not 1200.5");
    EXPECT_EQ(event("radio = { radio = \"xpdr\", value = 7777 }"), "(no error)");
    EXPECT_EQ(event("radio = { radio = \"com\", value = 136.975 }"), "(no error)");
    EXPECT_EQ(error_of(base + "[systems]\nradios = [{ radio = \"xpdr\", value = 1289 }]\n"),
              "s.toml:17: a transponder code is four digits 0 to 7, not 1289");

    EXPECT_EQ(event("click = { gauge = \"display\", x = 206, y = 0 }"),
              "s.toml:18: (206, 0) lies outside the gauge \"display\" of 206 x 330 pixels");
    EXPECT_EQ(event("click = { gauge = \"display\", x = 3, y = -1 }"),
              "s.toml:18: (3, -1) lies outside the gauge \"display\" of 206 x 330 pixels");
    EXPECT_EQ(event("click = { gauge = \"display\", x = 205, y = 329 }"), "(no error)");
    EXPECT_EQ(event("click = { gauge = \"display\", x = 1, y = 1, buttons = 0 }"),
              "s.toml:18: 'event.click.buttons' must lie between 1 and 7");
    EXPECT_EQ(event("key = { code = 256 }"), "s.toml:18: 'event.key.code' must lie between 1 and 255");
    EXPECT_EQ(event("key = { code = 65, modifiers = 8 }"), "s.toml:18: 'event.key.modifiers' must lie between 0 and 7");

    // Ten seconds at 1/30 s: the last frame starts at 9.967 s and takes what
    // is due within half a step of it.
    EXPECT_EQ(event("power = false", "9.98"), "s.toml:16: a power event needs 'systems.power' to name what it switches");
    EXPECT_EQ(event("power = false", "9.99"),
              "s.toml:17: the event at 9.99 s comes after the flight's last frame (9.967 s of 10 s)");
    EXPECT_EQ(event("power = false", "10"),
              "s.toml:17: the event at 10 s comes after the flight's last frame (9.967 s of 10 s)");

    EXPECT_EQ(error_of(base + "[[panel]]\nplugin = \"radio_com\"\nx = -5\n"), "s.toml:18: 'panel.x' must lie between 0 and 10000");
}

TEST(Scenario, OverlappingGaugesAreAWarningOnly) {
    std::string base = kBase;
    Scenario s = parse_scenario(base + "[[panel]]\nplugin = \"radio_com\"\nx = 205\ny = 329\nwidth = 120\nheight = 60\n"
                                       "[[panel]]\nplugin = \"radio_nav\"\nx = 206\nwidth = 120\nheight = 60\n"
                                       "[[panel]]\nplugin = \"partanim\"\n",
                                "s.toml");
    // The COM head covers the display's bottom right pixel; the NAV head only
    // touches the display's edge; partanim has no surface.
    ASSERT_EQ(s.warnings.size(), 1u);
    EXPECT_EQ(s.warnings[0], "s.toml:16: warning: \"radio_com\" overlaps \"display\" on the panel; it is drawn on top");
}

TEST(Scenario, MisspeltOrMixedKeysAreNamed) {
    std::string base = kBase;
    EXPECT_EQ(error_of(base + "[[event]]\nat = 1\nclik = { gauge = \"display\", x = 1, y = 1 }\n"),
              "s.toml:18: unknown key 'event.clik'");
    EXPECT_EQ(error_of(base + "[[route]]\nkey = \"AP2\"\nname = \"Home\"\nlat = 44.0\nlon = -12.0\n"),
              "s.toml:19: a route point has one of 'key' (a database key), 'ident' (an identifier of the world) or "
              "'lat' and 'lon' (a user waypoint), not two");
    // A key with a name of its own is a database point shown by that name.
    Scenario s = parse_scenario(base + "[[route]]\nkey = \"AP2\"\nname = \"Home\"\n", "s.toml");
    EXPECT_EQ(s.route.back().key, "AP2");
    EXPECT_EQ(s.route.back().name, "Home");
}

TEST(Scenario, RoutePointsByIdentifierAndKind) {
    Scenario s = parse_scenario("duration = 3\n[[route]]\nident = \"XPOR\"\nkind = \"airport\"\n"
                                "[[route]]\nident = \"OST\"\naltitude_ft = 4000\n",
                                "s.toml");
    ASSERT_EQ(s.route.size(), 2u);
    EXPECT_EQ(s.route[0].ident, "XPOR");
    EXPECT_EQ(s.route[0].kind, plans::PointKind::kAirport);
    EXPECT_EQ(s.route[1].kind, plans::PointKind::kAny);
    EXPECT_FALSE(s.route[1].latitude.has_value());
    const std::string first = "duration = 3\n[[route]]\nkey = \"A\"\n";
    EXPECT_EQ(error_of(first + "[[route]]\nident = \"OST\"\nkind = \"dme\"\n"),
              "s.toml:6: 'kind' must be one of airport, vor, ndb, fix, not \"dme\"");
    EXPECT_EQ(error_of(first + "[[route]]\nident = \"OST\"\nlat = 1.0\nlon = 2.0\n"),
              "s.toml:6: a route point has one of 'key' (a database key), 'ident' (an identifier of the world) or "
              "'lat' and 'lon' (a user waypoint), not two");
    EXPECT_EQ(error_of(first + "[[route]]\nident = \"\"\n"), "s.toml:5: 'ident' is empty");
    // A kind goes with an identifier only.
    EXPECT_EQ(error_of(first + "[[route]]\nkey = \"B\"\nkind = \"vor\"\n"), "s.toml:6: unknown key 'route.kind'");
}

// A scenario file and plan files in a scratch folder: scenarios/ and plans/.
struct PlanFolder {
    std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "scenario-plans";
    PlanFolder() {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "scenarios");
        std::filesystem::create_directories(dir / "plans");
    }
    std::filesystem::path write(const std::string &name, const std::string &text) const {
        std::ofstream(dir / name) << text;
        return dir / name;
    }
};

std::string load_error(const std::filesystem::path &file, const std::filesystem::path &plan = {}) {
    try {
        load_scenario(file, plan);
    } catch (const ScenarioError &e) {
        return e.what();
    }
    return "(no error)";
}

const char *const kTwoPoints = "I\n1100 Version\nNUMENR 2\n1 XTIL ADEP 12 43.16476 -12.03532\n"
                               "28 BEND DRCT 3000 43.0 -11.5\n";

TEST(Scenario, ARouteFileRelativeToTheScenarioGivesTheRoute) {
    PlanFolder f;
    f.write("plans/hop.fms", kTwoPoints);
    auto s = f.write("scenarios/flight.toml", "duration = 3\nroute_file = \"../plans/hop.fms\"\n");
    Scenario scenario = load_scenario(s);
    ASSERT_EQ(scenario.route.size(), 2u);
    EXPECT_EQ(scenario.route[0].ident, "XTIL");
    EXPECT_EQ(scenario.route[0].kind, plans::PointKind::kAirport);
    EXPECT_EQ(scenario.route[0].file, (f.dir / "plans/hop.fms").string());
    EXPECT_EQ(scenario.route[0].line, 4);
    EXPECT_DOUBLE_EQ(*scenario.route[0].latitude, 43.16476);
    EXPECT_EQ(scenario.route[1].name, "BEND");  // a latitude/longitude point is the pilot's own
    EXPECT_TRUE(scenario.route[1].ident.empty());
    EXPECT_EQ(*scenario.route[1].altitude_ft, 3000);

    // Not both; a file that is not there; a file that is not a plan.
    s = f.write("scenarios/both.toml", "duration = 3\nroute_file = \"../plans/hop.fms\"\n[[route]]\nkey = \"A\"\n");
    EXPECT_EQ(load_error(s), s.string() + ":2: the route comes from 'route_file' or from [[route]] tables, not both");
    s = f.write("scenarios/missing.toml", "duration = 3\n\nroute_file = \"../plans/gone.fms\"\n");
    EXPECT_EQ(load_error(s), s.string() + ":3: the plan file " + (f.dir / "plans/gone.fms").string() +
                                 " does not exist");
    f.write("plans/bad.fms", "I\n1100 Version\nNUMENR 1\n1 XTIL ADEP 12 43.1\n");
    s = f.write("scenarios/bad.toml", "duration = 3\nroute_file = \"../plans/bad.fms\"\n");
    EXPECT_EQ(load_error(s), (f.dir / "plans/bad.fms").string() +
                                 ":4: a point row has 6 fields (type ident via altitude lat lon), this one 5");
    f.write("plans/one.gpx", "<gpx><rte>\n<rtept lat=\"1\" lon=\"2\"/></rte></gpx>");
    s = f.write("scenarios/one.toml", "duration = 3\nroute_file = \"../plans/one.gpx\"\n");
    EXPECT_EQ(load_error(s), (f.dir / "plans/one.gpx").string() +
                                 ":2: the route needs at least two points; the plan holds 1");
}

TEST(Scenario, APlanGivenApartReplacesTheRouteAndSaysSo) {
    PlanFolder f;
    auto plan = f.write("plans/hop.fms", kTwoPoints);
    auto s = f.write("scenarios/flight.toml", std::string(kBase));
    Scenario scenario = load_scenario(s, plan);
    ASSERT_EQ(scenario.route.size(), 2u);
    EXPECT_EQ(scenario.route[0].ident, "XTIL");
    ASSERT_EQ(scenario.warnings.size(), 1u);
    EXPECT_EQ(scenario.warnings[0],
              s.string() + ": warning: its route of 2 points is replaced by the 2 points of " + plan.string());
    EXPECT_EQ(load_error(s, f.dir / "plans/gone.fms"),
              "the plan file " + (f.dir / "plans/gone.fms").string() + " does not exist");
    // As for [[route]], no point within a degree of a pole.
    plan = f.write("plans/pole.gpx", "<gpx><rte>\n<rtept lat=\"80\" lon=\"0\"/>\n<rtept lat=\"-89.5\" lon=\"0\"/></rte></gpx>");
    EXPECT_EQ(load_error(s, plan), plan.string() + ":3: latitude -89.5000 lies beyond 89: at a pole the map has no north");
    // A plan's own warnings come along.
    plan = f.write("plans/sid.fms", "I\n1100 Version\nSID TIL1\nNUMENR 2\n1 XTIL ADEP 0 43 -12\n1 XQUI ADES 0 43 -11\n");
    scenario = load_scenario(s, plan);
    ASSERT_EQ(scenario.warnings.size(), 2u);
    EXPECT_EQ(scenario.warnings[0], plan.string() + ":3: warning: SID TIL1 is not flown: the host flies the points the plan lists");
}

TEST(Scenario, AFolderIsNotAScenario) {
    std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "scenario-folder.toml";
    std::filesystem::create_directories(dir);
    try {
        load_scenario(dir);
        FAIL();
    } catch (const ScenarioError &e) {
        EXPECT_EQ(e.what(), dir.string() + ": is a folder, not a scenario file");
    }
}

TEST(Scenario, MissingFileIsNamed) {
    try {
        load_scenario("/nonexistent/flight.toml");
        FAIL();
    } catch (const ScenarioError &e) {
        EXPECT_STREQ(e.what(), "/nonexistent/flight.toml: cannot be read: No such file or directory");
    }
}

}  // namespace
}  // namespace panelhost

namespace panelhost {
namespace {

TEST(Scenario, DateIsADayOfTheCalendar) {
    EXPECT_FALSE(parse_scenario(kBase, "s.toml").date);
    Scenario s = parse_scenario("date = 2026-06-01\n" + std::string(kBase), "s.toml");
    EXPECT_EQ(s.date, (magnetic::Date{2026, 6, 1}));
    EXPECT_EQ(s.date_line, 1);
    EXPECT_EQ(parse_scenario(std::string(kBase).insert(11, "date = \"2027-01-31\"\n"), "s.toml").date, (magnetic::Date{2027, 1, 31}));
    for (const char *bad : {"date = \"2026-02-30\"\n", "date = 20260601\n", "date = 2026-06-01T10:00:00\n", "date = \"June\"\n"})
        EXPECT_EQ(error_of(bad + std::string(kBase)), "s.toml:1: 'date' must be a day of the calendar, YYYY-MM-DD") << bad;
}

}  // namespace
}  // namespace panelhost
