#include "navdisplay/texts.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "navdata/angle.h"
#include "navdisplay/number_format.h"

namespace navdisplay {
namespace {

// Feet per nautical mile of the time-en-route figure (not FEET_PER_NM).
constexpr double kEteFeetPerNm = 6077.41;
constexpr float kEteMinimumFps = 42.0f;
// Longest time shown: 99999 hours 59 minutes. Longer times (and those of an
// absurd distance) are shown as that, so the whole hours always fit.
constexpr double kEteMaxSeconds = 99999.0 * 3600.0 + 59.0 * 60.0;

}  // namespace

const char *format_bearing_distance(char *buf, size_t size, double bearing_true, float variation,
                                    double distance_nm) {
    // "%03.0lf/%-.0lf", in two parts.
    const float magnetic = navdata::display_circle.wrapped_difference(bearing_true, variation);
    char *end = format_fixed(buf, size, kWhole3, double(magnetic));
    const size_t used = size_t(end - buf);
    if (used + 1 < size) {
        *end++ = '/';
        format_fixed(end, size - used - 1, kWhole, distance_nm);
    }
    return buf;
}

const char *format_ete(char *buf, size_t size, double distance_nm, float ground_fps) {
    int hours = 0, minutes = 0;
    if (ground_fps > kEteMinimumFps) {
        double t = distance_nm * kEteFeetPerNm / double(ground_fps);
        if (!(t <= kEteMaxSeconds)) t = std::isnan(t) ? 0.0 : kEteMaxSeconds;
        // A whole hour (or minute) counts once it is reached: 3600 s is 01:00.
        if (t >= 3600.0) {
            hours = int(t / 3600.0);
            t -= hours * 3600.0;
        }
        if (t >= 60.0) minutes = int(t / 60.0);
    }
    std::snprintf(buf, size, "%02d:%02d", hours, minutes);
    return buf;
}

const char *format_field(char *buf, size_t size, const char *field, size_t width) {
    std::snprintf(buf, size, "%.*s", int(strnlen(field, width)), field);
    return buf;
}

}  // namespace navdisplay
