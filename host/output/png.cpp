#include "host/output/png.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "host/host_error.h"

namespace panelhost {

namespace {

// The picture as 8-bit RGB rows, and libpng's description of it.
png_image describe(const Image &image, std::vector<uint8_t> &rgb) {
    rgb.resize(image.pixels.size() * 3);
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
    return p;
}

}  // namespace

void write_png(const std::filesystem::path &file, const Image &image) {
    std::vector<uint8_t> rgb;
    png_image p = describe(image, rgb);
    if (!png_image_write_to_file(&p, file.c_str(), 0, rgb.data(), 0, nullptr))
        throw HostError(file.string() + ": cannot write the picture: " + p.message);
}

std::string encode_png(const Image &image) {
    std::vector<uint8_t> rgb;
    png_image p = describe(image, rgb);
    // Served as they are made, many a second: speed before size.
    p.flags = PNG_IMAGE_FLAG_FAST;
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(p);
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&p, out.data(), &size, 0, rgb.data(), 0, nullptr))
        throw HostError(std::string("cannot encode the picture: ") + p.message);
    out.resize(size);
    return out;
}

Image read_png(const std::filesystem::path &file) {
    png_image p;
    std::memset(&p, 0, sizeof p);
    p.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&p, file.c_str()))
        throw HostError(file.string() + ": not a readable PNG picture: " + p.message);
    p.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(p));
    if (!png_image_finish_read(&p, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&p);
        throw HostError(file.string() + ": not a readable PNG picture: " + p.message);
    }
    Image img(int(p.width), int(p.height));
    for (size_t i = 0; i < img.pixels.size(); ++i)
        img.pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return img;
}

}  // namespace panelhost
