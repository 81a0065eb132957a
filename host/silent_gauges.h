// What the gauges asked the host before they first presented a frame, so
// that a gauge still dark after the flight can be explained: a power value of
// 0 or a value nobody answers is the likely cause.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "frame/abi.h"
#include "host/panel.h"
#include "host/scenario.h"

namespace panelhost {

class SilentGauges {
public:
    explicit SilentGauges(size_t gauges = 0) : asked_(gauges) {}

    // A value gauge `gauge` asked for, as the bus answered it.
    void note(size_t gauge, const HostMessage &m);

    // One line for each of `gauges` that has presented no frame after
    // `frames` (none before the first frame), with what it was told;
    // `power` marks the values that are the panel's power.
    std::vector<std::string> lines(const std::vector<GaugeView> &gauges, long frames,
                                   const std::vector<BusTarget> &power) const;

private:
    struct Asked {
        bool answered = false;  // at some frame
        bool non_zero = false;  // at some frame
        std::string last;       // the value at the last ask
    };
    std::vector<std::map<std::pair<uint32_t, uint32_t>, Asked>> asked_;  // by gauge, by (target, data)
};

}  // namespace panelhost
