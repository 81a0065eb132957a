// PNG files of host pictures, through libpng.
#pragma once

#include <filesystem>
#include <string>

#include "host/output/image.h"

namespace panelhost {

// Throws HostError naming the file when it cannot be written or read.
void write_png(const std::filesystem::path &file, const Image &image);
Image read_png(const std::filesystem::path &file);
// The PNG file's bytes, for pictures served rather than written: encoded
// for speed rather than size.
std::string encode_png(const Image &image);

}  // namespace panelhost
