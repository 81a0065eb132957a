#include "navdisplay/nav.h"

#include <cmath>
#include <cstring>

#include "frame/host_api.h"
#include "navdata/angle.h"

namespace navdisplay {
namespace {

constexpr float kLegRefreshSeconds = 5.0f;
// The degree tables' own factor, not the full-precision one.
constexpr double kTableRadiansPerDegree = 0.01745329252;

NavState g_nav;

}  // namespace

NavState &nav_state() { return g_nav; }

NavState::NavState() = default;
NavState::~NavState() = default;

void NavState::refresh_own_position() {
    host_get_user_object(&user_object);
    host_object_get_position(&user_object, &own_position);
    host_object_get_value_281(&user_object, &displayed_heading);
    host_object_get_value_280(&user_object, &map_heading_source);
    map_heading = host_convert_value_208(map_heading_source);
    host_object_get_record_156(&user_object, motion);
    host_object_get_value_282(&user_object, &variation);
}

void NavState::place(const GeoPosition &target, double reference_angle, int32_t range_scale, bool fold,
                     double vector[3], double offset[2]) {
    host_position_vector(vector, &own_position, &target);
    relative_angle = fold ? navdata::radian_circle.signed_difference(reference_angle, vector[1])
                          : reference_angle - vector[1];
    offset[0] = std::sin(relative_angle) * vector[2] / range_scale;
    offset[1] = -std::cos(relative_angle) * vector[2] / range_scale;
    vector[1] = navdata::course_degrees(vector[1]);
    vector[2] = navdata::distance_nm(vector[2]);
}

void NavState::place_position(double latitude, double longitude, double reference_angle, int32_t range_scale) {
    place(GeoPosition{latitude, longitude, 0.0}, reference_angle, range_scale, false, position_vector,
          position_offset);
}

void NavState::place_plan_point(size_t i, double reference_angle, int32_t range_scale) {
    const navdata::FlightPlanLeg *leg = nav_data.published_leg(i);
    if (leg == nullptr) return;
    place(leg->position, reference_angle, range_scale, true, plan_vector, plan_offset);
}

void NavState::update_leg_track(size_t i) {
    leg_timer_ += host_get_frame_seconds();
    if (!(leg_timer_ > kLegRefreshSeconds)) return;
    leg_timer_ = 0.0f;
    const navdata::FlightPlanLeg *leg = nav_data.working_leg(i);
    if (leg == nullptr) return;
    host_position_vector(leg_vector, &own_position, &leg->position);
    leg_vector[1] = navdata::course_circle.wrapped_difference(navdata::course_degrees(leg_vector[1]), leg->variation);
    leg_vector[2] = navdata::distance_nm(leg_vector[2]);
}

int NavState::clip_to_window(int32_t bx, int32_t by, int32_t ax, int32_t ay, int32_t left, int32_t top,
                             int32_t right, int32_t bottom) {
    clip_a = {double(ax), double(ay)};
    clip_b = {double(bx), double(by)};
    clip_window = {double(left), double(top), double(right), double(bottom)};
    return render::clip_segment(clip_a, clip_b, clip_window);
}

// The cursor only walks the list it came with: the list is released by its
// head, once, whatever node the cursor was left on.
void NavState::refresh_traffic() {
    traffic_cursor = nullptr;
    release_traffic();
    traffic_count = host_get_traffic_list(&traffic_cursor);
    traffic_list = traffic_cursor;
}

void NavState::release_traffic() {
    if (traffic_list != nullptr) {
        host_free_traffic_list(traffic_list);
        traffic_list = nullptr;
    }
}

void NavState::fill_trig_tables() {
    for (int d = 1; d < 360; ++d) {
        sine[d] = std::sin(d * kTableRadiansPerDegree);
        cosine[d] = std::cos(d * kTableRadiansPerDegree);
    }
    sine[0] = 0.0;
    cosine[0] = 1.0;
}

float NavState::ground_speed() const {
    float v;
    std::memcpy(&v, motion, sizeof v);
    return v;
}

}  // namespace navdisplay
