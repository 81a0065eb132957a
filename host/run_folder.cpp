#include "host/run_folder.h"

#include <fstream>
#include <sstream>

#include "archive/layout.h"
#include "host/host_error.h"

namespace panelhost {
namespace fs = std::filesystem;
namespace {

void write_text(const fs::path &file, const std::string &text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    if (!out) throw HostError(file.string() + ": cannot be written");
}

}  // namespace

void prepare_run_folder(const fs::path &run, const fs::path &world, const Scenario &scenario,
                        const std::vector<PlanWaypoint> &plan) {
    fs::create_directories(run / "system");
    for (const char *archive : {pod::kAirportFiles.archive, pod::kNavaidFiles.archive, pod::kWaypointFiles.archive})
        fs::copy_file(world / "system" / archive, run / "system" / archive, fs::copy_options::overwrite_existing);
    std::ostringstream text;
    write_flight_plan(text, plan);
    write_text(run / "saved simulations" / "zark_fpl.sit", text.str());
    if (!scenario.partanim.empty()) write_text(run / "modules" / "pc" / "partanim.txt", scenario.partanim);
    for (int n : scenario.night_models) {
        std::string file = scenario.model + "_Nlamp_" + std::to_string(n) + ".ACM";
        write_text(run / "MODELS" / file, "night model " + std::to_string(n) + " of " + scenario.aircraft + "\n");
    }
}

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    if (!previous_.empty()) fs::current_path(previous_, ignored);
}

void WorkingFolder::enter(const fs::path &folder) {
    if (previous_.empty()) previous_ = fs::current_path();
    fs::current_path(folder);
}

}  // namespace panelhost
