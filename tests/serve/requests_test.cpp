#include "host/serve/requests.h"

#include <gtest/gtest.h>

#include "host/serve/key_bindings.h"

namespace panelhost::live {
namespace {

PanelFacts facts() {
    PanelFacts f;
    f.gauges.push_back({"display", 8, 8, 206, 330});
    f.has_power = true;
    return f;
}

int status_of(auto &&parse) {
    try {
        parse();
    } catch (const RequestError &e) {
        return e.status();
    }
    return 0;
}

TEST(Requests, ClickReachesTheGaugeInItsOwnPixels) {
    Command c = parse_click(R"({"gauge":"display","x":14,"y":300,"buttons":2})", facts());
    ASSERT_EQ(c.kind, Command::kEvent);
    EXPECT_EQ(c.event.kind, Event::kClick);
    EXPECT_EQ(c.event.gauge, "display");
    EXPECT_EQ(c.event.x, 14);
    EXPECT_EQ(c.event.y, 300);
    EXPECT_EQ(c.event.buttons, 2u);
    EXPECT_EQ(parse_click(R"({"gauge":"display","x":205,"y":329})", facts()).event.buttons, 1u);
}

TEST(Requests, BadClicksAreRefusedWithTheirStatus) {
    PanelFacts f = facts();
    auto click = [&](const char *body) { return status_of([&] { parse_click(body, f); }); };
    EXPECT_EQ(click("{\"gauge\":"), 400);
    EXPECT_EQ(click("[1,2]"), 400);
    EXPECT_EQ(click(R"({"gauge":"radio","x":1,"y":1})"), 404);
    EXPECT_EQ(click(R"({"gauge":"display","x":206,"y":0})"), 422);
    EXPECT_EQ(click(R"({"gauge":"display","x":0,"y":330})"), 422);
    EXPECT_EQ(click(R"({"gauge":"display","x":-1,"y":0})"), 422);
    EXPECT_EQ(click(R"({"gauge":"display","x":99999999999,"y":0})"), 422);
    EXPECT_EQ(click(R"({"gauge":"display","x":1.5,"y":0})"), 400);
    EXPECT_EQ(click(R"({"gauge":"display","x":"1","y":0})"), 400);
    EXPECT_EQ(click(R"({"gauge":"display","x":1})"), 400);
    EXPECT_EQ(click(R"({"gauge":"display","x":1,"y":1,"buttons":0})"), 422);
    EXPECT_EQ(click(R"({"gauge":"display","x":1,"y":1,"buttons":8})"), 422);
    EXPECT_EQ(click(R"({"gauge":"display","x":1,"y":1,"button":1})"), 400);
    EXPECT_EQ(click(("{\"gauge\":\"" + std::string(kMaxBodyBytes, 'a') + "\"}").c_str()), 413);
}

TEST(Requests, KeysAndControls) {
    Command k = parse_key(R"({"code":45,"modifiers":4})");
    EXPECT_EQ(k.event.kind, Event::kKey);
    EXPECT_EQ(k.event.key, 45);
    EXPECT_EQ(k.event.modifiers, 4);
    EXPECT_EQ(status_of([] { parse_key(R"({"code":0})"); }), 422);
    EXPECT_EQ(status_of([] { parse_key(R"({"code":65,"modifiers":8})"); }), 422);

    PanelFacts f = facts();
    EXPECT_EQ(parse_control(R"({"action":"speed","speed":16})", f).speed, 16);
    EXPECT_EQ(status_of([&] { parse_control(R"({"action":"speed","speed":32})", f); }), 422);
    EXPECT_EQ(status_of([&] { parse_control(R"({"action":"speed","speed":0.5})", f); }), 422);
    EXPECT_EQ(parse_control(R"({"action":"pause"})", f).kind, Command::kPause);
    EXPECT_EQ(status_of([&] { parse_control(R"({"action":"pause","speed":1})", f); }), 400);
    EXPECT_EQ(status_of([&] { parse_control(R"({"action":"fly"})", f); }), 400);
    Command light = parse_control(R"({"action":"light","switch":3,"on":true})", f);
    EXPECT_EQ(light.event.kind, Event::kLight);
    EXPECT_EQ(light.event.light, 3);
    EXPECT_TRUE(light.event.on);
    EXPECT_EQ(status_of([&] { parse_control(R"({"action":"light","switch":4,"on":true})", f); }), 422);
    EXPECT_EQ(status_of([&] { parse_control(R"({"action":"power","on":1})", f); }), 400);
    // The scenario of these facts names no autopilot.
    EXPECT_EQ(status_of([&] { parse_control(R"({"action":"autopilot","on":true})", f); }), 409);
}

TEST(Requests, RadioTuningStaysWithinWhatTheHeadsShow) {
    PanelFacts f = facts();
    Command com = parse_control(R"({"action":"radio","radio":"com","unit":2,"which":"standby","value":122.8})", f);
    EXPECT_EQ(com.event.kind, Event::kRadio);
    EXPECT_EQ(com.event.radio_kind, 1);
    EXPECT_EQ(com.event.radio_unit, 2);
    EXPECT_EQ(com.event.radio_which, 1);
    EXPECT_DOUBLE_EQ(com.event.value, 122.8);
    EXPECT_EQ(parse_control(R"({"action":"radio","radio":"xpdr","value":7700})", f).event.radio_kind, 8);
    auto refused = [&](const char *body) { return status_of([&] { parse_control(body, f); }); };
    EXPECT_EQ(refused(R"({"action":"radio","radio":"com","value":99.1})"), 422);
    EXPECT_EQ(refused(R"({"action":"radio","radio":"xpdr","value":1289})"), 422);
    EXPECT_EQ(refused(R"({"action":"radio","radio":"xpdr","value":1200.5})"), 422);
    EXPECT_EQ(refused(R"({"action":"radio","radio":"dme","value":1})"), 400);
    EXPECT_EQ(refused(R"({"action":"radio","radio":"nav","unit":3,"value":110})"), 422);
}

// The messages are the scenario file's (tests/fly) without its file and line.
TEST(Requests, RefusalsSayWhatAScenarioWouldSay) {
    PanelFacts f = facts();
    auto message = [&](const std::string &body, auto parse) {
        try {
            parse(body);
        } catch (const RequestError &e) {
            EXPECT_EQ(e.status(), 422) << body;
            return std::string(e.what());
        }
        return std::string("(accepted)");
    };
    auto control = [&](const std::string &b) { return parse_control(b, f); };
    auto click = [&](const std::string &b) { return parse_click(b, f); };
    EXPECT_EQ(message(R"({"action":"radio","radio":"com","value":19.25})", control),
              "COM frequencies lie between 118 and 136.975 MHz, not 19.25");
    EXPECT_EQ(message(R"({"action":"radio","radio":"adf","value":99})", control),
              "ADF frequencies lie between 100 and 1799 kHz, not 99");
    EXPECT_EQ(message(R"({"action":"radio","radio":"xpdr","value":9999})", control),
              "a transponder code is four digits 0 to 7, not 9999");
    EXPECT_EQ(message(R"({"action":"radio","radio":"xpdr","value":-1})", control),
              "a transponder code is four digits 0 to 7, not -1");
    EXPECT_EQ(message(R"({"action":"radio","radio":"nav","value":117.95})", control), "(accepted)");
    EXPECT_EQ(message(R"({"gauge":"display","x":206,"y":0})", click),
              "(206, 0) lies outside the gauge \"display\" of 206 x 330 pixels");
}

TEST(Requests, AFieldGivenTwiceIsRefused) {
    auto refusal = [](const char *body) -> std::string {
        try {
            parse_key(body);
        } catch (const RequestError &e) {
            return std::to_string(e.status()) + " " + e.what();
        }
        return "";
    };
    EXPECT_EQ(refusal(R"({"code":45,"code":46})"), "400 the field 'code' is given twice");
    EXPECT_EQ(refusal(R"({"code":45,"modifiers":{"a":1,"a":2}})"), "400 the field 'a' is given twice");
    // The same name in two objects is no duplicate.
    EXPECT_EQ(refusal(R"({"code":45,"modifiers":[{"a":1},{"a":2}]})"), "400 'modifiers' must be a whole number");
    EXPECT_EQ(refusal(R"({"code":45,"modifiers":4})"), "");
    EXPECT_THROW(parse_control(R"({"action":"pause","action":"resume"})", {}), RequestError);
}

TEST(KeyBindings, PanelShiftAndTheUserAircraftsParts) {
    Scenario s;
    s.file = "test.toml";
    s.aircraft = "Skylane";
    PanelItem shift, parts;
    shift.plugin = "panelshift";
    parts.plugin = "partanim";
    s.panel = {shift, parts};
    s.partanim = "numP 3\n"
                 "Part \"Skylane\" 68 door \"0,0\" \"0.05,0,0\" \"0,0,0\" \"NULL\"\n"
                 "     \"Other\" 70 flap \"0,0\" \"0.05,0,0\" \"0,0,0\" \"NULL\"\n"
                 "     \"Skylane\" 71 gear \"0,10\" \"0.04,0,0\" \"0,0,0\" \"GEAR.WAV\"\n";
    std::vector<KeyBinding> b = key_bindings(s);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(key_name(b[0].code, b[0].modifiers, b[0].any_modifiers), "Alt+Insert");
    EXPECT_EQ(b[1].code, 68);
    EXPECT_EQ(b[2].code, 71);
    EXPECT_EQ(key_name(b[2].code, b[2].modifiers, b[2].any_modifiers), "G");
    EXPECT_EQ(key_name(250, kModControl | kModShift), "Ctrl+Shift+key 250");

    s.panel.pop_back();  // no part animation on the panel
    EXPECT_EQ(key_bindings(s).size(), 1u);
}

}  // namespace
}  // namespace panelhost::live
