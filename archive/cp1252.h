// Code page 1252, the archives' text encoding, and the UTF-8 it is read from
// and written back to.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace podlib {

// The code page 1252 byte of a printable character; 0 when it has none.
unsigned char cp1252_byte(char32_t c);
// Whether a byte is a printable character of code page 1252.
bool cp1252_printable(unsigned char b);
// One UTF-8 sequence at `at`: its character and length, or length 0 when the
// bytes are not well-formed UTF-8 (overlong forms and surrogates included).
std::pair<char32_t, size_t> utf8_at(std::string_view s, size_t at);
// Code page 1252 text as UTF-8; a byte the code page leaves undefined
// becomes U+FFFD.
std::string utf8_from_cp1252(std::string_view s);

}  // namespace podlib
