// The ADF and transponder digit windows: one design, built twice with its
// constants.
#include "frame/message.h"
#include "frame/plugin.h"

namespace {

struct DigitConstants {
    const char *name, *version;
    uint32_t cls;
};

#if defined(RADIO_ADF)
constexpr DigitConstants kRadio{"MORVEN_ADF DLL", "05/15/04 1.00", fourcc("Mg_a")};
#elif defined(RADIO_XPDR)
constexpr DigitConstants kRadio{"MORVEN_XPDR DLL", "04/29/04 1.00", fourcc("Mg_x")};
#else
#error "build with RADIO_ADF or RADIO_XPDR"
#endif

BitmapRecord g_digit_strip;

void load_resources() {
    frame::set_record_name(g_digit_strip.name, "mvchiffresxpdr.pbg");
    host_bitmap_load(&g_digit_strip);
}

void release_resources() { host_bitmap_free(&g_digit_strip); }

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
