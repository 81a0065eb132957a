// Every file the plug-ins name, as the generator writes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct AssetFile {
    std::string name;  // exactly as the plug-ins spell it
    std::vector<uint8_t> bytes;
};

std::vector<AssetFile> build_catalogue();

}  // namespace assetgen
