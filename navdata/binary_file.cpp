#include "navdata/binary_file.h"

#include <climits>

namespace navdata {

int64_t file_size(std::FILE *f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(f);
    return size < 0 ? -1 : int64_t(size);
}

bool read_at(std::FILE *f, int64_t offset, void *dst, size_t n) {
    if (offset < 0 || offset > int64_t(LONG_MAX)) return false;
    if (std::fseek(f, long(offset), SEEK_SET) != 0) return false;
    return std::fread(dst, 1, n, f) == n;
}

bool read_i32_at(std::FILE *f, int64_t offset, int32_t *value) {
    unsigned char b[4];
    if (!read_at(f, offset, b, sizeof b)) return false;
    *value = int32_t(load_u32(b));
    return true;
}

}  // namespace navdata
