// The host's state as the plug-ins change it, turned into flight-log
// entries: the aircraft model selected, part frames, windows, sounds
// started, and the problems the host and the asset library noticed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/output/flight_log.h"

namespace panelhost {

// A code as its bare characters ("elec", not "'elec'"), for the flight log.
std::string code_word(uint32_t code);

class StateObserver {
public:
    // What the host holds now is where the changes count from (the windows
    // the host starts with are not news).
    void start(const Host &host);
    // Each change since the last call as one entry at time `t` and `frame`;
    // then the asset errors and the host's problems, which are emptied so
    // that each is logged once.
    void observe(Host &host, std::vector<std::string> &asset_errors, FlightLog &log, double t, long frame);

private:
    uint32_t model_seen_ = 0;
    std::map<std::string, int32_t> parts_seen_;
    std::map<int32_t, WindowRect> windows_seen_;
    int32_t sounds_seen_ = 0;
};

}  // namespace panelhost
