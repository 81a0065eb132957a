// Fixed-point number texts as printf writes them with "%0W.Df" and
// "%+0W.Df", without printf's cost for the common case. Every label of a
// full map is a number; printf's exact decimal conversion of doubles was
// most of a frame.
#pragma once

#include <cstddef>

namespace navdisplay {

struct FixedFormat {
    const char *printf_format;  // the same text as printf would write it, for the fallback
    int width;                  // at least this many characters, zero-padded after the sign
    int decimals;               // 0 to 2
    bool plus;                  // '+' before non-negative values
};

constexpr FixedFormat kWhole3{"%03.0f", 3, 0, false};     // "093"
constexpr FixedFormat kWhole{"%.0f", 0, 0, false};        // "16"
constexpr FixedFormat kSignedWhole3{"%+03.0f", 3, 0, true};  // "+05"
constexpr FixedFormat kTenths6{"%06.1f", 6, 1, false};    // "0020.0"
constexpr FixedFormat kHundredths6{"%06.2f", 6, 2, false};  // "113.90"

// Writes v into buf exactly as snprintf(buf, size, f.printf_format, v) does;
// returns the end of the text written (buf when size is 0).
char *format_fixed(char *buf, size_t size, const FixedFormat &f, double v);

}  // namespace navdisplay
