// Copying text into fixed fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace navdata {

// Copies `src` up to its terminator, or up to `width` bytes, into `dst`; a
// longer text is cut so that it always ends within the field.
template <size_t N>
void copy_text(char (&dst)[N], const char *src, size_t width = SIZE_MAX) {
    const size_t n = strnlen(src, width < N - 1 ? width : N - 1);
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

}  // namespace navdata
