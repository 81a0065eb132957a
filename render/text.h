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

// Formats into buf (cut to its size, always terminated) and draws it through
// entry 14; buf is the caller's shared text buffer.
void draw_textf(DrawSurface *s, FontRecord *font, int32_t x, int32_t y, uint32_t colour, char *buf,
                size_t size, const char *format, ...) __attribute__((format(printf, 8, 9)));

// The same through entry 16, which the display uses for its range label only.
void draw_labelf(DrawSurface *s, FontRecord *font, int32_t x, int32_t y, uint32_t colour, char *buf,
                 size_t size, const char *format, ...) __attribute__((format(printf, 8, 9)));

}  // namespace render
