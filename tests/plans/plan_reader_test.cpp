// The plan readers: one sample file per format and version (the same route,
// Tiller Cove to Quillan Heath over the bundled world, in each notation), and
// the cases where a file is odd or broken.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "host/plans/plan_reader.h"

namespace panelhost::plans {
namespace {

const std::string kSamples = PLAN_SAMPLES;

std::string sample_text(const std::string &name) {
    std::ifstream in(kSamples + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The message of the PlanError that reading `text` throws, or "" when none.
std::string error_of(const std::string &text, const std::string &file = "plan") {
    try {
        read_plan(text, file);
    } catch (const PlanError &e) {
        return e.what();
    }
    return "";
}

struct Expected {
    const char *ident;
    PointKind kind;
    double lat, lon;
    double altitude_ft;  // 0: none
};

constexpr PointKind A = PointKind::kAirport, V = PointKind::kVor, N = PointKind::kNdb, F = PointKind::kFix,
                    U = PointKind::kUser, X = PointKind::kAny;

void expect_points(const Plan &plan, const std::vector<Expected> &want, double tolerance_deg = 1e-6) {
    ASSERT_EQ(plan.points.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        const PlannedPoint &p = plan.points[i];
        SCOPED_TRACE("point " + std::to_string(i) + " " + want[i].ident);
        EXPECT_EQ(p.ident, want[i].ident);
        EXPECT_EQ(p.kind, want[i].kind);
        if (std::isnan(want[i].lat)) {
            EXPECT_FALSE(p.latitude.has_value());
        } else {
            ASSERT_TRUE(p.latitude && p.longitude);
            EXPECT_NEAR(*p.latitude, want[i].lat, tolerance_deg);
            EXPECT_NEAR(*p.longitude, want[i].lon, tolerance_deg);
        }
        if (want[i].altitude_ft > 0) {
            ASSERT_TRUE(p.altitude_ft.has_value());
            EXPECT_NEAR(*p.altitude_ft, want[i].altitude_ft, 0.5);
        } else {
            EXPECT_FALSE(p.altitude_ft.has_value());
        }
    }
}

const double kNone = std::nan("");

TEST(PlanReader, XPlaneFmsOfVersion1100And1200) {
    Plan plan = read_plan(sample_text("fms/tiller-quillan-1100.fms"), "a.fms");
    EXPECT_EQ(plan.format, Format::kFms);
    EXPECT_EQ(plan.version, "1100");
    expect_points(plan, {{"XTIL", A, 43.16476, -12.03532, 12},
                         {"LSV", N, 42.90951, -12.17276, 3000},
                         {"TIKAF", F, 42.80647, -12.11968, 3000},
                         {"+42.950_-11.750", U, 42.95, -11.75, 4000},
                         {"EVL", V, 43.09338, -11.46104, 4000},
                         {"XQUI", A, 43.03383, -11.32125, 12}});
    EXPECT_EQ(plan.points[0].line, 7);  // CR LF line ends count once
    EXPECT_TRUE(plan.warnings.empty());

    // Procedures have no points in the file: each is named as not flown.
    plan = read_plan(sample_text("fms/tiller-quillan-1200.fms"), "b.fms");
    EXPECT_EQ(plan.version, "1200");
    ASSERT_EQ(plan.points.size(), 3u);
    ASSERT_EQ(plan.warnings.size(), 3u);
    EXPECT_EQ(plan.warnings[0], "b.fms:6: warning: SID TILR1 is not flown: the host flies the points the plan lists");
    EXPECT_NE(plan.warnings[2].find("b.fms:9: warning: APP R09"), std::string::npos);
}

TEST(PlanReader, XPlaneFmsOfVersion3) {
    // The trailing row of type 0 older files end with is no point; an
    // altitude of 0 is none.
    Plan plan = read_plan(sample_text("fms/tiller-quillan-v3.fms"), "v3.fms");
    EXPECT_EQ(plan.version, "3");
    expect_points(plan, {{"XTIL", A, 43.16476, -12.03532, 0},
                         {"LSV", N, 42.90951, -12.17276, 3000},
                         {"TIKAF", F, 42.80647, -12.11968, 3000},
                         {"EVL", V, 43.09338, -11.46104, 4000},
                         {"XQUI", A, 43.03383, -11.32125, 0}});
}

// Degrees, minutes and seconds to the hundredth: 0.01" is 3e-6 degrees.
constexpr double kDmsTolerance = 4e-6;

TEST(PlanReader, MicrosoftPlnOfFsxAndMsfsInDegreesMinutesSeconds) {
    Plan plan = read_plan(sample_text("pln/tiller-quillan-fsx.pln"), "fsx.pln");
    EXPECT_EQ(plan.format, Format::kPln);
    EXPECT_EQ(plan.version, "10");
    expect_points(plan,
                  {{"XTIL", A, 43.16476, -12.03532, 12},
                   {"LSV", N, 42.90951, -12.17276, 3000},
                   {"TIKAF", F, 42.80647, -12.11968, 3000},
                   {"BAYPT", U, 42.95, -11.75, 4000},
                   {"EVL", V, 43.09338, -11.46104, 4000},
                   {"XQUI", A, 43.03383, -11.32125, 12}},
                  kDmsTolerance);
    EXPECT_EQ(plan.points[1].line, 27);

    // MSFS: a byte order mark, CR LF, whole seconds, a user point named in
    // mixed case.
    plan = read_plan(sample_text("pln/tiller-quillan-msfs.pln"), "msfs.pln");
    EXPECT_EQ(plan.version, "11");
    expect_points(plan,
                  {{"XTIL", A, 43.16476, -12.03532, 12},
                   {"Lake", U, 42.95, -11.75, 4000},
                   {"EVL", V, 43.09338, -11.46104, 4000},
                   {"XQUI", A, 43.03383, -11.32125, 12}},
                  kDmsTolerance);
}

std::string pln_with(const std::string &position) {
    return "<?xml version=\"1.0\"?>\n<SimBase.Document><FlightPlan.FlightPlan>\n"
           "<ATCWaypoint id=\"P\"><ATCWaypointType>User</ATCWaypointType><WorldPosition>" +
           position + "</WorldPosition></ATCWaypoint>\n</FlightPlan.FlightPlan></SimBase.Document>\n";
}

TEST(PlanReader, PlnPositionsInTheirVariants) {
    struct Case {
        std::string position;
        double lat, lon, altitude;
    } cases[] = {
        {"S12° 30' 0.00\",E100° 15' 36.00\",+001500.00", -12.5, 100.26, 1500},
        {"N0° 0' 0.36\",W0° 0' 0.36\",-000010.00", 0.0001, -0.0001, 0},  // below sea level: no altitude
        {"N43\xB0 9' 53.14\",W12\xB0 2' 7.15\"", 43.16476, -12.03532, 0},  // a Latin-1 degree sign, no altitude
        {"N43.164760\xC2\xB0,W12.035320\xC2\xB0", 43.16476, -12.03532, 0},  // decimal degrees
        {"43 9 53.14 N, 12 2 7.15 W", 43.16476, -12.03532, 0},              // the letter after
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.position);
        Plan plan = read_plan(pln_with(c.position), "p.pln");
        ASSERT_EQ(plan.points.size(), 1u);
        EXPECT_NEAR(*plan.points[0].latitude, c.lat, kDmsTolerance);
        EXPECT_NEAR(*plan.points[0].longitude, c.lon, kDmsTolerance);
        EXPECT_EQ(plan.points[0].altitude_ft.value_or(0), c.altitude);
    }
    for (const char *bad : {"N43° 61' 0\",W12° 0' 0\"", "43° 9' 53\",W12° 2' 7\"", "N43° 9' 53\",N12° 2' 7\"",
                            "N43° 9' 53\"", "N-43° 9' 53\",W12° 0' 0\"", "N43° 9' 53\",W12° 2' 7\",high", "N95° 0' 0\",W12° 0' 0\"",
                            "N333333333333333333333333333333333333° 5' 0\",W12° 0' 0\""}) {
        SCOPED_TRACE(bad);
        std::string e = error_of(pln_with(bad), "p.pln");
        EXPECT_EQ(e.rfind("p.pln:3: ", 0), 0u) << e;
    }
}

TEST(PlanReader, LittleNavmapGarminGpxAndFlightGear) {
    Plan plan = read_plan(sample_text("lnmpln/tiller-quillan.lnmpln"), "a.lnmpln");
    EXPECT_EQ(plan.format, Format::kLnmpln);
    EXPECT_EQ(plan.version, "1.2");
    expect_points(plan, {{"XTIL", A, 43.16476, -12.03532, 12},
                         {"LSV", N, 42.90951, -12.17276, 3000},
                         {"TIKAF", F, 42.80647, -12.11968, 3000},
                         {"BAYPT", U, 42.95, -11.75, 4000},
                         {"EVL", V, 43.09338, -11.46104, 4000},
                         {"XQUI", A, 43.03383, -11.32125, 12}});

    // Garmin: the route's points looked up in the waypoint table; no altitudes.
    plan = read_plan(sample_text("fpl/tiller-quillan.fpl"), "a.fpl");
    EXPECT_EQ(plan.format, Format::kFpl);
    expect_points(plan, {{"XTIL", A, 43.16476, -12.03532, 0},
                         {"LSV", N, 42.90951, -12.17276, 0},
                         {"TIKAF", F, 42.80647, -12.11968, 0},
                         {"BAYPT", U, 42.95, -11.75, 0},
                         {"EVL", V, 43.09338, -11.46104, 0},
                         {"XQUI", A, 43.03383, -11.32125, 0}});
    EXPECT_EQ(plan.points[1].line, 62);  // the route point's line, not the table's

    // GPX: elevations in metres; a point without a name is the pilot's own.
    plan = read_plan(sample_text("gpx/tiller-quillan.gpx"), "a.gpx");
    EXPECT_EQ(plan.format, Format::kGpx);
    expect_points(plan, {{"XTIL", A, 43.16476, -12.03532, 12},
                         {"LSV", X, 42.90951, -12.17276, 3000},
                         {"TIKAF", X, 42.80647, -12.11968, 3000},
                         {"", U, 42.95, -11.75, 4000},
                         {"EVL", X, 43.09338, -11.46104, 4000},
                         {"XQUI", X, 43.03383, -11.32125, 12}});

    // FlightGear: the runway stands for its airport, found by identifier; the
    // destination comes from its own element; a route break is not flown.
    plan = read_plan(sample_text("flightgear/tiller-quillan.fgfp"), "a.fgfp");
    EXPECT_EQ(plan.format, Format::kFlightGear);
    EXPECT_EQ(plan.version, "2");
    expect_points(plan, {{"XTIL", A, kNone, kNone, 0},
                         {"LSV", X, 42.90951, -12.17276, 3000},
                         {"TIKAF", X, 42.80647, -12.11968, 0},
                         {"BAYPT", U, 42.95, -11.75, 4000},
                         {"EVL", X, 43.09338, -11.46104, 0},
                         {"XQUI", A, kNone, kNone, 0}});
    EXPECT_EQ(plan.points.back().line, 8);
    ASSERT_EQ(plan.warnings.size(), 1u);
    EXPECT_EQ(plan.warnings[0], "a.fgfp:44: warning: a waypoint of type \"DISCONTINUITY\" is not flown");
}

TEST(PlanReader, TheFormatComesFromTheContentsNotTheName) {
    for (const char *sample : {"fms/tiller-quillan-1100.fms", "pln/tiller-quillan-msfs.pln", "lnmpln/tiller-quillan.lnmpln",
                               "fpl/tiller-quillan.fpl", "gpx/tiller-quillan.gpx", "flightgear/tiller-quillan.fgfp"}) {
        SCOPED_TRACE(sample);
        std::string text = sample_text(sample);
        Format f = detect_format(text, "plan.txt");
        EXPECT_EQ(read_plan(text, "plan.txt").format, f);
        EXPECT_EQ(read_plan(text, "plan.txt", f).points.size(), read_plan(text, "x").points.size());
    }
    EXPECT_EQ(error_of("hello\nworld\n", "notes.fms"),
              "notes.fms:1: not a flight plan: the plans this host reads are X-Plane .fms, .pln, Little Navmap .lnmpln, "
              "Garmin .fpl, GPX routes and FlightGear route XML (an .fms file begins with a line 'I')");
    EXPECT_EQ(error_of("<?xml version=\"1.0\"?>\n<!-- a comment -->\n<kml><Document/></kml>", "a.kml").rfind(
                  "a.kml:1: an XML document of <kml>, not a flight plan", 0),
              0u);
    EXPECT_NE(error_of(""), "");
}

TEST(PlanReader, AnEmptyRouteIsRefusedAtItsLine) {
    EXPECT_EQ(error_of("I\n1100 Version\nADEP XTIL\nNUMENR 0\n", "e.fms"), "e.fms:4: the plan holds no route points");
    EXPECT_EQ(error_of("I\n3 version\n1\n0\n", "e.fms"), "e.fms:4: the plan holds no route points");
    EXPECT_EQ(error_of("<LittleNavmap><Flightplan>\n<Waypoints>\n</Waypoints></Flightplan></LittleNavmap>", "e.lnmpln"),
              "e.lnmpln:2: the plan holds no route points");
    EXPECT_EQ(error_of("<gpx>\n<rte><name>x</name></rte></gpx>", "e.gpx"), "e.gpx:2: the plan holds no route points");
    EXPECT_EQ(error_of("<gpx>\n<trk><trkseg/></trk></gpx>", "e.gpx"),
              "e.gpx:1: no route (<rte>): tracks and loose waypoints are not read as a plan");
    EXPECT_EQ(error_of("<flight-plan><waypoint-table/>\n<route/></flight-plan>", "e.fpl"),
              "e.fpl:2: the plan holds no route points");
}

TEST(PlanReader, AMalformedFileIsNamedWithItsLineAndWhatIsWrong) {
    const std::string fms = "I\n1100 Version\nNUMENR 2\n1 XTIL ADEP 12 43.1 -12.0\n";
    struct Case {
        std::string text, error;
    } cases[] = {
        {"I\n1100 Version\nNUMENR 2\n1 XTIL ADEP 12 43.1 -12.0\n", "f:3: the count says 2 points, the file holds 1"},
        {fms + "3 EVL DRCT 0 43.1\n", "f:5: a point row has 6 fields (type ident via altitude lat lon), this one 5"},
        {fms + "5 EVL DRCT 0 43.1 -12\n", "f:5: unknown point type \"5\" (1 airport, 2 NDB, 3 VOR, 11 fix, 28 latitude/longitude)"},
        {fms + "3 EVL DRCT 0 43,1 -12\n", "f:5: the latitude \"43,1\" is not a number"},
        {fms + "3 EVL DRCT 0 91 -12\n", "f:5: latitude 91.000000 lies outside -90 .. 90"},
        {fms + "3 EVL DRCT 90000 43 -12\n", "f:5: altitude 90000 ft lies above 60000 ft"},
        {fms + "3 EVL DRCT 1e9 43 -12\n", "f:5: altitude 1000000000 ft lies above 60000 ft"},
        {"I\n1100 Version\nNUMENR 1e30\n", "f:3: NUMENR must be a whole number, not \"1e30\""},
        {"I\n1000 Version\n", "f:2: version 1000 is not one this reader knows (3, and 1100 and later)"},
        {"I\nVersion 1100\n", "f:2: the second line must be the version, such as '1100 Version', not \"Version 1100\""},
        {"I\n1100 Version\nADEP XTIL\n", "f:3: the file ends early: more lines were due after line 3"},
        {"I\n1100 Version\n1 XTIL ADEP 12 43.1 -12.0\n", "f:3: a point row before NUMENR, the count of points"},
        {"<gpx>\n<rte>\n<rtept lat=\"43\" lon=\"-12\"><name>A</name></rtept>\n<rtept lat=\"43\"><name>B</name></rte></gpx>",
         "f:4:33: not well-formed XML: Start-end tags mismatch"},
        {"<gpx>\n<rte>\n<rtept lat=\"43\"><name>A</name></rtept>\n</rte></gpx>", "f:3: the longitude \"\" is not a number"},
        {"<LittleNavmap><Flightplan><Waypoints>\n<Waypoint><Ident>A</Ident></Waypoint>\n</Waypoints></Flightplan></LittleNavmap>",
         "f:2: the waypoint A has no <Pos>"},
        {"<flight-plan><waypoint-table>\n<waypoint><identifier>A</identifier><type>VOR</type><lat>1</lat><lon>2</lon></waypoint>\n"
         "</waypoint-table><route>\n<route-point><waypoint-identifier>A</waypoint-identifier><waypoint-type>NDB</waypoint-type>"
         "</route-point>\n</route></flight-plan>",
         "f:4: the route point A (NDB) has no entry in the waypoint-table"},
        {"<PropertyList><version>2</version>\n<route>\n<wp><type>basic</type><ident>U</ident></wp>\n</route></PropertyList>",
         "f:3: the user waypoint U has no position"},
        {"<PropertyList>\n<route><wp><type>navaid</type><lat>1</lat><lon>2</lon></wp></route></PropertyList>",
         "f:2: a point of the world needs an identifier"},
        {"<SimBase.Document>\n<FlightPlan.FlightPlan>\n<ATCWaypoint id=\"A\"></ATCWaypoint>\n</FlightPlan.FlightPlan></SimBase.Document>",
         "f:3: the waypoint A has no <WorldPosition>"},
        {"<SimBase.Document>\n</SimBase.Document>", "f:1: <SimBase.Document> has no <FlightPlan.FlightPlan>"},
    };
    for (const Case &c : cases) EXPECT_EQ(error_of(c.text, "f"), c.error) << c.text;
}

TEST(PlanReader, GpxWithSeveralRoutesFliesTheFirstAndNamesAreCut) {
    std::string long_name(70, 'N');
    long_name.replace(60, 4, "\xC3\xA9\xC3\xA9");  // two-byte letters at the cut
    Plan plan = read_plan("<gpx>\n<rte><rtept lat=\"1\" lon=\"2\"><name>" + long_name +
                              "</name></rtept><rtept lat=\"1\" lon=\"3\"/></rte>\n<rte><rtept lat=\"5\" lon=\"5\"/></rte></gpx>",
                          "g.gpx");
    ASSERT_EQ(plan.points.size(), 2u);
    EXPECT_EQ(plan.points[0].ident, long_name.substr(0, 62));  // never half a letter
    ASSERT_EQ(plan.warnings.size(), 2u);
    EXPECT_EQ(plan.warnings[0], "g.gpx:3: warning: the file holds 2 routes; the first is flown");
    EXPECT_EQ(plan.warnings[1].rfind("g.gpx:2: warning: the name \"NNNN", 0), 0u);
}

TEST(PlanReader, FilesAreReadWholeOrRefused) {
    EXPECT_THROW(load_plan(kSamples + "/no-such-plan.fms"), PlanError);
    EXPECT_THROW(load_plan(kSamples), PlanError);  // a folder
    EXPECT_EQ(load_plan(kSamples + "/gpx/tiller-quillan.gpx").points.size(), 6u);
    std::string huge(kMaxPlanBytes + 1, ' ');
    EXPECT_NE(error_of(huge).find("larger than any flight plan"), std::string::npos);
}

}  // namespace
}  // namespace panelhost::plans
