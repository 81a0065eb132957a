#include "fuzz/fuzz_folder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "frame/host_api.h"
#include "navdata/files.h"
#include "navdata/navdata.h"

namespace {

void user_object(ObjectRef *out) { *out = ObjectRef{{1, 2, 3}}; }

int32_t variation(const ObjectRef *, float *dst) {
    *dst = 3.5f;
    return 1;
}

double *position_vector(double out[3], const GeoPosition *from, const GeoPosition *to) {
    out[0] = 0.0;
    out[1] = to->latitude - from->latitude;
    out[2] = to->longitude - from->longitude;
    return out;
}

std::filesystem::path g_scratch;

void remove_scratch_folder() {
    std::error_code ec;
    std::filesystem::remove_all(g_scratch, ec);
}

}  // namespace

void enter_scratch_folder() {
    // In memory where there is such a folder: every run rewrites the files.
    char shm[] = "/dev/shm/navfuzz-XXXXXX", tmp[] = "/tmp/navfuzz-XXXXXX";
    char *dir = std::filesystem::is_directory("/dev/shm") ? shm : tmp;
    if (mkdtemp(dir) == nullptr) std::abort();
    g_scratch = dir;
    std::atexit(remove_scratch_folder);
    std::filesystem::current_path(dir);
    for (const char *file : {navdata::kAirportArchive, navdata::kNavaidArchive, navdata::kWaypointArchive,
                             navdata::kFlightPlanFile}) {
        std::string path = file;
        std::replace(path.begin(), path.end(), '\\', '/');
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    }
    static HostEntry table[kServiceCount];
    table[kEntryGetUserObject] = reinterpret_cast<HostEntry>(&user_object);
    table[kEntryObjectGetValue282] = reinterpret_cast<HostEntry>(&variation);
    table[kEntryPositionVector] = reinterpret_cast<HostEntry>(&position_vector);
    frame::install_services(table, 1);
}

void write_file(const char *host_path, const uint8_t *data, size_t size) {
    std::FILE *f = navdata::open_host_file(host_path, "wb");
    if (f == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}
