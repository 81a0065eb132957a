// The World Magnetic Model against its published test values, and the dates
// it is evaluated at.
#include <gtest/gtest.h>

#include <cmath>

#include "magnetic/model.h"

namespace {

struct TestValue {
    double year, height_km, latitude, longitude;
    double x, y, z, h, f, inclination, declination;
};

// The WMM2025 report's test values: decimal year, height above the
// ellipsoid (km), geodetic latitude and longitude (degrees); the field in nT,
// inclination and declination in degrees (given to 0.01).
constexpr TestValue kPublished[] = {
    {2025, 28, 89, -121, -255.388723, -1482.460628, 56194.288771, 1504.298146, 56214.419888, 88.47, -99.77},
    {2025, 48, 80, -96, 1875.982280, -1079.269389, 55623.044051, 2164.285547, 55665.134163, 87.77, -29.91},
    {2025, 54, 82, 87, 1324.336929, 1883.428620, 56740.772059, 2302.427342, 56787.466800, 87.68, 54.89},
    {2025, 65, 43, 93, 24299.852822, 210.517066, 50037.923998, 24300.764692, 55626.621348, 64.10, 0.50},
    {2025, 51, -33, 109, 21737.778822, -2090.274098, -52710.003920, 21838.046477, 57054.752538, -67.50, -5.49},
    {2025, 39, -59, -8, 14358.095523, -4049.107540, -24389.086374, 14918.115796, 28589.818346, -58.55, -15.75},
    {2025, 3, -50, -103, 19526.532799, 10362.990980, -31437.562789, 22106.041373, 38431.724126, -54.89, 27.96},
    {2025, 94, -29, -110, 23275.471080, 6559.046509, -19063.605287, 24181.990098, 30792.688931, -38.25, 15.74},
    {2025, 66, 14, 143, 35003.441364, -116.624818, 7966.315182, 35003.635649, 35898.700342, 12.82, -0.19},
    {2025, 18, 0, 21, 29274.811882, 659.800118, -14316.722540, 29282.246275, 32594.761714, -26.06, 1.29},
    {2025.5, 6, -36, -137, 23781.930678, 8786.698927, -32577.518648, 25353.230658, 41280.516301, -52.11, 20.28},
    {2025.5, 63, 26, 81, 34802.613433, 308.431881, 30332.056989, 34803.980117, 46166.554053, 41.07, 0.51},
    {2025.5, 69, 38, -144, 22510.804524, 5167.636206, 35525.990264, 23096.337032, 42373.774537, 56.97, 12.93},
    {2025.5, 50, -70, -133, 9021.847823, 14001.865232, -51084.838301, 16656.709403, 53731.803175, -71.94, 57.21},
    {2025.5, 8, -52, -75, 19331.857134, 5147.774727, -23532.664273, 20005.506364, 30886.996822, -49.63, 14.91},
    {2025.5, 8, -66, 17, 15201.438652, -9925.501123, -30881.123197, 18154.870136, 35822.382382, -59.55, -33.14},
    {2025.5, 22, -37, 140, 21404.761773, 3498.897430, -55397.587760, 21688.847590, 59492.006517, -68.62, 9.28},
    {2025.5, 40, -12, -129, 28594.451238, 5432.201489, -8052.525092, 29105.866326, 30199.248583, -15.46, 10.76},
    {2025.5, 44, 33, -118, 23235.835850, 4558.379362, 37727.715752, 23678.743422, 44542.826874, 57.89, 11.10},
    {2025.5, 50, -81, -67, 16132.682326, 8623.494405, -44412.283868, 18292.842720, 48032.062762, -67.61, 28.13},
};

TEST(MagneticModel, MatchesThePublishedTestValues) {
    const magnetic::Model &model = magnetic::wmm2025();
    for (const TestValue &v : kPublished) {
        SCOPED_TRACE(testing::Message() << v.year << " " << v.height_km << " km " << v.latitude << ", " << v.longitude);
        const magnetic::Field f = model.field(v.latitude, v.longitude, v.height_km, v.year);
        EXPECT_NEAR(f.declination, v.declination, 0.01);
        EXPECT_NEAR(f.inclination, v.inclination, 0.01);
        EXPECT_NEAR(f.x, v.x, 0.01);
        EXPECT_NEAR(f.y, v.y, 0.01);
        EXPECT_NEAR(f.z, v.z, 0.01);
        EXPECT_NEAR(f.h, v.h, 0.01);
        EXPECT_NEAR(f.f, v.f, 0.01);
        EXPECT_DOUBLE_EQ(model.declination(v.latitude, v.longitude, v.height_km, v.year), f.declination);
    }
}

TEST(MagneticModel, AnswersAtThePolesWithoutFailing) {
    for (double latitude : {90.0, -90.0}) {
        const magnetic::Field f = magnetic::wmm2025().field(latitude, 0.0, 0.0, 2026.0);
        EXPECT_TRUE(std::isfinite(f.declination));
        EXPECT_GT(std::fabs(f.inclination), 70.0);
    }
}

TEST(MagneticModel, DatesAreDaysOfTheCalendar) {
    EXPECT_EQ(magnetic::parse_date("2026-06-01"), (magnetic::Date{2026, 6, 1}));
    EXPECT_EQ(magnetic::parse_date("2028-02-29"), (magnetic::Date{2028, 2, 29}));
    for (const char *bad : {"2026-02-29", "2026-13-01", "2026-04-31", "2026-00-10", "2026-6-1", "26-06-01", "2026/06/01",
                            "2026-06-01 ", "", "year-mo-da"})
        EXPECT_FALSE(magnetic::parse_date(bad)) << bad;
    EXPECT_EQ(magnetic::date_text({2025, 1, 2}), "2025-01-02");
    EXPECT_DOUBLE_EQ(magnetic::decimal_year({2025, 1, 1}), 2025.0);
    EXPECT_DOUBLE_EQ(magnetic::decimal_year({2025, 7, 2}), 2025.0 + 182.0 / 365.0);
    EXPECT_DOUBLE_EQ(magnetic::decimal_year({2028, 12, 31}), 2028.0 + 365.0 / 366.0);
}

TEST(MagneticModel, CoversItsFiveYears) {
    const magnetic::Model &m = magnetic::wmm2025();
    EXPECT_TRUE(m.covers({2025, 1, 1}));
    EXPECT_TRUE(m.covers({2029, 12, 31}));
    EXPECT_FALSE(m.covers({2024, 12, 31}));
    EXPECT_FALSE(m.covers({2030, 1, 1}));
    EXPECT_EQ(magnetic::model_named("WMM2025"), &m);
    EXPECT_EQ(magnetic::model_named("WMM2020"), nullptr);
}

}  // namespace
