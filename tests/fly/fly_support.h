// What the end-to-end tests share: the build's plug-ins, world and assets,
// the bundled scenario, and scratch folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/cockpit.h"

namespace panelhost::test {

inline CockpitPaths build_paths() {
    return CockpitPaths{FLY_TEST_PLUGINS, FLY_TEST_WORLD, FLY_TEST_ASSETS};
}

inline std::string bundled_scenario_text() {
    std::ifstream in(FLY_TEST_SCENARIO);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh empty folder under the test's temporary folder.
inline std::filesystem::path scratch(const std::string &name) {
    auto dir = std::filesystem::path(testing::TempDir()) / ("fly-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void write_file(const std::filesystem::path &file, const std::string &text) {
    std::ofstream(file) << text;
}

}  // namespace panelhost::test
