// Golden pictures: frames of the bundled flight compared pixel for pixel
// with the committed PNGs in tests/golden. On a mismatch the actual picture
// and a difference picture are written under the build folder (their paths
// printed), so the source tree may be read-only.
//
// Re-record (after a deliberate change of a picture):
//   GOLDEN_RECORD=1 <build>/tests/fly/golden_tests
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/output/png.h"
#include "tests/fly/fly_support.h"

namespace panelhost {
namespace {
namespace fs = std::filesystem;

struct Check {
    double at;  // seconds into the flight
    const char *gauge;
    const char *what;
};

// The display in several modes, each radio head, the rocker pressed and at rest.
const Check kChecks[] = {
    {12.0, "display", "route, waypoints with identifiers, zoom 2"},
    {52.0, "rocker", "upper half pressed"},
    {75.0, "display", "traffic, VOR identifiers, airports with identifiers, zoom 3"},
    {75.0, "com", "121.500 / 122.800"},
    {75.0, "nav", "116.30 / 108.10"},
    {75.0, "adf", "0375"},
    {75.0, "xpdr", "4721"},
    {75.0, "rocker", "at rest"},
    {150.0, "display", "NDB frequencies with bearings, zoom 2"},
};

// Differences in red over a dimmed copy of the golden picture.
Image difference(const Image &golden, const Image &actual) {
    Image d(std::max(golden.width, actual.width), std::max(golden.height, actual.height), 0xff0000);
    for (int y = 0; y < std::min(golden.height, actual.height); ++y)
        for (int x = 0; x < std::min(golden.width, actual.width); ++x) {
            uint32_t g = golden.at(x, y);
            d.at(x, y) = g == actual.at(x, y) ? (g >> 2) & 0x3f3f3f : 0xff0000;
        }
    return d;
}

TEST(Golden, BundledFlightFrames) {
    const bool record = std::getenv("GOLDEN_RECORD") != nullptr;
    fs::path golden_dir = FLY_TEST_GOLDEN;
    fs::path out_dir = FLY_TEST_GOLDEN_OUT;
    Scenario scenario = load_scenario(FLY_TEST_SCENARIO);
    Cockpit cockpit(scenario, test::build_paths(), test::scratch("golden") / "run");
    int mismatches = 0;
    for (const Check &c : kChecks) {
        while (cockpit.time() < c.at - scenario.step / 2) cockpit.frame();
        const GaugeView *g = cockpit.gauge(c.gauge);
        ASSERT_NE(g, nullptr) << c.gauge;
        Image actual = Cockpit::shown(*g);
        char name[64];
        std::snprintf(name, sizeof name, "%05.1fs-%s", c.at, c.gauge);
        fs::path golden = golden_dir / (std::string(name) + ".png");
        fs::path actual_file = out_dir / (std::string(name) + ".actual.png");
        fs::path diff_file = out_dir / (std::string(name) + ".diff.png");
        if (record) {
            write_png(golden, actual);
            fs::remove(actual_file);
            fs::remove(diff_file);
            continue;
        }
        ASSERT_TRUE(fs::exists(golden)) << golden << " is missing; record it with: GOLDEN_RECORD=1 " << FLY_TEST_SELF;
        Image expected = read_png(golden);
        if (expected == actual) {
            fs::remove(actual_file);
            fs::remove(diff_file);
            continue;
        }
        ++mismatches;
        fs::create_directories(out_dir);
        write_png(actual_file, actual);
        write_png(diff_file, difference(expected, actual));
        ADD_FAILURE() << name << " (" << c.what << ") differs from " << golden << "\n  actual: " << actual_file
                      << "\n  difference: " << diff_file;
        std::printf("actual: %s\ndifference: %s\n", actual_file.c_str(), diff_file.c_str());
    }
    EXPECT_TRUE(cockpit.log().section("problems").empty()) << cockpit.log().section("problems").dump();
    if (mismatches)
        std::printf("If the new pictures are right, re-record them with:\n  GOLDEN_RECORD=1 %s\n", FLY_TEST_SELF);
}

}  // namespace
}  // namespace panelhost
