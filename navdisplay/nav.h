// The display's navigation state: own aircraft data from the host, placement
// of positions and flight-plan points on the map, the active leg's track and
// distance, the traffic list and the degree tables. One per loaded plug-in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"
#include "navdata/navdata.h"
#include "render/clip.h"

namespace navdisplay {

class NavState {
public:
    NavState();
    virtual ~NavState();
    NavState(const NavState &) = delete;
    NavState &operator=(const NavState &) = delete;

    // User object, own position, both headings, motion record, variation.
    void refresh_own_position();
    // Places a position (host units) with the map turned by reference_angle
    // (radians) and range_scale feet per pixel: fills position_vector
    // (bearing degrees true, distance nautical miles) and position_offset.
    void place_position(double latitude, double longitude, double reference_angle, int32_t range_scale);
    // The same for published leg i, into plan_vector and plan_offset.
    void place_plan_point(size_t i, double reference_angle, int32_t range_scale);
    // Track (magnetic) and distance to working leg i, at most every 5 seconds.
    void update_leg_track(size_t i);
    // Whole-pixel segment clip; the clipped ends are left in clip_a, clip_b.
    int clip_to_window(int32_t bx, int32_t by, int32_t ax, int32_t ay, int32_t left, int32_t top,
                       int32_t right, int32_t bottom);
    void refresh_traffic();
    // Releases the traffic list still held.
    void release_traffic();
    void fill_trig_tables();
    bool load_flight_plan() { return nav_data.read_flight_plan(); }
    float ground_speed() const;

    GeoPosition own_position{};
    uint32_t map_heading_source = 0;
    float displayed_heading = 0.0f;
    float map_heading = 0.0f;
    float variation = 0.0f;
    double plan_offset[2]{};      // left, down in pixels
    double position_offset[2]{};
    double plan_vector[3]{};      // [1] bearing degrees true, [2] distance nautical miles
    double position_vector[3]{};
    render::ClipPoint clip_a{}, clip_b{};
    render::ClipWindow clip_window{};
    unsigned char motion[64]{};  // first field: ground speed, feet per second
    navdata::NavData nav_data;
    double leg_vector[3]{};  // [1] magnetic track degrees, [2] distance nautical miles
    void *traffic_cursor = nullptr;
    void *traffic_list = nullptr;
    int32_t traffic_count = 0;
    double cosine[360]{};
    double sine[360]{};
    double relative_angle = 0.0;
    ObjectRef user_object{};

private:
    void place(const GeoPosition &target, double reference_angle, int32_t range_scale, bool fold,
               double vector[3], double offset[2]);
    float leg_timer_ = 0.0f;
};

NavState &nav_state();

}  // namespace navdisplay
