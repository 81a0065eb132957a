// The autopilot vertical-speed rocker switch.
#include <cstring>

#include "frame/message.h"
#include "frame/plugin.h"

namespace {

struct RockerBlock {
    HostMessage message;  // tag 'mesg', reused for every request
    float upper_limit;    // tag 'mxVS'
    float lower_limit;    // tag 'mnVS'
    float step;           // tag 'step'
    char bitmap_name[128];  // tag 'bmap'
    uint8_t prepared;
    uint8_t engaged;
};

BitmapRecord g_rocker;
bool g_rocker_loaded = false;  // the picture is loaded by the first preparation

// A record that was never loaded is not handed to the host's free service.
void release_resources() {
    if (g_rocker_loaded) host_bitmap_free(&g_rocker);
    g_rocker_loaded = false;
}

void on_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<RockerBlock>(kind, cls, out, false);
}

void on_instance_init(InstanceHandle h) {
    if (auto *b = frame::block_of<RockerBlock>(h)) std::memset(b, 0, sizeof *b);
}

int32_t on_read_tag(InstanceHandle h, void *stream, uint32_t tag) {
    auto *b = frame::block_of<RockerBlock>(h);
    if (b == nullptr) return 0;
    switch (tag) {
    case fourcc("bmap"):
        host_stream_read_string(b->bitmap_name, sizeof b->bitmap_name, stream);
        return 1;
    case fourcc("mesg"):
        host_stream_read_message(&b->message, stream);
        frame::set_request(b->message, frame::kGetd);
        return 1;
    case fourcc("mnVS"):
        host_stream_read_float(&b->lower_limit, stream);
        return 1;
    case fourcc("mxVS"):
        host_stream_read_float(&b->upper_limit, stream);
        return 1;
    case fourcc("step"):
        host_stream_read_float(&b->step, stream);
        return 1;
    default:
        return 0;
    }
}

void on_prepare(InstanceHandle) {}

void on_draw(InstanceHandle, DrawSurface *) {}

int32_t on_mouse(InstanceHandle, DrawSurface *, int32_t, int32_t, uint32_t) { return 1; }

void on_destroy(InstanceHandle h) { frame::destroy(h, true); }

const frame::Callback kCallbacks[] = {
    frame::callback(kSlotDestroy, &on_destroy),
    frame::callback(kSlotInstantiate, &on_instantiate),
    frame::callback(kSlotInstanceInit, &on_instance_init),
    frame::callback(kSlotDraw, &on_draw),
    frame::callback(kSlotReadTag, &on_read_tag),
    frame::callback(kSlotMouse, &on_mouse),
    frame::callback(kSlotPrepare, &on_prepare),
};

}  // namespace

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{"ZARK_QD_ROCKERS DLL", "ZARK", "jorinV", "1.00, 09/22/04",
                               "vertical-speed rocker of the panel suite", fourcc("gage"), fourcc("roQD"),
                               kCallbacks, int(std::size(kCallbacks)), nullptr, release_resources};
    return d;
}
