// What the flight log records of the host's state: each change once, at the
// frame it was seen, and nothing that did not change.
#include <gtest/gtest.h>

#include "host/state_observer.h"

namespace panelhost {
namespace {

using nlohmann::json;

struct StateObserverTest : testing::Test {
    Host host;
    std::vector<std::string> asset_errors;
    FlightLog log;
    StateObserver observer;
    void SetUp() override { observer.start(host); }
    void observe(long frame) { observer.observe(host, asset_errors, log, frame / 30.0, frame); }
};

TEST_F(StateObserverTest, WindowsAreLoggedWhenAnyEdgeMoves) {
    observe(0);
    EXPECT_TRUE(log.section("windows").empty()) << "the host's own first window is not news";
    host.resources().windows[6].h = 400;  // the height alone
    observe(1);
    host.resources().windows[9] = WindowRect{10, 20, 30, 40};
    observe(2);
    observe(3);
    const json &w = log.section("windows");
    ASSERT_EQ(w.size(), 2u) << w.dump();
    EXPECT_EQ(w[0]["window"], 6);
    EXPECT_EQ(w[0]["frame"], 1);
    EXPECT_EQ(w[0]["rect"], json({0, 0, 640, 400}));
    EXPECT_EQ(w[1]["window"], 9);
    EXPECT_EQ(w[1]["frame"], 2);
}

TEST_F(StateObserverTest, PartsAndModelsAreLoggedOnEachChangeBackToo) {
    SimObject &user = host.world().user();
    user.part_frames["gear"] = 3;
    observe(1);
    user.part_frames["gear"] = 4;
    observe(2);
    user.part_frames["gear"] = 3;
    user.models[fourcc("nit1")] = "MODELS\\a_Nlamp_1.ACM";
    user.selected_model = fourcc("nit1");
    observe(3);
    observe(4);
    const json &p = log.section("part_frames");
    ASSERT_EQ(p.size(), 3u) << p.dump();
    EXPECT_EQ(p[2]["value"], 3);
    EXPECT_EQ(p[2]["frame"], 3);
    const json &m = log.section("models");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0]["tag"], "nit1");
    EXPECT_EQ(m[0]["path"], "MODELS\\a_Nlamp_1.ACM");
}

TEST_F(StateObserverTest, EachStartedSoundOnceAndThePingWhateverItsCase) {
    host.resources().sound_play("click.wav");
    host.resources().sound_play("gpsping.wav");
    observe(1);
    host.advance(5);  // both have run out; still not news again
    observe(2);
    host.resources().sound_play("GPSPING.WAV");
    observe(3);
    EXPECT_EQ(log.section("sounds").size(), 1u);
    const json &pings = log.section("pings");
    ASSERT_EQ(pings.size(), 2u) << pings.dump();
    EXPECT_EQ(pings[1]["frame"], 3);
}

TEST_F(StateObserverTest, ProblemsAreLoggedOnceEach) {
    asset_errors.push_back("FONT.RAW: no such file");
    host.problems().push_back("a foreign list released");
    observe(1);
    observe(2);
    EXPECT_EQ(log.section("problems"), json({"FONT.RAW: no such file", "a foreign list released"}));
    EXPECT_TRUE(asset_errors.empty());
    EXPECT_TRUE(host.problems().empty());
}

}  // namespace
}  // namespace panelhost
