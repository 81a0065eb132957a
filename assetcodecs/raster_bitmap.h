// A bitmap strip loaded from a bitmap file, drawn with clipping and
// transparency.
#pragma once

#include "assetcodecs/assets.h"
#include "assetcodecs/png_strip.h"

#include <cstdint>
#include <vector>

namespace assetcodecs {

class RasterBitmap final : public BitmapAsset {
public:
    explicit RasterBitmap(StripData data);
    int frame_count() const override { return data_.frames; }
    int width() const override { return data_.width; }
    int height() const override { return data_.frame_height; }
    void draw(const DrawSurface &s, int x, int y, int frame) const override;

private:
    // The opaque pixels of each row of the strip, as runs: a symbol is
    // mostly transparent, and drawing copies only what shows.
    struct Run {
        uint32_t start, end;  // columns [start, end)
    };
    StripData data_;
    std::vector<Run> runs_;
    std::vector<uint32_t> row_runs_;  // strip row r's runs: runs_[row_runs_[r] .. row_runs_[r + 1])
};

}  // namespace assetcodecs
