// Importing the whole Debian data set (X-Plane's apt.dat, nav.dat and
// fix.dat, gzip-compressed, data cycle 2013.10) into archives and a manifest,
// as `podtool import` does. Skipped where the data is not installed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "tools/navimport/navimport.h"

namespace {
namespace fs = std::filesystem;

const fs::path kData = "/usr/share/games/flightgear";

void BM_ImportDebianData(benchmark::State &state) {
    const std::vector<std::string> files = {(kData / "Airports" / "apt.dat.gz").string(), (kData / "Navaids" / "nav.dat.gz").string(),
                                            (kData / "Navaids" / "fix.dat.gz").string()};
    for (const std::string &f : files)
        if (!fs::exists(f)) return state.SkipWithError(("no " + f + ": scripts/setup world installs it").c_str());
    const fs::path out = fs::temp_directory_path() / "import-bench" / "system";
    const navimport::ImportOptions options{{2026, 6, 1}, {2026, 6, 1}};
    size_t records = 0;
    for (auto _ : state) {
        const navimport::World w = navimport::import_files(files, options);
        navimport::write_world(out, w);
        records = w.airports.size() + w.navaids.size() + w.waypoints.size();
    }
    fs::remove_all(out.parent_path());
    state.counters["records"] = double(records);
}
BENCHMARK(BM_ImportDebianData)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
