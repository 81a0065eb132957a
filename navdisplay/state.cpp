#include "navdisplay/state.h"

#include <cstring>

#include "frame/host_api.h"
#include "frame/message.h"
#include "navdisplay/display.h"

namespace navdisplay {

namespace {

constexpr int32_t kFeetPerPixelPerZoom = 450;
constexpr int32_t kZoomRequestNumber = 6;

DisplayState g_state;
render::NavState g_nav_state;

}  // namespace

DisplayState &state() { return g_state; }
render::NavState &nav_state() { return g_nav_state; }

void fill_zoom_request(HostMessage &m) {
    std::memset(&m, 0, sizeof m);
    m.request = frame::kGetd;
    m.target = fourcc("ndC2");
    m.number = kZoomRequestNumber;
    m.data_tag = fourcc("dh__");
}

int32_t decide_zoom(DisplayState &s, int32_t auto_value) {
    if (auto_value != 0) {
        s.zoom_in_use = s.zoom_level;
    } else {
        host_send_message(&s.zoom_request);
        s.zoom_in_use = s.zoom_request.value.i;
    }
    // Unsigned product: a zoom far outside 1 to 4 wraps instead of overflowing.
    s.range_scale = int32_t(uint32_t(s.zoom_in_use) * uint32_t(kFeetPerPixelPerZoom));
    return s.zoom_in_use;
}

}  // namespace navdisplay
