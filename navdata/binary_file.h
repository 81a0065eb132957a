// Bounded reading of little-endian fields from an open archive file.
#pragma once

#include <cstdint>
#include <cstdio>

namespace navdata {

// Size of the file in bytes, or -1 when it cannot be told.
int64_t file_size(std::FILE *f);
// Reads `n` bytes at `offset`; false when they are not all there.
bool read_at(std::FILE *f, int64_t offset, void *dst, size_t n);
// A 32-bit little-endian integer at `offset`.
bool read_i32_at(std::FILE *f, int64_t offset, int32_t *value);

inline uint32_t load_u32(const unsigned char *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace navdata
