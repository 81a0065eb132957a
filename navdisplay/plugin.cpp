// The navigation display's frame: identity, callbacks and resources.
#include <cstring>

#include "frame/message.h"
#include "frame/plugin.h"
#include "navdisplay/display.h"

namespace navdisplay {
namespace {

constexpr const char *kFontFiles[kFontCount] = {"FTASCI10.RAW", "FTTINY7.RAW", "FTMICRO5.RAW"};
constexpr const char *kBitmapFiles[kBitmapCount] = {
    "nav_display_1.pbm", "cadre_route.pbm", "89ROSE.PBG", "179ROSE.PBG",
    "269ROSE.PBG",       "359ROSE.PBG",     "plane_symb.PBM", "vor2.PBM",
    "ndb2.PBM",          "airp2.PBM",       "nd_zark_selector.pbg"};

FontRecord g_fonts[kFontCount];
BitmapRecord g_bitmaps[kBitmapCount];
render::NavState g_nav_state;

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
    g_nav_state.release_traffic();
}

void on_global_start() {}

void on_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<DisplayInstance>(kind, cls, out, true);
}

void on_instance_init(InstanceHandle h) {
    if (auto *b = frame::block_of<DisplayInstance>(h)) std::memset(b, 0, sizeof *b);
}

int32_t on_read_tag(InstanceHandle h, void *stream, uint32_t tag) {
    auto *b = frame::block_of<DisplayInstance>(h);
    if (b == nullptr) return 0;
    static char user_text[256];
    switch (tag) {
    case fourcc("user"):
        host_stream_read_string(user_text, sizeof user_text, stream);
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
        return 1;
    default:
        return 0;
    }
}

void on_draw(InstanceHandle, DrawSurface *) {}

int32_t on_mouse(InstanceHandle, DrawSurface *, int32_t, int32_t, uint32_t) { return 0; }

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
render::NavState &nav_state() { return g_nav_state; }

}  // namespace navdisplay

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{"ZARK_NAV_DISPLAY_1", "ZARK Inc.", "JorinV", "1.00, 01/09/04 ZARK",
                               "navdisplay for the panel suite",
                               navdisplay::kKind, navdisplay::kClass,
                               navdisplay::kCallbacks, int(std::size(navdisplay::kCallbacks)),
                               navdisplay::load_resources, navdisplay::release_resources};
    return d;
}
