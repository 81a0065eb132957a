// Night model switching: an aircraft subsystem that shows one of four models
// according to three light switches.
#include <cstring>

#include "frame/message.h"
#include "frame/plugin.h"

namespace {

struct Model {
    int32_t loaded;  // result of host_object_load_model
    char path[256];
    int32_t found;   // result of host_file_exists
};

struct NightBlock {
    Model models[4];
    char base_name[256];  // tag 'norm'
    uint8_t prepared;
    HostMessage states[3];  // lights 'ntx1' .. 'ntx3'
};

void on_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<NightBlock>(kind, cls, out, false);
}

void on_instance_init(InstanceHandle h) {
    auto *b = frame::block_of<NightBlock>(h);
    if (b == nullptr) return;
    std::memset(b, 0, sizeof *b);
    const uint32_t targets[3] = {fourcc("ntx1"), fourcc("ntx2"), fourcc("ntx3")};
    for (int i = 0; i < 3; ++i) {
        std::memset(&b->states[i], 0, sizeof(HostMessage));
        frame::set_request(b->states[i], frame::kGetd);
        b->states[i].target = targets[i];
    }
}

int32_t on_read_tag(InstanceHandle h, void *stream, uint32_t tag) {
    auto *b = frame::block_of<NightBlock>(h);
    if (b == nullptr || tag != fourcc("norm")) return 0;
    host_stream_read_string(b->base_name, sizeof b->base_name, stream);
    return 1;
}

void on_prepare(InstanceHandle) {}

int32_t on_update(InstanceHandle) { return 0; }

void on_destroy(InstanceHandle h) { frame::destroy(h, false); }

const frame::Callback kCallbacks[] = {
    frame::callback(kSlotDestroy, &on_destroy),
    frame::callback(kSlotInstantiate, &on_instantiate),
    frame::callback(kSlotInstanceInit, &on_instance_init),
    frame::callback(kSlotReadTag, &on_read_tag),
    frame::callback(kSlotPrepare, &on_prepare),
    frame::callback(kSlotUpdate, &on_update),
};

}  // namespace

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{"ZARK_NIGHTLIGHT DLL", "ZARK", "J.V. ZARK", "09/03/04 100",
                               "night models of the panel suite", fourcc("subs"), fourcc("nlmp"),
                               kCallbacks, int(std::size(kCallbacks)), nullptr, nullptr};
    return d;
}
