// The plug-in's side of the host services: the copied table and one thin
// wrapper per entry. Plug-in code calls these and never indexes the table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"

namespace frame {

// Copies the entries of the host's table that this deliverable uses (547,
// partanim 537) and keeps the reference.
int32_t install_services(HostEntry *table, int32_t reference);
// The reference number given with the table, 0 before install_services.
int32_t reference_number();

}  // namespace frame

void **host_create_instance(int32_t reference);
void host_register_class(void *registry, uint32_t kind, uint32_t cls);
void host_send_message(HostMessage *m);
void host_surface_present(DrawSurface *s);
void host_surface_present_keyed(DrawSurface *s, uint32_t colour);
int32_t host_font_load(FontRecord *f);
void host_font_free(FontRecord *f);
void host_font_draw_text(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour,
                         const char *text);
void host_font_draw_label(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour,
                          const char *text);
int32_t host_bitmap_load(BitmapRecord *b);
void host_bitmap_free(BitmapRecord *b);
void host_bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame);
int32_t host_stream_open(StreamRecord *r);
void host_stream_close(StreamRecord *r);
int32_t host_file_exists(const char *path, int32_t mode);
void host_stream_read_object(void *object, StreamRecord *r);
void host_stream_read_int(int32_t *dst, void *stream);
void host_stream_read_float(float *dst, void *stream);
void host_stream_read_string(char *buf, int32_t capacity, void *stream);
void host_stream_read_message(HostMessage *m, void *stream);
int32_t host_sound_play_file(const char *file);
void host_sound_stop(int32_t sound);
int32_t host_sound_is_playing(int32_t sound);
void host_sound_set_volume(int32_t sound, float volume);
void host_get_navaid_list(void **head);
void host_get_airport_list(void **head);
void host_get_point_list(void **head);
void host_free_navaid_list(void *head);
void host_free_airport_list(void *head);
void host_free_point_list(void *head);
int32_t host_get_traffic_list(void **list);
void host_free_traffic_list(void *list);
void host_get_user_object(ObjectRef *out);
int32_t host_object_is_valid(const ObjectRef *o);
void host_object_get_position(const ObjectRef *o, GeoPosition *out);
void host_object_get_name(const ObjectRef *o, char *buf, int32_t capacity);
void host_object_get_record_156(const ObjectRef *o, void *record);
int32_t host_object_load_model(const ObjectRef *o, const char *path, uint32_t tag);
int32_t host_object_select_model(const ObjectRef *o, uint32_t tag);
int32_t host_input_enabled();
float host_convert_value_208(uint32_t raw);
double *host_position_vector(double out[3], const GeoPosition *from, const GeoPosition *to);
int32_t host_sim_state();
void *host_alloc(size_t bytes);
void host_free(void *p);
float host_get_frame_seconds();
void host_object_get_value_280(const ObjectRef *o, uint32_t *dst);
void host_object_get_value_281(const ObjectRef *o, float *dst);
int32_t host_object_get_value_282(const ObjectRef *o, float *dst);
void host_window_place(int32_t window, int32_t x, int32_t y, int32_t w, int32_t h);
int32_t host_window_query(int32_t window);
float host_object_get_radio_frequency(const ObjectRef *o, int32_t kind, int32_t unit, int32_t which);
void host_object_set_part_frame(const ObjectRef *o, const char *part, int32_t frame);
