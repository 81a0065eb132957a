// The run folder of a flight: what the plug-ins find in their working folder
// (the world's archives, the saved flight plan, the part animation file and
// the night models), and the working folder entered for as long as they run.
#pragma once

#include <filesystem>
#include <vector>

#include "host/plan_file.h"
#include "host/scenario.h"

namespace panelhost {

// Fills `run` (made when missing) for `scenario` flying `plan`, with the
// archives of `world/system`. Throws HostError naming a file that cannot
// be written.
void prepare_run_folder(const std::filesystem::path &run, const std::filesystem::path &world,
                        const Scenario &scenario, const std::vector<PlanWaypoint> &plan);

// The process's working folder, entered for a while and left again when the
// object goes (also when a constructor fails half-way).
class WorkingFolder {
public:
    WorkingFolder() = default;
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;
    ~WorkingFolder();
    void enter(const std::filesystem::path &folder);
    // The folder that was current before enter.
    const std::filesystem::path &previous() const { return previous_; }

private:
    std::filesystem::path previous_;
};

}  // namespace panelhost
