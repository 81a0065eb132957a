// Loading the navigation tables against reading their files with fread, and
// reading a 100-leg flight plan against tables of a full world's size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "frame/host_api.h"
#include "navdata/navdata.h"
#include "archive/podlib.h"

namespace {

constexpr int kWaypoints = 250000, kAirports = 40000, kNavaids = 12000, kLegs = 100;

// "W0000042": eight characters for the counts here; the buffer holds any int.
std::string key(char prefix, int i) {
    char k[16];
    std::snprintf(k, sizeof k, "%c%07d", prefix, i);
    return k;
}

std::vector<podlib::Record> records(char prefix, int count) {
    std::vector<podlib::Record> rows(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        podlib::Record &r = rows[size_t(i)];
        r.key = key(prefix, i);
        r.identifier = key(prefix, i % 1000).substr(4);
        r.name = "Name of " + r.key;
        r.variation = (i % 200) / 10.0 - 10.0;
        r.latitude = 40.0 + (i % 1000) / 100.0;
        r.longitude = -10.0 + (i / 1000) / 100.0;
        r.frequency = 113.9;
    }
    return rows;
}

void write_table(podlib::Table t, char prefix, int count) {
    const auto &info = podlib::table_info(t);
    podlib::write_archive("system/" + std::string(info.archive_file),
                          {{std::string(info.entry_path), podlib::encode_table(t, records(prefix, count))}});
}

double *flat_vector(double out[3], const GeoPosition *from, const GeoPosition *to) {
    const double dy = to->latitude - from->latitude, dx = to->longitude - from->longitude;
    out[0] = 0.0;
    out[1] = std::atan2(dx, dy);
    out[2] = std::hypot(dx, dy) * 101.0;
    return out;
}

// The world is made once, in a scratch folder that becomes the working folder.
struct World {
    std::filesystem::path dir;
    World() {
        std::string pattern = (std::filesystem::temp_directory_path() / "navbench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        std::filesystem::create_directories(dir / "system");
        std::filesystem::create_directories(dir / "saved simulations");
        std::filesystem::current_path(dir);
        write_table(podlib::Table::waypoints, 'W', kWaypoints);
        write_table(podlib::Table::airports, 'A', kAirports);
        write_table(podlib::Table::navaids, 'N', kNavaids);
        std::ofstream plan("saved simulations/zark_fpl.sit");
        plan << "[flight plan]\n";
        static const char *kinds[] = {"sarw", "snav", "wywy", "usrw"};
        static const char prefixes[] = {'A', 'N', 'W', 'U'};
        static const int counts[] = {kAirports, kNavaids, kWaypoints, 1};
        for (int i = 0; i < kLegs; ++i) {
            const int k = i == 0 || i == kLegs - 1 ? 0 : i % 4;
            plan << "<wpnt>\nkind=" << kinds[k] << "\n<name>\n  Leg " << i << "\n<llps>\n"
                 << 150000.0 + i * 300.0 << "," << 1250000.0 - i * 250.0 << ",0\n<dbky>\n"
                 << key(prefixes[k], (i * 7919) % counts[k]) << "\n<endo>\n";
        }
        static HostEntry table[kServiceCount];
        table[kEntryPositionVector] = reinterpret_cast<HostEntry>(&flat_vector);
        frame::install_services(table, 1);
    }
    ~World() {
        std::filesystem::current_path(dir.parent_path());
        std::filesystem::remove_all(dir);
    }
};

World &world() {
    static World w;
    return w;
}

const char *const kFiles[] = {"system/waypoint.pod", "system/airpvarmag.pod", "system/navaid.pod"};

// Reads each whole file into `buffer` with one fread.
int64_t fread_archives(std::vector<char> &buffer) {
    int64_t bytes = 0;
    for (const char *name : kFiles) {
        std::FILE *f = std::fopen(name, "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        buffer.resize(size_t(size));
        benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
        std::fclose(f);
        bytes += size;
    }
    benchmark::ClobberMemory();
    return bytes;
}

// The files of the current folder read again and again into one buffer.
void fread_again(benchmark::State &state) {
    std::vector<char> buffer;
    int64_t bytes = 0;
    for (auto _ : state) bytes += fread_archives(buffer);
    state.SetBytesProcessed(bytes);
}

// The baselines: into one buffer kept from run to run, and into new memory each time.
void BM_FreadArchives(benchmark::State &state) {
    world();
    fread_again(state);
}
BENCHMARK(BM_FreadArchives)->Unit(benchmark::kMillisecond);

void BM_FreadArchivesNewMemory(benchmark::State &state) {
    world();
    int64_t bytes = 0;
    for (auto _ : state) {
        std::vector<char> buffer;
        bytes += fread_archives(buffer);
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_FreadArchivesNewMemory)->Unit(benchmark::kMillisecond);

// The loaders: into the lists of the previous load (as the start callback
// reloads them), and into a new navigation data object each time.
void BM_LoadTables(benchmark::State &state) {
    world();
    navdata::NavData nav;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nav.load_airports() + nav.load_navaids() + nav.load_waypoints());
    }
    if (nav.waypoints().size() != size_t(kWaypoints)) state.SkipWithError("waypoints not loaded");
}
BENCHMARK(BM_LoadTables)->Unit(benchmark::kMillisecond);

void BM_LoadTablesNewMemory(benchmark::State &state) {
    world();
    for (auto _ : state) {
        navdata::NavData nav;
        benchmark::DoNotOptimize(nav.load_airports() + nav.load_navaids() + nav.load_waypoints());
    }
}
BENCHMARK(BM_LoadTablesNewMemory)->Unit(benchmark::kMillisecond);

// The same over the whole earth's archives (the world scripts/world imports),
// read from that world's folder; skipped without it.
class InEarthFolder {
public:
    explicit InEarthFolder(benchmark::State &state) : previous_(std::filesystem::current_path()) {
        world();  // the synthetic world's folder is left again below
        if (!std::filesystem::exists(std::filesystem::path(BENCH_EARTH) / "system" / "waypoint.pod")) {
            state.SkipWithError("no whole-earth world in " BENCH_EARTH ": scripts/world imports it");
            return;
        }
        std::filesystem::current_path(BENCH_EARTH);
        ok_ = true;
    }
    ~InEarthFolder() { std::filesystem::current_path(previous_); }
    bool ok() const { return ok_; }

private:
    std::filesystem::path previous_;
    bool ok_ = false;
};

void BM_FreadEarthArchives(benchmark::State &state) {
    InEarthFolder earth(state);
    if (earth.ok()) fread_again(state);
}
BENCHMARK(BM_FreadEarthArchives)->Unit(benchmark::kMillisecond);

// What the display's on_global_start does: the three loaders, into the lists
// of the previous load.
void BM_LoadEarthTables(benchmark::State &state) {
    InEarthFolder earth(state);
    if (!earth.ok()) return;
    navdata::NavData nav;
    for (auto _ : state) benchmark::DoNotOptimize(nav.load_airports() + nav.load_navaids() + nav.load_waypoints());
    state.counters["records"] = double(nav.airports().size() + nav.navaids().size() + nav.waypoints().size());
}
BENCHMARK(BM_LoadEarthTables)->Unit(benchmark::kMillisecond);

void BM_ReadFlightPlan(benchmark::State &state) {
    world();
    navdata::NavData nav;
    nav.load_airports();
    nav.load_navaids();
    nav.load_waypoints();
    for (auto _ : state) benchmark::DoNotOptimize(nav.read_flight_plan());
    if (nav.published_leg_count() != size_t(kLegs)) state.SkipWithError("flight plan not read");
}
BENCHMARK(BM_ReadFlightPlan)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
