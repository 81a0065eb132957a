// The display's named colours.
#pragma once

#include <cstdint>

#include "render/primitives.h"

namespace navdisplay::palette {

constexpr uint32_t white = render::rgb(255, 255, 255);
constexpr uint32_t grey = render::rgb(127, 127, 127);
constexpr uint32_t yellow = render::rgb(255, 255, 0);
constexpr uint32_t dark_green = render::rgb(0, 100, 0);
constexpr uint32_t bright_green = render::rgb(20, 250, 0);
constexpr uint32_t dark_red = render::rgb(150, 0, 0);
constexpr uint32_t blue = render::rgb(0, 102, 153);
constexpr uint32_t magenta = render::rgb(255, 0, 255);
constexpr uint32_t near_black = render::rgb(10, 10, 10);
constexpr uint32_t orange = render::rgb(214, 89, 0);
// Airport labels: light cyan, apart from every other colour of the map and
// readable on its near-black background.
constexpr uint32_t airport_label = render::rgb(0, 200, 255);

}  // namespace navdisplay::palette
