// The display page, drawn anew every frame.
#pragma once

#include "frame/abi.h"
#include "navdisplay/state.h"

namespace navdisplay {

// The whole page of one instance into the surface, ending with
// host_surface_present; nothing at all without power, with the display
// disabled or at zoom 0.
void draw_page(DisplayInstance &instance, DrawSurface *s);

}  // namespace navdisplay
