#include "host/output/track_map.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace panelhost {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadian = kPi / 180.0;
// Legs are drawn as great circles, in pieces of at most this many degrees.
constexpr double kLegPieceDeg = 0.05;
constexpr double kSymbolRadius = 4.5;
constexpr double kPingRadius = 7.0;
constexpr double kLabelSize = 10.0, kRouteLabelSize = 12.0, kTitleSize = 13.0;

struct Rgb {
    double r, g, b;
};
constexpr Rgb rgb(uint32_t c) { return {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0}; }

constexpr uint32_t kGrid = 0xDDD8CA, kGridText = 0x9A9480, kText = 0x202020, kHalo = 0xFFFFFF;
constexpr uint32_t kAirportColour = 0x1F5FBF, kVorColour = 0x1E8A3C, kNdbColour = 0x9A5B1E, kFixColour = 0x707070;

using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

void colour(cairo_t *cr, uint32_t c, double alpha = 1.0) {
    Rgb v = rgb(c);
    cairo_set_source_rgba(cr, v.r, v.g, v.b, alpha);
}

uint32_t symbol_colour(MapSymbol s) {
    switch (s) {
    case MapSymbol::kAirport: return kAirportColour;
    case MapSymbol::kVor:
    case MapSymbol::kDme: return kVorColour;
    case MapSymbol::kNdb: return kNdbColour;
    case MapSymbol::kFix: return kFixColour;
    case MapSymbol::kUser: return map_colour::kRoute;
    }
    return kFixColour;
}

void symbol(cairo_t *cr, MapSymbol s, double x, double y, double scale) {
    const double r = kSymbolRadius * scale;
    colour(cr, symbol_colour(s));
    cairo_set_line_width(cr, 1.4 * scale);
    cairo_new_path(cr);
    switch (s) {
    case MapSymbol::kAirport:
        cairo_arc(cr, x, y, r, 0, 2 * kPi);
        cairo_stroke(cr);
        cairo_move_to(cr, x - r * 1.5, y);
        cairo_line_to(cr, x + r * 1.5, y);
        cairo_stroke(cr);
        break;
    case MapSymbol::kVor:
        for (int i = 0; i < 6; ++i) {
            double a = kPi / 3 * i;
            if (i == 0)
                cairo_move_to(cr, x + r * std::cos(a), y + r * std::sin(a));
            else
                cairo_line_to(cr, x + r * std::cos(a), y + r * std::sin(a));
        }
        cairo_close_path(cr);
        cairo_stroke(cr);
        cairo_arc(cr, x, y, 1.2 * scale, 0, 2 * kPi);
        cairo_fill(cr);
        break;
    case MapSymbol::kDme:
        cairo_rectangle(cr, x - r * 0.8, y - r * 0.8, r * 1.6, r * 1.6);
        cairo_stroke(cr);
        break;
    case MapSymbol::kNdb:
        for (int i = 0; i < 10; ++i) {
            double a = kPi / 5 * i;
            cairo_arc(cr, x + r * std::cos(a), y + r * std::sin(a), 0.8 * scale, 0, 2 * kPi);
            cairo_fill(cr);
        }
        cairo_arc(cr, x, y, 1.5 * scale, 0, 2 * kPi);
        cairo_fill(cr);
        break;
    case MapSymbol::kFix:
        cairo_move_to(cr, x, y - r);
        cairo_line_to(cr, x + r * 0.9, y + r * 0.6);
        cairo_line_to(cr, x - r * 0.9, y + r * 0.6);
        cairo_close_path(cr);
        cairo_stroke(cr);
        break;
    case MapSymbol::kUser:
        cairo_move_to(cr, x, y - r);
        cairo_line_to(cr, x + r, y);
        cairo_line_to(cr, x, y + r);
        cairo_line_to(cr, x - r, y);
        cairo_close_path(cr);
        cairo_stroke(cr);
        break;
    }
}

struct Box {
    double x0, y0, x1, y1;
    bool overlaps(const Box &o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Labels are placed in the order given, each beside its point where it
// overlaps no earlier one; a label with no free place is left out unless
// it must be shown.
class Labels {
public:
    Labels(cairo_t *cr, int width, int height) : cr_(cr), width_(width), height_(height) {}

    void reserve(const Box &b) { placed_.push_back(b); }

    bool place(const std::string &text, double x, double y, double size, bool bold, bool always) {
        if (text.empty()) return false;
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr_, size);
        cairo_text_extents_t e;
        cairo_text_extents(cr_, text.c_str(), &e);
        const double gap = 6, w = e.x_advance, h = size;
        const double spots[4][2] = {{x + gap, y + h * 0.35}, {x - w / 2, y - gap}, {x - gap - w, y + h * 0.35},
                                    {x - w / 2, y + gap + h * 0.8}};
        for (int i = 0; i < 4; ++i) {
            Box b{spots[i][0] - 1, spots[i][1] - h * 0.85, spots[i][0] + w + 1, spots[i][1] + h * 0.25};
            bool inside = b.x0 >= 0 && b.y0 >= 0 && b.x1 <= width_ && b.y1 <= height_;
            bool free = inside && std::none_of(placed_.begin(), placed_.end(), [&](const Box &o) { return o.overlaps(b); });
            if (free || (always && i == 3)) {
                int at = free ? i : 0;
                draw(text, spots[at][0], spots[at][1]);
                placed_.push_back(Box{spots[at][0] - 1, spots[at][1] - h * 0.85, spots[at][0] + w + 1, spots[at][1] + h * 0.25});
                return true;
            }
        }
        return false;
    }

    // Text with a light halo, so that it reads over lines.
    void draw(const std::string &text, double x, double y) {
        cairo_move_to(cr_, x, y);
        cairo_text_path(cr_, text.c_str());
        colour(cr_, kHalo, 0.85);
        cairo_set_line_width(cr_, 3.0);
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr_);
        colour(cr_, kText);
        cairo_fill(cr_);
    }

private:
    cairo_t *cr_;
    int width_, height_;
    std::vector<Box> placed_;
};

// A step of 1, 2 or 5 times a power of ten, near `rough`.
double round_step(double rough) {
    double p = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= rough) return m * p;
    return 10 * p;
}

struct Vec {
    double x, y, z;
};
Vec unit(const MapPlace &p) {
    double la = p.latitude_deg * kRadian, lo = p.longitude_deg * kRadian;
    return {std::cos(la) * std::cos(lo), std::cos(la) * std::sin(lo), std::sin(la)};
}
MapPlace place_of(const Vec &v) {
    double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {std::asin(std::clamp(v.z / n, -1.0, 1.0)) / kRadian, std::atan2(v.y, v.x) / kRadian};
}

// The great circle from a to b, as places along it.
std::vector<MapPlace> great_circle(const MapPlace &a, const MapPlace &b) {
    Vec u = unit(a), v = unit(b);
    double dot = std::clamp(u.x * v.x + u.y * v.y + u.z * v.z, -1.0, 1.0);
    double angle = std::acos(dot);
    int pieces = std::max(1, int(std::ceil(angle / kRadian / kLegPieceDeg)));
    std::vector<MapPlace> out{a};
    if (angle < 1e-12 || std::sin(angle) < 1e-12) {
        out.push_back(b);
        return out;
    }
    for (int i = 1; i <= pieces; ++i) {
        double t = double(i) / pieces, s = std::sin(angle);
        double wa = std::sin((1 - t) * angle) / s, wb = std::sin(t * angle) / s;
        out.push_back(i == pieces ? b : place_of({wa * u.x + wb * v.x, wa * u.y + wb * v.y, wa * u.z + wb * v.z}));
    }
    return out;
}

void polyline(cairo_t *cr, const MapProjection &pr, const std::vector<MapPlace> &places) {
    for (size_t i = 0; i < places.size(); ++i) {
        double x = pr.x(places[i]), y = pr.y(places[i]);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
}

void grid(cairo_t *cr, const MapProjection &pr) {
    const double w = pr.width(), h = pr.height();
    const MapPlace top_left = pr.place(0, 0), bottom_right = pr.place(w, h);
    const double step = round_step((top_left.latitude_deg - bottom_right.latitude_deg) / 5.0);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 9);
    cairo_set_line_width(cr, 1.0);
    char text[32];
    for (double lat = std::ceil(bottom_right.latitude_deg / step) * step; lat <= top_left.latitude_deg; lat += step) {
        double y = std::round(pr.y({lat, pr.centre_longitude()})) + 0.5;
        colour(cr, kGrid);
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, w, y);
        cairo_stroke(cr);
        std::snprintf(text, sizeof text, "%g\u00B0%c", std::fabs(std::round(lat / step) * step), lat < 0 ? 'S' : 'N');
        colour(cr, kGridText);
        cairo_move_to(cr, 3, y - 2);
        cairo_show_text(cr, text);
    }
    const double west = pr.centre_longitude() + wrap_longitude(top_left.longitude_deg - pr.centre_longitude());
    const double east = west + w / (pr.pixels_per_degree() * pr.longitude_factor());
    const double lon_step = round_step((east - west) / 5.0);
    for (double lon = std::ceil(west / lon_step) * lon_step; lon <= east; lon += lon_step) {
        double x = std::round(pr.x({pr.centre_latitude(), lon})) + 0.5;
        colour(cr, kGrid);
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x, h);
        cairo_stroke(cr);
        double shown = wrap_longitude(std::round(lon / lon_step) * lon_step);
        std::snprintf(text, sizeof text, "%g\u00B0%c", std::fabs(shown), shown < 0 ? 'W' : 'E');
        colour(cr, kGridText);
        cairo_move_to(cr, x + 3, h - 4);
        cairo_show_text(cr, text);
    }
}

// A bar of a round number of nautical miles near a fifth of the width,
// at the bottom left.
Box scale_bar(cairo_t *cr, const MapProjection &pr) {
    const double nm = round_step(pr.width() / 5.0 / pr.pixels_per_nm());
    const double length = nm * pr.pixels_per_nm(), x = 14, y = pr.height() - 22.0;
    colour(cr, kHalo, 0.8);
    cairo_rectangle(cr, x - 6, y - 18, length + 12, 28);
    cairo_fill(cr);
    colour(cr, kText);
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, x, y - 5);
    cairo_line_to(cr, x, y);
    cairo_line_to(cr, x + length, y);
    cairo_line_to(cr, x + length, y - 5);
    cairo_stroke(cr);
    char text[32];
    std::snprintf(text, sizeof text, "%g nm", nm);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 10);
    cairo_move_to(cr, x + 2, y - 7);
    cairo_show_text(cr, text);
    return {x - 6, y - 18, x + length + 6, y + 10};
}

Box north_arrow(cairo_t *cr, const MapProjection &pr) {
    const double x = pr.width() - 20.0, y = 34;
    colour(cr, kText);
    cairo_move_to(cr, x, y - 16);
    cairo_line_to(cr, x + 6, y);
    cairo_line_to(cr, x, y - 4);
    cairo_line_to(cr, x - 6, y);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 11);
    cairo_move_to(cr, x - 4, y + 13);
    cairo_show_text(cr, "N");
    return {x - 10, y - 20, x + 10, y + 16};
}

// The title and what each colour means, at the top left on a pale ground.
Box title_and_key(cairo_t *cr, const TrackMapInput &in, bool track, bool pings) {
    const double x = 10, y = 20;
    struct Key {
        uint32_t colour;
        const char *what;
        bool ring;
    };
    std::vector<Key> keys{{map_colour::kRoute, "route", false}};
    if (track) keys.push_back({map_colour::kTrack, "track", false});
    if (pings) keys.push_back({map_colour::kPing, "ping", true});

    cairo_text_extents_t e;
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, kTitleSize);
    cairo_text_extents(cr, in.title.c_str(), &e);
    const double title_width = e.x_advance;
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kLabelSize);
    std::vector<double> widths;
    double keys_width = 0;
    for (const Key &k : keys) {
        cairo_text_extents(cr, k.what, &e);
        widths.push_back(e.x_advance);
        keys_width += 20 + e.x_advance + 12;
    }
    const Box box{x - 6, y - kTitleSize - 4, x + std::max(title_width, keys_width) + 6, y + 22};
    colour(cr, kHalo, 0.85);
    cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
    cairo_fill(cr);

    colour(cr, kText);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, kTitleSize);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, in.title.c_str());
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kLabelSize);
    double kx = x;
    for (size_t i = 0; i < keys.size(); ++i) {
        colour(cr, keys[i].colour);
        cairo_set_line_width(cr, 2.5);
        cairo_new_path(cr);
        if (keys[i].ring) {
            cairo_arc(cr, kx + 8, y + 12, 4.5, 0, 2 * kPi);
        } else {
            cairo_move_to(cr, kx, y + 12);
            cairo_line_to(cr, kx + 16, y + 12);
        }
        cairo_stroke(cr);
        colour(cr, kText);
        cairo_move_to(cr, kx + 20, y + 16);
        cairo_show_text(cr, keys[i].what);
        kx += 20 + widths[i] + 12;
    }
    return box;
}

}  // namespace

double wrap_longitude(double degrees) {
    double d = std::fmod(degrees + 180.0, 360.0);
    if (d < 0) d += 360.0;
    return d - 180.0;
}

MapProjection MapProjection::fit(const std::vector<MapPlace> &places, int max_width, int max_height, int margin,
                                 double min_extent_nm) {
    MapProjection p;
    if (places.empty()) return p;
    const double lon0 = places.front().longitude_deg;
    double south = 90, north = -90, west = 1e9, east = -1e9;
    for (const MapPlace &m : places) {
        double lon = lon0 + wrap_longitude(m.longitude_deg - lon0);
        south = std::min(south, m.latitude_deg);
        north = std::max(north, m.latitude_deg);
        west = std::min(west, lon);
        east = std::max(east, lon);
    }
    p.centre_ = {(south + north) / 2, wrap_longitude((west + east) / 2)};
    p.cos_latitude_ = std::max(0.05, std::cos(p.centre_.latitude_deg * kRadian));
    // Extents in degrees of latitude; neither side under 0.6 of the other,
    // so that a route due north still has room for its labels.
    double across = std::max((east - west) * p.cos_latitude_, min_extent_nm / 60.0);
    double down = std::max(north - south, min_extent_nm / 60.0);
    across = std::max(across, 0.6 * down);
    down = std::max(down, 0.6 * across);
    const int inner_w = std::max(1, max_width - 2 * margin), inner_h = std::max(1, max_height - 2 * margin);
    p.pixels_per_degree_ = std::min(inner_w / across, inner_h / down);
    p.width_ = int(std::ceil(across * p.pixels_per_degree_)) + 2 * margin;
    p.height_ = int(std::ceil(down * p.pixels_per_degree_)) + 2 * margin;
    return p;
}

double MapProjection::x(const MapPlace &p) const {
    return width_ / 2.0 + wrap_longitude(p.longitude_deg - centre_.longitude_deg) * cos_latitude_ * pixels_per_degree_;
}

double MapProjection::y(const MapPlace &p) const {
    return height_ / 2.0 - (p.latitude_deg - centre_.latitude_deg) * pixels_per_degree_;
}

MapPlace MapProjection::place(double x, double y) const {
    return {centre_.latitude_deg - (y - height_ / 2.0) / pixels_per_degree_,
            wrap_longitude(centre_.longitude_deg + (x - width_ / 2.0) / (cos_latitude_ * pixels_per_degree_))};
}

bool MapProjection::contains(const MapPlace &p) const {
    double px = x(p), py = y(p);
    return px >= 0 && py >= 0 && px < width_ && py < height_;
}

namespace {

// Cairo's font faces and fontconfig's configuration live until they are
// released on purpose; released at exit, the process ends holding nothing
// (and the leak checker of the sanitizer builds sees nothing left).
void release_fonts_at_exit() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        std::atexit([] {
            cairo_debug_reset_static_data();
            FcFini();
        });
    });
}

}  // namespace

Image draw_track_map(const TrackMapInput &in, const MapProjection &pr) {
    release_fonts_at_exit();
    const int w = pr.width(), h = pr.height();
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h), cairo_surface_destroy);
    Context context(cairo_create(surface.get()), cairo_destroy);
    cairo_t *cr = context.get();
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) return Image(w, h, map_colour::kBackground);

    colour(cr, map_colour::kBackground);
    cairo_paint(cr);
    grid(cr, pr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

    for (const MapPoint &p : in.nearby)
        if (pr.contains(p.at)) symbol(cr, p.symbol, pr.x(p.at), pr.y(p.at), 1.0);
    if (in.route.size() > 1) {
        std::vector<MapPlace> line;
        for (size_t i = 1; i < in.route.size(); ++i) {
            std::vector<MapPlace> leg = great_circle(in.route[i - 1].at, in.route[i].at);
            line.insert(line.end(), leg.begin() + (i > 1 ? 1 : 0), leg.end());
        }
        colour(cr, map_colour::kRoute);
        cairo_set_line_width(cr, 3.0);
        polyline(cr, pr, line);
        cairo_stroke(cr);
    }
    if (in.track.size() > 1) {
        colour(cr, map_colour::kTrack);
        cairo_set_line_width(cr, 2.0);
        polyline(cr, pr, in.track);
        cairo_stroke(cr);
    }
    for (const MapPoint &p : in.route) symbol(cr, p.symbol, pr.x(p.at), pr.y(p.at), 1.4);
    for (const MapPlace &p : in.pings) {
        colour(cr, map_colour::kPing);
        cairo_set_line_width(cr, 2.5);
        cairo_new_path(cr);
        cairo_arc(cr, pr.x(p), pr.y(p), kPingRadius, 0, 2 * kPi);
        cairo_stroke(cr);
    }

    // Over the lines: the title and key, the scale and the north arrow, then
    // the labels where they leave room, the route's first (never left out).
    Labels labels(cr, w, h);
    labels.reserve(title_and_key(cr, in, !in.track.empty(), !in.pings.empty()));
    labels.reserve(scale_bar(cr, pr));
    labels.reserve(north_arrow(cr, pr));
    for (size_t i = 0; i < in.route.size(); ++i) {
        const MapPoint &p = in.route[i];
        // A point flown twice is named once.
        bool repeated = std::any_of(in.route.begin(), in.route.begin() + long(i), [&](const MapPoint &q) {
            return q.label == p.label && q.at.latitude_deg == p.at.latitude_deg && q.at.longitude_deg == p.at.longitude_deg;
        });
        if (!repeated) labels.place(p.label, pr.x(p.at), pr.y(p.at), kRouteLabelSize, true, true);
    }
    for (const MapPoint &p : in.nearby)
        if (pr.contains(p.at)) labels.place(p.label, pr.x(p.at), pr.y(p.at), kLabelSize, false, false);

    cairo_surface_flush(surface.get());
    Image out(w, h);
    const unsigned char *data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < h; ++y) {
        const uint32_t *row = reinterpret_cast<const uint32_t *>(data + size_t(y) * size_t(stride));
        for (int x = 0; x < w; ++x) out.at(x, y) = row[x] & 0xFFFFFFu;
    }
    return out;
}

}  // namespace panelhost
