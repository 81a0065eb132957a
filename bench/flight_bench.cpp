// The whole bundled panel, every plug-in drawing at 30 frames per simulated
// second, flying ten simulated minutes. The counter "x_real_time" is how many
// times faster than real time the flight runs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "host/cockpit.h"

namespace {
namespace fs = std::filesystem;

void BM_TenMinuteFlight(benchmark::State &state) {
    panelhost::Scenario s = panelhost::load_scenario(BENCH_SCENARIO);
    s.duration = 600.0;
    fs::path run = fs::temp_directory_path() / "panelhost-bench-run";
    double simulated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(run);
        {
            panelhost::Cockpit cockpit(s, {BENCH_PLUGINS, BENCH_WORLD, BENCH_ASSETS}, run);
            state.ResumeTiming();
            for (long f = 0; f < cockpit.total_frames(); ++f) cockpit.frame();
            simulated += cockpit.time();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    fs::remove_all(run);
    state.counters["x_real_time"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TenMinuteFlight)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
