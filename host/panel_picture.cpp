#include "host/panel_picture.h"

#include <algorithm>

namespace panelhost {
namespace {

constexpr uint32_t kCaptionColour = 0xEBEBEB;

}  // namespace

PanelRect panel_rect(const GaugeView &g) {
    return {g.x + kPanelMargin, g.y + kPanelMargin, g.surface.width(), g.surface.height()};
}

Image gauge_picture(const GaugeView &g) {
    Image img(g.surface.width(), g.surface.height());
    if (g.shown) img.blit(g.surface.view(), 0, 0);
    return img;
}

Image panel_picture(const std::vector<GaugeView> &gauges, const assetcodecs::FontAsset *caption_font) {
    int w = 0, h = 0;
    for (const GaugeView &g : gauges) {
        w = std::max(w, g.x + g.surface.width());
        h = std::max(h, g.y + g.surface.height());
    }
    Image img(w + 2 * kPanelMargin, h + 2 * kPanelMargin, kPanelColour);
    for (const GaugeView &g : gauges) {
        const PanelRect at = panel_rect(g);
        if (g.bezel) {
            // Drawn inside the gauge's rectangle only, so that neighbours keep their pixels.
            const int x0 = std::max(0, at.x), y0 = std::max(0, at.y);
            const int x1 = std::min(img.width, at.x + at.width), y1 = std::min(img.height, at.y + at.height);
            if (x0 < x1 && y0 < y1) {
                DrawSurface face{&img.at(x0, y0), x1 - x0, y1 - y0, img.width};
                g.bezel->draw(face, at.x - x0, at.y - y0, 0);
                if (caption_font)
                    caption_font->draw(face, at.x - x0 + g.caption_x, at.y - y0 + g.caption_y, kCaptionColour, g.caption,
                                       false);
            }
            // The face's window stands for the head switched off.
            if (g.shown) img.blit(g.surface.view(), at.x, at.y, g.keyed, g.key);
            continue;
        }
        if (g.shown) {
            img.blit(g.surface.view(), at.x, at.y, g.keyed, g.key);
        } else {
            Image dark(at.width, at.height);
            DrawSurface view{dark.pixels.data(), dark.width, dark.height, dark.width};
            img.blit(view, at.x, at.y);
        }
    }
    return img;
}

}  // namespace panelhost
