// The whole bundled panel, every plug-in drawing at 30 frames per simulated
// second, flying ten simulated minutes: over the sample world, and over the
// whole earth at a busy place (the world scripts/world imports; skipped
// without it). The counter "x_real_time" is how many times faster than real
// time the flight runs; "peak_MB" the process's peak resident memory so far.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "host/cockpit.h"

namespace {
namespace fs = std::filesystem;

void ten_minutes(benchmark::State &state, const char *scenario, const char *world) {
    panelhost::Scenario s = panelhost::load_scenario(scenario);
    s.duration = 600.0;
    s.snapshots.clear();
    fs::path run = fs::temp_directory_path() / "panelhost-bench-run";
    double simulated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(run);
        {
            panelhost::Cockpit cockpit(s, {BENCH_PLUGINS, world, BENCH_ASSETS}, run);
            state.ResumeTiming();
            for (long f = 0; f < cockpit.total_frames(); ++f) cockpit.frame();
            simulated += cockpit.time();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    fs::remove_all(run);
    state.counters["x_real_time"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_TenMinuteFlight(benchmark::State &state) { ten_minutes(state, BENCH_SCENARIO, BENCH_WORLD); }
BENCHMARK(BM_TenMinuteFlight)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_TenMinuteFlightOverTheEarth(benchmark::State &state) {
    if (!fs::exists(fs::path(BENCH_EARTH) / "system" / "world.json"))
        return state.SkipWithError("no whole-earth world in " BENCH_EARTH ": scripts/world imports it");
    ten_minutes(state, BENCH_EARTH_SCENARIO, BENCH_EARTH);
}
BENCHMARK(BM_TenMinuteFlightOverTheEarth)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
