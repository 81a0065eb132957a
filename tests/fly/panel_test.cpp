// The panel picture: every gauge's own pixels where the gauge put them, the
// radio heads on faces of the host's with their captions.
#include <gtest/gtest.h>

#include <set>

#include "tests/fly/fly_support.h"

namespace panelhost {
namespace {
namespace fs = std::filesystem;

constexpr uint32_t kCaption = 0xEBEBEB;
constexpr uint32_t kAmber = 0xFFAA00;  // the generated digits' colour

const char *const kHeads[] = {"com", "nav", "adf", "xpdr"};

// The caption's pixels of a head as a set of positions within the gauge.
std::set<std::pair<int, int>> caption_of(const Image &panel, const GaugeView &g) {
    std::set<std::pair<int, int>> ink;
    for (int y = 0; y < g.surface.height(); ++y)
        for (int x = 0; x < g.surface.width(); ++x)
            if (panel.at(g.x + kPanelMargin + x, g.y + kPanelMargin + y) == kCaption) ink.insert({x, y});
    return ink;
}

class PanelPicture : public testing::Test {
protected:
    Cockpit &fly(const CockpitPaths &paths, int frames) {
        cockpit_ = std::make_unique<Cockpit>(load_scenario(FLY_TEST_SCENARIO), paths, test::scratch("panel") / "run");
        for (int i = 0; i < frames; ++i) cockpit_->frame();
        return *cockpit_;
    }
    std::unique_ptr<Cockpit> cockpit_;
};

TEST_F(PanelPicture, GaugePixelsAreCopiedUnchangedOverTheFaces) {
    Cockpit &c = fly(test::build_paths(), 3);
    const Image panel = c.panel_picture();
    for (const GaugeView &g : c.gauges()) {
        SCOPED_TRACE(g.name);
        ASSERT_TRUE(g.shown);
        const Image own = Cockpit::shown(g);
        int drawn = 0, changed = 0;
        for (int y = 0; y < own.height; ++y)
            for (int x = 0; x < own.width; ++x) {
                if (g.keyed && own.at(x, y) == g.key) continue;
                ++drawn;
                changed += panel.at(g.x + kPanelMargin + x, g.y + kPanelMargin + y) != own.at(x, y);
            }
        EXPECT_GT(drawn, 20);
        EXPECT_EQ(changed, 0);
    }
}

TEST_F(PanelPicture, RadioHeadsSitOnFacesWithTheirCaptions) {
    Cockpit &c = fly(test::build_paths(), 3);
    const Image panel = c.panel_picture();
    std::set<std::set<std::pair<int, int>>> captions;
    for (const char *name : kHeads) {
        SCOPED_TRACE(name);
        const GaugeView *g = c.gauge(name);
        ASSERT_NE(g, nullptr);
        ASSERT_TRUE(g->keyed);
        EXPECT_NE(g->bezel, nullptr);
        const int gx = g->x + kPanelMargin, gy = g->y + kPanelMargin;
        // The face's frame at the corners, no panel showing anywhere inside.
        EXPECT_EQ(panel.at(gx, gy), 0x5F5F5Fu);
        EXPECT_EQ(panel.at(gx + g->surface.width() - 1, gy + g->surface.height() - 1), 0x5F5F5Fu);
        for (int y = 0; y < g->surface.height(); ++y)
            for (int x = 0; x < g->surface.width(); ++x) ASSERT_NE(panel.at(gx + x, gy + y), kPanelColour) << x << "," << y;
        // Every digit on the black window: each lit pixel's neighbours are lit or black.
        const Image own = Cockpit::shown(*g);
        for (int y = 1; y + 1 < own.height; ++y)
            for (int x = 1; x + 1 < own.width; ++x) {
                if (own.at(x, y) != kAmber) continue;
                for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                    const uint32_t around = panel.at(gx + x + dx, gy + y + dy);
                    ASSERT_TRUE(around == 0 || own.at(x + dx, y + dy) != g->key) << x << "," << y;
                }
            }
        // Above the window on COM and NAV, beside it on the shorter ADF and transponder.
        const auto caption = caption_of(panel, *g);
        EXPECT_GT(caption.size(), 30u);
        int top = g->surface.height(), right = 0;
        for (auto [x, y] : caption) top = std::min(top, y), right = std::max(right, x);
        const bool short_head = g->surface.height() == 30;
        EXPECT_EQ(top, short_head ? 12 : 7);
        EXPECT_LT(right, short_head ? 44 : 60);
        captions.insert(caption);
    }
    EXPECT_EQ(captions.size(), 4u);
    EXPECT_EQ(c.gauge("com")->caption, "COM 2");
    EXPECT_EQ(c.gauge("nav")->caption, "NAV 2");
    EXPECT_EQ(c.gauge("adf")->caption, "ADF");
    EXPECT_EQ(c.gauge("xpdr")->caption, "XPDR");
    // The display and the rocker draw their own faces.
    EXPECT_EQ(c.gauge("display")->bezel, nullptr);
    EXPECT_EQ(c.gauge("rocker")->bezel, nullptr);
}

TEST_F(PanelPicture, AHeadSwitchedOffShowsItsFaceAndAnEmptyWindow) {
    Cockpit &c = fly(test::build_paths(), 2);
    const Image on = c.panel_picture();
    Event off;
    off.kind = Event::kPower;
    off.on = false;
    c.apply(off);
    c.redraw();
    const Image panel = c.panel_picture();
    for (const char *name : kHeads) {
        SCOPED_TRACE(name);
        const GaugeView *g = c.gauge(name);
        ASSERT_FALSE(g->shown);
        EXPECT_EQ(caption_of(panel, *g), caption_of(on, *g));
        int amber = 0;
        for (int y = 0; y < g->surface.height(); ++y)
            for (int x = 0; x < g->surface.width(); ++x) amber += panel.at(g->x + kPanelMargin + x, g->y + kPanelMargin + y) == kAmber;
        EXPECT_EQ(amber, 0);
        EXPECT_EQ(panel.at(g->x + kPanelMargin, g->y + kPanelMargin), 0x5F5F5Fu);
    }
    // A gauge without a face is black while it presents nothing.
    const GaugeView *d = c.gauge("display");
    ASSERT_FALSE(d->shown);
    EXPECT_EQ(panel.at(d->x + kPanelMargin + 100, d->y + kPanelMargin + 100), 0u);
}

TEST_F(PanelPicture, MissingFacesAreReportedAndTheHeadsDrawnWithoutThem) {
    const fs::path assets = test::scratch("panel-assets");
    for (const auto &e : fs::directory_iterator(FLY_TEST_ASSETS))
        if (e.path().filename().string().rfind("head_", 0) != 0) fs::copy_file(e.path(), assets / e.path().filename());
    CockpitPaths paths = test::build_paths();
    paths.assets = assets;
    Cockpit &c = fly(paths, 2);
    const Image panel = c.panel_picture();
    const GaugeView *com = c.gauge("com");
    EXPECT_EQ(com->bezel, nullptr);
    EXPECT_EQ(panel.at(com->x + kPanelMargin, com->y + kPanelMargin), kPanelColour);
    std::string problems = c.log().section("problems").dump();
    EXPECT_NE(problems.find("head_com_nav.png"), std::string::npos) << problems;
    EXPECT_NE(problems.find("head_adf_xpdr.png"), std::string::npos) << problems;
}

}  // namespace
}  // namespace panelhost
