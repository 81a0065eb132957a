// The archives are binary: the bytes of a record are read as written, line
// ends and the old end-of-file byte included. (A reader that opened them as
// text would lose or change those bytes on Windows and misread every record
// after them.)
#include <cstring>

#include "tests/navdisplay/display_fixture.h"

namespace navdisplay_test {
namespace {

class ArchiveBytesTest : public DisplayTest {};

// A number whose bytes as stored are CR LF, 0x1A, CR LF, 0x1A (about 8.02).
double awkward_number() {
    const uint8_t bytes[8] = {0x0d, 0x0a, 0x1a, 0x0d, 0x0a, 0x1a, 0x20, 0x40};
    double d;
    std::memcpy(&d, bytes, sizeof d);
    return d;
}

TEST_F(ArchiveBytesTest, LineEndAndEndOfFileBytesInARecordAreData) {
    const double n = awkward_number();
    ASSERT_GT(n, 8.0);
    ASSERT_LT(n, 8.1);
    const podlib::Record odd{"AP0", "ODD", "Odd Field", n, n, n, n};
    write_tables({odd, {"AP1", "NEW", "New Field", 0.0}}, {{"NV0", "NVA", "Odd", n, n, n, n}, {"NV1", "NVB", "After"}},
                 {{"WP0", "WPA", "Odd", n, n, n, n}, {"WP1", "WPB", "After"}});
    write_plan(PlanText().airport(ahead(0, 100000), "AP1").airport(ahead(0, 200000), "AP1").text());
    start();
    click(170, 300);  // route on
    draw();
    EXPECT_TRUE(called(kEntryFontDrawText, "host_font_draw_text(\"FTASCI10.RAW\", 18, 265, 0xffff00, \"FROM : NEW\")"))
        << "the airport after the awkward one is found by its key";
    EXPECT_TRUE(host->problems().empty()) << host->problems().front();
}

}  // namespace
}  // namespace navdisplay_test
