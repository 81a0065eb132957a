// The display's mouse controls: six layer buttons along the bottom edge and,
// when the instance owns its zoom, the zoom corner at the top right.
#pragma once

#include <cstdint>

#include "navdisplay/state.h"

namespace navdisplay {

constexpr uint32_t kButtonLeft = 0x1;
constexpr uint32_t kButtonOthers = 0x2 | 0x4;  // both raise the zoom level

// Applies one click to the shared option word or zoom level.
void apply_click(DisplayState &s, int32_t auto_value, int32_t x, int32_t y, uint32_t buttons);

}  // namespace navdisplay
