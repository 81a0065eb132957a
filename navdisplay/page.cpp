// The page in its drawing order: map layers first, then the fixed markings,
// the traffic, the data block and the bezel over everything.
#include "navdisplay/page.h"

#include <cstdio>
#include <cstring>

#include "frame/host_api.h"
#include "frame/message.h"
#include "navdata/angle.h"
#include "navdisplay/display.h"
#include "navdisplay/geometry.h"
#include "navdisplay/nearby.h"
#include "navdisplay/number_format.h"
#include "navdisplay/palette.h"
#include "navdisplay/texts.h"
#include "render/nav_state.h"
#include "render/primitives.h"
#include "render/text.h"

namespace navdisplay {
namespace {

using render::NavState;

// Geometry of the page, in surface pixels.
constexpr int32_t kRingRadii[] = {120, 80, 40};
constexpr int32_t kCourseLineLength = 160;
constexpr Pixel kLubberEnd{103, 72};
constexpr Pixel kHeadingText{96, 52};
constexpr Pixel kRangeText{99, 154};
constexpr Pixel kZoomText{188, 10};
constexpr int32_t kRangeDivisor = 75;  // range scale to the middle ring's miles
constexpr int32_t kRouteClampX = 206, kRouteClampY = 240;
constexpr int32_t kDataValueOffset = 50;   // value column right of its label
constexpr int32_t kDataRightColumn = 103;  // right label column
constexpr double kTrafficNearNm = 6.0;
constexpr double kTrafficLevelBand = 10.0;  // hundreds of feet
constexpr double kPassageNm = 5.0;

struct Indicator {
    uint32_t option;
    int32_t x;
};
constexpr Indicator kIndicators[] = {{OPT_APT, 12},  {OPT_VOR, 41},      {OPT_NDB, 71},
                                     {OPT_WPT, 103}, {OPT_TRAFFIC, 136}, {OPT_ROUTE, 168}};

// The page's draw context: everything one frame of it needs, gathered once.
struct PageCanvas {
    DisplayState &st;
    NavState &nav;
    DrawSurface *s;
    double reference_angle;  // map heading in radians
    int32_t heading;         // whole degrees

    char *text() { return st.text; }
    size_t text_size() const { return sizeof st.text; }

    void text_at(Font f, int32_t x, int32_t y, uint32_t colour, const char *t) {
        render::draw_text(s, &font(f), x, y, colour, t);
    }
    template <class... Args>
    void textf(Font f, int32_t x, int32_t y, uint32_t colour, const char *format, Args... args) {
        std::snprintf(text(), text_size(), format, args...);
        text_at(f, x, y, colour, text());
    }
    void fixed(Font font_id, int32_t x, int32_t y, uint32_t colour, const FixedFormat &format, double v) {
        format_fixed(text(), text_size(), format, v);
        text_at(font_id, x, y, colour, text());
    }
    void bitmap_at(Bitmap b, int32_t x, int32_t y, int32_t frame = 0) {
        host_bitmap_draw(s, &bitmap(b), x, y, frame);
    }

    Pixel place(const NearbyEntry &e) {
        nav.place_position(e.latitude, e.longitude, reference_angle, st.range_scale);
        return render::screen_point(nav.position_offset, st.aircraft_point);
    }
    const char *bearing_label() {
        return format_bearing_distance(text(), text_size(), nav.position_vector.bearing(), nav.variation,
                                       nav.position_vector.distance());
    }
};

// Clips a whole-pixel segment to the map window; false when it misses.
bool clip(NavState &nav, Pixel a, Pixel b, Pixel &ca, Pixel &cb) {
    const auto &w = kMapWindow;
    if (!nav.clip_to_window(a.x, a.y, b.x, b.y, w.left, w.top, w.right, w.bottom))
        return false;
    ca = nav.clipped_a();
    cb = nav.clipped_b();
    return true;
}

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// Whole degrees of a wrapped angle, kept in 0 .. 359 for the degree tables
// (the fold can return exactly 360).
int32_t table_degree(float wrapped) {
    int32_t a = render::whole_degrees(wrapped) % 360;
    return a < 0 ? a + 360 : a;
}

void draw_course_line(PageCanvas &f, HostMessage &course) {
    host_send_message(&course);
    if (course.reply == 0) return;
    const float wrapped =
        navdata::display_circle.wrapped_difference(float(course.value.i), f.nav.displayed_heading);
    const int32_t a = table_degree(wrapped);
    const Pixel from = f.st.aircraft_point;
    const Pixel to{render::to_pixel(from.x + kCourseLineLength * f.nav.sin_table[a]),
                   render::to_pixel(from.y - kCourseLineLength * f.nav.cos_table[a])};
    Pixel ca, cb;
    if (clip(f.nav, from, to, ca, cb)) render::draw_line(f.s, ca.x, ca.y, cb.x, cb.y, palette::kDarkRed);
}

void draw_route(PageCanvas &f) {
    DisplayState &st = f.st;
    navdata::NavData &data = f.nav.nav;
    if (st.flight_plan_pending) {
        f.nav.load_flight_plan();
        st.flight_plan_pending = false;
        st.distance_leg = kNoLeg;
        st.route_passed = false;
        st.plan_fresh = true;
    }
    st.data_text_colour = palette::kBrightGreen;
    if (data.working_leg_count() == 0) return;
    for (size_t i = 0; i + 1 < data.published_leg_count(); ++i) {
        f.nav.place_plan_point(i, f.reference_angle, st.range_scale);
        const Pixel a = render::screen_point(f.nav.plan_offset, f.st.aircraft_point);
        render::draw_cross_mark(f.s, a.x, a.y);
        f.nav.place_plan_point(i + 1, f.reference_angle, st.range_scale);
        const Pixel b = render::screen_point(f.nav.plan_offset, f.st.aircraft_point);
        render::draw_cross_mark(f.s, b.x, b.y);
        Pixel ca, cb;
        if (!clip(f.nav, a, b, ca, cb)) continue;
        ca = {clamp(ca.x, 0, kRouteClampX), clamp(ca.y, 0, kRouteClampY)};
        cb = {clamp(cb.x, 0, kRouteClampX), clamp(cb.y, 0, kRouteClampY)};
        for (int32_t d : {0, -1, 1})
            render::draw_line(f.s, ca.x + d, ca.y + d, cb.x + d, cb.y + d, palette::kDarkRed);
    }
}

void draw_airports(PageCanvas &f) {
    refresh_airports(f.st);
    const uint32_t o = f.st.options;
    for (uint32_t i = 0; i < f.st.airports.count; ++i) {
        const NearbyEntry &e = f.st.airports.entries[i];
        const Pixel p = f.place(e);
        const int32_t x = p.x - kSymbolHalf, y = p.y - kSymbolHalf;
        if (!in_symbol_window(x, y)) continue;
        f.bitmap_at(kBmpAirport, x, y);
        if (o & OPT_APT_ID) f.text_at(kFontMicro5, x, y - 6, palette::kAirportLabel, e.id);
        if (o & OPT_APT_BRG) f.text_at(kFontMicro5, x - 3, y + 18, palette::kAirportLabel, f.bearing_label());
    }
}

void draw_navaids(PageCanvas &f) {
    refresh_navaids(f.st);
    const uint32_t o = f.st.options;
    for (uint32_t i = 0; i < f.st.navaids.count; ++i) {
        const NearbyEntry &e = f.st.navaids.entries[i];
        const Pixel p = f.place(e);
        const int32_t x = p.x - kSymbolHalf, y = p.y - kSymbolHalf;
        if (!in_symbol_window(x, y)) continue;
        const bool ndb = e.flags & hostlist::navaid::kNdb;
        const bool vor = !ndb && (e.flags & hostlist::navaid::kVor);
        if (!(ndb && (o & OPT_NDB)) && !(vor && (o & OPT_VOR))) continue;
        if (ndb) {
            f.bitmap_at(kBmpNdb, x, y);
            if (o & OPT_NDB_FREQ) {
                f.fixed(kFontMicro5, x + 2, y - 8, palette::kMagenta, kWhole3, double(e.frequency));
                if (o & OPT_NDB_BRG) f.text_at(kFontMicro5, x - 4, y + 18, palette::kMagenta, f.bearing_label());
            } else if (o & OPT_NDB_ID) {
                f.text_at(kFontMicro5, x + 3, y + 18, palette::kMagenta, e.id);
            }
        } else {
            f.bitmap_at(kBmpVor, x, y);
            if (o & OPT_VOR_FREQ) {
                f.fixed(kFontMicro5, x - 2, y - 6, palette::kWhite, kHundredths6, double(e.frequency));
                if (o & OPT_VOR_BRG) f.text_at(kFontMicro5, x - 2, y + 18, palette::kWhite, f.bearing_label());
            } else if (o & OPT_VOR_ID) {
                f.text_at(kFontMicro5, x + 3, y + 18, palette::kWhite, e.id);
            }
        }
    }
}

void draw_waypoints(PageCanvas &f) {
    refresh_waypoints(f.st);
    const uint32_t o = f.st.options;
    for (uint32_t i = 0; i < f.st.waypoints.count; ++i) {
        const NearbyEntry &e = f.st.waypoints.entries[i];
        const Pixel p = f.place(e);
        const int32_t x = p.x, y = p.y;
        if (!in_symbol_window(x, int64_t(y) - 2)) continue;
        render::draw_line(f.s, x, y - 2, x - 2, y + 2, palette::kYellow);
        render::draw_line(f.s, x, y - 2, x + 2, y + 2, palette::kYellow);
        if (o & OPT_WPT_ID) f.text_at(kFontMicro5, x - 6, y - 10, palette::kYellow, e.id);
        if (o & OPT_WPT_BRG) f.text_at(kFontMicro5, x - 10, y + 8, palette::kYellow, f.bearing_label());
    }
}

void draw_markings(PageCanvas &f) {
    const Pixel c = f.st.aircraft_point;
    f.textf(kFontAscii10, kHeadingText.x, kHeadingText.y, palette::kYellow, "%03d", f.heading);
    render::draw_line(f.s, c.x, c.y, kLubberEnd.x, kLubberEnd.y, palette::kGrey);
    f.bitmap_at(kBmpHeadingBox, kHeadingBoxCorner.x, kHeadingBoxCorner.y);
    for (int32_t r : kRingRadii) render::draw_circle(f.s, c.x, c.y, r, palette::kGrey);
    std::snprintf(f.text(), f.text_size(), "%d", f.st.range_scale / kRangeDivisor);
    host_font_draw_label(f.s, &font(kFontAscii10), kRangeText.x, kRangeText.y, palette::kGrey, f.text());
    render::fill_rect(f.s, 0, 242, 206, 330, palette::kNearBlack);
    BitmapRecord *const strips[render::kRoseQuarters] = {&bitmap(kBmpRose89), &bitmap(kBmpRose179),
                                                         &bitmap(kBmpRose269), &bitmap(kBmpRose359)};
    render::draw_rose(f.s, strips, f.heading, kRoseCorner);
}

void draw_traffic(PageCanvas &f) {
    NavState &nav = f.nav;
    f.st.traffic_timer += host_get_frame_seconds();
    if (f.st.traffic_timer > kRefreshSeconds) {
        f.st.traffic_timer = 0.0f;
        nav.refresh_traffic();
    } else {
        nav.rewind_traffic();
    }
    for (ObjectRef ref; nav.next_traffic(ref);) {
        if (host_object_is_valid(&ref) == 0) continue;
        GeoPosition pos{};
        host_object_get_position(&ref, &pos);
        nav.place_position(pos.latitude, pos.longitude, f.reference_angle, f.st.range_scale);
        const Pixel p = render::screen_point(nav.position_offset, f.st.aircraft_point);
        if (!in_symbol_window(p.x, p.y)) continue;
        const double r = (pos.altitude - nav.own_position.altitude) / 100.0;
        const uint32_t colour = (r <= -kTrafficLevelBand || r >= kTrafficLevelBand) ? palette::kBlue
                                : nav.position_vector.distance() <= kTrafficNearNm      ? palette::kOrange
                                                                               : palette::kYellow;
        render::fill_rect(f.s, p.x - 3, p.y - 3, p.x + 4, p.y + 4, colour);
        f.fixed(kFontTiny7, p.x - 7, r <= 0 ? p.y + 5 : p.y - 11, colour, kSignedWhole3, r);
    }
}

// Name of the active leg as the working list holds it; null when it has none.
const char *leg_name(PageCanvas &f, const navdata::FlightPlanLeg &leg) {
    switch (leg.kind) {
    case navdata::kLegAirport: return format_field(f.text(), f.text_size(), leg.airport_identifier);
    case navdata::kLegNavaid: return format_field(f.text(), f.text_size(), leg.navaid_identifier);
    case navdata::kLegWaypoint: return "WPT";
    case navdata::kLegUserWaypoint: return "USR";
    default: return nullptr;
    }
}

void draw_data_block(PageCanvas &f) {
    DisplayState &st = f.st;
    NavState &nav = f.nav;
    navdata::NavData &data = nav.nav;
    const uint32_t colour = st.data_text_colour;
    const int32_t left = st.data_column, left_value = left + kDataValueOffset;
    const int32_t right = kDataRightColumn, right_value = right + kDataValueOffset;

    render::fill_rect(f.s, 0, 0, 206, 48, palette::kNearBlack);
    if (data.working_leg_count() == 0) return;
    const size_t published = data.published_leg_count();
    if (st.leg_index > uint32_t(published - 1)) st.leg_index = uint32_t(published - 1);

    bool measured = false;
    if (published != 0) {
        // The working list may be shorter than the published one after a read
        // that failed part way: the leg is then measured no more.
        // After a read the leg is measured at once, so that TRK, DIS and ETE
        // are never shown before a measurement.
        if (st.leg_index < data.working_leg_count())
            measured = nav.update_leg_track(st.leg_index, st.plan_fresh);
        const double trk = nav.leg_vector.bearing(), dis = nav.leg_vector.distance();

        f.text_at(kFontAscii10, left, 250, colour, "DTK : ");
        if (st.leg_index != st.dtk_leg || st.plan_fresh) {
            navdata::FlightPlanLeg &leg = *data.published_leg(st.leg_index);
            if (leg.kind == navdata::kLegUserWaypoint) leg.variation = data.current_variation();
            st.dtk_value = navdata::display_circle.wrapped_difference(leg.course_from_previous, leg.variation);
            st.dtk_leg = st.leg_index;
        }
        st.plan_fresh = false;
        f.fixed(kFontAscii10, left_value, 250, colour, kWhole3, double(st.dtk_value));
        f.text_at(kFontAscii10, left, 20, colour, "TRK : ");
        f.fixed(kFontAscii10, left_value, 20, colour, kWhole3, trk);
        f.text_at(kFontAscii10, right, 20, colour, "DIS : ");
        f.fixed(kFontAscii10, right_value, 20, colour, kTenths6, dis);
        const float gs = nav.motion.ground_speed_fps;
        f.text_at(kFontAscii10, left, 40, colour, "GS- : ");
        f.fixed(kFontAscii10, left_value, 40, colour, kWhole3, double(gs) / navdata::FEET_PER_NM * 3600.0);
        f.text_at(kFontAscii10, right, 40, colour, "ETE : ");
        f.text_at(kFontAscii10, right_value, 40, colour, format_ete(f.text(), f.text_size(), dis, gs));
    }

    // Waypoint passage: inside 5 miles and moving away again, judged only on
    // the active leg's own refreshed distances, each leg once per read.
    if (measured && !st.route_passed) {
        const double dis = nav.leg_vector.distance();
        if (st.distance_leg == st.leg_index && dis < kPassageNm && dis > st.previous_distance) {
            if (host_sound_is_playing(st.ping) == 0) st.ping = host_sound_play_file("GPSPING.WAV");
            if (st.leg_index + 1 >= published) st.route_passed = true;
            ++st.leg_index;
            st.distance_leg = kNoLeg;
        } else {
            st.previous_distance = dis;
            st.distance_leg = st.leg_index;
        }
    }

    f.textf(kFontAscii10, right, 250, colour, "LEG : %u", st.leg_index);
    f.text_at(kFontAscii10, right_value, 250, palette::kOrange, "____");
    if (const navdata::FlightPlanLeg *leg = data.working_leg(st.leg_index))
        if (const char *name = leg_name(f, *leg)) f.text_at(kFontAscii10, right_value, 250, palette::kOrange, name);
    const navdata::FlightPlanLeg &first = *data.working_leg(0);
    const navdata::FlightPlanLeg &last = *data.working_leg(data.working_leg_count() - 1);
    f.textf(kFontAscii10, left, 265, palette::kYellow, "FROM : %.*s",
            int(strnlen(first.airport_identifier, sizeof first.airport_identifier)), first.airport_identifier);
    f.textf(kFontAscii10, right, 265, palette::kYellow, "TO   : %.*s",
            int(strnlen(last.airport_identifier, sizeof last.airport_identifier)), last.airport_identifier);
}

void draw_zoom_selector(PageCanvas &f) {
    f.bitmap_at(kBmpSelector, kSelectorCorner.x, kSelectorCorner.y, f.st.zoom_level);
    f.textf(kFontAscii10, kZoomText.x, kZoomText.y, palette::kWhite, "%d", f.st.zoom_level);
}

void draw_indicators(PageCanvas &f) {
    for (const Indicator &i : kIndicators)
        if (f.st.options & i.option) render::fill_rect(f.s, i.x, 306, i.x + 4, 309, palette::kDarkGreen);
}

}  // namespace

void draw_page(DisplayInstance &instance, DrawSurface *s) {
    DisplayState &st = state();
    NavState &nav = nav_state();

    host_send_message(&instance.power);
    if (!(st.options & OPT_ENABLED) || frame::value_as_double(instance.power) == 0.0) return;
    if (decide_zoom(st, instance.auto_value) == 0) return;

    render::surface_clear(s);
    nav.refresh_own_position();
    PageCanvas f{st, nav, s, double(nav.map_heading) * navdata::kDisplayRadiansPerDegree,
            render::whole_degrees(nav.displayed_heading)};

    draw_course_line(f, instance.course);
    if (st.options & OPT_ROUTE) draw_route(f);
    if (st.options & OPT_APT) draw_airports(f);
    if (st.options & (OPT_VOR | OPT_NDB)) draw_navaids(f);
    if (st.options & OPT_WPT) draw_waypoints(f);
    draw_markings(f);
    if (st.options & OPT_TRAFFIC) draw_traffic(f);
    f.bitmap_at(kBmpPlane, kPlaneCorner.x, kPlaneCorner.y);
    render::draw_line(s, 96, 242, 110, 242, palette::kNearBlack);
    if (st.options & OPT_ROUTE) draw_data_block(f);
    f.bitmap_at(kBmpBezel, kBezelCorner.x, kBezelCorner.y);
    if (instance.auto_value != 0) draw_zoom_selector(f);
    draw_indicators(f);
    host_surface_present(s);
}

}  // namespace navdisplay
