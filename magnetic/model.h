// The World Magnetic Model: the earth's main magnetic field as a spherical
// harmonic series of degree 12, from its published coefficients (public
// domain), evaluated for any place and date within the model's five years.
// Standard library only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace magnetic {

// A calendar date (Gregorian), as written "YYYY-MM-DD".
struct Date {
    int year = 0, month = 0, day = 0;
    bool operator==(const Date &) const = default;
    auto operator<=>(const Date &) const = default;
};
// The date of "YYYY-MM-DD" when it is one; nullopt otherwise (2026-02-30 too).
std::optional<Date> parse_date(std::string_view text);
std::string date_text(const Date &d);
// The year and its fraction passed at the start of the day (2025-07-02 is
// 2025.5), as the model counts time.
double decimal_year(const Date &d);

// The field at one place: north, east and downward components, horizontal and
// total intensity in nanotesla; inclination (dip, down positive) and
// declination (the magnetic variation, east positive) in degrees.
struct Field {
    double x = 0, y = 0, z = 0, h = 0, f = 0;
    double inclination = 0, declination = 0;
};

class Model {
public:
    // "WMM2025": how manifests and messages name the model.
    std::string_view name() const;
    // The first day it covers and the first day after it: [first, end).
    Date first_day() const;
    Date end_day() const;
    bool covers(const Date &d) const { return !(d < first_day()) && d < end_day(); }

    // The field at geodetic latitude and longitude (degrees, north and east
    // positive), `height_km` above the WGS 84 ellipsoid, at a decimal year.
    // Outside the model's years the series is extrapolated: check covers()
    // first.
    Field field(double latitude, double longitude, double height_km, double year) const;
    // The declination alone, in degrees east.
    double declination(double latitude, double longitude, double height_km, double year) const {
        return field(latitude, longitude, height_km, year).declination;
    }
};

// The World Magnetic Model 2025, valid 2025-01-01 to 2029-12-31.
const Model &wmm2025();
// The model a manifest names, or null for a name this build does not know.
const Model *model_named(std::string_view name);

}  // namespace magnetic
