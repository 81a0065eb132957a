// The display's module-wide state, shared by every instance of the gauge:
// two displays on one panel show the same layers, range and active leg.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"
#include "navdisplay/options.h"
#include "render/symbols.h"

namespace navdisplay {

// One nearby object copied from the host's lists.
struct NearbyEntry {
    double latitude;   // host units (arcseconds)
    double longitude;
    uint32_t flags;    // navaids: hostlist::navaid::kVor, kNdb
    char id[12];       // up to 11 characters; waypoints 4
    float frequency;   // navaids only
};

template <size_t N>
struct NearbyList {
    static constexpr size_t kCapacity = N;
    NearbyEntry entries[N];
    uint32_t count;
};

constexpr size_t kAirportCapacity = 256;
constexpr size_t kNavaidCapacity = 128;
constexpr size_t kWaypointCapacity = 256;

// No leg: the passage distance is not known.
constexpr uint32_t kNoLeg = UINT32_MAX;

// Seconds between refreshes of a nearby list or of the traffic list.
constexpr float kRefreshSeconds = 5.0f;

// Large enough for any value the page formats: a bearing/distance label of
// two doubles printed whole can reach 2 x 310 characters.
constexpr size_t kTextBufferSize = 768;

struct DisplayState {
    uint32_t options = kDefaultOptions;
    int32_t zoom_level = 0;
    int32_t zoom_in_use = 0;
    int32_t range_scale = 3600;  // feet of ground per pixel
    uint32_t leg_index = 1;
    // Waypoint passage: the active leg's distance at its last refresh, and
    // the leg it belongs to. A passage needs two refreshes of the same leg
    // since the plan was read, so a read or a passage forgets the distance.
    double previous_distance = 1000000.0;  // nautical miles
    uint32_t distance_leg = kNoLeg;
    bool route_passed = false;  // the last leg was passed: no passage until a new read
    float dtk_value = 0.0f;
    uint32_t dtk_leg = 0;
    // A plan was read and its data block not yet drawn: DTK is computed
    // afresh and the active leg measured at once.
    bool plan_fresh = false;
    bool flight_plan_pending = false;
    uint32_t data_text_colour = 0;

    NearbyList<kAirportCapacity> airports{};
    NearbyList<kNavaidCapacity> navaids{};
    NearbyList<kWaypointCapacity> waypoints{};
    float airport_timer = 0.0f;
    float navaid_timer = 0.0f;
    float waypoint_timer = 0.0f;
    float traffic_timer = 0.0f;

    HostMessage zoom_request{};
    int32_t ping = 0;  // sound handle of the waypoint passage
    char user_text[256]{};
    char text[kTextBufferSize]{};

    // Map geometry, set by on_global_start.
    render::Pixel aircraft_point{};
    int32_t data_column = 0;
};

DisplayState &state();

// The per-instance block.
struct DisplayInstance {
    HostMessage power;   // tag 'mes1'
    HostMessage course;  // tag 'mes2'
    int32_t auto_value;  // tag 'auto': non-zero, the display owns its zoom
};

// Zero-filled, then 'getd' to 'ndC2' for 'dh__', number 6.
void fill_zoom_request(HostMessage &m);

// The zoom level used this frame: the shared one when the instance owns its
// zoom, else the reply of the zoom request. Sets the range scale.
int32_t decide_zoom(DisplayState &s, int32_t auto_value);

}  // namespace navdisplay
