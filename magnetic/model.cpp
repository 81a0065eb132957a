#include "magnetic/model.h"

#include <cmath>
#include <cstdio>
#include <iterator>

namespace magnetic {
namespace {

// One row of the published coefficient file: degree n, order m, the Gauss
// coefficients g and h at the epoch (nT) and their yearly change (nT/year).
struct Coefficient {
    int n, m;
    double g, h, g_dot, h_dot;
};

constexpr int kDegree = 12;
constexpr double kEpoch = 2025.0;
constexpr double kReferenceRadiusKm = 6371.2;
// The WGS 84 ellipsoid.
constexpr double kSemiMajorAxisKm = 6378.137;
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kPi = 3.14159265358979323846;

// WMM2025, as published by NOAA NCEI and the British Geological Survey.
constexpr Coefficient kWmm2025[] = {
    { 1,  0,  -29351.8,       0.0,   12.0,    0.0},
    { 1,  1,   -1410.8,    4545.4,    9.7,  -21.5},
    { 2,  0,   -2556.6,       0.0,  -11.6,    0.0},
    { 2,  1,    2951.1,   -3133.6,   -5.2,  -27.7},
    { 2,  2,    1649.3,    -815.1,   -8.0,  -12.1},
    { 3,  0,    1361.0,       0.0,   -1.3,    0.0},
    { 3,  1,   -2404.1,     -56.6,   -4.2,    4.0},
    { 3,  2,    1243.8,     237.5,    0.4,   -0.3},
    { 3,  3,     453.6,    -549.5,  -15.6,   -4.1},
    { 4,  0,     895.0,       0.0,   -1.6,    0.0},
    { 4,  1,     799.5,     278.6,   -2.4,   -1.1},
    { 4,  2,      55.7,    -133.9,   -6.0,    4.1},
    { 4,  3,    -281.1,     212.0,    5.6,    1.6},
    { 4,  4,      12.1,    -375.6,   -7.0,   -4.4},
    { 5,  0,    -233.2,       0.0,    0.6,    0.0},
    { 5,  1,     368.9,      45.4,    1.4,   -0.5},
    { 5,  2,     187.2,     220.2,    0.0,    2.2},
    { 5,  3,    -138.7,    -122.9,    0.6,    0.4},
    { 5,  4,    -142.0,      43.0,    2.2,    1.7},
    { 5,  5,      20.9,     106.1,    0.9,    1.9},
    { 6,  0,      64.4,       0.0,   -0.2,    0.0},
    { 6,  1,      63.8,     -18.4,   -0.4,    0.3},
    { 6,  2,      76.9,      16.8,    0.9,   -1.6},
    { 6,  3,    -115.7,      48.8,    1.2,   -0.4},
    { 6,  4,     -40.9,     -59.8,   -0.9,    0.9},
    { 6,  5,      14.9,      10.9,    0.3,    0.7},
    { 6,  6,     -60.7,      72.7,    0.9,    0.9},
    { 7,  0,      79.5,       0.0,    0.0,    0.0},
    { 7,  1,     -77.0,     -48.9,   -0.1,    0.6},
    { 7,  2,      -8.8,     -14.4,   -0.1,    0.5},
    { 7,  3,      59.3,      -1.0,    0.5,   -0.8},
    { 7,  4,      15.8,      23.4,   -0.1,    0.0},
    { 7,  5,       2.5,      -7.4,   -0.8,   -1.0},
    { 7,  6,     -11.1,     -25.1,   -0.8,    0.6},
    { 7,  7,      14.2,      -2.3,    0.8,   -0.2},
    { 8,  0,      23.2,       0.0,   -0.1,    0.0},
    { 8,  1,      10.8,       7.1,    0.2,   -0.2},
    { 8,  2,     -17.5,     -12.6,    0.0,    0.5},
    { 8,  3,       2.0,      11.4,    0.5,   -0.4},
    { 8,  4,     -21.7,      -9.7,   -0.1,    0.4},
    { 8,  5,      16.9,      12.7,    0.3,   -0.5},
    { 8,  6,      15.0,       0.7,    0.2,   -0.6},
    { 8,  7,     -16.8,      -5.2,    0.0,    0.3},
    { 8,  8,       0.9,       3.9,    0.2,    0.2},
    { 9,  0,       4.6,       0.0,    0.0,    0.0},
    { 9,  1,       7.8,     -24.8,   -0.1,   -0.3},
    { 9,  2,       3.0,      12.2,    0.1,    0.3},
    { 9,  3,      -0.2,       8.3,    0.3,   -0.3},
    { 9,  4,      -2.5,      -3.3,   -0.3,    0.3},
    { 9,  5,     -13.1,      -5.2,    0.0,    0.2},
    { 9,  6,       2.4,       7.2,    0.3,   -0.1},
    { 9,  7,       8.6,      -0.6,   -0.1,   -0.2},
    { 9,  8,      -8.7,       0.8,    0.1,    0.4},
    { 9,  9,     -12.9,      10.0,   -0.1,    0.1},
    {10,  0,      -1.3,       0.0,    0.1,    0.0},
    {10,  1,      -6.4,       3.3,    0.0,    0.0},
    {10,  2,       0.2,       0.0,    0.1,    0.0},
    {10,  3,       2.0,       2.4,    0.1,   -0.2},
    {10,  4,      -1.0,       5.3,    0.0,    0.1},
    {10,  5,      -0.6,      -9.1,   -0.3,   -0.1},
    {10,  6,      -0.9,       0.4,    0.0,    0.1},
    {10,  7,       1.5,      -4.2,   -0.1,    0.0},
    {10,  8,       0.9,      -3.8,   -0.1,   -0.1},
    {10,  9,      -2.7,       0.9,    0.0,    0.2},
    {10, 10,      -3.9,      -9.1,    0.0,    0.0},
    {11,  0,       2.9,       0.0,    0.0,    0.0},
    {11,  1,      -1.5,       0.0,    0.0,    0.0},
    {11,  2,      -2.5,       2.9,    0.0,    0.1},
    {11,  3,       2.4,      -0.6,    0.0,    0.0},
    {11,  4,      -0.6,       0.2,    0.0,    0.1},
    {11,  5,      -0.1,       0.5,   -0.1,    0.0},
    {11,  6,      -0.6,      -0.3,    0.0,    0.0},
    {11,  7,      -0.1,      -1.2,    0.0,    0.1},
    {11,  8,       1.1,      -1.7,   -0.1,    0.0},
    {11,  9,      -1.0,      -2.9,   -0.1,    0.0},
    {11, 10,      -0.2,      -1.8,   -0.1,    0.0},
    {11, 11,       2.6,      -2.3,   -0.1,    0.0},
    {12,  0,      -2.0,       0.0,    0.0,    0.0},
    {12,  1,      -0.2,      -1.3,    0.0,    0.0},
    {12,  2,       0.3,       0.7,    0.0,    0.0},
    {12,  3,       1.2,       1.0,    0.0,   -0.1},
    {12,  4,      -1.3,      -1.4,    0.0,    0.1},
    {12,  5,       0.6,       0.0,    0.0,    0.0},
    {12,  6,       0.6,       0.6,    0.1,    0.0},
    {12,  7,       0.5,      -0.1,    0.0,    0.0},
    {12,  8,      -0.1,       0.8,    0.0,    0.0},
    {12,  9,      -0.4,       0.1,    0.0,    0.0},
    {12, 10,      -0.2,      -1.0,   -0.1,    0.0},
    {12, 11,      -1.3,       0.1,    0.0,    0.0},
    {12, 12,      -0.7,       0.2,   -0.1,   -0.1},
};
static_assert(std::size(kWmm2025) == kDegree * (kDegree + 3) / 2, "one row for each degree and order");

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

double radians(double degrees) { return degrees * kPi / 180.0; }
double degrees(double radians) { return radians * 180.0 / kPi; }

}  // namespace

std::optional<Date> parse_date(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    auto digits = [&](size_t at, size_t count, int &out) {
        out = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    Date d;
    if (!digits(0, 4, d.year) || !digits(5, 2, d.month) || !digits(8, 2, d.day)) return std::nullopt;
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > days_in_month(d.year, d.month)) return std::nullopt;
    return d;
}

std::string date_text(const Date &d) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

double decimal_year(const Date &d) {
    int day_of_year = d.day;
    for (int m = 1; m < d.month; ++m) day_of_year += days_in_month(d.year, m);
    return d.year + (day_of_year - 1) / (leap(d.year) ? 366.0 : 365.0);
}

std::string_view Model::name() const { return "WMM2025"; }
Date Model::first_day() const { return {2025, 1, 1}; }
Date Model::end_day() const { return {2030, 1, 1}; }

Field Model::field(double latitude, double longitude, double height_km, double year) const {
    // Geodetic to geocentric spherical coordinates.
    const double phi = radians(latitude), lambda = radians(longitude);
    const double e2 = kFlattening * (2.0 - kFlattening);
    const double sin_phi = std::sin(phi), cos_phi = std::cos(phi);
    const double rc = kSemiMajorAxisKm / std::sqrt(1.0 - e2 * sin_phi * sin_phi);
    const double p = (rc + height_km) * cos_phi, zc = (rc * (1.0 - e2) + height_km) * sin_phi;
    const double r = std::hypot(p, zc);
    const double phi_c = std::asin(zc / r);
    // The colatitude's cosine and sine; the sine kept off zero at the poles,
    // where the east component's division would fail.
    const double cos_t = zc / r;
    const double sin_t = std::fmax(p / r, 1e-12);

    // Schmidt semi-normalised associated Legendre functions of cos(colatitude)
    // and their derivatives by the colatitude.
    double P[kDegree + 1][kDegree + 1] = {}, dP[kDegree + 1][kDegree + 1] = {};
    P[0][0] = 1.0;
    for (int n = 1; n <= kDegree; ++n) {
        if (n == 1) {
            P[1][1] = sin_t;
            dP[1][1] = cos_t;
        } else {
            const double k = std::sqrt((2.0 * n - 1.0) / (2.0 * n));
            P[n][n] = k * sin_t * P[n - 1][n - 1];
            dP[n][n] = k * (cos_t * P[n - 1][n - 1] + sin_t * dP[n - 1][n - 1]);
        }
        for (int m = 0; m < n; ++m) {
            const double a = 2.0 * n - 1.0, b = std::sqrt(double((n - 1) * (n - 1) - m * m));
            const double c = std::sqrt(double(n * n - m * m));
            const double before = n >= 2 ? P[n - 2][m] : 0.0, d_before = n >= 2 ? dP[n - 2][m] : 0.0;
            P[n][m] = (a * cos_t * P[n - 1][m] - b * before) / c;
            dP[n][m] = (a * (cos_t * dP[n - 1][m] - sin_t * P[n - 1][m]) - b * d_before) / c;
        }
    }

    const double dt = year - kEpoch;
    const double ratio = kReferenceRadiusKm / r;
    double x = 0, y = 0, z = 0;
    for (const Coefficient &k : kWmm2025) {
        const double g = k.g + dt * k.g_dot, h = k.h + dt * k.h_dot;
        const double cos_m = std::cos(k.m * lambda), sin_m = std::sin(k.m * lambda);
        const double rn = std::pow(ratio, k.n + 2);
        const double t = g * cos_m + h * sin_m;
        x += rn * t * dP[k.n][k.m];
        y += rn * k.m * (g * sin_m - h * cos_m) * P[k.n][k.m];
        z -= (k.n + 1) * rn * t * P[k.n][k.m];
    }
    y /= sin_t;

    // From the geocentric to the geodetic frame.
    const double psi = phi_c - phi;
    Field f;
    f.x = x * std::cos(psi) - z * std::sin(psi);
    f.y = y;
    f.z = x * std::sin(psi) + z * std::cos(psi);
    f.h = std::hypot(f.x, f.y);
    f.f = std::hypot(f.h, f.z);
    f.inclination = degrees(std::atan2(f.z, f.h));
    f.declination = degrees(std::atan2(f.y, f.x));
    return f;
}

const Model &wmm2025() {
    static const Model model;
    return model;
}

const Model *model_named(std::string_view name) { return name == wmm2025().name() ? &wmm2025() : nullptr; }

}  // namespace magnetic
