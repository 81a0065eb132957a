// Part animation: key-driven animation of named parts of the aircraft model,
// configured by a text file that the host parses.
#include <cstdio>
#include <cstring>

#include "frame/plugin.h"

namespace {

constexpr size_t kText = 64;
// More parts than any aircraft has: a larger count is taken for a broken
// file rather than allocated.
constexpr int32_t kMaxParts = 1024;
constexpr int32_t kLastFrame = 30;  // a part has positions 0 to 30
constexpr float kSoundVolume = 0.75f;

struct PartConfig {
    char aircraft[kText];  // the user aircraft's exact name
    char part[kText];      // the model's animated part
    int32_t key;
    char timing_text[kText];  // "%d,%d"
    char tick_text[kText];    // "%f,%f,%f"
    char third_text[kText];   // "%f,%f,%f"
    int32_t first_timing;     // kept, not used
    int32_t delay;            // ticks before the part moves
    float tick_length;        // seconds
    float tick_extras[2];     // kept, not used
    float third_values[3];    // kept, not used
    char sound[kText];        // sound file, or "NULL"
};

struct PartRun {
    char aircraft[kText];
    char part[kText];
    int32_t key;
    int32_t first_timing;
    int32_t delay;
    float tick_length;
    float tick_extras[2];
    float third_values[3];
    char sound[kText];
    int32_t direction;  // 1 towards position 30, 0 back towards 0
    int32_t running;
    float gathered;  // seconds of the current tick
    int32_t ticks;   // since the start
};

int32_t g_part_count = 0;
PartConfig *g_config = nullptr;
PartRun *g_running = nullptr;
int32_t g_running_count = 0;
int32_t g_sound = 0;  // one handle for every part's sound
ObjectRef g_user;
char g_user_name[kText];

void release_tables() {
    if (g_config) host_free(g_config);
    if (g_running) host_free(g_running);
    g_config = nullptr;
    g_running = nullptr;
    g_part_count = 0;
}

// The count comes from the file: one outside 1 .. kMaxParts gives no parts.
void allocate_tables(int32_t count) {
    release_tables();
    if (count <= 0 || count > kMaxParts) return;
    const size_t n = size_t(count);
    g_config = static_cast<PartConfig *>(host_alloc(n * sizeof(PartConfig)));
    g_running = static_cast<PartRun *>(host_alloc(n * sizeof(PartRun)));
    if (g_config == nullptr || g_running == nullptr) {
        release_tables();
        return;
    }
    std::memset(g_config, 0, n * sizeof(PartConfig));
    std::memset(g_running, 0, n * sizeof(PartRun));
    g_part_count = count;
}

// The seven values of one part, in the file's order.
void read_part(PartConfig &c, void *stream) {
    host_stream_read_string(c.aircraft, sizeof c.aircraft, stream);
    host_stream_read_int(&c.key, stream);
    host_stream_read_string(c.part, sizeof c.part, stream);
    host_stream_read_string(c.timing_text, sizeof c.timing_text, stream);
    std::sscanf(c.timing_text, "%d,%d", &c.first_timing, &c.delay);
    host_stream_read_string(c.tick_text, sizeof c.tick_text, stream);
    std::sscanf(c.tick_text, "%f,%f,%f", &c.tick_length, &c.tick_extras[0], &c.tick_extras[1]);
    host_stream_read_string(c.third_text, sizeof c.third_text, stream);
    std::sscanf(c.third_text, "%f,%f,%f", &c.third_values[0], &c.third_values[1], &c.third_values[2]);
    host_stream_read_string(c.sound, sizeof c.sound, stream);
}

// 'numP' sizes the tables; 'Part' then carries the values of every part,
// so a 'Part' before 'numP' finds no table and reads nothing.
int32_t on_read_tag(InstanceHandle, void *stream, uint32_t tag) {
    switch (tag) {
    case fourcc("numP"): {
        int32_t count = 0;
        host_stream_read_int(&count, stream);
        allocate_tables(count);
        return 1;
    }
    case fourcc("Part"):
        if (g_config != nullptr && g_running != nullptr)
            for (int32_t i = 0; i < g_part_count; ++i) read_part(g_config[i], stream);
        return 1;
    default:
        return 0;
    }
}

void read_configuration() {
    StreamRecord stream{};
    frame::set_record_name(stream.name, "modules\\pc\\partanim.txt");
    frame::set_record_name(stream.mode, "rt");
    if (host_stream_open(&stream) == 0) return;
    int32_t object[5] = {0, frame::reference_number(), 0, 0, 0};
    host_stream_read_object(object, &stream);
    host_stream_close(&stream);
}

void on_global_start() {
    if (g_running == nullptr) return;
    for (int32_t i = 0; i < g_part_count; ++i) {
        g_running[i].direction = 0;
        g_running[i].running = 0;
    }
    g_running_count = 0;
}

void on_global_stop() {}

void start(const PartConfig &c, PartRun &r) {
    std::memcpy(r.aircraft, c.aircraft, sizeof r.aircraft);
    std::memcpy(r.part, c.part, sizeof r.part);
    r.key = c.key;
    r.first_timing = c.first_timing;
    r.delay = c.delay;
    r.tick_length = c.tick_length;
    std::memcpy(r.tick_extras, c.tick_extras, sizeof r.tick_extras);
    std::memcpy(r.third_values, c.third_values, sizeof r.third_values);
    std::memcpy(r.sound, c.sound, sizeof r.sound);
    r.direction = r.direction == 0 ? 1 : 0;
    r.ticks = 0;
    r.gathered = 0.0f;
    r.running = 1;
    ++g_running_count;
    // One sound at a time: a part started while another's sound plays is
    // silent.
    if (host_sound_is_playing(g_sound) == 0 && std::strcmp(c.sound, "NULL") != 0) {
        g_sound = host_sound_play_file(c.sound);
        host_sound_set_volume(g_sound, kSoundVolume);
    }
}

// Every part of the user aircraft on this key that is at rest starts; a
// part still moving ignores the key.
void on_key(int32_t key, int32_t) {
    if (host_input_enabled() == 0) return;
    host_get_user_object(&g_user);
    host_object_get_name(&g_user, g_user_name, sizeof g_user_name);
    g_user_name[sizeof g_user_name - 1] = '\0';
    for (int32_t i = 0; i < g_part_count; ++i) {
        const PartConfig &c = g_config[i];
        if (c.key == key && std::strncmp(c.aircraft, g_user_name, kText) == 0 && g_running[i].running == 0)
            start(c, g_running[i]);
    }
}

// Moves one part by the elapsed time: after `delay` still ticks it shows
// the 30 positions after the one it started from, one per tick, and the
// tick after the last one ends it.
void advance(PartRun &r, float seconds) {
    r.gathered += seconds;
    if (r.gathered > r.tick_length) {
        ++r.ticks;
        r.gathered = 0.0f;
    }
    const int64_t d = int64_t(r.ticks) - r.delay;
    if (d > 0 && d <= kLastFrame)
        host_object_set_part_frame(&g_user, r.part, r.direction == 1 ? int32_t(d) : int32_t(kLastFrame - d));
    if (d > kLastFrame) {
        r.running = 0;
        --g_running_count;
        host_sound_stop(g_sound);
    }
}

void on_time_slice(float seconds) {
    if (g_running_count == 0) return;
    for (int32_t i = 0; i < g_part_count; ++i)
        if (g_running[i].running == 1) advance(g_running[i], seconds);
}

void release_resources() {
    release_tables();
    g_running_count = 0;
}

const frame::Callback kCallbacks[] = {
    frame::callback(kSlotGlobalStart, &on_global_start),
    frame::callback(kSlotGlobalStop, &on_global_stop),
    frame::callback(kSlotTimeSlice, &on_time_slice),
    frame::callback(kSlotReadTag, &on_read_tag),
    frame::callback(kSlotKey, &on_key),
};

}  // namespace

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{"partanim.DLL", "ZARK", "Jorin Vasek", "08/06/2002 1.00",
                               "part animation of the panel suite", 0, 0, kCallbacks,
                               int(std::size(kCallbacks)), read_configuration, release_resources};
    return d;
}
