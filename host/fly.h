// The fly command: a scenario flown from start to end, with its pictures,
// its animation and its flight log written into one output folder.
#pragma once

#include <csignal>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/cockpit.h"

namespace panelhost {

struct FlyOptions {
    std::filesystem::path scenario;
    std::filesystem::path plan;  // a plan file that replaces the scenario's route, when not empty
    std::filesystem::path out;  // replaced as a whole at the end
    CockpitPaths paths;         // the scenario's [folders] override these
    bool progress = true;       // a bar on a terminal for runs over a second
    bool animation = true;      // the animated picture, when the scenario asks for one
    // Set by a signal handler to the signal's number: the flight stops at
    // the next frame, as a failed one does.
    const volatile std::sig_atomic_t *stop = nullptr;
    // Warnings of the scenario and its route ("file:line: warning: ..."),
    // before it flies.
    std::function<void(const std::string &)> warn;
    // What the flight is about to fly over: the world and its variation.
    std::function<void(const std::string &)> note;
};

// A flight stopped by a signal: nothing was written.
class FlyInterrupted : public std::runtime_error {
public:
    explicit FlyInterrupted(int signal) : std::runtime_error("interrupted"), signal_(signal) {}
    int signal() const { return signal_; }

private:
    int signal_;
};

struct FlyResult {
    std::filesystem::path out;
    long frames = 0;
    double simulated_seconds = 0, wall_seconds = 0;
    std::vector<std::filesystem::path> files;  // relative to out
    std::vector<std::string> problems;         // as the flight log lists them
};

// Throws ScenarioError or HostError (naming the file), or FlyInterrupted; the
// output folder is then left as it was and the partial folder removed.
FlyResult fly(const FlyOptions &options);

}  // namespace panelhost
