#include "host/serve/key_bindings.h"

#include <algorithm>

#include "host/definition.h"

namespace panelhost::live {
namespace {

// Panel shift moves window 6 on this combination.
constexpr int32_t kShiftKey = 45, kShiftModifiers = kModAlt;
// Values of one part in the part animation file's 'Part' tag.
constexpr size_t kPartValues = 7;

std::vector<BrowserKey> make_keys() {
    // Codes follow the usual virtual-key numbering: letters and digits are
    // their capital ASCII codes.
    static const char *const kLetters[] = {"KeyA", "KeyB", "KeyC", "KeyD", "KeyE", "KeyF", "KeyG", "KeyH", "KeyI",
                                           "KeyJ", "KeyK", "KeyL", "KeyM", "KeyN", "KeyO", "KeyP", "KeyQ", "KeyR",
                                           "KeyS", "KeyT", "KeyU", "KeyV", "KeyW", "KeyX", "KeyY", "KeyZ"};
    static const char *const kLetterNames[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                               "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static const char *const kDigits[] = {"Digit0", "Digit1", "Digit2", "Digit3", "Digit4",
                                          "Digit5", "Digit6", "Digit7", "Digit8", "Digit9"};
    static const char *const kDigitNames[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static const char *const kPad[] = {"Numpad0", "Numpad1", "Numpad2", "Numpad3", "Numpad4",
                                       "Numpad5", "Numpad6", "Numpad7", "Numpad8", "Numpad9"};
    static const char *const kPadNames[] = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4",
                                            "Num 5", "Num 6", "Num 7", "Num 8", "Num 9"};
    static const char *const kF[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
    std::vector<BrowserKey> keys = {
        {"Backspace", 8, "Backspace"}, {"Tab", 9, "Tab"},         {"Enter", 13, "Enter"},
        {"Escape", 27, "Escape"},      {"Space", 32, "Space"},    {"PageUp", 33, "PageUp"},
        {"PageDown", 34, "PageDown"},  {"End", 35, "End"},        {"Home", 36, "Home"},
        {"ArrowLeft", 37, "Left"},     {"ArrowUp", 38, "Up"},     {"ArrowRight", 39, "Right"},
        {"ArrowDown", 40, "Down"},     {"Insert", 45, "Insert"},  {"Delete", 46, "Delete"},
        {"NumpadMultiply", 106, "Num *"}, {"NumpadAdd", 107, "Num +"}, {"NumpadSubtract", 109, "Num -"},
        {"NumpadDecimal", 110, "Num ."},  {"NumpadDivide", 111, "Num /"}, {"Semicolon", 186, ";"},
        {"Equal", 187, "="},           {"Comma", 188, ","},       {"Minus", 189, "-"},
        {"Period", 190, "."},          {"Slash", 191, "/"},       {"Backquote", 192, "`"},
        {"BracketLeft", 219, "["},     {"Backslash", 220, "\\"},  {"BracketRight", 221, "]"},
        {"Quote", 222, "'"},
    };
    for (int i = 0; i < 26; ++i) keys.push_back({kLetters[i], 65 + i, kLetterNames[i]});
    for (int i = 0; i < 10; ++i) keys.push_back({kDigits[i], 48 + i, kDigitNames[i]});
    for (int i = 0; i < 10; ++i) keys.push_back({kPad[i], 96 + i, kPadNames[i]});
    for (int i = 0; i < 12; ++i) keys.push_back({kF[i], 112 + i, kF[i]});
    std::sort(keys.begin(), keys.end(), [](const BrowserKey &a, const BrowserKey &b) { return a.host < b.host; });
    return keys;
}

}  // namespace

const std::vector<BrowserKey> &browser_keys() {
    static const std::vector<BrowserKey> keys = make_keys();
    return keys;
}

std::string key_name(int32_t code, int32_t modifiers, bool any_modifiers) {
    std::string name;
    if (!any_modifiers) {
        if (modifiers & kModControl) name += "Ctrl+";
        if (modifiers & kModAlt) name += "Alt+";
        if (modifiers & kModShift) name += "Shift+";
    }
    const auto &keys = browser_keys();
    auto it = std::find_if(keys.begin(), keys.end(), [&](const BrowserKey &k) { return k.host == code; });
    name += it != keys.end() ? it->name : "key " + std::to_string(code);
    return name;
}

std::vector<KeyBinding> key_bindings(const Scenario &scenario) {
    std::vector<KeyBinding> out;
    bool shift = std::any_of(scenario.panel.begin(), scenario.panel.end(),
                             [](const PanelItem &p) { return p.plugin == "panelshift"; });
    if (shift) out.push_back({kShiftKey, kShiftModifiers, false, "panelshift", "moves window 6 to 20,20 100x100"});

    bool parts = std::any_of(scenario.panel.begin(), scenario.panel.end(),
                             [](const PanelItem &p) { return p.plugin == "partanim"; });
    if (!parts || scenario.partanim.empty()) return out;
    Definition def;
    try {
        def = parse_definition(scenario.partanim, scenario.file + " (partanim)");
    } catch (const DefinitionError &) {
        return out;  // the plug-in reads nothing from it either
    }
    for (const Tag &tag : def.tags) {
        if (tag.code != fourcc("Part")) continue;
        for (size_t i = 0; i + kPartValues <= tag.values.size(); i += kPartValues) {
            const Token &aircraft = tag.values[i], &key = tag.values[i + 1], &part = tag.values[i + 2];
            // Parts of other aircraft never move for this one.
            if (aircraft.text != scenario.aircraft) continue;
            char *end = nullptr;
            long code = std::strtol(key.text.c_str(), &end, 10);
            if (end == key.text.c_str() || *end != '\0') continue;
            out.push_back({int32_t(code), 0, true, "partanim", "moves the part \"" + part.text + "\""});
        }
    }
    return out;
}

}  // namespace panelhost::live
