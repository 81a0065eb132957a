// Panel shift through the host: the one key combination that places window 6.
#include <string>
#include <vector>

#include "frame/abi.h"
#include "plugin_test.h"

namespace {

class PanelshiftTest : public small_test::PluginTest {
protected:
    void SetUp() override {
        plugin = &host.load(PLUGIN_panelshift);
        instance(*plugin, "");
        host.log().clear();
    }
    std::vector<std::string> window_calls() { return host.log().of_any({kEntryWindowQuery, kEntryWindowPlace}); }

    panelhost::Plugin *plugin = nullptr;
};

TEST_F(PanelshiftTest, KeyFortyFiveWithModifiersFourPlacesWindowSix) {
    plugin->key(45, 4);
    EXPECT_EQ(window_calls(), (std::vector<std::string>{"host_window_query(6 -> 1)",
                                                        "host_window_place(6, 20, 20, 100, 100)"}));
    const panelhost::WindowRect &w = host.resources().windows.at(6);
    EXPECT_EQ((std::vector<int>{w.x, w.y, w.w, w.h}), (std::vector<int>{20, 20, 100, 100}));
    plugin->key(45, 4);
    EXPECT_EQ(host.log().of(kEntryWindowPlace).size(), 2u) << "no toggle back";
}

TEST_F(PanelshiftTest, EveryOtherKeyOnlyQueries) {
    const int keys[][2] = {{45, 5}, {45, 0}, {45, 12}, {44, 4}, {46, 4}};
    for (auto &k : keys) plugin->key(k[0], k[1]);
    host.input_enabled = false;
    plugin->key(45, 4);
    EXPECT_EQ(window_calls(), std::vector<std::string>(6, "host_window_query(6 -> 1)"));
    EXPECT_EQ(host.resources().windows.at(6).w, 640);
}

}  // namespace
