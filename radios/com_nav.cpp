// The COM and NAV radio heads: one design, built twice with its constants.
#include <cmath>

#include "radios/power_gauge.h"
#include "render/primitives.h"

namespace {

struct RadioConstants {
    const char *name, *version;
    uint32_t cls;
    int32_t radio_kind;
    const char *mhz_strip, *decimal_strip;
    int32_t first_mhz;    // MHz shown by frame 0 of the MHz strip
    float decimal_step;   // hundredths of MHz per frame of the decimal strip
    bool orange_line;
};

#if defined(RADIO_COM)
constexpr RadioConstants kRadio{"MORVEN_COM_2 DLL", "04/27/04 1.00", fourcc("Mg_c"), kRadioCom, "mvcom.pbg",
                                "mvcomdec.pbg", 118, 2.5f, true};
#elif defined(RADIO_NAV)
constexpr RadioConstants kRadio{"MORVEN_NAV_2 DLL", "04/27/04 1.00", fourcc("Mg_n"), kRadioNav, "mvnav.pbg",
                                "mvnavdec.pbg", 108, 5.0f, false};
#else
#error "build with RADIO_COM or RADIO_NAV"
#endif

constexpr int32_t kUnit = 2;
constexpr int32_t kActive = 0, kStandby = 1;

struct Point {
    int32_t x, y;
};

// Where one frequency goes: its MHz and decimal frames.
struct FrequencyPlace {
    Point mhz, decimal;
};
// Each position lies right of and above the one before: the two numbers sit
// on a rising slant.
constexpr FrequencyPlace kActivePlace{{15, 43}, {31, 40}};
constexpr FrequencyPlace kStandbyPlace{{67, 34}, {83, 31}};

ObjectRef g_user;
BitmapRecord g_mhz_strip;
BitmapRecord g_decimal_strip;

void load_resources() {
    frame::set_record_name(g_mhz_strip.name, kRadio.mhz_strip);
    host_bitmap_load(&g_mhz_strip);
    frame::set_record_name(g_decimal_strip.name, kRadio.decimal_strip);
    host_bitmap_load(&g_decimal_strip);
}

void release_resources() {
    host_bitmap_free(&g_mhz_strip);
    host_bitmap_free(&g_decimal_strip);
}

// The decimal frame rounds the hundredths up to the next whole step, so that
// a frequency whose float lies just below its step (121.6 is 121.5999...)
// still lands on it.
int32_t decimal_frame(float frequency, int32_t mhz) {
    int32_t hundredths = radios::whole((frequency - float(mhz)) * 100.0f);
    float steps = float(hundredths) / kRadio.decimal_step;
    if (std::fmod(float(hundredths), kRadio.decimal_step) != 0.0f) steps += 1.0f;
    return radios::whole(steps);
}

void draw_frequency(DrawSurface *s, float frequency, const FrequencyPlace &at) {
    int32_t mhz = radios::whole(frequency);
    host_bitmap_draw(s, &g_mhz_strip, at.mhz.x, at.mhz.y, radios::whole(double(mhz) - kRadio.first_mhz));
    host_bitmap_draw(s, &g_decimal_strip, at.decimal.x, at.decimal.y, decimal_frame(frequency, mhz));
}

void on_draw(InstanceHandle h, DrawSurface *s) {
    if (!radios::powered(h)) return;
    host_get_user_object(&g_user);
    float active = host_object_get_radio_frequency(&g_user, kRadio.radio_kind, kUnit, kActive);
    float standby = host_object_get_radio_frequency(&g_user, kRadio.radio_kind, kUnit, kStandby);
    render::surface_clear(s);
    draw_frequency(s, active, kActivePlace);
    draw_frequency(s, standby, kStandbyPlace);
    if (kRadio.orange_line) render::draw_line(s, 110, 50, 110, 20, render::rgb(254, 124, 0));
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
