#include "fuzz/fuzz_import.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

const navimport::ImportOptions kOptions{{2026, 6, 1}, {2026, 6, 1}};

// Every record the import gave fits its table, and the summary can be made.
void check(const navimport::World &w) {
    (void)podlib::encode_table(podlib::Table::airports, w.airports);
    (void)podlib::encode_table(podlib::Table::navaids, w.navaids);
    (void)podlib::encode_table(podlib::Table::waypoints, w.waypoints);
    (void)navimport::summary(w);
}

std::string scratch_file() {
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/navimport-fuzz-%d.gz", int(getpid()));
    return name;
}

}  // namespace

void fuzz_import(navimport::Format format, const uint8_t *data, size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    navimport::World w;
    try {
        w = navimport::import_text(format, text, "fuzz", kOptions);
    } catch (const podlib::Error &) {
        return;
    }
    check(w);
    if (size < 2 || data[0] != 0x1F || data[1] != 0x8B) return;
    static const std::string file = scratch_file();
    if (std::FILE *f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    try {
        w = navimport::import_files({file}, kOptions);
    } catch (const podlib::Error &) {
        std::remove(file.c_str());
        return;
    }
    std::remove(file.c_str());
    check(w);
}
