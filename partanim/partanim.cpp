// Part animation: key-driven animation of named parts of the aircraft model,
// configured by a text file that the host parses.
#include <cstring>

#include "frame/plugin.h"

namespace {

void read_configuration() {
    StreamRecord stream{};
    frame::set_record_name(stream.name, "modules\\pc\\partanim.txt");
    frame::set_record_name(stream.mode, "rt");
    if (host_stream_open(&stream) == 0) return;
    int32_t object[5] = {0, frame::reference_number(), 0, 0, 0};
    host_stream_read_object(object, &stream);
    host_stream_close(&stream);
}

void release_resources() {}

void on_global_start() {}
void on_global_stop() {}
void on_time_slice(float) {}
int32_t on_read_tag(InstanceHandle, void *, uint32_t) { return 0; }
void on_key(int32_t, int32_t) {}

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
