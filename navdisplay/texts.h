// The page's formatted texts, each written into a caller's buffer with a
// bounded format. Every function returns the buffer.
#pragma once

#include <cstddef>

namespace navdisplay {

// "%03.0lf/%-.0lf": magnetic bearing (true bearing − variation folded into
// [0, 360) on the display's degree circle) and distance in nautical miles.
const char *format_bearing_distance(char *buf, size_t size, double bearing_true, float variation,
                                    double distance_nm);

// Time en route "hh:mm" to cover distance_nm at ground_fps feet per second;
// "00:00" at 42 feet per second or less.
const char *format_ete(char *buf, size_t size, double distance_nm, float ground_fps);

// A text field that may fill its width without a terminator.
const char *format_field(char *buf, size_t size, const char *field, size_t width);
template <size_t N>
const char *format_field(char *buf, size_t size, const char (&field)[N]) {
    return format_field(buf, size, field, N);
}

}  // namespace navdisplay
