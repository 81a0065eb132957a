#include "assetcodecs/asset_error.h"

namespace panelhost {

AssetError::AssetError(const std::string &file, const std::string &what)
    : std::runtime_error(file + ": " + what), file_(file) {}

}  // namespace panelhost
