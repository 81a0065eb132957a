// The four radio heads through the host: power, frames, positions, pixels.
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "plugin_test.h"

namespace {

using panelhost::BusValue;
using panelhost::Surface;

constexpr const char *kPowered = "msg1 {target=elec data=bus1 type=real}\n";
constexpr uint32_t kBackground = 0x00123456;

class RadioTest : public small_test::PluginTest {
protected:
    panelhost::Instance &powered_head(const char *path, double power = 1.0) {
        host.bus().set(fourcc("elec"), fourcc("bus1"), BusValue::real(power));
        return instance(host.load(path), kPowered);
    }
    void tune(int kind, int unit, int which, float value) {
        host.world().user().radios[{kind, unit, which}] = value;
    }
    std::vector<std::string> draws() { return host.log().of(kEntryBitmapDraw); }

    Surface surface{130, 60};
};

std::string drawn(const char *strip, int x, int y, int frame) {
    return "host_bitmap_draw(\"" + std::string(strip) + "\", " + std::to_string(x) + ", " + std::to_string(y) +
           ", " + std::to_string(frame) + ")";
}

TEST_F(RadioTest, ComDrawsBothFrequenciesOnTheSlantAndPresentsKeyed) {
    panelhost::Instance &com = powered_head(PLUGIN_radio_com);
    tune(1, 2, 0, 121.500f);
    tune(1, 2, 1, 118.000f);
    host.log().clear();
    const panelhost::Presentation shown = com.draw(surface);
    EXPECT_TRUE(shown);
    EXPECT_EQ(host.log().of(kEntryObjectGetRadioFrequency),
              (std::vector<std::string>{"host_object_get_radio_frequency(obj0, 1, 2, 0 -> 121.5)",
                                        "host_object_get_radio_frequency(obj0, 1, 2, 1 -> 118)"}));
    EXPECT_EQ(draws(), (std::vector<std::string>{drawn("mvcom.pbg", 15, 43, 3), drawn("mvcomdec.pbg", 31, 40, 20),
                                                 drawn("mvcom.pbg", 67, 34, 0), drawn("mvcomdec.pbg", 83, 31, 0)}));
    EXPECT_EQ(host.log().calls().back().text(), "host_surface_present_keyed(130x60, 0x000000)");
    EXPECT_TRUE(shown.keyed);
}

TEST_F(RadioTest, ComClearsAndDrawsTheOrangeLine) {
    panelhost::Instance &com = powered_head(PLUGIN_radio_com);
    surface.fill(kBackground);
    ASSERT_TRUE(com.draw(surface));
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            uint32_t expected = x == 110 && y >= 20 && y <= 50 ? 0x00FE7C00u : 0u;
            ASSERT_EQ(surface.at(x, y), expected) << "at " << x << "," << y;
        }
}

TEST_F(RadioTest, NavClearsWithoutALine) {
    panelhost::Instance &nav = powered_head(PLUGIN_radio_nav);
    surface.fill(kBackground);
    ASSERT_TRUE(nav.draw(surface));
    for (uint32_t word : surface.words()) ASSERT_EQ(word, 0u);
}

struct Tuning {
    bool com;
    float frequency;
    int mhz_frame, decimal_frame;
};

// Truncated hundredths are rounded up to the next whole step, so floats just
// below a step still land on it.
TEST_F(RadioTest, DecimalFramesRoundUpToTheStep) {
    const Tuning cases[] = {
        {true, 136.975f, 18, 39},  // 97 / 2.5 = 38.8
        {true, 121.550f, 3, 22},   // 55 / 2.5 exactly
        {true, 121.600f, 3, 24},   // 121.5999...: 59 / 2.5 = 23.6
        {true, 121.525f, 3, 21},   // 52 / 2.5 = 20.8
        {false, 108.10f, 0, 2},    // 108.0999...: 9 / 5 = 1.8
        {false, 117.95f, 9, 19},   // 94 / 5 = 18.8
        {false, 110.50f, 2, 10},   // 50 / 5 exactly
    };
    panelhost::Instance &com = powered_head(PLUGIN_radio_com);
    panelhost::Instance &nav = instance(host.load(PLUGIN_radio_nav), kPowered);
    for (const Tuning &t : cases) {
        tune(t.com ? 1 : 2, 2, 0, t.frequency);
        host.log().clear();
        (t.com ? com : nav).draw(surface);
        const char *mhz = t.com ? "mvcom.pbg" : "mvnav.pbg";
        const char *decimal = t.com ? "mvcomdec.pbg" : "mvnavdec.pbg";
        ASSERT_GE(draws().size(), 2u);
        EXPECT_EQ(draws()[0], drawn(mhz, 15, 43, t.mhz_frame)) << t.frequency;
        EXPECT_EQ(draws()[1], drawn(decimal, 31, 40, t.decimal_frame)) << t.frequency;
    }
}

// Values no radio gives still make defined frames (the host shows nothing
// for frames outside its strips).
TEST_F(RadioTest, FrequenciesOutsideTheBandDrawDefinedFrames) {
    panelhost::Instance &com = powered_head(PLUGIN_radio_com);
    for (float f : {-5.3f, 0.0f, 3.0e9f, FLT_MAX, -FLT_MAX, NAN, INFINITY}) {
        tune(1, 2, 0, f);
        host.log().clear();
        EXPECT_TRUE(com.draw(surface)) << f;
        EXPECT_EQ(draws().size(), 4u);
    }
    tune(1, 2, 0, FLT_MAX);
    host.log().clear();
    com.draw(surface);
    EXPECT_EQ(draws()[0], drawn("mvcom.pbg", 15, 43, INT32_MAX - 118));
}

TEST_F(RadioTest, PowerDecidesWhetherAHeadDrawsAtAll) {
    for (const char *path : {PLUGIN_radio_com, PLUGIN_radio_nav, PLUGIN_radio_adf, PLUGIN_radio_xpdr}) {
        SCOPED_TRACE(path);
        panelhost::Instance &head = powered_head(path, -1.0);
        surface.fill(kBackground);
        EXPECT_TRUE(head.draw(surface)) << "a negative power value draws";
        host.bus().set(fourcc("elec"), fourcc("bus1"), BusValue::real(0.0));
        surface.fill(kBackground);
        host.log().clear();
        EXPECT_FALSE(head.draw(surface));
        EXPECT_EQ(host.log().texts(),
                  (std::vector<std::string>{
                      "host_send_message('getd' 'elec' 'bus1' type='real' num=0 value=0 reply=1)"}));
        for (uint32_t word : surface.words()) ASSERT_EQ(word, kBackground);
    }
}

// A head whose definition names no power message stays dark instead of
// sending what its fresh block held.
TEST_F(RadioTest, AHeadWithoutPowerMessageStaysDark) {
    panelhost::Instance &com = instance(host.load(PLUGIN_radio_com), "");
    host.log().clear();
    EXPECT_FALSE(com.draw(surface));
    EXPECT_EQ(host.log().of(kEntryObjectGetRadioFrequency).size(), 0u);
}

TEST_F(RadioTest, TransponderDigitsSitOneColumnLeftOfTheAdfs) {
    panelhost::Instance &xpdr = powered_head(PLUGIN_radio_xpdr);
    tune(8, 1, 0, 7700.0f);
    host.log().clear();
    EXPECT_TRUE(xpdr.draw(surface));
    EXPECT_EQ(host.log().of(kEntryObjectGetRadioFrequency),
              (std::vector<std::string>{"host_object_get_radio_frequency(obj0, 8, 1, 0 -> 7700)"}));
    const char *strip = "mvchiffresxpdr.pbg";
    EXPECT_EQ(draws(), (std::vector<std::string>{drawn(strip, 49, 15, 7), drawn(strip, 57, 13, 7),
                                                 drawn(strip, 64, 11, 0), drawn(strip, 72, 9, 0)}));
    EXPECT_EQ(host.log().calls().back().text(), "host_surface_present_keyed(130x60, 0x000000)");
}

struct AdfCase {
    float value;
    int digits[4];
};

TEST_F(RadioTest, AdfFormatsFourDigitsCharacterByCharacter) {
    const AdfCase cases[] = {
        {1750.0f, {1, 7, 5, 0}}, {350.4f, {0, 3, 5, 0}},   {350.6f, {0, 3, 5, 1}},
        {0.0f, {0, 0, 0, 0}},    {-350.0f, {0, 3, 5, 0}},  // the minus sign shows 0
        {12345.0f, {1, 2, 3, 4}},                           // five digits: the first four
        {FLT_MAX, {3, 4, 0, 2}}, {-FLT_MAX, {0, 3, 4, 0}}, {NAN, {0, 0, 0, 0}},
    };
    panelhost::Instance &adf = powered_head(PLUGIN_radio_adf);
    surface.fill(kBackground);
    for (const AdfCase &c : cases) {
        tune(64, 1, 0, c.value);
        host.log().clear();
        ASSERT_TRUE(adf.draw(surface)) << c.value;
        const char *strip = "mvchiffresxpdr.pbg";
        EXPECT_EQ(draws(), (std::vector<std::string>{drawn(strip, 49, 15, c.digits[0]), drawn(strip, 57, 13, c.digits[1]),
                                                     drawn(strip, 65, 11, c.digits[2]), drawn(strip, 73, 9, c.digits[3])}))
            << c.value;
    }
    for (uint32_t word : surface.words()) ASSERT_EQ(word, 0u);
}

}  // namespace
