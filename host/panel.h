// The panel of a scenario, loaded into the host: each plug-in once, an
// instance for each item, the gauges with their surfaces, and the faces and
// captions the host draws beneath the radio heads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assetcodecs/assets.h"
#include "host/host.h"
#include "host/scenario.h"

namespace panelhost {

// A gauge of the panel and what it showed at the last frame.
struct GaugeView {
    std::string name;
    std::string plugin;  // the library, as the panel names it
    int x = 0, y = 0;
    Surface surface;
    bool shown = false;  // presented at the last draw
    bool keyed = false;
    uint32_t key = 0;
    Instance *instance = nullptr;
    // The face the panel picture draws beneath a radio head, and its caption.
    std::shared_ptr<const assetcodecs::BitmapAsset> bezel;
    std::string caption;
    int caption_x = 0, caption_y = 0;  // top-left of its first cell, in the gauge
    long frames_shown = 0;  // draws that presented the surface
};

struct Panel {
    std::vector<Plugin *> plugins;       // in panel order, each once
    std::vector<Instance *> subsystems;  // updated every frame
    std::vector<Instance *> instances;   // every instance, for the owner to destroy
    std::vector<GaugeView> gauges;
    std::shared_ptr<const assetcodecs::FontAsset> caption_font;  // of the radio heads, when there are any
};

// Loads the scenario's panel into `panel`, as far as it gets: the libraries
// from `plugins` (relative to `base`), the global start of each, then for each
// item an instance initialised, given its definition and prepared. `asset_errors`
// collects what the asset library could not read. Throws ScenarioError at the
// item's line for a missing plug-in, a class that makes no instance, a
// refused tag, a gauge without a size, or an asset or host problem while loading.
void load_panel(Panel &panel, Host &host, const Scenario &scenario, const std::filesystem::path &plugins,
                const std::filesystem::path &base, const std::vector<std::string> &asset_errors);

}  // namespace panelhost
