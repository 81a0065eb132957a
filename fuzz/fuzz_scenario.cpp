// The scenario reader on arbitrary file contents: a scenario is flown or
// refused with a ScenarioError that names the file and a line, never
// anything else. load_scenario reads the file and hands its text to this.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    try {
        panelhost::Scenario s = panelhost::parse_scenario(text, "fuzz.toml");
        // What the reader promises of a scenario it accepts.
        if (!(s.step > 0) || !(s.duration >= 0)) __builtin_trap();
        for (size_t i = 1; i < s.events.size(); ++i)
            if (s.events[i].at < s.events[i - 1].at) __builtin_trap();
    } catch (const panelhost::ScenarioError &e) {
        if (std::string(e.what()).rfind("fuzz.toml:", 0) != 0) __builtin_trap();
    }
    return 0;
}
