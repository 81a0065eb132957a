// Night model switching: an aircraft subsystem that shows one of four models
// according to three light switches.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "frame/message.h"
#include "frame/plugin.h"

namespace {

constexpr int kModels = 4;
constexpr int kLights = int(std::size(frame::kNightLightTargets));
constexpr int32_t kSimStateSkip = 2;  // the host asks subsystems to skip their update
constexpr int32_t kFileExistsMode = 3;

struct Model {
    int32_t loaded;  // result of host_object_load_model
    char path[256];
    int32_t found;   // result of host_file_exists
};

struct NightBlock {
    Model models[kModels];
    char base_name[256];  // tag 'norm'
    uint8_t prepared;
    HostMessage lights[kLights];  // 'ntx1' .. 'ntx3'
};

constexpr uint32_t kModelTags[kModels] = {fourcc("nit0"), fourcc("nit1"), fourcc("nit2"), fourcc("nit3")};

ObjectRef g_user;

void on_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<NightBlock>(kind, cls, out, false);
}

void aim_light(HostMessage &m, int light) {
    frame::set_request(m, frame::kGetd);
    m.target = frame::kNightLightTargets[light];
}

void on_instance_init(InstanceHandle h) {
    auto *b = frame::block_of<NightBlock>(h);
    if (b == nullptr) return;
    std::memset(b, 0, sizeof *b);
    for (int i = 0; i < kLights; ++i) {
        std::memset(&b->lights[i], 0, sizeof(HostMessage));
        aim_light(b->lights[i], i);
    }
}

int32_t on_read_tag(InstanceHandle h, void *stream, uint32_t tag) {
    auto *b = frame::block_of<NightBlock>(h);
    if (b == nullptr || tag != fourcc("norm")) return 0;
    host_stream_read_string(b->base_name, sizeof b->base_name, stream);
    return 1;
}

// Probes and loads the night models; repeated, loads included, until the
// host reports the aircraft valid. A base name too long for the path field
// gives a cut path that is neither probed nor loaded: it would name some
// other file.
void prepare(NightBlock &b) {
    if (b.prepared) return;
    host_get_user_object(&g_user);
    for (int n = 0; n < kModels; ++n) {
        Model &m = b.models[n];
        int length = std::snprintf(m.path, sizeof m.path, "MODELS\\%s_Nlamp_%d.ACM", b.base_name, n);
        bool fits = length >= 0 && size_t(length) < sizeof m.path;
        m.found = fits ? host_file_exists(m.path, kFileExistsMode) : 0;
        if (m.found != 0) m.loaded = host_object_load_model(&g_user, m.path, kModelTags[n]);
    }
    if (host_object_is_valid(&g_user) != 0) b.prepared = 1;
}

void on_prepare(InstanceHandle h) {
    if (auto *b = frame::block_of<NightBlock>(h)) prepare(*b);
}

// The highest light that is on and has a model wins; model 0 otherwise,
// found or not.
uint32_t chosen_model(const NightBlock &b) {
    for (int light = kLights - 1; light >= 0; --light)
        if (frame::value_as_double(b.lights[light]) != 0.0 && b.models[light + 1].loaded != 0)
            return kModelTags[light + 1];
    return kModelTags[0];
}

int32_t on_update(InstanceHandle h) {
    auto *b = frame::block_of<NightBlock>(h);
    if (b == nullptr) return 0;
    prepare(*b);
    if (host_sim_state() == kSimStateSkip) return kSimStateSkip;
    for (int i = 0; i < kLights; ++i) {
        aim_light(b->lights[i], i);
        host_send_message(&b->lights[i]);
    }
    return host_object_select_model(&g_user, chosen_model(*b));
}

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
