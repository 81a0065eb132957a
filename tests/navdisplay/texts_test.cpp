// The page's formatted texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "navdisplay/texts.h"

namespace navdisplay {
namespace {

std::string ete(double nm, float fps) {
    char buf[32];
    return format_ete(buf, sizeof buf, nm, fps);
}

TEST(Texts, TimeEnRoute) {
    EXPECT_EQ(ete(10.0, 42.0f), "00:00") << "42 ft/s or less";
    EXPECT_EQ(ete(10.0, 100.0f), "00:10") << "607.741 s";
    // t = DIS x 6077.41 / speed: speeds chosen for 3630 and 3690 seconds.
    EXPECT_EQ(ete(3630.0 * 100.0 / 6077.41, 100.0f), "01:00");
    EXPECT_EQ(ete(3690.0 * 100.0 / 6077.41, 100.0f), "01:01");
    EXPECT_EQ(ete(59.0 * 100.0 / 6077.41, 100.0f), "00:00");
    EXPECT_EQ(ete(0.0, 500.0f), "00:00");
}

TEST(Texts, TimeEnRouteAtWholeHoursAndMinutes) {
    EXPECT_EQ(ete(3600.0 * 60.0 / 6077.41, 60.0f).substr(0, 3), "01:") << "an hour reached counts";
    EXPECT_EQ(ete(7200.0 * 64.0 / 6077.41 + 1e-9, 64.0f), "02:00");
}

TEST(Texts, TimeEnRouteOfAbsurdDistances) {
    EXPECT_EQ(ete(1e300, 43.0f), "99999:59");
    EXPECT_EQ(ete(1e12, 43.0f), "99999:59");
    EXPECT_EQ(ete(std::numeric_limits<double>::infinity(), 100.0f), "99999:59");
    EXPECT_EQ(ete(std::numeric_limits<double>::quiet_NaN(), 100.0f), "00:00");
    EXPECT_EQ(ete(10.0, std::numeric_limits<float>::quiet_NaN()), "00:00");
}

TEST(Texts, BearingDistance) {
    char buf[768];
    EXPECT_STREQ(format_bearing_distance(buf, sizeof buf, 359.6, 0.0f, 9.88), "360/10");
    EXPECT_STREQ(format_bearing_distance(buf, sizeof buf, 5.0, 10.0f, 0.4), "355/0");
    EXPECT_STREQ(format_bearing_distance(buf, sizeof buf, 90.0, -3.0f, 7.5), "093/8");
    // Any distance fits the page's buffer whole.
    const std::string huge = format_bearing_distance(buf, sizeof buf, 0.0, 0.0f, 1e308);
    EXPECT_EQ(huge.size(), 4u + 309u);
    EXPECT_EQ(huge.substr(0, 5), "000/1");
}

TEST(Texts, FieldsWithoutTerminator) {
    char buf[16];
    const char full[5] = {'A', 'B', 'C', 'D', 'E'};
    EXPECT_STREQ(format_field(buf, sizeof buf, full), "ABCDE");
    const char shorter[9] = "XPOR";
    EXPECT_STREQ(format_field(buf, sizeof buf, shorter), "XPOR");
    char tiny[3];
    EXPECT_STREQ(format_field(tiny, sizeof tiny, full), "AB") << "cut to the buffer";
}

}  // namespace
}  // namespace navdisplay

#include <cstdio>
#include <random>

#include "navdisplay/number_format.h"

namespace navdisplay {
namespace {

// The fast texts must be printf's, character for character.
void expect_as_printf(const FixedFormat &f, double v) {
    char fast[64], slow[64];
    format_fixed(fast, sizeof fast, f, v);
    std::snprintf(slow, sizeof slow, f.printf_format, v);
    EXPECT_STREQ(fast, slow) << f.printf_format << " of " << v;
}

TEST(NumberFormat, MatchesPrintf) {
    const FixedFormat formats[] = {kWhole3, kWhole, kSignedWhole3, kTenths6, kHundredths6};
    const double special[] = {0.0, -0.0, -0.3, 0.5, 1.5, 2.5, -2.5, 9.5, 359.5, 359.6, 999.5, 0.05, 0.15,
                              0.25, 0.125, 113.9f, 108.05f, 1020.0, 1e9, -1e9, 1e300, -1e300, 1e-300,
                              std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN(), 12345678.9, -10.0, 10.0, 99.995};
    for (const FixedFormat &f : formats) {
        for (double v : special) expect_as_printf(f, v);
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> small(-1000.0, 1000.0), large(-2e9, 2e9);
        for (int i = 0; i < 20000; ++i) {
            expect_as_printf(f, small(rng));
            expect_as_printf(f, double(float(small(rng))));
            expect_as_printf(f, std::round(small(rng) * 100.0) / 100.0 + 0.005);
        }
        for (int i = 0; i < 2000; ++i) expect_as_printf(f, large(rng));
    }
}

TEST(NumberFormat, CutToTheBuffer) {
    char buf[4];
    format_fixed(buf, sizeof buf, kTenths6, 20.0);
    EXPECT_STREQ(buf, "002");
    char none[1] = {'x'};
    format_fixed(none, 0, kWhole, 5.0);
    EXPECT_EQ(none[0], 'x');
}

}  // namespace
}  // namespace navdisplay
