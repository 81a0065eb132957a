// Each service decodes its arguments into the call log, then does its work
// on the current host. The table holds each one through Guarded (services.h),
// so none lets an exception reach the plug-in.
#include "host/services.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "host/geo.h"
#include "host/host.h"

namespace panelhost {
namespace {

Host &H() { return Host::current(); }

std::string fmt(const char *f, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char *f, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, f);
    std::vsnprintf(buf, sizeof buf, f, ap);
    va_end(ap);
    return buf;
}

// Log texts are built only while the log is on: formatting them costs more
// than most services do.
bool logging() { return H().log().enabled; }
void log(int entry, const char *name, std::string args) { H().log().add(entry, name, std::move(args)); }

std::string name_of(const char *record_name) { return quote(record_name, 64); }

std::string ref_text(const ObjectRef *o) {
    if (o == nullptr) return "null";
    return fmt("obj%u", o->words[0]);
}

std::string surface_text(const DrawSurface *s) {
    return s ? fmt("%dx%d", s->width, s->height) : std::string("null");
}

// ---- frame and instances

void **create_instance(int32_t reference) {
    if (logging()) log(kEntryCreateInstance, "host_create_instance", fmt("%d", reference));
    return H().create_instance(reference);
}

void register_class(void *registry, uint32_t kind, uint32_t cls) {
    if (logging()) log(kEntryRegisterClass, "host_register_class", code_text(kind) + ", " + code_text(cls));
    H().register_class(registry, kind, cls);
}

void send_message(HostMessage *m) {
    if (m == nullptr) return;
    H().bus().send(*m);
    if (logging()) log(kEntrySendMessage, "host_send_message", message_text(*m));
}

void *alloc(size_t bytes) {
    void *p = H().memory().alloc(bytes);
    if (logging()) log(kEntryAlloc, "host_alloc", std::to_string(bytes) + (p ? "" : " -> null"));
    return p;
}

void free_block(void *p) {
    if (logging()) log(kEntryFree, "host_free", p ? "block" : "null");
    if (!H().memory().free(p)) H().problems().push_back(H().memory().faults().back());
}

// ---- surfaces, fonts, bitmaps

void surface_present(DrawSurface *s) {
    if (logging()) log(kEntrySurfacePresent, "host_surface_present", surface_text(s));
    H().present(s, false, 0);
}

void surface_present_keyed(DrawSurface *s, uint32_t colour) {
    if (logging()) log(kEntrySurfacePresentKeyed, "host_surface_present_keyed", surface_text(s) + ", " + colour_text(colour));
    H().present(s, true, colour);
}

int32_t font_load(FontRecord *f) {
    int32_t r = H().font_load(f);
    if (logging()) log(kEntryFontLoad, "host_font_load", (f ? name_of(f->name) : "null") + fmt(" -> %d", r));
    return r;
}

void font_free(FontRecord *f) {
    if (logging()) log(kEntryFontFree, "host_font_free", f ? name_of(f->name) : "null");
    H().font_free(f);
}

void font_draw_text(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text) {
    if (logging()) log(kEntryFontDrawText, "host_font_draw_text",
        (f ? name_of(f->name) : "null") + fmt(", %d, %d, ", x, y) + colour_text(colour) + ", " + quote(text, 4096));
    H().font_draw(s, f, x, y, colour, text, false);
}

void font_draw_label(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text) {
    if (logging()) log(kEntryFontDrawLabel, "host_font_draw_label",
        (f ? name_of(f->name) : "null") + fmt(", %d, %d, ", x, y) + colour_text(colour) + ", " + quote(text, 4096));
    H().font_draw(s, f, x, y, colour, text, true);
}

int32_t bitmap_load(BitmapRecord *b) {
    int32_t r = H().bitmap_load(b);
    if (logging()) log(kEntryBitmapLoad, "host_bitmap_load", (b ? name_of(b->name) : "null") + fmt(" -> %d", r));
    return r;
}

void bitmap_free(BitmapRecord *b) {
    if (logging()) log(kEntryBitmapFree, "host_bitmap_free", b ? name_of(b->name) : "null");
    H().bitmap_free(b);
}

void bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame) {
    if (logging()) log(kEntryBitmapDraw, "host_bitmap_draw", (b ? name_of(b->name) : "null") + fmt(", %d, %d, %d", x, y, frame));
    H().bitmap_draw(s, b, x, y, frame);
}

// ---- streams and files

int32_t stream_open(StreamRecord *r) {
    int32_t ok = H().stream_open(r);
    if (logging()) log(kEntryStreamOpen, "host_stream_open",
        r ? name_of(r->name) + ", " + quote(r->mode, 8) + fmt(" -> %d", ok) : std::string("null"));
    return ok;
}

void stream_close(StreamRecord *r) {
    if (logging()) log(kEntryStreamClose, "host_stream_close", r ? name_of(r->name) : "null");
    H().stream_close(r);
}

int32_t file_exists(const char *path, int32_t mode) {
    struct stat st{};
    int32_t found = path && stat(H().resolve(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
    if (logging()) log(kEntryFileExists, "host_file_exists", quote(path, 4096) + fmt(", %d -> %d", mode, found));
    return found;
}

void stream_read_object(void *object, StreamRecord *r) {
    std::string words = "null";
    if (object) {
        int32_t w[5];
        std::memcpy(w, object, sizeof w);
        words = fmt("{%d, %d, %d, %d, %d}", w[0], w[1], w[2], w[3], w[4]);
    }
    if (logging()) log(kEntryStreamReadObject, "host_stream_read_object", words + ", " + (r ? name_of(r->name) : "null"));
    H().stream_read_object(object, r);
}

void stream_read_int(int32_t *dst, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_int(dst);
    if (logging()) log(kEntryStreamReadInt, "host_stream_read_int", dst ? fmt("%d", *dst) : "null");
}

void stream_read_float(float *dst, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_float(dst);
    if (logging()) log(kEntryStreamReadFloat, "host_stream_read_float", dst ? fmt("%g", double(*dst)) : "null");
}

void stream_read_string(char *buf, int32_t capacity, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_string(buf, capacity);
    if (logging()) log(kEntryStreamReadString, "host_stream_read_string",
        fmt("%d, ", capacity) + (buf && capacity > 0 ? quote(buf, size_t(capacity)) : "null"));
}

void stream_read_message(HostMessage *m, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_message(m);
    if (logging()) log(kEntryStreamReadMessage, "host_stream_read_message", m ? message_text(*m) : "null");
}

// ---- sounds

int32_t sound_play_file(const char *file) {
    int32_t id = H().sound_play(file);
    if (logging()) log(kEntrySoundPlayFile, "host_sound_play_file", quote(file, 256) + fmt(" -> %d", id));
    return id;
}

void sound_stop(int32_t sound) {
    if (logging()) log(kEntrySoundStop, "host_sound_stop", fmt("%d", sound));
    H().sound_stop(sound);
}

int32_t sound_is_playing(int32_t sound) {
    int32_t r = H().sound_is_playing(sound);
    if (logging()) log(kEntrySoundIsPlaying, "host_sound_is_playing", fmt("%d -> %d", sound, r));
    return r;
}

void sound_set_volume(int32_t sound, float volume) {
    if (logging()) log(kEntrySoundSetVolume, "host_sound_set_volume", fmt("%d, %g", sound, double(volume)));
    H().sound_set_volume(sound, volume);
}

// ---- lists

void get_navaid_list(void **head) {
    void *h = H().make_list(kEntryGetNavaidList);
    if (head) *head = h;
    if (logging()) log(kEntryGetNavaidList, "host_get_navaid_list", std::to_string(H().world().nearby_navaids.size()));
}

void get_airport_list(void **head) {
    void *h = H().make_list(kEntryGetAirportList);
    if (head) *head = h;
    if (logging()) log(kEntryGetAirportList, "host_get_airport_list", std::to_string(H().world().nearby_airports.size()));
}

void get_point_list(void **head) {
    void *h = H().make_list(kEntryGetPointList);
    if (head) *head = h;
    if (logging()) log(kEntryGetPointList, "host_get_point_list", std::to_string(H().world().nearby_points.size()));
}

void free_navaid_list(void *head) {
    if (logging()) log(kEntryFreeNavaidList, "host_free_navaid_list", head ? "list" : "null");
    H().free_list(kEntryGetNavaidList, head);
}

void free_airport_list(void *head) {
    if (logging()) log(kEntryFreeAirportList, "host_free_airport_list", head ? "list" : "null");
    H().free_list(kEntryGetAirportList, head);
}

void free_point_list(void *head) {
    if (logging()) log(kEntryFreePointList, "host_free_point_list", head ? "list" : "null");
    H().free_list(kEntryGetPointList, head);
}

int32_t get_traffic_list(void **list) {
    int32_t n = H().traffic_list(list);
    if (logging()) log(kEntryGetTrafficList, "host_get_traffic_list", fmt("-> %d", n));
    return n;
}

void free_traffic_list(void *list) {
    if (logging()) log(kEntryFreeTrafficList, "host_free_traffic_list", list ? "list" : "null");
    H().free_list(kEntryGetTrafficList, list);
}

// ---- objects

void get_user_object(ObjectRef *out) {
    if (out) *out = H().world().user_ref();
    if (logging()) log(kEntryGetUserObject, "host_get_user_object", "");
}

int32_t object_is_valid(const ObjectRef *o) {
    SimObject *obj = H().world().find(o);
    int32_t r = obj && obj->valid ? 1 : 0;
    if (logging()) log(kEntryObjectIsValid, "host_object_is_valid", ref_text(o) + fmt(" -> %d", r));
    return r;
}

void object_get_position(const ObjectRef *o, GeoPosition *out) {
    if (logging()) log(kEntryObjectGetPosition, "host_object_get_position", ref_text(o));
    if (out == nullptr) return;
    SimObject *obj = H().world().find(o);
    *out = obj ? obj->position : GeoPosition{};
}

void object_get_name(const ObjectRef *o, char *buf, int32_t capacity) {
    if (logging()) log(kEntryObjectGetName, "host_object_get_name", ref_text(o) + fmt(", %d", capacity));
    if (buf == nullptr || capacity <= 0) return;
    SimObject *obj = H().world().find(o);
    std::snprintf(buf, size_t(capacity), "%s", obj ? obj->name.c_str() : "");
}

void object_get_record_156(const ObjectRef *o, void *record) {
    if (logging()) log(kEntryObjectGetRecord156, "host_object_get_record_156", ref_text(o));
    if (record == nullptr) return;
    SimObject *obj = H().world().find(o);
    uint8_t bytes[64] = {};
    float speed = obj ? obj->ground_speed_fps : 0.0f;
    std::memcpy(bytes, &speed, sizeof speed);
    std::memcpy(record, bytes, sizeof bytes);
}

int32_t object_load_model(const ObjectRef *o, const char *path, uint32_t tag) {
    SimObject *obj = H().world().find(o);
    struct stat st{};
    int32_t ok = obj && path && stat(H().resolve(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
    if (ok) obj->models[tag] = std::string(path, strnlen(path, 4096));
    if (logging()) log(kEntryObjectLoadModel, "host_object_load_model",
        ref_text(o) + ", " + quote(path, 4096) + ", " + code_text(tag) + fmt(" -> %d", ok));
    return ok;
}

int32_t object_select_model(const ObjectRef *o, uint32_t tag) {
    SimObject *obj = H().world().find(o);
    int32_t ok = obj && obj->models.count(tag) ? 1 : 0;
    if (ok) obj->selected_model = tag;
    if (logging()) log(kEntryObjectSelectModel, "host_object_select_model", ref_text(o) + ", " + code_text(tag) + fmt(" -> %d", ok));
    return ok;
}

int32_t input_enabled() {
    int32_t r = H().input_enabled ? 1 : 0;
    if (logging()) log(kEntryInputEnabled, "host_input_enabled", fmt("-> %d", r));
    return r;
}

// The map heading travels as a 32-bit fraction of a turn.
constexpr double kTurn = 4294967296.0;

void object_get_value_280(const ObjectRef *o, uint32_t *dst) {
    if (logging()) log(kEntryObjectGetValue280, "host_object_get_value_280", ref_text(o));
    if (dst == nullptr) return;
    SimObject *obj = H().world().find(o);
    double turns = obj ? std::fmod(double(obj->map_heading_deg) / 360.0, 1.0) : 0.0;
    if (turns < 0) turns += 1.0;
    *dst = uint32_t(std::fmin(turns * kTurn, kTurn - 1.0));
}

float convert_value_208(uint32_t raw) {
    float deg = float(double(raw) * 360.0 / kTurn);
    if (logging()) log(kEntryConvertValue208, "host_convert_value_208", fmt("%u -> %g", raw, double(deg)));
    return deg;
}

void object_get_value_281(const ObjectRef *o, float *dst) {
    if (logging()) log(kEntryObjectGetValue281, "host_object_get_value_281", ref_text(o));
    if (dst == nullptr) return;
    SimObject *obj = H().world().find(o);
    *dst = obj ? obj->heading_deg : 0.0f;
}

int32_t object_get_value_282(const ObjectRef *o, float *dst) {
    SimObject *obj = H().world().find(o);
    auto var = H().world().variation_deg;
    int32_t ok = obj && var && dst ? 1 : 0;
    if (ok) *dst = *var;
    if (logging()) log(kEntryObjectGetValue282, "host_object_get_value_282", ref_text(o) + fmt(" -> %d", ok));
    return ok;
}

double *position_vector_entry(double out[3], const GeoPosition *from, const GeoPosition *to) {
    if (logging()) log(kEntryPositionVector, "host_position_vector", "");
    if (out == nullptr) return out;
    if (from && to)
        panelhost::position_vector(*from, *to, out, H().bearing_origin());
    else
        out[0] = out[1] = out[2] = 0.0;
    return out;
}

int32_t sim_state() {
    int32_t r = H().sim_state;
    if (logging()) log(kEntrySimState, "host_sim_state", fmt("-> %d", r));
    return r;
}

float get_frame_seconds() {
    float r = H().frame_seconds;
    if (logging()) log(kEntryGetFrameSeconds, "host_get_frame_seconds", fmt("-> %g", double(r)));
    return r;
}

void window_place(int32_t window, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (logging()) log(kEntryWindowPlace, "host_window_place", fmt("%d, %d, %d, %d, %d", window, x, y, w, h));
    H().windows[window] = WindowRect{x, y, w, h};
}

int32_t window_query(int32_t window) {
    int32_t r = H().windows.count(window) ? 1 : 0;
    if (logging()) log(kEntryWindowQuery, "host_window_query", fmt("%d -> %d", window, r));
    return r;
}

float object_get_radio_frequency(const ObjectRef *o, int32_t kind, int32_t unit, int32_t which) {
    SimObject *obj = H().world().find(o);
    float f = 0.0f;
    if (obj) {
        obj->radios_read.insert({kind, unit});
        auto it = obj->radios.find({kind, unit, which});
        if (it != obj->radios.end()) f = it->second;
    }
    if (logging()) log(kEntryObjectGetRadioFrequency, "host_object_get_radio_frequency",
        ref_text(o) + fmt(", %d, %d, %d -> %g", kind, unit, which, double(f)));
    return f;
}

void object_set_part_frame(const ObjectRef *o, const char *part, int32_t frame) {
    if (logging()) log(kEntryObjectSetPartFrame, "host_object_set_part_frame", ref_text(o) + ", " + quote(part, 256) + fmt(", %d", frame));
    SimObject *obj = H().world().find(o);
    if (obj && part) obj->part_frames[std::string(part, strnlen(part, 256))] = frame;
}

template <class Fn>
HostEntry as_entry(Fn fn) {
    return reinterpret_cast<HostEntry>(fn);
}

}  // namespace

void service_failed(int entry, const char *what) noexcept {
    try {
        Host::current().problems().push_back("service " + std::to_string(entry) + " failed: " + what);
    } catch (...) {
        // Out of memory for the message too: the zero result is all that is left.
    }
}

void fill_services(std::array<HostEntry, kServiceCount> &t) {
    t.fill(nullptr);
    t[kEntryCreateInstance] = as_entry(&Guarded<kEntryCreateInstance, &create_instance>::call);
    t[kEntryRegisterClass] = as_entry(&Guarded<kEntryRegisterClass, &register_class>::call);
    t[kEntrySendMessage] = as_entry(&Guarded<kEntrySendMessage, &send_message>::call);
    t[kEntrySurfacePresent] = as_entry(&Guarded<kEntrySurfacePresent, &surface_present>::call);
    t[kEntrySurfacePresentKeyed] = as_entry(&Guarded<kEntrySurfacePresentKeyed, &surface_present_keyed>::call);
    t[kEntryFontLoad] = as_entry(&Guarded<kEntryFontLoad, &font_load>::call);
    t[kEntryFontFree] = as_entry(&Guarded<kEntryFontFree, &font_free>::call);
    t[kEntryFontDrawText] = as_entry(&Guarded<kEntryFontDrawText, &font_draw_text>::call);
    t[kEntryFontDrawLabel] = as_entry(&Guarded<kEntryFontDrawLabel, &font_draw_label>::call);
    t[kEntryBitmapLoad] = as_entry(&Guarded<kEntryBitmapLoad, &bitmap_load>::call);
    t[kEntryBitmapFree] = as_entry(&Guarded<kEntryBitmapFree, &bitmap_free>::call);
    t[kEntryBitmapDraw] = as_entry(&Guarded<kEntryBitmapDraw, &bitmap_draw>::call);
    t[kEntryStreamOpen] = as_entry(&Guarded<kEntryStreamOpen, &stream_open>::call);
    t[kEntryStreamClose] = as_entry(&Guarded<kEntryStreamClose, &stream_close>::call);
    t[kEntryFileExists] = as_entry(&Guarded<kEntryFileExists, &file_exists>::call);
    t[kEntryStreamReadObject] = as_entry(&Guarded<kEntryStreamReadObject, &stream_read_object>::call);
    t[kEntryStreamReadInt] = as_entry(&Guarded<kEntryStreamReadInt, &stream_read_int>::call);
    t[kEntryStreamReadFloat] = as_entry(&Guarded<kEntryStreamReadFloat, &stream_read_float>::call);
    t[kEntryStreamReadString] = as_entry(&Guarded<kEntryStreamReadString, &stream_read_string>::call);
    t[kEntryStreamReadMessage] = as_entry(&Guarded<kEntryStreamReadMessage, &stream_read_message>::call);
    t[kEntrySoundPlayFile] = as_entry(&Guarded<kEntrySoundPlayFile, &sound_play_file>::call);
    t[kEntrySoundStop] = as_entry(&Guarded<kEntrySoundStop, &sound_stop>::call);
    t[kEntrySoundIsPlaying] = as_entry(&Guarded<kEntrySoundIsPlaying, &sound_is_playing>::call);
    t[kEntrySoundSetVolume] = as_entry(&Guarded<kEntrySoundSetVolume, &sound_set_volume>::call);
    t[kEntryGetNavaidList] = as_entry(&Guarded<kEntryGetNavaidList, &get_navaid_list>::call);
    t[kEntryGetAirportList] = as_entry(&Guarded<kEntryGetAirportList, &get_airport_list>::call);
    t[kEntryGetPointList] = as_entry(&Guarded<kEntryGetPointList, &get_point_list>::call);
    t[kEntryFreeNavaidList] = as_entry(&Guarded<kEntryFreeNavaidList, &free_navaid_list>::call);
    t[kEntryFreeAirportList] = as_entry(&Guarded<kEntryFreeAirportList, &free_airport_list>::call);
    t[kEntryFreePointList] = as_entry(&Guarded<kEntryFreePointList, &free_point_list>::call);
    t[kEntryGetTrafficList] = as_entry(&Guarded<kEntryGetTrafficList, &get_traffic_list>::call);
    t[kEntryFreeTrafficList] = as_entry(&Guarded<kEntryFreeTrafficList, &free_traffic_list>::call);
    t[kEntryGetUserObject] = as_entry(&Guarded<kEntryGetUserObject, &get_user_object>::call);
    t[kEntryObjectIsValid] = as_entry(&Guarded<kEntryObjectIsValid, &object_is_valid>::call);
    t[kEntryObjectGetPosition] = as_entry(&Guarded<kEntryObjectGetPosition, &object_get_position>::call);
    t[kEntryObjectGetName] = as_entry(&Guarded<kEntryObjectGetName, &object_get_name>::call);
    t[kEntryObjectGetRecord156] = as_entry(&Guarded<kEntryObjectGetRecord156, &object_get_record_156>::call);
    t[kEntryObjectLoadModel] = as_entry(&Guarded<kEntryObjectLoadModel, &object_load_model>::call);
    t[kEntryObjectSelectModel] = as_entry(&Guarded<kEntryObjectSelectModel, &object_select_model>::call);
    t[kEntryInputEnabled] = as_entry(&Guarded<kEntryInputEnabled, &input_enabled>::call);
    t[kEntryConvertValue208] = as_entry(&Guarded<kEntryConvertValue208, &convert_value_208>::call);
    t[kEntryPositionVector] = as_entry(&Guarded<kEntryPositionVector, &position_vector_entry>::call);
    t[kEntrySimState] = as_entry(&Guarded<kEntrySimState, &sim_state>::call);
    t[kEntryAlloc] = as_entry(&Guarded<kEntryAlloc, &alloc>::call);
    t[kEntryFree] = as_entry(&Guarded<kEntryFree, &free_block>::call);
    t[kEntryGetFrameSeconds] = as_entry(&Guarded<kEntryGetFrameSeconds, &get_frame_seconds>::call);
    t[kEntryObjectGetValue280] = as_entry(&Guarded<kEntryObjectGetValue280, &object_get_value_280>::call);
    t[kEntryObjectGetValue281] = as_entry(&Guarded<kEntryObjectGetValue281, &object_get_value_281>::call);
    t[kEntryObjectGetValue282] = as_entry(&Guarded<kEntryObjectGetValue282, &object_get_value_282>::call);
    t[kEntryWindowPlace] = as_entry(&Guarded<kEntryWindowPlace, &window_place>::call);
    t[kEntryWindowQuery] = as_entry(&Guarded<kEntryWindowQuery, &window_query>::call);
    t[kEntryObjectGetRadioFrequency] = as_entry(&Guarded<kEntryObjectGetRadioFrequency, &object_get_radio_frequency>::call);
    t[kEntryObjectSetPartFrame] = as_entry(&Guarded<kEntryObjectSetPartFrame, &object_set_part_frame>::call);
}

}  // namespace panelhost
