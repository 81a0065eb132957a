#include "navdisplay/controls.h"

#include <cstddef>
#include <iterator>

namespace navdisplay {
namespace {

constexpr int32_t kButtonRowBelow = 295;  // a row click has y > 295
constexpr int32_t kButtonHalfWidth = 10;  // x strictly within 10 of a centre
constexpr int32_t kZoomCornerLeft = 177;
constexpr int32_t kZoomCornerBottom = 32;
constexpr int32_t kZoomMin = 1;
constexpr int32_t kZoomMax = 4;

// Symbols; identifiers; bearing/distance only; both; off.
void step_airports(uint32_t &o) {
    if (!(o & OPT_APT)) {
        o |= OPT_APT;
    } else if (!(o & OPT_APT_ID)) {
        o |= OPT_APT_ID;
    } else if (o & OPT_APT_BRG) {
        o &= ~(OPT_APT | OPT_APT_ID | OPT_APT_BRG);
    } else {
        o |= OPT_APT_BRG;
        o &= ~OPT_APT_ID;
    }
}

struct NavaidBits {
    uint32_t layer, id, freq, brg;
};
constexpr NavaidBits kVorBits{OPT_VOR, OPT_VOR_ID, OPT_VOR_FREQ, OPT_VOR_BRG};
constexpr NavaidBits kNdbBits{OPT_NDB, OPT_NDB_ID, OPT_NDB_FREQ, OPT_NDB_BRG};

// Symbols; identifiers; frequencies; frequencies with bearing/distance; off.
void step_navaids(uint32_t &o, const NavaidBits &b) {
    if (!(o & b.layer)) {
        o |= b.layer;
    } else if (!(o & b.id)) {
        o |= b.id;
    } else if (!(o & b.freq)) {
        o |= b.freq;
    } else if (o & b.brg) {
        o &= ~(b.layer | b.id | b.freq | b.brg);
    } else {
        o |= b.brg;
    }
}

// Symbols; identifiers; identifiers with bearing/distance; off.
void step_waypoints(uint32_t &o) {
    if (!(o & OPT_WPT)) {
        o |= OPT_WPT;
    } else if (!(o & OPT_WPT_ID)) {
        o |= OPT_WPT_ID;
    } else if (o & OPT_WPT_BRG) {
        o &= ~(OPT_WPT | OPT_WPT_ID | OPT_WPT_BRG);
    } else {
        o |= OPT_WPT_BRG;
    }
}

void press(uint32_t &o, int button) {
    switch (button) {
    case 0: step_airports(o); break;
    case 1: step_navaids(o, kVorBits); break;
    case 2: step_navaids(o, kNdbBits); break;
    case 3: step_waypoints(o); break;
    case 4: o ^= OPT_TRAFFIC; break;
    case 5: o ^= OPT_ROUTE; break;
    }
}

constexpr int32_t kButtonCentres[] = {14, 42, 74, 105, 137, 170};

int button_at(int32_t x) {
    for (size_t i = 0; i < std::size(kButtonCentres); ++i) {
        const int64_t d = int64_t(x) - kButtonCentres[i];
        if (d > -kButtonHalfWidth && d < kButtonHalfWidth) return int(i);
    }
    return -1;
}

}  // namespace

void apply_click(DisplayState &s, int32_t auto_value, int32_t x, int32_t y, uint32_t buttons) {
    if ((buttons & kButtonLeft) && y > kButtonRowBelow) {
        if (int b = button_at(x); b >= 0) press(s.options, b);
        return;
    }
    if (auto_value == 0 || x < kZoomCornerLeft || y < 0 || y > kZoomCornerBottom) return;
    if (buttons & kButtonLeft) {
        if (s.zoom_level > kZoomMin) --s.zoom_level;
        else s.zoom_level = kZoomMin;
    } else if (buttons & kButtonOthers) {
        if (s.zoom_level < kZoomMax) ++s.zoom_level;
        else s.zoom_level = kZoomMax;
    }
}

}  // namespace navdisplay
