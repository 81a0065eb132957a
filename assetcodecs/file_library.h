// Fonts and bitmaps read from the files of one folder.
//
// A plug-in's name is resolved case-insensitively ("89ROSE.PBG" finds
// 89rose.pbg); either slash separates sub-folders, and names that would leave
// the folder ("..", absolute paths) resolve to nothing. Each name is loaded
// once: later requests get the same asset, or null again without a second
// report when the first load failed.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "assetcodecs/assets.h"

namespace assetcodecs {

class FileAssetLibrary final : public AssetLibrary {
public:
    // Receives one message per failed load, naming the file and the fault.
    using ErrorHandler = std::function<void(const std::string &message)>;

    // Without a handler, messages go to standard error.
    explicit FileAssetLibrary(std::filesystem::path folder, ErrorHandler on_error = {});

    std::shared_ptr<const FontAsset> font(const std::string &name) override;
    std::shared_ptr<const BitmapAsset> bitmap(const std::string &name) override;

    // The file a name stands for, when there is one.
    std::optional<std::filesystem::path> resolve(const std::string &name) const;

private:
    template <class Asset, class Load>
    std::shared_ptr<const Asset> load(std::map<std::string, std::shared_ptr<const Asset>> &cache,
                                      const char *kind, const std::string &name, Load make);

    std::filesystem::path folder_;
    ErrorHandler on_error_;
    std::map<std::string, std::shared_ptr<const FontAsset>> fonts_;
    std::map<std::string, std::shared_ptr<const BitmapAsset>> bitmaps_;
};

// The whole of a file, at most `limit` bytes; throws AssetError otherwise.
std::vector<uint8_t> read_file(const std::filesystem::path &path, uintmax_t limit);

}  // namespace assetcodecs
