// A bitmap strip loaded from a bitmap file, drawn with clipping and
// transparency.
#pragma once

#include "assetcodecs/assets.h"
#include "assetcodecs/png_strip.h"

namespace assetcodecs {

class RasterBitmap final : public BitmapAsset {
public:
    explicit RasterBitmap(StripData data) : data_(std::move(data)) {}
    int frame_count() const override { return data_.frames; }
    int width() const override { return data_.width; }
    int height() const override { return data_.frame_height; }
    void draw(const DrawSurface &s, int x, int y, int frame) const override;

private:
    StripData data_;
};

}  // namespace assetcodecs
