// Text through the host's font services. The plug-in formats, the host
// renders; nothing is measured or clipped here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/abi.h"

namespace render {

// A fixed text through entry 14.
void draw_text(DrawSurface *s, FontRecord *font, int32_t x, int32_t y, uint32_t colour,
               const char *text);

}  // namespace render
