// Panel shift: a window class whose key callback moves host window 6.
#include "frame/plugin.h"

namespace {

constexpr int32_t kWindow = 6;
constexpr int32_t kKey = 45;
constexpr int32_t kModifiers = 4;

void on_instantiate(uint32_t kind, uint32_t cls, InstanceHandle *out) {
    frame::instantiate<uint32_t>(kind, cls, out, true);
}

void on_key(int32_t key, int32_t modifiers) {
    host_window_query(kWindow);
    if (host_input_enabled() != 0 && key == kKey && modifiers == kModifiers)
        host_window_place(kWindow, 20, 20, 100, 100);
}

void on_destroy(InstanceHandle h) { frame::destroy(h, false); }

const frame::Callback kCallbacks[] = {
    frame::callback(kSlotDestroy, &on_destroy),
    frame::callback(kSlotInstantiate, &on_instantiate),
    frame::callback(kSlotKey, &on_key),
};

}  // namespace

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{"ShiftPane DLL", "ZARK Inc.", "Jorin Vasek", "1.00, 06/29/03 ZARK",
                               "panel shift of the panel suite", fourcc("wind"), fourcc("spn_"),
                               kCallbacks, int(std::size(kCallbacks)), nullptr, nullptr};
    return d;
}
