#include "archive/cp1252.h"

namespace podlib {
namespace {

// Code page 1252's characters 0x80..0x9F; 0 where the code page has none.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

unsigned char cp1252_byte(char32_t c) {
    if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == c) return static_cast<unsigned char>(0x80 + i);
    return 0;
}

bool cp1252_printable(unsigned char b) { return b >= 0x20 && b != 0x7F && (b < 0x80 || b >= 0xA0 || kCp1252High[b - 0x80]); }

std::pair<char32_t, size_t> utf8_at(std::string_view s, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(at);
    if (b < 0x80) return {b, 1};
    const size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (n == 0 || b > 0xF4 || at + n > s.size()) return {0, 0};
    char32_t c = b & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {0, 0};
        c = c << 6 | (byte(at + i) & 0x3F);
    }
    const char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
    return {c, n};
}

std::string utf8_from_cp1252(std::string_view s) {
    std::string out;
    for (unsigned char b : s) {
        const char32_t c = b < 0x80 || b >= 0xA0 ? char32_t(b) : kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : 0xFFFD;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace podlib
