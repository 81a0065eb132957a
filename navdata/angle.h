// Angles on a circle, unit conversions and the host's bearing-and-distance.
//
// The display does no spherical trigonometry: the host measures bearings and
// distances. What is done here is keeping angles on their circle with the
// exact single- and double-precision roundings the display's figures depend on.
#pragma once

#include "frame/abi.h"

namespace navdata {

// Feet in a nautical mile as the host counts them: 6070, not 6076.
constexpr double FEET_PER_NM = 6070.0;
constexpr double ARCSEC_PER_DEGREE = 3600.0;
// Host bearings (radians) are divided by this to give degrees.
constexpr double kHostRadiansPerDegree = 0.017453292519943295;
// Display angles (degrees) are multiplied by this: pi in single precision / 180.
constexpr double kDisplayRadiansPerDegree = double(3.1415927f) / 180.0;
// Period of the radian circle: both factors in single precision, product in double.
constexpr double kRadianPeriod = double(2.0f) * double(3.1415927f);

static_assert(kDisplayRadiansPerDegree == 0.017453293005625408);
static_assert(kRadianPeriod == 6.2831854820251465);

// An angle quantity on a circle of fixed period. Every operation leaves its
// result in the object, so one instance serves one caller at a time.
class AngleCircle {
public:
    explicit AngleCircle(double period);
    virtual ~AngleCircle();

    // a - b folded once into [-P/2, +P/2]; exactly -P/2 and +P/2 stay.
    double signed_difference(const double &a, const double &b);
    // a - b rounded to single precision and folded into [0, P).
    float wrapped_difference(double a, float b);
    float wrapped_difference(float a, float b);

    double period() const { return period_; }
    double half_period() const { return half_period_; }
    double last_result() const { return last_result_; }
    float single_result() const { return single_result_; }

private:
    float wrap(float d);

    double period_;
    double last_result_;
    float single_result_;
    double half_period_;
};

// The shared instances, alive for as long as the plug-in is loaded.
extern AngleCircle course_circle;   // degrees: bearing to the active waypoint
extern AngleCircle display_circle;  // degrees: headings, tracks and DTK on the page
extern AngleCircle radian_circle;   // radians: bearings relative to the map heading

// Host bearing in radians to degrees; host distance in feet to nautical miles.
constexpr double course_degrees(double bearing_radians) { return bearing_radians / kHostRadiansPerDegree; }
constexpr double distance_nm(double feet) { return feet / FEET_PER_NM; }

// The host's true bearing (degrees) and distance (nautical miles) from one
// position to another, converted in double precision.
struct CourseDistance {
    double course_degrees;
    double distance_nm;
};
CourseDistance course_and_distance(const GeoPosition &from, const GeoPosition &to);

}  // namespace navdata
