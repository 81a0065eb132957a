// The autopilot vertical-speed rocker switch.
#include <cstring>

#include "frame/message.h"
#include "frame/plugin.h"
#include "render/primitives.h"

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

// Frames of the rocker strip.
constexpr int32_t kFrameUpperPressed = 3, kFrameAtRest = 4, kFrameLowerPressed = 5;

constexpr uint32_t kAutopilotOn = fourcc("apOn");
constexpr uint32_t kVerticalSpeedMode = fourcc("VS_S");
constexpr uint32_t kVerticalSpeedCommand = fourcc("VS_C");

// Shared by every rocker of the panel: the picture, the frame the next draw
// shows, and the autopilot state the last draw saw.
BitmapRecord g_rocker;
bool g_rocker_loaded = false;  // the picture is loaded by the first preparation
int32_t g_frame = 0;
int32_t g_autopilot_on = 0;

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

// Loads the picture the definition names. Every rocker shares the one
// record, so a second rocker's picture replaces the first, which is freed
// rather than loaded over.
void prepare(RockerBlock &b) {
    if (b.prepared) return;
    if (g_rocker_loaded) host_bitmap_free(&g_rocker);
    frame::set_record_name(g_rocker.name, b.bitmap_name);
    host_bitmap_load(&g_rocker);
    g_rocker_loaded = true;
    b.prepared = 1;
}

void on_prepare(InstanceHandle h) {
    if (auto *b = frame::block_of<RockerBlock>(h)) prepare(*b);
}

// Sends the block's message, its value set already, for one value.
void send(HostMessage &m, uint32_t data_tag, uint32_t request) {
    frame::set_data_tag(m, data_tag);
    frame::set_request(m, request);
    host_send_message(&m);
}

// Follows the autopilot: when it goes off the mode this rocker engaged is
// switched off; when the mode was switched off elsewhere the rocker forgets
// it engaged it.
void follow_autopilot(RockerBlock &b) {
    HostMessage &m = b.message;
    frame::set_int(m, 0);
    send(m, kAutopilotOn, frame::kGetd);
    g_autopilot_on = frame::get_int(m);
    if (g_autopilot_on == 0) {
        if (b.engaged) {
            b.engaged = 0;
            frame::set_int(m, 0);
            send(m, kVerticalSpeedMode, frame::kSetd);
        }
    } else {
        frame::set_int(m, 0);
        send(m, kVerticalSpeedMode, frame::kGetd);
        if (frame::get_int(m) == 0) b.engaged = 0;
    }
}

void on_draw(InstanceHandle h, DrawSurface *s) {
    auto *b = frame::block_of<RockerBlock>(h);
    if (b == nullptr) return;
    prepare(*b);
    follow_autopilot(*b);
    render::surface_clear(s);
    host_bitmap_draw(s, &g_rocker, 0, 0, g_frame);
    g_frame = kFrameAtRest;  // a pressed frame shows for one draw
    host_surface_present(s);
}

// The first click with the autopilot on engages the vertical-speed mode;
// later clicks step the command, which the host holds with the opposite
// sign, within the limits.
int32_t on_mouse(InstanceHandle h, DrawSurface *s, int32_t, int32_t y, uint32_t) {
    bool upper = s != nullptr && y < s->height / 2;
    g_frame = upper ? kFrameUpperPressed : kFrameLowerPressed;
    auto *b = frame::block_of<RockerBlock>(h);
    if (b == nullptr || g_autopilot_on == 0) return 1;
    HostMessage &m = b->message;
    frame::set_real(m, 0.0f);
    send(m, kVerticalSpeedCommand, frame::kGetd);
    float command = -frame::get_float(m);
    if (!b->engaged) {
        frame::set_int(m, 1);
        send(m, kVerticalSpeedMode, frame::kSetd);
    } else if (upper) {
        command += b->step;
        if (command > b->upper_limit) command = b->upper_limit;
        frame::set_real(m, -command);
        send(m, kVerticalSpeedCommand, frame::kSetd);
    } else {
        command -= b->step;
        if (command < b->lower_limit) command = b->lower_limit;
        frame::set_real(m, -command);
        send(m, kVerticalSpeedCommand, frame::kSetd);
    }
    b->engaged = 1;
    return 1;
}

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
