// The display's navigation state: the user aircraft as the host reports it,
// placement of positions on the heading-up map around the aircraft point,
// the active leg's track and distance, the held traffic list and whole-degree
// sine and cosine tables. One instance per loaded plug-in, shared by every
// display; each operation leaves its result here for the page to read at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"
#include "navdata/navdata.h"
#include "render/clip.h"
#include "render/symbols.h"

namespace render {

// Displacement of a placed point from the aircraft point, in pixels: left
// positive towards the left edge, down positive towards the bottom edge.
struct MapOffset {
    double left, down;
};

// The host's bearing-and-distance record: [1] bearing, [2] distance. After
// placement, degrees and nautical miles.
struct PlacedVector {
    double v[3];
    double bearing() const { return v[1]; }
    double distance() const { return v[2]; }
};

// What entry 156 fills: the ground speed first, the rest the host's.
struct MotionRecord {
    float ground_speed_fps;
    uint8_t host[60];
};
static_assert(sizeof(MotionRecord) == 64);

// The aircraft point moved `left` to the left and `down` down, truncated toward zero. Saturated well inside the
// int32 range so that a symbol's offsets from it cannot overflow.
Pixel screen_point(const MapOffset &o, Pixel aircraft_point);

class NavState {
public:
    static constexpr int kTrigDegrees = 360;
    // The tables' degrees-to-radians factor: 11 digits, not full precision.
    static constexpr double kTableRadiansPerDegree = 0.01745329252;
    static constexpr float kLegRefreshSeconds = 5.0f;

    NavState();
    virtual ~NavState();
    NavState(const NavState &) = delete;
    NavState &operator=(const NavState &) = delete;

    // User object, own position, headings, motion record and variation, from
    // the host in that order (the variation call's result is not examined).
    void refresh_own_position();

    // Places a position (altitude 0) relative to the aircraft: position
    // vector, position offsets and relative angle = reference - bearing.
    // reference_angle in radians; range_scale in feet per pixel.
    void place_position(double latitude, double longitude, double reference_angle,
                        int32_t range_scale);
    // The same for published leg i (its altitude included), the relative angle
    // folded once into [-pi, +pi]. An index past the list places nothing.
    void place_plan_point(size_t i, double reference_angle, int32_t range_scale);

    // Adds the frame time to the leg timer; once it exceeds 5 s, restarts it
    // and measures working leg i: magnetic track in [0, 360) and nautical
    // miles. With `now`, leg i is measured in any case and the timer keeps
    // running (the first frame after a plan is read). The track is folded
    // with the leg's own variation, or for a user waypoint, whose leg holds
    // none, with the aircraft's from this frame's refresh. An index past the
    // list leaves the leg vector as it was. True when leg i was measured now.
    bool update_leg_track(size_t i, bool now = false);

    // Clips the segment A-B to the window: 1 when some part is inside, the
    // ends then in clip_a and clip_b, possibly exchanged (with one end
    // inside, clip_a is the clipped end and clip_b the inside one).
    int clip_to_window(int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t left, int32_t top,
                       int32_t right, int32_t bottom);
    // The clipped ends as whole pixels, truncated toward zero.
    Pixel clipped_a() const;
    Pixel clipped_b() const;

    // Releases the held traffic list and takes a new one from the host; the
    // cursor is left at its head.
    void refresh_traffic();
    // Releases the held traffic list, if any (at unload).
    void release_traffic();
    // Puts the cursor back at the held list's head.
    void rewind_traffic() { traffic_cursor = traffic_list; }
    // The object of the node at the cursor, moving the cursor on; false at
    // the end of the list, the cursor then null.
    bool next_traffic(ObjectRef &object);

    void fill_trig_tables();

    size_t working_leg_count() const { return nav.working_leg_count(); }
    bool load_flight_plan() { return nav.read_flight_plan(); }

    // Fields in the order the display's state keeps them.
    GeoPosition own_position{};
    uint32_t map_heading_source = 0;
    float displayed_heading = 0.0f;  // degrees
    float map_heading = 0.0f;        // degrees; the map is turned by it
    float variation = 0.0f;          // degrees, as entry 282 left it
    MapOffset plan_offset{};
    MapOffset position_offset{};
    PlacedVector plan_vector{};
    PlacedVector position_vector{};
    ClipPoint clip_a{}, clip_b{};
    ClipWindow clip_window{};
    MotionRecord motion{};
    navdata::NavData nav;
    PlacedVector leg_vector{};  // [1] magnetic track, [2] distance; zero until measured
    void *traffic_cursor = nullptr;
    void *traffic_list = nullptr;
    int32_t traffic_count = 0;
    double cos_table[kTrigDegrees]{};
    double sin_table[kTrigDegrees]{};
    double relative_angle = 0.0;  // radians, of the point placed last
    ObjectRef user_object{};

private:
    // The host's bearing and distance from own position to `to`.
    void measure(const GeoPosition &to, PlacedVector &out);
    // The map offset for the stored relative angle, then the vector in
    // degrees and nautical miles.
    void offset_and_convert(PlacedVector &v, MapOffset &o, int32_t range_scale);

    float leg_timer_ = 0.0f;  // seconds since the last leg refresh
};

}  // namespace render
