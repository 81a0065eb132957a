// The animated picture of a flight, written frame by frame through giflib.
//
// Colours go to a fixed palette (a 6x6x6 cube and 40 greys); each frame after
// the first stores only the rectangle that changed.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "host/output/image.h"

struct GifFileType;

namespace panelhost {

class GifWriter {
public:
    // `delay_cs`: hundredths of a second each frame is shown. Throws
    // HostError naming the file.
    GifWriter(const std::filesystem::path &file, int width, int height, int delay_cs);
    ~GifWriter();
    GifWriter(const GifWriter &) = delete;
    GifWriter &operator=(const GifWriter &) = delete;

    void add(const Image &frame);  // the frame must have the writer's size
    // Writes the end of the file; throws HostError on failure.
    void close();
    int frames() const { return frames_; }

private:
    [[noreturn]] void fail(int error) const;
    std::filesystem::path file_;
    GifFileType *gif_ = nullptr;
    int width_, height_, delay_cs_, frames_ = 0;
    std::vector<uint8_t> previous_;  // palette indices of the last frame
};

// The palette index for a colour word.
uint8_t gif_palette_index(uint32_t colour);

}  // namespace panelhost
