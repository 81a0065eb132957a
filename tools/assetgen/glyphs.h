// The three fonts of the display, drawn as pixel art in glyphs.cpp.
#pragma once

#include "assetcodecs/font_file.h"

namespace assetgen {

// 6 x 11 cells: two clear rows, capitals 7 rows high, descenders 2 rows.
assetcodecs::FontData font_10();
// 6 x 7 cells: the capitals of font_10; lower case is drawn as capitals.
assetcodecs::FontData font_7();
// 4 x 5 cells: 3 x 5 capitals; lower case is drawn as capitals.
assetcodecs::FontData font_5();

}  // namespace assetgen
