// Night model switching through the host: probed paths, loads, selection.
#include <string>
#include <vector>

#include "frame/abi.h"
#include "plugin_test.h"

namespace {

using panelhost::BusValue;

class NightlightTest : public small_test::PluginTest {
protected:
    void SetUp() override { plugin = &host.load(PLUGIN_nightlight); }

    // Model files for the night models given (0 to 3) of base name Plane1.
    void models(const std::vector<int> &present) {
        for (int n : present) root.write("MODELS/Plane1_Nlamp_" + std::to_string(n) + ".ACM", "model");
    }
    void lights(bool one, bool two, bool three) {
        host.bus().set(fourcc("ntx1"), 0, BusValue::real(one ? 1.0 : 0.0));
        host.bus().set(fourcc("ntx2"), 0, BusValue::real(two ? 1.0 : 0.0));
        host.bus().set(fourcc("ntx3"), 0, BusValue::real(three ? 1.0 : 0.0));
    }
    uint32_t selected() { return host.world().user().selected_model; }

    panelhost::Plugin *plugin = nullptr;
};

TEST_F(NightlightTest, ProbesTheFourPathsInOrderAndLoadsWhatExists) {
    models({0, 2});
    panelhost::Instance &n = instance(*plugin, "norm Plane1\n");
    host.log().clear();
    n.prepare();
    EXPECT_EQ(host.log().texts(),
              (std::vector<std::string>{
                  "host_get_user_object()",
                  "host_file_exists(\"MODELS\\\\Plane1_Nlamp_0.ACM\", 3 -> 1)",
                  "host_object_load_model(obj0, \"MODELS\\\\Plane1_Nlamp_0.ACM\", 'nit0' -> 1)",
                  "host_file_exists(\"MODELS\\\\Plane1_Nlamp_1.ACM\", 3 -> 0)",
                  "host_file_exists(\"MODELS\\\\Plane1_Nlamp_2.ACM\", 3 -> 1)",
                  "host_object_load_model(obj0, \"MODELS\\\\Plane1_Nlamp_2.ACM\", 'nit2' -> 1)",
                  "host_file_exists(\"MODELS\\\\Plane1_Nlamp_3.ACM\", 3 -> 0)",
                  "host_object_is_valid(obj0 -> 1)",
              }));
    host.log().clear();
    n.prepare();
    n.update();
    EXPECT_EQ(host.log().of(kEntryFileExists).size(), 0u) << "prepared once";
}

struct Choice {
    std::vector<int> models;
    bool one, two, three;
    uint32_t tag;
    const char *tag_text;
    int32_t result;  // what the host's selection answered
};

TEST_F(NightlightTest, TheHighestLitStateWithAModelIsShown) {
    const Choice cases[] = {
        {{0, 1, 2, 3}, true, false, true, fourcc("nit3"), "nit3", 1},
        {{0, 1, 2}, false, true, true, fourcc("nit2"), "nit2", 1},  // state 3's model is missing
        {{0, 1, 2, 3}, false, false, false, fourcc("nit0"), "nit0", 1},
        {{1, 2, 3}, false, false, false, fourcc("nit0"), "nit0", 0},  // chosen even when not found
        {{0, 1}, false, false, true, fourcc("nit0"), "nit0", 1},      // nothing below 3 is lit
        {{0, 1}, true, false, true, fourcc("nit1"), "nit1", 1},
    };
    for (const Choice &c : cases) {
        std::filesystem::remove_all(root.path() + "/MODELS");
        host.world().user().models.clear();
        models(c.models);
        panelhost::Instance &n = instance(*plugin, "norm Plane1\n");
        lights(c.one, c.two, c.three);
        host.world().user().selected_model = 0;
        EXPECT_EQ(n.update(), c.result) << c.tag_text;
        if (c.result) {
            EXPECT_EQ(selected(), c.tag) << c.tag_text;
        }
        EXPECT_EQ(host.log().calls().back().text(), std::string("host_object_select_model(obj0, '") + c.tag_text +
                                                        "' -> " + std::to_string(c.result) + ")");
    }
}

TEST_F(NightlightTest, EachUpdateAsksTheThreeLightsAfresh) {
    models({0, 3});
    panelhost::Instance &n = instance(*plugin, "norm Plane1\n");
    lights(false, false, true);
    n.update();
    EXPECT_EQ(selected(), fourcc("nit3"));
    host.log().clear();
    lights(false, false, false);
    n.update();
    EXPECT_EQ(selected(), fourcc("nit0"));
    EXPECT_EQ(host.log().of(kEntrySendMessage),
              (std::vector<std::string>{"host_send_message('getd' 'ntx1' '\?\?\?\?' type='\?\?\?\?' num=0 value=0/0 reply=1)",
                                        "host_send_message('getd' 'ntx2' '\?\?\?\?' type='\?\?\?\?' num=0 value=0/0 reply=1)",
                                        "host_send_message('getd' 'ntx3' '\?\?\?\?' type='\?\?\?\?' num=0 value=0/0 reply=1)"}));
}

TEST_F(NightlightTest, SimStateTwoSkipsTheUpdate) {
    models({0, 1});
    panelhost::Instance &n = instance(*plugin, "norm Plane1\n");
    n.prepare();
    lights(true, false, false);
    host.sim_state = 2;
    host.log().clear();
    EXPECT_EQ(n.update(), 2);
    EXPECT_EQ(host.log().texts(), (std::vector<std::string>{"host_sim_state(-> 2)"}));
    EXPECT_EQ(selected(), 0u);
}

TEST_F(NightlightTest, PreparationRepeatsUntilTheAircraftIsValid) {
    models({0, 1});
    panelhost::Instance &n = instance(*plugin, "norm Plane1\n");
    host.world().user().valid = false;
    n.update();
    n.update();
    EXPECT_EQ(host.log().of(kEntryObjectLoadModel).size(), 4u) << "loads repeat too";
    host.world().user().valid = true;
    n.update();
    host.log().clear();
    n.update();
    EXPECT_EQ(host.log().of(kEntryFileExists).size(), 0u);
}

// A name whose path would not fit the 256-byte field is neither probed nor
// loaded: the cut path would name another file.
TEST_F(NightlightTest, ABaseNameTooLongForThePathIsNotProbed) {
    const std::string fits(236, 'a');  // "MODELS\" + 236 + "_Nlamp_0.ACM" = 255 characters
    panelhost::Instance &ok = instance(*plugin, "norm " + fits + "\n");
    ok.prepare();
    EXPECT_EQ(host.log().of(kEntryFileExists).size(), 4u);
    host.log().clear();
    panelhost::Instance &cut = instance(*plugin, "norm " + fits + "b\n");
    EXPECT_EQ(cut.update(), 0);
    EXPECT_EQ(host.log().of(kEntryFileExists).size(), 0u);
    EXPECT_EQ(host.log().of(kEntryObjectSelectModel),
              (std::vector<std::string>{"host_object_select_model(obj0, 'nit0' -> 0)"}));
}

}  // namespace
