// The display's named colours.
#pragma once

#include <cstdint>

#include "render/primitives.h"

namespace navdisplay::palette {

constexpr uint32_t kWhite = render::rgb(255, 255, 255);
constexpr uint32_t kGrey = render::rgb(127, 127, 127);
constexpr uint32_t kYellow = render::rgb(255, 255, 0);
constexpr uint32_t kDarkGreen = render::rgb(0, 100, 0);
constexpr uint32_t kBrightGreen = render::rgb(20, 250, 0);
constexpr uint32_t kDarkRed = render::rgb(150, 0, 0);
constexpr uint32_t kBlue = render::rgb(0, 102, 153);
constexpr uint32_t kMagenta = render::rgb(255, 0, 255);
constexpr uint32_t kNearBlack = render::rgb(10, 10, 10);
constexpr uint32_t kOrange = render::rgb(214, 89, 0);
// Airport labels: light cyan, apart from every other colour of the map and
// readable on its near-black background.
constexpr uint32_t kAirportLabel = render::rgb(0, 200, 255);

}  // namespace navdisplay::palette
