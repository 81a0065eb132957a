// PNG bytes of a panel picture, for the page.
#pragma once

#include <string>

#include "host/output/image.h"

namespace panelhost::live {

// Throws HostError when libpng refuses the picture.
std::string png_bytes(const Image &image);

}  // namespace panelhost::live
