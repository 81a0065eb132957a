// The failure of an asset file: which file, and what is wrong with it.
#pragma once

#include <stdexcept>
#include <string>

namespace assetcodecs {

class AssetError : public std::runtime_error {
public:
    AssetError(const std::string &file, const std::string &what);
    const std::string &file() const { return file_; }

private:
    std::string file_;
};

}  // namespace assetcodecs
