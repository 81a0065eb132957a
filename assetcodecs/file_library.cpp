#include "assetcodecs/file_library.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>

#include "assetcodecs/asset_error.h"
#include "assetcodecs/raster_bitmap.h"
#include "assetcodecs/raster_font.h"

namespace assetcodecs {
namespace fs = std::filesystem;
namespace {

constexpr uintmax_t kMaxFileBytes = uintmax_t(64) << 20;

std::string lower(std::string_view s) {
    std::string out(s);
    for (char &c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The name's folder components and file name, or nothing for a name that
// is empty or would leave the folder.
std::optional<std::vector<std::string>> components(const std::string &name) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = name.find_first_of("/\\", start);
        std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string::npos) return std::nullopt;
        parts.push_back(std::move(part));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// The entry of `dir` named `part` in any case: the exact spelling when it
// exists, else the first match in byte order.
std::optional<fs::path> find_entry(const fs::path &dir, const std::string &part) {
    const std::string wanted = lower(part);
    std::optional<fs::path> best;
    std::error_code ec;
    for (const auto &e : fs::directory_iterator(dir, ec)) {
        const std::string file = e.path().filename().string();
        if (file == part) return e.path();
        if (lower(file) == wanted && (!best || file < best->filename().string())) best = e.path();
    }
    return best;
}

}  // namespace

std::vector<uint8_t> read_file(const fs::path &path, uintmax_t limit) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) throw AssetError(path.string(), "cannot read: " + ec.message());
    if (size > limit)
        throw AssetError(path.string(), "file of " + std::to_string(size) + " bytes is larger than " +
                                            std::to_string(limit));
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in || !in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(size)))
        throw AssetError(path.string(), "cannot read the file");
    return bytes;
}

FileAssetLibrary::FileAssetLibrary(fs::path folder, ErrorHandler on_error)
    : folder_(std::move(folder)), on_error_(std::move(on_error)) {
    if (!on_error_) on_error_ = [](const std::string &m) { std::cerr << m << '\n'; };
}

std::optional<fs::path> FileAssetLibrary::resolve(const std::string &name) const {
    const auto parts = components(name);
    if (!parts) return std::nullopt;
    fs::path at = folder_;
    for (const std::string &part : *parts) {
        const auto next = find_entry(at, part);
        if (!next) return std::nullopt;
        at = *next;
    }
    std::error_code ec;
    if (!fs::is_regular_file(at, ec)) return std::nullopt;
    return at;
}

template <class Asset, class Load>
std::shared_ptr<const Asset> FileAssetLibrary::load(std::map<std::string, std::shared_ptr<const Asset>> &cache,
                                                    const char *kind, const std::string &name, Load make) {
    std::string key = lower(name);
    std::replace(key.begin(), key.end(), '\\', '/');
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    std::shared_ptr<const Asset> asset;
    if (const auto path = resolve(name)) {
        try {
            asset = make(read_file(*path, kMaxFileBytes), path->string());
        } catch (const AssetError &e) {
            on_error_(std::string(kind) + " \"" + name + "\": " + e.what());
        }
    } else {
        on_error_(std::string(kind) + " \"" + name + "\": no such file in " + folder_.string());
    }
    cache.emplace(key, asset);
    return asset;
}

std::shared_ptr<const FontAsset> FileAssetLibrary::font(const std::string &name) {
    return load(fonts_, "font", name, [](const std::vector<uint8_t> &bytes, const std::string &file) {
        return std::make_shared<const RasterFont>(parse_font(bytes, file));
    });
}

std::shared_ptr<const BitmapAsset> FileAssetLibrary::bitmap(const std::string &name) {
    return load(bitmaps_, "bitmap", name, [](const std::vector<uint8_t> &bytes, const std::string &file) {
        return std::make_shared<const RasterBitmap>(decode_png_strip(bytes, file));
    });
}

}  // namespace assetcodecs
