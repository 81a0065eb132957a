#include "navdisplay/number_format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace navdisplay {
namespace {

// Above this the fast path is not used: the scaled value's rounding error
// must stay far below the tie window.
constexpr double kFastLimit = 1e9;
// Scaled values this close to a tie are left to printf, which rounds the
// exact binary value.
constexpr double kTieWindow = 1e-4;
constexpr uint64_t kScale[] = {1, 10, 100};

// The text of v, or 0 when only printf can be sure of it.
size_t fast_fixed(char *out, size_t room, const FixedFormat &f, double v) {
    if (!std::isfinite(v) || !(std::fabs(v) < kFastLimit) || f.decimals < 0 || f.decimals > 2) return 0;
    const bool negative = std::signbit(v);
    const double scaled = std::fabs(v) * double(kScale[f.decimals]);
    if (f.decimals > 0 && std::fabs(scaled - std::floor(scaled) - 0.5) < kTieWindow) return 0;
    // Ties of whole numbers are exact here; nearbyint rounds them to even, as printf does.
    const uint64_t n = uint64_t(std::nearbyint(scaled));

    char digits[32];
    size_t count = 0;
    uint64_t whole = n / kScale[f.decimals], part = n % kScale[f.decimals];
    for (int d = 0; d < f.decimals; ++d, part /= 10) digits[count++] = char('0' + part % 10);
    if (f.decimals > 0) digits[count++] = '.';
    do {
        digits[count++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);

    const char sign = negative ? '-' : f.plus ? '+' : '\0';
    const size_t used = count + (sign ? 1 : 0);
    const size_t pad = size_t(f.width) > used ? size_t(f.width) - used : 0;
    const size_t length = used + pad;
    if (length + 1 > room) return 0;
    char *p = out;
    if (sign) *p++ = sign;
    std::memset(p, '0', pad);
    p += pad;
    while (count > 0) *p++ = digits[--count];
    *p = '\0';
    return length;
}

}  // namespace

char *format_fixed(char *buf, size_t size, const FixedFormat &f, double v) {
    if (size == 0) return buf;
    if (size_t n = fast_fixed(buf, size, f, v)) return buf + n;
    const int n = std::snprintf(buf, size, f.printf_format, v);
    if (n < 0) {
        buf[0] = '\0';
        return buf;
    }
    return buf + (size_t(n) < size ? size_t(n) : size - 1);
}

}  // namespace navdisplay
