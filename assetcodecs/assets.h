// The host's fonts and pictures: what the font and bitmap services draw with.
//
// The plug-ins name font and bitmap files; the host resolves each name
// through an AssetLibrary. Drawing clips to the surface: nothing is ever
// written outside width x height, and the words between width and pitch are
// left alone.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "frame/abi.h"

namespace assetcodecs {

class FontAsset {
public:
    virtual ~FontAsset() = default;
    // Draws text with its reference point at (x, y). `label` selects the
    // placement of the label service (entry 16) rather than the text service.
    virtual void draw(const DrawSurface &s, int x, int y, uint32_t colour, std::string_view text,
                      bool label) const = 0;
};

class BitmapAsset {
public:
    virtual ~BitmapAsset() = default;
    virtual int frame_count() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;  // of one frame
    // Copies frame `frame` with its top-left corner at (x, y); transparent
    // pixels leave the surface as it was. A frame outside the strip draws
    // nothing.
    virtual void draw(const DrawSurface &s, int x, int y, int frame) const = 0;
};

class AssetLibrary {
public:
    virtual ~AssetLibrary() = default;
    // The asset for a name as a plug-in gives it, or null when there is none.
    virtual std::shared_ptr<const FontAsset> font(const std::string &name) = 0;
    virtual std::shared_ptr<const BitmapAsset> bitmap(const std::string &name) = 0;
};

// A library that has nothing: every load fails, as with missing files.
class EmptyAssetLibrary final : public AssetLibrary {
public:
    std::shared_ptr<const FontAsset> font(const std::string &) override { return nullptr; }
    std::shared_ptr<const BitmapAsset> bitmap(const std::string &) override { return nullptr; }
};

}  // namespace assetcodecs
