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
static_assert(kFastLimit < 4294967296.0, "whole parts are formatted in 32 bits");
// Scaled values this close to a tie are left to printf, which rounds the
// exact binary value.
constexpr double kTieWindow = 1e-4;
constexpr uint64_t kScale[] = {1, 10, 100};

// Powers of ten by decimals, spelled out so that the divisions below are by
// constants.
uint64_t split(uint64_t n, int decimals, uint64_t &part) {
    switch (decimals) {
    case 1: part = n % 10; return n / 10;
    case 2: part = n % 100; return n / 100;
    default: part = 0; return n;
    }
}

// The text of v, or 0 when only printf can be sure of it.
size_t fast_fixed(char *out, size_t room, const FixedFormat &f, double v) {
    // Also false for NaN; infinities fail the limit.
    if (!(std::fabs(v) < kFastLimit) || f.decimals < 0 || f.decimals > 2) return 0;
    const bool negative = std::signbit(v);
    const double scaled = std::fabs(v) * double(kScale[f.decimals]);
    // Below 2^52, so truncation is the floor and adding 2^52 rounds to a whole
    // number in the current mode: to nearest, ties to even, as printf does
    // with whole numbers' ties, which are exact here.
    const double fraction = scaled - double(int64_t(scaled));
    if (f.decimals > 0 && std::fabs(fraction - 0.5) < kTieWindow) return 0;
    constexpr double kTwo52 = 4503599627370496.0;
    // Stored as a double, so that no wider register keeps the bits the
    // addition rounds away.
    volatile double shifted = scaled + kTwo52;
    const uint64_t n = uint64_t(int64_t(shifted - kTwo52));

    char digits[32];
    size_t count = 0;
    uint64_t part = 0;
    // Below the fast limit, so within 32 bits, whose divisions are the cheaper.
    uint32_t whole = uint32_t(split(n, f.decimals, part));
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
    for (size_t i = 0; i < pad; ++i) *p++ = '0';
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
