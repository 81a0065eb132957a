#include "assetcodecs/asset_error.h"

namespace assetcodecs {

AssetError::AssetError(const std::string &file, const std::string &what)
    : std::runtime_error(file + ": " + what), file_(file) {}

}  // namespace assetcodecs
