// The display page's own geometry, in surface pixels: each point once.
#pragma once

#include <cstdint>

#include "render/symbols.h"

namespace navdisplay {

using render::Pixel;

// The aircraft reference point of the map.
constexpr Pixel kAircraftPoint{103, 232};

// Top-left corners of the fixed pictures.
constexpr Pixel kBezelCorner{0, 0};
constexpr Pixel kHeadingBoxCorner{87, 52};
constexpr Pixel kRoseCorner{-26, 40};
constexpr Pixel kPlaneCorner{kAircraftPoint.x - 7, kAircraftPoint.y - 9};
constexpr Pixel kSelectorCorner{176, 0};

// Airport, VOR and NDB symbols are centred on their map point.
constexpr int32_t kSymbolHalf = 7;

// Lines are clipped to the map window (inside when left <= x <= right and
// top <= y <= bottom).
struct Window {
    int32_t left, top, right, bottom;
};
constexpr Window kMapWindow{20, 50, 186, 240};

// A symbol or mark is drawn only when its point lies strictly inside this
// window, a little wider than the map window.
inline bool in_symbol_window(int64_t x, int64_t y) { return x > 15 && x < 191 && y > 50 && y < 240; }

}  // namespace navdisplay
