// Value helpers of the host message record.
#pragma once

#include <cstdint>

#include "frame/abi.h"

namespace frame {

constexpr uint32_t kGetd = fourcc("getd");
constexpr uint32_t kSetd = fourcc("setd");
constexpr uint32_t kTypeInt = fourcc("int ");
constexpr uint32_t kTypeReal = fourcc("real");

// The bus targets of the night lights' switches 1 .. 3, which the night-light
// plug-in reads and the host's scenarios set.
constexpr uint32_t kNightLightTargets[] = {fourcc("ntx1"), fourcc("ntx2"), fourcc("ntx3")};

inline void set_int(HostMessage &m, int32_t v) {
    m.value_type = kTypeInt;
    m.value.i = v;
}

inline void set_real(HostMessage &m, float v) {
    m.value_type = kTypeReal;
    m.value.d = double(v);
}

// A 'real' reply truncated toward zero; otherwise the integer at byte 24. A
// double outside the integer range saturates instead of being undefined.
inline int32_t get_int(const HostMessage &m) {
    if (m.value_type != kTypeReal) return m.value.i;
    double d = m.value.d;
    if (!(d == d)) return 0;
    if (d >= 2147483647.0) return INT32_MAX;
    if (d <= -2147483648.0) return INT32_MIN;
    return int32_t(d);
}

inline float get_float(const HostMessage &m) {
    if (m.value_type == kTypeInt) return float(m.value.i);
    return float(m.value.d);
}

// The reply read as a double, whatever the type: how the gauges test power.
inline double value_as_double(const HostMessage &m) { return m.value.d; }

inline void set_request(HostMessage &m, uint32_t request) { m.request = request; }
inline void set_data_tag(HostMessage &m, uint32_t tag) { m.data_tag = tag; }

}  // namespace frame
