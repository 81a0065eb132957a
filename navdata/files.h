// Files the plug-in opens itself, by the host's relative paths.
#pragma once

#include <cstdio>

namespace navdata {

// Opens `host_path` relative to the working folder; on POSIX every backslash
// becomes '/' first. Null when it cannot be opened.
std::FILE *open_host_file(const char *host_path, const char *mode);

}  // namespace navdata
