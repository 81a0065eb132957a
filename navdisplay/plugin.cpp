// The navigation display's frame: identity, callbacks and resources.
#include <cstring>

#include "frame/message.h"
#include "frame/plugin.h"
#include "navdisplay/controls.h"
#include "navdisplay/display.h"
#include "navdisplay/geometry.h"
#include "navdisplay/page.h"
#include "navdisplay/state.h"

namespace navdisplay {
namespace {

constexpr const char *kFontFiles[kFontCount] = {"FTASCI10.RAW", "FTTINY7.RAW", "FTMICRO5.RAW"};
constexpr const char *kBitmapFiles[kBitmapCount] = {
    "nav_display_1.pbm", "cadre_route.pbm", "89ROSE.PBG", "179ROSE.PBG",
    "269ROSE.PBG",       "359ROSE.PBG",     "plane_symb.PBM", "vor2.PBM",
    "ndb2.PBM",          "airp2.PBM",       "nd_zark_selector.pbg"};

constexpr int32_t kDataColumn = 18;

FontRecord g_fonts[kFontCount];
BitmapRecord g_bitmaps[kBitmapCount];

void load_resources() {
    for (int i = 0; i < kFontCount; ++i) {
        frame::set_record_name(g_fonts[i].name, kFontFiles[i]);
        host_font_load(&g_fonts[i]);
    }
    for (int i = 0; i < kBitmapCount; ++i) {
        frame::set_record_name(g_bitmaps[i].name, kBitmapFiles[i]);
        host_bitmap_load(&g_bitmaps[i]);
    }
}

void release_resources() {
    for (auto &f : g_fonts) host_font_free(&f);
    for (auto &b : g_bitmaps) host_bitmap_free(&b);
    nav_state().release_traffic();
}

// No guard: every call reloads the database and marks the flight plan again.
void on_global_start() {
    DisplayState &s = state();
    // Zeroed and filled again: a request left all zero would never be
    // answered, and a display on the external zoom would stay dark.
    fill_zoom_request(s.zoom_request);
    s.aircraft_point = kAircraftPoint;
    s.data_column = kDataColumn;
    s.options |= OPT_ENABLED;
    s.flight_plan_pending = true;
    navdata::NavData &data = nav_state().nav;
    data.load_airports();
    data.load_navaids();
    data.load_waypoints();
}

void on_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<DisplayInstance>(kind, cls, out, true);
}

void on_instance_init(InstanceHandle h) {
    if (auto *b = frame::block_of<DisplayInstance>(h)) std::memset(b, 0, sizeof *b);
    fill_zoom_request(state().zoom_request);
    nav_state().fill_trig_tables();
}

int32_t on_read_tag(InstanceHandle h, void *stream, uint32_t tag) {
    auto *b = frame::block_of<DisplayInstance>(h);
    if (b == nullptr) return 0;
    switch (tag) {
    case fourcc("user"):
        host_stream_read_string(state().user_text, sizeof state().user_text, stream);
        return 1;
    case fourcc("mes1"):
        host_stream_read_message(&b->power, stream);
        frame::set_request(b->power, frame::kGetd);
        return 1;
    case fourcc("mes2"):
        host_stream_read_message(&b->course, stream);
        frame::set_request(b->course, frame::kGetd);
        return 1;
    case fourcc("auto"):
        host_stream_read_int(&b->auto_value, stream);
        state().zoom_level = b->auto_value;
        return 1;
    default:
        return 0;
    }
}

void on_draw(InstanceHandle h, DrawSurface *s) {
    if (auto *b = frame::block_of<DisplayInstance>(h)) draw_page(*b, s);
}

int32_t on_mouse(InstanceHandle h, DrawSurface *, int32_t x, int32_t y, uint32_t buttons) {
    if (auto *b = frame::block_of<DisplayInstance>(h)) apply_click(state(), b->auto_value, x, y, buttons);
    return 0;
}

void on_destroy(InstanceHandle h) { frame::destroy(h, false); }

const frame::Callback kCallbacks[] = {
    frame::callback(kSlotGlobalStart, &on_global_start),
    frame::callback(kSlotDestroy, &on_destroy),
    frame::callback(kSlotInstantiate, &on_instantiate),
    frame::callback(kSlotInstanceInit, &on_instance_init),
    frame::callback(kSlotDraw, &on_draw),
    frame::callback(kSlotReadTag, &on_read_tag),
    frame::callback(kSlotMouse, &on_mouse),
};

}  // namespace

FontRecord &font(Font f) { return g_fonts[f]; }
BitmapRecord &bitmap(Bitmap b) { return g_bitmaps[b]; }

}  // namespace navdisplay

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{"ZARK_NAV_DISPLAY_1", "ZARK Inc.", "JorinV", "1.00, 01/09/04 ZARK",
                               "navdisplay for the panel suite",
                               navdisplay::kKind, navdisplay::kClass,
                               navdisplay::kCallbacks, int(std::size(navdisplay::kCallbacks)),
                               navdisplay::load_resources, navdisplay::release_resources};
    return d;
}
