// The host's key scheme as the page uses it: which browser key gives which
// host key code, and the key combinations the panel's plug-ins react to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/scenario.h"

namespace panelhost::live {

// Modifier flags of the host's key scheme.
constexpr int32_t kModShift = 1, kModControl = 2, kModAlt = 4;

// A key of the browser (KeyboardEvent.code) and the host code it gives.
struct BrowserKey {
    const char *code;  // "KeyA", "Insert", "F1"
    int32_t host;      // 65, 45, 112
    const char *name;  // "A", "Insert", "F1"
};
const std::vector<BrowserKey> &browser_keys();

struct KeyBinding {
    int32_t code = 0;
    int32_t modifiers = 0;
    bool any_modifiers = false;  // the plug-in does not look at them
    std::string plugin;
    std::string what;
};

// Panel shift reacts to one fixed combination; the part animation to the
// keys its configuration file gives the parts of the user's aircraft.
std::vector<KeyBinding> key_bindings(const Scenario &scenario);

// "Alt+Insert", "G", "key 250": how to press a host key code in the browser.
std::string key_name(int32_t code, int32_t modifiers, bool any_modifiers = false);

}  // namespace panelhost::live
