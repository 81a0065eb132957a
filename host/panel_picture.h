// The panel as one picture: every gauge at its place on the panel
// background, the radio heads on their faces with their captions.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "assetcodecs/assets.h"
#include "host/output/image.h"
#include "host/panel.h"

namespace panelhost {

// Panel background colour, and its border around the gauges.
constexpr uint32_t kPanelColour = 0x303438;
constexpr int kPanelMargin = 8;

// Where a gauge lies in the panel picture.
struct PanelRect {
    int x = 0, y = 0, width = 0, height = 0;
};
PanelRect panel_rect(const GaugeView &g);

// A gauge as shown: its surface when presented, black otherwise.
Image gauge_picture(const GaugeView &g);

// The gauges' own pixels are copied unchanged; a face and its caption
// (drawn in `caption_font`, when there is one) stay inside their gauge's
// rectangle, and a radio head that presented nothing shows its face alone.
Image panel_picture(const std::vector<GaugeView> &gauges, const assetcodecs::FontAsset *caption_font);

}  // namespace panelhost
