#include <gtest/gtest.h>

#include <cmath>

#include "navdata/angle.h"
#include "tests/navdata/fake_host.h"

using navdata::AngleCircle;

TEST(AngleCircle, SignedDifferenceFoldsOnceAndKeepsTheHalfPeriod) {
    AngleCircle &r = navdata::radian_circle;
    EXPECT_EQ(r.period(), 6.2831854820251465);
    EXPECT_EQ(r.half_period(), 6.2831854820251465 / 2.0);
    EXPECT_EQ(r.signed_difference(3.0, -3.0), 6.0 - 6.2831854820251465);
    EXPECT_EQ(r.last_result(), 6.0 - 6.2831854820251465);
    EXPECT_EQ(r.signed_difference(-3.0, 3.0), -6.0 + 6.2831854820251465);

    AngleCircle deg(360.0);
    EXPECT_EQ(deg.signed_difference(180.0, 0.0), 180.0);
    EXPECT_EQ(deg.signed_difference(0.0, 180.0), -180.0);
    EXPECT_EQ(deg.signed_difference(10.0, 350.0), 20.0);
    // Only one correction: inputs further apart stay outside the range.
    EXPECT_EQ(deg.signed_difference(800.0, 0.0), 440.0);
}

TEST(AngleCircle, WrappedDifferenceFoldsIntoThePeriodInSinglePrecision) {
    AngleCircle &c = navdata::course_circle;
    EXPECT_EQ(c.wrapped_difference(10.0, 20.0f), 350.0f);
    EXPECT_EQ(c.wrapped_difference(370.0, 0.0f), 10.0f);
    EXPECT_EQ(c.single_result(), 10.0f);
    // fmod(-360, 360) is -0, plus 360: the result is 360, not 0.
    EXPECT_EQ(c.wrapped_difference(0.0, 360.0f), 360.0f);
    EXPECT_EQ(c.wrapped_difference(360.0, 0.0f), 0.0f);
    // 359.99999 rounds to 360.0f before the fold.
    EXPECT_EQ(c.wrapped_difference(359.99999, 0.0f), 0.0f);
    EXPECT_EQ(navdata::display_circle.wrapped_difference(725.0f, 5.0f), 0.0f);
    EXPECT_EQ(navdata::display_circle.wrapped_difference(-0.5f, 0.0f), 359.5f);
    // The difference is rounded to single precision even when it lies within.
    EXPECT_EQ(c.wrapped_difference(100.000000001, 0.0f), 100.0f);
}

TEST(AngleCircle, RadianFoldTakesThePeriodInSinglePrecision) {
    AngleCircle &r = navdata::radian_circle;
    const float d = float(7.0 - 0.0);
    const float expected = float(std::fmod(double(d), double(float(navdata::kRadianPeriod))));
    EXPECT_EQ(r.wrapped_difference(7.0, 0.0f), expected);
    const float n = float(-1.0);
    EXPECT_EQ(r.wrapped_difference(-1.0f, 0.0f), float(std::fmod(double(n), double(float(navdata::kRadianPeriod))) + navdata::kRadianPeriod));
}

TEST(Conversions, ExactConstants) {
    EXPECT_EQ(navdata::distance_nm(6070.0), 1.0);
    EXPECT_EQ(navdata::course_degrees(3.141592653589793), 180.0);
    EXPECT_EQ(navdata::kDisplayRadiansPerDegree, 0.017453293005625408);

    WorkingFolder folder;
    fake_host::use_fixed_vector(0.5, 12140.0);
    const GeoPosition a{1.0, 2.0, 3.0}, b{4.0, 5.0, 6.0};
    const navdata::CourseDistance cd = navdata::course_and_distance(a, b);
    EXPECT_EQ(cd.course_degrees, 0.5 / 0.017453292519943295);
    EXPECT_EQ(cd.distance_nm, 2.0);
    EXPECT_EQ(fake_host::last_from().latitude, 1.0);
    EXPECT_EQ(fake_host::last_to().altitude, 6.0);
}
