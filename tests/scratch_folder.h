// Scratch folders for tests, with the standard library alone so that the
// same tests build for every target.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace suite_test {

// A new, empty folder `<system temporary folder>/<stem>-<random>`.
inline std::filesystem::path make_scratch_folder(const std::string &stem) {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%08x", unsigned(random()));
        std::filesystem::path p = base / (stem + suffix);
        if (std::filesystem::create_directory(p)) return p;  // false: it was there already
    }
    throw std::runtime_error("cannot make a scratch folder in " + base.string());
}

}  // namespace suite_test
