// Each service decodes its arguments into the call log, then does its work on
// the current host: what the host keeps for the plug-ins through one call to
// Resources, the loader's share through one call to Host, the world's answers
// here. The log keeps the order of the calls: a service whose text holds its
// result logs after its work, the others before it. The table holds each
// service through Guarded (services.h), so none lets an exception reach the
// plug-in.
#include "host/services.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/geo.h"
#include "host/host.h"

namespace panelhost {
namespace {

Host &H() { return Host::current(); }
Resources &R() { return Host::current().resources(); }
SimObject *object(const ObjectRef *o) { return Host::current().world().find(o); }

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
void log(int entry, std::string args) { H().log().add(entry, std::move(args)); }

std::string name_of(const char *record_name) { return quote(record_name, 64); }
template <class Record>
std::string record_text(const Record *r) {
    return r ? name_of(r->name) : "null";
}

std::string ref_text(const ObjectRef *o) {
    if (o == nullptr) return "null";
    return fmt("obj%u", o->words[0]);
}

std::string surface_text(const DrawSurface *s) {
    return s ? fmt("%dx%d", s->width, s->height) : std::string("null");
}

// A load service's log, after its work: the record's name and the result.
template <class Record>
int32_t loaded(int entry, const Record *r, int32_t result) {
    if (logging()) log(entry, record_text(r) + fmt(" -> %d", result));
    return result;
}

std::string text_args(FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text) {
    return record_text(f) + fmt(", %d, %d, ", x, y) + colour_text(colour) + ", " + quote(text, 4096);
}

// Hands out the list of a get entry into *head; its log text is the number
// of nearby objects it holds.
void get_list(int entry, void **head) {
    int32_t count = 0;
    void *h = R().make_list(entry, &count);
    if (head) *head = h;
    if (logging()) log(entry, std::to_string(count));
}

void free_list(int entry, int get_entry, void *head) {
    if (logging()) log(entry, head ? "list" : "null");
    R().free_list(get_entry, head);
}

// The map heading travels as a 32-bit fraction of a turn.
constexpr double kTurn = 4294967296.0;

}  // namespace

// ---------------------------------------------------------------- frame and instances

void **Services::create_instance(int32_t reference) {
    if (logging()) log(kEntryCreateInstance, fmt("%d", reference));
    return H().create_instance(reference);
}

void Services::register_class(void *registry, uint32_t kind, uint32_t cls) {
    if (logging()) log(kEntryRegisterClass, code_text(kind) + ", " + code_text(cls));
    H().register_class(registry, kind, cls);
}

void Services::send_message(HostMessage *m) {
    if (m == nullptr) return;
    H().bus().send(*m);
    if (logging()) log(kEntrySendMessage, message_text(*m));
}

void *Services::alloc(size_t bytes) {
    void *p = H().memory().alloc(bytes);
    if (logging()) log(kEntryAlloc, std::to_string(bytes) + (p ? "" : " -> null"));
    return p;
}

void Services::free(void *p) {
    if (logging()) log(kEntryFree, p ? "block" : "null");
    if (!H().memory().free(p)) H().problems().push_back(H().memory().faults().back());
}

// ---------------------------------------------------------------- surfaces, fonts, pictures

void Services::surface_present(DrawSurface *s) {
    if (logging()) log(kEntrySurfacePresent, surface_text(s));
    H().present(s, false, 0);
}

void Services::surface_present_keyed(DrawSurface *s, uint32_t colour) {
    if (logging()) log(kEntrySurfacePresentKeyed, surface_text(s) + ", " + colour_text(colour));
    H().present(s, true, colour);
}

int32_t Services::font_load(FontRecord *f) { return loaded(kEntryFontLoad, f, R().font_load(f)); }

void Services::font_free(FontRecord *f) {
    if (logging()) log(kEntryFontFree, record_text(f));
    R().font_free(f);
}

void Services::font_draw_text(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text) {
    if (logging()) log(kEntryFontDrawText, text_args(f, x, y, colour, text));
    R().font_draw(s, f, x, y, colour, text, false);
}

void Services::font_draw_label(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text) {
    if (logging()) log(kEntryFontDrawLabel, text_args(f, x, y, colour, text));
    R().font_draw(s, f, x, y, colour, text, true);
}

int32_t Services::bitmap_load(BitmapRecord *b) { return loaded(kEntryBitmapLoad, b, R().bitmap_load(b)); }

void Services::bitmap_free(BitmapRecord *b) {
    if (logging()) log(kEntryBitmapFree, record_text(b));
    R().bitmap_free(b);
}

void Services::bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame) {
    if (logging()) log(kEntryBitmapDraw, record_text(b) + fmt(", %d, %d, %d", x, y, frame));
    R().bitmap_draw(s, b, x, y, frame);
}

// ---------------------------------------------------------------- streams and files

int32_t Services::stream_open(StreamRecord *r) {
    int32_t ok = R().stream_open(r);
    if (logging()) log(kEntryStreamOpen, r ? name_of(r->name) + ", " + quote(r->mode, 8) + fmt(" -> %d", ok) : "null");
    return ok;
}

void Services::stream_close(StreamRecord *r) {
    if (logging()) log(kEntryStreamClose, record_text(r));
    R().stream_close(r);
}

int32_t Services::file_exists(const char *path, int32_t mode) {
    int32_t found = R().is_regular_file(path) ? 1 : 0;
    if (logging()) log(kEntryFileExists, quote(path, 4096) + fmt(", %d -> %d", mode, found));
    return found;
}

void Services::stream_read_object(void *object, StreamRecord *r) {
    if (logging()) {
        std::string words = "null";
        if (object) {
            int32_t w[5];
            std::memcpy(w, object, sizeof w);
            words = fmt("{%d, %d, %d, %d, %d}", w[0], w[1], w[2], w[3], w[4]);
        }
        log(kEntryStreamReadObject, words + ", " + record_text(r));
    }
    H().read_object(object, r);
}

void Services::stream_read_int(int32_t *dst, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_int(dst);
    if (logging()) log(kEntryStreamReadInt, dst ? fmt("%d", *dst) : "null");
}

void Services::stream_read_float(float *dst, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_float(dst);
    if (logging()) log(kEntryStreamReadFloat, dst ? fmt("%g", double(*dst)) : "null");
}

void Services::stream_read_string(char *buf, int32_t capacity, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_string(buf, capacity);
    if (logging())
        log(kEntryStreamReadString, fmt("%d, ", capacity) + (buf && capacity > 0 ? quote(buf, size_t(capacity)) : "null"));
}

void Services::stream_read_message(HostMessage *m, void *stream) {
    if (TagCursor *c = H().cursor(stream)) c->read_message(m);
    if (logging()) log(kEntryStreamReadMessage, m ? message_text(*m) : "null");
}

// ---------------------------------------------------------------- sounds

int32_t Services::sound_play_file(const char *file) {
    int32_t id = R().sound_play(file);
    if (logging()) log(kEntrySoundPlayFile, quote(file, 256) + fmt(" -> %d", id));
    return id;
}

void Services::sound_stop(int32_t sound) {
    if (logging()) log(kEntrySoundStop, fmt("%d", sound));
    R().sound_stop(sound);
}

int32_t Services::sound_is_playing(int32_t sound) {
    int32_t r = R().sound_is_playing(sound);
    if (logging()) log(kEntrySoundIsPlaying, fmt("%d -> %d", sound, r));
    return r;
}

void Services::sound_set_volume(int32_t sound, float volume) {
    if (logging()) log(kEntrySoundSetVolume, fmt("%d, %g", sound, double(volume)));
    R().sound_set_volume(sound, volume);
}

// ---------------------------------------------------------------- lists

void Services::get_navaid_list(void **head) {
    get_list(kEntryGetNavaidList, head);
}

void Services::get_airport_list(void **head) {
    get_list(kEntryGetAirportList, head);
}

void Services::get_point_list(void **head) {
    get_list(kEntryGetPointList, head);
}

void Services::free_navaid_list(void *head) { panelhost::free_list(kEntryFreeNavaidList, kEntryGetNavaidList, head); }
void Services::free_airport_list(void *head) { panelhost::free_list(kEntryFreeAirportList, kEntryGetAirportList, head); }
void Services::free_point_list(void *head) { panelhost::free_list(kEntryFreePointList, kEntryGetPointList, head); }

int32_t Services::get_traffic_list(void **list) {
    int32_t n = 0;
    void *head = R().make_list(kEntryGetTrafficList, &n);
    if (list) *list = head;
    if (logging()) log(kEntryGetTrafficList, fmt("-> %d", n));
    return n;
}

void Services::free_traffic_list(void *list) {
    panelhost::free_list(kEntryFreeTrafficList, kEntryGetTrafficList, list);
}

// ---------------------------------------------------------------- objects

void Services::get_user_object(ObjectRef *out) {
    if (out) *out = H().world().user_ref();
    if (logging()) log(kEntryGetUserObject, "");
}

int32_t Services::object_is_valid(const ObjectRef *o) {
    SimObject *obj = object(o);
    int32_t r = obj && obj->valid ? 1 : 0;
    if (logging()) log(kEntryObjectIsValid, ref_text(o) + fmt(" -> %d", r));
    return r;
}

void Services::object_get_position(const ObjectRef *o, GeoPosition *out) {
    if (logging()) log(kEntryObjectGetPosition, ref_text(o));
    if (out == nullptr) return;
    SimObject *obj = object(o);
    *out = obj ? obj->position : GeoPosition{};
}

void Services::object_get_name(const ObjectRef *o, char *buf, int32_t capacity) {
    if (logging()) log(kEntryObjectGetName, ref_text(o) + fmt(", %d", capacity));
    if (buf == nullptr || capacity <= 0) return;
    SimObject *obj = object(o);
    std::snprintf(buf, size_t(capacity), "%s", obj ? obj->name.c_str() : "");
}

void Services::object_get_record_156(const ObjectRef *o, void *record) {
    if (logging()) log(kEntryObjectGetRecord156, ref_text(o));
    if (record == nullptr) return;
    SimObject *obj = object(o);
    uint8_t bytes[64] = {};
    float speed = obj ? obj->ground_speed_fps : 0.0f;
    std::memcpy(bytes, &speed, sizeof speed);
    std::memcpy(record, bytes, sizeof bytes);
}

int32_t Services::object_load_model(const ObjectRef *o, const char *path, uint32_t tag) {
    int32_t ok = R().load_model(object(o), path, tag);
    if (logging())
        log(kEntryObjectLoadModel, ref_text(o) + ", " + quote(path, 4096) + ", " + code_text(tag) + fmt(" -> %d", ok));
    return ok;
}

int32_t Services::object_select_model(const ObjectRef *o, uint32_t tag) {
    int32_t ok = R().select_model(object(o), tag);
    if (logging()) log(kEntryObjectSelectModel, ref_text(o) + ", " + code_text(tag) + fmt(" -> %d", ok));
    return ok;
}

void Services::object_get_value_280(const ObjectRef *o, uint32_t *dst) {
    if (logging()) log(kEntryObjectGetValue280, ref_text(o));
    if (dst == nullptr) return;
    SimObject *obj = object(o);
    double turns = obj ? std::fmod(double(obj->map_heading_deg) / 360.0, 1.0) : 0.0;
    if (turns < 0) turns += 1.0;
    *dst = uint32_t(std::fmin(turns * kTurn, kTurn - 1.0));
}

void Services::object_get_value_281(const ObjectRef *o, float *dst) {
    if (logging()) log(kEntryObjectGetValue281, ref_text(o));
    if (dst == nullptr) return;
    SimObject *obj = object(o);
    *dst = obj ? obj->heading_deg : 0.0f;
}

int32_t Services::object_get_value_282(const ObjectRef *o, float *dst) {
    SimObject *obj = object(o);
    auto var = H().world().variation_deg;
    int32_t ok = obj && var && dst ? 1 : 0;
    if (ok) *dst = *var;
    if (logging()) log(kEntryObjectGetValue282, ref_text(o) + fmt(" -> %d", ok));
    return ok;
}

float Services::object_get_radio_frequency(const ObjectRef *o, int32_t kind, int32_t unit, int32_t which) {
    SimObject *obj = object(o);
    float f = 0.0f;
    if (obj) {
        obj->radios_read.insert({kind, unit});
        auto it = obj->radios.find({kind, unit, which});
        if (it != obj->radios.end()) f = it->second;
    }
    if (logging())
        log(kEntryObjectGetRadioFrequency, ref_text(o) + fmt(", %d, %d, %d -> %g", kind, unit, which, double(f)));
    return f;
}

void Services::object_set_part_frame(const ObjectRef *o, const char *part, int32_t frame) {
    if (logging()) log(kEntryObjectSetPartFrame, ref_text(o) + ", " + quote(part, 256) + fmt(", %d", frame));
    SimObject *obj = object(o);
    if (obj && part) obj->part_frames[std::string(part, strnlen(part, 256))] = frame;
}

// ---------------------------------------------------------------- the simulation

float Services::convert_value_208(uint32_t raw) {
    float deg = float(double(raw) * 360.0 / kTurn);
    if (logging()) log(kEntryConvertValue208, fmt("%u -> %g", raw, double(deg)));
    return deg;
}

double *Services::position_vector(double out[3], const GeoPosition *from, const GeoPosition *to) {
    if (logging()) log(kEntryPositionVector, "");
    if (out == nullptr) return out;
    if (from && to)
        panelhost::position_vector(*from, *to, out, H().bearing_origin());
    else
        out[0] = out[1] = out[2] = 0.0;
    return out;
}

int32_t Services::input_enabled() {
    int32_t r = H().input_enabled ? 1 : 0;
    if (logging()) log(kEntryInputEnabled, fmt("-> %d", r));
    return r;
}

int32_t Services::sim_state() {
    int32_t r = H().sim_state;
    if (logging()) log(kEntrySimState, fmt("-> %d", r));
    return r;
}

float Services::get_frame_seconds() {
    float r = H().frame_seconds;
    if (logging()) log(kEntryGetFrameSeconds, fmt("-> %g", double(r)));
    return r;
}

// ---------------------------------------------------------------- windows

void Services::window_place(int32_t window, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (logging()) log(kEntryWindowPlace, fmt("%d, %d, %d, %d, %d", window, x, y, w, h));
    R().place_window(window, WindowRect{x, y, w, h});
}

int32_t Services::window_query(int32_t window) {
    int32_t r = R().has_window(window) ? 1 : 0;
    if (logging()) log(kEntryWindowQuery, fmt("%d -> %d", window, r));
    return r;
}

// ---------------------------------------------------------------- the table

void service_failed(int entry, const char *what) noexcept {
    try {
        Host::current().problems().push_back("service " + std::to_string(entry) + " failed: " + what);
    } catch (...) {
        // Out of memory for the message too: the zero result is all that is left.
    }
}

void fill_services(std::array<HostEntry, kServiceCount> &t) {
    t.fill(nullptr);
#define HOST_SERVICE(number, Name, name, signature, contract) \
    t[number] = reinterpret_cast<HostEntry>(&Guarded<number, &Services::name>::call);
#include "frame/host_services.def"
}

}  // namespace panelhost
