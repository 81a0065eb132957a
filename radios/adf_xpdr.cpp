// The ADF and transponder digit windows: one design, built twice with its
// constants.
#include <cstdio>
#include <cstdlib>

#include "radios/power_gauge.h"
#include "render/primitives.h"

namespace {

constexpr int kDigits = 4;

struct DigitConstants {
    const char *name, *version;
    uint32_t cls;
    int32_t radio_kind;
    int32_t x[kDigits];
};

#if defined(RADIO_ADF)
constexpr DigitConstants kRadio{"MORVEN_ADF DLL", "05/15/04 1.00", fourcc("Mg_a"), kRadioAdf, {49, 57, 65, 73}};
#elif defined(RADIO_XPDR)
constexpr DigitConstants kRadio{"MORVEN_XPDR DLL", "04/29/04 1.00", fourcc("Mg_x"), kRadioTransponder, {49, 57, 64, 72}};
#else
#error "build with RADIO_ADF or RADIO_XPDR"
#endif

// The digits rise by two rows each step to the right.
constexpr int32_t kDigitY[kDigits] = {15, 13, 11, 9};
constexpr int32_t kUnit = 1, kActive = 0;

// Holds "%04.0f" of any float: the largest has 39 digits, plus a sign.
constexpr size_t kValueTextSize = 48;

ObjectRef g_user;
BitmapRecord g_digit_strip;  // frames 0 to 9 are the digits

void load_resources() {
    frame::set_record_name(g_digit_strip.name, "mvchiffresxpdr.pbg");
    host_bitmap_load(&g_digit_strip);
}

void release_resources() { host_bitmap_free(&g_digit_strip); }

// The first four characters of the formatted value, each converted on its
// own: a digit gives its value, anything else (a minus sign, the letters of
// "nan") gives 0. A value of five or more digits shows its first four; the
// field width guarantees there are four.
void digits_of(float value, int32_t (&digits)[kDigits]) {
    char text[kValueTextSize];
    std::snprintf(text, sizeof text, "%04.0f", double(value));
    for (int i = 0; i < kDigits; ++i) {
        const char one[2] = {text[i], '\0'};
        digits[i] = std::atoi(one);
    }
}

void on_draw(InstanceHandle h, DrawSurface *s) {
    if (!radios::powered(h)) return;
    host_get_user_object(&g_user);
    float value = host_object_get_radio_frequency(&g_user, kRadio.radio_kind, kUnit, kActive);
    int32_t digits[kDigits];
    digits_of(value, digits);
    render::surface_clear(s);
    for (int i = 0; i < kDigits; ++i) host_bitmap_draw(s, &g_digit_strip, kRadio.x[i], kDigitY[i], digits[i]);
    host_surface_present_keyed(s, render::rgb(0, 0, 0));
}

void on_destroy(InstanceHandle h) { frame::destroy(h, true); }

const frame::Callback kCallbacks[] = {
    frame::callback(kSlotDestroy, &on_destroy),
    frame::callback(kSlotInstantiate, &radios::instantiate),
    frame::callback(kSlotDraw, &on_draw),
    frame::callback(kSlotReadTag, &radios::read_power_tag),
};

}  // namespace

const frame::Deliverable &frame::deliverable() {
    static const Deliverable d{kRadio.name, "ZARK", "JV", kRadio.version, "radio head of the panel suite",
                               fourcc("gage"), kRadio.cls, kCallbacks, int(std::size(kCallbacks)),
                               load_resources, release_resources};
    return d;
}
