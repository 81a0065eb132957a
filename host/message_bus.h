// Values of the aircraft's systems, read and written by host messages.
//
// A value lives under (target, data tag). 'getd' writes the held value into
// the reply, converted to the message's value type when it names one; 'setd'
// stores the message's value. Unknown values reply with the flag 0.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "frame/abi.h"

namespace panelhost {

struct BusValue {
    enum Type { kInt, kReal } type = kReal;
    int32_t i = 0;
    double d = 0.0;

    static BusValue integer(int32_t v) { return BusValue{kInt, v, double(v)}; }
    static BusValue real(double v) { return BusValue{kReal, int32_t(0), v}; }
    double as_double() const { return type == kInt ? double(i) : d; }
};

class MessageBus {
public:
    void set(uint32_t target, uint32_t data_tag, BusValue v) { values_[{target, data_tag}] = v; }
    std::optional<BusValue> get(uint32_t target, uint32_t data_tag) const;
    void erase(uint32_t target, uint32_t data_tag) { values_.erase({target, data_tag}); }

    // Handles one message as the host's send service does.
    void send(HostMessage &m);

    // Called after every 'setd' that changed a value (the world reacts to
    // the autopilot, say).
    std::function<void(uint32_t target, uint32_t data_tag, const BusValue &)> on_set;
    // Called after every 'getd' has been answered (the host notes what a
    // gauge that draws nothing was told).
    std::function<void(const HostMessage &)> on_get;

    // Text of the last message sent, for status lines.
    const std::string &last_sent() const { return last_sent_; }

private:
    std::map<std::pair<uint32_t, uint32_t>, BusValue> values_;
    std::string last_sent_;
};

// "getd 'elec' 'bus1' type='real' num=0 -> reply=1 value=1.0", for the log.
std::string message_text(const HostMessage &m);

}  // namespace panelhost
