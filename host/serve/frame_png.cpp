#include "host/serve/frame_png.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "host/host.h"

namespace panelhost::live {

std::string png_bytes(const Image &image) {
    std::vector<uint8_t> rgb(image.pixels.size() * 3);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        uint32_t c = image.pixels[i];
        rgb[3 * i] = uint8_t(c >> 16);
        rgb[3 * i + 1] = uint8_t(c >> 8);
        rgb[3 * i + 2] = uint8_t(c);
    }
    png_image p;
    std::memset(&p, 0, sizeof p);
    p.version = PNG_IMAGE_VERSION;
    p.width = png_uint_32(image.width);
    p.height = png_uint_32(image.height);
    p.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(p);
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&p, out.data(), &size, 0, rgb.data(), 0, nullptr))
        throw HostError(std::string("cannot encode the panel picture: ") + p.message);
    out.resize(size);
    return out;
}

}  // namespace panelhost::live
