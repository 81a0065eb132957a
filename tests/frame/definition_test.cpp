// The host's definition syntax and the stream reads a plug-in makes on it.
#include <gtest/gtest.h>

#include <cstring>

#include "frame/message.h"
#include "host/definition.h"

using namespace panelhost;

TEST(Definition, ParsesTagsValuesGroupsAndContinuations) {
    Definition d = parse_definition(
        "# power and zoom\n"
        "mes1 {target=elec data=bus1 type=real}\n"
        "auto 3   # own zoom\n"
        "user \"a \\\"quoted\\\" text\"\n"
        "Part \"Cessna 172\" 65 door\n"
        "     \"Cessna 172\" 66 hatch\n",
        "panel.def");
    ASSERT_EQ(d.tags.size(), 4u);
    EXPECT_EQ(d.tags[0].code, fourcc("mes1"));
    EXPECT_EQ(d.tags[1].values.at(0).text, "3");
    EXPECT_EQ(d.tags[2].values.at(0).text, "a \"quoted\" text");
    EXPECT_EQ(d.tags[3].values.size(), 6u);
    EXPECT_EQ(d.tags[3].values[5].line, 6);

    std::vector<std::string> problems;
    HostMessage m{};
    TagCursor(d, d.tags[0], problems).read_message(&m);
    EXPECT_EQ(m.target, fourcc("elec"));
    EXPECT_EQ(m.data_tag, fourcc("bus1"));
    EXPECT_EQ(m.value_type, frame::kTypeReal);
    EXPECT_TRUE(problems.empty());
}

TEST(Definition, ErrorsNameFileAndLine) {
    auto message = [](const char *text) {
        try {
            parse_definition(text, "bad.def");
        } catch (const DefinitionError &e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("auto 1\nuser \"open\n"), "bad.def:2: unterminated string");
    EXPECT_EQ(message("  3\n"), "bad.def:1: values before the first tag");
    EXPECT_EQ(message("toolong 3\n"), "bad.def:1: tag 'toolong' is not one to four characters");
    EXPECT_EQ(message("\nmes1 {target=elec data=bus1 type=double}\n"), "bad.def:2: message type must be int or real");
    EXPECT_EQ(message("mes1 {target=elec\n"), "bad.def:1: message group without '}'");
}

TEST(Definition, ReadsAreBoundedAndBadValuesReported) {
    Definition d = parse_definition("numP x\nname \"0123456789\"\n", "p.txt");
    std::vector<std::string> problems;
    int32_t n = 99;
    TagCursor(d, d.tags[0], problems).read_int(&n);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "p.txt:1: tag 'numP': expected an integer, found 'x'");

    char buf[5];
    std::memset(buf, 'z', sizeof buf);
    TagCursor cursor(d, d.tags[1], problems);
    cursor.read_string(buf, sizeof buf);
    EXPECT_STREQ(buf, "0123");
    // Reading past the values leaves the destination alone.
    float f = 1.5f;
    cursor.read_float(&f);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(problems.size(), 3u);
}
