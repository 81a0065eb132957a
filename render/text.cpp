#include "render/text.h"

#include "frame/host_api.h"

namespace render {

void draw_text(DrawSurface *s, FontRecord *font, int32_t x, int32_t y, uint32_t colour,
               const char *text) {
    host_font_draw_text(s, font, x, y, colour, text);
}

}  // namespace render
