// The fly command: a scenario flown from start to end, with its pictures,
// its animation and its flight log written into one output folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/cockpit.h"

namespace panelhost {

struct FlyOptions {
    std::filesystem::path scenario;
    std::filesystem::path out;  // replaced as a whole at the end
    CockpitPaths paths;         // the scenario's [folders] override these
    bool progress = true;       // a bar on a terminal for runs over a second
    bool animation = true;      // the animated picture, when the scenario asks for one
};

struct FlyResult {
    std::filesystem::path out;
    long frames = 0;
    double simulated_seconds = 0, wall_seconds = 0;
    std::vector<std::filesystem::path> files;  // relative to out
    std::vector<std::string> problems;         // as the flight log lists them
};

// Throws ScenarioError or HostError (naming the file); the output folder is
// then left as it was.
FlyResult fly(const FlyOptions &options);

}  // namespace panelhost
