#include "frame/host_api.h"

#ifndef FRAME_SERVICE_COUNT
#error "FRAME_SERVICE_COUNT must be defined by the build (547 or 537)"
#endif

namespace {

// The module-wide copy of the host's services and the reference number.
HostEntry g_services[FRAME_SERVICE_COUNT];
int32_t g_reference = 0;

static_assert(sizeof(g_services) == FRAME_SERVICE_COUNT * sizeof(HostEntry));
static_assert(sizeof(void *) != 4 || sizeof(g_services) == (FRAME_SERVICE_COUNT == 547 ? 2188 : 2148));

// The entry cast to its exact signature; null when the host left it empty.
template <class Fn>
Fn entry(int id) {
    return id < FRAME_SERVICE_COUNT ? reinterpret_cast<Fn>(g_services[id]) : nullptr;
}

}  // namespace

namespace frame {

int32_t install_services(HostEntry *table, int32_t reference) {
    for (int i = 0; i < FRAME_SERVICE_COUNT; ++i) g_services[i] = table ? table[i] : nullptr;
    g_reference = reference;
    return reference;
}

int32_t reference_number() { return g_reference; }

}  // namespace frame

// Each wrapper forwards arguments and result unchanged. A host that left a
// used entry null gets no call; the wrapper then returns a zero result.

void **host_create_instance(int32_t reference) {
    using Fn = void **(*)(int32_t);
    Fn f = entry<Fn>(kEntryCreateInstance);
    return f ? f(reference) : nullptr;
}

void host_register_class(void *registry, uint32_t kind, uint32_t cls) {
    using Fn = void (*)(void *, uint32_t, uint32_t);
    if (Fn f = entry<Fn>(kEntryRegisterClass)) f(registry, kind, cls);
}

void host_send_message(HostMessage *m) {
    using Fn = void (*)(HostMessage *);
    if (Fn f = entry<Fn>(kEntrySendMessage)) f(m);
}

void host_surface_present(DrawSurface *s) {
    using Fn = void (*)(DrawSurface *);
    if (Fn f = entry<Fn>(kEntrySurfacePresent)) f(s);
}

void host_surface_present_keyed(DrawSurface *s, uint32_t colour) {
    using Fn = void (*)(DrawSurface *, uint32_t);
    if (Fn f = entry<Fn>(kEntrySurfacePresentKeyed)) f(s, colour);
}

int32_t host_font_load(FontRecord *r) {
    using Fn = int32_t (*)(FontRecord *);
    Fn f = entry<Fn>(kEntryFontLoad);
    return f ? f(r) : 0;
}

void host_font_free(FontRecord *r) {
    using Fn = void (*)(FontRecord *);
    if (Fn f = entry<Fn>(kEntryFontFree)) f(r);
}

void host_font_draw_text(DrawSurface *s, FontRecord *r, int32_t x, int32_t y, uint32_t colour,
                         const char *text) {
    using Fn = void (*)(DrawSurface *, FontRecord *, int32_t, int32_t, uint32_t, const char *);
    if (Fn f = entry<Fn>(kEntryFontDrawText)) f(s, r, x, y, colour, text);
}

void host_font_draw_label(DrawSurface *s, FontRecord *r, int32_t x, int32_t y, uint32_t colour,
                          const char *text) {
    using Fn = void (*)(DrawSurface *, FontRecord *, int32_t, int32_t, uint32_t, const char *);
    if (Fn f = entry<Fn>(kEntryFontDrawLabel)) f(s, r, x, y, colour, text);
}

int32_t host_bitmap_load(BitmapRecord *b) {
    using Fn = int32_t (*)(BitmapRecord *);
    Fn f = entry<Fn>(kEntryBitmapLoad);
    return f ? f(b) : 0;
}

void host_bitmap_free(BitmapRecord *b) {
    using Fn = void (*)(BitmapRecord *);
    if (Fn f = entry<Fn>(kEntryBitmapFree)) f(b);
}

void host_bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame) {
    using Fn = void (*)(DrawSurface *, BitmapRecord *, int32_t, int32_t, int32_t);
    if (Fn f = entry<Fn>(kEntryBitmapDraw)) f(s, b, x, y, frame);
}

int32_t host_stream_open(StreamRecord *r) {
    using Fn = int32_t (*)(StreamRecord *);
    Fn f = entry<Fn>(kEntryStreamOpen);
    return f ? f(r) : 0;
}

void host_stream_close(StreamRecord *r) {
    using Fn = void (*)(StreamRecord *);
    if (Fn f = entry<Fn>(kEntryStreamClose)) f(r);
}

int32_t host_file_exists(const char *path, int32_t mode) {
    using Fn = int32_t (*)(const char *, int32_t);
    Fn f = entry<Fn>(kEntryFileExists);
    return f ? f(path, mode) : 0;
}

void host_stream_read_object(void *object, StreamRecord *r) {
    using Fn = void (*)(void *, StreamRecord *);
    if (Fn f = entry<Fn>(kEntryStreamReadObject)) f(object, r);
}

void host_stream_read_int(int32_t *dst, void *stream) {
    using Fn = void (*)(int32_t *, void *);
    if (Fn f = entry<Fn>(kEntryStreamReadInt)) f(dst, stream);
}

void host_stream_read_float(float *dst, void *stream) {
    using Fn = void (*)(float *, void *);
    if (Fn f = entry<Fn>(kEntryStreamReadFloat)) f(dst, stream);
}

void host_stream_read_string(char *buf, int32_t capacity, void *stream) {
    using Fn = void (*)(char *, int32_t, void *);
    if (Fn f = entry<Fn>(kEntryStreamReadString)) f(buf, capacity, stream);
}

void host_stream_read_message(HostMessage *m, void *stream) {
    using Fn = void (*)(HostMessage *, void *);
    if (Fn f = entry<Fn>(kEntryStreamReadMessage)) f(m, stream);
}

int32_t host_sound_play_file(const char *file) {
    using Fn = int32_t (*)(const char *);
    Fn f = entry<Fn>(kEntrySoundPlayFile);
    return f ? f(file) : 0;
}

void host_sound_stop(int32_t sound) {
    using Fn = void (*)(int32_t);
    if (Fn f = entry<Fn>(kEntrySoundStop)) f(sound);
}

int32_t host_sound_is_playing(int32_t sound) {
    using Fn = int32_t (*)(int32_t);
    Fn f = entry<Fn>(kEntrySoundIsPlaying);
    return f ? f(sound) : 0;
}

void host_sound_set_volume(int32_t sound, float volume) {
    using Fn = void (*)(int32_t, float);
    if (Fn f = entry<Fn>(kEntrySoundSetVolume)) f(sound, volume);
}

void host_get_navaid_list(void **head) {
    using Fn = void (*)(void **);
    if (Fn f = entry<Fn>(kEntryGetNavaidList)) f(head);
}

void host_get_airport_list(void **head) {
    using Fn = void (*)(void **);
    if (Fn f = entry<Fn>(kEntryGetAirportList)) f(head);
}

void host_get_point_list(void **head) {
    using Fn = void (*)(void **);
    if (Fn f = entry<Fn>(kEntryGetPointList)) f(head);
}

void host_free_navaid_list(void *head) {
    using Fn = void (*)(void *);
    if (Fn f = entry<Fn>(kEntryFreeNavaidList)) f(head);
}

void host_free_airport_list(void *head) {
    using Fn = void (*)(void *);
    if (Fn f = entry<Fn>(kEntryFreeAirportList)) f(head);
}

void host_free_point_list(void *head) {
    using Fn = void (*)(void *);
    if (Fn f = entry<Fn>(kEntryFreePointList)) f(head);
}

int32_t host_get_traffic_list(void **list) {
    using Fn = int32_t (*)(void **);
    Fn f = entry<Fn>(kEntryGetTrafficList);
    return f ? f(list) : 0;
}

void host_free_traffic_list(void *list) {
    using Fn = void (*)(void *);
    if (Fn f = entry<Fn>(kEntryFreeTrafficList)) f(list);
}

void host_get_user_object(ObjectRef *out) {
    using Fn = void (*)(ObjectRef *);
    if (Fn f = entry<Fn>(kEntryGetUserObject)) f(out);
}

int32_t host_object_is_valid(const ObjectRef *o) {
    using Fn = int32_t (*)(const ObjectRef *);
    Fn f = entry<Fn>(kEntryObjectIsValid);
    return f ? f(o) : 0;
}

void host_object_get_position(const ObjectRef *o, GeoPosition *out) {
    using Fn = void (*)(const ObjectRef *, GeoPosition *);
    if (Fn f = entry<Fn>(kEntryObjectGetPosition)) f(o, out);
}

void host_object_get_name(const ObjectRef *o, char *buf, int32_t capacity) {
    using Fn = void (*)(const ObjectRef *, char *, int32_t);
    if (Fn f = entry<Fn>(kEntryObjectGetName)) f(o, buf, capacity);
}

void host_object_get_record_156(const ObjectRef *o, void *record) {
    using Fn = void (*)(const ObjectRef *, void *);
    if (Fn f = entry<Fn>(kEntryObjectGetRecord156)) f(o, record);
}

int32_t host_object_load_model(const ObjectRef *o, const char *path, uint32_t tag) {
    using Fn = int32_t (*)(const ObjectRef *, const char *, uint32_t);
    Fn f = entry<Fn>(kEntryObjectLoadModel);
    return f ? f(o, path, tag) : 0;
}

int32_t host_object_select_model(const ObjectRef *o, uint32_t tag) {
    using Fn = int32_t (*)(const ObjectRef *, uint32_t);
    Fn f = entry<Fn>(kEntryObjectSelectModel);
    return f ? f(o, tag) : 0;
}

int32_t host_input_enabled() {
    using Fn = int32_t (*)();
    Fn f = entry<Fn>(kEntryInputEnabled);
    return f ? f() : 0;
}

float host_convert_value_208(uint32_t raw) {
    using Fn = float (*)(uint32_t);
    Fn f = entry<Fn>(kEntryConvertValue208);
    return f ? f(raw) : 0.0f;
}

double *host_position_vector(double out[3], const GeoPosition *from, const GeoPosition *to) {
    using Fn = double *(*)(double *, const GeoPosition *, const GeoPosition *);
    if (Fn f = entry<Fn>(kEntryPositionVector)) return f(out, from, to);
    out[0] = out[1] = out[2] = 0.0;
    return out;
}

int32_t host_sim_state() {
    using Fn = int32_t (*)();
    Fn f = entry<Fn>(kEntrySimState);
    return f ? f() : 0;
}

void *host_alloc(size_t bytes) {
    using Fn = void *(*)(size_t);
    Fn f = entry<Fn>(kEntryAlloc);
    return f ? f(bytes) : nullptr;
}

void host_free(void *p) {
    using Fn = void (*)(void *);
    if (Fn f = entry<Fn>(kEntryFree)) f(p);
}

float host_get_frame_seconds() {
    using Fn = float (*)();
    Fn f = entry<Fn>(kEntryGetFrameSeconds);
    return f ? f() : 0.0f;
}

void host_object_get_value_280(const ObjectRef *o, uint32_t *dst) {
    using Fn = void (*)(const ObjectRef *, uint32_t *);
    if (Fn f = entry<Fn>(kEntryObjectGetValue280)) f(o, dst);
}

void host_object_get_value_281(const ObjectRef *o, float *dst) {
    using Fn = void (*)(const ObjectRef *, float *);
    if (Fn f = entry<Fn>(kEntryObjectGetValue281)) f(o, dst);
}

int32_t host_object_get_value_282(const ObjectRef *o, float *dst) {
    using Fn = int32_t (*)(const ObjectRef *, float *);
    Fn f = entry<Fn>(kEntryObjectGetValue282);
    return f ? f(o, dst) : 0;
}

void host_window_place(int32_t window, int32_t x, int32_t y, int32_t w, int32_t h) {
    using Fn = void (*)(int32_t, int32_t, int32_t, int32_t, int32_t);
    if (Fn f = entry<Fn>(kEntryWindowPlace)) f(window, x, y, w, h);
}

int32_t host_window_query(int32_t window) {
    using Fn = int32_t (*)(int32_t);
    Fn f = entry<Fn>(kEntryWindowQuery);
    return f ? f(window) : 0;
}

float host_object_get_radio_frequency(const ObjectRef *o, int32_t kind, int32_t unit, int32_t which) {
    using Fn = float (*)(const ObjectRef *, int32_t, int32_t, int32_t);
    Fn f = entry<Fn>(kEntryObjectGetRadioFrequency);
    return f ? f(o, kind, unit, which) : 0.0f;
}

void host_object_set_part_frame(const ObjectRef *o, const char *part, int32_t frame) {
    using Fn = void (*)(const ObjectRef *, const char *, int32_t);
    if (Fn f = entry<Fn>(kEntryObjectSetPartFrame)) f(o, part, frame);
}
