// The COM and NAV radio heads: one design, built twice with its constants.
#include "frame/message.h"
#include "frame/plugin.h"

namespace {

struct RadioConstants {
    const char *name, *version;
    uint32_t cls;
    const char *mhz_strip, *decimal_strip;
};

#if defined(RADIO_COM)
constexpr RadioConstants kRadio{"MORVEN_COM_2 DLL", "04/27/04 1.00", fourcc("Mg_c"), "mvcom.pbg",
                                "mvcomdec.pbg"};
#elif defined(RADIO_NAV)
constexpr RadioConstants kRadio{"MORVEN_NAV_2 DLL", "04/27/04 1.00", fourcc("Mg_n"), "mvnav.pbg",
                                "mvnavdec.pbg"};
#else
#error "build with RADIO_COM or RADIO_NAV"
#endif

BitmapRecord g_mhz_strip;
BitmapRecord g_decimal_strip;

void load_resources() {
    frame::set_record_name(g_mhz_strip.name, kRadio.mhz_strip);
    host_bitmap_load(&g_mhz_strip);
    frame::set_record_name(g_decimal_strip.name, kRadio.decimal_strip);
    host_bitmap_load(&g_decimal_strip);
}

void release_resources() {
    host_bitmap_free(&g_mhz_strip);
    host_bitmap_free(&g_decimal_strip);
}

void on_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<HostMessage>(kind, cls, out, false);
}

int32_t on_read_tag(InstanceHandle h, void *stream, uint32_t tag) {
    auto *power = frame::block_of<HostMessage>(h);
    if (power == nullptr || tag != fourcc("msg1")) return 0;
    host_stream_read_message(power, stream);
    frame::set_request(*power, frame::kGetd);
    return 1;
}

void on_draw(InstanceHandle, DrawSurface *) {}

void on_destroy(InstanceHandle h) { frame::destroy(h, true); }

const frame::Callback kCallbacks[] = {
    frame::callback(kSlotDestroy, &on_destroy),
    frame::callback(kSlotInstantiate, &on_instantiate),
    frame::callback(kSlotDraw, &on_draw),
    frame::callback(kSlotReadTag, &on_read_tag),
};

}  // namespace

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{kRadio.name, "ZARK", "JV", kRadio.version, "radio head of the panel suite",
                               fourcc("gage"), kRadio.cls, kCallbacks, int(std::size(kCallbacks)),
                               load_resources, release_resources};
    return d;
}
