// Why a gauge that never presented may be dark, from what it asked.
#include <gtest/gtest.h>

#include "frame/message.h"
#include "host/silent_gauges.h"

namespace panelhost {
namespace {

GaugeView gauge(const std::string &name, long frames_shown = 0) {
    return GaugeView{name, "dial", 0, 0, Surface(2, 2), false, false, 0, nullptr, nullptr, {}, 0, 0, frames_shown};
}

HostMessage answer(uint32_t target, uint32_t data, uint32_t type, double value) {
    HostMessage m{};
    m.target = target;
    m.data_tag = data;
    m.value_type = type;
    m.reply = 1;
    if (type == frame::kTypeInt)
        m.value.i = int32_t(value);
    else
        m.value.d = value;
    return m;
}

HostMessage unanswered(uint32_t target, uint32_t data) {
    HostMessage m = answer(target, data, frame::kTypeReal, 0);
    m.reply = 0;
    return m;
}

const std::vector<BusTarget> kPower{{fourcc("elec"), fourcc("bus1")}};

TEST(SilentGauges, NamesTheLikelyCauseOfEachDarkGauge) {
    SilentGauges s(3);
    s.note(0, answer(fourcc("elec"), fourcc("bus1"), frame::kTypeReal, 0));
    s.note(0, unanswered(fourcc("ndC2"), fourcc("dh__")));
    s.note(1, answer(fourcc("elec"), fourcc("bus1"), frame::kTypeReal, 0));
    s.note(2, answer(fourcc("elec"), fourcc("bus1"), frame::kTypeReal, 1));
    std::vector<std::string> lines = s.lines({gauge("a"), gauge("b", 4), gauge("c")}, 10, kPower);
    ASSERT_EQ(lines.size(), 2u);  // "b" presented frames
    EXPECT_EQ(lines[0], "gauge \"a\" (dial) presented no frame in 10 frames; likely cause: power 'elec' 'bus1' was 0 at "
                        "every frame; 'ndC2' 'dh__' was never answered (no such value on the bus)");
    EXPECT_EQ(lines[1], "gauge \"c\" (dial) presented no frame in 10 frames; every value it asked was answered and not 0 "
                        "(power 'elec' 'bus1' = 1): the gauge itself is switched off or has nothing to show");
    EXPECT_TRUE(s.lines({gauge("a")}, 0, kPower).empty()) << "nothing is silent before the first frame";
}

TEST(SilentGauges, AnIntegerAnswerIsReadAsAnInteger) {
    // Read as a double, the integer 1 would be a tiny number or 0 and blame the power.
    SilentGauges s(1);
    s.note(0, answer(fourcc("elec"), fourcc("bus1"), frame::kTypeInt, 1));
    std::vector<std::string> lines = s.lines({gauge("a")}, 5, kPower);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("answered and not 0 (power 'elec' 'bus1' = 1)"), std::string::npos) << lines[0];
}

TEST(SilentGauges, OnceNotZeroAValueIsNotTheCauseAndShowsItsLastAnswer) {
    SilentGauges s(1);
    s.note(0, answer(fourcc("elec"), fourcc("bus1"), frame::kTypeReal, 28));
    s.note(0, answer(fourcc("elec"), fourcc("bus1"), frame::kTypeReal, 0));
    s.note(0, unanswered(fourcc("elec"), fourcc("bus1")));
    s.note(7, answer(fourcc("elec"), fourcc("bus1"), frame::kTypeReal, 0));  // no such gauge: ignored
    std::vector<std::string> lines = s.lines({gauge("a")}, 5, {});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("('elec' 'bus1' = no value)"), std::string::npos) << lines[0];
}

}  // namespace
}  // namespace panelhost
