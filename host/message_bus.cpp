#include "host/message_bus.h"

#include <cmath>
#include <cstdio>

#include "frame/message.h"
#include "host/log.h"

namespace panelhost {

std::optional<BusValue> MessageBus::get(uint32_t target, uint32_t data_tag) const {
    auto it = values_.find({target, data_tag});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

namespace {

int32_t to_int(double d) {
    if (!std::isfinite(d)) return 0;
    if (d >= 2147483647.0) return INT32_MAX;
    if (d <= -2147483648.0) return INT32_MIN;
    return int32_t(d);
}

}  // namespace

void MessageBus::send(HostMessage &m) {
    if (m.request == frame::kSetd) {
        BusValue v = m.value_type == frame::kTypeReal ? BusValue::real(m.value.d)
                                                      : BusValue::integer(m.value.i);
        values_[{m.target, m.data_tag}] = v;
        if (on_set) on_set(m.target, m.data_tag, v);
    } else if (m.request == frame::kGetd) {
        auto held = get(m.target, m.data_tag);
        m.value.d = 0.0;
        if (!held) {
            m.reply = 0;
        } else {
            m.reply = 1;
            // A message that names its type gets that type; one that does
            // not (records built in code) gets the value as it is held.
            bool as_int = m.value_type == frame::kTypeInt ||
                          (m.value_type != frame::kTypeReal && held->type == BusValue::kInt);
            if (as_int)
                m.value.i = held->type == BusValue::kInt ? held->i : to_int(held->d);
            else
                m.value.d = held->as_double();
        }
        if (on_get) on_get(m);
    }
    last_sent_ = message_text(m);
}

std::string message_text(const HostMessage &m) {
    std::string s = code_text(m.request) + " " + code_text(m.target) + " " + code_text(m.data_tag);
    char buf[96];
    std::snprintf(buf, sizeof buf, " type=%s num=%d", code_text(m.value_type).c_str(), m.number);
    s += buf;
    if (m.request == frame::kSetd || m.reply) {
        if (m.value_type == frame::kTypeReal)
            std::snprintf(buf, sizeof buf, " value=%g", m.value.d);
        else if (m.value_type == frame::kTypeInt)
            std::snprintf(buf, sizeof buf, " value=%d", m.value.i);
        else  // untyped: show both readings
            std::snprintf(buf, sizeof buf, " value=%d/%g", m.value.i, m.value.d);
        s += buf;
    }
    if (m.request == frame::kGetd) s += m.reply ? " reply=1" : " reply=0";
    return s;
}

}  // namespace panelhost
