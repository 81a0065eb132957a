#include "tests/assets/test_support.h"

#include <unistd.h>

#include <fstream>

namespace assets_test {

assetcodecs::StripData checker_strip(int w, int h, int frames) {
    assetcodecs::StripData s;
    s.width = w;
    s.frame_height = h;
    s.frames = frames;
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                s.pixels.push_back((x + y) % 2 ? 0u : assetcodecs::kOpaque | uint32_t(f) << 16 | uint32_t(y) << 8 | uint32_t(x));
    return s;
}

assetcodecs::FontData small_font() {
    assetcodecs::FontData f;
    f.cell_width = 3;
    f.cell_height = 4;
    f.first = 'A';
    f.replacement = 'A';
    f.advance = {4, 3, 2};
    f.ink.assign(3 * 12, 0);
    for (int i = 0; i < 12; ++i) f.ink[size_t(i)] = 1;
    f.ink[12] = 1;
    return f;
}

std::filesystem::path temp_folder(const std::string &name) {
    const auto dir = std::filesystem::temp_directory_path() / ("assets_test_" + name + "_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void write_file(const std::filesystem::path &path, const std::vector<uint8_t> &bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace assets_test
