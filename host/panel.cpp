#include "host/panel.h"

#include <map>

#include "host/definition.h"

namespace panelhost {
namespace fs = std::filesystem;
namespace {

// The radio heads of the suite by class: the face the host draws beneath
// each, and its caption naming the radio and the unit the head reads (COM and
// NAV heads read unit 2; the ADF and transponder have one unit). The caption
// sits above the window of a COM or NAV head, left of it on the shorter ADF
// and transponder heads.
struct RadioHead {
    uint32_t cls;
    const char *bezel;
    const char *caption;
    int caption_x, caption_y;
};
constexpr RadioHead kRadioHeads[] = {
    {fourcc("Mg_c"), "head_com_nav.png", "COM 2", 9, 7},
    {fourcc("Mg_n"), "head_com_nav.png", "NAV 2", 9, 7},
    {fourcc("Mg_a"), "head_adf_xpdr.png", "ADF", 9, 12},
    {fourcc("Mg_x"), "head_adf_xpdr.png", "XPDR", 9, 12},
};
constexpr const char *kCaptionFont = "FTTINY7.RAW";

const RadioHead *radio_head(uint32_t cls) {
    for (const RadioHead &h : kRadioHeads)
        if (h.cls == cls) return &h;
    return nullptr;
}

}  // namespace

void load_panel(Panel &panel, Host &host, const Scenario &scenario, const fs::path &plugins, const fs::path &base,
                const std::vector<std::string> &asset_errors) {
    std::map<std::string, Plugin *> loaded;
    auto check_assets = [&](const PanelItem &item) {
        if (!asset_errors.empty()) fail_at(scenario, item.line, "\"" + item.name + "\": " + asset_errors.front());
        if (!host.problems().empty())
            fail_at(scenario, item.line, "\"" + item.name + "\": " + host.problems().front());
    };
    for (const PanelItem &item : scenario.panel) {
        if (loaded.count(item.plugin)) continue;
        fs::path file = plugins / (item.plugin + ".so");
        // Looked for where it is loaded from: the working folder is the run folder by now.
        fs::path where = fs::absolute(base / file);
        if (!fs::exists(where)) fail_at(scenario, item.line, file.string() + ": no such plug-in");
        Plugin &p = host.load(where.string());
        loaded[item.plugin] = &p;
        panel.plugins.push_back(&p);
        check_assets(item);
    }
    for (Plugin *p : panel.plugins) p->global_start();
    for (const PanelItem &item : scenario.panel) {
        Plugin &p = *loaded[item.plugin];
        if (!p.has_class()) continue;  // module-wide work only (part animation)
        Instance *i = host.instantiate(p);
        if (i == nullptr) fail_at(scenario, item.line, p.path() + ": made no instance of its class");
        panel.instances.push_back(i);
        i->init();
        std::vector<uint32_t> refused = i->read_definition(parse_definition(item.definition, scenario.file));
        if (!refused.empty())
            fail_at(scenario, item.line,
                    "\"" + item.name + "\": " + item.plugin + " does not take the tag " + code_text(refused.front()));
        i->prepare();
        check_assets(item);
        if (p.kind() == fourcc("gage")) {
            if (item.width <= 0 || item.height <= 0)
                fail_at(scenario, item.line, "\"" + item.name + "\": a gauge needs its width and height");
            panel.gauges.push_back(GaugeView{.name = item.name,
                                             .plugin = item.plugin,
                                             .x = item.x,
                                             .y = item.y,
                                             .surface = Surface(item.width, item.height),
                                             .instance = i,
                                             .bezel = {},  // radio heads get theirs below
                                             .caption = {}});
        } else if (p.kind() == fourcc("subs")) {
            panel.subsystems.push_back(i);
        }
    }
    // The host's own pictures, after the plug-ins' assets have been checked: a
    // missing face is reported in the flight log and its head drawn without it.
    for (GaugeView &g : panel.gauges) {
        const RadioHead *head = radio_head(g.instance->plugin().cls());
        if (head == nullptr) continue;
        g.bezel = host.assets().bitmap(head->bezel);
        g.caption = head->caption;
        g.caption_x = head->caption_x;
        g.caption_y = head->caption_y;
        if (!panel.caption_font) panel.caption_font = host.assets().font(kCaptionFont);
    }
}

}  // namespace panelhost
