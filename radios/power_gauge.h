// What the four radio heads share: the power message of tag 'msg1' that
// decides whether a head draws at all, and the conversions of the host's
// radio values to strip frames.
#pragma once

#include <cmath>
#include <cstdint>

#include "frame/message.h"
#include "frame/plugin.h"

namespace radios {

// The block is zeroed so that a head whose definition names no power
// message sends an empty record and stays dark, rather than sending
// whatever the allocation held.
inline void instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<HostMessage>(kind, cls, out, true);
}

inline int32_t read_power_tag(InstanceHandle h, void *stream, uint32_t tag) {
    auto *power = frame::block_of<HostMessage>(h);
    if (power == nullptr || tag != fourcc("msg1")) return 0;
    host_stream_read_message(power, stream);
    frame::set_request(*power, frame::kGetd);
    return 1;
}

// Sends the power message; any reply but exactly 0.0 means powered.
inline bool powered(InstanceHandle h) {
    auto *power = frame::block_of<HostMessage>(h);
    if (power == nullptr) return false;
    host_send_message(power);
    return frame::value_as_double(*power) != 0.0;
}

// Truncation toward zero that saturates, so that a value the host gives
// outside the integer range (or NaN) still yields a defined frame number.
inline int32_t whole(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return int32_t(v);
}

}  // namespace radios
