#include "navdata/angle.h"

#include <cmath>

#include "frame/host_api.h"

namespace navdata {

AngleCircle course_circle(360.0);
AngleCircle display_circle(360.0);
AngleCircle radian_circle(kRadianPeriod);

AngleCircle::AngleCircle(double period)
    : period_(period), last_result_(0.0), single_result_(0.0f), half_period_(period / 2.0) {}

AngleCircle::~AngleCircle() = default;

double AngleCircle::signed_difference(const double &a, const double &b) {
    double d = a - b;
    last_result_ = d;
    if (d < -half_period_) {
        d += period_;
    } else if (d > half_period_) {
        d -= period_;
    }
    last_result_ = d;
    return d;
}

float AngleCircle::wrapped_difference(double a, float b) { return wrap(float(a - double(b))); }

float AngleCircle::wrapped_difference(float a, float b) { return wrap(float(double(a) - double(b))); }

// d is already rounded to single precision. The fold takes the period in
// single precision too; only the negative correction adds it back in double.
float AngleCircle::wrap(float d) {
    single_result_ = d;
    if (double(d) >= 0.0 && double(d) < period_) return d;
    const double r = std::fmod(double(d), double(float(period_)));
    single_result_ = float(d >= 0.0f ? r : r + period_);
    return single_result_;
}

CourseDistance course_and_distance(const GeoPosition &from, const GeoPosition &to) {
    double v[3] = {0.0, 0.0, 0.0};
    host_position_vector(v, &from, &to);
    return {course_degrees(v[1]), distance_nm(v[2])};
}

}  // namespace navdata
