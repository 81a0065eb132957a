#include "navdata/files.h"

#include <cstring>

namespace navdata {

std::FILE *open_host_file(const char *host_path, const char *mode) {
#ifdef _WIN32
    return std::fopen(host_path, mode);
#else
    char path[512];
    const size_t n = std::strlen(host_path);
    if (n >= sizeof path) return nullptr;
    for (size_t i = 0; i <= n; ++i) path[i] = host_path[i] == '\\' ? '/' : host_path[i];
    return std::fopen(path, mode);
#endif
}

}  // namespace navdata
