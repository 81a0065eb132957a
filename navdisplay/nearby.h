// Copies of the host's nearby airports, navaids and waypoints, refreshed at
// most every 5 seconds per layer into the fixed lists of the display state.
#pragma once

#include "navdisplay/state.h"

namespace navdisplay {

// Each adds the frame seconds to its layer's timer and, once the timer passes
// 5 seconds, replaces its list with the host's and restarts the timer.
void refresh_airports(DisplayState &s);
void refresh_navaids(DisplayState &s);
void refresh_waypoints(DisplayState &s);

}  // namespace navdisplay
