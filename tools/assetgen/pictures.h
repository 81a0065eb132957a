// The pictures the plug-ins name, one function per file (sizes and frame
// counts in docs/asset-formats.md).
#pragma once

#include "assetcodecs/png_strip.h"

namespace assetgen {

// Navigation display, 206 x 330.
panelhost::StripData bezel();
panelhost::StripData heading_box();
panelhost::StripData rose_quarter(int quarter);  // 0..3: headings 90q .. 90q+89
panelhost::StripData plane_symbol();
panelhost::StripData airport_symbol();
panelhost::StripData vor_symbol();
panelhost::StripData ndb_symbol();
panelhost::StripData zoom_selector();

// Radio heads and the rocker.
panelhost::StripData mhz_strip(int first_mhz, int count);
panelhost::StripData decimal_strip(int frames, int khz_step, int digits);
panelhost::StripData digit_strip();
panelhost::StripData rocker_strip();

// The host's radio head faces: w x h, the digit window x0..x1, y0..y1.
panelhost::StripData head_bezel(int w, int h, int x0, int y0, int x1, int y1);

}  // namespace assetgen
