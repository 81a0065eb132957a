#include "render/text.h"

#include <cstdarg>
#include <cstdio>

#include "frame/host_api.h"

namespace render {

namespace {

// An empty text when the buffer cannot hold anything.
const char *format_into(char *buf, size_t size, const char *format, va_list args) {
    if (buf == nullptr || size == 0) return "";
    std::vsnprintf(buf, size, format, args);
    return buf;
}

}  // namespace

void draw_text(DrawSurface *s, FontRecord *font, int32_t x, int32_t y, uint32_t colour,
               const char *text) {
    host_font_draw_text(s, font, x, y, colour, text);
}

void draw_textf(DrawSurface *s, FontRecord *font, int32_t x, int32_t y, uint32_t colour, char *buf,
                size_t size, const char *format, ...) {
    va_list args;
    va_start(args, format);
    const char *text = format_into(buf, size, format, args);
    va_end(args);
    host_font_draw_text(s, font, x, y, colour, text);
}

void draw_labelf(DrawSurface *s, FontRecord *font, int32_t x, int32_t y, uint32_t colour, char *buf,
                 size_t size, const char *format, ...) {
    va_list args;
    va_start(args, format);
    const char *text = format_into(buf, size, format, args);
    va_end(args);
    host_font_draw_label(s, font, x, y, colour, text);
}

}  // namespace render
