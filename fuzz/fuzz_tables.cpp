// The archive directory and the three table loaders on arbitrary archive bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_folder.h"
#include "navdata/navdata.h"
#include "navdata/pod_archive.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    enter_scratch_folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    for (const char *file : {navdata::kAirportArchive, navdata::kNavaidArchive, navdata::kWaypointArchive})
        write_file(file, data, size);
    navdata::PodArchive archive(navdata::kAirportArchive);
    for (int32_t i = 0; i < archive.entry_count(); ++i) (void)archive.find(archive.entry(i).path);

    static navdata::NavData nav;  // reloaded each time, as the start callback does
    nav.load_airports();
    nav.load_navaids();
    nav.load_waypoints();
    char identifier[5] = "";
    for (const auto &r : nav.airports()) nav.airport_by_key(r.key, identifier);
    for (const auto &r : nav.navaids()) nav.navaid_by_key(r.key, identifier);
    for (const auto &r : nav.waypoints()) nav.waypoint_by_key(r.key);
    nav.airport_by_key("", identifier);
    return 0;
}
