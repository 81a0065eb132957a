// The pictures the plug-ins name, one function per file (sizes and frame
// counts in docs/asset-formats.md).
#pragma once

#include "assetcodecs/png_strip.h"

namespace assetgen {

// Navigation display, 206 x 330.
assetcodecs::StripData bezel();
assetcodecs::StripData heading_box();
assetcodecs::StripData rose_quarter(int quarter);  // 0..3: headings 90q .. 90q+89
assetcodecs::StripData plane_symbol();
assetcodecs::StripData airport_symbol();
assetcodecs::StripData vor_symbol();
assetcodecs::StripData ndb_symbol();
assetcodecs::StripData zoom_selector();

// Radio heads and the rocker.
assetcodecs::StripData mhz_strip(int first_mhz, int count);
assetcodecs::StripData decimal_strip(int frames, int khz_step, int digits);
assetcodecs::StripData digit_strip();
assetcodecs::StripData rocker_strip();

// The host's radio head faces: w x h, the digit window x0..x1, y0..y1.
assetcodecs::StripData head_bezel(int w, int h, int x0, int y0, int x1, int y1);

}  // namespace assetgen
