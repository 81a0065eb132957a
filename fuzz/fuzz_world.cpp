// The host's world on arbitrary archive bytes: the same bytes as each of the
// three archives of a system folder, listed and read by the archive reader
// (archive/), and the world they make asked what the host asks of it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "archive/podlib.h"
#include "host/geo.h"
#include "host/host_error.h"
#include "host/world_db.h"

namespace {

std::filesystem::path &system_folder() {
    static std::filesystem::path folder;
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // Three files are written for each input: in memory where the system
    // offers a folder there.
    std::error_code ec;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string scratch = (base / "fuzz-world-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) std::abort();
    system_folder() = scratch;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(system_folder(), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace panelhost;
    for (podlib::Table t : podlib::kAllTables) {
        std::string file = (system_folder() / std::string(podlib::table_info(t).archive_file)).string();
        if (std::FILE *f = std::fopen(file.c_str(), "wb")) {
            std::fwrite(data, 1, size, f);
            std::fclose(f);
        }
    }
    const std::string archive = (system_folder() / std::string(podlib::table_info(podlib::Table::navaids).archive_file)).string();
    try {
        // An entry is found by its path: the first of that path. Each
        // extraction reads the archive again, so only the first few.
        std::set<std::string> seen;
        for (const podlib::EntryInfo &e : podlib::list_archive(archive))
            if (seen.size() < 8 && seen.insert(e.path).second && podlib::extract_entry(archive, e.path).size() != e.size)
                __builtin_trap();
    } catch (const podlib::Error &) {
    }
    try {
        WorldDb db = WorldDb::load(system_folder());
        World world;
        const GeoPosition here = from_degrees(47.5, 8.5, 1000);
        db.fill_nearby(world, here, 200);
        (void)db.variation_at(here);
        if (!db.airports().empty()) (void)db.find(db.airports().front().key);
    } catch (const HostError &) {
    }
    return 0;
}
