#include "render/nav_state.h"

#include <cmath>
#include <cstring>

#include "frame/host_api.h"
#include "navdata/angle.h"

namespace render {
namespace {

// Far beyond any surface, yet leaves room for offsets either way.
constexpr int32_t kFarPixel = 1 << 28;

int32_t saturate(double v) {
    const int32_t p = to_pixel(v);
    return p < -kFarPixel ? -kFarPixel : p > kFarPixel ? kFarPixel : p;
}

}  // namespace

Pixel screen_point(const MapOffset &o, Pixel aircraft_point) {
    return {saturate(double(aircraft_point.x) - o.left), saturate(double(aircraft_point.y) + o.down)};
}

NavState::NavState() = default;

NavState::~NavState() = default;

void NavState::refresh_own_position() {
    host_get_user_object(&user_object);
    host_object_get_position(&user_object, &own_position);
    host_object_get_value_281(&user_object, &displayed_heading);
    host_object_get_value_280(&user_object, &map_heading_source);
    map_heading = host_convert_value_208(map_heading_source);
    host_object_get_record_156(&user_object, &motion);
    host_object_get_value_282(&user_object, &variation);
}

void NavState::measure(const GeoPosition &to, PlacedVector &out) {
    double v[3] = {0.0, 0.0, 0.0};
    const double *r = host_position_vector(v, &own_position, &to);
    std::memcpy(out.v, r ? r : v, sizeof out.v);
}

// Distance in feet, before conversion: one pixel is range_scale feet.
void NavState::offset_and_convert(PlacedVector &p, MapOffset &o, int32_t range_scale) {
    o.left = std::sin(relative_angle) * p.v[2] / range_scale;
    o.down = -std::cos(relative_angle) * p.v[2] / range_scale;
    p.v[1] = navdata::course_degrees(p.v[1]);
    p.v[2] = navdata::distance_nm(p.v[2]);
}

void NavState::place_position(double latitude, double longitude, double reference_angle,
                              int32_t range_scale) {
    measure(GeoPosition{latitude, longitude, 0.0}, position_vector);
    relative_angle = reference_angle - position_vector.v[1];
    offset_and_convert(position_vector, position_offset, range_scale);
}

void NavState::place_plan_point(size_t i, double reference_angle, int32_t range_scale) {
    const navdata::FlightPlanLeg *leg = nav.published_leg(i);
    if (leg == nullptr) return;
    measure(leg->position, plan_vector);
    relative_angle = navdata::radian_circle.signed_difference(reference_angle, plan_vector.v[1]);
    offset_and_convert(plan_vector, plan_offset, range_scale);
}

bool NavState::update_leg_track(size_t i, bool now) {
    leg_timer_ += host_get_frame_seconds();
    const bool due = leg_timer_ > kLegRefreshSeconds;
    if (!due && !now) return false;
    if (due) leg_timer_ = 0.0f;
    const navdata::FlightPlanLeg *leg = nav.working_leg(i);
    if (leg == nullptr) return false;
    measure(leg->position, leg_vector);
    const float leg_variation = leg->kind == navdata::kLegUserWaypoint ? variation : leg->variation;
    leg_vector.v[1] = navdata::course_circle.wrapped_difference(
        navdata::course_degrees(leg_vector.v[1]), leg_variation);
    leg_vector.v[2] = navdata::distance_nm(leg_vector.v[2]);
    return true;
}

int NavState::clip_to_window(int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t left,
                             int32_t top, int32_t right, int32_t bottom) {
    clip_a = {double(ax), double(ay)};
    clip_b = {double(bx), double(by)};
    clip_window = {double(left), double(top), double(right), double(bottom)};
    return clip_segment(clip_a, clip_b, clip_window);
}

Pixel NavState::clipped_a() const { return {to_pixel(clip_a.x), to_pixel(clip_a.y)}; }
Pixel NavState::clipped_b() const { return {to_pixel(clip_b.x), to_pixel(clip_b.y)}; }

// The cursor only ever points into the held list, so the list is released
// through its head alone, once.
void NavState::release_traffic() {
    if (traffic_list != nullptr) host_free_traffic_list(traffic_list);
    traffic_list = nullptr;
    traffic_cursor = nullptr;
}

void NavState::refresh_traffic() {
    release_traffic();
    traffic_count = host_get_traffic_list(&traffic_cursor);
    traffic_list = traffic_cursor;
}

bool NavState::next_traffic(ObjectRef &object) {
    if (traffic_cursor == nullptr) return false;
    const auto *node = static_cast<const uint8_t *>(traffic_cursor);
    std::memcpy(&object, node + hostlist::traffic::kRef, sizeof object);
    std::memcpy(&traffic_cursor, node + hostlist::traffic::kNext, sizeof traffic_cursor);
    return true;
}

void NavState::fill_trig_tables() {
    for (int d = 1; d < kTrigDegrees; ++d) {
        sin_table[d] = std::sin(d * kTableRadiansPerDegree);
        cos_table[d] = std::cos(d * kTableRadiansPerDegree);
    }
    sin_table[0] = 0.0;
    cos_table[0] = 1.0;
}

}  // namespace render
