// The value helpers of the host message record, and the host's bus.
#include <gtest/gtest.h>

#include "frame/message.h"
#include "host/message_bus.h"

using namespace frame;

TEST(Message, GetAsIntegerTruncatesRealsTowardZero) {
    HostMessage m{};
    m.value_type = kTypeReal;
    for (auto [d, i] : {std::pair{-0.9, 0}, {2.7, 2}, {-2.7, -2}, {0.0, 0}, {1e300, INT32_MAX}, {-1e300, INT32_MIN}}) {
        m.value.d = d;
        EXPECT_EQ(get_int(m), i) << d;
    }
    set_int(m, -42);
    EXPECT_EQ(m.value_type, kTypeInt);
    EXPECT_EQ(get_int(m), -42);
}

TEST(Message, SetRealWidensTheFloatAndGetFloatNarrows) {
    HostMessage m{};
    set_real(m, 0.1f);
    EXPECT_EQ(m.value_type, kTypeReal);
    EXPECT_EQ(m.value.d, double(0.1f));  // widened, not the double 0.1
    EXPECT_EQ(get_float(m), 0.1f);
    set_int(m, 7);
    EXPECT_EQ(get_float(m), 7.0f);
}

TEST(Message, FieldsSitAtTheirBytes) {
    HostMessage m{};
    set_request(m, kGetd);
    set_data_tag(m, fourcc("VS_C"));
    set_int(m, 0x01020304);
    auto *bytes = reinterpret_cast<const uint8_t *>(&m);
    EXPECT_EQ(bytes[0], 'd');  // 'getd' stored backwards
    EXPECT_EQ(bytes[3], 'g');
    EXPECT_EQ(bytes[8], ' ');  // 'int '
    EXPECT_EQ(bytes[24], 0x04);
    EXPECT_EQ(bytes[56], 'C');
}

TEST(MessageBus, SetdChangesWhatTheNextGetdReturns) {
    panelhost::MessageBus bus;
    HostMessage m{};
    m.target = fourcc("ap01");
    m.data_tag = fourcc("VS_C");
    set_request(m, kGetd);
    set_int(m, 0);
    bus.send(m);
    EXPECT_EQ(m.reply, 0);  // nothing held yet

    set_request(m, kSetd);
    set_real(m, -500.0f);
    bus.send(m);
    set_request(m, kGetd);
    set_int(m, 0);
    bus.send(m);
    EXPECT_EQ(m.reply, 1);
    EXPECT_EQ(m.value.i, -500);  // converted to the message's type

    // An untyped record (built in code) gets the value as it is held.
    HostMessage raw{};
    raw.request = kGetd;
    raw.target = fourcc("ap01");
    raw.data_tag = fourcc("VS_C");
    bus.send(raw);
    EXPECT_EQ(raw.value.d, -500.0);
}
