#include "navdisplay/nearby.h"

#include <cstring>

#include "frame/host_api.h"

namespace navdisplay {
namespace {

template <class T>
T read_at(const unsigned char *record, size_t offset) {
    T v;
    std::memcpy(&v, record + offset, sizeof v);
    return v;
}

// Copies a host text of at most `width` bytes (the room before the record's
// next field), cut to the entry's identifier.
void copy_id(NearbyEntry &e, const unsigned char *record, size_t offset, size_t width) {
    const char *text = reinterpret_cast<const char *>(record + offset);
    size_t n = strnlen(text, width);
    if (n > sizeof e.id - 1) n = sizeof e.id - 1;
    std::memcpy(e.id, text, n);
    e.id[n] = '\0';
}

bool due(float &timer) {
    timer += host_get_frame_seconds();
    if (!(timer > kRefreshSeconds)) return false;
    timer = 0.0f;
    return true;
}

// Walks a host list in order, copying while there is room, then releases it.
template <size_t N, class Copy>
void copy_list(NearbyList<N> &list, void (*get)(void **), void (*release)(void *), size_t next_offset,
               Copy copy) {
    list.count = 0;
    void *head = nullptr;
    get(&head);
    for (const void *node = head; node != nullptr && list.count < N;) {
        const auto *record = static_cast<const unsigned char *>(node);
        NearbyEntry &e = list.entries[list.count++];
        std::memset(&e, 0, sizeof e);
        copy(e, record);
        node = read_at<const void *>(record, next_offset);
    }
    release(head);
}

}  // namespace

void refresh_airports(DisplayState &s) {
    namespace a = hostlist::airport;
    if (!due(s.airport_timer)) return;
    copy_list(s.airports, host_get_airport_list, host_free_airport_list, a::kNext,
              [](NearbyEntry &e, const unsigned char *r) {
                  const char *code = reinterpret_cast<const char *>(r + a::kCode);
                  // The code text "KZ" stands for "no code": the short identifier serves.
                  if (std::strncmp(code, "KZ", 3) == 0)
                      copy_id(e, r, a::kShortId, a::kCode - a::kShortId);
                  else
                      copy_id(e, r, a::kCode, sizeof e.id - 1);
                  e.latitude = read_at<double>(r, a::kLatitude);
                  e.longitude = read_at<double>(r, a::kLongitude);
              });
}

void refresh_navaids(DisplayState &s) {
    namespace v = hostlist::navaid;
    if (!due(s.navaid_timer)) return;
    copy_list(s.navaids, host_get_navaid_list, host_free_navaid_list, v::kNext,
              [](NearbyEntry &e, const unsigned char *r) {
                  e.flags = read_at<uint32_t>(r, v::kFlags);
                  e.latitude = read_at<double>(r, v::kLatitude);
                  e.longitude = read_at<double>(r, v::kLongitude);
                  copy_id(e, r, v::kId, v::kFlags - v::kId);
                  e.frequency = read_at<float>(r, v::kFrequency);
              });
}

void refresh_waypoints(DisplayState &s) {
    namespace w = hostlist::waypoint;
    constexpr size_t kWaypointIdLength = 4;
    if (!due(s.waypoint_timer)) return;
    copy_list(s.waypoints, host_get_point_list, host_free_point_list, w::kNext,
              [](NearbyEntry &e, const unsigned char *r) {
                  copy_id(e, r, w::kId, kWaypointIdLength);
                  e.flags = read_at<uint32_t>(r, w::kFlags);
                  e.latitude = read_at<double>(r, w::kLatitude);
                  e.longitude = read_at<double>(r, w::kLongitude);
              });
}

}  // namespace navdisplay
