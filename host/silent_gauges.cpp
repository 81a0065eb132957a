#include "host/silent_gauges.h"

#include <cstdio>

#include "frame/message.h"
#include "host/log.h"

namespace panelhost {

void SilentGauges::note(size_t gauge, const HostMessage &m) {
    if (gauge >= asked_.size()) return;
    Asked &a = asked_[gauge][{m.target, m.data_tag}];
    char value[64];
    if (m.reply == 0) {
        std::snprintf(value, sizeof value, "no value");
    } else {
        double v = m.value_type == frame::kTypeInt    ? double(m.value.i)
                   : m.value_type == frame::kTypeReal ? m.value.d
                   : m.value.d != 0.0                 ? m.value.d
                                                      : double(m.value.i);
        std::snprintf(value, sizeof value, "%g", v);
        a.answered = true;
        if (v != 0.0) a.non_zero = true;
    }
    a.last = value;
}

std::vector<std::string> SilentGauges::lines(const std::vector<GaugeView> &gauges, long frames,
                                             const std::vector<BusTarget> &power) const {
    std::vector<std::string> out;
    if (frames == 0) return out;
    for (size_t n = 0; n < gauges.size(); ++n) {
        const GaugeView &g = gauges[n];
        if (g.frames_shown > 0) continue;
        std::string causes, answered;
        if (n < asked_.size()) {
            for (const auto &[at, a] : asked_[n]) {
                bool is_power = false;
                for (const BusTarget &t : power) is_power = is_power || (t.target == at.first && t.data == at.second);
                std::string what = (is_power ? "power " : "") + code_text(at.first) + " " + code_text(at.second);
                if (!a.answered)
                    causes += (causes.empty() ? "" : "; ") + what + " was never answered (no such value on the bus)";
                else if (!a.non_zero)
                    causes += (causes.empty() ? "" : "; ") + what + " was 0 at every frame";
                else
                    answered += (answered.empty() ? "" : ", ") + what + " = " + a.last;
            }
        }
        std::string line = "gauge \"" + g.name + "\" (" + g.plugin + ") presented no frame in " +
                           std::to_string(frames) + " frames; ";
        if (!causes.empty())
            line += "likely cause: " + causes;
        else if (!answered.empty())
            line += "every value it asked was answered and not 0 (" + answered +
                    "): the gauge itself is switched off or has nothing to show";
        else
            line += "it asked the host for no value";
        out.push_back(std::move(line));
    }
    return out;
}

}  // namespace panelhost
