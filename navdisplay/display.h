// The navigation display's class codes and its fonts and bitmaps.
#pragma once

#include <cstdint>

#include "frame/abi.h"
#include "render/nav_state.h"

namespace navdisplay {

constexpr uint32_t kKind = fourcc("gage");
constexpr uint32_t kClass = fourcc("ndC1");

// Fonts and bitmaps, loaded by DLLInit in this order and freed in the same.
enum Font { kFontAscii10, kFontTiny7, kFontMicro5, kFontCount };
enum Bitmap {
    kBmpBezel,
    kBmpHeadingBox,
    kBmpRose89,
    kBmpRose179,
    kBmpRose269,
    kBmpRose359,
    kBmpPlane,
    kBmpVor,
    kBmpNdb,
    kBmpAirport,
    kBmpSelector,
    kBitmapCount
};

FontRecord &font(Font f);
BitmapRecord &bitmap(Bitmap b);

// The one navigation state of the plug-in, shared by every display.
render::NavState &nav_state();

}  // namespace navdisplay
