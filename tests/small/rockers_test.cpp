// The vertical-speed rocker through the host: frames, message sequences,
// the step and limit rule.
#include <string>
#include <vector>

#include "frame/abi.h"
#include "plugin_test.h"

namespace {

using panelhost::BusValue;
using panelhost::Surface;

constexpr const char *kRocker =
    "mesg {target=ap__ data=apOn type=int}\n"
    "mxVS 2000\n"
    "mnVS -2000\n"
    "step 100\n"
    "bmap rocker.pbg\n";

class RockerTest : public small_test::PluginTest {
protected:
    void SetUp() override { plugin = &host.load(PLUGIN_rockers); }

    void autopilot(int32_t on) { host.bus().set(fourcc("ap__"), fourcc("apOn"), BusValue::integer(on)); }
    double command() { return host.bus().get(fourcc("ap__"), fourcc("VS_C"))->as_double(); }
    int32_t mode() { return host.bus().get(fourcc("ap__"), fourcc("VS_S"))->i; }
    void click_upper(panelhost::Instance &r) { EXPECT_EQ(r.mouse(surface, 5, 0, 1), 1); }
    void click_lower(panelhost::Instance &r) { EXPECT_EQ(r.mouse(surface, 5, surface.height() - 1, 1), 1); }
    // The frame the last draw showed.
    std::string shown() {
        auto draws = host.log().of(kEntryBitmapDraw);
        return draws.empty() ? "nothing" : draws.back();
    }
    std::vector<std::string> messages() { return host.log().of(kEntrySendMessage); }

    // An engaged rocker with the autopilot on and the command at 0.
    panelhost::Instance &engaged() {
        panelhost::Instance &r = instance(*plugin, kRocker);
        autopilot(1);
        host.bus().set(fourcc("ap__"), fourcc("VS_C"), BusValue::real(0.0));
        r.draw(surface);
        click_lower(r);
        r.draw(surface);
        return r;
    }

    panelhost::Plugin *plugin = nullptr;
    Surface surface{40, 60};
};

TEST_F(RockerTest, FirstDrawShowsFrameZeroThenRestsOnFour) {
    panelhost::Instance &r = instance(*plugin, kRocker);
    EXPECT_TRUE(r.draw(surface));
    EXPECT_EQ(shown(), "host_bitmap_draw(\"rocker.pbg\", 0, 0, 0)");
    const panelhost::Presentation second = r.draw(surface);
    EXPECT_EQ(shown(), "host_bitmap_draw(\"rocker.pbg\", 0, 0, 4)");
    EXPECT_EQ(host.log().calls().back().text(), "host_surface_present(40x60)");
    EXPECT_FALSE(second.keyed);
}

TEST_F(RockerTest, PictureLoadsOnceFromPrepareOrFirstDraw) {
    panelhost::Instance &r = instance(*plugin, kRocker);
    host.log().clear();
    r.draw(surface);
    r.prepare();
    r.draw(surface);
    EXPECT_EQ(host.log().of(kEntryBitmapLoad), (std::vector<std::string>{"host_bitmap_load(\"rocker.pbg\" -> 0)"}));
    host.log().clear();
    plugin->kill();
    EXPECT_EQ(host.log().of(kEntryBitmapFree), (std::vector<std::string>{"host_bitmap_free(\"rocker.pbg\")"}));
}

// Rockers share one picture record: the second one's picture replaces the
// first, which is freed first rather than loaded over.
TEST_F(RockerTest, ASecondRockerReplacesTheSharedPicture) {
    panelhost::Instance &a = instance(*plugin, kRocker);
    panelhost::Instance &b = instance(*plugin, std::string(kRocker) + "bmap other.pbg\n");
    a.prepare();
    host.log().clear();
    b.prepare();
    EXPECT_EQ(host.log().of_any({kEntryBitmapLoad, kEntryBitmapFree}),
              (std::vector<std::string>{"host_bitmap_free(\"rocker.pbg\")", "host_bitmap_load(\"other.pbg\" -> 0)"}));
}

TEST_F(RockerTest, ALongPictureNameIsCutToTheRecord) {
    const std::string name(120, 'p');
    panelhost::Instance &r = instance(*plugin, std::string(kRocker) + "bmap " + name + "\n");
    host.log().clear();
    r.prepare();
    EXPECT_EQ(host.log().of(kEntryBitmapLoad),
              (std::vector<std::string>{"host_bitmap_load(\"" + name.substr(0, 63) + "\" -> 0)"}));
}

TEST_F(RockerTest, ClicksPickTheHalfAndShowForOneDraw) {
    panelhost::Instance &r = instance(*plugin, kRocker);
    r.draw(surface);
    EXPECT_EQ(r.mouse(surface, 0, 29, 0), 1);
    r.draw(surface);
    EXPECT_EQ(shown(), "host_bitmap_draw(\"rocker.pbg\", 0, 0, 3)");
    r.mouse(surface, 0, 30, 0);  // exactly height / 2: the lower half
    r.draw(surface);
    EXPECT_EQ(shown(), "host_bitmap_draw(\"rocker.pbg\", 0, 0, 5)");
    r.draw(surface);
    EXPECT_EQ(shown(), "host_bitmap_draw(\"rocker.pbg\", 0, 0, 4)");
}

TEST_F(RockerTest, WithTheAutopilotOffAClickOnlyMovesTheRocker) {
    panelhost::Instance &r = instance(*plugin, kRocker);
    autopilot(0);
    r.draw(surface);
    host.log().clear();
    click_lower(r);
    EXPECT_TRUE(messages().empty());
    r.draw(surface);
    EXPECT_EQ(messages(), (std::vector<std::string>{"host_send_message('getd' 'ap__' 'apOn' type='int ' num=0 value=0 reply=1)"}));
}

TEST_F(RockerTest, FirstClickEngagesTheModeAndTheSecondSteps) {
    panelhost::Instance &r = instance(*plugin, kRocker);
    autopilot(1);
    host.bus().set(fourcc("ap__"), fourcc("VS_C"), BusValue::real(-500.0));
    host.log().clear();
    r.draw(surface);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "host_send_message('getd' 'ap__' 'apOn' type='int ' num=0 value=1 reply=1)",
                              "host_send_message('getd' 'ap__' 'VS_S' type='int ' num=0 reply=0)",
                          }));
    host.log().clear();
    click_lower(r);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "host_send_message('getd' 'ap__' 'VS_C' type='real' num=0 value=-500 reply=1)",
                              "host_send_message('setd' 'ap__' 'VS_S' type='int ' num=0 value=1)",
                          }));
    EXPECT_EQ(command(), -500.0) << "engaging leaves the command alone";
    r.draw(surface);
    host.log().clear();
    click_lower(r);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "host_send_message('getd' 'ap__' 'VS_C' type='real' num=0 value=-500 reply=1)",
                              "host_send_message('setd' 'ap__' 'VS_C' type='real' num=0 value=-400)",
                          }));
}

struct Step {
    double held;
    bool upper;
    double sent;
};

// The host holds the command with the opposite sign: a lower-half click
// sends min(v + step, -lower) and an upper-half one max(v - step, -upper).
TEST_F(RockerTest, StepsStayWithinTheLimits) {
    const Step cases[] = {
        {500, false, 600}, {500, true, 400}, {1950, false, 2000}, {-1950, true, -2000},
        {2000, false, 2000}, {-2000, true, -2000}, {3000, true, 2900}, {-3000, false, -2900},  // beyond a limit: one step back
    };
    panelhost::Instance &r = engaged();
    for (const Step &s : cases) {
        host.bus().set(fourcc("ap__"), fourcc("VS_C"), BusValue::real(s.held));
        s.upper ? click_upper(r) : click_lower(r);
        EXPECT_EQ(command(), s.sent) << s.held << (s.upper ? " upper" : " lower");
    }
}

TEST_F(RockerTest, AutopilotOffSwitchesTheEngagedModeOffOnce) {
    panelhost::Instance &r = engaged();
    ASSERT_EQ(mode(), 1);
    autopilot(0);
    host.log().clear();
    r.draw(surface);
    r.draw(surface);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "host_send_message('getd' 'ap__' 'apOn' type='int ' num=0 value=0 reply=1)",
                              "host_send_message('setd' 'ap__' 'VS_S' type='int ' num=0 value=0)",
                              "host_send_message('getd' 'ap__' 'apOn' type='int ' num=0 value=0 reply=1)",
                          }));
    EXPECT_EQ(mode(), 0);
    autopilot(1);
    r.draw(surface);
    host.log().clear();
    click_upper(r);
    EXPECT_EQ(messages().back(), "host_send_message('setd' 'ap__' 'VS_S' type='int ' num=0 value=1)")
        << "engages again rather than stepping";
}

TEST_F(RockerTest, AModeSwitchedOffElsewhereIsEngagedAgain) {
    panelhost::Instance &r = engaged();
    host.bus().set(fourcc("ap__"), fourcc("VS_S"), BusValue::integer(0));
    r.draw(surface);
    host.log().clear();
    click_upper(r);
    EXPECT_EQ(messages().back(), "host_send_message('setd' 'ap__' 'VS_S' type='int ' num=0 value=1)");
    EXPECT_EQ(command(), 0.0);
}

}  // namespace
